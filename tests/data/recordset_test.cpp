#include "data/Recordset.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QSqlQuery>

using namespace quittora;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// Customers in SortKunden order: Adler, Becker, Mustermann (template), Zander.
struct Customers : ::testing::Test {
    TempDatabase t;
    qint64 adler = -1, becker = -1, zander = -1, mustermann = 1;
    void SetUp() override
    {
        ASSERT_TRUE(t.isValid());
        zander = t.addCustomer(s("Zander"), s("Ute"), {{s("a5"), s("80331 München")}});
        adler = t.addCustomer(s("Adler"), s("Anna"), {{s("a5"), s("10115 Berlin")}});
        becker = t.addCustomer(s("becker"), s("Jan"), {{s("a5"), s("20095 Hamburg")}});
    }
    std::unique_ptr<Recordset> open(const QString& source = s("SortKunden"))
    {
        auto rs = std::make_unique<Recordset>(t.db(), s("Kunden"));
        rs->setRecordSource(source);
        EXPECT_TRUE(rs->refresh()) << rs->lastError().toStdString();
        return rs;
    }
};

} // namespace

TEST_F(Customers, MovesThroughTheSetInTheOrderOfTheSource)
{
    auto rs = open();
    ASSERT_EQ(rs->recordCount(), 4);
    EXPECT_EQ(rs->position(), 0);
    EXPECT_FALSE(rs->bof());
    EXPECT_FALSE(rs->eof());
    EXPECT_EQ(rs->currentId(), adler);
    EXPECT_EQ(rs->text(s("a3")), s("Anna"));
    EXPECT_EQ(rs->text(s("A5")), s("10115 Berlin")) << "field names are case-insensitive";

    EXPECT_TRUE(rs->moveNext());
    EXPECT_EQ(rs->currentId(), becker);
    EXPECT_TRUE(rs->moveLast());
    EXPECT_EQ(rs->currentId(), zander);
    EXPECT_EQ(rs->text(s("a5")), s("80331 München"));
    EXPECT_EQ(rs->idAt(2), mustermann);
    EXPECT_EQ(rs->idAt(4), -1);
}

TEST_F(Customers, BofAndEofBehaveLikeADataControl)
{
    auto rs = open();
    rs->moveLast();
    EXPECT_TRUE(rs->moveNext());
    EXPECT_TRUE(rs->eof());
    EXPECT_FALSE(rs->bof());
    EXPECT_EQ(rs->position(), 4);
    EXPECT_FALSE(rs->hasCurrent());
    EXPECT_EQ(rs->currentId(), -1);
    EXPECT_TRUE(rs->text(s("a2")).isEmpty());
    EXPECT_FALSE(rs->moveNext()) << "no move beyond eof";
    EXPECT_EQ(rs->position(), 4);

    EXPECT_TRUE(rs->movePrevious());
    EXPECT_EQ(rs->currentId(), zander);

    rs->moveFirst();
    EXPECT_TRUE(rs->movePrevious());
    EXPECT_TRUE(rs->bof());
    EXPECT_FALSE(rs->eof());
    EXPECT_EQ(rs->position(), -1);
    EXPECT_FALSE(rs->movePrevious());
    EXPECT_TRUE(rs->moveNext());
    EXPECT_EQ(rs->currentId(), adler);
}

TEST_F(Customers, AnEmptySetIsBothBofAndEof)
{
    auto rs = open();
    rs->setRecordSource(s("SELECT * FROM Kunden WHERE a2 = ?"), {s("Niemand")});
    ASSERT_TRUE(rs->refresh());
    EXPECT_EQ(rs->recordCount(), 0);
    EXPECT_TRUE(rs->bof());
    EXPECT_TRUE(rs->eof());
    EXPECT_FALSE(rs->hasCurrent());
    EXPECT_FALSE(rs->moveFirst());
    EXPECT_FALSE(rs->moveLast());
    EXPECT_FALSE(rs->moveNext());
    EXPECT_FALSE(rs->movePrevious());
    EXPECT_FALSE(rs->findFirst(s("a2 LIKE ?"), {s("*")}));
    EXPECT_TRUE(rs->noMatch());
    EXPECT_FALSE(rs->deleteCurrent());
    EXPECT_TRUE(rs->bof() && rs->eof());
}

TEST_F(Customers, ReadsARecordWhenItBecomesCurrent)
{
    auto rs = open();
    t.exec(s("UPDATE Kunden SET a3 = ? WHERE ID = ?"), {s("Johanna"), becker});
    rs->moveNext();
    EXPECT_EQ(rs->text(s("a3")), s("Johanna"));
}

TEST_F(Customers, SelectSourcesTakeParametersAndKeepTheirOrder)
{
    auto rs = open();
    rs->setRecordSource(s("SELECT * FROM Kunden WHERE a5 LIKE ? ORDER BY a3 DESC;"), {s("*[uü]*")});
    ASSERT_TRUE(rs->refresh());
    ASSERT_EQ(rs->recordCount(), 3);
    EXPECT_EQ(rs->idAt(0), zander);
    EXPECT_EQ(rs->idAt(1), mustermann);
    EXPECT_EQ(rs->idAt(2), becker);
}

TEST_F(Customers, ABrokenSourceIsReportedAndKeepsTheSet)
{
    auto rs = open();
    rs->moveNext();
    QSignalSpy failed(rs.get(), &Recordset::writeFailed);
    rs->setRecordSource(s("SELECT * FROM Kunden WHERE nichtda = ?"), {1});
    EXPECT_FALSE(rs->refresh());
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(rs->recordCount(), 4);
    EXPECT_EQ(rs->currentId(), becker);
}

TEST_F(Customers, FindFirstNextPreviousAndNoMatch)
{
    auto rs = open();
    rs->moveLast();
    const QString inTown = s("a5 LIKE ?");
    const QVariantList withR = {s("*r*")}; // Berlin, Hamburg, Musterstadt; not München
    EXPECT_TRUE(rs->findFirst(inTown, withR));
    EXPECT_FALSE(rs->noMatch());
    EXPECT_EQ(rs->currentId(), adler);
    EXPECT_TRUE(rs->findNext(inTown, withR));
    EXPECT_EQ(rs->currentId(), becker);
    EXPECT_TRUE(rs->findNext(inTown, withR));
    EXPECT_EQ(rs->currentId(), mustermann);
    EXPECT_FALSE(rs->findNext(inTown, withR));
    EXPECT_TRUE(rs->noMatch());
    EXPECT_EQ(rs->currentId(), mustermann) << "no match leaves the position";

    EXPECT_TRUE(rs->findPrevious(inTown, withR));
    EXPECT_FALSE(rs->noMatch());
    EXPECT_EQ(rs->currentId(), becker);
    EXPECT_FALSE(rs->findFirst(s("a2 = ?"), {s("Niemand")}));
    EXPECT_TRUE(rs->noMatch());
    EXPECT_EQ(rs->currentId(), becker);

    rs->moveLast();
    rs->moveNext(); // eof: findPrevious starts with the last record
    EXPECT_TRUE(rs->findPrevious(s("a2 LIKE ?"), {s("Z*")}));
    EXPECT_EQ(rs->currentId(), zander);
    EXPECT_TRUE(rs->findFirst(s("ID LIKE ?"), {QString::number(becker)}));
    EXPECT_EQ(rs->currentId(), becker);
    rs->movePrevious();
    rs->movePrevious(); // bof: findNext starts with the first record
    EXPECT_TRUE(rs->findNext(inTown, withR));
    EXPECT_EQ(rs->currentId(), adler);
}

TEST_F(Customers, SearchTextIsOnlyEverText)
{
    const qint64 odd = t.addCustomer(s("O'Brien \"100%\" [x] *"), s("a_b"));
    auto rs = open();
    const QStringList harmless = {s("O'Brien"), s("' OR 1=1 --"), s("100%"), s("%"), s("_"), s("[x]"), s("\""),
                                  s("'; DROP TABLE Kunden; --"), s("["), s("]")};
    for (const QString& text : harmless) {
        rs->findFirst(s("a2 = ?"), {text});
        EXPECT_TRUE(rs->noMatch()) << text.toStdString();
        EXPECT_TRUE(rs->lastError().isEmpty()) << text.toStdString();
    }
    EXPECT_TRUE(rs->findFirst(s("a2 = ?"), {s("O'Brien \"100%\" [x] *")}));
    EXPECT_EQ(rs->currentId(), odd);
    rs->moveFirst();
    EXPECT_TRUE(rs->findFirst(s("a2 LIKE ?"), {s("O'Brien*")}));
    EXPECT_EQ(rs->currentId(), odd);
    EXPECT_EQ(t.count(s("Kunden")), 5);
}

TEST_F(Customers, PendingEditsAreStoredWhenThePositionMoves)
{
    auto rs = open();
    rs->setValue(s("a4"), s("Hauptstraße 1"));
    EXPECT_TRUE(rs->isDirty());
    EXPECT_EQ(rs->text(s("a4")), s("Hauptstraße 1"));
    EXPECT_EQ(t.field(s("Kunden"), adler, s("a4")).toString(), QString()) << "not stored before the move";
    ASSERT_TRUE(rs->moveNext());
    EXPECT_FALSE(rs->isDirty());
    EXPECT_EQ(t.field(s("Kunden"), adler, s("a4")).toString(), s("Hauptstraße 1"));
}

TEST_F(Customers, AboutToLeaveComesBeforeStoringSoBoundControlsCanWriteBack)
{
    auto rs = open();
    QObject::connect(rs.get(), &Recordset::aboutToLeave, rs.get(),
                     [&] { rs->setValue(s("n1"), s("aus dem Feld")); });
    const qint64 left = rs->currentId();
    rs->moveLast();
    EXPECT_EQ(t.field(s("Kunden"), left, s("n1")).toString(), s("aus dem Feld"));
}

TEST_F(Customers, WritingBackAnUnchangedValueIsNoEdit)
{
    auto rs = open();
    rs->setValue(s("a2"), s("Adler"));
    rs->setValue(s("a8"), QVariant()); // empty text and NULL are the same to the user
    EXPECT_FALSE(rs->isDirty());
    rs->setValue(s("a2"), s("Adler-Meier"));
    rs->setValue(s("a2"), s("Adler"));
    EXPECT_FALSE(rs->isDirty());
}

TEST_F(Customers, AddNewAppendsTheStoredRecordAndMakesItCurrent)
{
    auto rs = open();
    rs->moveNext();
    QSignalSpy reloaded(rs.get(), &Recordset::reloaded);
    rs->addNew();
    EXPECT_TRUE(rs->isAdding());
    EXPECT_FALSE(rs->hasCurrent());
    EXPECT_TRUE(rs->text(s("a2")).isEmpty());
    rs->setValue(s("a2"), s("Neumann"));
    ASSERT_TRUE(rs->update());
    EXPECT_FALSE(rs->isAdding());
    EXPECT_EQ(rs->recordCount(), 5);
    EXPECT_EQ(rs->position(), 4) << "appended at the end, whatever the sort order";
    EXPECT_EQ(rs->text(s("a2")), s("Neumann"));
    EXPECT_EQ(t.field(s("Kunden"), rs->currentId(), s("a2")).toString(), s("Neumann"));
    EXPECT_EQ(reloaded.count(), 1);
}

TEST_F(Customers, MovingAwayFromANewRecordStoresIt)
{
    auto rs = open();
    rs->addNew();
    rs->setValue(s("a2"), s("Neumann"));
    EXPECT_TRUE(rs->moveFirst());
    EXPECT_EQ(rs->recordCount(), 5);
    EXPECT_EQ(t.count(s("Kunden"), s("a2 = ?"), {s("Neumann")}), 1);
}

TEST_F(Customers, CancelUpdateDropsTheBuffer)
{
    auto rs = open();
    rs->setValue(s("a2"), s("Geändert"));
    rs->cancelUpdate();
    EXPECT_EQ(rs->text(s("a2")), s("Adler"));
    rs->addNew();
    rs->setValue(s("a2"), s("Nie gespeichert"));
    rs->cancelUpdate();
    EXPECT_EQ(rs->currentId(), adler);
    rs->moveNext();
    EXPECT_EQ(t.count(s("Kunden")), 4);
}

TEST_F(Customers, DeleteMakesTheFollowingRecordCurrent)
{
    auto rs = open();
    rs->moveNext(); // becker
    QSignalSpy reloaded(rs.get(), &Recordset::reloaded);
    ASSERT_TRUE(rs->deleteCurrent());
    EXPECT_EQ(reloaded.count(), 1);
    EXPECT_EQ(rs->recordCount(), 3);
    EXPECT_EQ(rs->currentId(), mustermann);
    EXPECT_EQ(t.field(s("Kunden"), becker, s("ID")), QVariant());

    rs->moveLast();
    ASSERT_TRUE(rs->deleteCurrent());
    EXPECT_EQ(rs->currentId(), mustermann) << "the new last record";
    ASSERT_TRUE(rs->deleteCurrent());
    ASSERT_TRUE(rs->deleteCurrent());
    EXPECT_EQ(rs->recordCount(), 0);
    EXPECT_TRUE(rs->bof() && rs->eof());
    EXPECT_EQ(t.count(s("Kunden")), 0);
}

TEST_F(Customers, AFailedWriteIsReportedAndLosesNothing)
{
    auto rs = open();
    QSignalSpy failed(rs.get(), &Recordset::writeFailed);
    t.exec(s("PRAGMA query_only = ON"));

    rs->setValue(s("a2"), s("Adler-Meier"));
    EXPECT_FALSE(rs->moveNext());
    ASSERT_EQ(failed.count(), 1);
    EXPECT_TRUE(failed.at(0).at(0).toString().startsWith(s("Die Änderungen konnten nicht gespeichert werden.")));
    EXPECT_EQ(rs->currentId(), adler) << "no move";
    EXPECT_EQ(rs->text(s("a2")), s("Adler-Meier")) << "the edit is still there";
    EXPECT_FALSE(rs->findFirst(s("a2 = ?"), {s("Zander")}));
    EXPECT_EQ(rs->currentId(), adler);
    EXPECT_FALSE(rs->refresh());

    EXPECT_FALSE(rs->deleteCurrent());
    rs->addNew();
    EXPECT_FALSE(rs->isAdding()) << "cannot start a new record while the old one cannot be stored";
    EXPECT_EQ(failed.count(), 5);
    rs->cancelUpdate();

    t.exec(s("PRAGMA query_only = OFF"));
    EXPECT_EQ(t.field(s("Kunden"), adler, s("a2")).toString(), s("Adler"));
    EXPECT_EQ(t.count(s("Kunden")), 4);
}

TEST_F(Customers, AFailedInsertKeepsTheNewRecordInTheBuffer)
{
    auto rs = open();
    rs->addNew();
    rs->setValue(s("a2"), s("Neumann"));
    t.exec(s("PRAGMA query_only = ON"));
    QSignalSpy failed(rs.get(), &Recordset::writeFailed);
    EXPECT_FALSE(rs->update());
    EXPECT_EQ(failed.count(), 1);
    EXPECT_TRUE(rs->isAdding());
    EXPECT_EQ(rs->text(s("a2")), s("Neumann"));
    EXPECT_EQ(rs->recordCount(), 4);
    t.exec(s("PRAGMA query_only = OFF"));
    EXPECT_TRUE(rs->update());
    EXPECT_EQ(rs->recordCount(), 5);
}

TEST_F(Customers, AWriteToAVanishedTableFailsCleanly)
{
    auto rs = open();
    rs->setValue(s("a2"), s("Adler-Meier"));
    t.exec(s("ALTER TABLE Kunden RENAME TO KundenAlt"));
    QSignalSpy failed(rs.get(), &Recordset::writeFailed);
    EXPECT_FALSE(rs->update());
    EXPECT_EQ(failed.count(), 1);
    EXPECT_TRUE(rs->isDirty());
    t.exec(s("ALTER TABLE KundenAlt RENAME TO Kunden"));
    EXPECT_EQ(t.field(s("Kunden"), adler, s("a2")).toString(), s("Adler"));
    EXPECT_TRUE(rs->update());
    EXPECT_EQ(t.field(s("Kunden"), adler, s("a2")).toString(), s("Adler-Meier"));
}

TEST_F(Customers, AnEditOfARecordDeletedElsewhereIsReported)
{
    auto rs = open();
    t.exec(s("DELETE FROM Kunden WHERE ID = ?"), {adler});
    rs->setValue(s("a2"), s("Adler-Meier"));
    EXPECT_FALSE(rs->update());
    EXPECT_TRUE(rs->lastError().contains(s("gelöscht")));
    EXPECT_EQ(t.count(s("Kunden")), 3);
    rs->cancelUpdate();
}

TEST_F(Customers, WritesInsideACallersTransactionFollowIt)
{
    auto rs = open();
    QSqlDatabase con = t.connection();
    ASSERT_TRUE(con.transaction());
    rs->setValue(s("a2"), s("Adler-Meier"));
    ASSERT_TRUE(rs->update());
    ASSERT_TRUE(con.rollback());
    EXPECT_EQ(t.field(s("Kunden"), adler, s("a2")).toString(), s("Adler"));
}

TEST(Recordset, YesNoFieldsAreStoredAsMinusOneAndZero)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    Recordset rs(t.db(), s("Rechnungen"));
    ASSERT_TRUE(rs.refresh());
    EXPECT_EQ(rs.recordCount(), 0);
    rs.addNew();
    EXPECT_EQ(rs.value(s("opt1")).toInt(), 0);
    rs.setValue(s("a7"), s("1000"));
    rs.setValue(s("opt1"), true);
    ASSERT_TRUE(rs.update());
    EXPECT_EQ(t.field(s("Rechnungen"), rs.currentId(), s("opt1")).toInt(), -1);
    for (const QVariant& no : {QVariant(false), QVariant(0), QVariant(s("0")), QVariant(s("Falsch")), QVariant()}) {
        rs.setValue(s("opt1"), true);
        rs.update();
        rs.setValue(s("opt1"), no);
        ASSERT_TRUE(rs.update());
        EXPECT_EQ(t.field(s("Rechnungen"), rs.currentId(), s("opt1")).toInt(), 0) << no.toString().toStdString();
    }
    for (const QVariant& yes : {QVariant(1), QVariant(-1), QVariant(s("-1")), QVariant(s("Wahr"))}) {
        rs.setValue(s("opt1"), false);
        rs.update();
        rs.setValue(s("opt1"), yes);
        ASSERT_TRUE(rs.update());
        EXPECT_EQ(t.field(s("Rechnungen"), rs.currentId(), s("opt1")).toInt(), -1) << yes.toString().toStdString();
    }
}

TEST(Recordset, LinesOfOneDocumentFollowTheirHeadAndIdOrder)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    const qint64 a = t.addDocument(s("1000"), s("01.03.2024"));
    const qint64 b = t.addDocument(s("1001"), s("02.03.2024"));
    const qint64 l1 = t.addLine(a, s("1"), s("eins"), s("1,00"), s("1,00"));
    t.addLine(b, s("2"), s("fremd"), s("1,00"), s("2,00"));
    const qint64 l2 = t.addLine(a, s("3"), s("drei"), s("1,00"), s("3,00"));
    Recordset lines(t.db(), s("Verkauf"));
    lines.setRecordSource(s("SELECT * FROM Verkauf WHERE a1 = ? ORDER BY ID"), {QString::number(a)});
    ASSERT_TRUE(lines.refresh());
    ASSERT_EQ(lines.recordCount(), 2);
    EXPECT_EQ(lines.idAt(0), l1);
    EXPECT_EQ(lines.idAt(1), l2);
    EXPECT_TRUE(lines.findFirst(s("n1 LIKE ?"), {s("D*")}));
    EXPECT_EQ(lines.currentId(), l2);
}

TEST(Recordset, FindsInALargeSetByScanningTheWholeTable)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    QSqlDatabase con = t.connection();
    con.transaction();
    for (int i = 0; i < 2500; ++i)
        t.addDocument(QString::number(5000 + i), s("01.01.2024"));
    con.commit();
    Recordset rs(t.db(), s("Rechnungen"));
    rs.setRecordSource(s("SELECT * FROM Rechnungen ORDER BY a7 DESC"));
    ASSERT_TRUE(rs.refresh());
    ASSERT_EQ(rs.recordCount(), 2500);
    EXPECT_EQ(rs.text(s("a7")), s("7499"));
    EXPECT_TRUE(rs.findFirst(s("a7 LIKE ?"), {s("50*")}));
    EXPECT_EQ(rs.text(s("a7")), s("5099"));
    EXPECT_TRUE(rs.findNext(s("a7 LIKE ?"), {s("50*")}));
    EXPECT_EQ(rs.text(s("a7")), s("5098"));
}

// A large set in ID order is searched in ID order, stopping at the first
// match inside the set; it must find what a search over the whole set finds.
TEST(Recordset, FindsInALargeSetInIdOrderAsInAnyOtherSet)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    QSqlDatabase con = t.connection();
    con.transaction();
    for (int i = 0; i < 3000; ++i) {
        t.addDocument(QString::number(5000 + i), s("01.01.2024"), s("Rechnung"), i % 3 == 0,
                      {{s("a2"), i % 7 == 0 ? s("Müller GmbH") : s("Schulz")}});
    }
    con.commit();
    // The paid ones: a subset in ID order, with gaps the search must skip.
    Recordset rs(t.db(), s("Rechnungen"));
    rs.setRecordSource(s("SELECT * FROM Rechnungen WHERE opt1 = -1"));
    ASSERT_TRUE(rs.refresh());
    ASSERT_EQ(rs.recordCount(), 1000);

    // The expected positions, found by walking the set by hand.
    QList<int> muellerPositions;
    for (int i = 0; i < rs.recordCount(); ++i) {
        if (t.field(s("Rechnungen"), rs.idAt(i), s("a2")).toString().startsWith(s("Müller")))
            muellerPositions << i;
    }
    ASSERT_GT(muellerPositions.size(), 3);
    const QString byName = s("a2 LIKE ? OR a3 LIKE ?");
    const QVariantList mueller{s("*MÜLLER*"), s("*MÜLLER*")};
    EXPECT_TRUE(rs.findFirst(byName, mueller));
    EXPECT_EQ(rs.position(), muellerPositions.at(0));
    EXPECT_TRUE(rs.findNext(byName, mueller));
    EXPECT_EQ(rs.position(), muellerPositions.at(1));
    ASSERT_TRUE(rs.moveLast());
    EXPECT_TRUE(rs.findPrevious(byName, mueller));
    EXPECT_EQ(rs.position(), muellerPositions.constLast());
    EXPECT_TRUE(rs.findNext(byName, mueller) == false);
    EXPECT_TRUE(rs.noMatch());
    EXPECT_EQ(rs.position(), muellerPositions.constLast());

    // A prefix search becomes an index range; an unpaid number is not in the set.
    EXPECT_TRUE(rs.findFirst(s("a7 LIKE ?"), {s("5999*")}));
    EXPECT_EQ(rs.text(s("a7")), s("5999"));
    EXPECT_FALSE(rs.findFirst(s("a7 LIKE ?"), {s("5998")}));
    EXPECT_TRUE(rs.noMatch());
    EXPECT_EQ(rs.text(s("a7")), s("5999"));
    EXPECT_TRUE(rs.findFirst(s("a7 LIKE ?"), {s("6*")}));
    EXPECT_EQ(rs.text(s("a7")), s("6002"));
    EXPECT_TRUE(rs.findPrevious(s("a7 LIKE ?"), {s("5*")}));
    EXPECT_EQ(rs.text(s("a7")), s("5999"));

    // After a new record the set is still searched correctly.
    rs.addNew();
    rs.setValue(s("a7"), s("77777"));
    rs.setValue(s("opt1"), true);
    ASSERT_TRUE(rs.update());
    ASSERT_TRUE(rs.moveFirst());
    EXPECT_TRUE(rs.findFirst(s("a7 LIKE ?"), {s("7777*")}));
    EXPECT_EQ(rs.position(), rs.recordCount() - 1);
}

TEST_F(Customers, RefreshAndClosingStorePendingEdits)
{
    {
        auto rs = open();
        rs->setValue(s("a6"), s("030 123"));
        ASSERT_TRUE(rs->refresh());
        EXPECT_EQ(t.field(s("Kunden"), adler, s("a6")).toString(), s("030 123"));
        rs->moveLast();
        rs->setValue(s("a6"), s("089 456"));
    }
    EXPECT_EQ(t.field(s("Kunden"), zander, s("a6")).toString(), s("089 456"));
}
