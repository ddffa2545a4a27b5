#include "data/Decimal.h"
#include "data/KeyFilter.h"
#include "data/Numbers.h"
#include "support/RuleTable.h"

#include <gtest/gtest.h>

using namespace quittora;
using quittora::test::expectRows;

namespace {

Decimal d(const char* text)
{
    const auto v = Decimal::fromString(QString::fromLatin1(text));
    EXPECT_TRUE(v.has_value()) << text;
    return v.value_or(Decimal());
}

// "-" for no value.
QString str(const std::optional<Decimal>& v)
{
    return v ? v->toString() : QStringLiteral("-");
}

QString read(const char* text)
{
    return str(Decimal::fromString(QString::fromLatin1(text)));
}

QString locale(const char16_t* text, char sep = ',')
{
    return str(localeNumber(text, QLatin1Char(sep)));
}

QString leading(const char16_t* text)
{
    return leadingNumber(text).toString();
}

} // namespace

TEST(Decimal, ReadsComputesAndRoundsExactly)
{
    Decimal sum;
    for (int i = 0; i < 10; ++i)
        sum += d("0.1");
    // Beyond nine decimals the tenth decides, half away from zero.
    expectRows("reading", {{read("-123.456"), "-123.456"}, {read("+7"), "7"}, {read(".5"), "0.5"}, {read("0815"), "815"},
                           {read("0.0000000015"), "0.000000002"}, {read("-0.0000000015"), "-0.000000002"},
                           {read("0.0000000014"), "0.000000001"}, {read("1000000000000000000000000000000"), "-"}});
    for (const char* bad : {"", "-", ".", "1,5", "1.2.3", " 1", "1 ", "1e3", "abc", "--1"})
        EXPECT_FALSE(Decimal::fromString(QString::fromLatin1(bad)).has_value()) << bad;

    expectRows("arithmetic", {
        {sum.toString(), "1"}, {(d("0.1") + d("0.2")).toString(), "0.3"}, {(d("19.99") * d("3")).toString(), "59.97"},
        {(d("-2.5") * d("-0.5")).toString(), "1.25"}, {(d("-2.5") * d("4")).toString(), "-10"},
        // The product is cut back to nine decimals, half away from zero.
        {(d("0.00001") * d("0.00005")).toString(), "0.000000001"},
        {(d("-0.00001") * d("0.00005")).toString(), "-0.000000001"}, {(d("0.00001") * d("0.000049")).toString(), "0"},
        // Large amounts need the wide intermediate product.
        {(d("12345678901234567.5") * d("1000")).toString(), "12345678901234567500"},
        {(d("99999999999.999999999") * d("99999999.5")).toString(), "9999999949999999999.900000001"},
        {str(d("1").dividedBy(d("3"))), "0.333333333"}, {str(d("-2").dividedBy(d("3"))), "-0.666666667"},
        {str(d("100").dividedBy(d("-8"))), "-12.5"}, {str(d("1").dividedBy(Decimal())), "-"},
        {str(d("100000000000000000000").dividedBy(d("3"))), "33333333333333333333.333333333"},
        {str(d("0.01").dividedBy(d("2.000000001"))), "0.005"},
    });
    expectRows("rounding", {
        {d("1.005").rounded(2).toString(), "1.01"}, {d("1.0049999").rounded(2).toString(), "1"},
        {d("-1.005").rounded(2).toString(), "-1.01"}, {d("2.5").rounded(0).toString(), "3"},
        {d("-2.5").rounded(0).toString(), "-3"}, {d("0.123456789").rounded(12).toString(), "0.123456789"},
        {QString::number(d("-7.9").toLongLong()), "-7"}, {QString::number(d("7.9").toLongLong()), "7"},
        {d("12.5").toString(QLatin1Char(',')), "12,5"}, {d("-0.05").toString(), "-0.05"}, {Decimal().toString(), "0"},
        {d("1.005").toFixed(2), "1.01"}, {d("2.675").toFixed(2, QLatin1Char(',')), "2,68"},
        {d("-0.004").toFixed(2), "0.00"}, {d("-0.005").toFixed(2), "-0.01"}, {d("3").toFixed(0), "3"},
        {d("0.5").toFixed(11), "0.50000000000"},
    });
    // One rounding to the wanted decimals: 0.0049999999975 stays below the half cent.
    expectRows("mulDiv", {
        {str(Decimal::mulDiv(d("100"), d("19"), d("119"), 2)), "15.97"},
        {str(Decimal::mulDiv(d("-50"), d("7"), d("107"), 2)), "-3.27"},
        {str(Decimal::mulDiv(d("50"), d("-7"), d("-107"), 2)), "3.27"},
        {str(Decimal::mulDiv(d("0.5"), d("1"), d("100"), 2)), "0.01"},
        {str(Decimal::mulDiv(d("-0.5"), d("1"), d("100"), 2)), "-0.01"},
        {str(Decimal::mulDiv(d("0.01"), d("1"), d("2.000000001"), 2)), "0"},
        {str(Decimal::mulDiv(d("1"), d("1"), Decimal(), 2)), "-"},
        {str(Decimal::mulDiv(d("10000000000000000000"), d("10000000000"), d("100000000000"), 2)), "1000000000000000000"},
    });
}

TEST(Numbers, LocaleAndLeadingNumbersAndDates)
{
    for (const QChar sep : {QLatin1Char(','), QLatin1Char('.')}) {
        const auto amount = [&](const char* value) { return amountText(d(value), sep).replace(sep, QLatin1Char('.')); };
        expectRows(sep == QLatin1Char(',') ? "amount text ','" : "amount text '.'", {
            {amount("0.005"), "0.01"}, {amount("2.675"), "2.68"}, {amount("-0.005"), "-0.01"}, {amount("-0.0049"), "0.00"},
            {amount("1234567.5"), "1234567.50"}, {amount("0"), "0.00"},
            {plainNumberText(d("-12.50"), sep).replace(sep, QLatin1Char('.')), "-12.5"},
            {plainNumberText(d("150"), sep), "150"},
        });
    }
    // Only the locale's separator counts; Val() reads the longest leading number.
    expectRows("locale number", {
        {locale(u"12,50"), "12.5"}, {locale(u"12,50", '.'), "-"}, {locale(u"12.50", '.'), "12.5"},
        {locale(u"12.50"), "-"}, {locale(u"  -3,5 "), "-3.5"}, {locale(u"+7"), "7"}, {locale(u",5"), "0.5"},
        {locale(u"0815"), "815"}, {locale(u"1.234,50"), "-"}, {locale(u"10 Tage"), "-"}, {locale(u"19%"), "-"},
    });
    for (const char16_t* bad : {u"", u"   ", u"-", u",", u"1,2,3", u"12 50", u"abc", u"12abc", u"1e3"})
        EXPECT_FALSE(localeNumber(bad, QLatin1Char(',')).has_value()) << QString::fromUtf16(bad).toStdString();
    expectRows("leading number", {
        {leading(u"0815"), "815"}, {leading(u"12,50"), "12"}, {leading(u"12.50"), "12.5"}, {leading(u"abc"), "0"},
        {leading(u""), "0"}, {leading(u"  1 2\t3\n4 Stück"), "1234"}, {leading(u"- 5"), "-5"}, {leading(u"+2"), "2"},
        {leading(u".5"), "0.5"}, {leading(u"1.2.3"), "1.2"}, {leading(u"2%"), "2"}, {leading(u"\r5"), "0"},
        {leading(u"1E3"), "1000"}, {leading(u"1.5e2"), "150"}, {leading(u"1D2"), "100"}, {leading(u"25E-2"), "0.25"},
        {leading(u"3Euro"), "3"}, {leading(u"1E-20"), "0"}, {leading(u"1E400"), "0"},
    });
    expectRows("dates", {
        {dateText(QDate(2024, 3, 1)), "01.03.2024"}, {dateText(QDate()), ""},
        {dateText(parseDateText(u"1.3.2024")), "01.03.2024"}, {dateText(parseDateText(u" 29.02.24 ")), "29.02.2024"},
    });
    for (const char* bad : {"", "29.02.2023", "32.01.2024", "1.13.2024", "01.03", "01.03.2024.1", "1.3.202",
                            "a.b.cdef", "2024-03-01", "01.03.12345"})
        EXPECT_FALSE(parseDateText(QString::fromLatin1(bad)).isValid()) << bad;
}

TEST(KeyFilters, DecideEachTypedCharacter)
{
    // Digits, "-", backspace, Enter and the editing commands (Ctrl+C, Ctrl+V,
    // Tab, Escape, Delete) pass; the decimal key follows the locale.
    const QString typed = QStringLiteral("059-\b\r\x03\x16\t\x1b\x7f.,aE+ /\u00e4");
    const auto amount = [](char sep) { return [sep](QChar c) { return amountKey(c, QLatin1Char(sep)); }; };
    expectRows("keys", {
        {test::keyDecisions(typed, amount(',')), "+++++++++++,+xxxxxx"},
        {test::keyDecisions(typed, amount('.')), "+++++++++++x.xxxxxx"},
        // A locale with neither separator: no rewriting; "," passes, "." does not.
        {test::keyDecisions(typed, [](QChar c) { return amountKey(c, QChar(0x066B)); }), "+++++++++++x+xxxxxx"},
        {test::keyDecisions(typed, invoiceNumberKey), "+++++++++++xxxxxxxx"},
    });
}
