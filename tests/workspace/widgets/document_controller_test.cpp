#include "data/Recordset.h"
#include "platform/widgets/FieldMarks.h"
#include "support/ModalHelper.h"
#include "support/SampleDocuments.h"
#include "support/TestContext.h"
#include "workspace/DataSources.h"
#include "workspace/widgets/DocumentController.h"
#include "workspace/widgets/RechnungWindow.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace quittora;

namespace {

const RechnungWindow::ScreenMetrics kScreen{QSize(1024, 768), QRect(0, 0, 1024, 768)};

class DocumentControllerTest : public ::testing::Test {
protected:
    explicit DocumentControllerTest(QChar separator = QLatin1Char(','))
        : db(separator)
        , t(separator)
    {
    }
    void SetUp() override
    {
        ASSERT_TRUE(db.isValid()) << db.error().toStdString();
        start();
    }
    void start()
    {
        window = std::make_unique<RechnungWindow>(t.ctx, db.db());
        ASSERT_TRUE(window->prepare(kScreen));
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->rebind();
        settle();
    }
    void settle()
    {
        auto* t3 = window->findChild<QTimer*>(QStringLiteral("Timer3"));
        auto* t5 = window->findChild<QTimer*>(QStringLiteral("Timer5"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !t3->isActive() && !t5->isActive(); }, 3000));
    }
    template <typename T>
    T* find(const char* name) const
    {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << "no control " << name;
        return w;
    }
    QLineEdit* edit(const char* name) const { return find<QLineEdit>(name); }
    void click(const char* name) { QTest::mouseClick(find<QWidget>(name), Qt::LeftButton); }
    void userEnters(QWidget* w, Qt::FocusReason reason = Qt::TabFocusReason)
    {
        QFocusEvent in(QEvent::FocusIn, reason);
        QApplication::sendEvent(w, &in);
    }
    Recordset& docs() const { return window->sources().documents(); }
    Recordset& lines() const { return window->sources().lines(); }
    QString stored(qint64 id, const char* field) const
    {
        return db.field(QStringLiteral("Rechnungen"), id, QString::fromLatin1(field)).toString();
    }
    qint64 linesOf(qint64 id) const
    {
        return db.count(QStringLiteral("Verkauf"), QStringLiteral("a1 = ?"), {QString::number(id)});
    }
    void typeLine(const QString& quantity, const QString& designation, const QString& price, const QString& rate)
    {
        edit("Text13")->setText(QStringLiteral("Stk"));
        find<QPlainTextEdit>("Text14")->setPlainText(designation);
        find<QComboBox>("Combo5")->setEditText(rate);
        edit("Text15")->setText(price);
        edit("Text12")->setText(quantity);
    }
    QString lastText() const { return t.prompts.last().text; }
    // What a window system delivers for a double click (QTest::mouseDClick
    // alone sends only the double-click event).
    static void userDoubleClicks(QWidget* w, QPoint at)
    {
        QTest::mouseClick(w, Qt::LeftButton, {}, at);
        QTest::mousePress(w, Qt::LeftButton, {}, at);
        QTest::mouseDClick(w, Qt::LeftButton, {}, at);
        QTest::mouseRelease(w, Qt::LeftButton, {}, at);
    }
    // The middle of the designation cell of the first line (the first column,
    // the document's ID, is hidden).
    static QPoint lineCell(QTableView* grid)
    {
        const QRect cell = grid->visualRect(grid->model()->index(0, 3));
        EXPECT_FALSE(cell.isEmpty());
        return cell.center();
    }

    test::TempDatabase db;
    test::SampleDocuments sample{db};
    TestContext t;
    std::unique_ptr<RechnungWindow> window;
};

TEST_F(DocumentControllerTest, NewDocumentIsAnInvoiceOfTodayWithoutNumberOrLines)
{
    const qint64 before = db.count(QStringLiteral("Rechnungen"));
    ASSERT_TRUE(find<QWidget>("Command4")->isEnabled());
    click("Command4");
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen")), before + 1);
    const qint64 id = docs().currentId();
    EXPECT_EQ(docs().position(), docs().recordCount() - 1);
    EXPECT_EQ(stored(id, "a8"), QStringLiteral("01.03.2024"));
    EXPECT_EQ(stored(id, "a156"), QStringLiteral("Rechnung"));
    EXPECT_TRUE(stored(id, "a7").isEmpty());
    EXPECT_EQ(find<QLabel>("Text3")->text(), QStringLiteral("01.03.2024"));
    EXPECT_EQ(find<QComboBox>("Combo3")->currentText(), QStringLiteral("Rechnung"));
    EXPECT_EQ(window->tabs()->currentIndex(), 1);
    EXPECT_EQ(t.state.neuer_Datensatz, 0);
    EXPECT_EQ(lines().recordCount(), 0);
}

TEST_F(DocumentControllerTest, EnteringAHeadFieldWithoutAnyDocumentCreatesOne)
{
    ASSERT_TRUE(db.exec(QStringLiteral("DELETE FROM Rechnungen")));
    window->rebind();
    settle();
    ASSERT_EQ(docs().recordCount(), 0);
    QLineEdit* name = edit("Text8");
    EXPECT_FALSE(name->isReadOnly());
    userEnters(name);
    ASSERT_EQ(docs().recordCount(), 1);
    EXPECT_EQ(stored(docs().currentId(), "a8"), QStringLiteral("01.03.2024"));
    // A document is there now: entering again creates nothing more.
    userEnters(find<QWidget>("Combo3"));
    EXPECT_EQ(docs().recordCount(), 1);
}

TEST_F(DocumentControllerTest, TypingIntoTheHeadWithoutAnyDocumentKeepsWhatIsTyped)
{
    // The field can hold the focus without the user moving into it (the
    // window activated by a click into it): the typing itself starts the
    // document, and nothing typed is lost.
    ASSERT_TRUE(db.exec(QStringLiteral("DELETE FROM Rechnungen")));
    window->rebind();
    settle();
    ASSERT_EQ(docs().recordCount(), 0);
    QLineEdit* name = edit("Text8");
    QTest::keyClicks(name, QStringLiteral("Meier"));
    ASSERT_EQ(docs().recordCount(), 1);
    EXPECT_EQ(name->text(), QStringLiteral("Meier"));
    ASSERT_TRUE(docs().update());
    EXPECT_EQ(stored(docs().currentId(), "a2"), QStringLiteral("Meier"));
    EXPECT_EQ(docs().recordCount(), 1);
}

TEST_F(DocumentControllerTest, NumberFieldExplainsItselfOncePerUserMove)
{
    QLineEdit* number = edit("Text2");
    EXPECT_EQ(number->toolTip(), QStringLiteral("Rechnungsnummer wird beim Druck vom System vergeben"));
    EXPECT_TRUE(number->isReadOnly());
    userEnters(number, Qt::MouseFocusReason);
    ASSERT_EQ(t.prompts.count(), 1);
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Veltrin"));
    EXPECT_EQ(lastText(), QStringLiteral("Die Rechnungsnummer wird beim Druck vom System vergeben"));
    userEnters(number, Qt::ActiveWindowFocusReason); // the box closed, the window is active again
    EXPECT_EQ(t.prompts.count(), 1);
    userEnters(number, Qt::TabFocusReason);
    EXPECT_EQ(t.prompts.count(), 2);
}

TEST_F(DocumentControllerTest, TakingOverTheCustomerAsksBeforeOverwritingAName)
{
    ASSERT_TRUE(window->sources().customers().moveToId(sample.mueller));
    const qint64 doc = docs().currentId();
    const QString name = stored(doc, "a2");
    ASSERT_FALSE(name.isEmpty());

    t.prompts.answerMessage(FakePrompts::No);
    click("Command2");
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Kopf überschreiben ?"));
    EXPECT_EQ(lastText(), QStringLiteral("Soll der Kopf in der aktuellen Rechnung überschrieben werden ?"));
    EXPECT_EQ(stored(doc, "a2"), name);

    t.prompts.answerMessage(FakePrompts::Yes);
    click("Command2");
    EXPECT_EQ(stored(doc, "a2"), QStringLiteral("Hans Müller"));
    EXPECT_EQ(stored(doc, "b1"), QString::number(sample.mueller));
    EXPECT_EQ(edit("Text8")->text(), QStringLiteral("Hans Müller"));
    EXPECT_EQ(window->tabs()->currentIndex(), 0);

    // A new document has no name yet: no question.
    click("Command4");
    ASSERT_TRUE(window->sources().customers().moveToId(sample.schmidt));
    const int asked = t.prompts.count();
    click("Command2");
    EXPECT_EQ(t.prompts.count(), asked);
    EXPECT_EQ(stored(docs().currentId(), "a2"), QStringLiteral("Eva Schmidt"));
}

TEST_F(DocumentControllerTest, LinesAreCheckedAddedAndTheTotalsStoredAtOnce)
{
    click("Command4");
    const qint64 doc = docs().currentId();
    typeLine(QStringLiteral("2"), QStringLiteral("Brot"), QStringLiteral("1,5"), QStringLiteral("19"));
    EXPECT_EQ(edit("Text16")->text(), QStringLiteral("3,00"));

    // The three checks, each refusing with its own words and writing nothing.
    find<QComboBox>("Combo5")->setEditText(QString());
    click("Command3");
    EXPECT_EQ(lastText(), QStringLiteral("Bitte geben Sie den MwSt.-Satz ein."));
    find<QComboBox>("Combo5")->setEditText(QStringLiteral("19"));
    edit("Text16")->clear();
    click("Command3");
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Fehler"));
    EXPECT_EQ(lastText(), QStringLiteral("Berechnung fehlgeschlagen. (Menge fehlt)"));
    find<QComboBox>("Combo5")->setEditText(QString());
    edit("Text12")->clear();
    click("Command3");
    EXPECT_EQ(lastText(), QStringLiteral("Für eine Berechnung fehlt die Menge."));
    EXPECT_EQ(linesOf(doc), 0);

    typeLine(QStringLiteral("2"), QStringLiteral("Brot"), QStringLiteral("1,5"), QStringLiteral("19"));
    QTest::keyClick(edit("Text12"), Qt::Key_Return);
    ASSERT_EQ(linesOf(doc), 1);
    EXPECT_EQ(lines().recordCount(), 1);
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
}

TEST_F(DocumentControllerTest, TheLineBeingEnteredKeepsItsRateWhenTheWindowIsActiveAgain)
{
    click("Command4");
    typeLine(QString(), QStringLiteral("Brot"), QStringLiteral("2,00"), QStringLiteral("7"));
    click("Command3");
    EXPECT_EQ(lastText(), QStringLiteral("Berechnung fehlgeschlagen. (Menge fehlt)"));
    // The message box closed: the window becomes active again.
    QEvent activated(QEvent::WindowActivate);
    QApplication::sendEvent(window.get(), &activated);
    auto* rate = find<QComboBox>("Combo5");
    EXPECT_EQ(rate->currentText(), QStringLiteral("7"));
    ASSERT_GE(rate->count(), 3); // the list itself was filled anew
    EXPECT_EQ(rate->itemText(2), QStringLiteral("0"));
    EXPECT_EQ(edit("Text15")->text(), QStringLiteral("2,00"));
    edit("Text12")->setText(QStringLiteral("1"));
    click("Command3");
    EXPECT_EQ(linesOf(docs().currentId()), 1);
    EXPECT_EQ(stored(docs().currentId(), "a6"), QStringLiteral("2,14"));
}

TEST_F(DocumentControllerTest, KindAndPaidFlagAreStoredWithTheDocument)
{
    click("Command4");
    const qint64 doc = docs().currentId();
    auto* kind = find<QComboBox>("Combo3");
    ASSERT_EQ(kind->count(), 2);
    EXPECT_EQ(kind->itemText(0), QStringLiteral("Rechnung"));
    EXPECT_EQ(kind->itemText(1), QStringLiteral("Angebot"));
    QTest::keyClick(kind, Qt::Key_Down); // the user picks the second kind
    EXPECT_EQ(kind->currentText(), QStringLiteral("Angebot"));
    QTest::mouseClick(find<QWidget>("Check1"), Qt::LeftButton, {}, QPoint(6, find<QWidget>("Check1")->height() / 2));
    // Leaving the document stores what was chosen.
    ASSERT_TRUE(docs().moveFirst());
    EXPECT_EQ(stored(doc, "a156"), QStringLiteral("Angebot"));
    EXPECT_EQ(db.field(QStringLiteral("Rechnungen"), doc, QStringLiteral("opt1")).toInt(), -1);
    ASSERT_TRUE(docs().moveToId(doc));
    settle();
    EXPECT_EQ(kind->currentText(), QStringLiteral("Angebot"));
    EXPECT_TRUE(find<QCheckBox>("Check1")->isChecked());
}

TEST_F(DocumentControllerTest, AddingToADocumentWithoutDateIsRefused)
{
    db.addDocument(QStringLiteral("1004"), QString());
    window->rebind();
    settle();
    typeLine(QStringLiteral("1"), QStringLiteral("Brot"), QStringLiteral("2"), QStringLiteral("19"));
    const qint64 before = db.count(QStringLiteral("Verkauf"));
    click("Command3");
    EXPECT_EQ(lastText(),
              QStringLiteral("Sie müssen zunächst eine neue Rechnung anlegen, bevor Sie Artikel hinzufügen"));
    EXPECT_EQ(db.count(QStringLiteral("Verkauf")), before);
}

TEST_F(DocumentControllerTest, ALinePickedInTheGridIsChangedAndDeleted)
{
    click("Command4");
    const qint64 doc = docs().currentId();
    typeLine(QStringLiteral("2"), QStringLiteral("Brot"), QStringLiteral("1,50"), QStringLiteral("19"));
    click("Command3");
    ASSERT_EQ(linesOf(doc), 1);

    auto* grid = find<QTableView>("DBGrid5");
    QAbstractItemModelTester tester(grid->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, lineCell(grid));
    auto* take = find<QPushButton>("Command3");
    ASSERT_TRUE(QTest::qWaitFor([&] { return take->text() == QStringLiteral("Rechnungszeile ändern"); }, 2000));
    EXPECT_FALSE(find<QPushButton>("Command29")->isHidden());
    EXPECT_EQ(edit("Text12")->text(), QStringLiteral("2"));
    EXPECT_EQ(find<QPlainTextEdit>("Text14")->toPlainText(), QStringLiteral("Brot"));

    edit("Text12")->setText(QStringLiteral("4"));
    EXPECT_EQ(edit("Text16")->text(), QStringLiteral("6,00"));
    click("Command3");
    const qint64 line = db.count(QStringLiteral("Verkauf"), QStringLiteral("a1 = ? AND a2 = '4'"), {QString::number(doc)});
    EXPECT_EQ(line, 1);
    EXPECT_EQ(linesOf(doc), 1);
    // The grid shows the changed line, the totals their new values.
    EXPECT_EQ(grid->model()->index(0, 1).data().toString(), QStringLiteral("4"));
    EXPECT_EQ(grid->model()->index(0, 6).data().toString(), QStringLiteral("6,00"));
    EXPECT_EQ(find<QLabel>("Label17")->text(), QStringLiteral("7,14"));
    EXPECT_EQ(stored(doc, "a14"), QStringLiteral("6,00"));
    EXPECT_EQ(stored(doc, "a6"), QStringLiteral("7,14"));
    EXPECT_EQ(take->text(), QStringLiteral("Artikel in Rechnung &übernehmen"));
    EXPECT_TRUE(find<QPushButton>("Command29")->isHidden());
    EXPECT_TRUE(edit("Text12")->text().isEmpty());

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, lineCell(grid));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !find<QPushButton>("Command29")->isHidden(); }, 2000));
    click("Command29");
    EXPECT_EQ(linesOf(doc), 0);
    EXPECT_EQ(stored(doc, "a14"), QStringLiteral("0,00"));
    EXPECT_EQ(stored(doc, "a6"), QStringLiteral("0,00"));
    EXPECT_EQ(take->text(), QStringLiteral("Artikel in Rechnung &übernehmen"));
}

TEST_F(DocumentControllerTest, APickedArticleFillsTheEntryAndTheQuantityKeysWalkTheArticles)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->tabs()->setCurrentIndex(0);
    Recordset& articles = window->sources().articles();
    ASSERT_GE(articles.recordCount(), 3);
    articles.moveFirst();
    edit("Text12")->setText(QStringLiteral("5"));
    ASSERT_TRUE(articles.moveNext());
    EXPECT_TRUE(edit("Text12")->text().isEmpty()); // a new article starts a new quantity
    EXPECT_EQ(edit("Text13")->text(), articles.text(QStringLiteral("a2")));
    EXPECT_EQ(find<QPlainTextEdit>("Text14")->toPlainText(), articles.text(QStringLiteral("a3")));
    EXPECT_EQ(edit("Text15")->text(), articles.text(QStringLiteral("a4")));
    EXPECT_EQ(find<QComboBox>("Combo5")->currentText(), articles.text(QStringLiteral("a19")));

    QLineEdit* quantity = edit("Text12");
    QLineEdit* search = edit("Text22");
    const int at = articles.position();
    quantity->setFocus();
    QTest::keyClick(quantity, Qt::Key_Down);
    EXPECT_EQ(articles.position(), at + 1);
    EXPECT_TRUE(search->hasFocus());
    articles.moveLast();
    quantity->setFocus();
    QTest::keyClick(quantity, Qt::Key_Down);
    EXPECT_EQ(articles.position(), articles.recordCount() - 1);
    articles.moveFirst();
    quantity->setFocus();
    QTest::keyClick(quantity, Qt::Key_Up);
    EXPECT_EQ(articles.position(), 0);
    quantity->setFocus();
    QTest::keyClick(quantity, Qt::Key_Escape);
    EXPECT_TRUE(search->hasFocus());
    EXPECT_EQ(articles.position(), 0);
    // Coming back into the quantity selects it, so typing replaces it.
    quantity->setText(QStringLiteral("12"));
    quantity->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(QTest::qWaitFor([&] { return quantity->selectedText() == QStringLiteral("12"); }, 1000));

    // Away from " Auswahl" the arrows leave the articles alone.
    window->tabs()->setCurrentIndex(1);
    quantity->setFocus();
    QTest::keyClick(quantity, Qt::Key_Down);
    EXPECT_EQ(articles.position(), 0);
}

TEST_F(DocumentControllerTest, DoubleActionOnAnArticleAsksForTheQuantityAndAClickEndsChangeMode)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->tabs()->setCurrentIndex(0);
    auto* articles = find<QTableView>("DBGrid1");
    const QModelIndex current = articles->model()->index(std::max(0, articles->currentIndex().row()), 1);
    articles->scrollTo(current);
    const QPoint cell = articles->visualRect(current).center();
    ASSERT_TRUE(articles->viewport()->rect().contains(cell));
    userDoubleClicks(articles->viewport(), cell);
    EXPECT_TRUE(edit("Text12")->hasFocus());
    EXPECT_EQ(fieldBackground(edit("Text12")), markYellow());

    // The current document has lines: pick one, then click the articles.
    auto* lineGrid = find<QTableView>("DBGrid5");
    ASSERT_GT(lineGrid->model()->rowCount(), 0);
    QTest::mouseClick(lineGrid->viewport(), Qt::LeftButton, {}, lineCell(lineGrid));
    auto* take = find<QPushButton>("Command3");
    ASSERT_TRUE(QTest::qWaitFor([&] { return take->text() == QStringLiteral("Rechnungszeile ändern"); }, 2000));
    EXPECT_EQ(edit("Text12")->text(), lines().text(QStringLiteral("a2")));
    QTest::mouseClick(articles->viewport(), Qt::LeftButton, {}, cell);
    EXPECT_EQ(take->text(), QStringLiteral("Artikel in Rechnung &übernehmen"));
    EXPECT_TRUE(find<QPushButton>("Command29")->isHidden());
    EXPECT_EQ(fieldBackground(edit("Text12")), plainWhite());
    EXPECT_TRUE(edit("Text22")->hasFocus());
}

TEST_F(DocumentControllerTest, DesignationEnterAddsTheLineAndThePriceIsWrittenWithTwoDecimals)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    click("Command4");
    const qint64 doc = docs().currentId();
    window->tabs()->setCurrentIndex(0);
    QLineEdit* price = edit("Text15");
    price->setFocus();
    price->clear();
    QTest::keyClicks(price, QStringLiteral("2.5")); // the point becomes the locale's comma
    EXPECT_EQ(price->text(), QStringLiteral("2,5"));
    QTest::keyClicks(price, QStringLiteral("x"));
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Fehler"));
    EXPECT_EQ(lastText(), QStringLiteral("Falsche Eingabe !      nur Zahlenwerte erlaubt"));
    EXPECT_EQ(price->text(), QStringLiteral("2,5"));
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
    ASSERT_EQ(linesOf(doc), 1);
    EXPECT_EQ(designation->toPlainText(), QStringLiteral("Kaffee\ngemahlen")); // Enter typed no break
    EXPECT_EQ(db.count(QStringLiteral("Verkauf"), QStringLiteral("a1 = ? AND n1 = ?"),
                       {QString::number(doc), QStringLiteral("Kaffee\ngemahlen")}),
              1);
    EXPECT_EQ(stored(doc, "a14"), QStringLiteral("7,50"));
    EXPECT_EQ(stored(doc, "a6"), QStringLiteral("8,03"));
    // Both rates are named once a line with an amount was counted.
    EXPECT_EQ(stored(doc, "a26"), QStringLiteral("MwSt.19% 0,00   MwSt.7% 0,53"));
    EXPECT_EQ(find<QLabel>("Label51")->text(), stored(doc, "a26"));
}

TEST_F(DocumentControllerTest, ConfirmedCustomerSkontoRecomputesTheSentence)
{
    click("Command4");
    const qint64 doc = docs().currentId();
    ASSERT_TRUE(window->sources().customers().moveToId(sample.mueller));
    click("Command2");
    ASSERT_EQ(stored(doc, "b1"), QString::number(sample.mueller));
    typeLine(QStringLiteral("1"), QStringLiteral("Beratung"), QStringLiteral("100"), QStringLiteral("19"));
    click("Command3");
    ASSERT_EQ(stored(doc, "a6"), QStringLiteral("119,00"));
    window->tabs()->setCurrentIndex(1);
    QLineEdit* skonto = edit("Text35");
    skonto->setFocus();
    skonto->setText(QStringLiteral("2"));
    QTest::keyClick(skonto, Qt::Key_Return);
    // Ten days from the template's settings after 1 March 2024.
    EXPECT_EQ(stored(doc, "b2"), QStringLiteral("Bei Zahlung bis zum 11.03.2024 abzüglich 2% Skonto  (116,62 EUR)"));
    EXPECT_EQ(edit("Text37")->text(), stored(doc, "b2"));
    skonto->setText(QStringLiteral("0"));
    QTest::keyClick(skonto, Qt::Key_Return);
    EXPECT_TRUE(stored(doc, "b2").isEmpty());
}

TEST_F(DocumentControllerTest, PagingToAnotherDocumentEndsChangeModeAndTouchesNoLineThere)
{
    ASSERT_EQ(docs().currentId(), sample.doc4);
    auto* grid = find<QTableView>("DBGrid5");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, lineCell(grid));
    auto* take = find<QPushButton>("Command3");
    ASSERT_TRUE(QTest::qWaitFor([&] { return take->text() == QStringLiteral("Rechnungszeile ändern"); }, 2000));
    edit("Text12")->setText(QStringLiteral("99"));

    const QString doc3Lines = QStringLiteral("a1 = ? AND a2 = '99'");
    ASSERT_TRUE(docs().moveToId(sample.doc3));
    settle();
    EXPECT_EQ(take->text(), QStringLiteral("Artikel in Rechnung &übernehmen"));
    EXPECT_TRUE(find<QPushButton>("Command29")->isHidden());
    EXPECT_TRUE(edit("Text12")->text().isEmpty());
    EXPECT_EQ(db.count(QStringLiteral("Verkauf"), doc3Lines, {QString::number(sample.doc3)}), 0);
    EXPECT_EQ(linesOf(sample.doc4), 1);
}

TEST_F(DocumentControllerTest, TheCashDiscountIsTheDocumentCustomersEvenWhileAnotherIsShown)
{
    ASSERT_TRUE(db.exec(QStringLiteral("UPDATE Kunden SET a9 = '3' WHERE ID = ?"), {sample.mueller}));
    ASSERT_TRUE(window->sources().customers().moveToId(sample.mueller));
    click("Command4");
    t.prompts.answerMessage(FakePrompts::Yes);
    click("Command2");
    const qint64 doc = docs().currentId();
    ASSERT_EQ(stored(doc, "b1"), QString::number(sample.mueller));
    // The user looks at another customer before adding a line.
    ASSERT_TRUE(window->sources().customers().moveToId(sample.schmidt));
    typeLine(QStringLiteral("1"), QStringLiteral("Beratung"), QStringLiteral("100"), QStringLiteral("19"));
    click("Command3");
    ASSERT_EQ(linesOf(doc), 1);
    EXPECT_EQ(stored(doc, "b2"), QStringLiteral("Bei Zahlung bis zum 11.03.2024 abzüglich 3% Skonto  (115,43 EUR)"));
}

TEST_F(DocumentControllerTest, DeletingADocumentTakesItsLinesAndNoKeepsIt)
{
    ASSERT_EQ(docs().currentId(), sample.doc4);
    ASSERT_GT(linesOf(sample.doc4), 0);
    t.prompts.answerMessage(FakePrompts::No);
    click("Command5");
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Rechnung löschen"));
    EXPECT_EQ(lastText(), QStringLiteral("die Rechnung Nr. 1003 vom ") + stored(sample.doc4, "a8") +
                              QStringLiteral(" wirklich löschen ?"));
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen"), QStringLiteral("ID = ?"), {sample.doc4}), 1);

    t.prompts.answerMessage(FakePrompts::Yes);
    click("Command5");
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen"), QStringLiteral("ID = ?"), {sample.doc4}), 0);
    EXPECT_EQ(linesOf(sample.doc4), 0);
    EXPECT_GT(linesOf(sample.doc3), 0);
    EXPECT_EQ(docs().currentId(), sample.doc3);
    EXPECT_EQ(lines().recordCount(), linesOf(sample.doc3));
}

TEST_F(DocumentControllerTest, AfterTheLastDocumentIsDeletedAHeadFieldStartsANewOne)
{
    ASSERT_TRUE(db.exec(QStringLiteral("DELETE FROM Rechnungen WHERE ID <> ?"), {sample.doc2}));
    window->rebind();
    settle();
    ASSERT_EQ(docs().recordCount(), 1);
    t.prompts.answerMessage(FakePrompts::Yes);
    click("Command5");
    EXPECT_EQ(docs().recordCount(), 0);
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen")), 0);
    EXPECT_EQ(linesOf(sample.doc2), 0);
    EXPECT_TRUE(edit("Text8")->text().isEmpty());

    // Nothing to take the customer into, and nothing to delete.
    const int asked = t.prompts.count();
    click("Command2");
    ASSERT_EQ(t.prompts.count(), asked + 1);
    EXPECT_EQ(lastText(), QStringLiteral("Bitte legen Sie zunächst eine neue Rechnung an"));
    click("Command5");
    EXPECT_EQ(t.prompts.count(), asked + 1);
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen")), 0);

    userEnters(find<QWidget>("Combo3"));
    ASSERT_EQ(docs().recordCount(), 1);
    EXPECT_EQ(stored(docs().currentId(), "a156"), QStringLiteral("Rechnung"));
}

TEST_F(DocumentControllerTest, DeletingOlderDocumentsAsksAndSparesTheCurrentOne)
{
    EXPECT_FALSE(window->menus().rechnungenLoeschen->isEnabled());
    const qint64 all = db.count(QStringLiteral("Rechnungen"));
    docs().moveFirst();
    t.prompts.answerMessage(FakePrompts::Yes);
    window->documents().Rechnungen_delete();
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Achtung !"));
    EXPECT_EQ(lastText(), QStringLiteral("Sollen alle Rechnungen vor dieser gelöscht werden ?"));
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen")), all);

    ASSERT_TRUE(docs().moveToId(sample.doc3));
    t.prompts.answerMessage(FakePrompts::No);
    window->documents().Rechnungen_delete();
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen")), all);
    ASSERT_TRUE(docs().moveToId(sample.doc3));
    t.prompts.answerMessage(FakePrompts::Yes);
    window->documents().Rechnungen_delete();
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen")), all - 2);
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen"), QStringLiteral("ID = ?"), {sample.doc3}), 1);
    EXPECT_EQ(linesOf(sample.doc1), 0);
}

TEST_F(DocumentControllerTest, TheDateIsPickedInTheCalendarOrSetToTodayByDoubleClick)
{
    const qint64 doc = docs().currentId();
    QLabel* date = find<QLabel>("Text3");
    const QDate start = QDate::fromString(date->text(), QStringLiteral("dd.MM.yyyy"));
    ASSERT_TRUE(start.isValid());
    auto done = whenModalOpens([](QWidget* dialog) {
        EXPECT_EQ(dialog->objectName(), QStringLiteral("frmCalendar"));
        // The keys go where the user's keys go: to the widget with the focus.
        QWidget* grid = dialog->focusWidget();
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->objectName(), QStringLiteral("MonthGrid"));
        QTest::keyClick(grid, Qt::Key_Right);
        QTest::keyClick(grid, Qt::Key_Return);
        if (dialog->isVisible()) { // never leave a test waiting on an open window
            ADD_FAILURE() << "Enter did not close the calendar";
            static_cast<QDialog*>(dialog)->reject();
        }
    });
    QTest::mouseClick(date, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return *done; }, 3000));
    const QString next = start.addDays(1).toString(QStringLiteral("dd.MM.yyyy"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return stored(doc, "a8") == next; }, 2000));
    EXPECT_EQ(date->text(), next);

    userDoubleClicks(date, date->rect().center());
    EXPECT_EQ(stored(doc, "a8"), QStringLiteral("01.03.2024"));
    // The click that ended the double click opens no calendar.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(DocumentControllerTest, TheNextNumberGoesIntoTheSettingsAndComesBack)
{
    QLineEdit* next = edit("Text32");
    next->setFocus();
    next->selectAll();
    QTest::keyClicks(next, QStringLiteral("2000"));
    EXPECT_EQ(next->text(), QStringLiteral("2000"));
    QString shown;
    auto done = whenModalOpens([&shown](QWidget* dialog) {
        auto* number = dialog->findChild<QLineEdit*>(QStringLiteral("Text26"));
        ASSERT_NE(number, nullptr);
        shown = number->text();
        number->selectAll();
        QTest::keyClicks(number, QStringLiteral("3000"));
        dialog->close();
    });
    window->menus().stammdaten->trigger();
    ASSERT_TRUE(*done);
    EXPECT_EQ(shown, QStringLiteral("2000"));
    EXPECT_EQ(db.setting(QStringLiteral("Rechnungsnummer")).toString(), QStringLiteral("3000"));
    EXPECT_EQ(next->text(), QStringLiteral("3000"));
}

TEST_F(DocumentControllerTest, GrossPricesChosenInTheSettingsTakeTheVatOutOfTheLines)
{
    auto done = whenModalOpens([](QWidget* dialog) {
        auto* gross = dialog->findChild<QRadioButton*>(QStringLiteral("Option2"));
        ASSERT_NE(gross, nullptr);
        gross->click();
        dialog->close();
    });
    window->menus().stammdaten->trigger();
    ASSERT_TRUE(*done);
    EXPECT_EQ(t.state.Rechnungsbasis, 1);

    click("Command4");
    const qint64 doc = docs().currentId();
    typeLine(QStringLiteral("1"), QStringLiteral("Beratung"), QStringLiteral("119"), QStringLiteral("19"));
    click("Command3");
    ASSERT_EQ(linesOf(doc), 1);
    EXPECT_EQ(stored(doc, "a6"), QStringLiteral("119,00"));
    EXPECT_EQ(stored(doc, "a30"), QStringLiteral("19,00"));
    EXPECT_EQ(stored(doc, "a14"), QStringLiteral("100,00"));
    EXPECT_EQ(edit("Text6")->text(), QStringLiteral("100,00"));
}

TEST_F(DocumentControllerTest, SettingsFromTheMenuChangeTheVatLists)
{
    QAction* stammdaten = window->menus().stammdaten;
    ASSERT_TRUE(stammdaten->isEnabled());
    auto done = whenModalOpens([](QWidget* dialog) {
        auto* vat1 = dialog->findChild<QLineEdit*>(QStringLiteral("Text2"));
        ASSERT_NE(vat1, nullptr);
        vat1->selectAll();
        QTest::keyClicks(vat1, QStringLiteral("16"));
        dialog->close();
    });
    stammdaten->trigger();
    ASSERT_TRUE(*done);
    EXPECT_EQ(db.setting(QStringLiteral("MWSt")).toString(), QStringLiteral("16"));
    QComboBox* rate = find<QComboBox>("Combo5");
    EXPECT_EQ(rate->itemText(0), QStringLiteral("16"));
    EXPECT_EQ(window->companySettings().vatRate1(), QStringLiteral("16"));
}

// A system whose decimal separator is the point.
class DocumentControllerPointTest : public DocumentControllerTest {
protected:
    DocumentControllerPointTest()
        : DocumentControllerTest(QLatin1Char('.'))
    {
    }
};

TEST_F(DocumentControllerPointTest, PricesAndTotalsUseThePoint)
{
    click("Command4");
    const qint64 doc = docs().currentId();
    QLineEdit* price = edit("Text15");
    price->clear();
    price->setFocus();
    QTest::keyClicks(price, QStringLiteral("2,5")); // the comma becomes the point
    EXPECT_EQ(price->text(), QStringLiteral("2.5"));
    EXPECT_EQ(t.prompts.count(), 0);
    edit("Text12")->setFocus();
    EXPECT_EQ(price->text(), QStringLiteral("2.50"));
    edit("Text12")->setText(QStringLiteral("3"));
    EXPECT_EQ(edit("Text16")->text(), QStringLiteral("7.50"));
    find<QComboBox>("Combo5")->setEditText(QStringLiteral("19"));
    find<QPlainTextEdit>("Text14")->setPlainText(QStringLiteral("Kaffee"));
    click("Command3");
    ASSERT_EQ(linesOf(doc), 1);
    EXPECT_EQ(stored(doc, "a14"), QStringLiteral("7.50"));
    EXPECT_EQ(stored(doc, "a6"), QStringLiteral("8.93"));
    EXPECT_EQ(find<QLabel>("Label17")->text(), QStringLiteral("8.93"));
}

} // namespace
