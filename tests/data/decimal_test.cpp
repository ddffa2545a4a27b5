#include "data/Decimal.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace quittora;

namespace {

Decimal d(const char* text)
{
    const auto v = Decimal::fromString(QString::fromLatin1(text));
    EXPECT_TRUE(v.has_value()) << text;
    return v.value_or(Decimal());
}

} // namespace

TEST(Decimal, ReadsPlainTextAndRefusesAnythingElse)
{
    EXPECT_EQ(d("-123.456").toString(), QStringLiteral("-123.456"));
    EXPECT_EQ(d("+7").toString(), QStringLiteral("7"));
    EXPECT_EQ(d(".5").toString(), QStringLiteral("0.5"));
    EXPECT_EQ(d("0815").toString(), QStringLiteral("815"));
    // Beyond nine decimals the tenth decides, half away from zero.
    EXPECT_EQ(d("0.0000000015"), d("0.000000002"));
    EXPECT_EQ(d("-0.0000000015"), d("-0.000000002"));
    EXPECT_EQ(d("0.0000000014"), d("0.000000001"));

    for (const char* bad : {"", "-", ".", "1,5", "1.2.3", " 1", "1 ", "1e3", "abc", "--1"})
        EXPECT_FALSE(Decimal::fromString(QString::fromLatin1(bad)).has_value()) << bad;
    EXPECT_FALSE(Decimal::fromString(QStringLiteral("1000000000000000000000000000000")).has_value());
}

TEST(Decimal, AddsAndMultipliesExactly)
{
    Decimal sum;
    for (int i = 0; i < 10; ++i)
        sum += d("0.1");
    EXPECT_EQ(sum, Decimal::fromInt(1));
    EXPECT_EQ((d("0.1") + d("0.2")).toString(), QStringLiteral("0.3"));
    EXPECT_EQ((d("19.99") * d("3")).toString(), QStringLiteral("59.97"));
    EXPECT_EQ((d("-2.5") * d("4")).toString(), QStringLiteral("-10"));
    EXPECT_EQ((d("-2.5") * d("-0.5")).toString(), QStringLiteral("1.25"));
    // The product is cut back to nine decimals, half away from zero.
    EXPECT_EQ((d("0.00001") * d("0.00005")).toString(), QStringLiteral("0.000000001"));
    EXPECT_EQ((d("-0.00001") * d("0.00005")).toString(), QStringLiteral("-0.000000001"));
    EXPECT_EQ((d("0.00001") * d("0.000049")).toString(), QStringLiteral("0"));
    // Large amounts need the wide intermediate product.
    EXPECT_EQ((d("12345678901234567.5") * d("1000")).toString(), QStringLiteral("12345678901234567500"));
    EXPECT_EQ((d("99999999999.999999999") * d("99999999.5")).toString(),
              QStringLiteral("9999999949999999999.900000001"));
}

TEST(Decimal, DividesWithRoundingAndRefusesZero)
{
    EXPECT_EQ(d("1").dividedBy(d("3"))->toString(), QStringLiteral("0.333333333"));
    EXPECT_EQ(d("2").dividedBy(d("3"))->toString(), QStringLiteral("0.666666667"));
    EXPECT_EQ(d("-2").dividedBy(d("3"))->toString(), QStringLiteral("-0.666666667"));
    EXPECT_EQ(d("100").dividedBy(d("-8"))->toString(), QStringLiteral("-12.5"));
    EXPECT_FALSE(d("1").dividedBy(Decimal()).has_value());
    // A numerator too wide for 128 bits once scaled still divides exactly.
    EXPECT_EQ(d("100000000000000000000").dividedBy(d("0.5"))->toString(), QStringLiteral("200000000000000000000"));
    EXPECT_EQ(d("100000000000000000000").dividedBy(d("3"))->toString(),
              QStringLiteral("33333333333333333333.333333333"));
}

TEST(Decimal, RoundsHalfAwayFromZero)
{
    EXPECT_EQ(d("1.005").rounded(2), d("1.01"));
    EXPECT_EQ(d("1.0049999").rounded(2), d("1"));
    EXPECT_EQ(d("-1.005").rounded(2), d("-1.01"));
    EXPECT_EQ(d("2.5").rounded(0), d("3"));
    EXPECT_EQ(d("-2.5").rounded(0), d("-3"));
    EXPECT_EQ(d("0.123456789").rounded(12), d("0.123456789"));
    EXPECT_EQ(d("-7.9").toLongLong(), -7);
    EXPECT_EQ(d("7.9").toLongLong(), 7);
}

TEST(Decimal, WritesShortestAndFixedText)
{
    EXPECT_EQ(d("150").toString(), QStringLiteral("150"));
    EXPECT_EQ(d("12.5").toString(QLatin1Char(',')), QStringLiteral("12,5"));
    EXPECT_EQ(d("-0.05").toString(), QStringLiteral("-0.05"));
    EXPECT_EQ(Decimal().toString(), QStringLiteral("0"));

    EXPECT_EQ(d("1.005").toFixed(2), QStringLiteral("1.01"));
    EXPECT_EQ(d("2.675").toFixed(2, QLatin1Char(',')), QStringLiteral("2,68"));
    EXPECT_EQ(d("-0.004").toFixed(2), QStringLiteral("0.00"));
    EXPECT_EQ(d("-0.005").toFixed(2), QStringLiteral("-0.01"));
    EXPECT_EQ(d("3").toFixed(0), QStringLiteral("3"));
    EXPECT_EQ(d("0.5").toFixed(11), QStringLiteral("0.50000000000"));
}

TEST(Decimal, MulDivRoundsOnceToTheWantedDecimals)
{
    // VAT contained in a gross amount: 100 × 19 / 119 = 15.966...
    EXPECT_EQ(Decimal::mulDiv(d("100"), d("19"), d("119"), 2), d("15.97"));
    EXPECT_EQ(Decimal::mulDiv(d("50"), d("7"), d("107"), 2), d("3.27"));
    EXPECT_EQ(Decimal::mulDiv(d("-50"), d("7"), d("107"), 2), d("-3.27"));
    EXPECT_EQ(Decimal::mulDiv(d("50"), d("-7"), d("-107"), 2), d("3.27"));
    // Exactly half a cent goes up.
    EXPECT_EQ(Decimal::mulDiv(d("0.5"), d("1"), d("100"), 2), d("0.01"));
    EXPECT_EQ(Decimal::mulDiv(d("-0.5"), d("1"), d("100"), 2), d("-0.01"));
    // 0.0049999999975: a detour over nine decimals would make it 0.005 and
    // then 0.01; one rounding keeps it below the half cent.
    EXPECT_EQ(Decimal::mulDiv(d("0.01"), d("1"), d("2.000000001"), 2), Decimal());
    EXPECT_EQ(*(d("0.01").dividedBy(d("2.000000001"))), d("0.005"));
    EXPECT_FALSE(Decimal::mulDiv(d("1"), d("1"), Decimal(), 2).has_value());
    // Operands whose product needs more than 128 bits.
    EXPECT_EQ(Decimal::mulDiv(d("10000000000000000000"), d("10000000000"), d("100000000000"), 2),
              d("1000000000000000000"));
}
