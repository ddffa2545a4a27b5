#include "data/SqlFunctions.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QSqlError>
#include <QSqlQuery>

using namespace quittora;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// The result of one expression with bound values, as text ("<NULL>" for NULL).
QString eval(const TempDatabase& t, const QString& expression, const QVariantList& params = {})
{
    QSqlQuery q(t.connection());
    if (!q.prepare(QStringLiteral("SELECT ") + expression))
        return QStringLiteral("<error %1>").arg(q.lastError().text());
    for (const QVariant& p : params)
        q.addBindValue(p);
    if (!q.exec() || !q.next())
        return QStringLiteral("<error %1>").arg(q.lastError().text());
    return q.isNull(0) ? QStringLiteral("<NULL>") : q.value(0).toString();
}

bool like(const TempDatabase& t, const QString& text, const QString& pattern)
{
    return eval(t, s("? LIKE ?"), {text, pattern}) == QLatin1String("1");
}

} // namespace

TEST(SqlFunctions, LikeUsesTheProgramsWildcards)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    EXPECT_TRUE(like(t, s("Müller"), s("M*")));
    EXPECT_TRUE(like(t, s("MÜLLER"), s("*ül*")));
    EXPECT_TRUE(like(t, s("Meier"), s("M?ier")));
    EXPECT_TRUE(like(t, s("R2024"), s("R####")));
    EXPECT_FALSE(like(t, s("RX024"), s("R####")));
    EXPECT_TRUE(like(t, s("Bauer"), s("[A-C]*")));
    EXPECT_FALSE(like(t, s("Bauer"), s("[!A-C]*")));
    // '%' and '_' are plain characters now.
    EXPECT_TRUE(like(t, s("100%"), s("100%")));
    EXPECT_FALSE(like(t, s("1000"), s("100%")));
    EXPECT_FALSE(like(t, s("ab"), s("a_")));
    EXPECT_TRUE(like(t, s("a[b"), s("a[b")));
    EXPECT_EQ(eval(t, s("NULL LIKE '*'")), s("<NULL>"));
    EXPECT_EQ(eval(t, s("? NOT LIKE ?"), {s("Zander"), s("A*")}), s("1"));
}

TEST(SqlFunctions, LikeComparesNumbersAsText)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    const qint64 id = t.addDocument(s("1000"), s("01.01.2024"), s("Rechnung"), true);
    EXPECT_EQ(t.count(s("Rechnungen"), s("ID LIKE ?"), {QString::number(id)}), 1);
    EXPECT_EQ(t.count(s("Rechnungen"), s("opt1 LIKE ?"), {s("-1")}), 1);
}

TEST(SqlFunctions, LikeSearchesOverTableFieldsWithBoundPatterns)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    t.addCustomer(s("Groß"), s("Anna"), {{s("a5"), s("80331 München")}});
    t.addCustomer(s("O'Neill"), s("Sean"));
    t.addCustomer(s("50% Rabatt GmbH"));
    EXPECT_EQ(t.count(s("Kunden"), s("a5 LIKE ? OR a2 LIKE ?"), {s("*münchen*"), s("*münchen*")}), 1);
    EXPECT_EQ(t.count(s("Kunden"), s("a2 LIKE ?"), {s("gro*")}), 1);
    EXPECT_EQ(t.count(s("Kunden"), s("a2 LIKE ?"), {s("O'*")}), 1);
    EXPECT_EQ(t.count(s("Kunden"), s("a2 LIKE ?"), {s("*%*")}), 1);
    EXPECT_EQ(t.count(s("Kunden"), s("a2 LIKE ?"), {s("*")}), 4);
}

TEST(SqlFunctions, MidAndLeftCountCharacters)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    EXPECT_EQ(eval(t, s("Mid(?, 3, 2)"), {s("Größe")}), s("öß"));
    EXPECT_EQ(eval(t, s("Mid(?, 4)"), {s("17.11.2024")}), s("11.2024"));
    EXPECT_EQ(eval(t, s("Mid(?, 9, 5)"), {s("17.11.2024")}), s("24"));
    EXPECT_EQ(eval(t, s("Mid(?, 20, 2)"), {s("17.11.2024")}), QString());
    EXPECT_EQ(eval(t, s("Mid(?, 0, 2)"), {s("abc")}), s("<NULL>"));
    EXPECT_EQ(eval(t, s("Mid(NULL, 1, 2)")), s("<NULL>"));
    EXPECT_EQ(eval(t, s("[Left](?, 2)"), {s("Äpfel")}), s("Äp"));
    EXPECT_EQ(eval(t, s("[Left](?, 10)"), {s("Äpfel")}), s("Äpfel"));
    EXPECT_EQ(eval(t, s("\"Left\"(?, 0)"), {s("Äpfel")}), QString());
    EXPECT_EQ(eval(t, s("Mid(a156, 1, 2) FROM (SELECT 'Angebot' AS a156)")), s("An"));
}

TEST(SqlFunctions, ValReadsTheLeadingNumber)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    EXPECT_EQ(eval(t, s("Val(?)"), {s("0815")}), s("815"));
    EXPECT_EQ(eval(t, s("Val(?)"), {s("12,50")}), s("12"));
    EXPECT_EQ(eval(t, s("Val(?)"), {s("abc")}), s("0"));
    EXPECT_EQ(eval(t, s("Val(?)"), {s("2.5")}), s("2.5"));
    EXPECT_EQ(eval(t, s("Val(?) = 12"), {s("12 Stück")}), s("1"));
    EXPECT_EQ(eval(t, s("typeof(Val(?))"), {s("7")}), s("integer"));
    EXPECT_EQ(eval(t, s("Val(-1)")), s("-1"));
}

TEST(SqlFunctions, TheOverviewFiltersByMonthYearKindAndPaid)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    t.addDocument(s("1000"), s("05.03.2024"), s("Rechnung"), false);
    t.addDocument(s("1001"), s("17.03.2024"), s("Rechnung"), true);
    t.addDocument(s("1002"), s("17.03.2024"), s("Angebot"), false);
    t.addDocument(s("1003"), s("17.11.2024"), s("Rechnung"), false);
    t.addDocument(s("1004"), s("01.03.2023"), s("Rechnung"), false);
    const QString where = s("Mid(a8,4,2) = ? AND Mid(a8,7,4) = ? AND Mid(a156,1,2) <> ? AND Val(opt1) = ?");
    EXPECT_EQ(t.count(s("Rechnungen"), where, {s("03"), s("2024"), s("An"), 0}), 1);
    EXPECT_EQ(t.count(s("Rechnungen"), where, {s("03"), s("2024"), s("An"), -1}), 1);
    EXPECT_EQ(t.count(s("Rechnungen"), where, {s("11"), s("2024"), s("An"), 0}), 1);
    EXPECT_EQ(t.count(s("Rechnungen"), s("Mid(a8,7,4) = ? AND Val(opt1) = ?"), {s("2024"), 0}), 3);

    QSqlQuery q(t.connection());
    ASSERT_TRUE(q.exec(s("SELECT a7 FROM Rechnungen ORDER BY Val(a7) DESC LIMIT 1")) && q.next());
    EXPECT_EQ(q.value(0).toString(), s("1004"));
}

TEST(SqlFunctions, RegistrationNeedsAnOpenSqliteConnection)
{
    EXPECT_FALSE(registerSqlFunctions(QSqlDatabase()));
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    EXPECT_TRUE(registerSqlFunctions(t.connection()));
}
