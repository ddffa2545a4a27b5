#include "cli/Commands.h"

#include "cli/BackupCommands.h"
#include "cli/CustomerListCommands.h"
#include "cli/DocumentCommands.h"
#include "cli/ExportCommands.h"
#include "cli/GenerateCommands.h"
#include "cli/PlzCommands.h"
#include "cli/PrintCommands.h"

#include "data/Database.h"
#include "platform/LocaleInfo.h"

namespace quittora::cli {

const QList<Command>& commands()
{
    static const QList<Command> all = {
        {"init", "init DATEI            legt eine neue Quittora-Datenbank aus der Vorlage an", &runInit},
        {"info", "info DATEI            zeigt die Anzahl der Rechnungen, Positionen, Kunden und Artikel", &runInfo},
        {"eml", "eml DATEI --document ID [--out DATEI.eml]\n"
                "                        schreibt ein Dokument als E-Mail-Datei (wie \"Rechnung als E-Mail erstellen\")",
         &runEml},
        {"xrechnung", "xrechnung DATEI --document ID --out DATEI.xml [--syntax cii|ubl]\n"
                      "                        schreibt eine Rechnung als E-Rechnung (XRechnung 3.0, CII oder UBL)",
         &runXrechnung},
        {"zugferd", "zugferd DATEI --document ID --out DATEI.pdf\n"
                    "                        schreibt eine Rechnung als E-Rechnung im PDF (ZUGFeRD, PDF/A-3)",
         &runZugferd},
        {"stornieren", "stornieren DATEI --document ID\n"
                       "                        legt die Stornorechnung zu einer ausgestellten Rechnung an",
         &runStornieren},
        {"angebot-zu-rechnung", "angebot-zu-rechnung DATEI --document ID\n"
                                "                        legt aus einem Angebot eine Rechnung ohne Nummer an",
         &runAngebotZuRechnung},
        {"kopieren", "kopieren DATEI --document ID\n"
                     "                        legt eine Kopie eines Dokuments ohne Nummer an, datiert auf heute",
         &runKopieren},
        {"overview", "overview DATEI --month MONAT --year JAHR [--bezahlt] [--out Plan.txt]\n"
                     "                        zeigt die Umsatzliste eines Monats (\"alle\": des Jahres) mit ihrer Summe",
         &runOverview},
        {"customers-txt", "customers-txt DATEI AUSGABE\n"
                          "                        schreibt die Adressliste aller Kunden (wie \"Kundenliste  ausgeben\")",
         &runCustomersTxt},
        {"customers-csv", "customers-csv DATEI AUSGABE\n"
                          "                        schreibt die Serienbrief-Steuerdatei aller Kunden (wie \"Serienbrief - Steuerdatei\")",
         &runCustomersCsv},
        {"pdf", "pdf DATEI --document ID --out DATEI.pdf [--lieferschein] [--mahntext TEXT]\n"
                "                        druckt ein Dokument (oder seinen Lieferschein, mit --mahntext als\n"
                "                        Zahlungserinnerung oder Mahnung) in eine PDF-Datei",
         &runPrint},
        {"print", "print                 wie pdf (älterer Name)", &runPrint},
        {"backup", "backup DATEI ZIEL     sichert die Datenbank DATEI nach ZIEL (Datei oder Ordner)", &runBackup},
        {"restore", "restore SICHERUNG DATEI\n"
                    "                        schreibt die Sicherung auf die Datenbank DATEI zurück",
         &runRestore},
        {"generate", "generate DATEI [--documents N] [--customers N] [--articles N] [--lines-per-document N]\n"
                     "                        [--seed S] [--last-year JAHR]\n"
                     "                        erzeugt eine neue Datenbank mit realistischen Testdaten (für Messungen)",
         &runGenerate},
        {"plz-import", "plz-import ZIEL.mdb DE.csv AT.csv CH.csv\n"
                       "                        baut die Postleitzahlen-Datenbank aus den GeoNames-CSV-Dateien\n"
                       "                        (Deutschland, Österreich, Schweiz); ersetzt eine ältere in einem Schritt",
         &runPlzImport},
    };
    return all;
}

int runInit(const QStringList& args, Io& io)
{
    if (args.size() != 1) {
        io.err << "Aufruf: quittora-cli init DATEI\n";
        return kUsage;
    }
    QString message;
    if (!Database::createFromTemplate(args.at(0), makeSystemLocaleInfo()->decimalSeparator(), &message)) {
        io.err << message << '\n';
        return kRefused;
    }
    io.out << "Neue Datenbank angelegt: " << args.at(0) << '\n';
    return kOk;
}

int runInfo(const QStringList& args, Io& io)
{
    if (args.size() != 1) {
        io.err << "Aufruf: quittora-cli info DATEI\n";
        return kUsage;
    }
    // checkFile never writes, so info can be pointed at any file safely.
    const QString problem = Database::checkFile(args.at(0));
    if (!problem.isEmpty()) {
        io.err << problem << '\n';
        return kRefused;
    }
    Database db;
    QString message;
    if (!db.open(args.at(0), &message)) {
        io.err << message << '\n';
        return kRefused;
    }
    const auto counts = db.counts();
    if (!counts) {
        io.err << "Die Datenbank " << args.at(0) << " konnte nicht gelesen werden.\n";
        return kRefused;
    }
    io.out << "Rechnungen: " << counts->rechnungen << '\n'
           << "Positionen: " << counts->positionen << '\n'
           << "Kunden: " << counts->kunden << '\n'
           << "Artikel: " << counts->artikel << '\n';
    return kOk;
}

} // namespace quittora::cli
