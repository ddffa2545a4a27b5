#include "documents/DocumentChanges.h"

#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QSqlQuery>

using namespace quittora;
using quittora::test::TempDatabase;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

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
    // Stores with a number wanted; claim tells what was taken.
    bool store(qint64 id, const QHash<QString, QString>& changes, qint64 settingsId = -1)
    {
        reason.clear();
        claim = NumberClaim();
        claim.wanted = true;
        return storeDocumentChanges(db.db(), id, changes, settingsId < 0 ? settings : settingsId, &claim, &reason);
    }
    // Number and amount of a document, and the next number: "1000|119,00|1001".
    QString state(qint64 id) const
    {
        return db.field(u("Rechnungen"), id, u("a7")).toString() + u("|") + db.field(u("Rechnungen"), id, u("a6")).toString()
               + u("|") + db.setting(u("Rechnungsnummer")).toString();
    }

    TempDatabase db;
    qint64 document = 0;
    qint64 settings = 0;
    NumberClaim claim;
    QString reason;
};

} // namespace

TEST_F(DocumentChanges, TheNumberIsTakenAsStoredNotAsPrepared)
{
    // Two runs prepared while the next number was 1000; the one that stores
    // second gets 1001, never 1000 a second time.
    const qint64 other = db.addDocument({}, u("16.03.2024"));
    ASSERT_TRUE(store(document, {{u("a7"), u("1000")}, {u("a6"), u("119,00")}})) << reason.toStdString();
    EXPECT_EQ(claim.number, u("1000"));
    ASSERT_TRUE(store(other, {{u("a7"), u("1000")}})) << reason.toStdString();
    EXPECT_EQ(claim.number + u("|") + claim.nextNumber, u("1001|1002"));
    EXPECT_EQ(state(document) + u(" ") + state(other), u("1000|119,00|1002 1001||1002"));

    // Numbered meanwhile by another run: it keeps its number and uses up none.
    ASSERT_TRUE(store(document, {{u("a7"), u("1002")}}));
    EXPECT_EQ(claim.number + u("|") + claim.nextNumber, u("1000|"));
    EXPECT_EQ(state(document), u("1000|119,00|1002"));
}

TEST_F(DocumentChanges, ANumberAnotherInvoiceCarriesOrAFailureStoresNothingAndUsesUpNoNumber)
{
    const qint64 gone = db.addDocument({}, u("17.03.2024"));
    ASSERT_TRUE(db.exec(u("DELETE FROM Rechnungen WHERE ID = ?"), {gone}));
    const struct {
        const char* what;
        qint64 id, settingsId;
        const char* nextNumber;
    } cases[] = {
        {"document deleted meanwhile", gone, -1, "1000"},
        {"settings record gone", document, settings + 999, "1000"},
        {"no next number set", document, -1, " "},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET Rechnungsnummer = ?"), {u(c.nextNumber)}));
        EXPECT_FALSE(store(c.id, {{u("a6"), u("5,00")}}, c.settingsId)) << c.what;
        EXPECT_FALSE(reason.isEmpty()) << c.what;
        EXPECT_EQ(state(document), u("||") + u(c.nextNumber)) << c.what;
    }

    // The next number is carried by another invoice: refused, naming it.
    ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET Rechnungsnummer = '1000'")));
    db.addDocument(u("1000"), u("01.03.2024"), u("Rechnung"), false, {{u("a2"), u("Erika Muster")}});
    EXPECT_FALSE(store(document, {{u("a6"), u("1,00")}}));
    EXPECT_TRUE(reason.contains(u("1000")) && reason.contains(u("01.03.2024")) && reason.contains(u("Erika Muster")))
        << reason.toStdString();
    EXPECT_EQ(state(document), u("||1000"));
}
