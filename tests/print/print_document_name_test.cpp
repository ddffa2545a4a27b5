#include "print/PrintDocumentName.h"

#include "support/TempDatabase.h"

#include <gtest/gtest.h>

using namespace quittora;

TEST(PrintDocumentName, TheOfferedFileNameNamesTheDocument)
{
    quittora::test::TempDatabase db;
    ASSERT_TRUE(db.isValid());
    const qint64 invoice = db.addDocument(QStringLiteral("1000"), QStringLiteral("01.03.2024"));
    const qint64 quote = db.addDocument(QString(), QStringLiteral("01.03.2024"), QStringLiteral("Angebot"));
    const qint64 odd = db.addDocument(QStringLiteral("2024/7"), QStringLiteral("01.03.2024"));
    EXPECT_EQ(printDocumentName(db.db(), invoice, PrintedDocument::Invoice), QStringLiteral("Rechnung 1000"));
    EXPECT_EQ(printDocumentName(db.db(), invoice, PrintedDocument::DeliveryNote), QStringLiteral("Lieferschein 1000"));
    EXPECT_EQ(printDocumentName(db.db(), quote, PrintedDocument::Invoice), QStringLiteral("Angebot"));
    EXPECT_EQ(printDocumentName(db.db(), odd, PrintedDocument::Invoice), QStringLiteral("Rechnung 20247"));
    EXPECT_EQ(printDocumentName(db.db(), 999999, PrintedDocument::Invoice), QStringLiteral("Quittora pro"));
}
