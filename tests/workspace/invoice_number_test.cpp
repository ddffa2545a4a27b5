#include "workspace/InvoiceNumber.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace quittora;

namespace {

const QString kInvoice = QStringLiteral("Rechnung");

} // namespace

TEST(InvoiceNumber, FirstPrintTakesTheNextNumberAsTyped)
{
    const auto a = assignInvoiceNumber(kInvoice, QString(), QStringLiteral("0815"), QLatin1Char(','));
    ASSERT_TRUE(a.assigned());
    EXPECT_EQ(a.number, QStringLiteral("0815"));
    EXPECT_EQ(a.nextNumber, QStringLiteral("816"));

    const auto b = assignInvoiceNumber(kInvoice, QString(), QStringLiteral("2024-17"), QLatin1Char(','));
    EXPECT_EQ(b.number, QStringLiteral("2024-17"));
    EXPECT_EQ(b.nextNumber, QStringLiteral("2025"));
}

TEST(InvoiceNumber, PrintingTwiceAssignsOnce)
{
    auto first = assignInvoiceNumber(kInvoice, QString(), QStringLiteral("100"), QLatin1Char(','));
    ASSERT_TRUE(first.assigned());
    const auto second = assignInvoiceNumber(kInvoice, first.number, first.nextNumber, QLatin1Char(','));
    EXPECT_EQ(second.outcome, InvoiceNumberAssignment::Outcome::Unchanged);
    EXPECT_TRUE(second.number.isEmpty());
    EXPECT_TRUE(second.nextNumber.isEmpty());
}

TEST(InvoiceNumber, QuotesAndOtherKindsNeverGetANumber)
{
    for (const QString& kind : {QStringLiteral("Angebot"), QStringLiteral("rechnung"), QStringLiteral("Rechnung "),
                                QString()})
        EXPECT_EQ(assignInvoiceNumber(kind, QString(), QStringLiteral("100"), QLatin1Char(',')).outcome,
                  InvoiceNumberAssignment::Outcome::Unchanged)
            << kind.toStdString();
}

TEST(InvoiceNumber, MissingNextNumberAssignsNothingAndSaysWhy)
{
    const auto a = assignInvoiceNumber(kInvoice, QString(), QStringLiteral(" "), QLatin1Char(','));
    EXPECT_EQ(a.outcome, InvoiceNumberAssignment::Outcome::NextNumberMissing);
    EXPECT_FALSE(a.assigned());
    EXPECT_TRUE(a.number.isEmpty());
    EXPECT_FALSE(a.message.isEmpty());
}
