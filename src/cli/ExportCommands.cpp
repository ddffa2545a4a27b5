#include "cli/ExportCommands.h"

#include "cli/CommandSupport.h"

#include "data/Database.h"
#include "data/Numbers.h"
#include "export/EInvoiceExport.h"
#include "export/EmailExport.h"
#include "export/ExportFile.h"
#include "export/Overview.h"
#include "output/InvoiceFiles.h"
#include "platform/LocaleInfo.h"
#include "platform/SettingsStore.h"
#include "platform/SpecialFolders.h"

#include <QDir>
#include <QHash>
#include <QSet>

#include <memory>

namespace quittora::cli {

namespace {

const char* const kEmlUsage = "Aufruf: quittora-cli eml DATEI --document ID [--out DATEI.eml]\n";
const char* const kXrechnungUsage =
    "Aufruf: quittora-cli xrechnung DATEI --document ID --out DATEI.xml [--syntax cii|ubl]\n";
const char* const kZugferdUsage = "Aufruf: quittora-cli zugferd DATEI --document ID --out DATEI.pdf\n";
const char* const kOverviewUsage =
    "Aufruf: quittora-cli overview DATEI --month MONAT --year JAHR [--bezahlt] [--out Plan.txt]\n";

// What xrechnung and zugferd say and exit with.
int reportEInvoice(const einvoice::ExportResult& r, const QString& out, Io& io);

// The call of xrechnung and zugferd: the file, --document ID and --out, and
// the further options named; false with the usage or the wrong ID said.
bool parseEInvoiceCall(const QStringList& args, const QStringList& moreOptions, const char* usage, Io& io, Call* call,
                       qint64* id)
{
    if (!parse(args, QStringList{QStringLiteral("--document"), QStringLiteral("--out")} + moreOptions, {}, call)
        || !call->values.contains(QStringLiteral("--document")) || call->values.value(QStringLiteral("--out")).isEmpty()) {
        io.err << usage;
        return false;
    }
    return documentId(*call, usage, io, id);
}

} // namespace

int runEml(const QStringList& args, Io& io)
{
    Call call;
    if (!parse(args, {QStringLiteral("--document"), QStringLiteral("--out")}, {}, &call)
        || !call.values.contains(QStringLiteral("--document"))) {
        io.err << kEmlUsage;
        return kUsage;
    }
    qint64 id = 0;
    if (!documentId(call, kEmlUsage, io, &id))
        return kUsage;
    Database db;
    if (!openDatabase(db, call.file, io))
        return kRefused;
    QString out = call.values.value(QStringLiteral("--out"));
    if (out.isEmpty()) {
        QString message;
        out = exportFilePath(makeSystemSpecialFolders()->privateTemp(), email::fileName(), &message);
        if (out.isEmpty()) {
            io.err << message << '\n';
            return kRefused;
        }
    }
    PrintEnvironment env = systemPrintEnvironment();
    env.basis = priceBasis();
    const invoicefiles::Mail mail = invoicefiles::saveMail(db, id, env, QDateTime::currentDateTimeUtc(), out);
    const email::ExportResult& r = mail.result;
    if (r.status != email::ExportResult::Status::Written) {
        io.err << r.message << '\n';
        return kRefused;
    }
    io.out << "E-Mail-Datei geschrieben: " << QDir::toNativeSeparators(out) << '\n';
    for (const QString& file : mail.attachedFiles)
        io.out << "Anhang: " << file << '\n';
    if (!mail.notice.isEmpty())
        io.err << "Hinweis: " << mail.notice << '\n';
    // The file is usable without a recipient; what is missing is said, the
    // run still succeeded.
    const QString recipient = email::recipientProblem(r.preparation.head.email);
    if (!recipient.isEmpty())
        io.err << "Hinweis: " << recipient << '\n';
    return kOk;
}

int runXrechnung(const QStringList& args, Io& io)
{
    Call call;
    qint64 id = 0;
    if (!parseEInvoiceCall(args, {QStringLiteral("--syntax")}, kXrechnungUsage, io, &call, &id))
        return kUsage;
    const QString syntaxName = call.values.value(QStringLiteral("--syntax"), QStringLiteral("cii")).toLower();
    if (syntaxName != QLatin1String("cii") && syntaxName != QLatin1String("ubl")) {
        io.err << "Nach --syntax steht cii oder ubl.\n" << kXrechnungUsage;
        return kUsage;
    }
    Database db;
    if (!openDatabase(db, call.file, io))
        return kRefused;
    const QString out = call.values.value(QStringLiteral("--out"));
    const auto locale = makeSystemLocaleInfo();
    const documents::Environment env{priceBasis(), locale->decimalSeparator(), locale->shortDateFormat()};
    const einvoice::ExportResult r =
        einvoice::exportInvoice(db, id, env, syntaxName == QLatin1String("ubl") ? einvoice::Syntax::Ubl : einvoice::Syntax::Cii,
                                einvoice::Profile::XRechnung, out);
    return reportEInvoice(r, out, io);
}

int runZugferd(const QStringList& args, Io& io)
{
    Call call;
    qint64 id = 0;
    if (!parseEInvoiceCall(args, {}, kZugferdUsage, io, &call, &id))
        return kUsage;
    Database db;
    if (!openDatabase(db, call.file, io))
        return kRefused;
    const QString out = call.values.value(QStringLiteral("--out"));
    PrintEnvironment env = systemPrintEnvironment();
    env.basis = priceBasis();
    return reportEInvoice(invoicefiles::saveZugferd(db, id, env, QDateTime::currentDateTimeUtc(), out), out, io);
}

namespace {

int reportEInvoice(const einvoice::ExportResult& r, const QString& out, Io& io)
{
    switch (r.status) {
    case einvoice::ExportResult::Status::Written:
        io.out << "E-Rechnung geschrieben: " << QDir::toNativeSeparators(out) << " (Rechnung Nr. " << r.number << ")\n";
        return kOk;
    case einvoice::ExportResult::Status::Incomplete:
        io.err << "Die E-Rechnung kann noch nicht geschrieben werden. Es fehlt:\n";
        for (const QString& item : r.missing)
            io.err << "- " << item << '\n';
        return kUsage;
    case einvoice::ExportResult::Status::UnknownDocument:
    case einvoice::ExportResult::Status::Failed:
        break;
    }
    io.err << r.message << '\n';
    return kUsage;
}

} // namespace

int runOverview(const QStringList& args, Io& io)
{
    Call call;
    if (!parse(args, {QStringLiteral("--month"), QStringLiteral("--year"), QStringLiteral("--out")},
               {QStringLiteral("--bezahlt")}, &call)
        || !call.values.contains(QStringLiteral("--month")) || !call.values.contains(QStringLiteral("--year"))) {
        io.err << kOverviewUsage;
        return kUsage;
    }
    const QString month = call.values.value(QStringLiteral("--month"));
    const QString year = call.values.value(QStringLiteral("--year"));
    const auto paid = call.flags.contains(QStringLiteral("--bezahlt")) ? overview::PaidState::Paid
                                                                        : overview::PaidState::Open;
    // The year goes into the date filter as text: anything but a year would
    // give an empty list that looks like a month without invoices.
    bool isYear = false;
    const int yearNumber = year.toInt(&isYear);
    if (!isYear || yearNumber < 1 || yearNumber > 9999 || year.trimmed() != year) {
        io.err << "Das Jahr \"" << year << "\" ist keine Jahreszahl (zum Beispiel 2024).\n" << kOverviewUsage;
        return kUsage;
    }
    const std::optional<RecordSource> source = overview::monthFilter(month, year, paid);
    if (!source) {
        io.err << "Unbekannter Monat \"" << month << "\". Möglich sind: "
               << overview::monthEntries().join(QStringLiteral(", ")) << '\n'
               << kOverviewUsage;
        return kUsage;
    }
    Database db;
    if (!openDatabase(db, call.file, io))
        return kRefused;
    QList<overview::Row> rows;
    QString message;
    if (!overview::readRows(db, *source, &rows, &message)) {
        io.err << message << '\n';
        return kRefused;
    }
    const QChar separator = makeSystemLocaleInfo()->decimalSeparator();
    const QString heading = overview::planHeading(paid, month, year);
    const QByteArray text = overview::planText(heading, rows);
    io.out << QString::fromUtf8(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    io.out << "Summe: " << amountText(overview::total(rows, separator), separator) << '\n';
    io.out.flush();

    const QString out = call.values.value(QStringLiteral("--out"));
    if (!out.isEmpty()) {
        // As in the program: an empty selection gives no file.
        if (rows.isEmpty()) {
            io.err << "Keine Rechnungen in der Auswahl, die Datei " << QDir::toNativeSeparators(out)
                   << " wurde nicht geschrieben.\n";
        } else if (!replaceFile(out, text, &message)) {
            io.err << message << '\n';
            return kRefused;
        }
    }
    return kOk;
}

} // namespace quittora::cli
