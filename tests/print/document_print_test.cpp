#include "print/DocumentPrint.h"

#include "print/FakePrinters.h"
#include "print/PageQueries.h"
#include "print/PdfWords.h"
#include "print/PrintDocumentName.h"
#include "print/PrinterSetup.h"
#include "print/Reminder.h"
#include "support/DataRuleTable.h"
#include "support/TempDatabase.h"
#include "support/TestContext.h"
#include "tools/SettingsRules.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using namespace quittora;
using namespace quittora::testing;
using quittora::test::TempDatabase;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

// A database with one invoice of three lines for a customer with no cash
// discount of their own; the template's next number is 1000.
class DocumentPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.isValid()) << db.error().toStdString();
        customer = db.addCustomer(u("Mustermann"), u("Max"));
        invoice = addDocument({}, u("Rechnung"));
    }

    qint64 addDocument(const QString& number, const QString& kind)
    {
        const qint64 id = db.addDocument(number, u("15.03.2024"), kind, false,
                                         {{u("a1"), u("Herrn")},
                                          {u("a2"), u("Max Mustermann")},
                                          {u("a4"), u("Musterweg 5")},
                                          {u("a5"), u("12345 Musterstadt")},
                                          {u("b1"), QString::number(customer)}});
        db.addLine(id, u("2"), u("Wandfarbe"), u("50,00"), u("100,00"), u("19"), u("Eimer"));
        db.addLine(id, u("1"), u("Anfahrt"), u("50,00"), u("50,00"), u("7"));
        db.addLine(id, {}, u("Ausführung nach Absprache"), {}, {}, {});
        return id;
    }

    PrintEnvironment env() const { return printEnvironment(t.ctx); }

    QString nextNumber() const { return db.setting(u("Rechnungsnummer")).toString(); }
    QString documentNumber(qint64 id) const { return db.field(u("Rechnungen"), id, u("a7")).toString(); }

    // prepare + store, as the print button does before the print dialog.
    PrintJob prepareAndStore(qint64 id)
    {
        PrintJob job = prepareInvoicePrint(db.db(), id, env());
        EXPECT_TRUE(job.ready()) << job.message.toStdString();
        QString error;
        EXPECT_TRUE(storePrintChanges(db.db(), job, &error)) << error.toStdString();
        return job;
    }

    TempDatabase db;
    TestContext t;
    qint64 customer = 0;
    qint64 invoice = 0;
};

} // namespace

TEST_F(DocumentPrint, TheFirstPrintOfAnInvoiceStoresTheNextNumberWithTheTotalsOnce)
{
    PrintJob job = prepareInvoicePrint(db.db(), invoice, env());
    ASSERT_TRUE(job.ready()) << job.message.toStdString();
    EXPECT_TRUE(job.numberAssigned());
    EXPECT_EQ(job.head.number + u(" ") + job.nextInvoiceNumber + u(" ") + job.head.gross, u("1000 1001 172,50"));
    EXPECT_EQ(job.copies, 1);
    EXPECT_EQ(documentNumber(invoice) + nextNumber(), u("1000")); // preparing alone changes nothing
    QString error;
    ASSERT_TRUE(storePrintChanges(db.db(), job, &error)) << error.toStdString();
    EXPECT_EQ(documentNumber(invoice) + u(" ") + nextNumber(), u("1000 1001"));
    EXPECT_EQ(db.field(u("Rechnungen"), invoice, u("a6")).toString(), u("172,50"));
    EXPECT_EQ(db.field(u("Rechnungen"), invoice, u("a14")).toString(), u("150,00"));
    const std::vector<PageModel> docs = printJobDocuments(job, env());
    ASSERT_EQ(docs.size(), 1u);
    expectPlaced(docs[0].page(0), {{'L', 135, 70, "Rechnung Nr. 1000"}, {'R', 197, 260, "172,50 EUR"}});

    // A failed print keeps the stored number; the reprint uses it.
    FakePrinters printers;
    printers.failPrinting = true;
    EXPECT_FALSE(printJob(job, env(), printers, t.state, &error));
    EXPECT_FALSE(error.isEmpty());
    printers.failPrinting = false;
    const PrintJob second = prepareAndStore(invoice);
    EXPECT_FALSE(second.numberAssigned());
    EXPECT_FALSE(second.documentChanges.contains(u("a7")));
    ASSERT_TRUE(printJob(second, env(), printers, t.state, &error));
    expectPlaced(printers.jobs.at(0).documents.at(0).page(0), {{'L', 135, 70, "Rechnung Nr. 1000"}});
    EXPECT_EQ(documentNumber(invoice) + u(" ") + nextNumber(), u("1000 1001"));
    EXPECT_EQ(prepareAndStore(addDocument({}, u("Rechnung"))).head.number, u("1001"));
    EXPECT_EQ(nextNumber(), u("1002"));

    // A quote gets no number and leaves the next number unchanged.
    const qint64 quote = addDocument({}, u("Angebot"));
    const PrintJob offer = prepareAndStore(quote);
    EXPECT_FALSE(offer.numberAssigned());
    EXPECT_EQ(documentNumber(quote) + nextNumber(), u("1002"));
    expectPlaced(printJobDocuments(offer, env()).at(0).page(0),
                 {{'L', 135, 70, "Angebot Nr. "}, {'L', 20, 107, "Vielen Dank für Ihre Anfrage."}});
    // The offered file name names the document.
    const qint64 odd = db.addDocument(u("2024/7"), u("01.03.2024"));
    test::expectRows("file name", {
        {printDocumentName(db.db(), invoice, PrintedDocument::Invoice), "Rechnung 1000"},
        {printDocumentName(db.db(), invoice, PrintedDocument::DeliveryNote), "Lieferschein 1000"},
        {printDocumentName(db.db(), quote, PrintedDocument::Invoice), "Angebot"},
        {printDocumentName(db.db(), odd, PrintedDocument::Invoice), "Rechnung 20247"},
        {printDocumentName(db.db(), 999999, PrintedDocument::Invoice), "Quittora pro"},
    });
}

TEST_F(DocumentPrint, RefusalsChangeNothingAndSayWhy)
{
    // Copies 0: nothing is printed, and no number is used up for it.
    ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET frei1 = '0'")));
    PrintJob job = prepareInvoicePrint(db.db(), invoice, env());
    EXPECT_EQ(job.outcome, PrintJob::Outcome::NoCopies);
    EXPECT_EQ(job.title, u("Hinweis !"));
    EXPECT_TRUE(job.message.contains(u("Rechnungskopien")));
    EXPECT_FALSE(job.numberAssigned());
    QString error;
    EXPECT_FALSE(storePrintChanges(db.db(), job, &error));
    EXPECT_TRUE(printJobDocuments(job, env()).empty());
    EXPECT_EQ(documentNumber(invoice) + nextNumber(), u("1000"));
    const std::pair<const char*, PrintJob::Outcome> refusals[] = {
        {"frei1 = '500'", PrintJob::Outcome::TooManyCopies},
        // A VAT rate that is no number: the totals cannot be trusted.
        {"frei1 = '1', MWSt = 'neunzehn'", PrintJob::Outcome::TotalsFailed},
        {"MWSt = '19', Rechnungsnummer = ''", PrintJob::Outcome::NumberMissing}};
    for (const auto& [change, outcome] : refusals) {
        ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET ") + u(change)));
        job = prepareInvoicePrint(db.db(), invoice, env());
        EXPECT_EQ(job.outcome, outcome) << change;
        EXPECT_FALSE(job.message.isEmpty()) << change;
    }
    EXPECT_EQ(documentNumber(invoice), QString());
    job = prepareInvoicePrint(db.db(), 4711, env());
    EXPECT_EQ(job.outcome, PrintJob::Outcome::UnknownDocument);
    EXPECT_EQ(job.message, u("Es gibt kein Dokument mit der ID 4711."));
}

TEST_F(DocumentPrint, CopiesPrinterMarginsCashDiscountAndEnvironmentComeFromTheSettingsAndTheState)
{
    ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET frei1 = '2'")));
    ASSERT_TRUE(db.exec(u("UPDATE Kunden SET a9 = '2' WHERE ID = ?"), {customer}));
    FakePrinters printers;
    printers.installed = {u("Laser Büro"), u("PDF")};
    printers.defaultPrinter = u("PDF");
    t.state.Druckerauswahl = u("Laser*");
    t.state.xwert = 4.5f;
    t.state.ywert = 3.0f;
    ASSERT_TRUE(choosePrinter(printers, t.state));
    const PrintJob job = prepareAndStore(invoice);
    EXPECT_EQ(printQuestion(job.head), u("Rechnung 15.03.2024 an Max Mustermann drucken ?"));
    QString error;
    ASSERT_TRUE(printJob(job, env(), printers, t.state, &error)) << error.toStdString();
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(printers.jobs[0].printer, u("Laser Büro"));
    EXPECT_EQ(printers.jobs[0].margins, (MarginValues{4.5f, 3.0f}));
    ASSERT_EQ(printers.jobs[0].documents.size(), 2u); // each copy a document of its own
    // The customer's own cash discount is printed and stored.
    ASSERT_FALSE(job.head.skonto.isEmpty());
    EXPECT_EQ(textAtOrEmpty(printers.jobs[0].documents[1].page(0), 15, 260), job.head.skonto);
    EXPECT_EQ(db.field(u("Rechnungen"), invoice, u("b2")).toString(), job.head.skonto);

    t.settings.setValue(settingsrules::titleColourKey(), u("255"));
    t.settings.setValue(settingsrules::receiptConfirmationKey(), u("0"));
    t.state.Rechnungsbasis = 1;
    t.clock.setToday(QDate(2024, 6, 30));
    const PrintEnvironment e = env();
    EXPECT_EQ(e.titleColour, QColor(255, 0, 0));
    EXPECT_FALSE(e.receiptConfirmation);
    EXPECT_EQ(e.basis, PriceBasis::Gross);
    EXPECT_EQ(e.today, QDate(2024, 6, 30));
    EXPECT_EQ(e.decimalSeparator, QLatin1Char(','));
}

TEST_F(DocumentPrint, DeliveryNoteGetsNoNumberShowsNoPricesAndTheReceiptBlockFollowsTheSetting)
{
    PrintJob job = prepareDeliveryNotePrint(db.db(), invoice, env());
    ASSERT_TRUE(job.ready()) << job.message.toStdString();
    EXPECT_FALSE(job.numberAssigned() || job.documentChanges.contains(u("a7")));
    QString error;
    ASSERT_TRUE(storePrintChanges(db.db(), job, &error));
    EXPECT_EQ(nextNumber(), u("1000"));
    PrintEnvironment with = env();
    with.receiptConfirmation = true;
    const Page page = printJobDocuments(job, with).at(0).page(0);
    expectPlaced(page, {{'L', 135, 70, "Auftrag Nr. "}, {'L', 20, 105, "Lieferschein"},
                        {'L', 20, 112, "Wir danken Ihnen für Ihre Bestellung"}, {'L', 70, 135, "Anfahrt"},
                        {'L', 70, 140, "Ausführung nach Absprache"}, {'L', 23, 63, "Musterweg 5"},
                        {'L', 135, 78, "Datum: 15.03.2024"}, {'L', 120, 242, "Ware erhalten / in Empfang genommen"}});
    EXPECT_EQ(textsOnLine(page, 122), (QStringList{u("Menge"), u("Art / Einh"), u("Bezeichnung")}));
    EXPECT_EQ(textsOnLine(page, 130), (QStringList{u("2"), u("Eimer"), u("Wandfarbe")}));
    EXPECT_EQ(textAt(page, 20, 105)->style.sizePt, 12);
    // Title, name and town bold.
    EXPECT_TRUE(textAt(page, 20, 105)->style.bold && textAt(page, 23, 58)->style.bold && textAt(page, 23, 73)->style.bold);
    for (const TextItem* text : page.texts())
        EXPECT_FALSE(text->text.contains(u("EUR")) || text->text == u("Rechnungsbetrag")) << text->text.toStdString();
    EXPECT_TRUE(!hasRule(page, 235) && !hasRule(page, 256) && hasRule(page, 269));
    EXPECT_TRUE(hasLine(page, 120, 260, 185, 260));

    PrintEnvironment without = env();
    without.receiptConfirmation = false;
    const Page plain = printJobDocuments(job, without).at(0).page(0);
    EXPECT_FALSE(hasLine(plain, 120, 260, 185, 260));
    // Below the items only the closing rule and the footer.
    for (const TextItem* text : plain.texts())
        EXPECT_TRUE(text->y.value() < 145 || text->y.value() >= 273) << text->text.toStdString();
}

TEST_F(DocumentPrint, DeliveryNoteOfAnInvoiceWithExtraLineBreaksPagesWithoutCarryOver)
{
    ASSERT_TRUE(db.exec(u("UPDATE Rechnungen SET a3 = 'z. Hd. Frau Muster' WHERE ID = ?"), {invoice}));
    for (int i = 4; i <= 21; ++i)
        db.addLine(invoice, u("1"), QStringLiteral("Teil %1").arg(i), u("1,00"), u("1,00"));
    ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET frei1 = '2'")));
    prepareAndStore(invoice);
    PrintJob job = prepareDeliveryNotePrint(db.db(), invoice, env());
    ASSERT_TRUE(job.ready());
    const std::vector<PageModel> docs = printJobDocuments(job, env());
    ASSERT_EQ(docs.size(), 2u);
    ASSERT_EQ(docs[0].pageCount(), 2);
    const Page& first = docs[0].page(0);
    expectPlaced(first, {{'L', 135, 70, "Auftrag Nr. 1000"}, {'L', 23, 63, "z. Hd. Frau Muster"}, {'L', 23, 68, "Musterweg 5"},
                         {'L', 23, 78, "12345 Musterstadt"}, {'L', 70, 230, "Teil 21"},
                         {'L', 21, 273, "Steuernummer 123/456/78901"}});
    EXPECT_FALSE(allTexts(first).contains(u("Übertrag ")));
    EXPECT_TRUE(hasRule(first, 269));
    const Page& second = docs[0].page(1);
    EXPECT_EQ(textAtOrEmpty(second, 20, 15), u("Auftrag Nr. 1000   Seite 2"));
    EXPECT_EQ(textsOnLine(second, 23), (QStringList{u("Menge"), u("Art / Einh"), u("Bezeichnung")}));
    EXPECT_TRUE(hasLine(second, 120, 260, 185, 260));
    EXPECT_EQ(allTexts(docs[1].page(1)), allTexts(second));
}

TEST_F(DocumentPrint, ReminderAsksForTheTextAndPrintsItOnTheFirstCopyOnly)
{
    prepareAndStore(invoice);
    t.prompts.answerInput(u("Bitte zahlen Sie bis Freitag."));
    ASSERT_TRUE(askReminderText(t.prompts, ReminderKind::Dunning, u("1000"), u("Max Mustermann"), t.state));
    EXPECT_EQ(t.prompts.last().title, u("Mahnung drucken"));
    EXPECT_EQ(t.prompts.last().text, u("Rechnung Nr.1000 an Max Mustermann\r\r\rFolgender Text wird der Rechnung zugefügt:"));
    EXPECT_EQ(t.prompts.last().defaultText, u("1. Mahnung - Wir bitten um umgehende Begleichung dieser Rechnung"));
    EXPECT_EQ(t.state.Mahntext, u("Bitte zahlen Sie bis Freitag."));
    ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET frei1 = '2'")));
    t.clock.setToday(QDate(2024, 4, 20));
    FakePrinters printers;
    QString error;
    ASSERT_TRUE(printJob(prepareInvoicePrint(db.db(), invoice, env()), env(), printers, t.state, &error));
    EXPECT_TRUE(t.state.Mahntext.isEmpty());
    const auto& docs = printers.jobs.at(0).documents;
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_NE(docs[0].page(0).findText(u("Bitte zahlen Sie bis Freitag.")), nullptr);
    EXPECT_NE(docs[0].page(0).findText(u(" Nr. 1000 vom 15.03.2024")), nullptr);
    expectPlaced(docs[0].page(0), {{'L', 135, 78, "Datum: 20.04.2024"}});
    EXPECT_EQ(docs[1].page(0).findText(u("Bitte zahlen Sie bis Freitag.")), nullptr);
    expectPlaced(docs[1].page(0), {{'L', 135, 78, "Datum: 15.03.2024"}});

    // Cancelled or emptied: nothing to print. An invoice without number: "Nr." directly before " an ".
    for (const std::optional<QString>& answer : {std::optional<QString>(), std::optional<QString>(QString())}) {
        t.prompts.answerInput(answer);
        EXPECT_FALSE(askReminderText(t.prompts, ReminderKind::PaymentReminder, {}, u("Max Mustermann"), t.state));
        EXPECT_TRUE(t.state.Mahntext.isEmpty());
    }
    EXPECT_EQ(t.prompts.last().title, u("Zahlungserinnerung drucken"));
    EXPECT_TRUE(t.prompts.last().text.startsWith(u("Rechnung Nr. an Max Mustermann\r\r\r")));
    EXPECT_EQ(t.prompts.last().defaultText, u("Zahlungserinnerung ! - Wir bitten um Begleichung dieser Rechnung"));

    // A delivery note never prints the reminder text but empties it.
    t.state.Mahntext = u("Zahlungserinnerung !");
    ASSERT_TRUE(printJob(prepareDeliveryNotePrint(db.db(), invoice, env()), env(), printers, t.state, &error));
    EXPECT_TRUE(t.state.Mahntext.isEmpty());
    const Page& note = printers.jobs.at(1).documents.at(0).page(0);
    EXPECT_FALSE(allTexts(note).contains(u("Zahlungserinnerung !")));
    ASSERT_NE(note.findText(u(" Nr. 1000 vom 15.03.2024")), nullptr);
    EXPECT_EQ(note.findText(u(" Nr. 1000 vom 15.03.2024"))->y.value(), 74);
    expectPlaced(note, {{'L', 135, 78, "Datum: 15.03.2024"}});
}

// --- The whole commands ------------------------------------------------------

namespace {

struct DialogSpy {
    bool answer = true;
    QString switchTo; // the printer the user picks in the dialog
    int shown = 0;
    QString shownFor;
    PrintDialog dialog()
    {
        return [this](ProgramState& state) {
            ++shown;
            shownFor = state.currentPrinter;
            if (!switchTo.isEmpty())
                state.currentPrinter = switchTo;
            return answer;
        };
    }
};

} // namespace

TEST_F(DocumentPrint, PrintButtonStoresTheNumberShowsTheDialogAndPrintsOnThePickedPrinter)
{
    FakePrinters printers;
    printers.installed = {u("Laser"), u("Tinte")};
    t.state.Druckerauswahl = u("Laser");
    t.state.Mahntext = u("Zahlungserinnerung !");
    DialogSpy dialog;
    dialog.switchTo = u("Tinte");

    const PrintRun run = runInvoicePrint(db.db(), invoice, t.ctx, printers, dialog.dialog());
    EXPECT_EQ(run.status, PrintRun::Status::Printed);
    EXPECT_EQ(dialog.shown, 1);
    EXPECT_EQ(dialog.shownFor, u("Laser"));
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(printers.jobs[0].printer, u("Tinte"));
    EXPECT_NE(printers.jobs[0].documents.at(0).page(0).findText(u("Zahlungserinnerung !")), nullptr);
    EXPECT_TRUE(t.state.Mahntext.isEmpty());
    EXPECT_EQ(documentNumber(invoice), u("1000"));
    EXPECT_EQ(t.prompts.count(), 0);
}

TEST_F(DocumentPrint, CancelledDialogPrintsNothingKeepsTheNumberAndDropsTheReminder)
{
    FakePrinters printers;
    t.state.Mahntext = u("1. Mahnung");
    DialogSpy dialog;
    dialog.answer = false;
    const PrintRun run = runInvoicePrint(db.db(), invoice, t.ctx, printers, dialog.dialog());
    EXPECT_EQ(run.status, PrintRun::Status::Cancelled);
    EXPECT_TRUE(printers.jobs.empty());
    EXPECT_EQ(documentNumber(invoice), u("1000"));
    EXPECT_EQ(nextNumber(), u("1001"));
    EXPECT_TRUE(t.state.Mahntext.isEmpty());
    EXPECT_EQ(t.prompts.count(), 0);
}

TEST_F(DocumentPrint, PrintButtonSaysWhyNothingWasPrinted)
{
    FakePrinters printers;
    DialogSpy dialog;
    ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET frei1 = ''")));
    PrintRun run = runInvoicePrint(db.db(), invoice, t.ctx, printers, dialog.dialog());
    EXPECT_EQ(run.status, PrintRun::Status::Refused);
    EXPECT_EQ(dialog.shown, 0);
    EXPECT_EQ(t.prompts.last().title, u("Hinweis !"));
    EXPECT_EQ(t.prompts.last().icon, Prompts::Icon::Exclamation);
    EXPECT_EQ(documentNumber(invoice), QString());

    // The printer fails after the number was stored: the message says the
    // number stays with the invoice.
    ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET frei1 = '1'")));
    printers.failPrinting = true;
    run = runInvoicePrint(db.db(), invoice, t.ctx, printers, dialog.dialog());
    EXPECT_EQ(run.status, PrintRun::Status::Failed);
    EXPECT_EQ(t.prompts.last().title, u("Fehler"));
    EXPECT_EQ(t.prompts.last().icon, Prompts::Icon::Critical);
    EXPECT_TRUE(t.prompts.last().text.contains(u("Rechnungsnummer 1000 bleibt der Rechnung zugeordnet")));
    EXPECT_EQ(documentNumber(invoice), u("1000"));
}

TEST_F(DocumentPrint, DeliveryNoteShowsTheDialogOnlyWithoutMatchingPrinterAndCancellingItCancelsTheNote)
{
    FakePrinters printers;
    printers.installed = {u("Laser")};
    printers.defaultPrinter = u("Laser");
    DialogSpy dialog;
    t.state.Druckerauswahl = u("Laser");
    PrintRun run = runDeliveryNotePrint(db.db(), invoice, t.ctx, printers, dialog.dialog());
    EXPECT_EQ(run.status, PrintRun::Status::Printed);
    EXPECT_EQ(dialog.shown, 0);
    ASSERT_EQ(printers.jobs.size(), 1u);

    t.state.Druckerauswahl = u("Gibt es nicht");
    t.state.Mahntext = u("Zahlungserinnerung !");
    dialog.answer = false;
    run = runDeliveryNotePrint(db.db(), invoice, t.ctx, printers, dialog.dialog());
    EXPECT_EQ(run.status, PrintRun::Status::Cancelled);
    EXPECT_EQ(dialog.shown, 1);
    EXPECT_EQ(printers.jobs.size(), 1u);
    EXPECT_TRUE(t.state.Mahntext.isEmpty());

    // Accepted, it prints on the printer the dialog left current.
    dialog.answer = true;
    run = runDeliveryNotePrint(db.db(), invoice, t.ctx, printers, dialog.dialog());
    EXPECT_EQ(run.status, PrintRun::Status::Printed);
    EXPECT_EQ(dialog.shown, 2);
    ASSERT_EQ(printers.jobs.size(), 2u);
    EXPECT_EQ(textAtOrEmpty(printers.jobs[1].documents.at(0).page(0), 20, 105), u("Lieferschein"));
    EXPECT_EQ(documentNumber(invoice), QString());
}

TEST_F(DocumentPrint, PrintToFileChosenInTheDialogWritesThePdfOnceAndLeavesThePrinterAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath(u("Rechnung.pdf"));
    FakePrinters printers; // none installed: the file needs no printer
    t.state.currentPrinter = u("Laser");
    PrintDialog toFile = [&pdf](ProgramState& state) {
        state.printFile = pdf;
        return true;
    };

    PrintRun run = runInvoicePrint(db.db(), invoice, t.ctx, printers, toFile);
    EXPECT_EQ(run.status, PrintRun::Status::Printed);
    EXPECT_EQ(t.prompts.count(), 0);
    EXPECT_TRUE(printers.jobs.empty());
    EXPECT_EQ(t.state.currentPrinter, u("Laser"));
    EXPECT_TRUE(t.state.printFile.isEmpty());
    QString error;
    const std::vector<PdfWord> words = pdfWords(pdf, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const auto has = [&words](const QString& text) {
        return std::any_of(words.cbegin(), words.cend(), [&text](const PdfWord& w) { return w.text == text; });
    };
    EXPECT_TRUE(has(u("Mustermann")));
    EXPECT_TRUE(has(u("1000")));

    // The next print goes to the printer again.
    printers.installed = {u("Laser")};
    DialogSpy dialog;
    run = runInvoicePrint(db.db(), invoice, t.ctx, printers, dialog.dialog());
    EXPECT_EQ(run.status, PrintRun::Status::Printed);
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(printers.jobs[0].printer, u("Laser"));

    // A file that cannot be written is said, with the number that stays.
    PrintDialog toNowhere = [&dir](ProgramState& state) {
        state.printFile = dir.filePath(u("fehlt/Rechnung.pdf"));
        return true;
    };
    run = runInvoicePrint(db.db(), invoice, t.ctx, printers, toNowhere);
    EXPECT_EQ(run.status, PrintRun::Status::Failed);
    EXPECT_EQ(t.prompts.last().title, u("Fehler"));
    const QString said = t.prompts.last().text;
    EXPECT_TRUE(said.contains(u("nicht gespeichert")) && said.contains(u("nicht vorhanden")))
        << said.toStdString();
    EXPECT_EQ(printers.jobs.size(), 1u);
}
