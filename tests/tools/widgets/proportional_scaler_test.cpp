#include "tools/Scaling.h"
#include "tools/widgets/ProportionalScaler.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace quittora;
using namespace quittora::scaling;

namespace {

const QSize kDesign(400, 300);

// Controls placed by hand the way the program's windows are: on the window,
// in a group box, on tab pages (one hidden), and one panel that arranges its
// content with a layout.
struct TestWindow {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    QPushButton* button = new QPushButton(window.get());
    QGroupBox* group = new QGroupBox(window.get());
    QLineEdit* edit = new QLineEdit(group);
    QTabWidget* tabs = new QTabWidget(window.get());
    QLabel *pageLabel = new QLabel, *hiddenPageLabel = new QLabel;
    QFrame* panel = new QFrame(window.get());
    QPushButton* laidOut = new QPushButton(QStringLiteral("Im Layout"), panel);
    QSpinBox* spin = new QSpinBox(window.get());

    QList<QWidget*> placed() const { return {button, group, edit, tabs, pageLabel, hiddenPageLabel, panel, spin}; }
    TestWindow()
    {
        for (QLabel* label : {pageLabel, hiddenPageLabel}) {
            tabs->addTab(new QWidget, QStringLiteral("Seite"));
            label->setParent(tabs->widget(tabs->count() - 1));
        }
        (new QVBoxLayout(panel))->addWidget(laidOut);
        const QRect rects[] = {{10, 20, 101, 31}, {150, 10, 201, 151}, {9, 33, 121, 25}, {10, 170, 253, 121},
                               {5, 7, 63, 17},    {11, 3, 57, 19},     {280, 180, 111, 101}, {120, 20, 25, 21}};
        for (int i = 0; i < 8; ++i)
            placed()[i]->setGeometry(rects[i]);
        window->resize(kDesign);
    }
    QList<QRect> geometries() const
    {
        QList<QRect> rects;
        for (QWidget* c : placed())
            rects << c->geometry();
        return rects;
    }
    bool show()
    {
        window->move(20, 20);
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }
};

QList<QRect> scaled(const QList<QRect>& design, Factors f)
{
    QList<QRect> rects;
    for (const QRect& r : design)
        rects << scaleRect(r, f);
    return rects;
}

} // namespace

TEST(ProportionalScaler, RecordsTheDesignAtTheFirstShowAndScalesEveryControlFromIt)
{
    TestWindow w;
    const QList<QRect> design = w.geometries();
    ProportionalScaler scaler(w.window.get());
    ASSERT_TRUE(w.show());
    EXPECT_EQ(scaler.designSize(), kDesign);
    w.window->resize(603, 226); // whole percent per axis: 150 % wide, 75 % high
    EXPECT_EQ(w.geometries(), scaled(design, {150, 75})) << "the inactive tab page too";
    // Odd sizes on the way back must not leave rounding behind.
    for (QSize size : {QSize(537, 311), QSize(123, 457), kDesign})
        w.window->resize(size);
    EXPECT_EQ(w.geometries(), design);
    // Layouts and the insides of composite widgets are left alone.
    w.window->resize(800, 600);
    EXPECT_GT(w.laidOut->width(), 111) << "the layout widened it with the grown panel";
    const QList<QWidget*> insides = w.spin->findChildren<QWidget*>() << w.laidOut << w.tabs->widget(0);
    for (QWidget* inside : insides)
        EXPECT_FALSE(scaler.designGeometry(inside).has_value()) << inside->metaObject()->className();
}

TEST(Scaling, FactorsAreWholePercentTruncatedEdgesScaleFromTheDesignAndParkedMeansFarBelowOnNoScreen)
{
    const std::tuple<int, int, int> table[] = {{1000, 1000, 100}, {2000, 1000, 200}, {1509, 1000, 150}, {999, 1000, 99},
                                               {500, 0, 100}, {500, -3, 100}, {0, 800, 0}, {-10, 800, 0}};
    for (const auto& [size, design, expected] : table)
        EXPECT_EQ(factorPercent(size, design), expected) << size << "/" << design;
    EXPECT_EQ(factorsFor(QSize(1507, 450), QSize(1000, 600)), (Factors{150, 75}));
    // Each edge truncates toward zero.
    EXPECT_EQ(scaleRect(QRect(101, 33, 75, 21), {150, 50}), QRect(151, 16, 112, 10));
    EXPECT_EQ(scaleRect(QRect(-15, -7, 10, 10), {150, 150}), QRect(-22, -10, 15, 15));

    // A second monitor below is a real place.
    const QList<QRect> one{QRect(0, 0, 1920, 1080)}, stacked{QRect(0, 0, 1920, 1080), QRect(0, 1080, 2560, 1440)};
    const std::tuple<QRect, QList<QRect>, bool> places[] = {{QRect(100, 100, 800, 600), one, false},
        {QRect(100, kParkedTop - 1, 800, 600), one, false}, {QRect(100, kParkedTop, 800, 600), one, true},
        {QRect(100, 2100, 800, 300), stacked, false}, {QRect(-5000, -5000, 800, 600), one, false},
        {QRect(0, kParkedTop, 10, 10), {}, true}};
    for (const auto& [window, screens, parked] : places)
        EXPECT_EQ(isParkedOffScreen(window, screens), parked) << window.y() << " on " << screens.size() << " screens";
}
