#include "cli/PrintCommands.h"

#include "cli/CommandSupport.h"

#include "data/Database.h"
#include "platform/Clock.h"
#include "platform/LocaleInfo.h"
#include "platform/SettingsStore.h"
#include "print/DocumentPrint.h"
#include "tools/SettingsRules.h"

#include <QDir>

namespace quittora::cli {

namespace {

const char* const kPrintUsage =
    "Aufruf: quittora-cli pdf DATEI --document ID --out DATEI.pdf [--lieferschein] [--mahntext TEXT]\n";

struct PrintCall {
    QString file;
    QString document;
    QString out;
    bool deliveryNote = false;
    bool hasMahntext = false;
    QString mahntext;
};

bool parsePrintCall(const QStringList& args, PrintCall* call)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--document") || a == QLatin1String("--out")) {
            QString& target = a == QLatin1String("--document") ? call->document : call->out;
            if (i + 1 >= args.size() || !target.isEmpty())
                return false;
            target = args.at(++i);
        } else if (a == QLatin1String("--mahntext")) {
            // An empty text is a call without reminder, as an emptied input
            // box is in the program.
            if (i + 1 >= args.size() || call->hasMahntext)
                return false;
            call->hasMahntext = true;
            call->mahntext = args.at(++i);
        } else if (a == QLatin1String("--lieferschein")) {
            call->deliveryNote = true;
        } else if (a.startsWith(QLatin1String("--")) || !call->file.isEmpty()) {
            return false;
        } else {
            call->file = a;
        }
    }
    return !call->file.isEmpty() && !call->document.isEmpty() && !call->out.isEmpty();
}

} // namespace

bool needsFonts(const QString& command)
{
    // The mail carries the invoice as PDF, so it draws pages too.
    for (const char* drawing : {"pdf", "print", "eml", "zugferd"}) {
        if (command == QLatin1String(drawing))
            return true;
    }
    return false;
}

int runPrint(const QStringList& args, Io& io)
{
    PrintCall call;
    if (!parsePrintCall(args, &call)) {
        io.err << kPrintUsage;
        return kUsage;
    }
    bool isNumber = false;
    const qint64 id = call.document.toLongLong(&isNumber);
    if (!isNumber) {
        io.err << "Die Dokument-ID muss eine Zahl sein.\n" << kPrintUsage;
        return kUsage;
    }
    // checkFile never writes, so a foreign file is refused untouched.
    QString message = Database::checkFile(call.file);
    Database db;
    if (!message.isEmpty() || !db.open(call.file, &message)) {
        io.err << message << '\n';
        return kRefused;
    }
    PrintJob job;
    const PrintedDocument what = call.deliveryNote ? PrintedDocument::DeliveryNote : PrintedDocument::Invoice;
    if (!printToPdf(db, id, what, systemPrintEnvironment(), call.out, &job, &message, call.mahntext)) {
        io.err << message << '\n';
        return kRefused;
    }
    if (job.numberAssigned())
        io.out << "Rechnungsnummer vergeben: " << job.head.number << '\n';
    io.out << "PDF-Datei geschrieben: " << QDir::toNativeSeparators(call.out) << '\n';
    return kOk;
}

} // namespace quittora::cli
