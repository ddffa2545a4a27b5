#include "data/JetLike.h"
#include "data/SearchCriterion.h"
#include "data/SqlFunctions.h"
#include "export/Overview.h"
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

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// The first value of one statement with bound values, as text ("<NULL>" for NULL).
QString eval(const TempDatabase& t, const QString& sql, const QVariantList& params = {})
{
    QSqlQuery q(t.connection());
    if (!q.prepare(sql))
        return QStringLiteral("<error %1>").arg(q.lastError().text());
    for (const QVariant& p : params)
        q.addBindValue(p);
    if (!q.exec() || !q.next())
        return QStringLiteral("<error %1>").arg(q.lastError().text());
    QStringList out;
    do
        out << (q.isNull(0) ? QStringLiteral("<NULL>") : q.value(0).toString());
    while (q.next());
    return out.join(QLatin1Char('|'));
}

QSet<qint64> ids(const TempDatabase& t, const QString& where, const QVariantList& params)
{
    QSet<qint64> out;
    const QString found = eval(t, s("SELECT ID FROM Kunden WHERE ") + where + s(" UNION SELECT -1"), params);
    EXPECT_FALSE(found.startsWith(s("<error"))) << found.toStdString();
    for (const QString& id : found.split(QLatin1Char('|')))
        out.insert(id.toLongLong());
    return out;
}

QString plan(const TempDatabase& t, const QString& sql, const QVariantList& params)
{
    QSqlQuery q(t.connection());
    q.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    for (const QVariant& p : params)
        q.addBindValue(p);
    QStringList steps;
    for (q.exec(); q.next();)
        steps << q.value(3).toString();
    return steps.join(QStringLiteral(" | ")) + q.lastError().text();
}

SearchCriterion rewrite(const QString& criterion, const QVariantList& params)
{
    return indexableCriterion(criterion, params, [](const QString& field) {
        return field == QLatin1String("ID") ? FieldKind::RowId
            : field == QLatin1String("opt1") ? FieldKind::Other
                                             : FieldKind::Text;
    });
}

QString range(const char* pattern)
{
    const auto r = likePrefixRange(s(pattern));
    return r ? r->low + QLatin1Char('-') + r->high : QStringLiteral("none");
}

// Names where case, umlauts, look-alike letters and the characters around
// the range's ends could make a range differ from the pattern.
const char* const kTrickyTexts[] = {
    "Müller", "MÜLLER", "müller", "Mueller", "Muster", "mUSTER", "M", "m", "Mz", "M{",
    "Kaiser", "kaiser", "\u212Aaiser" /* Kelvin sign */, "Schmidt", "schmidt", "\u017Fchmidt" /* long s */,
    "Bask", "BASKET", "ba\u212A", "123", "1234", "12", "124", "12a", "12A", "129", "13", " 12", "012",
    "A@b", "a@B", "aA", "a`", "a[", "A\\", "a\u007F", "a\u0080", "a\u00FF", "z", "Z", "{", "~x",
    "Ärzte", "ärzte", "Arzte", "ß", "ss", "SS", "O'Brien", "o'brien", "[abc", "a*b", "a?b", "a#1",
    "100%", "1000", "a_b", "axb", "\u00C5ngstr\u00F6m", "\u212Bngstr\u00F6m", "", "x\U0001F600y",
};

} // namespace

TEST(JetLike, PatternsMatchInTheProgramAndInSql)
{
    struct Case {
        const char* text;
        const char* pattern;
        bool matches;
    };
    const Case cases[] = {
        {"Müller", "M*", true}, {"M", "M*", true}, {"Amüller", "M*", false}, {"Hans Müller", "*Mü*", true},
        {"", "*", true}, {"", "?", false}, {"Meier", "M??er", true}, {"Meyer2", "M??er", false},
        {"R-2024-07", "R-####-##", true}, {"R-2024-0x", "R-####-##", false}, {"R9", "R#", true},
        {"abcabcabd", "*abd", true}, {"aXbXc", "a*b*c", true}, {"aXbX", "a*b*c", false}, {"exactly", "exact", false},
        // Case does not matter, umlauts included; ü is no ue.
        {"MÜLLER", "mül*", true}, {"ärger", "Ä*", true}, {"Ärger", "ä*", true}, {"Straße", "*STRAßE", true},
        {"Mueller", "Mü*", false}, {"Muller", "Mü*", false},
        // Groups, ranges and negation.
        {"bauer", "[ABC]*", true}, {"Dauer", "[abc]*", false}, {"dauer", "[A-F]auer", true},
        {"Gauer", "[a-f]auer", false}, {"Gauer", "[!a-f]auer", true}, {"Bauer", "[!abc]*", false},
        {"Xaver", "[!abc]*", true}, {"Ärger", "[a-z]*", true}, {"ärger", "[Ä]rger", true}, {"x-y", "x[-]y", true},
        {"a-", "a[a-]", true}, {"ab", "a[a-]", false}, {"a*b", "a[*]b", true}, {"aXb", "a[*]b", false},
        {"a?b", "a[?]b", true}, {"a1b", "a[#]b", false}, {"ab", "a[]b", true},
        // Typed text never breaks the pattern; SQL's wildcards are plain characters.
        {"[Firma", "[Firma", true}, {"Firma [alt", "*[alt*", true}, {"Firma alt", "*[alt*", false},
        {"50%", "50%", true}, {"500", "50%", false}, {"a_b", "a_b", true}, {"axb", "a_b", false},
        {"O'Brien", "O'B*", true},
    };
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    for (const Case& c : cases) {
        EXPECT_EQ(jetLike(s(c.text), s(c.pattern)), c.matches) << c.text << " LIKE " << c.pattern;
        EXPECT_EQ(eval(t, s("SELECT ? LIKE ?"), {s(c.text), s(c.pattern)}), c.matches ? s("1") : s("0"))
            << "SQL: " << c.text << " LIKE " << c.pattern;
    }
    EXPECT_EQ(likePattern(s("Mü"), LikeMode::StartsWith), s("Mü*"));
    EXPECT_EQ(likePattern(s("Mü"), LikeMode::Contains), s("*Mü*"));
    EXPECT_EQ(eval(t, s("SELECT NULL LIKE '*'")), s("<NULL>"));
    EXPECT_EQ(eval(t, s("SELECT ? NOT LIKE ?"), {s("Zander"), s("A*")}), s("1"));
    // Numbers compare as their text.
    const qint64 id = t.addDocument(s("1000"), s("01.01.2024"), s("Rechnung"), true);
    EXPECT_EQ(t.count(s("Rechnungen"), s("ID LIKE ? AND opt1 LIKE ?"), {QString::number(id), s("-1")}), 1);
    EXPECT_FALSE(registerSqlFunctions(QSqlDatabase()));
}

TEST(SqlFunctions, MidLeftAndValCountAsTheProgramDoes)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    const auto e = [&](const char* expression, const QVariantList& params = {}) {
        return eval(t, s("SELECT ") + s(expression), params);
    };
    expectRows("functions", {
        {e("Mid(?, 3, 2)", {s("Größe")}), "öß"}, {e("Mid(?, 4)", {s("17.11.2024")}), "11.2024"},
        {e("Mid(?, 9, 5)", {s("17.11.2024")}), "24"}, {e("Mid(?, 20, 2)", {s("17.11.2024")}), ""},
        {e("Mid(?, 0, 2)", {s("abc")}), "<NULL>"}, {e("Mid(NULL, 1, 2)"), "<NULL>"},
        {e("[Left](?, 2)", {s("Äpfel")}), "Äp"}, {e("[Left](?, 10)", {s("Äpfel")}), "Äpfel"},
        {e("\"Left\"(?, 0)", {s("Äpfel")}), ""}, {e("Val(?)", {s("0815")}), "815"}, {e("Val(?)", {s("12,50")}), "12"},
        {e("Val(?)", {s("abc")}), "0"}, {e("Val(?)", {s("2.5")}), "2.5"}, {e("Val(?) = 12", {s("12 Stück")}), "1"},
        {e("typeof(Val(?))", {s("7")}), "integer"}, {e("Val(-1)"), "-1"},
    });
}

TEST(SearchCriterion, PrefixRangesAndKeyLookUpsSelectExactlyWhatThePatternSelects)
{
    // Letters in lower case, as NOCASE compares them; up to the first wildcard
    // or umlaut; "k" and "s" are also matched by the Kelvin sign and the long s.
    expectRows("prefix range", {
        {range("123*"), "123-124"}, {range("BAU*"), "bau-bav"}, {range("Mül*"), "m-n"}, {range("ab?d"), "ab-ac"},
        {range("a[bc]*"), "a-b"}, {range("bask*"), "ba-bb"}, {range("*text*"), "none"}, {range("Ärzte*"), "none"},
        {range("Kaiser*"), "none"}, {range("schmidt"), "none"}, {range("?12"), "none"}, {range(""), "none"},
    });
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    QStringList patterns{s("12?*"), s("1#*"), s("[mM]*"), s("*ll*"), s("a[!b]*"), s("*"), s(""), s("a@*"),
                         s("A\u007F*"), s("z*"), s("~*"), s("k*"), s("s*"), s("K"), s("S*")};
    for (const char* text : kTrickyTexts) {
        t.addCustomer(s(text));
        // Patterns as search as you type makes them; nobody types half a character.
        for (qsizetype n = 1; n <= s(text).size(); ++n) {
            if (!s(text).at(n - 1).isHighSurrogate())
                patterns << s(text).left(n) + QLatin1Char('*') << s(text).left(n);
        }
    }
    patterns.removeDuplicates();
    // A NULL name never matches.
    ASSERT_TRUE(t.exec(s("UPDATE Kunden SET a2 = NULL WHERE ID = ?"), {t.addCustomer(s("vorläufig"))}));
    int rewritten = 0;
    for (const QString& pattern : patterns) {
        SCOPED_TRACE(pattern.toStdString());
        const SearchCriterion c = rewrite(s("a2 LIKE ?"), {pattern});
        rewritten += c.indexed;
        const QSet<qint64> expected = ids(t, s("a2 LIKE ?"), {pattern});
        EXPECT_EQ(ids(t, c.sql, c.params), expected);
        // The form of the customer and article searches, a missing name as empty text.
        const SearchCriterion e = rewrite(s("IFNULL(a2, '') LIKE ?"), {pattern});
        EXPECT_EQ(e.indexed, c.indexed);
        EXPECT_EQ(ids(t, e.sql, e.params), ids(t, s("IFNULL(a2, '') LIKE ?"), {pattern}));
    }
    EXPECT_GT(rewritten, 150);

    const SearchCriterion key = rewrite(s("ID LIKE ?"), {s("12")});
    EXPECT_EQ(key.sql, s("ID = ?"));
    EXPECT_EQ(key.params, QVariantList{12});
    EXPECT_NE(plan(t, s("SELECT ID FROM Kunden WHERE ") + key.sql, key.params).indexOf(s("PRIMARY KEY")), -1);
    // Anything that is not how the number reads stays a pattern, and finds the same.
    for (const char* p : {"012", "+12", " 12", "12 ", "1*", "-1", "1?", "", "99999999999999999999", "0", "007"}) {
        const SearchCriterion other = rewrite(s("ID LIKE ?"), {s(p)});
        EXPECT_EQ(ids(t, other.sql, other.params), ids(t, s("ID LIKE ?"), {s(p)})) << p;
    }
}

TEST(SearchCriterion, OnlyTheFormsOfSearchAsYouTypeAreRewrittenAndIndexesAnswerThem)
{
    const QVariantList one{s("12*")};
    for (const char* kept : {"a2 NOT LIKE ?", "a2 LIKE ? ESCAPE '!'", "opt1 LIKE ?", "a2 LIKE '12*'",
                             "IFNULL(a2, 'x') LIKE ?"})
        EXPECT_EQ(rewrite(s(kept), one).sql, s(kept));
    EXPECT_EQ(rewrite(s("a2 LIKE ? OR a3 LIKE ?"), {s("12*"), s("12*")}).sql, s("a2 LIKE ? OR a3 LIKE ?"));
    EXPECT_EQ(rewrite(s("a2 LIKE ?"), {12}).sql, s("a2 LIKE ?"));
    EXPECT_EQ(rewrite(s("a2 LIKE ?"), {}).sql, s("a2 LIKE ?"));
    const SearchCriterion c = rewrite(s(" a7  like ? "), one);
    EXPECT_EQ(c.sql, s("a7 >= ? COLLATE NOCASE AND a7 < ? COLLATE NOCASE AND (a7  like ?)"));
    EXPECT_EQ(c.params, (QVariantList{s("12"), s("13"), s("12*")}));

    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    const std::pair<const char*, const char*> searches[] = {
        {"Rechnungen|a7 LIKE ?|123*", "Rechnungen_a7_suche"}, {"Kunden|a2 LIKE ?|Mül*", "Kunden_name"},
        {"Kunden|IFNULL(a2, '') LIKE ?|Mül*", "Kunden_name"}, {"Artikel|IFNULL(a3, '') LIKE ?|Kupfer*", "Artikel_a3"},
        {"Artikel|a2 LIKE ?|A-1*", "Artikel_a2"},
    };
    for (const auto& [search, index] : searches) {
        const QStringList part = s(search).split(QLatin1Char('|'));
        const SearchCriterion r = rewrite(part[1], {part[2]});
        EXPECT_NE(plan(t, s("SELECT ID FROM ") + part[0] + s(" WHERE ") + r.sql, r.params).indexOf(s(index)), -1)
            << search;
    }
    // The name search reads documents in ID order from the small index of the name fields.
    EXPECT_NE(plan(t, s("SELECT ID FROM Rechnungen WHERE (a2 LIKE ? OR a3 LIKE ?) AND ID >= ? ORDER BY ID"),
                   {s("*x*"), s("*x*"), 1})
                  .indexOf(s("COVERING INDEX Rechnungen_namen")),
              -1);
    // The overview's month filter reads one year from its index.
    const auto month = overview::monthFilter(s("März"), s("2024"), overview::PaidState::Paid);
    ASSERT_TRUE(month);
    EXPECT_NE(plan(t, month->sql, month->params).indexOf(s("Rechnungen_jahr")), -1);
}
