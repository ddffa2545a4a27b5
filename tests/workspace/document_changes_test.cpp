#include "documents/DocumentChanges.h"

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

NumberClaim wanted()
{
    NumberClaim c;
    c.wanted = true;
    return c;
}

// The template's next number is 1000.
class DocumentChanges : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.isValid()) << db.error().toStdString();
        document = db.addDocument({}, u("15.03.2024"));
        QSqlQuery q(db.connection());
        q.exec(u("SELECT ID FROM Einstellungen"));
        settings = q.next() ? q.value(0).toLongLong() : -1;
    }

    bool store(qint64 id, const QHash<QString, QString>& changes, NumberClaim* claim, qint64 settingsId = -1)
    {
        reason.clear();
        return storeDocumentChanges(db.db(), id, changes, settingsId < 0 ? settings : settingsId, claim, &reason);
    }
    QString number(qint64 id) const { return db.field(u("Rechnungen"), id, u("a7")).toString(); }
    QString next() const { return db.setting(u("Rechnungsnummer")).toString(); }

    TempDatabase db;
    qint64 document = 0;
    qint64 settings = 0;
    QString reason;
};

} // namespace

TEST_F(DocumentChanges, TheNumberIsTakenAsStoredNotAsPrepared)
{
    // Two runs prepared while the next number was 1000; the one that stores
    // second gets 1001, never 1000 a second time.
    const qint64 other = db.addDocument({}, u("16.03.2024"));
    NumberClaim first = wanted();
    ASSERT_TRUE(store(document, {{u("a7"), u("1000")}, {u("a6"), u("119,00")}}, &first)) << reason.toStdString();
    NumberClaim second = wanted();
    ASSERT_TRUE(store(other, {{u("a7"), u("1000")}}, &second)) << reason.toStdString();
    EXPECT_EQ(first.number, u("1000"));
    EXPECT_EQ(second.number, u("1001"));
    EXPECT_EQ(second.nextNumber, u("1002"));
    EXPECT_EQ(number(document), u("1000"));
    EXPECT_EQ(number(other), u("1001"));
    EXPECT_EQ(db.field(u("Rechnungen"), document, u("a6")).toString(), u("119,00"));
    EXPECT_EQ(next(), u("1002"));

    // Numbered meanwhile by another run: it keeps its number and uses up none.
    NumberClaim again = wanted();
    ASSERT_TRUE(store(document, {{u("a7"), u("1002")}}, &again));
    EXPECT_EQ(again.number, u("1000"));
    EXPECT_TRUE(again.nextNumber.isEmpty());
    EXPECT_EQ(number(document), u("1000"));
    EXPECT_EQ(next(), u("1002"));
}

TEST_F(DocumentChanges, ANumberAnotherInvoiceCarriesIsRefusedNamingIt)
{
    db.addDocument(u("1000"), u("01.03.2024"), u("Rechnung"), false, {{u("a2"), u("Erika Muster")}});
    NumberClaim claim = wanted();
    EXPECT_FALSE(store(document, {{u("a6"), u("1,00")}}, &claim));
    EXPECT_TRUE(reason.contains(u("1000")) && reason.contains(u("01.03.2024")) && reason.contains(u("Erika Muster")))
        << reason.toStdString();
    EXPECT_EQ(number(document), QString());
    EXPECT_EQ(db.field(u("Rechnungen"), document, u("a6")).toString(), QString());
    EXPECT_EQ(next(), u("1000"));
}

TEST_F(DocumentChanges, AFailureStoresNothingAndUsesUpNoNumber)
{
    const qint64 gone = db.addDocument({}, u("17.03.2024"));
    ASSERT_TRUE(db.exec(u("DELETE FROM Rechnungen WHERE ID = ?"), {gone}));
    struct Case {
        const char* what;
        qint64 id;
        qint64 settingsId;
        const char* nextNumber;
    } cases[] = {
        {"document deleted meanwhile", gone, -1, "1000"},
        {"settings record gone", document, settings + 999, "1000"},
        {"no next number set", document, -1, " "},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET Rechnungsnummer = ?"), {u(c.nextNumber)}));
        NumberClaim claim = wanted();
        EXPECT_FALSE(store(c.id, {{u("a6"), u("5,00")}}, &claim, c.settingsId)) << c.what;
        EXPECT_FALSE(reason.isEmpty()) << c.what;
        EXPECT_EQ(next(), u(c.nextNumber)) << c.what;
        EXPECT_EQ(number(document), QString()) << c.what;
        EXPECT_EQ(db.field(u("Rechnungen"), document, u("a6")).toString(), QString()) << c.what;
    }
    // Nothing to store needs no document at all.
    EXPECT_TRUE(store(gone, {}, nullptr));
}
