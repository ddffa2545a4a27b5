#include "tools/widgets/ProportionalScaler.h"

#include <gtest/gtest.h>

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
    QPushButton* button = new QPushButton(QStringLiteral("OK"), window.get());
    QGroupBox* group = new QGroupBox(QStringLiteral("Gruppe"), window.get());
    QLineEdit* edit = new QLineEdit(group);
    QTabWidget* tabs = new QTabWidget(window.get());
    QLabel* pageLabel = new QLabel(QStringLiteral("Name"));
    QLabel* hiddenPageLabel = new QLabel(QStringLiteral("Artikel"));
    QFrame* panel = new QFrame(window.get());
    QPushButton* laidOut = new QPushButton(QStringLiteral("Im Layout"), panel);
    QSpinBox* spin = new QSpinBox(window.get());

    TestWindow()
    {
        button->setGeometry(10, 20, 101, 31);
        group->setGeometry(150, 10, 201, 151);
        edit->setGeometry(9, 33, 121, 25);
        tabs->setGeometry(10, 170, 253, 121);
        for (QLabel* label : {pageLabel, hiddenPageLabel}) {
            auto* page = new QWidget;
            label->setParent(page);
            tabs->addTab(page, label->text());
        }
        pageLabel->setGeometry(5, 7, 63, 17);
        hiddenPageLabel->setGeometry(11, 3, 57, 19);
        panel->setGeometry(280, 180, 111, 101);
        (new QVBoxLayout(panel))->addWidget(laidOut);
        spin->setGeometry(120, 20, 25, 21);
        window->resize(kDesign);
    }
    QList<QWidget*> placed() const { return {button, group, edit, tabs, pageLabel, hiddenPageLabel, panel, spin}; }
    QList<QRect> geometries() const
    {
        QList<QRect> rects;
        for (QWidget* c : placed())
            rects << c->geometry();
        return rects;
    }
    bool show(QPoint at = QPoint(20, 20))
    {
        window->move(at);
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }
};

} // namespace

TEST(ProportionalScaler, RecordsTheDesignAtTheFirstShowAndScalesEveryControlFromIt)
{
    TestWindow w;
    auto* natural = new QPushButton(QStringLiteral("Ohne Größe"), w.window.get()); // sized only by the show
    const QList<QRect> design = w.geometries();
    ProportionalScaler scaler(w.window.get());
    EXPECT_FALSE(scaler.hasDesign());
    ASSERT_TRUE(w.show());
    ASSERT_TRUE(scaler.hasDesign());
    EXPECT_EQ(scaler.designSize(), kDesign);
    EXPECT_EQ(scaler.factors(), (Factors{100, 100}));
    EXPECT_EQ(w.geometries(), design);
    const QRect shown = natural->geometry();
    EXPECT_EQ(scaler.designGeometry(natural), shown);

    w.window->resize(800, 600);
    EXPECT_EQ(scaler.factors(), (Factors{200, 200}));
    EXPECT_EQ(w.button->geometry(), QRect(20, 40, 202, 62));
    EXPECT_EQ(w.edit->geometry(), QRect(18, 66, 242, 50)); // relative to its group box
    EXPECT_EQ(w.pageLabel->geometry(), QRect(10, 14, 126, 34));
    EXPECT_EQ(w.hiddenPageLabel->geometry(), QRect(22, 6, 114, 38)); // inactive page too
    EXPECT_EQ(natural->geometry(), scaleRect(shown, {200, 200}));

    // Whole percent per axis: 150.75 % wide is 150 %, 75.3 % high is 75 %.
    w.window->resize(603, 226);
    EXPECT_EQ(scaler.factors(), (Factors{150, 75}));
    for (int i = 0; i < design.size(); ++i)
        EXPECT_EQ(w.placed()[i]->geometry(), scaleRect(design[i], {150, 75})) << i;

    // Odd sizes on the way back must not leave rounding behind.
    for (QSize size : {QSize(537, 311), QSize(401, 299), QSize(123, 457), kDesign})
        w.window->resize(size);
    EXPECT_EQ(w.geometries(), design);
    EXPECT_EQ(natural->geometry(), shown);

    // Layouts and the insides of composite widgets are left alone.
    w.window->resize(800, 600);
    EXPECT_FALSE(scaler.designGeometry(w.laidOut).has_value());
    EXPECT_TRUE(w.panel->rect().contains(w.laidOut->geometry()));
    EXPECT_GT(w.laidOut->width(), 111) << "the layout widened it with the grown panel";
    QList<QWidget*> insides = w.spin->findChildren<QWidget*>();
    ASSERT_FALSE(insides.isEmpty());
    insides << w.tabs->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly) << w.tabs->widget(0);
    for (QWidget* inside : insides)
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
            window()->resize(std::exchange(pushTo, QSize()));
        }
    }
};

} // namespace

TEST(ProportionalScaler, IgnoresAResizeRaisedWhileItScales)
{
    QWidget window;
    auto* pushy = new PushyLabel(QStringLiteral("x"), &window);
    pushy->setGeometry(10, 10, 50, 20);
    auto* after = new QLabel(QStringLiteral("y"), &window);
    after->setGeometry(100, 50, 60, 20);
    window.resize(kDesign);
    ProportionalScaler scaler(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    pushy->pushTo = QSize(600, 450);
    window.resize(800, 600);
    EXPECT_EQ(pushy->pushes, 1);
    EXPECT_EQ(window.size(), QSize(600, 450));
    // The running pass finished with its own factors; the nested resize did
    // not start a second one.
    EXPECT_EQ(scaler.factors(), (Factors{200, 200}));
    EXPECT_EQ(pushy->geometry(), QRect(20, 20, 100, 40));
    EXPECT_EQ(after->geometry(), QRect(200, 100, 120, 40));
    window.resize(kDesign);
    EXPECT_EQ(after->geometry(), QRect(100, 50, 60, 20));
}

TEST(ProportionalScaler, LeavesParkedAndMinimisedWindowsAloneUntilTheyAreBack)
{
    TestWindow parkedFirst;
    ProportionalScaler late(parkedFirst.window.get());
    parkedFirst.show(QPoint(0, 30000));
    QCoreApplication::processEvents();
    EXPECT_FALSE(late.hasDesign()) << "parked before the first show: nothing recorded";
    parkedFirst.window->move(20, 20);
    parkedFirst.window->resize(kDesign.width() + 1, kDesign.height());
    QCoreApplication::processEvents();
    EXPECT_EQ(late.designGeometry(parkedFirst.button), QRect(10, 20, 101, 31));

    TestWindow w;
    ProportionalScaler scaler(w.window.get());
    ASSERT_TRUE(w.show());
    const QRect design = w.edit->geometry();
    w.window->move(0, 30000);
    ASSERT_GE(w.window->frameGeometry().top(), scaling::kParkedTop);
    w.window->resize(800, 600);
    EXPECT_EQ(w.edit->geometry(), design);
    EXPECT_EQ(scaler.factors(), (Factors{100, 100}));
    w.window->move(20, 20);
    w.window->resize(600, 450);
    EXPECT_EQ(w.edit->geometry(), scaleRect(design, {150, 150}));

    w.window->setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(w.window->isMinimized());
    w.window->resize(800, 600);
    EXPECT_EQ(w.edit->geometry(), scaleRect(design, {150, 150}));
    w.window->setWindowState(Qt::WindowNoState);
    w.window->resize(800, 601);
    EXPECT_EQ(w.edit->geometry(), scaleRect(design, {200, 200}));
    w.window->resize(0, 0);
    EXPECT_EQ(w.edit->geometry(), scaleRect(design, {200, 200})) << "a window without area squeezes nothing";
}

TEST(ProportionalScaler, TakesControlsAddedOrMovedLaterInDesignCoordinatesAndForgetsDestroyedOnes)
{
    TestWindow w;
    ProportionalScaler scaler(w.window.get());
    ASSERT_TRUE(w.show());
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
    QCoreApplication::processEvents(); // taken over on the next pass, before any resize
    EXPECT_EQ(late->geometry(), QRect(20, 500, 102, 42));
    EXPECT_EQ(lateInGroup->geometry(), QRect(18, 140, 242, 50));
    EXPECT_EQ(lateOnPage->geometry(), QRect(8, 8, 80, 32));

    scaler.setDesignGeometry(w.button, QRect(30, 60, 40, 10));
    EXPECT_EQ(w.button->geometry(), QRect(60, 120, 80, 20));
    w.window->resize(600, 450);
    EXPECT_EQ(w.button->geometry(), QRect(45, 90, 60, 15));
    w.window->resize(kDesign);
    EXPECT_EQ(late->geometry(), QRect(10, 250, 51, 21));
    EXPECT_EQ(lateInGroup->geometry(), QRect(9, 70, 121, 25));
    EXPECT_EQ(lateOnPage->geometry(), QRect(4, 4, 40, 16));
    EXPECT_EQ(w.button->geometry(), QRect(30, 60, 40, 10));

    // Whatever address a new control gets, it starts from its own rectangle.
    const QWidget* gone = w.button;
    delete w.button;
    EXPECT_FALSE(scaler.designGeometry(gone).has_value());
    w.window->resize(600, 450);
    QCoreApplication::processEvents();
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
