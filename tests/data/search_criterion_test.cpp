#include "data/JetLike.h"
#include "data/Schema.h"
#include "data/SearchCriterion.h"
#include "export/Overview.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

#include <optional>

using namespace quittora;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

FieldKind kindInTables(const QString& field)
{
    if (field == QLatin1String("ID"))
        return FieldKind::RowId;
    if (field == QLatin1String("opt1"))
        return FieldKind::Other;
    return FieldKind::Text;
}

SearchCriterion rewrite(const QString& criterion, const QVariantList& params)
{
    return indexableCriterion(criterion, params, kindInTables);
}

QSet<qint64> ids(const TempDatabase& t, const QString& table, const QString& where, const QVariantList& params)
{
    QSqlQuery q(t.connection());
    QSet<qint64> out;
    if (!q.prepare(QStringLiteral("SELECT ID FROM ") + table + QStringLiteral(" WHERE ") + where)) {
        ADD_FAILURE() << q.lastError().text().toStdString();
        return out;
    }
    for (const QVariant& p : params)
        q.addBindValue(p);
    if (!q.exec()) {
        ADD_FAILURE() << q.lastError().text().toStdString();
        return out;
    }
    while (q.next())
        out.insert(q.value(0).toLongLong());
    return out;
}

QString queryPlan(const TempDatabase& t, const QString& sql, const QVariantList& params)
{
    QSqlQuery q(t.connection());
    if (!q.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + sql))
        return q.lastError().text();
    for (const QVariant& p : params)
        q.addBindValue(p);
    if (!q.exec())
        return q.lastError().text();
    QStringList steps;
    while (q.next())
        steps << q.value(3).toString();
    return steps.join(QStringLiteral(" | "));
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

// Patterns as search as you type makes them, and a few with wildcards.
QStringList patternsFor(const QStringList& texts)
{
    QStringList patterns;
    for (const QString& text : texts) {
        for (qsizetype n = 1; n <= text.size(); ++n) {
            // Nobody types half a character.
            if (text.at(n - 1).isHighSurrogate())
                continue;
            patterns << text.left(n) + QLatin1Char('*');
            patterns << text.left(n);
        }
    }
    patterns << s("12?*") << s("1#*") << s("[mM]*") << s("*ll*") << s("a[!b]*") << s("*") << s("") << s("a@*")
             << s("A\u007F*") << s("z*") << s("~*") << s("k*") << s("s*") << s("K") << s("S*");
    patterns.removeDuplicates();
    return patterns;
}

} // namespace

TEST(LikePrefixRange, TakesTheLeadingCharactersThatNocaseComparesAsTheProgramDoes)
{
    const auto range = [](const char* pattern) { return likePrefixRange(s(pattern)); };
    ASSERT_TRUE(range("123*"));
    EXPECT_EQ(range("123*")->low, s("123"));
    EXPECT_EQ(range("123*")->high, s("124"));
    // Letters go in lower case, as NOCASE compares them.
    EXPECT_EQ(range("BAU*")->low, s("bau"));
    EXPECT_EQ(range("BAU*")->high, s("bav"));
    // Up to the first wildcard or umlaut; the pattern still decides the rest.
    EXPECT_EQ(range("Mül*")->low, s("m"));
    EXPECT_EQ(range("ab?d")->low, s("ab"));
    EXPECT_EQ(range("ab#*")->low, s("ab"));
    EXPECT_EQ(range("a[bc]*")->low, s("a"));
    EXPECT_EQ(range("a[bc]*")->high, s("b"));
    // "k" and "s" are also matched by the Kelvin sign and the long s.
    EXPECT_EQ(range("bask*")->low, s("ba"));
    // No range where it would be everything.
    EXPECT_FALSE(range("*text*"));
    EXPECT_FALSE(range("Ärzte*"));
    EXPECT_FALSE(range("Kaiser*"));
    EXPECT_FALSE(range("schmidt"));
    EXPECT_FALSE(range("?12"));
    EXPECT_FALSE(range(""));
}

TEST(SearchCriterion, APrefixRangeSelectsExactlyTheRecordsThePatternSelects)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    QStringList texts;
    for (const char* text : kTrickyTexts) {
        texts << s(text);
        t.addCustomer(s(text));
    }
    // A NULL name never matches.
    const qint64 nullName = t.addCustomer(s("vorläufig"));
    ASSERT_TRUE(t.exec(s("UPDATE Kunden SET a2 = NULL WHERE ID = ?"), {nullName}));

    const QStringList patterns = patternsFor(texts);
    ASSERT_GT(patterns.size(), 300);
    int rewritten = 0;
    for (const QString& pattern : patterns) {
        const SearchCriterion c = rewrite(s("a2 LIKE ?"), {pattern});
        if (c.indexed)
            ++rewritten;
        const QSet<qint64> expected = ids(t, s("Kunden"), s("a2 LIKE ?"), {pattern});
        EXPECT_EQ(ids(t, s("Kunden"), c.sql, c.params), expected) << "pattern " << pattern.toStdString();
        // The form the customer and article searches use, where a missing
        // name counts as empty text.
        const QString withEmpty = s("IFNULL(a2, '') LIKE ?");
        const SearchCriterion e = rewrite(withEmpty, {pattern});
        EXPECT_EQ(e.indexed, c.indexed);
        EXPECT_EQ(ids(t, s("Kunden"), e.sql, e.params), ids(t, s("Kunden"), withEmpty, {pattern}))
            << "pattern " << pattern.toStdString();
        // And the pattern is what it claims to be: the program's own matching.
        QSet<qint64> byHand;
        QSqlQuery q(t.connection());
        ASSERT_TRUE(q.exec(s("SELECT ID, a2 FROM Kunden WHERE a2 IS NOT NULL")));
        while (q.next()) {
            if (jetLike(q.value(1).toString(), pattern))
                byHand.insert(q.value(0).toLongLong());
        }
        EXPECT_EQ(expected, byHand) << "pattern " << pattern.toStdString();
    }
    // Most typed prefixes do become ranges.
    EXPECT_GT(rewritten, 150);
}

TEST(SearchCriterion, AnIdSearchForAWholeNumberBecomesAKeyLookUp)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    for (int i = 0; i < 30; ++i)
        t.addCustomer(QStringLiteral("Kunde %1").arg(i));
    const SearchCriterion c = rewrite(s("ID LIKE ?"), {s("12")});
    EXPECT_EQ(c.sql, s("ID = ?"));
    EXPECT_EQ(c.params, QVariantList{12});
    EXPECT_TRUE(c.indexed);
    EXPECT_EQ(ids(t, s("Kunden"), c.sql, c.params), QSet<qint64>{12});
    EXPECT_NE(queryPlan(t, s("SELECT ID FROM Kunden WHERE ") + c.sql, c.params).indexOf(s("PRIMARY KEY")), -1);
    // Anything that is not how the number reads stays a pattern, and finds the same.
    for (const char* pattern : {"012", "+12", " 12", "12 ", "1*", "-1", "1?", "", "99999999999999999999", "0"}) {
        const SearchCriterion other = rewrite(s("ID LIKE ?"), {s(pattern)});
        EXPECT_EQ(ids(t, s("Kunden"), other.sql, other.params), ids(t, s("Kunden"), s("ID LIKE ?"), {s(pattern)}))
            << pattern;
    }
    EXPECT_EQ(rewrite(s("ID LIKE ?"), {s("012")}).sql, s("ID LIKE ?"));
}

TEST(SearchCriterion, OtherCriteriaStayAsTheyAre)
{
    const QVariantList one{s("12*")};
    EXPECT_EQ(rewrite(s("a2 LIKE ? OR a3 LIKE ?"), {s("12*"), s("12*")}).sql, s("a2 LIKE ? OR a3 LIKE ?"));
    EXPECT_EQ(rewrite(s("a2 NOT LIKE ?"), one).sql, s("a2 NOT LIKE ?"));
    EXPECT_EQ(rewrite(s("a2 LIKE ? ESCAPE '!'"), one).sql, s("a2 LIKE ? ESCAPE '!'"));
    EXPECT_EQ(rewrite(s("opt1 LIKE ?"), one).sql, s("opt1 LIKE ?"));
    EXPECT_EQ(rewrite(s("a2 LIKE ?"), {12}).sql, s("a2 LIKE ?"));
    EXPECT_EQ(rewrite(s("a2 LIKE ?"), {}).sql, s("a2 LIKE ?"));
    EXPECT_EQ(rewrite(s("a2 LIKE '12*'"), {}).sql, s("a2 LIKE '12*'"));
    EXPECT_EQ(rewrite(s("IFNULL(a2, 'x') LIKE ?"), one).sql, s("IFNULL(a2, 'x') LIKE ?"));
    EXPECT_EQ(rewrite(s("IFNULL(a2, '') LIKE ?"), one).sql,
              s("a2 >= ? COLLATE NOCASE AND a2 < ? COLLATE NOCASE AND (IFNULL(a2, '') LIKE ?)"));
    EXPECT_FALSE(rewrite(s("a2 LIKE ?"), {s("*12*")}).indexed);
    const SearchCriterion c = rewrite(s(" a7  like ? "), one);
    EXPECT_TRUE(c.indexed);
    EXPECT_EQ(c.sql, s("a7 >= ? COLLATE NOCASE AND a7 < ? COLLATE NOCASE AND (a7  like ?)"));
    EXPECT_EQ(c.params, (QVariantList{s("12"), s("13"), s("12*")}));
}

TEST(SearchCriterion, SearchesAsYouTypeAreAnsweredByIndexes)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    const auto plan = [&](const QString& table, const QString& criterion, const QString& pattern) {
        const SearchCriterion c = rewrite(criterion, {pattern});
        return queryPlan(t, QStringLiteral("SELECT ID FROM ") + table + QStringLiteral(" WHERE ") + c.sql, c.params);
    };
    EXPECT_NE(plan(s("Rechnungen"), s("a7 LIKE ?"), s("123*")).indexOf(s("Rechnungen_a7_suche")), -1);
    EXPECT_NE(plan(s("Kunden"), s("a2 LIKE ?"), s("Mül*")).indexOf(s("Kunden_name")), -1);
    EXPECT_NE(plan(s("Kunden"), s("IFNULL(a2, '') LIKE ?"), s("Mül*")).indexOf(s("Kunden_name")), -1);
    EXPECT_NE(plan(s("Artikel"), s("IFNULL(a3, '') LIKE ?"), s("Kupfer*")).indexOf(s("Artikel_a3")), -1);
    EXPECT_NE(plan(s("Artikel"), s("a2 LIKE ?"), s("A-1*")).indexOf(s("Artikel_a2")), -1);
    EXPECT_NE(plan(s("Artikel"), s("a3 LIKE ?"), s("Kupfer*")).indexOf(s("Artikel_a3")), -1);
    // The name search reads documents in ID order from the small index of
    // the name fields, not from the table.
    const QString byName = queryPlan(
        t, s("SELECT ID FROM Rechnungen WHERE (a2 LIKE ? OR a3 LIKE ?) AND ID >= ? ORDER BY ID"), {s("*x*"), s("*x*"), 1});
    EXPECT_NE(byName.indexOf(s("COVERING INDEX Rechnungen_namen")), -1) << byName.toStdString();
}

TEST(SearchCriterion, TheOverviewMonthFilterReadsOneYearFromItsIndex)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    const auto source = overview::monthFilter(s("März"), s("2024"), overview::PaidState::Paid);
    ASSERT_TRUE(source);
    EXPECT_NE(queryPlan(t, source->sql, source->params).indexOf(s("Rechnungen_jahr")), -1);
    const auto year = overview::monthFilter(overview::allMonthsEntry(), s("2024"), overview::PaidState::Open);
    ASSERT_TRUE(year);
    EXPECT_NE(queryPlan(t, year->sql, year->params).indexOf(s("Rechnungen_jahr")), -1);
}
