#include "data/Decimal.h"

#include "data/JetLike.h"
#include "data/KeyFilter.h"
#include "data/Numbers.h"
#include "data/SearchCriterion.h"
#include "data/SqlFunctions.h"
#include "support/DataRuleTable.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

using namespace quittora;
using quittora::test::expectRows;
using quittora::test::TempDatabase;

namespace {

Decimal d(const char* text)
{
    return Decimal::fromString(QString::fromLatin1(text)).value_or(Decimal::fromInt(-999));
}

// "-" for no value.
QString str(const std::optional<Decimal>& v)
{
    return v ? v->toString() : QStringLiteral("-");
}

QString read(const char* text) { return str(Decimal::fromString(QString::fromLatin1(text))); }
QString locale(const char16_t* text, char sep = ',') { return str(localeNumber(text, QLatin1Char(sep))); }
QString leading(const char16_t* text) { return leadingNumber(text).toString(); }

} // namespace

TEST(Decimal, ReadsComputesAndRoundsExactly)
{
    Decimal sum;
    for (int i = 0; i < 10; ++i)
        sum += d("0.1");
    // Beyond nine decimals the tenth decides, half away from zero; the product likewise.
    expectRows("decimal", {
        {read("-123.456"), "-123.456"}, {read(".5"), "0.5"}, {read("0.0000000015"), "0.000000002"},
        {read("-0.0000000015"), "-0.000000002"}, {read("0.0000000014"), "0.000000001"},
        {read("1000000000000000000000000000000"), "-"}, {read("1,5"), "-"}, {read("1e3"), "-"}, {read(""), "-"},
        {sum.toString(), "1"}, {(d("19.99") * d("3")).toString(), "59.97"}, {(d("-2.5") * d("-0.5")).toString(), "1.25"},
        {(d("-0.00001") * d("0.00005")).toString(), "-0.000000001"},
        {(d("99999999999.999999999") * d("99999999.5")).toString(), "9999999949999999999.900000001"},
        {str(d("-2").dividedBy(d("3"))), "-0.666666667"}, {str(d("1").dividedBy(Decimal())), "-"},
        {d("1.005").rounded(2).toString(), "1.01"}, {d("1.0049999").rounded(2).toString(), "1"},
        {d("-2.5").rounded(0).toString(), "-3"}, {QString::number(d("-7.9").toLongLong()), "-7"},
        {d("2.675").toFixed(2, QLatin1Char(',')), "2,68"}, {d("-0.004").toFixed(2), "0.00"}, {d("-0.005").toFixed(2), "-0.01"},
        // One rounding to the wanted decimals: 0.0049999999975 stays below the half cent.
        {str(Decimal::mulDiv(d("100"), d("19"), d("119"), 2)), "15.97"},
        {str(Decimal::mulDiv(d("-50"), d("7"), d("107"), 2)), "-3.27"},
        {str(Decimal::mulDiv(d("0.5"), d("1"), d("100"), 2)), "0.01"},
        {str(Decimal::mulDiv(d("0.01"), d("1"), d("2.000000001"), 2)), "0"},
        {str(Decimal::mulDiv(d("1"), d("1"), Decimal(), 2)), "-"},
        {str(Decimal::mulDiv(d("10000000000000000000"), d("10000000000"), d("100000000000"), 2)), "1000000000000000000"},
    });
}

TEST(Numbers, LocaleAndLeadingNumbersAndDates)
{
    // Only the locale's separator counts; Val() reads the longest leading number.
    expectRows("numbers", {
        {amountText(d("-0.005"), QLatin1Char(',')), "-0,01"}, {amountText(d("1234567.5"), QLatin1Char('.')), "1234567.50"},
        {plainNumberText(d("-12.50"), QLatin1Char(',')), "-12,5"}, {plainNumberText(d("150"), QLatin1Char(',')), "150"},
        {locale(u"12,50"), "12.5"}, {locale(u"12,50", '.'), "-"}, {locale(u"12.50", '.'), "12.5"}, {locale(u"12.50"), "-"},
        {locale(u"  -3,5 "), "-3.5"}, {locale(u"1.234,50"), "-"}, {locale(u"10 Tage"), "-"}, {locale(u""), "-"},
        {locale(u"1,2,3"), "-"}, {leading(u"0815"), "815"}, {leading(u"12,50"), "12"}, {leading(u"12.50"), "12.5"},
        {leading(u"abc"), "0"}, {leading(u"  1 2\t3\n4 Stück"), "1234"}, {leading(u"- 5"), "-5"}, {leading(u"1.2.3"), "1.2"},
        {leading(u"\r5"), "0"}, {leading(u"1.5e2"), "150"}, {leading(u"1D2"), "100"}, {leading(u"25E-2"), "0.25"},
        {leading(u"1E400"), "0"}, {dateText(QDate(2024, 3, 1)), "01.03.2024"}, {dateText(QDate()), ""},
        {dateText(parseDateText(u"1.3.2024")), "01.03.2024"}, {dateText(parseDateText(u" 29.02.24 ")), "29.02.2024"},
    });
    for (const char* bad : {"", "29.02.2023", "32.01.2024", "1.13.2024", "01.03", "01.03.2024.1", "1.3.202", "2024-03-01"})
        EXPECT_FALSE(parseDateText(QString::fromLatin1(bad)).isValid()) << bad;
}

TEST(KeyFilters, DecideEachTypedCharacter)
{
    // Digits, "-", backspace, Enter and the editing commands (Ctrl+C, Ctrl+V,
    // Tab, Escape, Delete) pass; the decimal key follows the locale.
    const QString typed = QStringLiteral("059-\b\r\x03\x16\t\x1b\x7f.,aE+ /\u00e4");
    const auto amount = [](QChar sep) { return [sep](QChar c) { return amountKey(c, sep); }; };
    expectRows("keys", {
        {test::keyDecisions(typed, amount(QLatin1Char(','))), "+++++++++++,+xxxxxx"},
        {test::keyDecisions(typed, amount(QLatin1Char('.'))), "+++++++++++x.xxxxxx"},
        // A locale with neither separator: no rewriting; "," passes, "." does not.
        {test::keyDecisions(typed, amount(QChar(0x066B))), "+++++++++++x+xxxxxx"},
        {test::keyDecisions(typed, invoiceNumberKey), "+++++++++++xxxxxxxx"},
    });
}

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

// All values of the first column of one statement, "|"-joined ("<NULL>" for NULL);
// with `plan`, the steps of its query plan.
QString eval(const TempDatabase& t, const QString& sql, const QVariantList& params = {}, bool plan = false)
{
    QSqlQuery q(t.connection());
    if (!q.prepare((plan ? s("EXPLAIN QUERY PLAN ") : QString()) + sql))
        return s("<error ") + q.lastError().text();
    for (const QVariant& p : params)
        q.addBindValue(p);
    QStringList out;
    for (q.exec(); q.next();)
        out << (q.isNull(plan ? 3 : 0) ? s("<NULL>") : q.value(plan ? 3 : 0).toString());
    return q.lastError().isValid() ? s("<error ") + q.lastError().text() : out.join(QLatin1Char('|'));
}

QSet<QString> ids(const TempDatabase& t, const QString& where, const QVariantList& params)
{
    const QString found = eval(t, s("SELECT ID FROM Kunden WHERE ") + where, params);
    EXPECT_FALSE(found.startsWith(s("<error"))) << found.toStdString();
    const QStringList list = found.split(QLatin1Char('|'));
    return QSet<QString>(list.begin(), list.end());
}

SearchCriterion rewrite(const QString& criterion, const QVariantList& params)
{
    return indexableCriterion(criterion, params, [](const QString& field) {
        return field == s("ID") ? FieldKind::RowId : field == s("opt1") ? FieldKind::Other : FieldKind::Text;
    });
}

QString range(const char* pattern)
{
    const auto r = likePrefixRange(s(pattern));
    return r ? r->low + QLatin1Char('-') + r->high : s("none");
}

} // namespace

TEST(JetLike, PatternsMatchInTheProgramAndInSql)
{
    struct Case {
        const char *text, *pattern;
        bool matches;
    };
    const Case cases[] = {
        {"Müller", "M*", true}, {"Amüller", "M*", false}, {"Hans Müller", "*Mü*", true}, {"", "*", true}, {"", "?", false},
        {"Meier", "M??er", true}, {"Meyer2", "M??er", false}, {"R-2024-09", "R-####-##", true},
        {"R-2024-0x", "R-####-##", false}, {"abcabcabd", "*abd", true}, {"aXbX", "a*b*c", false}, {"exactly", "exact", false},
        // Case does not matter, umlauts included; ü is no ue.
        {"MÜLLER", "mül*", true}, {"ärger", "Ä*", true}, {"Ärger", "ä*", true}, {"Mueller", "Mü*", false},
        // Groups, ranges and negation.
        {"bauer", "[ABC]*", true}, {"Dauer", "[abc]*", false}, {"dauer", "[A-F]auer", true}, {"Gauer", "[a-f]auer", false},
        {"Gauer", "[!a-f]auer", true}, {"Bauer", "[!abc]*", false}, {"Xaver", "[!abc]*", true}, {"x-y", "x[-]y", true},
        {"a-", "a[a-]", true}, {"ab", "a[a-]", false}, {"a*b", "a[*]b", true}, {"aXb", "a[*]b", false},
        {"a1b", "a[#]b", false}, {"ab", "a[]b", true},
        // Typed text never breaks the pattern; SQL's wildcards are plain characters.
        {"[Firma", "[Firma", true}, {"Firma alt", "*[alt*", false}, {"500", "50%", false}, {"axb", "a_b", false},
        {"O'Brien", "O'B*", true},
    };
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    for (const Case& c : cases) {
        EXPECT_EQ(jetLike(s(c.text), s(c.pattern)), c.matches) << c.text << " LIKE " << c.pattern;
        EXPECT_EQ(eval(t, s("SELECT ? LIKE ?"), {s(c.text), s(c.pattern)}), c.matches ? s("1") : s("0"))
            << "SQL: " << c.text << " LIKE " << c.pattern;
    }
    EXPECT_EQ(likePattern(s("Mü"), LikeMode::Contains), s("*Mü*"));
    const auto e = [&](const char* expression, const char* value) { return eval(t, s("SELECT ") + s(expression), {s(value)}); };
    expectRows("functions", {
        {e("? LIKE NULL", ""), "<NULL>"}, {e("? NOT LIKE 'A*'", "Zander"), "1"}, {e("Mid(?, 3, 2)", "Größe"), "öß"},
        {e("Mid(?, 4)", "17.11.2024"), "11.2024"}, {e("Mid(?, 20, 2)", "17.11.2024"), ""}, {e("Mid(?, 0, 2)", "abc"), "<NULL>"},
        {e("[Left](?, 2)", "Äpfel"), "Äp"}, {e("\"Left\"(?, 0)", "Äpfel"), ""}, {e("Val(?)", "12,50"), "12"},
        {e("Val(?)", "abc"), "0"}, {e("Val(?)", "2.5"), "2.5"}, {e("typeof(Val(?))", "7"), "integer"},
    });
    EXPECT_FALSE(registerSqlFunctions(QSqlDatabase()));
}

TEST(SearchCriterion, PrefixRangesAndKeyLookUpsSelectExactlyWhatThePatternSelects)
{
    // Letters in lower case, as NOCASE compares them; up to the first wildcard
    // or umlaut; "k" and "s" are also matched by the Kelvin sign and the long s.
    expectRows("prefix range", {
        {range("123*"), "123-124"}, {range("BAU*"), "bau-bav"}, {range("Mül*"), "m-n"}, {range("ab?d"), "ab-ac"},
        {range("*text*"), "none"}, {range("Ärzte*"), "none"}, {range("Kaiser*"), "none"}, {range("schmidt"), "none"},
    });
    // Names where case, umlauts, look-alike letters and the characters around
    // a range's ends could make the range differ from the pattern.
    const char* const texts[] = {
        "Müller", "MÜLLER", "Mueller", "Muster", "M", "Mz", "M{", "Kaiser", "\u212Aaiser", "Schmidt", "\u017Fchmidt",
        "BASKET", "ba\u212A", "123", "12", "124", "12a", "129", "13", " 12", "012", "A@b", "a`", "a[", "A\\", "a\u007F",
        "a\u00FF", "z", "{", "~x", "Ärzte", "ärzte", "ß", "SS", "O'Brien", "[abc", "a*b", "a?b", "100%", "a_b", "",
        "\u212Bngstr\u00F6m", "x\U0001F600y",
    };
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    QStringList patterns{s("12?*"), s("1#*"), s("[mM]*"), s("*ll*"), s("a[!b]*"), s("*"), s("k*"), s("s*"), s("K")};
    for (const char* text : texts) {
        t.addCustomer(s(text));
        // Patterns as search as you type makes them; nobody types half a character.
        for (qsizetype n = 1; n <= s(text).size(); ++n) {
            if (!s(text).at(n - 1).isHighSurrogate())
                patterns << s(text).left(n) + QLatin1Char('*') << s(text).left(n);
        }
    }
    patterns.removeDuplicates();
    ASSERT_TRUE(t.exec(s("UPDATE Kunden SET a2 = NULL WHERE ID = ?"), {t.addCustomer(s("vorläufig"))}));
    int rewritten = 0;
    for (const QString& pattern : patterns) {
        for (const QString& where : {s("a2 LIKE ?"), s("IFNULL(a2, '') LIKE ?")}) {
            const SearchCriterion c = rewrite(where, {pattern});
            rewritten += c.indexed;
            EXPECT_EQ(ids(t, c.sql, c.params), ids(t, where, {pattern})) << where.toStdString() << " " << pattern.toStdString();
        }
    }
    EXPECT_GT(rewritten, 150);

    const SearchCriterion key = rewrite(s("ID LIKE ?"), {s("12")});
    EXPECT_EQ(key.sql + key.params.value(0).toString(), s("ID = ?12"));
    // Anything that is not how the number reads stays a pattern, and finds the same.
    for (const char* p : {"007", "012", "+12", " 12", "1*", "-1", "1?", "", "99999999999999999999", "0"}) {
        const SearchCriterion other = rewrite(s("ID LIKE ?"), {s(p)});
        EXPECT_EQ(ids(t, other.sql, other.params), ids(t, s("ID LIKE ?"), {s(p)})) << p;
    }
    for (const char* kept : {"a2 NOT LIKE ?", "a2 LIKE ? ESCAPE '!'", "opt1 LIKE ?", "a2 LIKE '12*'", "IFNULL(a2, 'x') LIKE ?"})
        EXPECT_EQ(rewrite(s(kept), {s("12*")}).sql, s(kept));
    // The name search is answered from its index.
    const SearchCriterion r = rewrite(s("IFNULL(a2, '') LIKE ?"), {s("Mül*")});
    EXPECT_TRUE(eval(t, s("SELECT ID FROM Kunden WHERE ") + r.sql, r.params, true).contains(s("Kunden_name")));
}
