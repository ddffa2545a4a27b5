// Printing, e-mail, the revenue overview and the document list narrowings
// from the main window.

#include "export/EmailExport.h"
#include "export/widgets/RechnungenWindow.h"
#include "print/DocumentPrint.h"
#include "support/MainWindowFixture.h"
#include "support/ModalHelper.h"
#include "workspace/widgets/DocumentListPanel.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

using namespace quittora;

namespace {

QString u(const char* s)
{
    return QString::fromUtf8(s);
}

class Output : public test::MainWindowTest {
protected:
    // An invoice without a number yet, to the customer Müller; the window
    // opens on it.
    void beforeOpen() override
    {
        fresh = db.addDocument(QString(), u("05.03.2024"), u("Rechnung"), false,
                               {{u("a1"), u("Herrn")},
                                {u("a2"), u("Hans Müller")},
                                {u("a5"), u("12345 Musterstadt")},
                                {u("b10"), u("hans@example.de")},
                                {u("b1"), QString::number(sample.mueller)}});
        db.addLine(fresh, u("2"), u("Brot"), u("3,50"), u("7,00"), u("7"));
    }
    QAction* action(const char* name) const { return find<QAction>(name); }
    void goTo(qint64 id)
    {
        ASSERT_TRUE(docs().moveToId(id));
        settle();
    }
    QString nextNumber() const { return db.setting(u("Rechnungsnummer")).toString(); }
    // The object name and title of the window that opens on trigger, and the
    // rows of its grid DBGrid1.
    QString windowOpenedBy(const std::function<void()>& trigger, int* rows = nullptr)
    {
        QString opened;
        auto done = whenModalOpens([&](QWidget* w) {
            opened = w->objectName() + u("/") + w->windowTitle();
            if (auto* grid = w->findChild<QTableView*>(u("DBGrid1")); grid && rows)
                *rows = grid->model()->rowCount();
            w->close();
        });
        trigger();
        EXPECT_TRUE(*done);
        return opened;
    }
    static void clickCheckBox(QCheckBox* box)
    {
        QStyleOptionButton option;
        option.initFrom(box);
        QTest::mouseClick(box, Qt::LeftButton, {},
                          box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box).center());
    }

    qint64 fresh = 0;
};

TEST_F(Output, PrintAssignsTheNumberTypedInTheStatusPanelOnceAndShowsIt)
{
    EXPECT_FLOAT_EQ(t.state.xwert, 4.0f); // the margins of the printer, taken at load
    EXPECT_FLOAT_EQ(t.state.ywert, 3.0f);
    ASSERT_EQ(docs().currentId(), fresh);
    type("Text32", u("2000"));
    click("Command8");
    EXPECT_EQ(dialogs, 1);
    ASSERT_EQ(printers->jobs.size(), 1u);
    EXPECT_EQ(stored(fresh, "a7"), u("2000"));
    EXPECT_EQ(nextNumber(), u("2001"));
    EXPECT_EQ(docs().text(u("a7")), u("2000"));
    EXPECT_EQ(edit("Text2")->text(), u("2000"));
    EXPECT_EQ(edit("Text32")->text(), u("2001"));
    click("Command8"); // a reprint keeps the number
    EXPECT_EQ(printers->jobs.size(), 2u);
    EXPECT_EQ(stored(fresh, "a7"), u("2000"));
    EXPECT_EQ(nextNumber(), u("2001"));
}

TEST_F(Output, MenuPrintAsksFirstAndTheDeliveryNoteTakesNoNumber)
{
    action("mnuLieferscheinDrucken")->trigger();
    ASSERT_EQ(printers->jobs.size(), 1u);
    EXPECT_EQ(stored(fresh, "a7"), QString());

    t.prompts.answerMessage(Prompts::No);
    action("mnuRechnungDrucken")->trigger();
    EXPECT_EQ(printers->jobs.size(), 1u);
    EXPECT_EQ(stored(fresh, "a7"), QString());
    const auto head = email::loadHead(db.db(), fresh);
    ASSERT_TRUE(head);
    EXPECT_EQ(lastText(), printQuestion(*head));
    t.prompts.answerMessage(Prompts::Yes);
    action("mnuRechnungDrucken")->trigger();
    EXPECT_EQ(printers->jobs.size(), 2u);
    EXPECT_EQ(stored(fresh, "a7"), u("1000"));
    EXPECT_EQ(nextNumber(), u("1001"));
}

TEST_F(Output, PrintDialogCanSendThePrintIntoAPdfFileForThisPrintOnly)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u("Rechnung.pdf"));
    printers->installed.clear(); // a desktop without any printer
    t.state.currentPrinter = u("Laser");
    window->output().setPrintDialog([&](ProgramState& state) {
        state.printFile = pdf;
        return true;
    });
    click("Command8");
    EXPECT_TRUE(printers->jobs.empty());
    EXPECT_EQ(t.prompts.count(), 0) << lastText().toStdString();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(5), QByteArray("%PDF-"));
    EXPECT_EQ(stored(fresh, "a7"), u("1000"));
    EXPECT_EQ(t.state.currentPrinter, u("Laser"));
    window->output().setPrintDialog([](ProgramState&) { return true; });
    click("Command8");
    EXPECT_EQ(printers->jobs.size(), 1u);
}

TEST_F(Output, RemindersAskForTheTextAndPrintTheInvoiceWithIt)
{
    t.clock.setToday(QDate(2024, 4, 20));
    t.prompts.answerInput(u("Bitte zahlen Sie bis Freitag."));
    window->output().printReminder(ReminderKind::PaymentReminder);
    const FakePrompts::Shown asked = t.prompts.last();
    EXPECT_EQ(asked.title, u("Zahlungserinnerung drucken"));
    // The prompt was built before the print numbered the invoice.
    EXPECT_EQ(asked.text, u("Rechnung Nr. an Hans Müller\r\r\rFolgender Text wird der Rechnung zugefügt:"));
    EXPECT_EQ(asked.defaultText, u("Zahlungserinnerung ! - Wir bitten um Begleichung dieser Rechnung"));
    ASSERT_EQ(printers->jobs.size(), 1u);
    QStringList texts;
    for (const TextItem* item : printers->jobs[0].documents.at(0).page(0).texts())
        texts << item->text;
    for (const char* text : {"Bitte zahlen Sie bis Freitag.", "Datum: 20.04.2024", " Nr. 1000 vom 05.03.2024"})
        EXPECT_TRUE(texts.contains(u(text))) << text;
    EXPECT_TRUE(t.state.Mahntext.isEmpty());

    t.prompts.answerInput(std::nullopt); // cancelled: nothing printed
    window->output().printReminder(ReminderKind::Dunning);
    EXPECT_EQ(lastTitle(), u("Mahnung drucken"));
    EXPECT_EQ(lastText(), u("Rechnung Nr.1000 an Hans Müller\r\r\rFolgender Text wird der Rechnung zugefügt:"));
    EXPECT_EQ(dialogs, 1);
    // A cancelled print dialog leaves no reminder behind for the next print.
    printDialogAnswer = false;
    t.prompts.answerInput(u("1. Mahnung"));
    window->output().printReminder(ReminderKind::Dunning);
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(printers->jobs.size(), 1u);
    EXPECT_TRUE(t.state.Mahntext.isEmpty());
}

TEST_F(Output, EmailIsWrittenOpenedAndAddressedToTheDocumentOrItsCustomer)
{
    const QString path = t.state.tempFolder + u("Quittora.eml");
    click("Command18");
    EXPECT_EQ(t.shell.opened(), QStringList{path});
    EXPECT_EQ(t.clipboard.text(), u("hans@example.de"));
    EXPECT_EQ(stored(fresh, "a7"), u("1000"));
    EXPECT_EQ(docs().text(u("a7")), u("1000"));
    action("mnuRechnungEmail")->trigger();
    EXPECT_EQ(t.shell.opened().size(), 2);
    EXPECT_EQ(nextNumber(), u("1001"));

    // Without an address of its own the invoice takes the customer's and keeps it.
    ASSERT_TRUE(db.exec(u("UPDATE Kunden SET a40 = ? WHERE ID = ?"), {u("baeckerei@example.de"), sample.mueller}));
    goTo(sample.doc1);
    action("mnuRechnungEmail")->trigger();
    EXPECT_TRUE(test::TempDatabase::readFile(path).startsWith("To: <baeckerei@example.de>\r\n"));
    EXPECT_EQ(stored(sample.doc1, "b10"), u("baeckerei@example.de"));
    EXPECT_EQ(find<QLabel>("Label30")->text(), u("baeckerei@example.de"));
    EXPECT_EQ(stored(sample.doc1, "a7"), u("1001")); // a numbered invoice keeps its number
    // Neither has one: the clipboard stays.
    goTo(sample.doc4);
    t.clipboard.setText(u("vorher"));
    action("mnuRechnungEmail")->trigger();
    EXPECT_TRUE(test::TempDatabase::readFile(path).startsWith("Subject: Ihre Rechnung\r\n"));
    EXPECT_EQ(t.clipboard.text(), u("vorher"));
    // Two addresses in the field: the draft has no recipient, and the user
    // hears so before the mail program opens it.
    ASSERT_TRUE(db.exec(u("UPDATE Rechnungen SET b10 = ? WHERE ID = ?"), {u("a@b.example, c@d.example"), sample.doc4}));
    goTo(sample.doc4);
    t.prompts.clear();
    action("mnuRechnungEmail")->trigger();
    EXPECT_TRUE(test::TempDatabase::readFile(path).startsWith("Subject: Ihre Rechnung\r\n"));
    ASSERT_EQ(t.prompts.count(), 1);
    EXPECT_TRUE(t.prompts.last().text.startsWith(u("Die E-Mail-Adresse „a@b.example, c@d.example“ ist keine")));
    EXPECT_EQ(t.shell.opened().size(), 5);
}

TEST_F(Output, WindowsOfTheMenuAndTheRevenueOverviewOfTheCurrentMonth)
{
    EXPECT_EQ(windowOpenedBy([&] { action("mnuDrucker")->trigger(); }), u("Drucker/ Drucker einstellen"));
    EXPECT_EQ(windowOpenedBy([&] { click("Command21"); }), u("Rechnungen/Umsatz"));
    int rows = -1;
    EXPECT_EQ(windowOpenedBy([&] { action("mnuUmsatz")->trigger(); }, &rows), u("Rechnungen/Umsatz"));
    EXPECT_EQ(rows, 3); // the open invoices of March 2024, the fresh one included
    // Also while the list shows a customer without documents.
    const qint64 nobody = db.addCustomer(u("Neukunde"));
    customers().refresh();
    ASSERT_TRUE(customers().moveToId(nobody));
    find<QPushButton>("Command25")->click();
    ASSERT_EQ(docs().recordCount(), 0);
    rows = -1;
    windowOpenedBy([&] { action("mnuUmsatz")->trigger(); }, &rows);
    EXPECT_EQ(rows, 3);
}

TEST_F(Output, UntickingInTheOverviewAnInvoiceTickedOnTheMainWindowLeavesItOpen)
{
    goTo(sample.doc4);
    auto* mainPaid = find<QCheckBox>("Check1");
    clickCheckBox(mainPaid);
    ASSERT_TRUE(mainPaid->isChecked());
    bool untickedThere = false;
    auto done = whenModalOpens([&](QWidget* w) {
        auto* overview = qobject_cast<RechnungenWindow*>(w);
        auto* box = w->findChild<QCheckBox*>(u("chkBezahlt"));
        if (overview && box) {
            if (!overview->documents().moveToId(sample.doc4)) {
                QTest::mouseClick(w->findChild<QRadioButton*>(u("optBezahlt")), Qt::LeftButton);
                overview->documents().moveToId(sample.doc4);
            }
            if (!box->isChecked())
                clickCheckBox(box);
            clickCheckBox(box);
            untickedThere = overview->documents().currentId() == sample.doc4 && !box->isChecked();
        }
        w->close();
    });
    click("Command21");
    ASSERT_TRUE(*done);
    ASSERT_TRUE(untickedThere);
    EXPECT_FALSE(mainPaid->isChecked());
    docs().moveFirst(); // leaving the record stores nothing that would undo it
    settle();
    EXPECT_EQ(stored(sample.doc4, "opt1"), u("0"));
}

TEST_F(Output, SortingCustomerNarrowingAndUnpaidInTheDocumentList)
{
    activate();
    window->documentList().open();
    QHeaderView* heading = find<QTableView>("DBGrid4")->horizontalHeader();
    for (const char* first : {"2001", ""}) { // one toggle: descending, then ascending
        QTest::mouseClick(heading->viewport(), Qt::LeftButton, {},
                          QPoint(heading->sectionViewportPosition(0) + 3, heading->height() / 2));
        docs().moveFirst();
        EXPECT_EQ(docs().text(u("a7")), u(first));
    }
    EXPECT_FALSE(t.state.documentSortDescending);
    docs().moveNext();
    EXPECT_EQ(docs().text(u("a7")), u("1001"));

    ASSERT_TRUE(customers().moveToId(sample.mueller));
    find<QPushButton>("Command25")->click();
    EXPECT_TRUE(window->documentList().isOpen());
    EXPECT_EQ(docs().recordCount(), 2); // 1001 and the fresh one
    auto* label = find<QLabel>("lblKundenRechnungen");
    auto* all = find<QPushButton>("cmdAlleRechnungen");
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->text(), u("Rechnungen Müller"));
    ASSERT_TRUE(docs().moveToId(sample.doc1));
    all->click();
    EXPECT_EQ(docs().recordCount(), 5);
    EXPECT_EQ(docs().currentId(), sample.doc1);
    EXPECT_FALSE(label->isVisible());
    EXPECT_FALSE(all->isVisible());

    // A heading click drops the narrowing but keeps label and button; a rebind drops both.
    find<QPushButton>("Command25")->click();
    window->output().sortByColumn(2);
    EXPECT_EQ(docs().recordCount(), 5);
    EXPECT_TRUE(label->isVisible());
    find<QPushButton>("Command25")->click();
    window->rebind();
    EXPECT_EQ(docs().recordCount(), 5);
    EXPECT_FALSE(label->isVisible());
    EXPECT_FALSE(all->isVisible());


    window->documentList().close();
    window->output().showUnpaidDocuments();
    EXPECT_EQ(docs().recordCount(), 4); // all but the paid 1002
    EXPECT_TRUE(window->documentList().isOpen());
    EXPECT_EQ(QApplication::focusWidget(), edit("Text33"));
}

} // namespace
