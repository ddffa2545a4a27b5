#include "print/DocumentPrint.h"


#include "print/FakePrinters.h"
#include "print/PageQueries.h"
#include "print/PrintDocumentName.h"
#include "print/PrinterSetup.h"
#include "support/DataRuleTable.h"
#include "support/TempDatabase.h"
#include "support/TestContext.h"
#include "tools/SettingsRules.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

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
        invoice = addDocument(u("Rechnung"));
    }
    qint64 addDocument(const QString& kind)
    {
        const qint64 id = db.addDocument({}, u("15.03.2024"), kind, false,
                                         {{u("a1"), u("Herrn")}, {u("a2"), u("Max Mustermann")}, {u("a4"), u("Musterweg 5")},
                                          {u("a5"), u("12345 Musterstadt")}, {u("b1"), QString::number(customer)}});
        db.addLine(id, u("2"), u("Wandfarbe"), u("50,00"), u("100,00"), u("19"), u("Eimer"));
        db.addLine(id, u("1"), u("Anfahrt"), u("50,00"), u("50,00"), u("7"));
        db.addLine(id, {}, u("Ausführung nach Absprache"), {}, {}, {});
        return id;
    }
    PrintEnvironment env() const { return printEnvironment(t.ctx); }
    // The document's number and the next number, "|"-joined.
    QString numbers(qint64 id) const
    {
        return db.field(u("Rechnungen"), id, u("a7")).toString() + u("|") + db.setting(u("Rechnungsnummer")).toString();
    }
    // prepare + store, as the print button does before the print dialog.
    PrintJob prepareAndStore(qint64 id)
    {
        PrintJob job = prepareInvoicePrint(db.db(), id, env());
        EXPECT_TRUE(job.ready()) << job.message.toStdString();
        QString error;
        EXPECT_TRUE(storePrintChanges(db.db(), job, &error)) << error.toStdString();
        return job;
    }
    // A print dialog that answers `answer`, optionally switching the printer or printing to a file.
    PrintDialog dialog(bool answer = true, const QString& printer = {}, const QString& file = {})
    {
        return [=, this](ProgramState& state) {
            ++dialogs;
            if (!printer.isEmpty())
                state.currentPrinter = printer;
            state.printFile = file;
            return answer;
        };
    }
    QString lastPrompt() const { return t.prompts.count() ? t.prompts.last().title + u(": ") + t.prompts.last().text : u("-"); }

    TempDatabase db;
    TestContext t;
    FakePrinters printers;
    qint64 customer = 0, invoice = 0;
    int dialogs = 0;
};

} // namespace

TEST_F(DocumentPrint, TheFirstPrintOfAnInvoiceStoresTheNextNumberWithTheTotalsOnce)
{
    PrintJob job = prepareInvoicePrint(db.db(), invoice, env());
    ASSERT_TRUE(job.ready()) << job.message.toStdString();
    EXPECT_EQ(job.head.number + u(" ") + job.nextInvoiceNumber + u(" ") + job.head.gross, u("1000 1001 172,50"));
    EXPECT_EQ(numbers(invoice), u("|1000")); // preparing alone changes nothing
    QString error;
    ASSERT_TRUE(storePrintChanges(db.db(), job, &error)) << error.toStdString();
    EXPECT_EQ(numbers(invoice), u("1000|1001"));
    EXPECT_EQ(db.field(u("Rechnungen"), invoice, u("a6")).toString() + db.field(u("Rechnungen"), invoice, u("a14")).toString(),
              u("172,50150,00"));
    expectPlaced(printJobDocuments(job, env()).at(0).page(0), {{'L', 135, 70, "Rechnung Nr. 1000"}, {'R', 197, 260, "172,50 EUR"}});

    // A failed print keeps the stored number; the reprint uses it.
    printers.failPrinting = true;
    EXPECT_FALSE(printJob(job, env(), printers, t.state, &error));
    printers.failPrinting = false;
    const PrintJob second = prepareAndStore(invoice);
    EXPECT_FALSE(second.numberAssigned() || second.documentChanges.contains(u("a7")));
    EXPECT_EQ(second.head.number, u("1000"));
    EXPECT_EQ(prepareAndStore(addDocument(u("Rechnung"))).head.number, u("1001"));
    // A quote gets no number and leaves the next number unchanged.
    const qint64 quote = addDocument(u("Angebot"));
    const PrintJob offer = prepareAndStore(quote);
    EXPECT_EQ(numbers(quote), u("|1002"));
    expectPlaced(printJobDocuments(offer, env()).at(0).page(0), {{'L', 135, 70, "Angebot Nr. "}});
    const qint64 odd = db.addDocument(u("2024/7"), u("01.03.2024"));
    test::expectRows("file name", {{printDocumentName(db.db(), invoice, PrintedDocument::DeliveryNote), "Lieferschein 1000"},
                                   {printDocumentName(db.db(), quote, PrintedDocument::Invoice), "Angebot"},
                                   {printDocumentName(db.db(), odd, PrintedDocument::Invoice), "Rechnung 20247"}});
}

TEST_F(DocumentPrint, RefusalsChangeNothingAndSayWhy)
{
    const std::pair<const char*, PrintJob::Outcome> refusals[] = {
        {"frei1 = '0'", PrintJob::Outcome::NoCopies}, {"frei1 = '500'", PrintJob::Outcome::TooManyCopies},
        // A VAT rate that is no number: the totals cannot be trusted.
        {"frei1 = '1', MWSt = 'neunzehn'", PrintJob::Outcome::TotalsFailed},
        {"MWSt = '19', Rechnungsnummer = ''", PrintJob::Outcome::NumberMissing}};
    for (const auto& [change, outcome] : refusals) {
        ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET ") + u(change)));
        PrintJob job = prepareInvoicePrint(db.db(), invoice, env());
        EXPECT_EQ(job.outcome, outcome) << change;
        EXPECT_FALSE(job.message.isEmpty() || job.numberAssigned()) << change;
        QString error;
        EXPECT_FALSE(storePrintChanges(db.db(), job, &error)) << change;
        EXPECT_TRUE(printJobDocuments(job, env()).empty()) << change;
    }
    EXPECT_EQ(numbers(invoice), u("|"));
    EXPECT_EQ(prepareInvoicePrint(db.db(), 4711, env()).outcome, PrintJob::Outcome::UnknownDocument);
    // Through the print button: a note, no dialog.
    ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET frei1 = '', Rechnungsnummer = '1000'")));
    EXPECT_EQ(runInvoicePrint(db.db(), invoice, t.ctx, printers, dialog()).status, PrintRun::Status::Refused);
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(lastPrompt().startsWith(u("Hinweis !: ")) && lastPrompt().contains(u("Rechnungskopien"))) << lastPrompt().toStdString();
    EXPECT_EQ(t.prompts.last().icon, Prompts::Icon::Exclamation);
}

TEST_F(DocumentPrint, CopiesPrinterMarginsCashDiscountAndEnvironmentComeFromTheSettingsAndTheState)
{
    ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET frei1 = '2'")));
    ASSERT_TRUE(db.exec(u("UPDATE Kunden SET a9 = '2' WHERE ID = ?"), {customer}));
    printers.installed = {u("Laser Büro"), u("PDF")};
    printers.defaultPrinter = u("PDF");
    t.state.Druckerauswahl = u("Laser*");
    t.state.xwert = 4.5f, t.state.ywert = 3.0f;
    ASSERT_TRUE(choosePrinter(printers, t.state));
    const PrintJob job = prepareAndStore(invoice);
    EXPECT_EQ(printQuestion(job.head), u("Rechnung 15.03.2024 an Max Mustermann drucken ?"));
    QString error;
    ASSERT_TRUE(printJob(job, env(), printers, t.state, &error)) << error.toStdString();
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_TRUE(printers.jobs[0].printer == u("Laser Büro") && printers.jobs[0].margins == (MarginValues{4.5f, 3.0f}));
    ASSERT_EQ(printers.jobs[0].documents.size(), 2u); // each copy a document of its own
    // The customer's own cash discount is printed and stored.
    ASSERT_TRUE(job.head.skonto.contains(u("2% Skonto"))) << job.head.skonto.toStdString();
    EXPECT_EQ(textAtOrEmpty(printers.jobs[0].documents[1].page(0), 15, 260), job.head.skonto);
    EXPECT_EQ(db.field(u("Rechnungen"), invoice, u("b2")).toString(), job.head.skonto);

    t.settings.setValue(settingsrules::titleColourKey(), u("255"));
    t.settings.setValue(settingsrules::receiptConfirmationKey(), u("0"));
    t.state.Rechnungsbasis = 1;
    t.clock.setToday(QDate(2024, 6, 30));
    const PrintEnvironment e = env();
    EXPECT_TRUE(e.titleColour == QColor(255, 0, 0) && !e.receiptConfirmation && e.basis == PriceBasis::Gross
                && e.today == QDate(2024, 6, 30));
}

TEST_F(DocumentPrint, DeliveryNoteGetsNoNumberShowsNoPricesAndBreaksPagesWithoutCarryOver)
{
    PrintJob job = prepareDeliveryNotePrint(db.db(), invoice, env());
    ASSERT_TRUE(job.ready()) << job.message.toStdString();
    QString error;
    ASSERT_TRUE(storePrintChanges(db.db(), job, &error));
    EXPECT_EQ(numbers(invoice), u("|1000"));
    const Page page = printJobDocuments(job, env()).at(0).page(0);
    expectPlaced(page, {{'L', 135, 70, "Auftrag Nr. "}, {'L', 20, 105, "Lieferschein"},
                        {'L', 20, 112, "Wir danken Ihnen für Ihre Bestellung"}, {'L', 70, 140, "Ausführung nach Absprache"},
                        {'L', 120, 242, "Ware erhalten / in Empfang genommen"}});
    EXPECT_EQ(textsOnLine(page, 130), (QStringList{u("2"), u("Eimer"), u("Wandfarbe")}));
    for (const TextItem* text : page.texts())
        EXPECT_FALSE(text->text.contains(u("EUR")) || text->text == u("Rechnungsbetrag")) << text->text.toStdString();
    EXPECT_TRUE(!hasRule(page, 235) && !hasRule(page, 256) && hasRule(page, 269) && hasLine(page, 120, 260, 185, 260));
    PrintEnvironment without = env();
    without.receiptConfirmation = false;
    for (const TextItem* text : printJobDocuments(job, without).at(0).page(0).texts()) // only the footer below the items
        EXPECT_TRUE(text->y.value() < 145 || text->y.value() >= 273) << text->text.toStdString();

    ASSERT_TRUE(db.exec(u("UPDATE Rechnungen SET a3 = 'z. Hd. Frau Muster' WHERE ID = ?"), {invoice}));
    for (int i = 4; i <= 21; ++i)
        db.addLine(invoice, u("1"), QStringLiteral("Teil %1").arg(i), u("1,00"), u("1,00"));
    ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET frei1 = '2'")));
    prepareAndStore(invoice);
    const std::vector<PageModel> docs = printJobDocuments(prepareDeliveryNotePrint(db.db(), invoice, env()), env());
    ASSERT_EQ(docs.size(), 2u);
    ASSERT_EQ(docs[0].pageCount(), 2);
    expectPlaced(docs[0].page(0), {{'L', 135, 70, "Auftrag Nr. 1000"}, {'L', 23, 63, "z. Hd. Frau Muster"},
                                   {'L', 23, 78, "12345 Musterstadt"}, {'L', 70, 230, "Teil 21"}});
    EXPECT_FALSE(allTexts(docs[0].page(0)).contains(u("Übertrag ")));
    expectPlaced(docs[0].page(1), {{'L', 20, 15, "Auftrag Nr. 1000   Seite 2"}, {'L', 19, 23, "Menge"}});
}

// The reminder's question and texts are the output controller's; here: where it is printed.
TEST_F(DocumentPrint, TheReminderIsPrintedOnTheFirstCopyOnlyAndNeverOnADeliveryNote)
{
    prepareAndStore(invoice);
    t.state.Mahntext = u("Bitte zahlen Sie bis Freitag.");
    ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET frei1 = '2'")));
    t.clock.setToday(QDate(2024, 4, 20));
    QString error;
    ASSERT_TRUE(printJob(prepareInvoicePrint(db.db(), invoice, env()), env(), printers, t.state, &error));
    EXPECT_TRUE(t.state.Mahntext.isEmpty());
    const auto& docs = printers.jobs.at(0).documents;
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_TRUE(docs[0].page(0).findText(u("Bitte zahlen Sie bis Freitag.")) && !docs[1].page(0).findText(u("Bitte zahlen Sie bis Freitag.")));
    expectPlaced(docs[0].page(0), {{'L', 135, 78, "Datum: 20.04.2024"}});
    t.state.Mahntext = u("Zahlungserinnerung !");
    ASSERT_TRUE(printJob(prepareDeliveryNotePrint(db.db(), invoice, env()), env(), printers, t.state, &error));
    EXPECT_TRUE(t.state.Mahntext.isEmpty());
    const Page& note = printers.jobs.at(1).documents.at(0).page(0);
    EXPECT_TRUE(!allTexts(note).contains(u("Zahlungserinnerung !")) && note.findText(u(" Nr. 1000 vom 15.03.2024")));
}

TEST_F(DocumentPrint, PrintButtonsShowTheDialogPrintOnThePickedPrinterOrFileAndSayWhyNot)
{
    printers.installed = {u("Laser"), u("Tinte")};
    t.state.Druckerauswahl = u("Laser");
    t.state.Mahntext = u("Zahlungserinnerung !");
    EXPECT_EQ(runInvoicePrint(db.db(), invoice, t.ctx, printers, dialog(true, u("Tinte"))).status, PrintRun::Status::Printed);
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_TRUE(printers.jobs[0].printer == u("Tinte") && printers.jobs[0].documents.at(0).page(0).findText(u("Zahlungserinnerung !")));
    EXPECT_TRUE(t.state.Mahntext.isEmpty());
    EXPECT_EQ(numbers(invoice), u("1000|1001"));

    // Cancelled: nothing printed, the number kept, the reminder dropped.
    t.state.Mahntext = u("1. Mahnung");
    const qint64 other = addDocument(u("Rechnung"));
    EXPECT_EQ(runInvoicePrint(db.db(), other, t.ctx, printers, dialog(false)).status, PrintRun::Status::Cancelled);
    EXPECT_TRUE(printers.jobs.size() == 1u && t.state.Mahntext.isEmpty() && t.prompts.count() == 0);
    EXPECT_EQ(numbers(other), u("1001|1002"));

    // The delivery note asks only without a matching printer (its printing into a file: the output controller's test).
    EXPECT_EQ(runDeliveryNotePrint(db.db(), invoice, t.ctx, printers, dialog()).status, PrintRun::Status::Printed);
    t.state.Druckerauswahl = u("Gibt es nicht");
    EXPECT_EQ(runDeliveryNotePrint(db.db(), invoice, t.ctx, printers, dialog(false)).status, PrintRun::Status::Cancelled);
    EXPECT_EQ(dialogs, 3);
    EXPECT_EQ(printers.jobs.size(), 2u);

    // A failing printer or file is said, with the number that stays.
    printers.failPrinting = true;
    EXPECT_EQ(runInvoicePrint(db.db(), addDocument(u("Rechnung")), t.ctx, printers, dialog()).status, PrintRun::Status::Failed);
    EXPECT_TRUE(lastPrompt().startsWith(u("Fehler: ")) && lastPrompt().contains(u("Rechnungsnummer 1002 bleibt der Rechnung zugeordnet")))
        << lastPrompt().toStdString();
    EXPECT_EQ(t.prompts.last().icon, Prompts::Icon::Critical);
    QTemporaryDir dir;
    EXPECT_EQ(runInvoicePrint(db.db(), invoice, t.ctx, printers, dialog(true, {}, dir.filePath(u("fehlt/R.pdf")))).status,
              PrintRun::Status::Failed);
    EXPECT_TRUE(lastPrompt().contains(u("nicht gespeichert")) && lastPrompt().contains(u("nicht vorhanden"))) << lastPrompt().toStdString();
}
