#include "data/Decimal.h"
#include "workspace/CustomersArticles.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace quittora;

namespace {

std::optional<Decimal> num(const char* text)
{
    return Decimal::fromString(QString::fromLatin1(text));
}

TEST(CustomerAddress, ClipboardTextHasNameAdditionStreetBlankLineAndPlace)
{
    customers::Address a;
    a.name = QStringLiteral("Müller");
    a.firstName = QStringLiteral("Hans");
    a.addition = QStringLiteral("Bäckerei");
    a.street = QStringLiteral("Hauptstr. 1");
    a.place = QStringLiteral("12345 Ort");
    EXPECT_EQ(customers::clipboardText(a),
              QStringLiteral("Hans Müller\r\nBäckerei\r\nHauptstr. 1\r\n\r\n12345 Ort"));
    a.firstName.clear();
    a.addition.clear();
    EXPECT_EQ(customers::clipboardText(a), QStringLiteral("Müller\r\nHauptstr. 1\r\n\r\n12345 Ort"));
}

TEST(CustomerAddress, SalutationAndAdditionAloneAreNothingToCopy)
{
    customers::Address a;
    a.salutation = QStringLiteral("Herrn");
    a.addition = QStringLiteral("z. Hd.");
    EXPECT_TRUE(customers::isEmptyForCopy(a));
    a.fax = QStringLiteral("1");
    EXPECT_FALSE(customers::isEmptyForCopy(a));
}

TEST(CustomerAddress, ExchangeFileRoundTripsEveryField)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/Faktu_50.tmp"));
    customers::Address a{QStringLiteral("Frau"), QStringLiteral("Schmidt"), QStringLiteral("Eva"), QString(),
                         QStringLiteral("Weg 2"), QStringLiteral("80331 München"), QStringLiteral("089 1"),
                         QStringLiteral("089 2"), QStringLiteral("Notiz, mit Komma")};
    ASSERT_TRUE(customers::writeExchangeFile(path, a));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("\"Frau\"\r\n\"Schmidt\"\r\n\"Eva\"\r\n\"Weg 2\"\r\n"));
    const auto back = customers::readExchangeFile(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->salutation, a.salutation);
    EXPECT_EQ(back->name, a.name);
    EXPECT_EQ(back->firstName, a.firstName);
    EXPECT_EQ(back->street, a.street);
    EXPECT_EQ(back->place, a.place);
    EXPECT_EQ(back->phone, a.phone);
    EXPECT_EQ(back->fax, a.fax);
    EXPECT_EQ(back->notes, a.notes);
    EXPECT_FALSE(customers::readExchangeFile(dir.filePath(QStringLiteral("missing.tmp"))));
}

TEST(CustomerAddress, ExchangeFileIsPerUserNeverInTmp)
{
    const QString path = customers::defaultExchangeFilePath();
    EXPECT_TRUE(path.endsWith(QStringLiteral("/Quittora pro/Faktu_50.tmp")));
    EXPECT_FALSE(path.startsWith(QStringLiteral("/tmp")));
}

TEST(AllFieldsSearch, EveryFieldContainsTheTextAsParameter)
{
    const AllFieldsSearch s = allFieldsSearch({QStringLiteral("a1"), QStringLiteral("n1")}, QStringLiteral("o'k"));
    EXPECT_EQ(s.where, QStringLiteral("WHERE IFNULL(a1, '') LIKE ? OR IFNULL(n1, '') LIKE ?"));
    EXPECT_EQ(s.params, (QVariantList{QStringLiteral("*o'k*"), QStringLiteral("*o'k*")}));
}

TEST(PriceChange, PercentThenAmountInExactCents)
{
    const QChar comma(QLatin1Char(','));
    EXPECT_EQ(articles::changedPrice(QStringLiteral("20,00"), num("10"), std::nullopt, comma), QStringLiteral("22,00"));
    EXPECT_EQ(articles::changedPrice(QStringLiteral("20,00"), num("10"), num("5"), comma), QStringLiteral("27,00"));
    EXPECT_EQ(articles::changedPrice(QStringLiteral("20,00"), std::nullopt, num("-2.5"), comma),
              QStringLiteral("17,50"));
    // Half a cent goes away from zero, also when lowering.
    EXPECT_EQ(articles::changedPrice(QStringLiteral("1,25"), num("10"), std::nullopt, comma), QStringLiteral("1,38"));
    EXPECT_EQ(articles::changedPrice(QStringLiteral("1,25"), num("-10"), std::nullopt, comma), QStringLiteral("1,13"));
    EXPECT_EQ(articles::changedPrice(QStringLiteral("20.00"), num("10"), std::nullopt, QLatin1Char('.')),
              QStringLiteral("22.00"));
}

TEST(PriceChange, PricesBelowOneAreChangedLikeAnyOther)
{
    const QChar comma(QLatin1Char(','));
    EXPECT_EQ(articles::changedPrice(QStringLiteral("0,50"), num("10"), std::nullopt, comma), QStringLiteral("0,55"));
    EXPECT_EQ(articles::changedPrice(QStringLiteral("0,50"), std::nullopt, num("1"), comma), QStringLiteral("1,50"));
    EXPECT_EQ(articles::changedPrice(QStringLiteral("0.50"), num("10"), num("5"), QLatin1Char('.')),
              QStringLiteral("5.55"));
}

TEST(PriceChange, PricesNotAboveZeroStay)
{
    const QChar comma(QLatin1Char(','));
    EXPECT_FALSE(articles::changedPrice(QStringLiteral("0,00"), num("10"), num("1"), comma));
    EXPECT_FALSE(articles::changedPrice(QStringLiteral("0"), num("10"), num("1"), comma));
    EXPECT_FALSE(articles::changedPrice(QString(), num("10"), num("1"), comma));
    EXPECT_FALSE(articles::changedPrice(QStringLiteral("abc"), num("10"), std::nullopt, comma));
    EXPECT_FALSE(articles::changedPrice(QStringLiteral("-3,00"), num("10"), std::nullopt, comma));
}

} // namespace
