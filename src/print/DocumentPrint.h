#pragma once

#include "data/CompanySettings.h"
#include "documents/Document.h"
#include "print/DocumentLayouts.h"
#include "print/PageModel.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <vector>

namespace quittora {

class Database;
class Printers;
struct AppContext;
struct ProgramState;

// Printing a document, from the database to the printer, without windows.
//
// The print button of the main window (and "Rechnung drucken" after its
// question, and the reminders after theirs) calls runInvoicePrint; the menu
// entry "Lieferschein drucken" calls runDeliveryNotePrint. Both run:
//
//     prepare (totals, number)  ->  store in one transaction  ->  printer choice
//     ->  print dialog  ->  page models  ->  printer
//
// The invoice number is stored, together with the recomputed totals and the
// raised next number, BEFORE anything goes to the printer. A print that is
// cancelled or fails afterwards keeps the number: the invoice owns it from
// then on and every reprint shows the same number, so numbers are neither
// lost nor given twice.
//
// The steps are public as well, for callers that need them one by one.

enum class PrintedDocument {
    Invoice,      // invoice or quote, by the document's kind
    DeliveryNote, // "Lieferschein"
};

// How many copies a job prints.
enum class CopyCount {
    FromSettings, // "Rechnungskopien" (`frei1`)
    One,          // a single copy, e.g. for a PDF file
};

// More copies than this at once are refused as a typing slip.
inline constexpr int kMaxCopies = 99;

struct PrintJob {
    enum class Outcome {
        Ready,
        UnknownDocument, // no document with that ID
        ReadFailed,      // the database could not answer
        TotalsFailed,    // the totals cannot be computed (a VAT rate of the settings is wrong)
        NumberMissing,   // an invoice without number, and no next number is set
        NoCopies,        // "Rechnungskopien" is no number of at least 1
        TooManyCopies,   // "Rechnungskopien" is above kMaxCopies
    };
    Outcome outcome = Outcome::Ready;
    QString title;   // German message box title when not Ready
    QString message; // German message text when not Ready; nothing has been changed then

    PrintedDocument document = PrintedDocument::Invoice;
    qint64 documentId = 0;
    CompanySettings company;  // the settings as they are once the changes are stored
    DocumentHead head;        // totals recomputed, number assigned: what is printed
    QList<DocumentLine> lines;
    int copies = 0;

    // To store before printing (storePrintChanges): the document fields that
    // change (recomputed totals, a newly assigned number `a7`) and, when
    // non-empty, the settings' next invoice number (`Rechnungsnummer`).
    QHash<QString, QString> documentChanges;
    QString nextInvoiceNumber;
    // Whether the job gives the document its number as it is stored (the
    // number above is then only the one expected; storing sets the real one).
    bool numberWanted = false;
    QChar decimalSeparator = QLatin1Char(',');

    bool ready() const { return outcome == Outcome::Ready; }
    bool numberAssigned() const { return !nextInvoiceNumber.isEmpty(); }
};

// The environment of a print as the program holds it: decimal separator and
// price basis of the program state, title colour and receipt confirmation of
// the per-user settings, today's date of the clock.
PrintEnvironment printEnvironment(const AppContext& ctx);

// The invoice or quote print from values: `berechnen`, then a number for a
// document of the kind exactly "Rechnung" that has none (quotes never get
// one). customer supplies its own cash-discount percent for the totals.
PrintJob prepareInvoicePrint(const DocumentHead& head, const QList<DocumentLine>& lines,
                             const documents::Customer& customer, const CompanySettings& company,
                             const PrintEnvironment& env, CopyCount copyCount = CopyCount::FromSettings);
// The same, reading the document, its lines, its customer and the settings
// (with the next number as stored) from the database. Pending edits of the
// windows must be stored first.
PrintJob prepareInvoicePrint(const Database& db, qint64 documentId, const PrintEnvironment& env,
                             CopyCount copyCount = CopyCount::FromSettings);

// The delivery note print: no number; the totals are brought up to date
// when they can be (a delivery note shows none, so a failing calculation does
// not stop it).
PrintJob prepareDeliveryNotePrint(const DocumentHead& head, const QList<DocumentLine>& lines,
                                  const documents::Customer& customer, const CompanySettings& company,
                                  const PrintEnvironment& env, CopyCount copyCount = CopyCount::FromSettings);
PrintJob prepareDeliveryNotePrint(const Database& db, qint64 documentId, const PrintEnvironment& env,
                                  CopyCount copyCount = CopyCount::FromSettings);

// Stores the job's changes in one transaction (nothing to store is fine) and
// gives an unnumbered invoice the next number as it is at that moment; the
// job then carries that number. False with a German *error, and nothing
// changed, otherwise; then nothing must be printed.
bool storePrintChanges(const Database& db, PrintJob& job, QString* error);

// The page models of a ready job, one per copy. A non-empty Mahntext is the
// reminder text of the first invoice copy (a delivery note only prints the
// reference line while one is pending). The caller empties Mahntext after
// the print, whether it went out or was cancelled.
std::vector<PageModel> printJobDocuments(const PrintJob& job, const PrintEnvironment& env,
                                         const QString& Mahntext = {});

// Sends a ready job to the current printer (state.currentPrinter, chosen
// before by choosePrinter or the print dialog) with the margins xwert/ywert,
// each copy as a print job of its own; empties state.Mahntext. False with a
// German *error when the printer refused; the stored number stays.
bool printJob(const PrintJob& job, const PrintEnvironment& env, Printers& printers, ProgramState& state,
              QString* error);

// The whole print into a PDF file (quittora-cli): prepare, store, one copy,
// rendered without margins; a non-empty Mahntext makes the invoice a
// reminder. False with a German *error; *job tells what was prepared (and
// stored).
bool printToPdf(const Database& db, qint64 documentId, PrintedDocument document, const PrintEnvironment& env,
                const QString& path, PrintJob* job, QString* error, const QString& Mahntext = {});

// The pages of an invoice or quote already prepared and stored by another
// output (the ZUGFeRD PDF, the mail's attachment): one copy, exactly as the
// print shows it, nothing left to store. Empty with a German *error when the
// document cannot be printed as it stands.
std::vector<PageModel> preparedInvoicePages(const DocumentHead& head, const QList<DocumentLine>& lines,
                                            const documents::Customer& customer, const CompanySettings& company,
                                            const PrintEnvironment& env, QString* error);

// --- The whole command ---------------------------------------------------------

// The print dialog: shown for state.currentPrinter; it may make another
// printer the current one. False when the user cancelled it.
using PrintDialog = std::function<bool(ProgramState& state)>;

struct PrintRun {
    enum class Status {
        Printed,
        Refused,   // prepare refused, or the changes could not be stored: nothing printed
        Cancelled, // print dialog cancelled: nothing printed (an assigned number stays, Mahntext is gone)
        Failed,    // the printer refused (an assigned number stays)
    };
    Status status = Status::Refused;
    PrintJob job;
};

// The print button: prepares and stores (a refusal or a failed store is said
// in a message box and ends it), chooses the printer by Druckerauswahl, shows
// the print dialog, prints every copy with the margins xwert/ywert and says
// when the printer refused. The reminder text (ctx.state.Mahntext) goes on the
// first copy; it is emptied however the command ends, so a cancelled reminder
// never turns up on a later print. Pending edits of the windows must be
// stored before, and the document and the next number read again after.
PrintRun runInvoicePrint(const Database& db, qint64 documentId, const AppContext& ctx, Printers& printers,
                         const PrintDialog& printDialog);

// "Lieferschein drucken": as above without number; the print dialog is shown
// only when no installed printer matches Druckerauswahl, and cancelling it
// cancels the delivery note.
PrintRun runDeliveryNotePrint(const Database& db, qint64 documentId, const AppContext& ctx, Printers& printers,
                              const PrintDialog& printDialog);

// "Rechnung drucken" of the menu asks this first (Yes/No, question icon,
// the program's title): "Rechnung " + date + " an " + name + " drucken ?".
QString printQuestion(const DocumentHead& head);

} // namespace quittora
