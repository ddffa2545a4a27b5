// The main window: loading and paging, closing, documents and their lines,
// customers and articles, printing, e-mail and the windows of the menu.

#include "print/DocumentPrint.h"
#include "support/MainWindowFixture.h"
#include "support/ModalHelper.h"
#include "workspace/widgets/DocumentController.h"
#include "workspace/widgets/RechnungMenus.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>

#include <functional>

using namespace quittora;
using test::u;

namespace {

class MainWindow : public test::MainWindowTest {
protected:
    // A click on the first line of DBGrid5 starts the change mode; entering
    // a line again ends it.
    void pickFirstLine()
    {
        auto* grid = find<QTableView>("DBGrid5");
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 3)).center());
        settle();
        ASSERT_EQ(find<QPushButton>("Command3")->text(), u("Rechnungszeile ändern"));
        EXPECT_FALSE(find<QPushButton>("Command29")->isHidden());
    }
    void expectEntryMode()
    {
        EXPECT_EQ(find<QPushButton>("Command3")->text(), u("Artikel in Rechnung &übernehmen"));
        EXPECT_TRUE(find<QPushButton>("Command29")->isHidden());
    }
    int gridRows() { return find<QTableView>("DBGrid5")->model()->rowCount(); }
    void answer(Prompts::Button b) { t.prompts.answerMessage(b); }
};

TEST_F(MainWindow, LoadShowsTheLastDocumentAndPagingCarriesLinesAndCustomer)
{
    EXPECT_EQ(shown("Text2 Text3 Label24 Label25 Label13 Text32"),
              u("1003|04.03.2024|4 Artikel|4 Kunden|%1|%2").arg(db.setting(u("Titel")).toString(), nextNumber()));
    customers().refresh(); // the last document's customer is gone; follow again
    // Name, kind, paid, customer shown, lines.
    const char* pages[][2] = {
        {"Data3First", "Hans Müller|Rechnung|0|Müller|2"}, {"Data3Next", "Eva Schmidt|Rechnung|1|Schmidt|1"},
        {"Data3Next", "Firma Abele|Angebot|0|Abele|3"},    {"Data3Last", "Otto Weg|Rechnung|0|Abele|1"},
        {"Data3Next", "Otto Weg|Rechnung|0|Abele|1"}}; for (const auto& [button, shows] : pages) {
        click(button);
        settle();
        EXPECT_EQ(shown("Text8 Combo3 Check1 Text18") + u("|%1").arg(gridRows()), u(shows)) << button;
    }
    EXPECT_EQ(find<QTableView>("DBGrid2")->currentIndex().row(), customers().position());
}

TEST_F(MainWindow, ClosingStoresWhatWasTypedAndEndsTheProgramUnlessTheBackupClosedIt)
{
    QSignalSpy end(window.get(), &RechnungWindow::programEndRequested);
    QSignalSpy open(window.get(), &RechnungWindow::openDatabaseRequested);
    typeText(edit("Text10"), u("Weg 1"));
    action("mnuOeffnen")->trigger();
    EXPECT_EQ(open.count(), 1);
    EXPECT_EQ(stored(sample.doc4, "a4"), u("Weg 1"));
    // Closed by the backup window: stored, and the program goes on.
    t.state.backupFlag = 1;
    type("Text8", u("Otto Weg-Neu"));
    window->close();
    EXPECT_EQ(end.count(), 0);
    EXPECT_EQ(stored(sample.doc4, "a2"), u("Otto Weg-Neu"));
    window->show();
    t.state.backupFlag = 0;
    action("mnuBeenden")->trigger();
    EXPECT_TRUE(end.count() == 1 && !window->isVisible());
}

TEST_F(MainWindow, NewDocumentIsAnInvoiceOfTodayAndAHeadFieldStartsOneWhenThereIsNone)
{
    click("Command4");
    EXPECT_EQ(db.count(u("Rechnungen")), 5);
    EXPECT_EQ(stored(docs().currentId(), "a8 a156 a7") + shown("Text3"), u("01.03.2024|Rechnung|01.03.2024"));
    EXPECT_EQ(window->tabs()->currentIndex(), 1);
    EXPECT_EQ(lines().recordCount(), 0);

    ASSERT_TRUE(db.exec(u("DELETE FROM Rechnungen")));
    reread();
    userEnters(edit("Text8"));
    userEnters(find<QWidget>("Combo3")); // one is there now
    EXPECT_EQ(docs().recordCount(), 1);
    // Typing alone (the field had the focus already) starts it and keeps what is typed.
    ASSERT_TRUE(db.exec(u("DELETE FROM Rechnungen")));
    reread();
    QTest::keyClicks(edit("Text8"), u("Meier"));
    ASSERT_EQ(docs().recordCount(), 1);
    ASSERT_TRUE(docs().update());
    EXPECT_EQ(stored(docs().currentId(), "a2"), u("Meier"));
}

TEST_F(MainWindow, TakingOverTheCustomerAsksBeforeOverwritingAndBringsTheCustomersSkonto)
{
    ASSERT_TRUE(db.exec(u("UPDATE Kunden SET a9 = '3' WHERE ID = ?"), {sample.mueller}));
    customers().refresh();
    ASSERT_TRUE(customers().moveToId(sample.mueller));
    answer(FakePrompts::No);
    click("Command2");
    EXPECT_EQ(lastMessage(), u("Kopf überschreiben ?|Soll der Kopf in der aktuellen Rechnung überschrieben werden ?"));
    EXPECT_EQ(stored(sample.doc4, "a2"), u("Otto Weg"));
    answer(FakePrompts::Yes);
    click("Command2");
    EXPECT_EQ(stored(sample.doc4, "a2 b1"), u("Hans Müller|%1").arg(sample.mueller));
    EXPECT_EQ(window->tabs()->currentIndex(), 0);

    // A new document has no name yet: no question. The Skonto is the
    // document customer's, even while another is shown.
    click("Command4");
    const qint64 doc = docs().currentId();
    click("Command2"); // the shown customer becomes the document's
    ASSERT_TRUE(customers().moveToId(sample.schmidt));
    typeLine("1", "Beratung", "100", "19");
    click("Command3");
    EXPECT_EQ(stored(doc, "b2"), u("Bei Zahlung bis zum 11.03.2024 abzüglich 3% Skonto  (115,43 EUR)"));
    // A Skonto confirmed on the customer tab computes the sentence anew.
    setTab(1);
    ASSERT_TRUE(customers().moveToId(sample.mueller));
    QLineEdit* skonto = edit("Text35");
    skonto->setFocus();
    skonto->setText(u("0"));
    QTest::keyClick(skonto, Qt::Key_Return);
    EXPECT_TRUE(stored(doc, "b2").isEmpty());
}

TEST_F(MainWindow, LinesAreCheckedAddedChangedAndDeletedWithTheTotalsStoredAtOnce)
{
    click("Command4");
    const qint64 doc = docs().currentId();
    typeLine("2", "Brot", "1,5", "");
    EXPECT_EQ(shown("Text16"), u("3,00"));
    click("Command3"); // no rate: refused with the check's message
    EXPECT_EQ(lastText(), u("Bitte geben Sie den MwSt.-Satz ein."));
    EXPECT_EQ(linesOf(doc), 0);
    find<QComboBox>("Combo5")->setEditText(u("19"));
    QTest::keyClick(edit("Text12"), Qt::Key_Return);
    ASSERT_EQ(linesOf(doc), 1);
    EXPECT_EQ(shown("Text12 Text15 Label17 Text6"), u("|1,5|3,57|3,00")); // the rest stays for the next line
    EXPECT_EQ(stored(doc, "a14 a6"), u("3,00|3,57"));

    // A text line adds a line but changes no total.
    click("Command17");
    EXPECT_TRUE(edit("Text15")->text().isEmpty());
    find<QPlainTextEdit>("Text14")->setPlainText(u("Lieferung frei Haus"));
    click("Command3");
    EXPECT_EQ(linesOf(doc), 2);
    EXPECT_EQ(stored(doc, "a6"), u("3,57"));

    pickFirstLine();
    EXPECT_EQ(shown("Text12 Text14"), u("2|Brot"));
    edit("Text12")->setText(u("4"));
    EXPECT_EQ(shown("Text16"), u("6,00"));
    click("Command3");
    auto* grid = find<QTableView>("DBGrid5");
    EXPECT_EQ(grid->model()->index(0, 1).data().toString() + grid->model()->index(0, 6).data().toString(), u("46,00"));
    EXPECT_EQ(u("%1|").arg(linesOf(doc)) + stored(doc, "a6") + u("|") + shown("Label17 Text12"), u("2|7,14|7,14|"));
    expectEntryMode();

    pickFirstLine();
    click("Command29");
    EXPECT_EQ(u("%1|").arg(linesOf(doc)) + stored(doc, "a14 a6"), u("1|0,00|0,00"));
    expectEntryMode();
    // Paging away ends the change mode and touches no line there.
    goTo(sample.doc4);
    pickFirstLine();
    edit("Text12")->setText(u("99"));
    goTo(sample.doc3);
    expectEntryMode();
    EXPECT_EQ(db.count(u("Verkauf"), u("a2 = '99'")), 0);
}

TEST_F(MainWindow, DeletingADocumentTakesItsLinesAndOlderOnesAreDeletedSparingTheCurrent)
{
    answer(FakePrompts::No);
    click("Command5");
    EXPECT_EQ(lastMessage(), u("Rechnung löschen|die Rechnung Nr. 1003 vom 04.03.2024 wirklich löschen ?"));
    EXPECT_EQ(db.count(u("Rechnungen")), 4);
    answer(FakePrompts::Yes);
    click("Command5");
    EXPECT_EQ(db.count(u("Rechnungen"), u("ID = ?"), {sample.doc4}) + linesOf(sample.doc4), 0);
    EXPECT_EQ(docs().currentId(), sample.doc3);
    EXPECT_EQ(lines().recordCount(), 3);

    EXPECT_FALSE(window->menus().rechnungenLoeschen->isEnabled());
    for (const Prompts::Button b : {FakePrompts::No, FakePrompts::Yes}) {
        ASSERT_TRUE(docs().moveToId(sample.doc2));
        answer(b);
        window->documents().Rechnungen_delete();
        EXPECT_EQ(lastMessage(), u("Achtung !|Sollen alle Rechnungen vor dieser gelöscht werden ?"));
    }
    EXPECT_EQ(db.count(u("Rechnungen")), 2);
    EXPECT_EQ(db.count(u("Rechnungen"), u("ID = ?"), {sample.doc2}), 1);
    EXPECT_EQ(linesOf(sample.doc1), 0);

    // The last one leaves nothing to delete or take over.
    ASSERT_TRUE(db.exec(u("DELETE FROM Rechnungen WHERE ID <> ?"), {sample.doc2}));
    reread();
    answer(FakePrompts::Yes);
    click("Command5");
    EXPECT_EQ(db.count(u("Rechnungen")) + linesOf(sample.doc2), 0);
    EXPECT_TRUE(edit("Text8")->text().isEmpty());
    const int asked = t.prompts.count();
    click("Command2");
    click("Command5");
    EXPECT_EQ(t.prompts.count(), asked + 1);
    EXPECT_EQ(lastText(), u("Bitte legen Sie zunächst eine neue Rechnung an"));
}

// Customers and articles follow the same rules: a new record is stored before
// it can be deleted, a delete asks, and the last record stays as the template.
TEST_F(MainWindow, NewRecordsAreStoredFirstDeletesAskAndTheLastRecordStays)
{
    const struct {
        int tab;
        const char *add, *remove, *field1, *field2, *table;
        const char *storeFirst, *question, *last;
        std::function<void()> selectOne; // narrows the list to one record of several
        const char* selectionQuestion;
    } kinds[] = {
        {1, "Command7", "Command9", "Text18", "Text19", "Kunden", "Den Kunden können Sie erst jetzt nach Speicherung löschen",
         "Kunden löschen|den Kunden Nina Neumann wirklich löschen ?",
         "Diesen Kunden können Sie erst nach dem Zufügen eines neuen Kunden löschen. Eine Kunde muß als "
         "Mustersatz im Datenbestand erhalten bleiben.",
         [this] {
             t.prompts.answerInput(u("schmidt"));
             click("Command23");
         },
         "den Kunden Eva Schmidt wirklich löschen ?"},
        {2, "Command14", "Command6", "Text25", "Text24", "Artikel", "Den Artikel können Sie erst jetzt nach Speicherung löschen",
         "Artikel löschen|den Artikel Neumann wirklich löschen ?",
         "Diesen Artikel können Sie erst nach dem Zufügen eines neuen Artikels löschen. Eine Artikel muß als "
         "Mustersatz im Datenbestand erhalten bleiben.",
         [this] {
             type("Text38", u("200"));
             type("Text39", u("200"));
             click("Command19");
         },
         "den Artikel Beratung wirklich löschen ?"},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.table);
        const qint64 start = rows(k.table);
        setTab(k.tab);
        click(k.add);
        type(k.field1, u("Neumann"));
        type(k.field2, u("Nina"));
        click(k.remove);
        EXPECT_EQ(lastMessage(), u("Fehler !|") + u(k.storeFirst));
        EXPECT_EQ(rows(k.table), start + 1);
        answer(Prompts::No);
        click(k.remove);
        EXPECT_EQ(lastMessage(), u(k.question));
        EXPECT_EQ(rows(k.table), start + 1);
        answer(Prompts::Yes);
        click(k.remove);
        EXPECT_EQ(rows(k.table), start);

        // The only record of a selection can go: the table holds more.
        k.selectOne();
        ASSERT_EQ(window->sources().byName(k.tab == 1 ? u("Data1") : u("Data2"))->recordCount(), 1);
        answer(Prompts::Yes);
        click(k.remove);
        EXPECT_EQ(lastText(), u(k.selectionQuestion));
        EXPECT_EQ(rows(k.table), start - 1);

        ASSERT_TRUE(db.exec(u("DELETE FROM %1 WHERE ID <> (SELECT MIN(ID) FROM %1)").arg(u(k.table))));
        reread();
        click(k.remove);
        EXPECT_EQ(lastMessage(), u("Achtung !|") + u(k.last));
        EXPECT_EQ(rows(k.table), 1);
    }
}

// Output: an invoice without a number yet, to the customer Müller; the
// window opens on it.
class Output : public MainWindow {
protected:
    void beforeOpen() override
    {
        fresh = db.addDocument(QString(), u("05.03.2024"), u("Rechnung"), false,
                               {{u("a1"), u("Herrn")}, {u("a2"), u("Hans Müller")}, {u("a5"), u("12345 Musterstadt")},
                                {u("b10"), u("hans@example.de")}, {u("b1"), QString::number(sample.mueller)}});
        db.addLine(fresh, u("2"), u("Brot"), u("3,50"), u("7,00"), u("7"));
    }
    QString numbers() const { return stored(fresh, "a7") + u("|") + nextNumber(); }

    qint64 fresh = 0;
};

// What each derived document holds is checked through quittora-cli; here
// the menu works on the current document and shows the new draft.
TEST_F(Output, ACancellationFromTheMenuShowsTheNewDraftOrSaysWhyNot)
{
    action("mnuStornieren")->trigger();
    EXPECT_TRUE(lastText().contains(u("noch keine Nummer"))) << lastText().toStdString();
    EXPECT_EQ(rows("Rechnungen"), 5);
    goTo(sample.doc4);
    action("mnuStornieren")->trigger();
    settle();
    EXPECT_EQ(rows("Rechnungen"), 6);
    EXPECT_NE(docs().currentId(), sample.doc4);
    EXPECT_EQ(shown("Text2") + u("|%1").arg(gridRows()), u("|2")) << "a draft without number, the text line and the line";
}

TEST_F(Output, PrintAssignsTheNumberTypedInTheStatusPanelOnceAndTheDeliveryNoteNone)
{
    EXPECT_EQ(QPointF(t.state.xwert, t.state.ywert), QPointF(4, 3)); // the margins of the printer, taken at load
    ASSERT_EQ(docs().currentId(), fresh);
    action("mnuLieferscheinDrucken")->trigger();
    ASSERT_EQ(printers->jobs.size(), 1u);
    EXPECT_EQ(stored(fresh, "a7"), QString());
    answer(Prompts::No);
    action("mnuRechnungDrucken")->trigger();
    EXPECT_EQ(printers->jobs.size(), 1u);
    const auto head = documents::loadHead(db.db(), fresh);
    ASSERT_TRUE(head);
    EXPECT_EQ(lastText(), printQuestion(*head));

    type("Text32", u("2000"));
    const int dialogsBefore = dialogs;
    click("Command8");
    EXPECT_EQ(dialogs, dialogsBefore + 1);
    ASSERT_EQ(printers->jobs.size(), 2u);
    EXPECT_EQ(numbers() + u("|") + docs().text(u("a7")) + u("|") + shown("Text2 Text32"), u("2000|2001|2000|2000|2001"));
    click("Command8"); // a reprint keeps the number
    EXPECT_EQ(printers->jobs.size(), 3u);
    EXPECT_EQ(numbers(), u("2000|2001"));
}

TEST_F(Output, EmailIsWrittenOpenedAndAddressedToTheDocumentOrItsCustomer)
{
    const QString path = t.state.tempFolder + u("Quittora.eml");
    click("Command18");
    EXPECT_EQ(t.shell.opened(), QStringList{path});
    EXPECT_EQ(t.clipboard.text(), u("hans@example.de"));
    EXPECT_EQ(numbers() + u("|") + docs().text(u("a7")), u("1000|1001|1000"));
    // No e-invoice data in the settings: the invoice goes as plain PDF.
    EXPECT_TRUE(test::TempDatabase::readFile(path).contains("filename=\"Rechnung 1000.pdf\""));

    // No mail program to open it: the user hears where the file is.
    t.shell.setResult(false);
    goTo(sample.doc1);
    action("mnuRechnungEmail")->trigger();
    EXPECT_EQ(lastText(), u("Die E-Mail wurde als Datei gespeichert:\n") + path
                              + u("\n\nSie konnte nicht geöffnet werden, weil auf diesem Computer kein "
                                  "E-Mail-Programm eingerichtet ist. Öffnen Sie die Datei mit Ihrem E-Mail-Programm."));
}

// The revenue of the month comes from all invoices, not from the list the
// user has narrowed to one customer.
TEST_F(Output, TheRevenueOverviewShowsTheWholeMonthWhileTheListIsNarrowed)
{
    const qint64 nobody = db.addCustomer(u("Neukunde"));
    customers().refresh();
    ASSERT_TRUE(customers().moveToId(nobody));
    find<QPushButton>("Command25")->click();
    ASSERT_EQ(docs().recordCount(), 0);
    int rows = -1;
    auto done = whenModalOpens([&](QWidget* w) {
        if (auto* grid = w->findChild<QTableView*>(u("DBGrid1")))
            rows = grid->model()->rowCount();
        w->close();
    });
    action("mnuUmsatz")->trigger();
    EXPECT_TRUE(*done && rows == 3) << "rows " << rows; // the open invoices of March 2024, the fresh one included
}

} // namespace
