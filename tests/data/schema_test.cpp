#include "data/Schema.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QSqlQuery>
#include <QSqlRecord>

using namespace quittora;
using quittora::test::TempDatabase;

namespace {

QStringList columnsOf(const QSqlDatabase& db, const QString& table, QStringList* types = nullptr)
{
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT name, type FROM pragma_table_info('%1')").arg(table));
    QStringList names;
    while (q.next()) {
        names << q.value(0).toString();
        if (types)
            *types << q.value(1).toString();
    }
    return names;
}

int pragma(const QSqlDatabase& db, const char* name)
{
    QSqlQuery q(db);
    q.exec(QStringLiteral("PRAGMA ") + QString::fromLatin1(name));
    return q.next() ? q.value(0).toInt() : -12345;
}

} // namespace

TEST(Schema, TemplateDatabaseHasTheFiveTablesWithExactlyTheirFields)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid()) << t.error().toStdString();
    const QList<QPair<QString, QStringList>> tables = {
        {QStringLiteral("Kunden"), schema::kundenFields()},
        {QStringLiteral("Artikel"), schema::artikelFields()},
        {QStringLiteral("Rechnungen"), schema::rechnungenFields()},
        {QStringLiteral("Verkauf"), schema::verkaufFields()},
        {QStringLiteral("Einstellungen"), schema::einstellungenFields()},
    };
    for (const auto& [table, fields] : tables) {
        QStringList types;
        EXPECT_EQ(columnsOf(t.connection(), table, &types), fields) << table.toStdString();
        for (int i = 0; i < fields.size(); ++i) {
            const QString expected = fields[i] == QLatin1String("ID") || schema::isBooleanField(table, fields[i])
                ? QStringLiteral("INTEGER")
                : QStringLiteral("TEXT");
            EXPECT_EQ(types.value(i), expected) << table.toStdString() << "." << fields[i].toStdString();
        }
    }
    // Fields other windows name by letter must all be there.
    EXPECT_TRUE(schema::artikelFields().contains(QStringLiteral("a40")));
    EXPECT_TRUE(schema::kundenFields().contains(QStringLiteral("a9")));
    EXPECT_TRUE(schema::rechnungenFields().contains(QStringLiteral("a158")));
    EXPECT_TRUE(schema::einstellungenFields().contains(QStringLiteral("Memo10")));
    EXPECT_EQ(schema::einstellungenFields().first(), QStringLiteral("ID"));
}

TEST(Schema, BooleanFieldsAreOnlyPaidAndLetterhead)
{
    EXPECT_TRUE(schema::isBooleanField(QStringLiteral("Rechnungen"), QStringLiteral("opt1")));
    EXPECT_TRUE(schema::isBooleanField(QStringLiteral("Einstellungen"), QStringLiteral("Vordruck")));
    EXPECT_FALSE(schema::isBooleanField(QStringLiteral("Kunden"), QStringLiteral("opt1")));
    EXPECT_FALSE(schema::isBooleanField(QStringLiteral("Rechnungen"), QStringLiteral("a7")));
}

TEST(Schema, PragmasMarkTheFileAsQuittoraOfThisLayout)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    EXPECT_EQ(pragma(t.connection(), "application_id"), schema::kApplicationId);
    EXPECT_EQ(pragma(t.connection(), "user_version"), schema::kUserVersion);
}

TEST(Schema, TemplateHoldsOneSettingsRecordOneCustomerAndOneArticle)
{
    TempDatabase t(QLatin1Char(','));
    ASSERT_TRUE(t.isValid());
    EXPECT_EQ(t.count(QStringLiteral("Einstellungen")), 1);
    EXPECT_EQ(t.count(QStringLiteral("Kunden")), 1);
    EXPECT_EQ(t.count(QStringLiteral("Artikel")), 1);
    EXPECT_EQ(t.count(QStringLiteral("Rechnungen")), 0);
    EXPECT_EQ(t.count(QStringLiteral("Verkauf")), 0);

    EXPECT_EQ(t.setting(QStringLiteral("MWSt")).toString(), QStringLiteral("19"));
    EXPECT_EQ(t.setting(QStringLiteral("frei9")).toString(), QStringLiteral("7"));
    EXPECT_EQ(t.setting(QStringLiteral("frei8")).toString(), QStringLiteral("EUR"));
    EXPECT_EQ(t.setting(QStringLiteral("frei1")).toString(), QStringLiteral("1"));
    EXPECT_EQ(t.setting(QStringLiteral("Rechnungsnummer")).toString(), QStringLiteral("1000"));
    EXPECT_EQ(t.setting(QStringLiteral("Vordruck")).toInt(), -1);
    EXPECT_EQ(t.setting(QStringLiteral("Einst18")).toString(), QStringLiteral("10"));
    EXPECT_EQ(t.setting(QStringLiteral("Einst19")).toString(), QStringLiteral("0"));
    EXPECT_EQ(t.setting(QStringLiteral("Titel")).toString(), QStringLiteral("Ihre Firma"));
    EXPECT_EQ(t.setting(QStringLiteral("Memo7")).toString(), QStringLiteral("Wir danken Ihnen für Ihre Bestellung"));
    EXPECT_EQ(t.setting(QStringLiteral("Memo8")).toString(), QStringLiteral("Ware erhalten / in Empfang genommen"));
    for (const char* memo : {"Memo1", "Memo2", "Memo3", "Memo4", "Memo5", "Memo6"})
        EXPECT_FALSE(t.setting(QString::fromLatin1(memo)).toString().isEmpty()) << memo;
    EXPECT_TRUE(t.setting(QStringLiteral("Memo10")).toString().isEmpty());

    QSqlQuery q(t.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT a4, a19 FROM Artikel")) && q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("10,00"));
    EXPECT_EQ(q.value(1).toString(), QStringLiteral("19"));
}

TEST(Schema, TemplateArticlePriceUsesTheGivenDecimalSeparator)
{
    TempDatabase t(QLatin1Char('.'));
    ASSERT_TRUE(t.isValid());
    QSqlQuery q(t.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT a4 FROM Artikel")) && q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("10.00"));
}

TEST(Schema, SortKundenReturnsAllCustomerFieldsOrderedByNameThenFirstName)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    t.addCustomer(QStringLiteral("zander"), QStringLiteral("Ute"));
    t.addCustomer(QStringLiteral("Adler"), QStringLiteral("bernd"));
    t.addCustomer(QStringLiteral("adler"), QStringLiteral("Anna"));
    t.addCustomer(QStringLiteral("Becker"), QStringLiteral("Jan"));
    EXPECT_EQ(columnsOf(t.connection(), QStringLiteral("SortKunden")), schema::kundenFields());

    QSqlQuery q(t.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT a2, a3 FROM SortKunden")));
    QStringList order;
    while (q.next())
        order << q.value(0).toString() + QLatin1Char(' ') + q.value(1).toString();
    EXPECT_EQ(order, (QStringList{QStringLiteral("adler Anna"), QStringLiteral("Adler bernd"),
                                  QStringLiteral("Becker Jan"), QStringLiteral("Mustermann Max"),
                                  QStringLiteral("zander Ute")}));
}

TEST(Schema, NewRecordsStartWithEmptyTextAndUnpaid)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    const qint64 id = t.insert(QStringLiteral("Rechnungen"), {});
    EXPECT_EQ(t.field(QStringLiteral("Rechnungen"), id, QStringLiteral("opt1")).toInt(), 0);
    EXPECT_FALSE(t.field(QStringLiteral("Rechnungen"), id, QStringLiteral("a7")).isNull());
    EXPECT_EQ(t.count(QStringLiteral("Rechnungen"), QStringLiteral("a2 LIKE '**'")), 1);
}

TEST(Schema, YesNoFieldsAcceptOnlyMinusOneAndZero)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    QSqlQuery q(t.connection());
    EXPECT_FALSE(q.exec(QStringLiteral("INSERT INTO Rechnungen (opt1) VALUES (1)")));
    EXPECT_TRUE(q.exec(QStringLiteral("INSERT INTO Rechnungen (opt1) VALUES (-1)")));
}

TEST(Schema, CreateSchemaOnANonEmptyDatabaseCreatesNothing)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    QString error;
    EXPECT_FALSE(schema::createSchema(t.connection(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(t.count(QStringLiteral("Kunden")), 1);
}
