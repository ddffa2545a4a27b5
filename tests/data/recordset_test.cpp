#include "data/Recordset.h"
#include "data/RecordsetModel.h"
#include "data/Schema.h"
#include "support/DataRuleTable.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QSqlQuery>

#include <utility>

using namespace quittora;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// Customers in SortKunden order: Adler, becker, Mustermann (template), Zander.
struct Customers : ::testing::Test {
    TempDatabase t;
    qint64 adler = -1, becker = -1, zander = -1, mustermann = 1;
    std::unique_ptr<Recordset> rs;
    void SetUp() override
    {
        ASSERT_TRUE(t.isValid());
        zander = t.addCustomer(s("Zander"), s("Ute"), {{s("a5"), s("80331 München")}});
        adler = t.addCustomer(s("Adler"), s("Anna"), {{s("a5"), s("10115 Berlin")}});
        becker = t.addCustomer(s("becker"), s("Jan"), {{s("a5"), s("20095 Hamburg")}});
        rs = std::make_unique<Recordset>(t.db(), s("Kunden"));
        rs->setRecordSource(s("SortKunden"));
        ASSERT_TRUE(rs->refresh()) << rs->lastError().toStdString();
    }
    QString stored(qint64 id, const char* field) const { return t.field(s("Kunden"), id, s(field)).toString(); }
    // Where the set stands: "bof", "eof" or the current record's name.
    QString at() const { return rs->bof() ? s("bof") : rs->eof() ? s("eof") : rs->text(s("a2")); }
};

} // namespace

TEST_F(Customers, MovesLikeADataControlBetweenBofAndEof)
{
    ASSERT_EQ(rs->recordCount(), 4);
    EXPECT_EQ(rs->text(s("A5")), s("10115 Berlin")) << "field names are case-insensitive";
    QStringList walk;
    const auto step = [&](bool moved) { walk << at() + (moved ? s("") : s("!")); };
    step(true);
    step(rs->moveNext());
    step(rs->moveLast());
    step(rs->moveNext());
    step(rs->moveNext()); // no move beyond eof
    step(rs->movePrevious());
    step(rs->moveFirst());
    step(rs->movePrevious());
    step(rs->movePrevious());
    step(rs->moveNext());
    EXPECT_EQ(walk.join(QLatin1Char(' ')), s("Adler becker Zander eof eof! Zander Adler bof bof! Adler"));
    rs->moveLast();
    rs->moveNext();
    EXPECT_EQ(rs->position(), 4);
    EXPECT_FALSE(rs->hasCurrent());
    EXPECT_EQ(rs->currentId(), -1);
    EXPECT_EQ(rs->idAt(2), mustermann);
    EXPECT_EQ(rs->idAt(4), -1);

    // A changed record is read when it becomes current.
    t.exec(s("UPDATE Kunden SET a3 = ? WHERE ID = ?"), {s("Johanna"), becker});
    rs->moveFirst();
    rs->moveNext();
    EXPECT_EQ(rs->text(s("a3")), s("Johanna"));

    // An empty set is both bof and eof, and nothing moves or finds.
    rs->setRecordSource(s("SELECT * FROM Kunden WHERE a2 = ?"), {s("Niemand")});
    ASSERT_TRUE(rs->refresh());
    EXPECT_TRUE(rs->bof() && rs->eof());
    EXPECT_FALSE(rs->moveFirst() || rs->moveLast() || rs->moveNext() || rs->movePrevious());
    EXPECT_FALSE(rs->findFirst(s("a2 LIKE ?"), {s("*")}));
    EXPECT_TRUE(rs->noMatch());
    EXPECT_FALSE(rs->deleteCurrent());

    // A source keeps its order; a broken one is reported and keeps the set.
    rs->setRecordSource(s("SELECT * FROM Kunden WHERE a5 LIKE ? ORDER BY a3 DESC;"), {s("*[uü]*")});
    ASSERT_TRUE(rs->refresh());
    EXPECT_EQ((QList<qint64>{rs->idAt(0), rs->idAt(1), rs->idAt(2), rs->idAt(3)}),
              (QList<qint64>{zander, mustermann, becker, -1}));
    rs->moveNext();
    QSignalSpy failed(rs.get(), &Recordset::writeFailed);
    rs->setRecordSource(s("SELECT * FROM Kunden WHERE nichtda = ?"), {1});
    EXPECT_FALSE(rs->refresh());
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(rs->recordCount(), 3);
    EXPECT_EQ(rs->currentId(), mustermann);
}

TEST_F(Customers, FindsFirstNextAndPreviousAndSearchTextIsOnlyEverText)
{
    const QString inTown = s("a5 LIKE ?");
    const QVariantList withR = {s("*r*")}; // Berlin, Hamburg, Musterstadt; not München
    rs->moveLast();
    QStringList found;
    const auto note = [&](bool ok) { found << at() + (ok ? s("") : s("!")) + (rs->noMatch() ? s("?") : s("")); };
    note(rs->findFirst(inTown, withR));
    note(rs->findNext(inTown, withR));
    note(rs->findNext(inTown, withR));
    note(rs->findNext(inTown, withR)); // no match leaves the position
    note(rs->findPrevious(inTown, withR));
    note(rs->findFirst(s("a2 = ?"), {s("Niemand")}));
    rs->moveLast();
    rs->moveNext(); // eof: findPrevious starts with the last record
    note(rs->findPrevious(s("a2 LIKE ?"), {s("Z*")}));
    note(rs->findFirst(s("ID LIKE ?"), {QString::number(becker)}));
    rs->moveFirst();
    rs->movePrevious(); // bof: findNext starts with the first record
    note(rs->findNext(inTown, withR));
    EXPECT_EQ(found.join(QLatin1Char(' ')),
              s("Adler becker Mustermann Mustermann!? becker becker!? Zander becker Adler"));

    const qint64 odd = t.addCustomer(s("O'Brien \"100%\" [x] *"), s("a_b"));
    ASSERT_TRUE(rs->refresh());
    for (const char* text : {"O'Brien", "' OR 1=1 --", "100%", "%", "_", "[x]", "\"", "'; DROP TABLE Kunden; --", "["}) {
        EXPECT_FALSE(rs->findFirst(s("a2 = ?"), {s(text)})) << text;
        EXPECT_TRUE(rs->lastError().isEmpty()) << text;
    }
    EXPECT_TRUE(rs->findFirst(s("a2 LIKE ?"), {s("O'Brien*")}));
    EXPECT_EQ(rs->currentId(), odd);
    EXPECT_EQ(t.count(s("Kunden")), 5);
}

TEST_F(Customers, EditsAreStoredWhenThePositionMovesOrTheSetCloses)
{
    bool leftOnce = false;
    QObject::connect(rs.get(), &Recordset::aboutToLeave, rs.get(), [&] {
        if (!std::exchange(leftOnce, true))
            rs->setValue(s("n1"), s("aus dem Feld")); // as a bound control writes back
    });
    rs->setValue(s("a2"), s("Adler")); // unchanged: no edit
    rs->setValue(s("a8"), QVariant()); // empty text and NULL are the same to the user
    EXPECT_FALSE(rs->isDirty());
    rs->setValue(s("a4"), s("Hauptstraße 1"));
    EXPECT_EQ(stored(adler, "a4"), QString()) << "not stored before the move";
    ASSERT_TRUE(rs->moveNext());
    EXPECT_FALSE(rs->isDirty());
    EXPECT_EQ(stored(adler, "a4"), s("Hauptstraße 1"));
    EXPECT_EQ(stored(adler, "n1"), s("aus dem Feld"));

    rs->setValue(s("a6"), s("030 123"));
    ASSERT_TRUE(rs->refresh());
    EXPECT_EQ(stored(becker, "a6"), s("030 123"));

    // A new record is appended at the end, whatever the order, and current.
    QSignalSpy reloaded(rs.get(), &Recordset::reloaded);
    rs->addNew();
    EXPECT_TRUE(rs->isAdding());
    EXPECT_TRUE(rs->text(s("a2")).isEmpty());
    rs->setValue(s("a2"), s("Neumann"));
    ASSERT_TRUE(rs->update());
    EXPECT_FALSE(rs->isAdding());
    EXPECT_EQ(rs->position(), 4);
    EXPECT_EQ(stored(rs->currentId(), "a2"), s("Neumann"));
    EXPECT_EQ(reloaded.count(), 1);
    rs->addNew();
    rs->setValue(s("a2"), s("Nachtrag"));
    EXPECT_TRUE(rs->moveFirst()); // moving away stores it
    EXPECT_EQ(t.count(s("Kunden"), s("a2 = ?"), {s("Nachtrag")}), 1);

    rs->setValue(s("a2"), s("Geändert"));
    rs->cancelUpdate();
    EXPECT_EQ(rs->text(s("a2")), s("Adler"));
    rs->addNew();
    rs->setValue(s("a2"), s("Nie gespeichert"));
    rs->cancelUpdate();
    EXPECT_EQ(rs->currentId(), adler);

    rs->moveLast();
    rs->setValue(s("a6"), s("089 456"));
    rs.reset();
    EXPECT_EQ(t.count(s("Kunden"), s("a6 = ?"), {s("089 456")}), 1);
    EXPECT_EQ(t.count(s("Kunden")), 6);
}

TEST_F(Customers, DeleteMakesTheFollowingRecordCurrent)
{
    rs->moveNext(); // becker
    QSignalSpy reloaded(rs.get(), &Recordset::reloaded);
    ASSERT_TRUE(rs->deleteCurrent());
    EXPECT_EQ(reloaded.count(), 1);
    EXPECT_EQ(rs->currentId(), mustermann);
    EXPECT_EQ(t.count(s("Kunden"), s("ID = ?"), {becker}), 0);
    rs->moveLast();
    ASSERT_TRUE(rs->deleteCurrent());
    EXPECT_EQ(rs->currentId(), mustermann) << "the new last record";
    ASSERT_TRUE(rs->deleteCurrent() && rs->deleteCurrent());
    EXPECT_TRUE(rs->bof() && rs->eof());
    EXPECT_EQ(t.count(s("Kunden")), 0);
}

TEST_F(Customers, AFailedWriteIsReportedAndLosesNothing)
{
    QSignalSpy failed(rs.get(), &Recordset::writeFailed);
    t.exec(s("PRAGMA query_only = ON"));
    rs->setValue(s("a2"), s("Adler-Meier"));
    EXPECT_FALSE(rs->moveNext());
    ASSERT_EQ(failed.count(), 1);
    EXPECT_TRUE(failed.at(0).at(0).toString().startsWith(s("Die Änderungen konnten nicht gespeichert werden.")));
    EXPECT_EQ(rs->currentId(), adler) << "no move";
    EXPECT_EQ(rs->text(s("a2")), s("Adler-Meier")) << "the edit is still there";
    EXPECT_FALSE(rs->findFirst(s("a2 = ?"), {s("Zander")}));
    EXPECT_FALSE(rs->refresh());
    EXPECT_FALSE(rs->deleteCurrent());
    rs->addNew();
    EXPECT_FALSE(rs->isAdding()) << "no new record while the old one cannot be stored";
    EXPECT_EQ(failed.count(), 5);
    EXPECT_EQ(rs->currentId(), adler);
    rs->cancelUpdate();

    // A new record stays in the buffer until it can be stored.
    rs->addNew();
    rs->setValue(s("a2"), s("Neumann"));
    EXPECT_FALSE(rs->update());
    EXPECT_TRUE(rs->isAdding());
    EXPECT_EQ(rs->text(s("a2")), s("Neumann"));
    t.exec(s("PRAGMA query_only = OFF"));
    EXPECT_TRUE(rs->update());
    EXPECT_EQ(rs->recordCount(), 5);
    EXPECT_EQ(stored(adler, "a2"), s("Adler"));

    // A vanished table, a record deleted elsewhere, a caller's rollback.
    rs->moveFirst();
    rs->setValue(s("a2"), s("Adler-Meier"));
    t.exec(s("ALTER TABLE Kunden RENAME TO KundenAlt"));
    EXPECT_FALSE(rs->update());
    EXPECT_TRUE(rs->isDirty());
    t.exec(s("ALTER TABLE KundenAlt RENAME TO Kunden"));
    QSqlDatabase con = t.connection();
    ASSERT_TRUE(con.transaction());
    ASSERT_TRUE(rs->update());
    ASSERT_TRUE(con.rollback());
    EXPECT_EQ(stored(adler, "a2"), s("Adler"));
    t.exec(s("DELETE FROM Kunden WHERE ID = ?"), {adler});
    rs->setValue(s("a2"), s("Adler-Schulz"));
    EXPECT_FALSE(rs->update());
    EXPECT_TRUE(rs->lastError().contains(s("gelöscht")));
    EXPECT_EQ(t.count(s("Kunden")), 4);
    rs->cancelUpdate();
}

TEST(Recordset, YesNoFieldsAreStoredAsMinusOneAndZero)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    Recordset rs(t.db(), s("Rechnungen"));
    ASSERT_TRUE(rs.refresh());
    rs.addNew();
    EXPECT_EQ(rs.value(s("opt1")).toInt(), 0);
    rs.setValue(s("a7"), s("1000"));
    ASSERT_TRUE(rs.update());
    const QVariant values[] = {true, false, 1, 0, -1, s("0"), s("-1"), s("Falsch"), s("Wahr"), QVariant()};
    QStringList stored;
    for (const QVariant& v : values) {
        rs.setValue(s("opt1"), v);
        EXPECT_TRUE(rs.update());
        stored << t.field(s("Rechnungen"), rs.currentId(), s("opt1")).toString();
    }
    EXPECT_EQ(stored.join(QLatin1Char(' ')), s("-1 0 -1 0 -1 0 -1 0 -1 0"));
}

// A large set in ID order is searched in ID order, stopping at the first match
// inside the set; one in another order is scanned. Both must find what a walk
// through the set finds.
TEST(Recordset, FindsInLargeSetsWhatAWalkThroughTheSetFinds)
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
    Recordset rs(t.db(), s("Rechnungen"));
    rs.setRecordSource(s("SELECT * FROM Rechnungen WHERE opt1 = -1")); // with gaps the search must skip
    ASSERT_TRUE(rs.refresh());
    ASSERT_EQ(rs.recordCount(), 1000);
    QList<int> mueller;
    for (int i = 0; i < rs.recordCount(); ++i) {
        if (t.field(s("Rechnungen"), rs.idAt(i), s("a2")).toString().startsWith(s("Müller")))
            mueller << i;
    }
    ASSERT_GT(mueller.size(), 3);
    const QString byName = s("a2 LIKE ? OR a3 LIKE ?");
    const QVariantList pattern{s("*MÜLLER*"), s("*MÜLLER*")};
    EXPECT_TRUE(rs.findFirst(byName, pattern));
    EXPECT_EQ(rs.position(), mueller.at(0));
    EXPECT_TRUE(rs.findNext(byName, pattern));
    EXPECT_EQ(rs.position(), mueller.at(1));
    ASSERT_TRUE(rs.moveLast());
    EXPECT_TRUE(rs.findPrevious(byName, pattern));
    EXPECT_EQ(rs.position(), mueller.constLast());
    EXPECT_FALSE(rs.findNext(byName, pattern));
    EXPECT_EQ(rs.position(), mueller.constLast());
    // A prefix search becomes an index range; an unpaid number is not in the set.
    EXPECT_FALSE(rs.findFirst(s("a7 LIKE ?"), {s("5998")}));
    EXPECT_TRUE(rs.findFirst(s("a7 LIKE ?"), {s("6*")}));
    EXPECT_EQ(rs.text(s("a7")), s("6002"));
    EXPECT_TRUE(rs.findPrevious(s("a7 LIKE ?"), {s("5*")}));
    EXPECT_EQ(rs.text(s("a7")), s("5999"));
    rs.addNew();
    rs.setValue(s("a7"), s("77777"));
    rs.setValue(s("opt1"), true);
    ASSERT_TRUE(rs.update());
    ASSERT_TRUE(rs.moveFirst());
    EXPECT_TRUE(rs.findFirst(s("a7 LIKE ?"), {s("7777*")}));
    EXPECT_EQ(rs.position(), rs.recordCount() - 1);

    rs.setRecordSource(s("SELECT * FROM Rechnungen ORDER BY a7 DESC"));
    ASSERT_TRUE(rs.refresh());
    EXPECT_TRUE(rs.findFirst(s("a7 LIKE ?"), {s("50*")}));
    EXPECT_EQ(rs.text(s("a7")), s("5099"));
    EXPECT_TRUE(rs.findNext(s("a7 LIKE ?"), {s("50*")}));
    EXPECT_EQ(rs.text(s("a7")), s("5098"));
}

TEST(RecordsetModel, RowsFollowTheSetInBlocksAndShowEveryChange)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    QSqlDatabase con = t.connection();
    con.transaction();
    // More than two blocks of rows, so that reading in blocks is exercised.
    for (int i = 0; i < 600; ++i)
        t.addDocument(QString::number(1000 + i), s("01.02.2024"), s("Rechnung"), i % 2 == 1, {{s("a2"), s("Kunde %1").arg(i)}});
    con.commit();
    Recordset rs(t.db(), s("Rechnungen"));
    rs.setRecordSource(s("SELECT * FROM Rechnungen ORDER BY a7 DESC"));
    ASSERT_TRUE(rs.refresh());
    RecordsetModel model(rs, {s("a7"), s("a2"), s("opt1")}, {s("Rechnungs-Nr."), s("Name"), s("bezahlt")});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const auto cell = [&](int row, int column) { return model.index(row, column).data().toString(); };
    EXPECT_EQ(model.rowCount(), 600);
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), s("bezahlt"));
    test::expectRows("cells", {{cell(0, 0), "1599"}, {cell(0, 1), "Kunde 599"}, {cell(599, 0), "1000"},
                               {cell(300, 0), "1299"}, {cell(0, 2), "Ja"}, {cell(1, 2), "Nein"}});
    EXPECT_EQ(model.index(0, 2).data(Qt::EditRole).toInt(), -1);
    EXPECT_EQ(model.index(5, 1).data(RecordsetModel::IdRole).toLongLong(), rs.idAt(5));
    EXPECT_EQ(model.columnOf(s("A2")), 1);
    EXPECT_EQ(model.columnOf(s("a8")), -1);
    EXPECT_FALSE(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsEditable));
    model.setColumnAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(model.index(3, 0).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_FALSE(model.index(3, 1).data(Qt::TextAlignmentRole).isValid());

    // A stored edit shows in its row; inserts, deletes and a new source reset.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    rs.setValue(s("a2"), s("Neuer Name"));
    rs.moveNext();
    ASSERT_GE(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>().row(), 0);
    EXPECT_EQ(cell(0, 1), s("Neuer Name"));
    changed.clear();
    rs.setValue(s("opt1"), true);
    ASSERT_TRUE(rs.update());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>().row(), 1);
    EXPECT_EQ(cell(1, 2), s("Ja"));
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    rs.addNew();
    rs.setValue(s("a7"), s("9999"));
    ASSERT_TRUE(rs.update());
    EXPECT_EQ(cell(600, 0), s("9999"));
    rs.moveFirst();
    ASSERT_TRUE(rs.deleteCurrent());
    EXPECT_EQ(cell(0, 0), s("1598"));
    rs.setRecordSource(s("SELECT * FROM Rechnungen WHERE opt1 = ? ORDER BY a7"), {-1});
    ASSERT_TRUE(rs.refresh());
    EXPECT_EQ(model.rowCount(), 300);
    EXPECT_EQ(cell(0, 0), s("1001"));
    EXPECT_EQ(reset.count(), 3);
}

TEST(Schema, TheTemplateHasItsTablesFieldsAndRecords)
{
    TempDatabase t(QLatin1Char('.'));
    ASSERT_TRUE(t.isValid()) << t.error().toStdString();
    const auto value = [&](const QString& sql) {
        QSqlQuery q(t.connection());
        return q.exec(sql) && q.next() ? q.value(0).toString() : s("-");
    };
    const auto columns = [&](const char* table) {
        return value(s("SELECT group_concat(name || ' ' || type, ', ') FROM pragma_table_info('%1')").arg(s(table)));
    };
    // Only ID and the paid and letterhead flags are numbers.
    const auto typed = [](const QStringList& fields, const char* table) {
        QStringList out;
        for (const QString& f : fields)
            out << f + (f == s("ID") || schema::isBooleanField(s(table), f) ? s(" INTEGER") : s(" TEXT"));
        return out.join(s(", "));
    };
    EXPECT_EQ(columns("Kunden"), typed(schema::kundenFields(), "Kunden"));
    EXPECT_EQ(columns("Artikel"), typed(schema::artikelFields(), "Artikel"));
    EXPECT_EQ(columns("Rechnungen"), typed(schema::rechnungenFields(), "Rechnungen"));
    EXPECT_EQ(columns("Verkauf"), typed(schema::verkaufFields(), "Verkauf"));
    EXPECT_EQ(columns("Einstellungen"), typed(schema::einstellungenFields(), "Einstellungen"));
    EXPECT_TRUE(columns("Rechnungen").contains(s("opt1 INTEGER")) && columns("Einstellungen").contains(s("Vordruck INTEGER")));
    EXPECT_TRUE(columns("Rechnungen").contains(s("a158 TEXT")) && columns("Artikel").contains(s("a40 TEXT")));
    EXPECT_FALSE(schema::isBooleanField(s("Kunden"), s("opt1")));
    test::expectRows("template", {
        {value(s("PRAGMA application_id")), QByteArray::number(schema::kApplicationId).constData()},
        {value(s("PRAGMA user_version")), QByteArray::number(schema::kUserVersion).constData()},
        {value(s("SELECT (SELECT count(*) FROM Einstellungen) || (SELECT count(*) FROM Kunden) || (SELECT count(*) "
                 "FROM Artikel) || (SELECT count(*) FROM Rechnungen) || (SELECT count(*) FROM Verkauf)")), "11100"},
        {value(s("SELECT a4 || ' ' || a19 FROM Artikel")), "10.00 19"},
        {value(s("SELECT MWSt || frei9 || frei8 || frei1 || Rechnungsnummer || Vordruck || Einst18 || Einst19 || Titel "
                 "FROM Einstellungen")), "197EUR11000-1100Ihre Firma"},
        {value(s("SELECT Memo7 || ' / ' || Memo8 FROM Einstellungen")),
         "Wir danken Ihnen für Ihre Bestellung / Ware erhalten / in Empfang genommen"},
        {value(s("SELECT min(length(Memo1), length(Memo2), length(Memo3), length(Memo4), length(Memo5), length(Memo6)) "
                 "> 0 FROM Einstellungen")), "1"},
    });
    TempDatabase comma;
    EXPECT_EQ(comma.field(s("Artikel"), 1, s("a4")).toString(), s("10,00"));
    QString error;
    EXPECT_FALSE(schema::createSchema(t.connection(), &error));
    EXPECT_FALSE(error.isEmpty());

    // New records start with empty text and unpaid; flags take only -1 and 0.
    const qint64 id = t.insert(s("Rechnungen"), {});
    EXPECT_EQ(t.count(s("Rechnungen"), s("a2 = '' AND a7 = '' AND opt1 = 0 AND ID = ?"), {id}), 1);
    QSqlQuery q(t.connection());
    EXPECT_FALSE(q.exec(s("INSERT INTO Rechnungen (opt1) VALUES (1)")));
    EXPECT_TRUE(q.exec(s("INSERT INTO Rechnungen (opt1) VALUES (-1)")));
    // Sorted customers: by name, then first name, whatever the case.
    const std::pair<const char*, const char*> customers[] = {{"zander", "Ute"}, {"Adler", "bernd"}, {"adler", "Anna"},
                                                             {"Becker", "Jan"}};
    for (const auto& [name, first] : customers)
        t.addCustomer(s(name), s(first));
    EXPECT_EQ(value(s("SELECT group_concat(a2 || ' ' || a3, ', ') FROM SortKunden")),
              s("adler Anna, Adler bernd, Becker Jan, Mustermann Max, zander Ute"));
    EXPECT_EQ(value(s("SELECT count(*) FROM pragma_table_info('SortKunden')")), QString::number(schema::kundenFields().size()));
}
