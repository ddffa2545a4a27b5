#include "data/Numbers.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace quittora;

namespace {

Decimal d(const char* text)
{
    return Decimal::fromString(QString::fromLatin1(text)).value();
}

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

class AmountTextUnderSeparator : public ::testing::TestWithParam<QChar> {};

TEST_P(AmountTextUnderSeparator, RoundsTheHalfCentAwayFromZero)
{
    const QChar sep = GetParam();
    const auto expect = [&](const char* value, const char* text) {
        QString want = QString::fromLatin1(text);
        want.replace(QLatin1Char('.'), sep);
        EXPECT_EQ(amountText(d(value), sep), want) << value;
    };
    expect("0.005", "0.01");
    expect("1.005", "1.01");
    expect("2.675", "2.68");
    expect("-0.005", "-0.01");
    expect("0.0049", "0.00");
    expect("-0.0049", "0.00");
    expect("1234567.5", "1234567.50");
    expect("0", "0.00");
    // An amount that came from a locale text goes round trip unchanged.
    EXPECT_EQ(amountText(*localeNumber(amountText(d("19.9"), sep), sep), sep), amountText(d("19.9"), sep));
}

TEST_P(AmountTextUnderSeparator, PlainNumberTextHasNoTrailingZeros)
{
    const QChar sep = GetParam();
    EXPECT_EQ(plainNumberText(d("150"), sep), QStringLiteral("150"));
    EXPECT_EQ(plainNumberText(d("12.50"), sep), QStringLiteral("12") + sep + QStringLiteral("5"));
    EXPECT_EQ(plainNumberText(d("-0.25"), sep), QStringLiteral("-0") + sep + QStringLiteral("25"));
}

INSTANTIATE_TEST_SUITE_P(Separators, AmountTextUnderSeparator,
                         ::testing::Values(QLatin1Char(','), QLatin1Char('.')));

TEST(LocaleNumber, AcceptsOnlyTheLocaleSeparator)
{
    EXPECT_EQ(localeNumber(u"12,50", QLatin1Char(',')), d("12.5"));
    EXPECT_FALSE(localeNumber(u"12,50", QLatin1Char('.')).has_value());
    EXPECT_EQ(localeNumber(u"12.50", QLatin1Char('.')), d("12.5"));
    EXPECT_FALSE(localeNumber(u"12.50", QLatin1Char(',')).has_value());
    EXPECT_EQ(localeNumber(u"  -3,5 ", QLatin1Char(',')), d("-3.5"));
    EXPECT_EQ(localeNumber(u"+7", QLatin1Char(',')), d("7"));
    EXPECT_EQ(localeNumber(u",5", QLatin1Char(',')), d("0.5"));
    EXPECT_EQ(localeNumber(u"0815", QLatin1Char(',')), d("815"));
}

TEST(LocaleNumber, RefusesTextThatIsNoNumber)
{
    for (const char16_t* bad : {u"", u"   ", u"-", u",", u"1,2,3", u"12 50", u"1.234,50", u"abc", u"12abc", u"1e3",
                                u"19%"})
        EXPECT_FALSE(localeNumber(bad, QLatin1Char(',')).has_value()) << QString::fromUtf16(bad).toStdString();
}

TEST(LeadingNumber, ReadsTheLongestLeadingNumberLikeVal)
{
    EXPECT_EQ(leadingNumber(u"0815"), d("815"));
    EXPECT_EQ(leadingNumber(u"12,50"), d("12"));
    EXPECT_EQ(leadingNumber(u"12.50"), d("12.5"));
    EXPECT_EQ(leadingNumber(u"abc"), Decimal());
    EXPECT_EQ(leadingNumber(u""), Decimal());
    EXPECT_EQ(leadingNumber(u"  1 2\t3\n4 Stück"), d("1234"));
    EXPECT_EQ(leadingNumber(u"- 5"), d("-5"));
    EXPECT_EQ(leadingNumber(u"+2"), d("2"));
    EXPECT_EQ(leadingNumber(u".5"), d("0.5"));
    EXPECT_EQ(leadingNumber(u"1.2.3"), d("1.2"));
    EXPECT_EQ(leadingNumber(u"10 Tage"), d("10"));
    EXPECT_EQ(leadingNumber(u"2%"), d("2"));
    // A carriage return is not among the skipped blanks.
    EXPECT_EQ(leadingNumber(u"\r5"), Decimal());
}

TEST(LeadingNumber, ReadsExponentsWithEOrD)
{
    EXPECT_EQ(leadingNumber(u"1E3"), d("1000"));
    EXPECT_EQ(leadingNumber(u"1.5e2"), d("150"));
    EXPECT_EQ(leadingNumber(u"1D2"), d("100"));
    EXPECT_EQ(leadingNumber(u"25E-2"), d("0.25"));
    EXPECT_EQ(leadingNumber(u"3E"), d("3"));
    EXPECT_EQ(leadingNumber(u"3Euro"), d("3"));
    EXPECT_EQ(leadingNumber(u"1E-20"), Decimal());
    // Out of any amount's range: no number rather than a wrapped one.
    EXPECT_EQ(leadingNumber(u"1E400"), Decimal());
}

TEST(Conversions, DifferWhereTheyShould)
{
    // The same texts read differently: callers must pick the right one.
    EXPECT_EQ(localeNumber(u"2,5", QLatin1Char(',')), d("2.5"));
    EXPECT_EQ(leadingNumber(u"2,5"), d("2"));
    EXPECT_FALSE(localeNumber(u"10 Tage", QLatin1Char(',')).has_value());
    EXPECT_EQ(leadingNumber(u"10 Tage"), d("10"));
    EXPECT_FALSE(localeNumber(u"", QLatin1Char(',')).has_value());
    EXPECT_EQ(leadingNumber(u""), Decimal());
}

TEST(DateText, WritesAndReadsTheStoredForm)
{
    EXPECT_EQ(dateText(QDate(2024, 3, 1)), QStringLiteral("01.03.2024"));
    EXPECT_EQ(dateText(QDate()), QString());
    EXPECT_EQ(parseDateText(u"01.03.2024"), QDate(2024, 3, 1));
    EXPECT_EQ(parseDateText(u"1.3.2024"), QDate(2024, 3, 1));
    EXPECT_EQ(parseDateText(u" 29.02.24 "), QDate(2024, 2, 29));
    for (const char* bad : {"", "29.02.2023", "32.01.2024", "1.13.2024", "01.03", "01.03.2024.1", "1.3.202",
                            "a.b.cdef", "2024-03-01", "01.03.12345"})
        EXPECT_FALSE(parseDateText(s(bad)).isValid()) << bad;
}
