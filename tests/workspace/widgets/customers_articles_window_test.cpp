#include "data/Database.h"
#include "data/Recordset.h"
#include "data/RecordsetModel.h"
#include "support/SampleDocuments.h"
#include "support/TestContext.h"
#include "workspace/DataSources.h"
#include "workspace/MainWindowRules.h"
#include "workspace/widgets/CustomersController.h"
#include "workspace/widgets/RechnungMenus.h"
#include "workspace/widgets/RechnungWindow.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace quittora;

namespace {

const RechnungWindow::ScreenMetrics kScreen{QSize(1024, 768), QRect(0, 0, 1024, 768)};

class CustomersArticlesWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.isValid()) << db.error().toStdString();
        open();
    }

    void open()
    {
        window.reset();
        window = std::make_unique<RechnungWindow>(t.ctx, db.db());
        ASSERT_TRUE(window->prepare(kScreen));
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->rebind();
        settle();
        controller()->setExchangeFilePath(dir.filePath(QStringLiteral("Quittora pro/Faktu_50.tmp")));
        for (const char* grid : {"DBGrid1", "DBGrid2", "DBGrid3"})
            testers.push_back(std::make_unique<QAbstractItemModelTester>(
                find<QTableView>(grid)->model(), QAbstractItemModelTester::FailureReportingMode::Warning));
    }

    void settle()
    {
        auto* t3 = window->findChild<QTimer*>(QStringLiteral("Timer3"));
        auto* t5 = window->findChild<QTimer*>(QStringLiteral("Timer5"));
        ASSERT_TRUE(t3 && t5);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !t3->isActive() && !t5->isActive(); }, 3000));
    }

    template <typename T>
    T* find(const char* name) const
    {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << "no control " << name;
        return w;
    }
    CustomersController* controller() const { return window->findChild<CustomersController*>(); }
    void click(const char* name)
    {
        auto* b = find<QPushButton>(name);
        ASSERT_TRUE(b->isEnabled()) << name;
        b->click();
    }
    void setTab(int page) { window->tabs()->setCurrentIndex(page); }
    void type(const char* name, const QString& text)
    {
        auto* e = find<QLineEdit>(name);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    Recordset& customers() const { return window->sources().customers(); }
    Recordset& articles() const { return window->sources().articles(); }
    int rows(const char* table) const
    {
        QSqlQuery q(db.connection());
        q.exec(QStringLiteral("SELECT COUNT(*) FROM ") + QString::fromLatin1(table));
        return q.next() ? q.value(0).toInt() : -1;
    }
    void exec(const QString& sql)
    {
        QSqlQuery q(db.connection());
        ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
    }
    QString articlePrice(const char* number) const
    {
        QSqlQuery q(db.connection());
        q.prepare(QStringLiteral("SELECT a4 FROM Artikel WHERE a2 = ?"));
        q.addBindValue(QString::fromUtf8(number));
        q.exec();
        return q.next() ? q.value(0).toString() : QStringLiteral("<none>");
    }
    void activate()
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QTemporaryDir dir;
    test::TempDatabase db;
    test::SampleDocuments sample{db};
    TestContext t;
    std::unique_ptr<RechnungWindow> window;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
};

// --- customers ---

TEST_F(CustomersArticlesWindowTest, NewCustomerIsStoredAndCounted)
{
    setTab(1);
    click("Command7");
    EXPECT_EQ(t.state.neuer_Datensatz, 1);
    type("Text18", QStringLiteral("Neumann"));
    type("Text19", QStringLiteral("Nina"));
    click("Command15");
    EXPECT_EQ(rows("Kunden"), 5);
    EXPECT_EQ(find<QLabel>("Label25")->text(), mainwindow::customerCountText(5));
    EXPECT_EQ(customers().text(QStringLiteral("a2")), QStringLiteral("Neumann"));
}

TEST_F(CustomersArticlesWindowTest, FirstDeleteAfterNewOnlyStoresThenAsks)
{
    setTab(1);
    click("Command7");
    type("Text18", QStringLiteral("Neumann"));
    type("Text19", QStringLiteral("Nina"));
    click("Command9");
    EXPECT_EQ(rows("Kunden"), 5);
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Fehler !"));
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("Den Kunden können Sie erst jetzt nach Speicherung löschen"));
    EXPECT_EQ(t.state.neuer_Datensatz, 0);

    t.prompts.answerMessage(Prompts::No);
    click("Command9");
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Kunden löschen"));
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("den Kunden Nina Neumann wirklich löschen ?"));
    EXPECT_EQ(rows("Kunden"), 5);

    t.prompts.answerMessage(Prompts::Yes);
    click("Command9");
    EXPECT_EQ(rows("Kunden"), 4);
    EXPECT_EQ(find<QLabel>("Label25")->text(), mainwindow::customerCountText(4));
}

TEST_F(CustomersArticlesWindowTest, LastCustomerStaysAsTemplate)
{
    exec(QStringLiteral("DELETE FROM Kunden WHERE a2 <> 'Mustermann'"));
    window->rebind();
    settle();
    setTab(1);
    click("Command9");
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Achtung !"));
    EXPECT_EQ(t.prompts.last().text,
              QStringLiteral("Diesen Kunden können Sie erst nach dem Zufügen eines neuen Kunden löschen. Eine Kunde "
                             "muß als Mustersatz im Datenbestand erhalten bleiben."));
    EXPECT_EQ(rows("Kunden"), 1);
}

TEST_F(CustomersArticlesWindowTest, EnterWalksTheAddressFields)
{
    setTab(1);
    activate();
    const char* order[] = {"Text17", "Text18", "Text19", "Text20", "Text21", "Text29", "Text30", "Text31"};
    find<QWidget>(order[0])->setFocus();
    for (int i = 1; i < 8; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(find<QWidget>(order[i])->hasFocus()) << order[i];
    }
}

TEST_F(CustomersArticlesWindowTest, CopyPutsAddressOnClipboardAndInsertReadsItBack)
{
    setTab(1);
    ASSERT_TRUE(customers().moveToId(sample.mueller));
    click("Command13");
    EXPECT_EQ(t.clipboard.text(), QStringLiteral("Hans Müller\r\nBäckerei\r\n\r\n\r\n"));
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("Adressdaten kopiert !"));

    // Filled fields are only overwritten after the question.
    ASSERT_TRUE(customers().moveToId(sample.schmidt));
    click("Command12");
    EXPECT_EQ(t.prompts.last().text,
              QStringLiteral("Mindest ein Feld, das überschrieben werden soll enthält Daten, Adresse trotzdem einsetzen ?"));
    EXPECT_EQ(find<QLineEdit>("Text18")->text(), QStringLiteral("Schmidt"));

    click("Command7");
    click("Command12");
    EXPECT_EQ(find<QLineEdit>("Text18")->text(), QStringLiteral("Müller"));
    EXPECT_EQ(find<QLineEdit>("Text19")->text(), QStringLiteral("Hans"));
    click("Command15");
    EXPECT_EQ(rows("Kunden"), 5);
}

TEST_F(CustomersArticlesWindowTest, CopyOfAnEmptyAddressIsRefused)
{
    setTab(1);
    click("Command7");
    click("Command13");
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Fehler !"));
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("Keine Daten zum kopieren vorhanden !"));
    EXPECT_TRUE(t.clipboard.text().isEmpty());
}

TEST_F(CustomersArticlesWindowTest, SearchAcrossAllFieldsAndItsEnd)
{
    setTab(1);
    t.prompts.answerInput(QStringLiteral("bäck"));
    click("Command23");
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Spezialsuche "));
    EXPECT_EQ(customers().recordCount(), 1);
    EXPECT_EQ(customers().currentId(), sample.mueller);
    EXPECT_FALSE(find<QLabel>("Label58")->isHidden());
    EXPECT_EQ(find<QLabel>("Label58")->text(), QStringLiteral("1 Kunden selektiert nach \"bäck\""));
    EXPECT_FALSE(find<QWidget>("Command24")->isHidden());

    click("Command24");
    EXPECT_EQ(customers().recordCount(), 4);
    EXPECT_TRUE(find<QLabel>("Label58")->isHidden());
    EXPECT_TRUE(find<QWidget>("Command24")->isHidden());

    // Nothing found: said, and all customers again.
    t.prompts.answerInput(QStringLiteral("o'zz"));
    click("Command23");
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Selektion nach o'zz"));
    EXPECT_EQ(t.prompts.last().text,
              QStringLiteral("keine Kunden in der Datenbank, die die Buchstabenfolge ''o'zz'' enthält !"));
    EXPECT_EQ(customers().recordCount(), 4);
    EXPECT_TRUE(find<QLabel>("Label58")->isHidden());

    // Cancelled: every customer contains the empty text.
    click("Command23");
    EXPECT_EQ(customers().recordCount(), 4);
}

TEST_F(CustomersArticlesWindowTest, PostalCodeCaptionOpensTheLookup)
{
    setTab(1);
    ASSERT_TRUE(customers().moveToId(sample.schmidt));
    QString asked;
    controller()->setLookup([&](const QString& current, QWidget*) -> std::optional<QString> {
        asked = current;
        return QStringLiteral("80331 München");
    });
    QLabel* caption = nullptr;
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->text() == QStringLiteral("Plz / Ort") && l->parentWidget()->objectName() == QStringLiteral("TabKunden"))
            caption = l;
    ASSERT_NE(caption, nullptr);
    QTest::mouseClick(caption, Qt::LeftButton);
    EXPECT_EQ(find<QLineEdit>("Text29")->text(), QStringLiteral("80331 München"));
    click("Command15");
    QSqlQuery q(db.connection());
    q.exec(QStringLiteral("SELECT a5 FROM Kunden WHERE ID = ") + QString::number(sample.schmidt));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("80331 München"));
}

TEST_F(CustomersArticlesWindowTest, DataCorrectionMenuFillsEmptyKeys)
{
    exec(QStringLiteral("UPDATE Artikel SET a2 = NULL WHERE a3 = 'Beratung'"));
    ASSERT_TRUE(window->menus().datenkorrektur->isEnabled());
    window->menus().datenkorrektur->trigger();
    EXPECT_TRUE(t.prompts.messageTexts().contains(QStringLiteral("Daten wurden korrigiert ")));
    QSqlQuery q(db.connection());
    q.exec(QStringLiteral("SELECT a2 FROM Artikel WHERE a3 = 'Beratung'"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral(" "));
}

// --- search box ---

TEST_F(CustomersArticlesWindowTest, SearchAsYouTypeFollowsTheTab)
{
    ASSERT_TRUE(find<QLineEdit>("Text22")->isEnabled());
    setTab(0);
    find<QRadioButton>("Option4")->click();
    type("Text22", QStringLiteral("be"));
    EXPECT_EQ(articles().text(QStringLiteral("a3")), QStringLiteral("Beratung"));

    find<QRadioButton>("Option3")->click();
    EXPECT_TRUE(mainwindow::articleSortByNumber(t.settings));
    type("Text22", QStringLiteral("3"));
    EXPECT_EQ(articles().text(QStringLiteral("a3")), QStringLiteral("Anfahrt"));

    setTab(1);
    type("Text22", QStringLiteral("SCH"));
    EXPECT_EQ(customers().currentId(), sample.schmidt);

    setTab(2);
    type("Text22", QStringLiteral("1"));
    EXPECT_EQ(articles().text(QStringLiteral("a3")), QStringLiteral("Brot"));
    // A quote is only a character: nothing found, the list stays usable.
    type("Text22", QStringLiteral("1'"));
    EXPECT_EQ(articles().text(QStringLiteral("a3")), QStringLiteral("Brot"));
}

TEST_F(CustomersArticlesWindowTest, ArrowsStopAtTheEndsAndEnterGoesToQuantity)
{
    setTab(0);
    activate();
    QLineEdit* box = find<QLineEdit>("Text22");
    box->setFocus();
    articles().moveLast();
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(articles().position(), articles().recordCount() - 1);
    articles().moveFirst();
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(articles().position(), 0);
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(articles().position(), 1);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(find<QLineEdit>("Text12")->hasFocus());
}

// --- articles ---

TEST_F(CustomersArticlesWindowTest, NewArticleThenDeleteStoresFirstAndDeletesSecond)
{
    setTab(2);
    click("Command14");
    EXPECT_EQ(t.state.neuer_Datensatz, 1);
    type("Text24", QStringLiteral("400"));
    type("Text25", QStringLiteral("Neuware"));
    click("Command6");
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Fehler !"));
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("Den Artikel können Sie erst jetzt nach Speicherung löschen"));
    EXPECT_EQ(rows("Artikel"), 5);
    EXPECT_EQ(t.state.neuer_Datensatz, 0);

    t.prompts.answerMessage(Prompts::Yes);
    click("Command6");
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Artikel löschen"));
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("den Artikel Neuware wirklich löschen ?"));
    EXPECT_EQ(rows("Artikel"), 4);
    EXPECT_EQ(find<QLabel>("Label24")->text(), mainwindow::articleCountText(4));
}

TEST_F(CustomersArticlesWindowTest, SaveClearsTheFlagAndCounts)
{
    setTab(2);
    click("Command14");
    type("Text24", QStringLiteral("500"));
    click("Command16");
    EXPECT_EQ(t.state.neuer_Datensatz, 0);
    EXPECT_EQ(rows("Artikel"), 5);
    EXPECT_EQ(find<QLabel>("Label24")->text(), mainwindow::articleCountText(5));
}

TEST_F(CustomersArticlesWindowTest, LastArticleIsNeverDeleted)
{
    exec(QStringLiteral("DELETE FROM Artikel WHERE a2 <> '100'"));
    window->rebind();
    settle();
    setTab(2);
    click("Command6");
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Achtung !"));
    EXPECT_EQ(t.prompts.last().text,
              QStringLiteral("Diesen Artikel können Sie erst nach dem Zufügen eines neuen Artikels löschen. Eine "
                             "Artikel muß als Mustersatz im Datenbestand erhalten bleiben."));
    EXPECT_EQ(rows("Artikel"), 1);
}

TEST_F(CustomersArticlesWindowTest, RangeSelectionAndSpecialSearch)
{
    setTab(2);
    type("Text38", QStringLiteral("100"));
    type("Text39", QStringLiteral("250"));
    click("Command19");
    ASSERT_EQ(articles().recordCount(), 2);
    EXPECT_EQ(articles().text(QStringLiteral("a2")), QStringLiteral("100"));

    find<QLineEdit>("Text38")->clear();
    t.prompts.answerInput(QStringLiteral("RAT"));
    click("Command19");
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Spezialsuche "));
    ASSERT_EQ(articles().recordCount(), 1);
    EXPECT_EQ(articles().text(QStringLiteral("a3")), QStringLiteral("Beratung"));

    // An empty text is not read: the list stays.
    t.prompts.answerInput(QString());
    click("Command19");
    EXPECT_EQ(articles().recordCount(), 1);
}

TEST_F(CustomersArticlesWindowTest, PriceChangeByPercentAndAmount)
{
    exec(QStringLiteral("UPDATE Artikel SET a4 = '0,50' WHERE a2 = '300'"));
    window->rebind();
    settle();
    setTab(2);
    type("Text40", QStringLiteral("10"));
    type("Text41", QStringLiteral("5"));
    t.prompts.answerMessage(Prompts::Yes);
    click("Command20");
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("Preise aller sichtbaren Artikel jetzt ändern ?"));
    EXPECT_EQ(articlePrice("100"), QStringLiteral("8,85"));  // 3,50 + 0,35 + 5
    EXPECT_EQ(articlePrice("200"), QStringLiteral("93,00")); // 80 + 8 + 5
    EXPECT_EQ(articlePrice("300"), QStringLiteral("0,50"));  // not above 0 as read
    EXPECT_EQ(articlePrice("Stk."), QStringLiteral("16,00"));
}

TEST_F(CustomersArticlesWindowTest, PriceChangeOnlyOnTheSelectionAndRefusesNonsense)
{
    setTab(2);
    type("Text38", QStringLiteral("100"));
    type("Text39", QStringLiteral("100"));
    click("Command19");
    type("Text40", QStringLiteral("-10"));
    t.prompts.answerMessage(Prompts::Yes);
    click("Command20");
    EXPECT_EQ(articlePrice("100"), QStringLiteral("3,15"));
    EXPECT_EQ(articlePrice("200"), QStringLiteral("80,00"));

    find<QLineEdit>("Text40")->setText(QStringLiteral("1.2.3"));
    click("Command20");
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Fehler"));
    EXPECT_EQ(articlePrice("100"), QStringLiteral("3,15"));

    // No: nothing changes.
    find<QLineEdit>("Text40")->setText(QStringLiteral("50"));
    t.prompts.answerMessage(Prompts::No);
    click("Command20");
    EXPECT_EQ(articlePrice("100"), QStringLiteral("3,15"));
}

} // namespace
