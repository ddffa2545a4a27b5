#include "print/DocumentPrint.h"

#include "data/Database.h"
#include "platform/Clock.h"
#include "platform/Context.h"
#include "platform/LocaleInfo.h"
#include "platform/Prompts.h"
#include "print/PageRenderer.h"
#include "print/PrinterSetup.h"
#include "print/Printers.h"
#include "tools/SettingsRules.h"
#include "documents/DocumentChanges.h"
#include "documents/InvoiceNumber.h"
#include "documents/Preparation.h"


#include <optional>
#include <utility>

namespace quittora {

namespace {

const QString kNoticeTitle = QStringLiteral("Hinweis !");
const QString kErrorTitle = QStringLiteral("Fehler");

// A failed print after the number was stored: the number is used, so the
// user must not expect the next print to give a new one or fill the gap.
QString numberKeptNotice(const QString& number)
{
    return QStringLiteral("\nDie Rechnungsnummer %1 bleibt der Rechnung zugeordnet; bitte drucken Sie "
                          "die Rechnung erneut.")
        .arg(number);
}

TotalsInput totalsInput(const DocumentHead& head, const QList<DocumentLine>& lines, const documents::Customer& customer,
                        const CompanySettings& company, const PrintEnvironment& env)
{
    TotalsInput in = totalsInputFromSettings(company, env.basis, env.decimalSeparator, env.shortDateFormat);
    for (const DocumentLine& l : lines)
        in.lines.append(TotalsLine{l.amount, l.rate});
    in.customerSkonto = customer.skonto;
    in.documentDate = head.date;
    in.storedMw1 = head.base1;
    in.storedMw2 = head.base2;
    in.storedMw3 = head.base0;
    return in;
}

PrintJob refused(PrintJob job, PrintJob::Outcome outcome, const QString& title, const QString& message)
{
    job.outcome = outcome;
    job.title = title;
    job.message = message;
    job.documentChanges.clear();
    job.nextInvoiceNumber.clear();
    job.numberWanted = false;
    return job;
}

// Fills job.copies; false (job refused) when the setting allows no print.
bool takeCopies(PrintJob& job, CopyCount copyCount, QChar decimalSeparator)
{
    if (copyCount == CopyCount::One) {
        job.copies = 1;
        return true;
    }
    const QString setting = job.company.copies();
    job.copies = job.document == PrintedDocument::Invoice ? invoiceCopies(setting, decimalSeparator)
                                                          : deliveryNoteCopies(setting);
    if (job.copies < 1) {
        job = refused(job, PrintJob::Outcome::NoCopies, kNoticeTitle,
                      QStringLiteral("Es wurde nichts gedruckt: Bei \"Rechnungskopien\" in den Einstellungen ist "
                                     "keine Anzahl von mindestens 1 eingetragen (eingetragen ist \"%1\").")
                          .arg(setting));
        return false;
    }
    if (job.copies > kMaxCopies) {
        job = refused(job, PrintJob::Outcome::TooManyCopies, kNoticeTitle,
                      QStringLiteral("Es wurde nichts gedruckt: Bei \"Rechnungskopien\" in den Einstellungen sind "
                                     "%1 Kopien eingetragen. Es können höchstens %2 Kopien auf einmal gedruckt "
                                     "werden.")
                          .arg(job.copies)
                          .arg(kMaxCopies));
        return false;
    }
    return true;
}

PrintJob startJob(PrintedDocument document, const DocumentHead& head, const QList<DocumentLine>& lines,
                  const CompanySettings& company)
{
    PrintJob job;
    job.document = document;
    job.company = company;
    job.head = head;
    job.lines = lines;
    return job;
}

struct LoadedDocument {
    CompanySettings company;
    DocumentHead head;
    QList<DocumentLine> lines;
    documents::Customer customer;
};

// Reads what a print needs; on failure *failure says why.
std::optional<LoadedDocument> loadDocument(const Database& db, qint64 documentId, PrintedDocument document,
                                           PrintJob* failure)
{
    LoadedDocument d;
    PrintJob base;
    base.document = document;
    base.documentId = documentId;
    if (!d.company.load(db)) {
        *failure = refused(base, PrintJob::Outcome::ReadFailed, kErrorTitle,
                           QStringLiteral("Die Einstellungen konnten nicht gelesen werden. Es wurde nichts gedruckt."));
        return std::nullopt;
    }
    const std::optional<DocumentHead> head = documents::loadHead(db, documentId);
    if (!head) {
        *failure = refused(base, PrintJob::Outcome::UnknownDocument, kErrorTitle,
                           QStringLiteral("Es gibt kein Dokument mit der ID %1.").arg(documentId));
        return std::nullopt;
    }
    const std::optional<QList<DocumentLine>> lines = documents::loadLines(db, documentId);
    const std::optional<documents::Customer> customer = documents::loadCustomer(db, head->customerId);
    if (!lines || !customer) {
        *failure = refused(base, PrintJob::Outcome::ReadFailed, kErrorTitle,
                           QStringLiteral("Die Rechnungszeilen oder der Kunde konnten nicht gelesen werden. "
                                          "Es wurde nichts gedruckt."));
        return std::nullopt;
    }
    d.head = *head;
    d.lines = *lines;
    d.customer = *customer;
    return d;
}

} // namespace

PrintEnvironment printEnvironment(const AppContext& ctx)
{
    const settingsrules::RegistryValues registry = settingsrules::readRegistryValues(ctx.settings);
    PrintEnvironment env;
    env.decimalSeparator = ctx.state.decimalSeparator;
    env.shortDateFormat = ctx.locale.shortDateFormat();
    env.basis = ctx.state.Rechnungsbasis == 1 ? PriceBasis::Gross : PriceBasis::Net;
    env.titleColour = registry.titleColour;
    env.receiptConfirmation = registry.receiptConfirmation;
    env.giroCode = registry.giroCode;
    env.today = ctx.clock.today();
    return env;
}

PrintJob prepareInvoicePrint(const DocumentHead& head, const QList<DocumentLine>& lines,
                             const documents::Customer& customer, const CompanySettings& company,
                             const PrintEnvironment& env, CopyCount copyCount)
{
    PrintJob job = startJob(PrintedDocument::Invoice, head, lines, company);
    // An issued invoice under the lock is printed again exactly as issued:
    // its stored totals, its number, nothing written.
    const bool locked = documents::isLocked(head, company);

    // Printed totals must be the document's own: a document whose totals
    // cannot be computed is not printed with stale ones.
    if (!locked) {
        const TotalsResult totals = berechnen(totalsInput(head, lines, customer, company, env));
        if (!totals.ok())
            return refused(job, PrintJob::Outcome::TotalsFailed, totalsErrorTitle(), totals.message);
        setHeadTotals(job.head, totals.totals);
    }

    if (!takeCopies(job, copyCount, env.decimalSeparator))
        return job;
    if (locked)
        return job;

    const InvoiceNumberAssignment number =
        assignInvoiceNumber(head.kind, head.number, company.nextInvoiceNumber(), env.decimalSeparator);
    if (number.outcome == InvoiceNumberAssignment::Outcome::NextNumberMissing)
        return refused(job, PrintJob::Outcome::NumberMissing, kNoticeTitle, number.message);
    if (number.assigned()) {
        job.head.number = number.number;
        job.nextInvoiceNumber = number.nextNumber;
        job.company.setValue(QStringLiteral("Rechnungsnummer"), number.nextNumber);
        job.numberWanted = true;
        job.decimalSeparator = env.decimalSeparator;
    }
    job.documentChanges = headChanges(head, job.head);
    return job;
}

PrintJob prepareInvoicePrint(const Database& db, qint64 documentId, const PrintEnvironment& env, CopyCount copyCount)
{
    PrintJob failure;
    const std::optional<LoadedDocument> d = loadDocument(db, documentId, PrintedDocument::Invoice, &failure);
    if (!d)
        return failure;
    PrintJob job = prepareInvoicePrint(d->head, d->lines, d->customer, d->company, env, copyCount);
    job.documentId = documentId;
    return job;
}

PrintJob prepareDeliveryNotePrint(const DocumentHead& head, const QList<DocumentLine>& lines,
                                  const documents::Customer& customer, const CompanySettings& company,
                                  const PrintEnvironment& env, CopyCount copyCount)
{
    PrintJob job = startJob(PrintedDocument::DeliveryNote, head, lines, company);
    if (!takeCopies(job, copyCount, env.decimalSeparator))
        return job;
    if (documents::isLocked(head, company))
        return job;
    const TotalsResult totals = berechnen(totalsInput(head, lines, customer, company, env));
    if (totals.ok()) {
        setHeadTotals(job.head, totals.totals);
        job.documentChanges = headChanges(head, job.head);
    }
    return job;
}

PrintJob prepareDeliveryNotePrint(const Database& db, qint64 documentId, const PrintEnvironment& env,
                                  CopyCount copyCount)
{
    PrintJob failure;
    const std::optional<LoadedDocument> d = loadDocument(db, documentId, PrintedDocument::DeliveryNote, &failure);
    if (!d)
        return failure;
    PrintJob job = prepareDeliveryNotePrint(d->head, d->lines, d->customer, d->company, env, copyCount);
    job.documentId = documentId;
    return job;
}

bool storePrintChanges(const Database& db, PrintJob& job, QString* error)
{
    if (!job.ready()) {
        if (error)
            *error = job.message;
        return false;
    }
    QString reason;
    const bool numbering = job.numberWanted;
    if (storePrepared(db, job.documentId, job.company.id(), job, &reason)) {
        // The job's copy of the settings prints the next number as stored.
        if (numbering && !job.nextInvoiceNumber.isEmpty())
            job.company.setValue(QStringLiteral("Rechnungsnummer"), job.nextInvoiceNumber);
        return true;
    }
    if (error)
        *error = QStringLiteral("Die Rechnung konnte nicht gespeichert werden, es wurde nichts gedruckt:\n%1")
                     .arg(reason);
    return false;
}

std::vector<PageModel> printJobDocuments(const PrintJob& job, const PrintEnvironment& env, const QString& Mahntext)
{
    if (!job.ready())
        return {};
    if (job.document == PrintedDocument::DeliveryNote)
        return deliveryNoteDocuments(job.head, job.lines, job.company, env, job.copies, Mahntext);
    return invoiceDocuments(job.head, job.lines, job.company, env, job.copies, Mahntext);
}

std::vector<PageModel> preparedInvoicePages(const DocumentHead& head, const QList<DocumentLine>& lines,
                                            const documents::Customer& customer, const CompanySettings& company,
                                            const PrintEnvironment& env, QString* error)
{
    const PrintJob job = prepareInvoicePrint(head, lines, customer, company, env, CopyCount::One);
    // A prepared document leaves nothing to store; if it did, the pages
    // would show figures or a number the database does not hold.
    if (!job.ready() || !job.documentChanges.isEmpty() || job.numberWanted) {
        if (error)
            *error = job.ready() ? QStringLiteral("Die Rechnung ist nicht so gespeichert, wie sie gedruckt würde.")
                                 : job.message;
        return {};
    }
    return printJobDocuments(job, env);
}

bool printJob(const PrintJob& job, const PrintEnvironment& env, Printers& printers, ProgramState& state,
              QString* error)
{
    const std::vector<PageModel> documents = printJobDocuments(job, env, state.Mahntext);
    state.Mahntext.clear();
    if (documents.empty()) {
        if (error)
            *error = job.ready() ? QStringLiteral("Es gibt nichts zu drucken.") : job.message;
        return false;
    }
    return printers.print(currentPrinterName(printers, state), documents, MarginValues{state.xwert, state.ywert},
                          error);
}

bool printToPdf(const Database& db, qint64 documentId, PrintedDocument document, const PrintEnvironment& env,
                const QString& path, PrintJob* job, QString* error, const QString& Mahntext)
{
    PrintJob local;
    PrintJob& j = job ? *job : local;
    j = document == PrintedDocument::Invoice ? prepareInvoicePrint(db, documentId, env, CopyCount::One)
                                             : prepareDeliveryNotePrint(db, documentId, env, CopyCount::One);
    if (!j.ready()) {
        if (error)
            *error = j.message;
        return false;
    }
    if (!storePrintChanges(db, j, error))
        return false;
    if (renderToPdf(printJobDocuments(j, env, Mahntext), path, MarginValues{}, error))
        return true;
    if (error && j.numberAssigned())
        *error += numberKeptNotice(j.head.number);
    return false;
}

namespace {

Prompts::Icon refusalIcon(const PrintJob& job)
{
    switch (job.outcome) {
    case PrintJob::Outcome::UnknownDocument:
    case PrintJob::Outcome::ReadFailed:
    case PrintJob::Outcome::TotalsFailed:
        return Prompts::Icon::Critical;
    default:
        return Prompts::Icon::Exclamation;
    }
}

PrintRun runPrint(const Database& db, qint64 documentId, PrintedDocument document, const AppContext& ctx,
                  Printers& printers, const PrintDialog& printDialog)
{
    ProgramState& state = ctx.state;
    const QString Mahntext = state.Mahntext;
    state.Mahntext.clear();

    PrintRun run;
    const PrintEnvironment env = printEnvironment(ctx);
    run.job = document == PrintedDocument::Invoice ? prepareInvoicePrint(db, documentId, env)
                                                   : prepareDeliveryNotePrint(db, documentId, env);
    if (!run.job.ready()) {
        ctx.prompts.message(run.job.title, run.job.message, refusalIcon(run.job));
        return run;
    }
    QString error;
    if (!storePrintChanges(db, run.job, &error)) {
        ctx.prompts.critical(kErrorTitle, error);
        return run;
    }

    const bool matched = choosePrinter(printers, state);
    if (document == PrintedDocument::Invoice || !matched) {
        // Cancelling the dialog cancels the print, the delivery note's too:
        // a user who cancels does not expect paper to come out.
        state.printFile.clear();
        const bool accepted = printDialog ? printDialog(state) : true;
        if (!accepted) {
            state.printFile.clear();
            run.status = PrintRun::Status::Cancelled;
            return run;
        }
    }

    const std::vector<PageModel> documents = printJobDocuments(run.job, env, Mahntext);
    // A file chosen in the dialog holds this print only; the next one goes
    // to the printer again. A PDF page is the whole sheet: no printer offsets.
    const QString file = std::exchange(state.printFile, QString());
    const bool printed = file.isEmpty()
        ? printers.print(currentPrinterName(printers, state), documents, MarginValues{state.xwert, state.ywert},
                         &error)
        : renderToPdf(documents, file, MarginValues{}, &error);
    if (!printed) {
        if (error.isEmpty())
            error = QStringLiteral("Das Dokument konnte nicht gedruckt werden.");
        if (run.job.numberAssigned())
            error += numberKeptNotice(run.job.head.number);
        ctx.prompts.critical(kErrorTitle, error);
        run.status = PrintRun::Status::Failed;
        return run;
    }
    run.status = PrintRun::Status::Printed;
    return run;
}

} // namespace

PrintRun runInvoicePrint(const Database& db, qint64 documentId, const AppContext& ctx, Printers& printers,
                         const PrintDialog& printDialog)
{
    return runPrint(db, documentId, PrintedDocument::Invoice, ctx, printers, printDialog);
}

PrintRun runDeliveryNotePrint(const Database& db, qint64 documentId, const AppContext& ctx, Printers& printers,
                              const PrintDialog& printDialog)
{
    return runPrint(db, documentId, PrintedDocument::DeliveryNote, ctx, printers, printDialog);
}

QString printQuestion(const DocumentHead& head)
{
    return QStringLiteral("Rechnung ") + head.date + QStringLiteral(" an ") + head.name + QStringLiteral(" drucken ?");
}

} // namespace quittora
