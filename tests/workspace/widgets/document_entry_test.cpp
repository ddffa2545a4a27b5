// Documents and their lines in the main window: new, head, lines, totals,
// deleting, the date and the settings that change the computation.

#include "platform/widgets/FieldMarks.h"
#include "support/MainWindowFixture.h"
#include "support/ModalHelper.h"
#include "workspace/widgets/DocumentController.h"
#include "workspace/widgets/RechnungMenus.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFocusEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

using namespace quittora;

namespace {

class DocumentEntry : public test::MainWindowTest {
protected:
    using MainWindowTest::MainWindowTest;

    void userEnters(QWidget* w, Qt::FocusReason reason = Qt::TabFocusReason)
    {
        QFocusEvent in(QEvent::FocusIn, reason);
        QApplication::sendEvent(w, &in);
    }
    void typeLine(const char* quantity, const char* designation, const char* price, const char* rate)
    {
        edit("Text13")->setText(QStringLiteral("Stk"));
        find<QPlainTextEdit>("Text14")->setPlainText(QString::fromUtf8(designation));
        find<QComboBox>("Combo5")->setEditText(QString::fromUtf8(rate));
        edit("Text15")->setText(QString::fromUtf8(price));
        edit("Text12")->setText(QString::fromUtf8(quantity));
    }
    // A click on the first line of DBGrid5 and the change mode it starts.
    void pickFirstLine()
    {
        auto* grid = find<QTableView>("DBGrid5");
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 3)).center());
        settle();
        ASSERT_EQ(find<QPushButton>("Command3")->text(), QStringLiteral("Rechnungszeile ändern"));
        EXPECT_FALSE(find<QPushButton>("Command29")->isHidden());
    }
    void expectEntryMode()
    {
        EXPECT_EQ(find<QPushButton>("Command3")->text(), QStringLiteral("Artikel in Rechnung &übernehmen"));
        EXPECT_TRUE(find<QPushButton>("Command29")->isHidden());
    }
    // What a window system delivers for a double click.
    static void userDoubleClicks(QWidget* w, QPoint at)
    {
        QTest::mouseClick(w, Qt::LeftButton, {}, at);
        QTest::mousePress(w, Qt::LeftButton, {}, at);
        QTest::mouseDClick(w, Qt::LeftButton, {}, at);
        QTest::mouseRelease(w, Qt::LeftButton, {}, at);
    }
};

TEST_F(DocumentEntry, NewDocumentIsAnInvoiceOfTodayAndAHeadFieldStartsOneWhenThereIsNone)
{
    click("Command4");
    const qint64 id = docs().currentId();
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen")), 5);
    EXPECT_EQ(stored(id, "a8"), QStringLiteral("01.03.2024"));
    EXPECT_EQ(stored(id, "a156"), QStringLiteral("Rechnung"));
    EXPECT_TRUE(stored(id, "a7").isEmpty());
    EXPECT_EQ(find<QLabel>("Text3")->text(), QStringLiteral("01.03.2024"));
    EXPECT_EQ(window->tabs()->currentIndex(), 1);
    EXPECT_EQ(lines().recordCount(), 0);

    ASSERT_TRUE(db.exec(QStringLiteral("DELETE FROM Rechnungen")));
    reread();
    userEnters(edit("Text8"));
    ASSERT_EQ(docs().recordCount(), 1);
    userEnters(find<QWidget>("Combo3")); // one is there now
    EXPECT_EQ(docs().recordCount(), 1);

    // Typing alone (the field had the focus already) starts it and keeps what is typed.
    ASSERT_TRUE(db.exec(QStringLiteral("DELETE FROM Rechnungen")));
    reread();
    QTest::keyClicks(edit("Text8"), QStringLiteral("Meier"));
    ASSERT_EQ(docs().recordCount(), 1);
    ASSERT_TRUE(docs().update());
    EXPECT_EQ(stored(docs().currentId(), "a2"), QStringLiteral("Meier"));
}

TEST_F(DocumentEntry, NumberFieldIsReadOnlyAndExplainsItselfOncePerUserMove)
{
    QLineEdit* number = edit("Text2");
    EXPECT_TRUE(number->isReadOnly());
    userEnters(number, Qt::MouseFocusReason);
    ASSERT_EQ(t.prompts.count(), 1);
    EXPECT_EQ(lastTitle(), QStringLiteral("Veltrin"));
    EXPECT_EQ(lastText(), QStringLiteral("Die Rechnungsnummer wird beim Druck vom System vergeben"));
    userEnters(number, Qt::ActiveWindowFocusReason); // the box closed, the window is active again
    EXPECT_EQ(t.prompts.count(), 1);
    userEnters(number, Qt::TabFocusReason);
    EXPECT_EQ(t.prompts.count(), 2);
}

TEST_F(DocumentEntry, TakingOverTheCustomerAsksBeforeOverwritingAndBringsTheCustomersSkonto)
{
    ASSERT_TRUE(db.exec(QStringLiteral("UPDATE Kunden SET a9 = '3' WHERE ID = ?"), {sample.mueller}));
    customers().refresh();
    ASSERT_TRUE(customers().moveToId(sample.mueller));
    t.prompts.answerMessage(FakePrompts::No);
    click("Command2");
    EXPECT_EQ(lastTitle(), QStringLiteral("Kopf überschreiben ?"));
    EXPECT_EQ(lastText(), QStringLiteral("Soll der Kopf in der aktuellen Rechnung überschrieben werden ?"));
    EXPECT_EQ(stored(sample.doc4, "a2"), QStringLiteral("Otto Weg"));
    t.prompts.answerMessage(FakePrompts::Yes);
    click("Command2");
    EXPECT_EQ(stored(sample.doc4, "a2"), QStringLiteral("Hans Müller"));
    EXPECT_EQ(stored(sample.doc4, "b1"), QString::number(sample.mueller));
    EXPECT_EQ(window->tabs()->currentIndex(), 0);

    // A new document has no name yet: no question.
    click("Command4");
    const qint64 doc = docs().currentId();
    const int asked = t.prompts.count();
    click("Command2");
    EXPECT_EQ(t.prompts.count(), asked);
    // The Skonto is the document customer's, even while another is shown.
    ASSERT_TRUE(customers().moveToId(sample.schmidt));
    typeLine("1", "Beratung", "100", "19");
    click("Command3");
    EXPECT_EQ(stored(doc, "b2"), QStringLiteral("Bei Zahlung bis zum 11.03.2024 abzüglich 3% Skonto  (115,43 EUR)"));
    // A Skonto confirmed on the customer tab computes the sentence anew.
    setTab(1);
    ASSERT_TRUE(customers().moveToId(sample.mueller));
    QLineEdit* skonto = edit("Text35");
    skonto->setFocus();
    skonto->setText(QStringLiteral("2"));
    QTest::keyClick(skonto, Qt::Key_Return);
    EXPECT_EQ(stored(doc, "b2"), QStringLiteral("Bei Zahlung bis zum 11.03.2024 abzüglich 2% Skonto  (116,62 EUR)"));
    EXPECT_EQ(edit("Text37")->text(), stored(doc, "b2"));
    skonto->setText(QStringLiteral("0"));
    QTest::keyClick(skonto, Qt::Key_Return);
    EXPECT_TRUE(stored(doc, "b2").isEmpty());
}

TEST_F(DocumentEntry, LinesAreCheckedAddedChangedAndDeletedWithTheTotalsStoredAtOnce)
{
    // A document without date takes no line.
    db.addDocument(QStringLiteral("1004"), QString());
    reread();
    typeLine("1", "Brot", "2", "19");
    click("Command3");
    EXPECT_EQ(lastText(), QStringLiteral("Sie müssen zunächst eine neue Rechnung anlegen, bevor Sie Artikel hinzufügen"));

    click("Command4");
    const qint64 doc = docs().currentId();
    typeLine("2", "Brot", "1,5", "");
    EXPECT_EQ(edit("Text16")->text(), QStringLiteral("3,00"));
    click("Command3"); // no rate: refused with the check's message
    EXPECT_EQ(lastText(), QStringLiteral("Bitte geben Sie den MwSt.-Satz ein."));
    EXPECT_EQ(linesOf(doc), 0);

    find<QComboBox>("Combo5")->setEditText(QStringLiteral("19"));
    QTest::keyClick(edit("Text12"), Qt::Key_Return);
    ASSERT_EQ(linesOf(doc), 1);
    EXPECT_TRUE(edit("Text12")->text().isEmpty());
    EXPECT_EQ(edit("Text15")->text(), QStringLiteral("1,5")); // the rest stays for the next line
    EXPECT_EQ(stored(doc, "a14"), QStringLiteral("3,00"));
    EXPECT_EQ(stored(doc, "a6"), QStringLiteral("3,57"));
    EXPECT_EQ(find<QLabel>("Label17")->text(), QStringLiteral("3,57"));
    EXPECT_EQ(edit("Text6")->text(), QStringLiteral("3,00"));

    // A text line adds a line but changes no total.
    click("Command17");
    EXPECT_TRUE(edit("Text15")->text().isEmpty());
    find<QPlainTextEdit>("Text14")->setPlainText(QStringLiteral("Lieferung frei Haus"));
    click("Command3");
    EXPECT_EQ(linesOf(doc), 2);
    EXPECT_EQ(stored(doc, "a6"), QStringLiteral("3,57"));

    pickFirstLine();
    EXPECT_EQ(edit("Text12")->text(), QStringLiteral("2"));
    EXPECT_EQ(find<QPlainTextEdit>("Text14")->toPlainText(), QStringLiteral("Brot"));
    edit("Text12")->setText(QStringLiteral("4"));
    EXPECT_EQ(edit("Text16")->text(), QStringLiteral("6,00"));
    click("Command3");
    EXPECT_EQ(linesOf(doc), 2);
    auto* grid = find<QTableView>("DBGrid5");
    EXPECT_EQ(grid->model()->index(0, 1).data().toString(), QStringLiteral("4"));
    EXPECT_EQ(grid->model()->index(0, 6).data().toString(), QStringLiteral("6,00"));
    EXPECT_EQ(stored(doc, "a6"), QStringLiteral("7,14"));
    EXPECT_EQ(find<QLabel>("Label17")->text(), QStringLiteral("7,14"));
    expectEntryMode();
    EXPECT_TRUE(edit("Text12")->text().isEmpty());

    pickFirstLine();
    click("Command29");
    EXPECT_EQ(linesOf(doc), 1);
    EXPECT_EQ(stored(doc, "a14"), QStringLiteral("0,00"));
    EXPECT_EQ(stored(doc, "a6"), QStringLiteral("0,00"));
    expectEntryMode();
}

TEST_F(DocumentEntry, TheLineBeingEnteredKeepsItsRateWhenTheWindowIsActiveAgain)
{
    click("Command4");
    typeLine("", "Brot", "2,00", "7");
    click("Command3");
    EXPECT_EQ(lastText(), QStringLiteral("Berechnung fehlgeschlagen. (Menge fehlt)"));
    QEvent activated(QEvent::WindowActivate); // the message box closed
    QApplication::sendEvent(window.get(), &activated);
    EXPECT_EQ(find<QComboBox>("Combo5")->currentText(), QStringLiteral("7"));
    EXPECT_EQ(find<QComboBox>("Combo5")->count(), 3);
    edit("Text12")->setText(QStringLiteral("1"));
    click("Command3");
    EXPECT_EQ(stored(docs().currentId(), "a6"), QStringLiteral("2,14"));
}

TEST_F(DocumentEntry, PagingAwayEndsChangeModeAndTouchesNoLineThere)
{
    pickFirstLine();
    edit("Text12")->setText(QStringLiteral("99"));
    ASSERT_TRUE(docs().moveToId(sample.doc3));
    settle();
    expectEntryMode();
    EXPECT_TRUE(edit("Text12")->text().isEmpty());
    EXPECT_EQ(db.count(QStringLiteral("Verkauf"), QStringLiteral("a2 = '99'")), 0);
    EXPECT_EQ(linesOf(sample.doc4), 1);
}

TEST_F(DocumentEntry, KindAndPaidFlagAreStoredWithTheDocument)
{
    click("Command4");
    const qint64 doc = docs().currentId();
    auto* kind = find<QComboBox>("Combo3");
    ASSERT_EQ(kind->count(), 2);
    QTest::keyClick(kind, Qt::Key_Down);
    auto* paid = find<QCheckBox>("Check1");
    QTest::mouseClick(paid, Qt::LeftButton, {}, QPoint(6, paid->height() / 2));
    ASSERT_TRUE(docs().moveFirst());
    EXPECT_EQ(stored(doc, "a156"), QStringLiteral("Angebot"));
    EXPECT_EQ(stored(doc, "opt1"), QStringLiteral("-1"));
    ASSERT_TRUE(docs().moveToId(doc));
    settle();
    EXPECT_EQ(kind->currentText(), QStringLiteral("Angebot"));
    EXPECT_TRUE(paid->isChecked());
}

TEST_F(DocumentEntry, APickedArticleFillsTheEntryAndTheKeysWalkTheArticles)
{
    activate();
    setTab(0);
    articles().moveFirst();
    edit("Text12")->setText(QStringLiteral("5"));
    ASSERT_TRUE(articles().moveNext());
    EXPECT_TRUE(edit("Text12")->text().isEmpty()); // a new article starts a new quantity
    EXPECT_EQ(edit("Text13")->text(), articles().text(QStringLiteral("a2")));
    EXPECT_EQ(find<QPlainTextEdit>("Text14")->toPlainText(), articles().text(QStringLiteral("a3")));
    EXPECT_EQ(edit("Text15")->text(), articles().text(QStringLiteral("a4")));
    EXPECT_EQ(find<QComboBox>("Combo5")->currentText(), articles().text(QStringLiteral("a19")));

    QLineEdit* quantity = edit("Text12");
    const struct {
        int from; // -1: the last article
        Qt::Key key;
        int to;
        const char* focus; // nullptr: not asked
    } walks[] = {{1, Qt::Key_Down, 2, "Text22"}, {-1, Qt::Key_Down, -1, nullptr}, {0, Qt::Key_Up, 0, nullptr},
                 {0, Qt::Key_Escape, 0, "Text22"}};
    const int last = articles().recordCount() - 1;
    for (const auto& w : walks) {
        articles().moveTo(w.from < 0 ? last : w.from);
        quantity->setFocus();
        QTest::keyClick(quantity, w.key);
        EXPECT_EQ(articles().position(), w.to < 0 ? last : w.to) << w.key;
        if (w.focus)
            EXPECT_TRUE(edit(w.focus)->hasFocus()) << w.key;
    }
    // Coming back into the quantity selects it, so typing replaces it.
    quantity->setText(QStringLiteral("12"));
    quantity->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(QTest::qWaitFor([&] { return quantity->selectedText() == QStringLiteral("12"); }, 1000));
    // Away from " Auswahl" the arrows leave the articles alone.
    setTab(1);
    quantity->setFocus();
    QTest::keyClick(quantity, Qt::Key_Down);
    EXPECT_EQ(articles().position(), 0);
}

TEST_F(DocumentEntry, DoubleActionOnAnArticleAsksForTheQuantityAndAClickEndsChangeMode)
{
    activate();
    setTab(0);
    auto* grid = find<QTableView>("DBGrid1");
    const QModelIndex current = grid->model()->index(std::max(0, grid->currentIndex().row()), 1);
    grid->scrollTo(current);
    const QPoint cell = grid->visualRect(current).center();
    userDoubleClicks(grid->viewport(), cell);
    EXPECT_TRUE(edit("Text12")->hasFocus());
    EXPECT_EQ(fieldBackground(edit("Text12")), markYellow());

    pickFirstLine();
    EXPECT_EQ(edit("Text12")->text(), lines().text(QStringLiteral("a2")));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
    expectEntryMode();
    EXPECT_EQ(fieldBackground(edit("Text12")), plainWhite());
    EXPECT_TRUE(edit("Text22")->hasFocus());
}

TEST_F(DocumentEntry, TypedPriceTakesNumbersOnlyAndEnterInTheDesignationAddsTheLine)
{
    activate();
    click("Command4");
    const qint64 doc = docs().currentId();
    setTab(0);
    QLineEdit* price = edit("Text15");
    price->clear();
    price->setFocus();
    QTest::keyClicks(price, QStringLiteral("2.5x")); // the point becomes the locale's comma, the x is refused
    EXPECT_EQ(price->text(), QStringLiteral("2,5"));
    EXPECT_EQ(lastTitle(), QStringLiteral("Fehler"));
    EXPECT_EQ(lastText(), QStringLiteral("Falsche Eingabe !      nur Zahlenwerte erlaubt"));
    edit("Text12")->setFocus();
    EXPECT_EQ(price->text(), QStringLiteral("2,50"));
    edit("Text12")->setText(QStringLiteral("3"));
    EXPECT_EQ(edit("Text16")->text(), QStringLiteral("7,50"));
    find<QComboBox>("Combo5")->setEditText(QStringLiteral("7"));
    auto* designation = find<QPlainTextEdit>("Text14");
    designation->clear();
    designation->setFocus();
    QTest::keyClicks(designation, QStringLiteral("Kaffee"));
    QTest::keyClick(designation, Qt::Key_Return, Qt::ShiftModifier); // a second line, no line added yet
    QTest::keyClicks(designation, QStringLiteral("gemahlen"));
    EXPECT_EQ(linesOf(doc), 0);
    QTest::keyClick(designation, Qt::Key_Return);
    EXPECT_EQ(db.count(QStringLiteral("Verkauf"), QStringLiteral("a1 = ? AND n1 = ?"),
                       {QString::number(doc), QStringLiteral("Kaffee\ngemahlen")}),
              1);
    EXPECT_EQ(stored(doc, "a6"), QStringLiteral("8,03"));
    // Both rates are named once a line with an amount was counted.
    EXPECT_EQ(stored(doc, "a26"), QStringLiteral("MwSt.19% 0,00   MwSt.7% 0,53"));
    EXPECT_EQ(find<QLabel>("Label51")->text(), stored(doc, "a26"));
}

TEST_F(DocumentEntry, DeletingADocumentTakesItsLinesAndTheLastOneLeavesNothingToDelete)
{
    t.prompts.answerMessage(FakePrompts::No);
    click("Command5");
    EXPECT_EQ(lastTitle(), QStringLiteral("Rechnung löschen"));
    EXPECT_EQ(lastText(), QStringLiteral("die Rechnung Nr. 1003 vom 04.03.2024 wirklich löschen ?"));
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen")), 4);
    t.prompts.answerMessage(FakePrompts::Yes);
    click("Command5");
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen"), QStringLiteral("ID = ?"), {sample.doc4}), 0);
    EXPECT_EQ(linesOf(sample.doc4), 0);
    EXPECT_EQ(docs().currentId(), sample.doc3);
    EXPECT_EQ(lines().recordCount(), 3);

    ASSERT_TRUE(db.exec(QStringLiteral("DELETE FROM Rechnungen WHERE ID <> ?"), {sample.doc2}));
    reread();
    t.prompts.answerMessage(FakePrompts::Yes);
    click("Command5");
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen")), 0);
    EXPECT_EQ(linesOf(sample.doc2), 0);
    EXPECT_TRUE(edit("Text8")->text().isEmpty());
    const int asked = t.prompts.count();
    click("Command2");
    EXPECT_EQ(lastText(), QStringLiteral("Bitte legen Sie zunächst eine neue Rechnung an"));
    click("Command5");
    EXPECT_EQ(t.prompts.count(), asked + 1);
    userEnters(find<QWidget>("Combo3"));
    EXPECT_EQ(docs().recordCount(), 1);
}

TEST_F(DocumentEntry, DeletingOlderDocumentsAsksAndSparesTheCurrentOne)
{
    EXPECT_FALSE(window->menus().rechnungenLoeschen->isEnabled());
    docs().moveFirst();
    t.prompts.answerMessage(FakePrompts::Yes);
    window->documents().Rechnungen_delete();
    EXPECT_EQ(lastTitle(), QStringLiteral("Achtung !"));
    EXPECT_EQ(lastText(), QStringLiteral("Sollen alle Rechnungen vor dieser gelöscht werden ?"));
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen")), 4);
    for (auto answer : {FakePrompts::No, FakePrompts::Yes}) {
        ASSERT_TRUE(docs().moveToId(sample.doc3));
        t.prompts.answerMessage(answer);
        window->documents().Rechnungen_delete();
    }
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen")), 2);
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen"), QStringLiteral("ID = ?"), {sample.doc3}), 1);
    EXPECT_EQ(linesOf(sample.doc1), 0);
}

TEST_F(DocumentEntry, TheDateIsPickedInTheCalendarOrSetToTodayByDoubleClick)
{
    QLabel* date = find<QLabel>("Text3");
    auto done = whenModalOpens([](QWidget* dialog) {
        EXPECT_EQ(dialog->objectName(), QStringLiteral("frmCalendar"));
        QWidget* grid = dialog->focusWidget(); // the keys go where the user's keys go
        ASSERT_NE(grid, nullptr);
        QTest::keyClick(grid, Qt::Key_Right);
        QTest::keyClick(grid, Qt::Key_Return);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "Enter did not close the calendar";
            static_cast<QDialog*>(dialog)->reject();
        }
    });
    QTest::mouseClick(date, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return *done; }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return stored(sample.doc4, "a8") == QStringLiteral("05.03.2024"); }, 2000));
    EXPECT_EQ(date->text(), QStringLiteral("05.03.2024"));

    userDoubleClicks(date, date->rect().center());
    EXPECT_EQ(stored(sample.doc4, "a8"), QStringLiteral("01.03.2024"));
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr); // the ending click opened no calendar
}

TEST_F(DocumentEntry, SettingsFromTheMenuTakeNextNumberRatesAndGrossPrices)
{
    QLineEdit* next = edit("Text32");
    next->setFocus();
    next->selectAll();
    QTest::keyClicks(next, QStringLiteral("2000"));
    QString shown;
    auto done = whenModalOpens([&shown](QWidget* dialog) {
        auto* number = dialog->findChild<QLineEdit*>(QStringLiteral("Text26"));
        auto* vat1 = dialog->findChild<QLineEdit*>(QStringLiteral("Text2"));
        auto* gross = dialog->findChild<QRadioButton*>(QStringLiteral("Option2"));
        ASSERT_TRUE(number && vat1 && gross);
        shown = number->text();
        number->selectAll();
        QTest::keyClicks(number, QStringLiteral("3000"));
        vat1->selectAll();
        QTest::keyClicks(vat1, QStringLiteral("16"));
        gross->click();
        dialog->close();
    });
    window->menus().stammdaten->trigger();
    ASSERT_TRUE(*done);
    EXPECT_EQ(shown, QStringLiteral("2000"));
    EXPECT_EQ(db.setting(QStringLiteral("Rechnungsnummer")).toString(), QStringLiteral("3000"));
    EXPECT_EQ(next->text(), QStringLiteral("3000"));
    EXPECT_EQ(find<QComboBox>("Combo5")->itemText(0), QStringLiteral("16"));
    EXPECT_EQ(t.state.Rechnungsbasis, 1);

    click("Command4");
    const qint64 doc = docs().currentId();
    typeLine("1", "Beratung", "116", "16");
    click("Command3");
    EXPECT_EQ(stored(doc, "a6"), QStringLiteral("116,00"));
    EXPECT_EQ(stored(doc, "a30"), QStringLiteral("16,00"));
    EXPECT_EQ(edit("Text6")->text(), QStringLiteral("100,00"));
}

// A system whose decimal separator is the point.
class DocumentEntryUnderThePoint : public DocumentEntry {
protected:
    DocumentEntryUnderThePoint() : DocumentEntry(QLatin1Char('.')) {}
};

TEST_F(DocumentEntryUnderThePoint, PricesAndTotalsUseThePoint)
{
    click("Command4");
    const qint64 doc = docs().currentId();
    QLineEdit* price = edit("Text15");
    price->clear();
    price->setFocus();
    QTest::keyClicks(price, QStringLiteral("2,5")); // the comma becomes the point
    EXPECT_EQ(price->text(), QStringLiteral("2.5"));
    edit("Text12")->setFocus();
    EXPECT_EQ(price->text(), QStringLiteral("2.50"));
    typeLine("3", "Kaffee", "2.50", "19");
    EXPECT_EQ(edit("Text16")->text(), QStringLiteral("7.50"));
    click("Command3");
    EXPECT_EQ(stored(doc, "a14"), QStringLiteral("7.50"));
    EXPECT_EQ(stored(doc, "a6"), QStringLiteral("8.93"));
    EXPECT_EQ(t.prompts.count(), 0);
}

} // namespace
