#include "tools/widgets/ProportionalScaler.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace quittora;
using quittora::scaling::Factors;
using quittora::scaling::scaleRect;

namespace {

const QSize kDesign(400, 300);

// A window laid out by hand the way the program's windows are: controls
// directly on the window, inside a group box, on tab pages, and one panel
// that arranges its content with a layout.
struct TestWindow {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    QPushButton* button = nullptr;
    QGroupBox* group = nullptr;
    QLineEdit* edit = nullptr;
    QTabWidget* tabs = nullptr;
    QLabel* pageLabel = nullptr;
    QLabel* hiddenPageLabel = nullptr;
    QFrame* panel = nullptr;
    QPushButton* laidOut = nullptr;
    QSpinBox* spin = nullptr;

    TestWindow()
    {
        window->setObjectName(QStringLiteral("Testfenster"));
        button = new QPushButton(QStringLiteral("OK"), window.get());
        button->setGeometry(10, 20, 101, 31);
        group = new QGroupBox(QStringLiteral("Gruppe"), window.get());
        group->setGeometry(150, 10, 201, 151);
        edit = new QLineEdit(group);
        edit->setGeometry(9, 33, 121, 25);
        tabs = new QTabWidget(window.get());
        tabs->setGeometry(10, 170, 253, 121);
        auto* page1 = new QWidget;
        auto* page2 = new QWidget;
        tabs->addTab(page1, QStringLiteral(" Kunden"));
        tabs->addTab(page2, QStringLiteral(" Auswahl"));
        pageLabel = new QLabel(QStringLiteral("Name"), page1);
        pageLabel->setGeometry(5, 7, 63, 17);
        hiddenPageLabel = new QLabel(QStringLiteral("Artikel"), page2);
        hiddenPageLabel->setGeometry(11, 3, 57, 19);
        panel = new QFrame(window.get());
        panel->setGeometry(280, 180, 111, 101);
        auto* layout = new QVBoxLayout(panel);
        laidOut = new QPushButton(QStringLiteral("Im Layout"), panel);
        layout->addWidget(laidOut);
        spin = new QSpinBox(window.get());
        spin->setGeometry(120, 20, 25, 21);
        window->resize(kDesign);
    }

    QList<QWidget*> placed() const { return {button, group, edit, tabs, pageLabel, hiddenPageLabel, panel, spin}; }

    void show()
    {
        window->move(20, 20);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
};

void expectAllAt(const ProportionalScaler& scaler, const QList<QWidget*>& controls, Factors factors)
{
    for (QWidget* control : controls) {
        const auto design = scaler.designGeometry(control);
        ASSERT_TRUE(design.has_value()) << control->metaObject()->className();
        EXPECT_EQ(control->geometry(), scaleRect(*design, factors)) << control->metaObject()->className();
    }
}

} // namespace

TEST(ProportionalScaler, FirstShowRecordsTheDesignAndMovesNothing)
{
    TestWindow w;
    QList<QRect> before;
    for (QWidget* c : w.placed())
        before.append(c->geometry());
    ProportionalScaler scaler(w.window.get());
    EXPECT_FALSE(scaler.hasDesign());
    w.show();

    ASSERT_TRUE(scaler.hasDesign());
    EXPECT_EQ(scaler.designSize(), kDesign);
    EXPECT_EQ(scaler.factors(), (Factors{100, 100}));
    for (int i = 0; i < w.placed().size(); ++i) {
        EXPECT_EQ(w.placed()[i]->geometry(), before[i]);
        EXPECT_EQ(scaler.designGeometry(w.placed()[i]), before[i]);
    }
}

TEST(ProportionalScaler, AControlSizedOnlyByTheShowKeepsThatSizeAsItsDesign)
{
    TestWindow w;
    auto* natural = new QPushButton(QStringLiteral("Ohne Größe"), w.window.get());
    ProportionalScaler scaler(w.window.get());
    w.show();
    const QRect shown = natural->geometry();
    ASSERT_EQ(scaler.designGeometry(natural), shown);

    w.window->resize(800, 600);
    EXPECT_EQ(natural->geometry(), scaleRect(shown, {200, 200}));
    w.window->resize(kDesign);
    EXPECT_EQ(natural->geometry(), shown);
}

TEST(ProportionalScaler, TwoHundredPercentAndBackRestoresEveryDesignRectangleExactly)
{
    TestWindow w;
    ProportionalScaler scaler(w.window.get());
    w.show();
    QList<QRect> design;
    for (QWidget* c : w.placed())
        design.append(c->geometry());

    w.window->resize(800, 600);
    EXPECT_EQ(scaler.factors(), (Factors{200, 200}));
    EXPECT_EQ(w.button->geometry(), QRect(20, 40, 202, 62));
    EXPECT_EQ(w.edit->geometry(), QRect(18, 66, 242, 50)); // relative to its group box
    EXPECT_EQ(w.pageLabel->geometry(), QRect(10, 14, 126, 34));
    EXPECT_EQ(w.hiddenPageLabel->geometry(), QRect(22, 6, 114, 38)); // inactive page too
    expectAllAt(scaler, w.placed(), {200, 200});

    // Odd sizes on the way back must not leave rounding behind.
    for (QSize size : {QSize(537, 311), QSize(401, 299), QSize(123, 457)})
        w.window->resize(size);
    w.window->resize(kDesign);
    EXPECT_EQ(scaler.factors(), (Factors{100, 100}));
    for (int i = 0; i < w.placed().size(); ++i)
        EXPECT_EQ(w.placed()[i]->geometry(), design[i]);
}

TEST(ProportionalScaler, FactorsAreWholePercentPerAxis)
{
    auto window = std::make_unique<QWidget>();
    auto* button = new QPushButton(window.get());
    button->setGeometry(100, 100, 200, 40);
    window->resize(1000, 600);
    ProportionalScaler scaler(window.get());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    window->resize(1507, 600); // 150.7 % wide: 150 %
    EXPECT_EQ(scaler.factors(), (Factors{150, 100}));
    EXPECT_EQ(button->geometry(), QRect(150, 100, 300, 40));

    window->resize(1000, 451); // 75.16 % high: 75 %
    EXPECT_EQ(scaler.factors(), (Factors{100, 75}));
    EXPECT_EQ(button->geometry(), QRect(100, 75, 200, 30));
}

TEST(ProportionalScaler, LeavesLayoutsAndTheInsidesOfCompositeWidgetsAlone)
{
    TestWindow w;
    ProportionalScaler scaler(w.window.get());
    w.show();
    w.window->resize(800, 600);

    EXPECT_FALSE(scaler.designGeometry(w.laidOut).has_value());
    EXPECT_TRUE(w.panel->rect().contains(w.laidOut->geometry()));
    EXPECT_GT(w.laidOut->width(), 111); // the layout widened it with the grown panel
    EXPECT_FALSE(scaler.designGeometry(w.tabs->widget(0)).has_value()); // pages follow the tab widget
    for (QWidget* inside : w.tabs->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        EXPECT_FALSE(scaler.designGeometry(inside).has_value()) << inside->metaObject()->className();
    const auto spinInsides = w.spin->findChildren<QWidget*>();
    ASSERT_FALSE(spinInsides.isEmpty());
    for (QWidget* inside : spinInsides)
        EXPECT_FALSE(scaler.designGeometry(inside).has_value()) << inside->metaObject()->className();
}

namespace {

// A control whose own resize makes the window resize again, as a control that
// insists on a minimum window size would.
class PushyLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize pushTo;
    int pushes = 0;

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        if (pushTo.isValid()) {
            ++pushes;
            const QSize target = pushTo;
            pushTo = QSize();
            window()->resize(target);
        }
    }
};

} // namespace

TEST(ProportionalScaler, IgnoresAResizeRaisedWhileItScales)
{
    auto window = std::make_unique<QWidget>();
    auto* pushy = new PushyLabel(QStringLiteral("x"), window.get());
    pushy->setGeometry(10, 10, 50, 20);
    auto* after = new QLabel(QStringLiteral("y"), window.get());
    after->setGeometry(100, 50, 60, 20);
    window->resize(kDesign);
    ProportionalScaler scaler(window.get());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    pushy->pushTo = QSize(600, 450);
    window->resize(800, 600);

    EXPECT_EQ(pushy->pushes, 1);
    EXPECT_EQ(window->size(), QSize(600, 450));
    // The pass that was running finished with its own factors; the nested
    // resize did not start a second one.
    EXPECT_EQ(scaler.factors(), (Factors{200, 200}));
    EXPECT_EQ(pushy->geometry(), QRect(20, 20, 100, 40));
    EXPECT_EQ(after->geometry(), QRect(200, 100, 120, 40));

    window->resize(kDesign);
    EXPECT_EQ(pushy->geometry(), QRect(10, 10, 50, 20));
    EXPECT_EQ(after->geometry(), QRect(100, 50, 60, 20));
}

TEST(ProportionalScaler, LeavesAWindowParkedBelowTheScreensUntouched)
{
    TestWindow w;
    ProportionalScaler scaler(w.window.get());
    w.show();
    const QRect design = w.button->geometry();

    w.window->move(0, 30000);
    ASSERT_GE(w.window->frameGeometry().top(), scaling::kParkedTop);
    w.window->resize(800, 600);
    EXPECT_EQ(w.button->geometry(), design);
    EXPECT_EQ(scaler.factors(), (Factors{100, 100}));

    w.window->move(20, 20);
    w.window->resize(600, 450);
    EXPECT_EQ(w.button->geometry(), scaleRect(design, {150, 150}));
}

TEST(ProportionalScaler, ParkedBeforeTheFirstShowRecordsNothingUntilPlaced)
{
    TestWindow w;
    ProportionalScaler scaler(w.window.get());
    w.window->move(0, 30000);
    w.window->show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(scaler.hasDesign());

    w.window->move(20, 20);
    w.window->resize(kDesign.width() + 1, kDesign.height());
    QCoreApplication::processEvents();
    EXPECT_TRUE(scaler.hasDesign());
    EXPECT_EQ(scaler.designGeometry(w.button), QRect(10, 20, 101, 31));
}

TEST(ProportionalScaler, AMinimisedWindowKeepsItsControlsAndScalesAgainWhenRestored)
{
    TestWindow w;
    ProportionalScaler scaler(w.window.get());
    w.show();
    const QRect design = w.edit->geometry();

    w.window->setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(w.window->isMinimized());
    w.window->resize(800, 600);
    EXPECT_EQ(w.edit->geometry(), design);

    w.window->setWindowState(Qt::WindowNoState);
    w.window->resize(800, 601);
    EXPECT_EQ(w.edit->geometry(), scaleRect(design, {200, 200}));

    w.window->resize(0, 0);
    EXPECT_EQ(w.edit->geometry(), scaleRect(design, {200, 200})) << "a window without area squeezes nothing";
}

TEST(ProportionalScaler, TakesControlsAddedLaterInDesignCoordinates)
{
    TestWindow w;
    ProportionalScaler scaler(w.window.get());
    w.show();
    w.window->resize(800, 600);

    auto* late = new QPushButton(QStringLiteral("Neu"), w.window.get());
    late->setGeometry(10, 250, 51, 21);
    late->show();
    auto* lateInGroup = new QLineEdit(w.group);
    lateInGroup->setGeometry(9, 70, 121, 25);
    lateInGroup->show();
    auto* newPage = new QWidget;
    auto* lateOnPage = new QLabel(QStringLiteral("Seite 3"), newPage);
    lateOnPage->setGeometry(4, 4, 40, 16);
    w.tabs->addTab(newPage, QStringLiteral("Drei"));

    // Taken over on the next pass of the event loop, before any resize.
    QCoreApplication::processEvents();
    EXPECT_EQ(late->geometry(), QRect(20, 500, 102, 42));
    EXPECT_EQ(lateInGroup->geometry(), QRect(18, 140, 242, 50));
    EXPECT_EQ(lateOnPage->geometry(), QRect(8, 8, 80, 32));

    w.window->resize(kDesign);
    EXPECT_EQ(late->geometry(), QRect(10, 250, 51, 21));
    EXPECT_EQ(lateInGroup->geometry(), QRect(9, 70, 121, 25));
    EXPECT_EQ(lateOnPage->geometry(), QRect(4, 4, 40, 16));
}

TEST(ProportionalScaler, AControlMovedInDesignCoordinatesStaysMovedAcrossResizes)
{
    TestWindow w;
    ProportionalScaler scaler(w.window.get());
    w.show();
    w.window->resize(800, 600);

    scaler.setDesignGeometry(w.button, QRect(30, 60, 40, 10));
    EXPECT_EQ(w.button->geometry(), QRect(60, 120, 80, 20));
    w.window->resize(600, 450);
    EXPECT_EQ(w.button->geometry(), QRect(45, 90, 60, 15));
    w.window->resize(kDesign);
    EXPECT_EQ(w.button->geometry(), QRect(30, 60, 40, 10));
}

TEST(ProportionalScaler, ForgetsDestroyedControls)
{
    TestWindow w;
    ProportionalScaler scaler(w.window.get());
    w.show();
    const QWidget* gone = w.button;
    ASSERT_TRUE(scaler.designGeometry(gone).has_value());
    delete w.button;
    EXPECT_FALSE(scaler.designGeometry(gone).has_value());
    w.window->resize(600, 450);
    QCoreApplication::processEvents();

    // Whatever address a new control gets, it starts from its own rectangle.
    auto* fresh = new QPushButton(w.window.get());
    fresh->setGeometry(40, 40, 20, 20);
    w.window->resize(800, 600);
    EXPECT_EQ(scaler.designGeometry(fresh), QRect(40, 40, 20, 20));
    EXPECT_EQ(fresh->geometry(), QRect(80, 80, 40, 40));
}

TEST(ProportionalScaler, ScalesTheCentralWidgetOfAMainWindow)
{
    QMainWindow main;
    main.menuBar()->addMenu(QStringLiteral("&Datei"));
    auto* central = new QWidget;
    main.setCentralWidget(central);
    auto* button = new QPushButton(QStringLiteral("Drucken"), central);
    button->setGeometry(30, 40, 90, 24);
    main.resize(kDesign);
    ProportionalScaler scaler(&main);
    EXPECT_EQ(scaler.surface(), central);
    main.move(20, 20);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    ASSERT_TRUE(scaler.hasDesign());
    const QSize design = scaler.designSize();
    EXPECT_EQ(design, central->size());

    main.resize(kDesign * 2);
    const Factors grown = scaling::factorsFor(central->size(), design);
    EXPECT_GT(grown.width, 150);
    EXPECT_EQ(button->geometry(), scaleRect(QRect(30, 40, 90, 24), grown));

    main.resize(kDesign);
    EXPECT_EQ(button->geometry(), QRect(30, 40, 90, 24));
}
