// The main window as a whole: loading, paging, the document list, settings
// read at activation, window state, menus, hover captions and scaling.

#include "support/MainWindowFixture.h"
#include "support/Typing.h"
#include "tools/widgets/ProportionalScaler.h"
#include "workspace/widgets/RechnungMenus.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTableView>
#include <QToolButton>

using namespace quittora;

namespace {

using MainWindow = test::MainWindowTest;

QStringList items(const QComboBox* c)
{
    QStringList l;
    for (int i = 0; i < c->count(); ++i)
        l << c->itemText(i);
    return l;
}

TEST_F(MainWindow, LoadShowsTheLastDocumentAndPagingCarriesLinesAndCustomer)
{
    EXPECT_EQ(docs().currentId(), sample.doc4);
    EXPECT_EQ(edit("Text2")->text(), QStringLiteral("1003"));
    EXPECT_EQ(find<QLabel>("Text3")->text(), QStringLiteral("04.03.2024"));
    EXPECT_EQ(find<QTableView>("DBGrid5")->model()->rowCount(), 1);
    EXPECT_EQ(find<QLabel>("Label24")->text(), QStringLiteral("4 Artikel"));
    EXPECT_EQ(find<QLabel>("Label25")->text(), QStringLiteral("4 Kunden"));
    EXPECT_EQ(find<QLabel>("Label13")->text(), db.setting(QStringLiteral("Titel")).toString());
    EXPECT_EQ(edit("Text32")->text(), db.setting(QStringLiteral("Rechnungsnummer")).toString());
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
    for (const char* g : {"DBGrid1", "DBGrid2", "DBGrid3", "DBGrid4", "DBGrid5"})
        testers.push_back(std::make_unique<QAbstractItemModelTester>(
            find<QTableView>(g)->model(), QAbstractItemModelTester::FailureReportingMode::Fatal));

    customers().refresh(); // the last document's customer is gone; follow again
    const struct {
        const char* button;
        const char* name;
        const char* kind;
        bool paid;
        int lines;
        const char* customer;
    } pages[] = {{"Data3First", "Hans Müller", "Rechnung", false, 2, "Müller"},
                 {"Data3Next", "Eva Schmidt", "Rechnung", true, 1, "Schmidt"},
                 {"Data3Next", "Firma Abele", "Angebot", false, 3, "Abele"},
                 {"Data3Last", "Otto Weg", "Rechnung", false, 1, "Abele"},
                 {"Data3Next", "Otto Weg", "Rechnung", false, 1, "Abele"},
                 // The customer was not found: the tab stays until the list is read again.
                 {"Data3First", "Hans Müller", "Rechnung", false, 2, "Abele"}};
    for (const auto& p : pages) {
        click(p.button);
        settle();
        SCOPED_TRACE(p.name);
        EXPECT_EQ(edit("Text8")->text(), QString::fromUtf8(p.name));
        EXPECT_EQ(find<QComboBox>("Combo3")->currentText(), QString::fromUtf8(p.kind));
        EXPECT_EQ(find<QCheckBox>("Check1")->isChecked(), p.paid);
        EXPECT_EQ(find<QTableView>("DBGrid5")->model()->rowCount(), p.lines);
        EXPECT_EQ(edit("Text18")->text(), QString::fromUtf8(p.customer));
    }
    EXPECT_EQ(find<QTableView>("DBGrid2")->currentIndex().row(), customers().position());

    const qint64 added = db.addDocument(QStringLiteral("3000"), QStringLiteral("05.03.2024"));
    db.addCustomer(QStringLiteral("Neukunde"));
    reread();
    EXPECT_EQ(docs().currentId(), added);
    EXPECT_EQ(find<QLabel>("Label25")->text(), QStringLiteral("5 Kunden"));
    EXPECT_EQ(find<QTableView>("DBGrid5")->model()->rowCount(), 0);
}

TEST_F(MainWindow, DocumentListSearchesByNumberAndNameAndStopsAfterAFailure)
{
    activate();
    QFrame* list = find<QFrame>("Frame1");
    QLineEdit* box = edit("Text33");
    click("Command11");
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), box);
    QTest::keyClicks(box, QStringLiteral("10"));
    EXPECT_EQ(docs().currentId(), sample.doc1);
    EXPECT_EQ(edit("Text8")->text(), QStringLiteral("Hans Müller"));
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(docs().currentId(), sample.doc4);
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(docs().currentId(), sample.doc3);
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Down); // stays on the last
    EXPECT_EQ(docs().currentId(), sample.doc4);
    EXPECT_EQ(find<QTableView>("DBGrid4")->currentIndex().row(), 3);

    click("SSOption2");
    EXPECT_TRUE(box->text().isEmpty()); // choosing the mode starts afresh
    typeText(box, QStringLiteral("müller"));
    EXPECT_EQ(docs().currentId(), sample.doc1);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(edit("Text9")->text(), QStringLiteral("z. Hd. Frau Müller"));

    click("SSOption1");
    QTest::keyClicks(box, QStringLiteral("9")); // nothing: back to the first, and no more searching
    box->clear();
    QTest::keyClicks(box, QStringLiteral("1002"));
    EXPECT_EQ(docs().currentId(), sample.doc1);
    // Image1 shows all documents again (a reload) and closes the list.
    QTest::mouseClick(find<QLabel>("Image1"), Qt::LeftButton);
    EXPECT_FALSE(list->isVisible());
    click("Command11");
    box->clear();
    QTest::keyClicks(box, QStringLiteral("1002"));
    EXPECT_EQ(docs().currentId(), sample.doc2);

    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_FALSE(list->isVisible());
    click("Command11");
    click("Command11");
    EXPECT_FALSE(list->isVisible());
    click("Command11");
    click("Command10");
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), edit("Text22"));
}

TEST_F(MainWindow, SettingsAreReadAgainAtActivationAndTheWindowStateIsKept)
{
    QComboBox* line = find<QComboBox>("Combo5");
    QComboBox* article = find<QComboBox>("Combo4");
    const QStringList before{QStringLiteral("19"), QStringLiteral("7"), QStringLiteral("0")};
    EXPECT_EQ(items(article), before);
    ASSERT_TRUE(db.exec(QStringLiteral("UPDATE Einstellungen SET MWSt = '16', frei9 = '5', Titel = 'Neu GmbH'")));
    EXPECT_EQ(items(line), before);
    t.settings.setValue(QStringLiteral("Fenster"), QStringLiteral("2"));
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window.get(), &activate);
    const QStringList after{QStringLiteral("16"), QStringLiteral("5"), QStringLiteral("0")};
    EXPECT_EQ(items(line), after);
    EXPECT_EQ(items(article), after);
    EXPECT_EQ(find<QLabel>("Label13")->text(), QStringLiteral("Neu GmbH"));
    // The article keeps its own rate; nothing was written.
    EXPECT_EQ(article->currentText(), articles().text(QStringLiteral("a19")));
    EXPECT_FALSE(articles().isDirty());
    EXPECT_TRUE(window->isMaximized());

    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(window.get(), &deactivate);
    EXPECT_EQ(t.settings.value(QStringLiteral("Fenster")), QStringLiteral("2"));
    window->showNormal();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isMaximized(); }));
    window->close();
    EXPECT_EQ(t.settings.value(QStringLiteral("Fenster")), QStringLiteral("0"));
    window->showMaximized();
    window->activate();
    EXPECT_FALSE(window->isMaximized());
}

TEST_F(MainWindow, ScreenNarrowerThan800PixelsEndsTheProgramAndAWiderOneCentresTheWindow)
{
    RechnungWindow narrow(t.ctx, db.db());
    EXPECT_FALSE(narrow.prepare({QSize(799, 600), QRect(0, 0, 799, 600)}));
    ASSERT_EQ(t.prompts.count(), 1);
    EXPECT_EQ(lastTitle(), QStringLiteral("Achtung"));
    EXPECT_EQ(lastText(), QStringLiteral("Auflösung 600 x 800 für dieses Programm erforderlich"));
    EXPECT_EQ(t.prompts.last().icon, Prompts::Icon::Critical);

    RechnungWindow small(t.ctx, db.db());
    EXPECT_TRUE(small.prepare({QSize(800, 600), QRect(0, 0, 800, 600)}));
    EXPECT_LE(small.width(), 800);
    EXPECT_GE(small.x(), 0);
    RechnungWindow large(t.ctx, db.db());
    ASSERT_TRUE(large.prepare({QSize(1920, 1080), QRect(0, 0, 1920, 1080)}));
    EXPECT_EQ(large.width(), RechnungWindow::kDesignSize.width());
    EXPECT_EQ(large.x(), (1920 - large.width() - 16) / 2);
    EXPECT_EQ(t.prompts.count(), 1);
}

TEST_F(MainWindow, ClosingStoresWhatWasTypedAndEndsTheProgramUnlessTheBackupClosedIt)
{
    QSignalSpy end(window.get(), &RechnungWindow::programEndRequested);
    QSignalSpy open(window.get(), &RechnungWindow::openDatabaseRequested);
    typeText(edit("Text10"), QStringLiteral("Weg 1"));
    find<QAction>("mnuOeffnen")->trigger();
    EXPECT_EQ(open.count(), 1);
    EXPECT_EQ(stored(sample.doc4, "a4"), QStringLiteral("Weg 1"));
    EXPECT_FALSE(docs().isDirty());

    t.state.backupFlag = 1;
    edit("Text8")->selectAll();
    typeText(edit("Text8"), QStringLiteral("Otto Weg-Neu"));
    window->close();
    EXPECT_EQ(end.count(), 0);
    EXPECT_EQ(stored(sample.doc4, "a2"), QStringLiteral("Otto Weg-Neu"));
    window->show();
    t.state.backupFlag = 0;
    find<QAction>("mnuBeenden")->trigger();
    EXPECT_EQ(end.count(), 1);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindow, MenuItemsWhoseWorkIsMissingOrComesLaterAreOff)
{
    const QStringList never{QStringLiteral("mnuRechnungenLoeschen"), QStringLiteral("mnuOffenePosten"),
                            QStringLiteral("mnuUnbezahlte"),         QStringLiteral("mnuZahlungserinnerung"),
                            QStringLiteral("mnuMahnung"),            QStringLiteral("mnuRechnungHtml")};
    // Wired by the application, which closes the database around them.
    const QStringList later{QStringLiteral("mnuDatensicherung"), QStringLiteral("mnuHintergrundfarbe"),
                            QStringLiteral("mnuAnleitung"), QStringLiteral("mnuInfo")};
    int named = 0;
    for (QAction* a : window->findChildren<QAction*>()) {
        const QString name = a->objectName();
        if (!name.startsWith(QStringLiteral("mnu")) || a->menu())
            continue;
        ++named;
        EXPECT_EQ(a->isEnabled(), !never.contains(name) && !later.contains(name)) << name.toStdString();
        EXPECT_EQ(a->property(kDesignedUnavailable).toBool(), never.contains(name)) << name.toStdString();
    }
    EXPECT_GE(named, 18);
    EXPECT_FALSE(find<QToolButton>("Command22")->isEnabled());
    auto* offen = find<QMenu>("mnuOffenePosten");
    ASSERT_EQ(offen->actions().size(), 3);
    EXPECT_EQ(find<QMenu>("mnuBearbeiten")->actions().at(1), offen->menuAction());
}

TEST_F(MainWindow, HoverCaptionNamesTheControlUnderTheMouse)
{
    auto* label = find<QLabel>("Bezeichnung12");
    auto* shape = find<QFrame>("HoverShape");
    EXPECT_FALSE(label->isVisible());
    const struct {
        const char* control;
        const char* caption;
    } captions[] = {
        {"Command8", " Rechnung drucken "},
        {"Command5", " Die Rechnung Nr. 1003 löschen "},
        {"Data3Navigation", " Rechnung durchblättern "},
        {"Command11", " Übersicht aller Angebote und Rechnungen "},
        {"Command4", " neue Rechnung anlegen "},
        {"Command22", " Datensicherung "},
        {"Command18", " Rechnung als E-Mail erstellen "},
        {"Command21", " Umsatz anzeigen "},
        {"Command17", " Rechnung als HTML erstellen "},
    };
    QEvent enter(QEvent::Enter);
    for (const auto& c : captions) {
        QWidget* w = find<QWidget>(c.control);
        QCoreApplication::sendEvent(w, &enter);
        EXPECT_TRUE(label->isVisible()) << c.control;
        EXPECT_EQ(label->text(), QString::fromUtf8(c.caption));
        // The caption hangs below the control, also inside the document panel.
        const QPoint at = w->mapTo(window->centralWidget(), QPoint(0, 0));
        EXPECT_EQ(label->x(), at.x()) << c.control;
        EXPECT_EQ(shape->x(), at.x() - 8) << c.control;
    }
    // Lying over a button, the shape only outlines it: no greyed caption.
    auto* blank = find<QPushButton>("Command17");
    const QRect inside(blank->mapTo(window->centralWidget(), QPoint(4, 4)), QSize(20, 10));
    const QImage withShape = window->centralWidget()->grab(inside).toImage();
    shape->hide();
    EXPECT_EQ(window->centralWidget()->grab(inside).toImage(), withShape);
    shape->show();

    QCoreApplication::sendEvent(label, &enter);
    EXPECT_FALSE(label->isVisible());
    QCoreApplication::sendEvent(find<QWidget>("Command21"), &enter);
    QMouseEvent move(QEvent::MouseMove, QPointF(700, 20), QPointF(700, 20), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window->centralWidget(), &move);
    EXPECT_FALSE(label->isVisible());
    EXPECT_FALSE(shape->isVisible());

    // The picture presses the print button.
    printDialogAnswer = false;
    QTest::mouseClick(find<QLabel>("Picture1"), Qt::LeftButton);
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(printers->jobs.empty());
}

TEST_F(MainWindow, TabChangeShowsThePriceFrameWithArticlesAndStoresANewRecord)
{
    QGroupBox* frame2 = find<QGroupBox>("Frame2");
    EXPECT_FALSE(frame2->isVisible());
    setTab(2);
    EXPECT_TRUE(frame2->isVisible());
    setTab(1);
    EXPECT_FALSE(frame2->isVisible());

    customers().addNew();
    customers().setValue(QStringLiteral("a2"), QStringLiteral("Neumann"));
    t.state.neuer_Datensatz = 1;
    setTab(0);
    EXPECT_EQ(db.count(QStringLiteral("Kunden"), QStringLiteral("a2 = ?"), {QStringLiteral("Neumann")}), 1);
    // Without the flag a pending edit waits for its move.
    articles().setValue(QStringLiteral("a3"), QStringLiteral("Geändert"));
    t.state.neuer_Datensatz = 0;
    setTab(2);
    EXPECT_EQ(db.count(QStringLiteral("Artikel"), QStringLiteral("a3 = ?"), {QStringLiteral("Geändert")}), 0);

    // The article sort follows the option and the stored setting.
    EXPECT_TRUE(find<QRadioButton>("Option4")->isChecked());
    find<QRadioButton>("Option3")->click();
    EXPECT_EQ(t.settings.value(QStringLiteral("Sortierung nach Artikelnummer")), QStringLiteral("Wahr"));
    const auto* model = find<QTableView>("DBGrid1")->model();
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("100"));
    t.settings.setValue(QStringLiteral("Sortierung nach Artikelnummer"), QStringLiteral("Falsch"));
    reread();
    EXPECT_TRUE(find<QRadioButton>("Option4")->isChecked());
    EXPECT_EQ(model->index(0, 1).data().toString(), QStringLiteral("Anfahrt"));
}

// The window scales with its size; the grids keep room for their amounts.
class MainWindowScaling : public test::MainWindowTest {
protected:
    QSize surface() const { return window->centralWidget()->size(); }
    void resizeSurface(QSize s)
    {
        window->resize(s + window->size() - surface());
        ASSERT_TRUE(QTest::qWaitFor([&] { return surface() == s; }, 2000));
    }
};

TEST_F(MainWindowScaling, TwoHundredPercentAndBackRestoresEveryDesignRectangle)
{
    const QSize design = window->scaler().designSize();
    QList<QWidget*> all;
    for (QWidget* w : window->centralWidget()->findChildren<QWidget*>())
        if (window->scaler().designGeometry(w))
            all << w;
    ASSERT_GT(all.size(), 100);
    for (int percent : {200, 100}) {
        resizeSurface(design * percent / 100);
        for (QWidget* w : all)
            EXPECT_EQ(w->geometry(), scaling::scaleRect(*window->scaler().designGeometry(w), {percent, percent}))
                << w->objectName().toStdString();
        EXPECT_EQ(find<QTableView>("DBGrid1")->columnWidth(0), 63 * percent / 100);
    }
    EXPECT_EQ(find<QFrame>("Frame1")->pos(), QPoint(552, 72));
}

TEST_F(MainWindowScaling, AmountsFitEveryGridAndTheLastColumnReachesTheEdge)
{
    resizeSurface(window->scaler().designSize());
    click("Command11"); // DBGrid4 lies on the list panel
    for (const char* name : {"DBGrid1", "DBGrid3", "DBGrid4", "DBGrid5"}) {
        auto* grid = find<QTableView>(name);
        const int amount = grid->fontMetrics().horizontalAdvance(QStringLiteral("12345.67")) + 6;
        int sum = 0;
        int last = 0;
        for (int c = 0; c < grid->model()->columnCount(); ++c) {
            if (grid->isColumnHidden(c))
                continue;
            sum += last = grid->columnWidth(c);
            const QString heading = grid->model()->headerData(c, Qt::Horizontal).toString();
            if (heading == QStringLiteral("Preis") || heading.endsWith(QStringLiteral("-Preis"))
                || heading == QStringLiteral("Betrag"))
                EXPECT_GE(grid->columnWidth(c), amount) << name << " " << heading.toStdString();
        }
        EXPECT_GE(last, amount) << name;
        EXPECT_LE(grid->verticalHeader()->width(), 16) << name; // no running numbers in the row heads
        const int room = grid->width() - 2 * grid->frameWidth() - grid->verticalHeader()->width()
            - grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        // The last column keeps room for an amount when a vertical scroll bar takes its share.
        EXPECT_LE(sum - last + amount, room) << name << ": the last column is cut off";
        EXPECT_GE(grid->horizontalHeader()->length(), grid->viewport()->width() - 1) << name;
    }
}

TEST_F(MainWindowScaling, AResizeWhileScalingAndAWindowParkedOffScreenAreIgnored)
{
    auto* probe = edit("Text12");
    struct Nested : QObject {
        QWidget* window = nullptr;
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
    window->resize(window->size() + window->scaler().designSize());
    probe->removeEventFilter(&nested);
    ASSERT_TRUE(nested.done);
    EXPECT_EQ(probe->geometry(), scaling::scaleRect(*window->scaler().designGeometry(probe), {200, 200}));

    const QRect before = probe->geometry();
    window->move(0, 5000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->y() >= 2000; }, 2000));
    window->resize(window->size() + QSize(400, 300));
    QTest::qWait(20);
    EXPECT_EQ(probe->geometry(), before);
}

} // namespace
