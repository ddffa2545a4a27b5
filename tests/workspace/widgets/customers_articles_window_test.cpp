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
        auto* b = find<QAbstractButton>(name);
        ASSERT_NE(b, nullptr);
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

TEST_F(CustomersArticlesWindowTest, WithTwoCustomersOneIsDeletedThenTheOtherStays)
{
    exec(QStringLiteral("DELETE FROM Kunden WHERE a2 NOT IN ('Mustermann', 'Schmidt')"));
    window->rebind();
    settle();
    setTab(1);
    ASSERT_TRUE(customers().moveToId(sample.schmidt));
    t.prompts.answerMessage(Prompts::Yes);
    click("Command9");
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("den Kunden Eva Schmidt wirklich löschen ?"));
    EXPECT_EQ(rows("Kunden"), 1);
    EXPECT_EQ(find<QLabel>("Label25")->text(), mainwindow::customerCountText(1));
    EXPECT_EQ(customers().text(QStringLiteral("a2")), QStringLiteral("Mustermann"));

    click("Command9");
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Achtung !"));
    EXPECT_EQ(rows("Kunden"), 1);
}

TEST_F(CustomersArticlesWindowTest, ANewCustomerBesideTheLastOneIsStoredNotRefused)
{
    exec(QStringLiteral("DELETE FROM Kunden WHERE a2 <> 'Mustermann'"));
    window->rebind();
    settle();
    setTab(1);
    click("Command7");
    type("Text18", QStringLiteral("Neu"));
    click("Command9");
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("Den Kunden können Sie erst jetzt nach Speicherung löschen"));
    EXPECT_EQ(rows("Kunden"), 2);
}

TEST_F(CustomersArticlesWindowTest, TheOnlyCustomerOfASelectionCanBeDeleted)
{
    setTab(1);
    t.prompts.answerInput(QStringLiteral("schmidt"));
    click("Command23");
    ASSERT_EQ(customers().recordCount(), 1);
    t.prompts.answerMessage(Prompts::Yes);
    click("Command9");
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Kunden löschen"));
    EXPECT_EQ(rows("Kunden"), 3);
    EXPECT_EQ(find<QLabel>("Label58")->text(), QStringLiteral("0 Kunden selektiert nach \"schmidt\""));
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

TEST_F(CustomersArticlesWindowTest, ASelectionEndsWhenTheCustomersAreReadAnew)
{
    setTab(1);
    t.prompts.answerInput(QStringLiteral("bäck"));
    click("Command23");
    ASSERT_EQ(customers().recordCount(), 1);
    ASSERT_FALSE(find<QLabel>("Label58")->isHidden());

    // Back from the backup window (or another database): all customers, and
    // no label that still speaks of the selection.
    window->rebind();
    EXPECT_EQ(customers().recordCount(), 4);
    EXPECT_TRUE(find<QLabel>("Label58")->isHidden());
    EXPECT_TRUE(find<QWidget>("Command24")->isHidden());

    // A new selection shows its label again.
    t.prompts.answerInput(QStringLiteral("bäck"));
    click("Command23");
    EXPECT_FALSE(find<QLabel>("Label58")->isHidden());
    EXPECT_EQ(find<QLabel>("Label58")->text(), QStringLiteral("1 Kunden selektiert nach \"bäck\""));
}

TEST_F(CustomersArticlesWindowTest, ASearchWithAQuoteFindsWhatContainsIt)
{
    exec(QStringLiteral("UPDATE Kunden SET a2 = 'O''Neill' WHERE a2 = 'Abele'"));
    window->rebind();
    settle();
    setTab(1);
    t.prompts.answerInput(QStringLiteral("'nei"));
    click("Command23");
    ASSERT_EQ(customers().recordCount(), 1);
    EXPECT_EQ(customers().currentId(), sample.abele);
    EXPECT_EQ(find<QLabel>("Label58")->text(), QStringLiteral("1 Kunden selektiert nach \"'nei\""));

    // The search as you type takes it as a character too.
    click("Command24");
    type("Text22", QStringLiteral("o'n"));
    EXPECT_EQ(customers().currentId(), sample.abele);
}

TEST_F(CustomersArticlesWindowTest, TheListButtonsExportTheCurrentSelection)
{
    setTab(1);
    // All customers: the hint first, then the file opened.
    click("Command27");
    ASSERT_EQ(t.prompts.count(), 1);
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Hinweis !"));
    ASSERT_EQ(t.shell.opened().size(), 1);
    const QString txt = t.shell.opened().at(0);
    EXPECT_TRUE(txt.endsWith(QStringLiteral("/Kundenliste.txt")));
    EXPECT_TRUE(test::TempDatabase::readFile(txt).startsWith(QByteArray("\r\nAbele\r\n")));

    // A selection: no hint, only the selected customers.
    t.prompts.answerInput(QStringLiteral("schmidt"));
    click("Command23");
    t.prompts.answerMessage(Prompts::Ok);
    const int before = t.prompts.count();
    click("Command28");
    ASSERT_EQ(t.prompts.count(), before + 2);
    EXPECT_EQ(t.prompts.shown().at(before).title, QStringLiteral("Info"));
    EXPECT_EQ(t.prompts.last().text,
              QStringLiteral("Wählen Sie '' Datei - speichern unter ... '' und geben Sie einen Speicherort an. "
                             "Wählen Sie diese Datei als Steuerdatei Ihres Word-Serienbriefes."));
    ASSERT_EQ(t.shell.opened().size(), 2);
    EXPECT_EQ(test::TempDatabase::readFile(t.shell.opened().at(1)),
              QStringLiteral("Anrede;Name;Vorname;Zusatz;Straße;PLZ/Ort\r\n;Schmidt;Eva;;;\r\n").toUtf8());
}

TEST_F(CustomersArticlesWindowTest, AClickInTheCustomerGridReturnsToTheSearchBox)
{
    setTab(1);
    activate();
    find<QWidget>("Text18")->setFocus();
    auto* grid = find<QTableView>("DBGrid2");
    const QRect cell = grid->visualRect(grid->model()->index(1, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(customers().position(), 1);
    EXPECT_TRUE(find<QLineEdit>("Text22")->hasFocus());
}

TEST_F(CustomersArticlesWindowTest, DoubleActionInTheGridAndEnterInTheSearchBoxTakeTheCustomerOver)
{
    // A new document has no name yet, so nothing is asked.
    click("Command4");
    settle();
    const qint64 doc = window->sources().documents().currentId();
    setTab(1);
    activate();
    auto* grid = find<QTableView>("DBGrid2");
    ASSERT_TRUE(customers().moveToId(sample.schmidt));
    const QRect cell = grid->visualRect(grid->model()->index(customers().position(), 0));
    // The user's double action: a click, then the double click on the row.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QSqlQuery q(db.connection());
    q.exec(QStringLiteral("SELECT a2 FROM Rechnungen WHERE ID = ") + QString::number(doc));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("Eva Schmidt"));

    click("Command4");
    const qint64 second = window->sources().documents().currentId();
    setTab(1);
    type("Text22", QStringLiteral("abe"));
    QTest::keyClick(find<QLineEdit>("Text22"), Qt::Key_Return);
    q.exec(QStringLiteral("SELECT a2, b1 FROM Rechnungen WHERE ID = ") + QString::number(second));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("Abele"));
    EXPECT_EQ(q.value(1).toString(), QString::number(sample.abele));
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
    EXPECT_TRUE(caption->font().underline());
    // The lookup starts from what the field holds, typed just now included.
    type("Text29", QStringLiteral("80331"));
    QTest::mouseClick(caption, Qt::LeftButton);
    EXPECT_EQ(asked, QStringLiteral("80331"));
    EXPECT_EQ(find<QLineEdit>("Text29")->text(), QStringLiteral("80331 München"));
    EXPECT_EQ(find<QLineEdit>("Text29")->cursorPosition(), 0);
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

    // On " Kunden" the same keys move through the customers.
    setTab(1);
    box->setFocus();
    customers().moveLast();
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(customers().position(), customers().recordCount() - 1);
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(customers().position(), customers().recordCount() - 2);
    customers().moveFirst();
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(customers().position(), 0);
    EXPECT_TRUE(box->hasFocus());
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

TEST_F(CustomersArticlesWindowTest, ANewArticleStartsWithTheNormalVatRate)
{
    ASSERT_TRUE(db.exec(QStringLiteral("UPDATE Einstellungen SET MWSt = '16'")));
    window->activate(); // the settings are read again when the window becomes active
    setTab(2);
    click("Command14");
    EXPECT_EQ(find<QComboBox>("Combo4")->currentText(), QStringLiteral("16"));
    type("Text24", QStringLiteral("400"));
    type("Text25", QStringLiteral("Neuware"));
    click("Command16");
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT a19 FROM Artikel WHERE a2 = '400'")) && q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("16"));
}

TEST_F(CustomersArticlesWindowTest, EnterWalksTheArticleEditorAndThePriceTakesNumbersOnly)
{
    setTab(2);
    activate();
    find<QWidget>("Text24")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(find<QWidget>("Text25")->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(find<QWidget>("Text26")->hasFocus());

    auto* price = find<QLineEdit>("Text26");
    price->selectAll();
    QTest::keyClicks(price, QStringLiteral("12.5"));
    EXPECT_EQ(price->text(), QStringLiteral("12,5"));
    const int shown = t.prompts.count();
    QTest::keyClicks(price, QStringLiteral("x"));
    EXPECT_EQ(price->text(), QStringLiteral("12,5"));
    ASSERT_EQ(t.prompts.count(), shown + 1);
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Fehler"));
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("Falsche Eingabe !      nur Zahlenwerte erlaubt"));

    QTest::keyClick(price, Qt::Key_Return);
    EXPECT_TRUE(find<QWidget>("Text28")->hasFocus());
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

TEST_F(CustomersArticlesWindowTest, WithTwoArticlesOneIsDeletedThenTheOtherStays)
{
    exec(QStringLiteral("DELETE FROM Artikel WHERE a2 NOT IN ('100', '200')"));
    window->rebind();
    settle();
    setTab(2);
    ASSERT_EQ(articles().recordCount(), 2);
    type("Text22", QStringLiteral("Ber"));
    ASSERT_EQ(articles().text(QStringLiteral("a2")), QStringLiteral("200"));
    t.prompts.answerMessage(Prompts::Yes);
    click("Command6");
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("den Artikel Beratung wirklich löschen ?"));
    EXPECT_EQ(rows("Artikel"), 1);
    EXPECT_EQ(find<QLabel>("Label24")->text(), mainwindow::articleCountText(1));

    click("Command6");
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Achtung !"));
    EXPECT_EQ(rows("Artikel"), 1);
}

TEST_F(CustomersArticlesWindowTest, TheOnlyArticleOfARangeSelectionCanBeDeleted)
{
    setTab(2);
    type("Text38", QStringLiteral("200"));
    type("Text39", QStringLiteral("200"));
    click("Command19");
    ASSERT_EQ(articles().recordCount(), 1);
    t.prompts.answerMessage(Prompts::Yes);
    click("Command6");
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("den Artikel Beratung wirklich löschen ?"));
    EXPECT_EQ(rows("Artikel"), 3);
    EXPECT_EQ(find<QLabel>("Label24")->text(), mainwindow::articleCountText(0));
}

TEST_F(CustomersArticlesWindowTest, ASortAfterARangeSelectionListsAndCountsAllArticles)
{
    setTab(2);
    type("Text38", QStringLiteral("100"));
    type("Text39", QStringLiteral("199"));
    click("Command19");
    ASSERT_EQ(articles().recordCount(), 1);
    EXPECT_EQ(find<QLabel>("Label24")->text(), mainwindow::articleCountText(1));
    setTab(0);
    find<QRadioButton>("Option4")->click();
    EXPECT_EQ(articles().recordCount(), 4);
    EXPECT_EQ(find<QLabel>("Label24")->text(), mainwindow::articleCountText(4));
    EXPECT_FALSE(mainwindow::articleSortByNumber(t.settings));
}

TEST_F(CustomersArticlesWindowTest, SelectionTextsWithAQuoteAreJustText)
{
    exec(QStringLiteral("UPDATE Artikel SET a3 = 'Rock''n''Roll' WHERE a2 = '300'"));
    window->rebind();
    settle();
    setTab(2);
    t.prompts.answerInput(QStringLiteral("k'n'r"));
    click("Command19");
    ASSERT_EQ(articles().recordCount(), 1);
    EXPECT_EQ(articles().text(QStringLiteral("a2")), QStringLiteral("300"));

    type("Text38", QStringLiteral("1'"));
    type("Text39", QStringLiteral("3'"));
    click("Command19");
    // "1'" sorts before "100", "3'" before "300": 100 and 200 lie between.
    ASSERT_EQ(articles().recordCount(), 2);
    EXPECT_EQ(articles().text(QStringLiteral("a2")), QStringLiteral("100"));
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
    exec(QStringLiteral("INSERT INTO Artikel (a2, a3, a4) VALUES ('400', 'ohne Preis', '')"));
    exec(QStringLiteral("INSERT INTO Artikel (a2, a3, a4) VALUES ('500', 'gratis', '0,00')"));
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
    EXPECT_EQ(articlePrice("300"), QStringLiteral("5,55"));  // 0,50 + 0,05 + 5
    EXPECT_EQ(articlePrice("400"), QStringLiteral(""));      // no price stays no price
    EXPECT_EQ(articlePrice("500"), QStringLiteral("0,00"));
    EXPECT_EQ(articlePrice("Stk."), QStringLiteral("16,00"));
}

TEST_F(CustomersArticlesWindowTest, PriceChangeShowsTheNewPricesOnceAtTheEnd)
{
    setTab(2);
    int shown = 0;
    QObject::connect(&articles(), &Recordset::currentChanged, [&shown] { ++shown; });
    type("Text40", QStringLiteral("100"));
    t.prompts.answerMessage(Prompts::Yes);
    click("Command20");
    ASSERT_EQ(articlePrice("100"), QStringLiteral("7,00"));
    // Not once per article: the views follow the end result only.
    EXPECT_LE(shown, 2);
    ASSERT_TRUE(articles().hasCurrent());
    EXPECT_EQ(articles().position(), 0);
    EXPECT_EQ(find<QLineEdit>("Text26")->text(), articles().text(QStringLiteral("a4")));
    auto* grid = find<QTableView>("DBGrid3");
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        ASSERT_TRUE(articles().moveTo(row));
        EXPECT_EQ(grid->model()->index(row, 3).data().toString(), articles().text(QStringLiteral("a4"))) << row;
    }
}

TEST_F(CustomersArticlesWindowTest, LineEntryFollowsANewPriceOfTheArticleItShows)
{
    // Only "Brot" listed, so neither change makes another row current.
    setTab(2);
    type("Text38", QStringLiteral("100"));
    type("Text39", QStringLiteral("100"));
    click("Command19");
    ASSERT_EQ(articles().recordCount(), 1);
    auto* price = find<QLineEdit>("Text15");
    setTab(0);
    ASSERT_EQ(price->text(), QStringLiteral("3,50"));

    // Quick price change: the entry offers the new price, not the old one.
    setTab(2);
    type("Text40", QStringLiteral("10"));
    t.prompts.answerMessage(Prompts::Yes);
    click("Command20");
    ASSERT_EQ(articlePrice("100"), QStringLiteral("3,85"));
    setTab(0);
    EXPECT_EQ(price->text(), QStringLiteral("3,85"));

    // The price edited and stored on the article tab, likewise.
    setTab(2);
    type("Text26", QStringLiteral("4,20"));
    click("Command16");
    ASSERT_EQ(articlePrice("100"), QStringLiteral("4,20"));
    setTab(0);
    EXPECT_EQ(price->text(), QStringLiteral("4,20"));

    // A price the user typed into the entry stays.
    type("Text15", QStringLiteral("5,00"));
    setTab(2);
    type("Text26", QStringLiteral("4,40"));
    click("Command16");
    setTab(0);
    EXPECT_EQ(price->text(), QStringLiteral("5,00"));
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
