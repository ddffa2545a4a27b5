#include "cli/DocumentCommands.h"

#include "cli/CommandSupport.h"
#include "data/Database.h"
#include "documents/DerivedDocument.h"
#include "platform/Clock.h"
#include "platform/LocaleInfo.h"

namespace quittora::cli {

namespace {

int derive(const char* command, documents::Derivation how, const QStringList& args, Io& io)
{
    const QByteArray usage = QByteArray("Aufruf: quittora-cli ") + command + " DATEI --document ID\n";
    Call call;
    if (!parse(args, {QStringLiteral("--document")}, {}, &call) || !call.values.contains(QStringLiteral("--document"))) {
        io.err << usage;
        return kUsage;
    }
    qint64 id = 0;
    if (!documentId(call, usage.constData(), io, &id))
        return kUsage;
    Database db;
    if (!openDatabase(db, call.file, io))
        return kRefused;
    const auto locale = makeSystemLocaleInfo();
    const documents::Environment env{priceBasis(), locale->decimalSeparator(), locale->shortDateFormat()};
    const documents::Derived made = documents::derive(db, id, how, makeSystemClock()->today(), env);
    if (!made.ok()) {
        io.err << made.message << '\n';
        return kUsage;
    }
    io.out << made.id << '\n';
    return kOk;
}

} // namespace

int runStornieren(const QStringList& args, Io& io)
{
    return derive("stornieren", documents::Derivation::Cancellation, args, io);
}

int runAngebotZuRechnung(const QStringList& args, Io& io)
{
    return derive("angebot-zu-rechnung", documents::Derivation::InvoiceFromQuote, args, io);
}

int runKopieren(const QStringList& args, Io& io)
{
    return derive("kopieren", documents::Derivation::Copy, args, io);
}

} // namespace quittora::cli
