#include "data/Recordset.h"
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
#include <QComboBox>
#include <QDialog>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
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

    QTest::mouseDClick(date, Qt::LeftButton);
    EXPECT_EQ(stored(doc, "a8"), QStringLiteral("01.03.2024"));
    // The click that ended the double click opens no calendar.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
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

} // namespace
