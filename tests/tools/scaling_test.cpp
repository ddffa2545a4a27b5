#include "tools/Scaling.h"

#include <gtest/gtest.h>

#include <QList>

using namespace quittora::scaling;

TEST(ScalingFactors, AreWholePercentTruncated)
{
    EXPECT_EQ(factorPercent(1000, 1000), 100);
    EXPECT_EQ(factorPercent(2000, 1000), 200);
    EXPECT_EQ(factorPercent(1507, 1000), 150); // 150.7 % counts as 150 %
    EXPECT_EQ(factorPercent(1509, 1000), 150);
    EXPECT_EQ(factorPercent(999, 1000), 99);
    EXPECT_EQ(factorPercent(333, 1000), 33);
    EXPECT_EQ(factorsFor(QSize(1507, 450), QSize(1000, 600)), (Factors{150, 75}));
}

TEST(ScalingFactors, DegenerateSizesMoveNothingAndNeverDivideByZero)
{
    EXPECT_EQ(factorPercent(500, 0), 100);
    EXPECT_EQ(factorPercent(500, -3), 100);
    EXPECT_EQ(factorPercent(0, 800), 0);
    EXPECT_EQ(factorPercent(-10, 800), 0);
}

TEST(ScalingRect, ScalesEachEdgeFromTheDesignAndTruncates)
{
    const QRect design(101, 33, 75, 21);
    EXPECT_EQ(scaleRect(design, {100, 100}), design);
    EXPECT_EQ(scaleRect(design, {200, 200}), QRect(202, 66, 150, 42));
    EXPECT_EQ(scaleRect(design, {150, 150}), QRect(151, 49, 112, 31));
    // Width and height follow their own factor.
    EXPECT_EQ(scaleRect(design, {150, 50}), QRect(151, 16, 112, 10));
}

TEST(ScalingRect, NegativePositionsTruncateTowardZero)
{
    EXPECT_EQ(scaleRect(QRect(-15, -7, 10, 10), {150, 150}), QRect(-22, -10, 15, 15));
}

TEST(ParkedWindow, OnlyAWindowFarBelowAndOnNoScreenCounts)
{
    const QList<QRect> oneScreen{QRect(0, 0, 1920, 1080)};
    EXPECT_FALSE(isParkedOffScreen(QRect(100, 100, 800, 600), oneScreen));
    EXPECT_FALSE(isParkedOffScreen(QRect(100, kParkedTop - 1, 800, 600), oneScreen));
    EXPECT_TRUE(isParkedOffScreen(QRect(100, kParkedTop, 800, 600), oneScreen));
    EXPECT_TRUE(isParkedOffScreen(QRect(0, 30000, 800, 600), oneScreen));
    // A second monitor stacked below the first is a real place for a window.
    const QList<QRect> stacked{QRect(0, 0, 1920, 1080), QRect(0, 1080, 2560, 1440)};
    EXPECT_FALSE(isParkedOffScreen(QRect(100, 2100, 800, 300), stacked));
    // A window above or left of every screen is not parked by this rule.
    EXPECT_FALSE(isParkedOffScreen(QRect(-5000, -5000, 800, 600), oneScreen));
    EXPECT_TRUE(isParkedOffScreen(QRect(0, kParkedTop, 10, 10), {}));
}
