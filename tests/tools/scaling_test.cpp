#include "tools/Scaling.h"

#include <gtest/gtest.h>

#include <QList>

using namespace quittora::scaling;

TEST(Scaling, FactorsAreWholePercentTruncatedAndNeverDivideByZero)
{
    const std::tuple<int, int, int> table[] = {
        {1000, 1000, 100}, {2000, 1000, 200}, {1509, 1000, 150}, {999, 1000, 99},
        {500, 0, 100},     {500, -3, 100},    {0, 800, 0},       {-10, 800, 0},
    };
    for (const auto& [size, design, expected] : table)
        EXPECT_EQ(factorPercent(size, design), expected) << size << "/" << design;
    EXPECT_EQ(factorsFor(QSize(1507, 450), QSize(1000, 600)), (Factors{150, 75}));
}

TEST(Scaling, EachEdgeScalesFromTheDesignAndTruncatesTowardZero)
{
    const QRect design(101, 33, 75, 21);
    EXPECT_EQ(scaleRect(design, {100, 100}), design);
    EXPECT_EQ(scaleRect(design, {150, 50}), QRect(151, 16, 112, 10));
    EXPECT_EQ(scaleRect(QRect(-15, -7, 10, 10), {150, 150}), QRect(-22, -10, 15, 15));
}

TEST(Scaling, OnlyAWindowFarBelowAndOnNoScreenCountsAsParked)
{
    const QList<QRect> one{QRect(0, 0, 1920, 1080)};
    const QList<QRect> stacked{QRect(0, 0, 1920, 1080), QRect(0, 1080, 2560, 1440)};
    const std::tuple<QRect, QList<QRect>, bool> table[] = {
        {QRect(100, 100, 800, 600), one, false},
        {QRect(100, kParkedTop - 1, 800, 600), one, false},
        {QRect(100, kParkedTop, 800, 600), one, true},
        {QRect(100, 2100, 800, 300), stacked, false}, // a second monitor below is a real place
        {QRect(-5000, -5000, 800, 600), one, false},
        {QRect(0, kParkedTop, 10, 10), {}, true},
    };
    for (const auto& [window, screens, parked] : table)
        EXPECT_EQ(isParkedOffScreen(window, screens), parked) << window.y() << " on " << screens.size() << " screens";
}
