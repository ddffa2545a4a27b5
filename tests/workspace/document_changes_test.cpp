#include "workspace/DocumentChanges.h"

#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QSqlQuery>

using namespace quittora;
using quittora::test::TempDatabase;

namespace {

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

class DocumentChanges : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.isValid()) << db.error().toStdString();
        document = db.addDocument({}, u("15.03.2024"));
    }

    qint64 settingsRecord() const
    {
        QSqlQuery q(db.connection());
        q.exec(u("SELECT ID FROM Einstellungen"));
        return q.next() ? q.value(0).toLongLong() : -1;
    }

    TempDatabase db;
    qint64 document = 0;
};

} // namespace

TEST_F(DocumentChanges, NumberTotalsAndNextNumberAreStoredTogether)
{
    QString reason;
    ASSERT_TRUE(storeDocumentChanges(db.db(), document, {{u("a7"), u("1000")}, {u("a6"), u("119,00")}},
                                     settingsRecord(), u("1001"), &reason))
        << reason.toStdString();
    EXPECT_EQ(db.field(u("Rechnungen"), document, u("a7")).toString(), u("1000"));
    EXPECT_EQ(db.field(u("Rechnungen"), document, u("a6")).toString(), u("119,00"));
    EXPECT_EQ(db.setting(u("Rechnungsnummer")).toString(), u("1001"));
}

TEST_F(DocumentChanges, ADocumentThatIsGoneUsesUpNoNumber)
{
    // Deleted meanwhile (another window, a restore): the next number must not
    // move, or the numbering gets a gap the tax office asks about.
    ASSERT_TRUE(db.exec(u("DELETE FROM Rechnungen WHERE ID = ?"), {document}));
    QString reason;
    EXPECT_FALSE(storeDocumentChanges(db.db(), document, {{u("a7"), u("1000")}}, settingsRecord(), u("1001"),
                                      &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(db.setting(u("Rechnungsnummer")).toString(), u("1000"));
}

TEST_F(DocumentChanges, MissingSettingsUndoTheDocumentsChanges)
{
    QString reason;
    EXPECT_FALSE(storeDocumentChanges(db.db(), document, {{u("a7"), u("1000")}}, settingsRecord() + 999, u("1001"),
                                      &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(db.field(u("Rechnungen"), document, u("a7")).toString(), QString());
}

TEST_F(DocumentChanges, NothingToStoreSucceedsWithoutTouchingTheFile)
{
    QString reason;
    EXPECT_TRUE(storeDocumentChanges(db.db(), document + 999, {}, settingsRecord(), {}, &reason));
    EXPECT_TRUE(reason.isEmpty());
}
