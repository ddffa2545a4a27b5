#include "data/Recordset.h"
#include "data/RecordsetModel.h"
#include "print/FakePrinters.h"
#include "support/SampleDocuments.h"
#include "support/TestContext.h"
#include "support/Typing.h"
#include "tools/widgets/ProportionalScaler.h"
#include "workspace/DataSources.h"
#include "workspace/widgets/OutputController.h"
#include "workspace/widgets/RechnungMenus.h"
#include "workspace/widgets/RechnungWindow.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QHeaderView>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

using namespace quittora;

namespace {

const RechnungWindow::ScreenMetrics kScreen{QSize(1024, 768), QRect(0, 0, 1024, 768)};

class RechnungWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.isValid()) << db.error().toStdString();
        window = std::make_unique<RechnungWindow>(t.ctx, db.db());
        ASSERT_TRUE(window->prepare(kScreen));
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->rebind();
        settle();
    }

    template <typename T>
    T* find(const char* name) const
    {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << "no control " << name;
        return w;
    }
    QString text(const char* name) const { return find<QLineEdit>(name)->text(); }
    QString caption(const char* name) const { return find<QLabel>(name)->text(); }
    Recordset& docs() const { return window->sources().documents(); }
    Recordset& customers() const { return window->sources().customers(); }
    int lineRows() const { return find<QTableView>("DBGrid5")->model()->rowCount(); }

    // Lets the deferred work (Timer3, Timer5) run to its end.
    void settle()
    {
        auto* t3 = window->findChild<QTimer*>(QStringLiteral("Timer3"));
        auto* t5 = window->findChild<QTimer*>(QStringLiteral("Timer5"));
        ASSERT_TRUE(t3 && t5);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !t3->isActive() && !t5->isActive(); }, 3000));
    }
    void click(const char* name) { QTest::mouseClick(find<QWidget>(name), Qt::LeftButton); }
    void key(const char* name, Qt::Key k) { QTest::keyClick(find<QWidget>(name), k); }

    test::TempDatabase db;
    test::SampleDocuments sample{db};
    TestContext t;
    std::unique_ptr<RechnungWindow> window;
};

TEST_F(RechnungWindowTest, DataSourcesGridsAndTabsCarryTheirDesignNames)
{
    const struct {
        const char* source;
        const char* table;
    } sources[] = {{"Data1", "Kunden"}, {"Data2", "Artikel"}, {"Data3", "Rechnungen"}, {"Data4", "Einstellungen"},
                   {"Data5", "Verkauf"}};
    for (const auto& s : sources) {
        auto* rs = window->findChild<Recordset*>(QString::fromLatin1(s.source));
        ASSERT_NE(rs, nullptr) << s.source;
        EXPECT_EQ(rs->baseTable(), QString::fromLatin1(s.table));
    }
    EXPECT_EQ(customers().recordSource(), QStringLiteral("SortKunden"));

    const struct {
        const char* grid;
        const char* source;
    } grids[] = {{"DBGrid1", "Data2"}, {"DBGrid2", "Data1"}, {"DBGrid3", "Data2"}, {"DBGrid4", "Data3"},
                 {"DBGrid5", "Data5"}};
    for (const auto& g : grids) {
        auto* view = find<QTableView>(g.grid);
        ASSERT_NE(view, nullptr);
        auto* model = qobject_cast<RecordsetModel*>(view->model());
        ASSERT_NE(model, nullptr) << g.grid;
        EXPECT_EQ(model->recordset().objectName(), QString::fromLatin1(g.source)) << g.grid;
    }
    auto* dbGrid1 = find<QTableView>("DBGrid1")->model();
    EXPECT_EQ(dbGrid1->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Ein Art-Nr."));
    EXPECT_EQ(dbGrid1->headerData(1, Qt::Horizontal).toString(), QStringLiteral("   Bezeichnung"));
    EXPECT_EQ(find<QTableView>("DBGrid3")->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("MwSt,"));

    QTabWidget* tabs = find<QTabWidget>("SSTab1");
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral(" Auswahl"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral(" Kunden"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral(" Artikel"));
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(window->objectName(), QStringLiteral("Rechnung"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Quittora pro"));
}

TEST_F(RechnungWindowTest, GridModelsStayConsistentWhileTheDocumentsMove)
{
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
    for (const char* g : {"DBGrid1", "DBGrid2", "DBGrid3", "DBGrid4", "DBGrid5"}) {
        testers.push_back(std::make_unique<QAbstractItemModelTester>(
            find<QTableView>(g)->model(), QAbstractItemModelTester::FailureReportingMode::Fatal));
    }
    customers().refresh();
    for (int i = 0; i < 4; ++i) {
        click("Data3Previous");
        settle();
    }
    window->rebind();
    settle();
    EXPECT_EQ(docs().currentId(), sample.doc4);
}

TEST_F(RechnungWindowTest, LoadShowsTheLastDocumentWithItsLinesAndTheCounts)
{
    EXPECT_EQ(docs().currentId(), sample.doc4);
    EXPECT_EQ(text("Text8"), QStringLiteral("Otto Weg"));
    EXPECT_EQ(text("Text2"), QStringLiteral("1003"));
    EXPECT_EQ(caption("Text3"), QStringLiteral("04.03.2024"));
    EXPECT_EQ(lineRows(), 1);
    // Template records and the sample's: 1 + 3 each.
    EXPECT_EQ(caption("Label24"), QStringLiteral("4 Artikel"));
    EXPECT_EQ(caption("Label25"), QStringLiteral("4 Kunden"));
    // Letterhead preview and the next number from the settings record.
    EXPECT_EQ(caption("Label13"), db.setting(QStringLiteral("Titel")).toString());
    EXPECT_EQ(caption("Label18"), db.setting(QStringLiteral("Titel")).toString() + QStringLiteral(" * ")
                                      + db.setting(QStringLiteral("frei2")).toString() + QStringLiteral(" * ")
                                      + db.setting(QStringLiteral("frei3")).toString());
    EXPECT_EQ(text("Text32"), db.setting(QStringLiteral("Rechnungsnummer")).toString());
    EXPECT_EQ(caption("Label55"), db.setting(QStringLiteral("frei8")).toString());
    EXPECT_EQ(find<QComboBox>("Combo3")->count(), 2);
    EXPECT_EQ(find<QComboBox>("Text17")->itemText(4), QStringLiteral("Familie"));
}

TEST_F(RechnungWindowTest, PagingMovesHeadLinesAndCustomerTogether)
{
    customers().refresh(); // the last document's customer is gone; follow again
    click("Data3First");
    EXPECT_EQ(text("Text8"), QStringLiteral("Hans Müller"));
    EXPECT_EQ(text("Text2"), QStringLiteral("1001"));
    EXPECT_EQ(find<QComboBox>("Combo3")->currentText(), QStringLiteral("Rechnung"));
    EXPECT_FALSE(find<QCheckBox>("Check1")->isChecked());
    settle();
    EXPECT_EQ(lineRows(), 2);
    EXPECT_EQ(customers().currentId(), sample.mueller);
    EXPECT_EQ(text("Text18"), QStringLiteral("Müller"));
    EXPECT_EQ(find<QTableView>("DBGrid2")->currentIndex().row(), customers().position());

    click("Data3Next");
    settle();
    EXPECT_EQ(text("Text8"), QStringLiteral("Eva Schmidt"));
    EXPECT_TRUE(find<QCheckBox>("Check1")->isChecked());
    EXPECT_EQ(lineRows(), 1);
    EXPECT_EQ(text("Text18"), QStringLiteral("Schmidt"));

    click("Data3Next");
    settle();
    EXPECT_EQ(find<QComboBox>("Combo3")->currentText(), QStringLiteral("Angebot"));
    EXPECT_EQ(lineRows(), 3);
    EXPECT_EQ(text("Text18"), QStringLiteral("Abele"));

    click("Data3Last");
    settle();
    EXPECT_EQ(text("Text2"), QStringLiteral("1003"));
    click("Data3Next"); // stays on the last
    EXPECT_EQ(text("Text2"), QStringLiteral("1003"));
    // Its customer is gone: the customer tab stays where it was ...
    EXPECT_EQ(text("Text18"), QStringLiteral("Abele"));
    // ... and no longer follows until the customer list is read again.
    click("Data3First");
    settle();
    EXPECT_EQ(text("Text18"), QStringLiteral("Abele"));
    EXPECT_EQ(lineRows(), 2);
}

TEST_F(RechnungWindowTest, DocumentListOpensClosesAndSearchesByNumber)
{
    QFrame* list = find<QFrame>("Frame1");
    EXPECT_FALSE(list->isVisible());
    click("Command11");
    EXPECT_TRUE(list->isVisible());

    auto* box = find<QLineEdit>("Text33");
    QTest::keyClicks(box, QStringLiteral("10"));
    EXPECT_EQ(docs().currentId(), sample.doc1);
    EXPECT_EQ(text("Text8"), QStringLiteral("Hans Müller"));
    key("Text33", Qt::Key_Return);
    EXPECT_EQ(docs().currentId(), sample.doc2);
    key("Text33", Qt::Key_Return);
    EXPECT_EQ(docs().currentId(), sample.doc4);
    settle();
    EXPECT_EQ(lineRows(), 1);

    key("Text33", Qt::Key_Up);
    EXPECT_EQ(docs().currentId(), sample.doc3);
    key("Text33", Qt::Key_Down);
    key("Text33", Qt::Key_Down); // stays on the last
    EXPECT_EQ(docs().currentId(), sample.doc4);
    EXPECT_EQ(find<QTableView>("DBGrid4")->currentIndex().row(), 3);

    key("Text33", Qt::Key_Escape);
    EXPECT_FALSE(list->isVisible());
    click("Command11");
    EXPECT_TRUE(list->isVisible());
    click("Command11");
    EXPECT_FALSE(list->isVisible());
    click("Command11");
    click("Command10");
    EXPECT_FALSE(list->isVisible());
}

TEST_F(RechnungWindowTest, NameSearchFindsTheTextInNameOrAdditionLine)
{
    click("Command11");
    auto* box = find<QLineEdit>("Text33");
    QTest::keyClicks(box, QStringLiteral("1"));
    click("SSOption2");
    EXPECT_TRUE(box->text().isEmpty()); // choosing the mode starts afresh
    typeText(box, QStringLiteral("müller"));
    EXPECT_EQ(docs().currentId(), sample.doc1);
    key("Text33", Qt::Key_Return);
    EXPECT_EQ(docs().currentId(), sample.doc3); // "z. Hd. Frau Müller"
    EXPECT_EQ(text("Text9"), QStringLiteral("z. Hd. Frau Müller"));
}

TEST_F(RechnungWindowTest, FailedSearchStopsSearchingUntilTheDocumentsAreReloaded)
{
    click("Command11");
    auto* box = find<QLineEdit>("Text33");
    QTest::keyClicks(box, QStringLiteral("9"));
    EXPECT_EQ(docs().currentId(), sample.doc1); // searching starts on the first document

    box->clear();
    QTest::keyClicks(box, QStringLiteral("1002"));
    EXPECT_EQ(docs().currentId(), sample.doc1);
    key("Text33", Qt::Key_Return);
    EXPECT_EQ(docs().currentId(), sample.doc1);

    // Image1 shows all documents again (a reload) and closes the list.
    QTest::mouseClick(find<QLabel>("Image1"), Qt::LeftButton);
    EXPECT_FALSE(find<QFrame>("Frame1")->isVisible());
    click("Command11");
    box->clear();
    QTest::keyClicks(box, QStringLiteral("1002"));
    EXPECT_EQ(docs().currentId(), sample.doc2);
}

TEST_F(RechnungWindowTest, VatListsFollowTheSettingsAtTheNextActivation)
{
    const QStringList before{QStringLiteral("19"), QStringLiteral("7"), QStringLiteral("0")};
    auto items = [](QComboBox* c) {
        QStringList l;
        for (int i = 0; i < c->count(); ++i)
            l << c->itemText(i);
        return l;
    };
    QComboBox* line = find<QComboBox>("Combo5");
    QComboBox* article = find<QComboBox>("Combo4");
    EXPECT_EQ(items(line), before);
    EXPECT_EQ(items(article), before);

    ASSERT_TRUE(db.exec(QStringLiteral("UPDATE Einstellungen SET MWSt = '16', frei9 = '5', Titel = 'Neu GmbH'")));
    EXPECT_EQ(items(line), before);

    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window.get(), &activate);
    const QStringList after{QStringLiteral("16"), QStringLiteral("5"), QStringLiteral("0")};
    EXPECT_EQ(items(line), after);
    EXPECT_EQ(items(article), after);
    EXPECT_EQ(caption("Label13"), QStringLiteral("Neu GmbH"));
    // The article keeps its own rate; nothing was written.
    EXPECT_EQ(article->currentText(), window->sources().articles().text(QStringLiteral("a19")));
    EXPECT_FALSE(window->sources().articles().isDirty());
}

TEST_F(RechnungWindowTest, WindowStateIsStoredAndRestored)
{
    t.settings.setValue(QStringLiteral("Fenster"), QStringLiteral("2"));
    window->activate();
    EXPECT_TRUE(window->isMaximized());

    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(window.get(), &deactivate);
    EXPECT_EQ(t.settings.value(QStringLiteral("Fenster")), QStringLiteral("2"));

    window->showNormal();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isMaximized(); }));
    window->close();
    EXPECT_EQ(t.settings.value(QStringLiteral("Fenster")), QStringLiteral("0"));

    t.settings.setValue(QStringLiteral("Fenster"), QStringLiteral("0"));
    window->showMaximized();
    window->activate();
    EXPECT_FALSE(window->isMaximized());
}

TEST_F(RechnungWindowTest, ScreenNarrowerThan800PixelsEndsTheProgram)
{
    RechnungWindow narrow(t.ctx, db.db());
    EXPECT_FALSE(narrow.prepare({QSize(799, 600), QRect(0, 0, 799, 600)}));
    ASSERT_EQ(t.prompts.count(), 1);
    EXPECT_EQ(t.prompts.last().title, QStringLiteral("Achtung"));
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("Auflösung 600 x 800 für dieses Programm erforderlich"));
    EXPECT_EQ(t.prompts.last().icon, Prompts::Icon::Critical);

    RechnungWindow wide(t.ctx, db.db());
    EXPECT_TRUE(wide.prepare({QSize(800, 600), QRect(0, 0, 800, 600)}));
    EXPECT_EQ(t.prompts.count(), 1);
    // The window fits the screen and stands in its middle.
    EXPECT_LE(wide.width(), 800);
    EXPECT_GE(wide.x(), 0);
}

TEST_F(RechnungWindowTest, WindowIsCentredAtItsDesignSizeOnALargeScreen)
{
    RechnungWindow w(t.ctx, db.db());
    ASSERT_TRUE(w.prepare({QSize(1920, 1080), QRect(0, 0, 1920, 1080)}));
    EXPECT_EQ(w.width(), RechnungWindow::kDesignSize.width());
    EXPECT_EQ(w.x(), (1920 - w.width() - 16) / 2);
}

TEST_F(RechnungWindowTest, ClosingEndsTheProgramUnlessTheBackupClosedIt)
{
    QSignalSpy end(window.get(), &RechnungWindow::programEndRequested);
    t.state.backupFlag = 1;
    window->close();
    EXPECT_EQ(end.count(), 0);

    window->show();
    t.state.backupFlag = 0;
    find<QAction>("mnuBeenden")->trigger();
    EXPECT_EQ(end.count(), 1);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(RechnungWindowTest, ClosingStoresWhatWasTyped)
{
    auto* name = find<QLineEdit>("Text8");
    name->selectAll();
    typeText(name, QStringLiteral("Otto Weg-Neu"));
    window->close();
    EXPECT_EQ(db.field(QStringLiteral("Rechnungen"), sample.doc4, QStringLiteral("a2")).toString(),
              QStringLiteral("Otto Weg-Neu"));
}

TEST_F(RechnungWindowTest, OpenAsksTheApplicationAfterStoringPendingEdits)
{
    QSignalSpy open(window.get(), &RechnungWindow::openDatabaseRequested);
    auto* street = find<QLineEdit>("Text10");
    typeText(street, QStringLiteral("Weg 1"));
    find<QAction>("mnuOeffnen")->trigger();
    EXPECT_EQ(open.count(), 1);
    EXPECT_EQ(db.field(QStringLiteral("Rechnungen"), sample.doc4, QStringLiteral("a4")).toString(),
              QStringLiteral("Weg 1"));
    EXPECT_FALSE(docs().isDirty());
}

TEST_F(RechnungWindowTest, RebindReadsEverySourceAgain)
{
    const qint64 added = db.addDocument(QStringLiteral("3000"), QStringLiteral("05.03.2024"));
    db.addCustomer(QStringLiteral("Neukunde"));
    window->rebind();
    settle();
    EXPECT_EQ(docs().recordCount(), 5);
    EXPECT_EQ(docs().currentId(), added);
    EXPECT_EQ(caption("Label25"), QStringLiteral("5 Kunden"));
    EXPECT_EQ(lineRows(), 0);
}

TEST_F(RechnungWindowTest, MenusAsDesigned)
{
    const QList<QAction*> top = window->menuBar()->actions();
    QStringList titles;
    for (QAction* a : top)
        titles << a->text();
    EXPECT_EQ(titles, (QStringList{QStringLiteral("&Datei"), QStringLiteral("&Bearbeiten"), QStringLiteral("Rechnung"),
                                   QStringLiteral("Lieferschein"), QStringLiteral("&Einstellungen"),
                                   QStringLiteral("&Hilfe")}));

    enum State { Enabled, Later, Never };
    const struct {
        const char* name;
        const char* caption;
        State state;
    } items[] = {
        {"mnuOeffnen", "öffnen", Enabled},
        {"mnuDatensicherung", "Daten&sicherung", Later},
        {"mnuRechnungenLoeschen", "alle Rechnungen vor dieser löschen", Never},
        {"mnuDatenkorrektur", "Datenkorrektur", Enabled},
        {"mnuBeenden", "&Beenden", Enabled},
        {"mnuUmsatz", "Umsatz", Enabled},
        {"mnuOffenePosten", "offene Posten", Never},
        {"mnuUnbezahlte", "unbezahlte Rechnungen anzeigen", Never},
        {"mnuZahlungserinnerung", "Zahlungserinnerung drucken", Never},
        {"mnuMahnung", "Mahnung drucken", Never},
        {"mnuRechnungDrucken", "Rechnung drucken", Enabled},
        {"mnuRechnungEmail", "Rechnung als E-Mail generieren", Enabled},
        {"mnuRechnungHtml", "Rechnung in HTML ausgeben", Never},
        {"mnuLieferscheinDrucken", "Lieferschein drucken", Enabled},
        {"mnuStammdaten", "&Stammdaten", Enabled},
        {"mnuDrucker", "&Drucker", Enabled},
        {"mnuHintergrundfarbe", "Hintergrundfarbe", Later},
        {"mnuAnleitung", "Anleitung im PDF-Format", Later},
        {"mnuInfo", "info ...", Later},
    };
    int designedUnavailable = 0;
    for (const auto& item : items) {
        auto* action = find<QAction>(item.name);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QString::fromUtf8(item.caption)) << item.name;
        EXPECT_EQ(action->isEnabled(), item.state == Enabled) << item.name;
        EXPECT_EQ(action->property(kDesignedUnavailable).toBool(), item.state == Never) << item.name;
        designedUnavailable += item.state == Never;
    }
    EXPECT_EQ(designedUnavailable, 6);

    // The three sub-items hang under "offene Posten" in "&Bearbeiten".
    auto* offen = find<QMenu>("mnuOffenePosten");
    ASSERT_EQ(offen->actions().size(), 3);
    EXPECT_EQ(offen->actions().at(0)->text(), QStringLiteral("unbezahlte Rechnungen anzeigen"));
    EXPECT_EQ(find<QMenu>("mnuBearbeiten")->actions().at(1), offen->menuAction());
}

TEST_F(RechnungWindowTest, ControlsAreEnabledWhereTheirWorkIsWired)
{
    // The backup button is wired by the application, which closes the
    // database around the backup window; the window alone leaves it off.
    EXPECT_FALSE(find<QToolButton>("Command22")->isEnabled());
    for (const char* name : {"Command4", "Command5", "Command11", "Command8", "Command18", "Command21"})
        EXPECT_TRUE(find<QToolButton>(name)->isEnabled()) << name;
    for (const char* name : {"Command3", "Command17", "Command29", "Command2"})
        EXPECT_TRUE(find<QPushButton>(name)->isEnabled()) << name;
    for (const char* name : {"Command7", "Command9", "Command15",
                             "Command12", "Command13", "Command23", "Command24", "Command25", "Command27",
                             "Command28", "Command14", "Command16", "Command6", "Command19", "Command20"})
        EXPECT_TRUE(find<QPushButton>(name)->isEnabled()) << name;
    EXPECT_EQ(find<QPushButton>("Command3")->text(), QStringLiteral("Artikel in Rechnung &übernehmen"));
    EXPECT_EQ(find<QPushButton>("Command17")->text(), QStringLiteral("Leerzeile /Textzeile"));
    EXPECT_EQ(find<QPushButton>("Command2")->text(), QStringLiteral("In Rechnung ü&bernehmen"));
    EXPECT_FALSE(find<QPushButton>("Command29")->isVisibleTo(window.get()));
    EXPECT_EQ(find<QGroupBox>("Frame2")->title(), QStringLiteral("Artikelpreis - Schnelländerung"));
    EXPECT_EQ(find<QRadioButton>("SSOption1")->text(), QStringLiteral("nach Nummer suchen"));
    EXPECT_EQ(find<QRadioButton>("SSOption2")->text(), QStringLiteral("nach Namen suchen"));
    for (const char* name : {"Text12", "Text13", "Text15", "Text16"})
        EXPECT_TRUE(find<QLineEdit>(name)->isEnabled()) << name;
    // The number is given by printing, never typed.
    EXPECT_TRUE(find<QLineEdit>("Text2")->isReadOnly());
}

// Pressing Command8 now prints and opens the print dialog; the test needs a
// printer seam before it can press it again.
TEST_F(RechnungWindowTest, HoverCaptionNamesTheButtonUnderTheMouse)
{
    auto* label = find<QLabel>("Bezeichnung12");
    auto* shape = find<QFrame>("HoverShape");
    EXPECT_FALSE(label->isVisible());

    auto* print = find<QToolButton>("Command8");
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(print, &enter);
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->text(), QStringLiteral(" Rechnung drucken "));
    EXPECT_EQ(label->x(), print->x());
    EXPECT_TRUE(shape->isVisible());
    EXPECT_EQ(shape->x(), print->x() - 8);

    QCoreApplication::sendEvent(find<QToolButton>("Command5"), &enter);
    EXPECT_EQ(label->text(), QStringLiteral(" Die Rechnung Nr. 1003 löschen "));
    QCoreApplication::sendEvent(find<QFrame>("Data3Navigation"), &enter);
    EXPECT_EQ(label->text(), QStringLiteral(" Rechnung durchblättern "));
    QCoreApplication::sendEvent(find<QToolButton>("Command11"), &enter);
    EXPECT_EQ(label->text(), QStringLiteral(" Übersicht aller Angebote und Rechnungen "));
    QCoreApplication::sendEvent(find<QToolButton>("Command4"), &enter);
    EXPECT_EQ(label->text(), QStringLiteral(" neue Rechnung anlegen "));
    QCoreApplication::sendEvent(find<QToolButton>("Command22"), &enter);
    EXPECT_EQ(label->text(), QStringLiteral(" Datensicherung "));

    // Moving over the bare window background hides both.
    QTest::mouseMove(window->centralWidget(), QPoint(700, 20));
    QMouseEvent move(QEvent::MouseMove, QPointF(700, 20), QPointF(700, 20), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window->centralWidget(), &move);
    EXPECT_FALSE(label->isVisible());
    EXPECT_FALSE(shape->isVisible());

    QCoreApplication::sendEvent(find<QToolButton>("Command18"), &enter);
    EXPECT_EQ(label->text(), QStringLiteral(" Rechnung als E-Mail erstellen "));
    QCoreApplication::sendEvent(label, &enter);
    EXPECT_FALSE(label->isVisible());
    QCoreApplication::sendEvent(find<QToolButton>("Command21"), &enter);
    EXPECT_EQ(label->text(), QStringLiteral(" Umsatz anzeigen "));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(find<QToolButton>("Command21"), &leave);
    EXPECT_FALSE(label->isVisible());

    // A button inside the document panel: the caption hangs below it all the same.
    auto* blank = find<QPushButton>("Command17");
    QCoreApplication::sendEvent(blank, &enter);
    EXPECT_EQ(label->text(), QStringLiteral(" Rechnung als HTML erstellen "));
    const QPoint at = blank->mapTo(window->centralWidget(), QPoint(0, 0));
    EXPECT_EQ(label->pos(), QPoint(at.x(), at.y() + blank->height() + 2));
    EXPECT_EQ(shape->x(), at.x() - 8);
    // Lying over that button, the shape only outlines it: the button's own
    // pixels stay as they are (no greyed caption).
    {
        const QRect inside(blank->mapTo(window->centralWidget(), QPoint(0, 0)) + QPoint(4, 4), QSize(20, 10));
        const QImage withShape = window->centralWidget()->grab(inside).toImage();
        shape->hide();
        const QImage without = window->centralWidget()->grab(inside).toImage();
        shape->show();
        EXPECT_EQ(withShape, without);
    }

    // The picture presses the print button: the print dialog comes up, and
    // the user cancels it here.
    auto printers = std::make_unique<quittora::testing::FakePrinters>();
    printers->installed = {QStringLiteral("Laser")};
    printers->defaultPrinter = QStringLiteral("Laser");
    quittora::testing::FakePrinters* jobs = printers.get();
    window->output().setPrinters(std::move(printers));
    int dialogs = 0;
    window->output().setPrintDialog([&dialogs](ProgramState&) {
        ++dialogs;
        return false;
    });
    QSignalSpy printed(print, &QToolButton::clicked);
    QTest::mouseClick(find<QLabel>("Picture1"), Qt::LeftButton);
    EXPECT_EQ(printed.count(), 1);
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(jobs->jobs.empty());
}

TEST_F(RechnungWindowTest, TabChangeShowsThePriceFrameOnlyWithArticlesAndStoresNewRecords)
{
    QTabWidget* tabs = find<QTabWidget>("SSTab1");
    QGroupBox* frame2 = find<QGroupBox>("Frame2");
    EXPECT_FALSE(frame2->isVisible());
    tabs->setCurrentIndex(2);
    EXPECT_TRUE(frame2->isVisible());
    tabs->setCurrentIndex(1);
    EXPECT_FALSE(frame2->isVisible());

    // A new customer started on the customer tab is stored by the tab change.
    customers().addNew();
    customers().setValue(QStringLiteral("a2"), QStringLiteral("Neumann"));
    t.state.neuer_Datensatz = 1;
    tabs->setCurrentIndex(0);
    EXPECT_EQ(db.count(QStringLiteral("Kunden"), QStringLiteral("a2 = ?"), {QStringLiteral("Neumann")}), 1);
    EXPECT_EQ(t.state.neuer_Datensatz, 1); // the part that started it clears the flag

    // Without the flag a pending edit waits for its move.
    window->sources().articles().setValue(QStringLiteral("a3"), QStringLiteral("Geändert"));
    t.state.neuer_Datensatz = 0;
    tabs->setCurrentIndex(2);
    EXPECT_EQ(db.count(QStringLiteral("Artikel"), QStringLiteral("a3 = ?"), {QStringLiteral("Geändert")}), 0);
    EXPECT_TRUE(find<QLineEdit>("Text22")->text().isEmpty());
}

TEST_F(RechnungWindowTest, ArticleSortOptionFollowsTheSetting)
{
    EXPECT_TRUE(find<QRadioButton>("Option4")->isChecked());
    EXPECT_EQ(window->sources().articles().recordSource(), QStringLiteral("Select * from Artikel Order by a3;"));

    find<QRadioButton>("Option3")->click();
    EXPECT_EQ(window->sources().articles().recordSource(), QStringLiteral("Select * from Artikel Order by a2;"));
    EXPECT_EQ(t.settings.value(QStringLiteral("Sortierung nach Artikelnummer")), QStringLiteral("Wahr"));
    const auto* model = find<QTableView>("DBGrid1")->model();
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("100"));

    t.settings.setValue(QStringLiteral("Sortierung nach Artikelnummer"), QStringLiteral("Falsch"));
    window->rebind();
    EXPECT_TRUE(find<QRadioButton>("Option4")->isChecked());
    EXPECT_EQ(model->index(0, 1).data().toString(), QStringLiteral("Anfahrt"));
}

// The main window scales with its size through the proportional scaler.
class RechnungScalingTest : public RechnungWindowTest {
protected:
    QList<QWidget*> controls() const
    {
        QList<QWidget*> out;
        const auto all = window->centralWidget()->findChildren<QWidget*>();
        for (QWidget* w : all) {
            if (window->scaler().designGeometry(w))
                out << w;
        }
        return out;
    }
    QSize surface() const { return window->centralWidget()->size(); }
    void resizeSurface(QSize s)
    {
        const QSize extra = window->size() - surface();
        window->resize(s + extra);
        ASSERT_TRUE(QTest::qWaitFor([&] { return surface() == s; }, 2000));
    }
};

TEST_F(RechnungScalingTest, TwoHundredPercentAndBackRestoresEveryDesignRectangle)
{
    const QSize design = window->scaler().designSize();
    ASSERT_EQ(design, RechnungWindow::kDesignSize);
    const QList<QWidget*> all = controls();
    ASSERT_GT(all.size(), 100);

    resizeSurface(design * 2);
    for (QWidget* w : all)
        EXPECT_EQ(w->geometry(), scaling::scaleRect(*window->scaler().designGeometry(w), {200, 200}))
            << w->objectName().toStdString();
    // The grid columns spread with DBGrid1.
    EXPECT_EQ(find<QTableView>("DBGrid1")->columnWidth(0), 126);
    EXPECT_EQ(find<QTableView>("DBGrid5")->columnWidth(3), 483);

    resizeSurface(design);
    for (QWidget* w : all)
        EXPECT_EQ(w->geometry(), *window->scaler().designGeometry(w)) << w->objectName().toStdString();
    EXPECT_EQ(find<QTableView>("DBGrid1")->columnWidth(0), 63);
    EXPECT_EQ(find<QFrame>("Frame1")->pos(), QPoint(552, 72));
    EXPECT_EQ(find<QGroupBox>("Frame2")->x(), 0);
}

TEST_F(RechnungScalingTest, AmountsAndEveryColumnFitTheGridsAtTheDesignSize)
{
    resizeSurface(window->scaler().designSize());
    QTest::mouseClick(find<QWidget>("Command11"), Qt::LeftButton); // DBGrid4 lies on the list panel
    ASSERT_TRUE(find<QWidget>("Frame1")->isVisible());
    for (const char* name : {"DBGrid1", "DBGrid4", "DBGrid5"}) {
        auto* grid = find<QTableView>(name);
        const QFontMetrics fm = grid->fontMetrics();
        int sum = 0;
        int lastWidth = 0;
        for (int c = 0; c < grid->model()->columnCount(); ++c) {
            if (grid->isColumnHidden(c))
                continue;
            sum += grid->columnWidth(c);
            lastWidth = grid->columnWidth(c);
            const QString heading = grid->model()->headerData(c, Qt::Horizontal).toString();
            if (heading == QStringLiteral("Preis") || heading.endsWith(QStringLiteral("-Preis"))
                || heading == QStringLiteral("Betrag")) {
                EXPECT_GE(grid->columnWidth(c), fm.horizontalAdvance(QStringLiteral("12345.67")) + 6)
                    << name << " " << heading.toStdString();
            }
        }
        // No running numbers in the row heads: they took the amounts' room.
        EXPECT_EQ(grid->model()->headerData(0, Qt::Vertical).toString(), QString()) << name;
        EXPECT_LE(grid->verticalHeader()->width(), 16) << name;
        const int room = grid->width() - 2 * grid->frameWidth() - grid->verticalHeader()->width()
            - grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        // The last column stretches into spare room; what counts is that it
        // keeps room for an amount when a vertical scroll bar takes its share.
        const int needed = sum - lastWidth + fm.horizontalAdvance(QStringLiteral("12345.67")) + 6;
        EXPECT_LE(needed, room) << name << ": the last column is cut off";
    }
}

TEST_F(RechnungScalingTest, LastColumnOfEachGridTakesTheSpareWidthSoFourDigitAmountsAreReadable)
{
    for (const char* name : {"DBGrid1", "DBGrid3", "DBGrid4", "DBGrid5"}) {
        auto* grid = find<QTableView>(name);
        const int last = grid->model()->columnCount() - 1;
        const QString amount = QStringLiteral("10000,00");
        EXPECT_GE(grid->columnWidth(last), grid->fontMetrics().horizontalAdvance(amount) + 8) << name;
        // The columns end at the grid's right edge, not before it.
        const int used = grid->horizontalHeader()->length();
        EXPECT_GE(used, grid->viewport()->width() - 1) << name;
    }
}

TEST_F(RechnungScalingTest, AResizeWhileScalingIsIgnored)
{
    const QSize design = window->scaler().designSize();
    auto* probe = find<QLineEdit>("Text12");
    struct Nested : QObject {
        QWidget* window;
        bool done = false;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (!done && (e->type() == QEvent::Move || e->type() == QEvent::Resize)) {
                done = true;
                window->resize(window->size() - QSize(300, 200));
            }
            return false;
        }
    } nested;
    nested.window = window.get();
    probe->installEventFilter(&nested);
    window->resize(window->size() + design);
    probe->removeEventFilter(&nested);
    ASSERT_TRUE(nested.done);
    // The inner resize found the scaler busy: the controls stand where the
    // outer pass put them.
    EXPECT_EQ(probe->geometry(), scaling::scaleRect(*window->scaler().designGeometry(probe), {200, 200}));
}

TEST_F(RechnungScalingTest, AWindowParkedOffScreenIsLeftAlone)
{
    auto* grid = find<QTableView>("DBGrid5");
    const QRect before = grid->geometry();
    window->move(0, 5000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->y() >= 2000; }, 2000));
    window->resize(window->size() + QSize(400, 300));
    QTest::qWait(20);
    EXPECT_EQ(grid->geometry(), before);
}

} // namespace
