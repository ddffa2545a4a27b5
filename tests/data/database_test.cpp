#include "data/Database.h"

#include "data/Recordset.h"
#include "data/RecordsetModel.h"
#include "data/Schema.h"
#include "support/DataRuleTable.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <functional>
#include <sqlite3.h>
#include <utility>

using namespace quittora;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

QString makeTemplate(const QString& path)
{
    QString message;
    EXPECT_TRUE(Database::createFromTemplate(path, QLatin1Char(','), &message)) << message.toStdString();
    return path;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
}

// Runs SQL on a file through a connection of its own, outside Quittora; the first value.
int runOn(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    int first = 0;
    if (QByteArray(sql).startsWith("SELECT") && sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK
        && sqlite3_step(stmt) == SQLITE_ROW)
        first = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return first;
}

QStringList entries(const QString& folder) { return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); }

} // namespace

// Each damage is refused by checkFile and open with a message naming the file,
// and the file stays byte for byte as it was.
TEST(DatabaseCheck, RefusesEveryKindOfUnusableFileAndChangesNothing)
{
    QTemporaryDir dir;
    const QString path = makeTemplate(dir.filePath(s("Quittora.qtb")));
    EXPECT_TRUE(Database::checkFile(path).isEmpty() && entries(dir.path()) == QStringList{s("Quittora.qtb")});
    {
        Database withIndexes; // opening adds them
        QString message;
        ASSERT_TRUE(withIndexes.open(path, &message)) << message.toStdString();
    }
    runOn(path, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                "INSERT INTO Kunden(a2) SELECT printf('%.60c%d', 'k', i) FROM n;"
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                "INSERT INTO Artikel(a2) SELECT printf('%.60c%d', 'a', i) FROM n;");
    const QByteArray good = TempDatabase::readFile(path);
    const auto damaged = [&](const char* tree) {
        const int page = runOn(path, (QByteArray("SELECT pageno FROM dbstat WHERE name = '") + tree
                                      + "' AND pagetype = 'leaf' LIMIT 1 OFFSET 2").constData());
        EXPECT_GT(page, 1) << tree;
        writeFile(path, QByteArray(good).replace((page - 1) * 4096, 4096, QByteArray(4096, '\x5a')));
    };
    const QString broken = s("ist beschädigt. Quittora liest und schreibt sie nicht weiter, damit nichts verloren geht. "
                             "Bitte stellen Sie Ihre Datensicherung wieder her (Datei → Datensicherung).");
    sqlite3* other = nullptr;
    const std::pair<std::function<void()>, QString> cases[] = {
        {[&] { writeFile(path, "Das ist keine Datenbank, sondern eine Einkaufsliste.\r\n"); }, s("keine Quittora-Datenbank")},
        {[&] { writeFile(path, {}); }, s("leer")},
        {[&] { writeFile(path, good.left(2 * 4096)); }, s("unvollständig")},
        {[&] { writeFile(path, good.left(good.size() - 1)); }, s("unvollständig")},
        {[&] { damaged("Kunden"); }, broken},
        {[&] { damaged("Artikel_a2"); }, broken},
        {[&] { writeFile(path, good), runOn(path, "PRAGMA user_version = 99"); }, s("neueren Quittora-Version")},
        {[&] { writeFile(path, good), runOn(path, "DROP TABLE Verkauf"); }, s("Verkauf")},
        {[&] { writeFile(path, {}), runOn(path, "CREATE TABLE Kunden (ID INTEGER PRIMARY KEY, a2 TEXT)"); },
         s("keine Quittora-Datenbank")},
        {[&] { writeFile(path, good), QFile::setPermissions(path, QFile::ReadOwner); }, s("schreibgeschützt")},
        {[&] {
             QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
             sqlite3_open(path.toUtf8().constData(), &other);
             sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
         }, s("gesperrt")},
    };
    for (const auto& [damage, expected] : cases) {
        SCOPED_TRACE(expected.toStdString());
        damage();
        const QByteArray before = TempDatabase::readFile(path);
        const QString why = Database::checkFile(path);
        EXPECT_TRUE(why.contains(expected) && why.contains(QDir::toNativeSeparators(path))) << why.toStdString();
        Database db;
        QString message;
        EXPECT_FALSE(db.open(path, &message));
        EXPECT_EQ(message, why);
        EXPECT_EQ(TempDatabase::readFile(path), before);
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(Database::checkFile(path), QString()) << "released";

    const QString missing = dir.filePath(s("fehlt.qtb"));
    EXPECT_TRUE(Database::checkFile(missing).contains(s("wurde nicht gefunden")));
    Database db;
    QString message;
    EXPECT_FALSE(db.open(missing, &message) || QFile::exists(missing)) << "opening must never create a file";
    EXPECT_TRUE(Database::checkFile(dir.path()).contains(s("ist ein Ordner")));
    // Creating refuses an existing file and reports a folder that cannot be made.
    EXPECT_FALSE(Database::createFromTemplate(path, QLatin1Char(','), &message));
    EXPECT_TRUE(message.contains(s("existiert bereits"))) << message.toStdString();
    message.clear();
    EXPECT_FALSE(Database::createFromTemplate(path + s("/Quittora.qtb"), QLatin1Char(','), &message));
    EXPECT_FALSE(message.isEmpty());
}

// A write interrupted by a crash leaves the file half-written with its
// journal beside it: the file is accepted and opening restores the last complete state.
TEST(DatabaseOpen, AnInterruptedWriteIsRolledBackOnOpen)
{
    QTemporaryDir dir;
    const QString path = makeTemplate(dir.filePath(s("Quittora.qtb")));
    runOn(path, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                "INSERT INTO Kunden (a2, n1) SELECT 'Kunde ' || i, 'alt' FROM n");
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "PRAGMA cache_size = 10; BEGIN; UPDATE Kunden SET n1 = hex(randomblob(200)); "
                                   "INSERT INTO Kunden (a2) SELECT a2 FROM Kunden;", nullptr, nullptr, nullptr), SQLITE_OK);
    const QString crashed = dir.filePath(s("Absturz.qtb"));
    ASSERT_TRUE(QFile::copy(path, crashed) && QFile::copy(path + s("-journal"), crashed + s("-journal")));
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    ASSERT_NE(TempDatabase::readFile(crashed), TempDatabase::readFile(path)) << "the copy must be mid-write";
    EXPECT_EQ(Database::checkFile(crashed), QString());
    Database db;
    QString message;
    ASSERT_TRUE(db.open(crashed, &message)) << message.toStdString();
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(s("SELECT count(*) || ' ' || sum(n1 = 'alt') FROM Kunden")) && q.next());
    EXPECT_EQ(q.value(0).toString(), s("3001 3000"));
}

TEST(DatabaseOpen, AddsMissingIndexesOpensOddPathsAndAFailedOpenKeepsThePreviousFile)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    const QString odd = makeTemplate(t.filePath(s("Müller & Söhne #1 ?%20/Quittora.qtb")));
    const QByteArray before = TempDatabase::readFile(odd);
    QString message;
    ASSERT_TRUE(t.db().open(odd, &message)) << message.toStdString();
    t.db().close();
    EXPECT_EQ(TempDatabase::readFile(odd), before) << "a file with every index is left alone";
    // A file from before the search indexes existed.
    runOn(odd, "DROP INDEX Rechnungen_a7_suche; DROP INDEX Rechnungen_jahr");
    ASSERT_TRUE(t.db().open(odd, &message)) << message.toStdString();
    QSqlQuery q(t.connection());
    ASSERT_TRUE(q.exec(s("SELECT group_concat(name) FROM sqlite_schema WHERE type = 'index'")) && q.next());
    for (const QString& statement : schema::indexStatements())
        EXPECT_TRUE(q.value(0).toString().split(QLatin1Char(',')).contains(statement.section(QLatin1Char(' '), 5, 5)))
            << statement.toStdString();
    EXPECT_EQ(t.db().counts().value_or(Database::Counts{}).kunden, 1);

    const QString foreign = t.filePath(s("fremd.qtb"));
    runOn(foreign, "CREATE TABLE x (y)");
    EXPECT_FALSE(t.db().open(foreign, &message));
    EXPECT_TRUE(t.db().isOpen() && t.db().path() == odd);
}

namespace {


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
    // Where the set stands ("bof", "eof" or the current name), "!" when the step failed, "?" on no match.
    QString at(bool ok = true) const
    {
        return (rs->bof() ? s("bof") : rs->eof() ? s("eof") : rs->text(s("a2"))) + (ok ? s("") : s("!"))
            + (rs->noMatch() ? s("?") : s(""));
    }
};

} // namespace

TEST_F(Customers, MovesAndFindsLikeADataControlBetweenBofAndEof)
{
    ASSERT_EQ(rs->recordCount(), 4);
    EXPECT_EQ(rs->text(s("A5")), s("10115 Berlin")) << "field names are case-insensitive";
    const QString inTown = s("a5 LIKE ?");
    const QVariantList withR = {s("*r*")}; // Berlin, Hamburg, Musterstadt; not München
    QStringList walk{at()};
    for (const auto& step : std::initializer_list<std::function<bool()>>{
             [&] { return rs->moveNext(); }, [&] { return rs->moveLast(); }, [&] { return rs->moveNext(); },
             [&] { return rs->moveNext(); }, [&] { return rs->movePrevious(); }, [&] { return rs->moveFirst(); },
             [&] { return rs->movePrevious(); }, [&] { return rs->movePrevious(); }, [&] { return rs->moveNext(); },
             [&] { return rs->findNext(inTown, withR); }, [&] { return rs->findNext(inTown, withR); },
             [&] { return rs->findNext(inTown, withR); }, [&] { return rs->findPrevious(inTown, withR); },
             [&] { return rs->findFirst(s("a2 = ?"), {s("Niemand")}); }, [&] { return rs->findFirst(inTown, withR); },
             [&] { return rs->moveLast() && rs->moveNext(); }, [&] { return rs->findPrevious(s("a2 LIKE ?"), {s("Z*")}); },
             [&] { return rs->findFirst(s("ID LIKE ?"), {QString::number(becker)}); }})
        walk << at(step());
    // No move beyond eof or bof; no match leaves the position; at eof findPrevious starts with the last record.
    EXPECT_EQ(walk.join(QLatin1Char(' ')), s("Adler becker Zander eof eof! Zander Adler bof bof! Adler becker Mustermann "
                                             "Mustermann!? becker becker!? Adler eof Zander becker"));
    EXPECT_TRUE(rs->position() == 1 && rs->idAt(2) == mustermann && rs->idAt(4) == -1);

    // Search text is only ever text.
    const qint64 odd = t.addCustomer(s("O'Brien \"100%\" [x] *"), s("a_b"));
    ASSERT_TRUE(rs->refresh());
    for (const char* text : {"O'Brien", "' OR 1=1 --", "100%", "[x]", "'; DROP TABLE Kunden; --"})
        EXPECT_TRUE(!rs->findFirst(s("a2 = ?"), {s(text)}) && rs->lastError().isEmpty()) << text;
    EXPECT_TRUE(rs->findFirst(s("a2 LIKE ?"), {s("O'Brien*")}));
    EXPECT_EQ(rs->currentId(), odd);

    // An empty set is both bof and eof, and nothing moves or finds.
    rs->setRecordSource(s("SELECT * FROM Kunden WHERE a2 = ?"), {s("Niemand")});
    ASSERT_TRUE(rs->refresh());
    EXPECT_TRUE(rs->bof() && rs->eof());
    EXPECT_FALSE(rs->moveFirst() || rs->moveNext() || rs->findFirst(s("a2 LIKE ?"), {s("*")}) || rs->deleteCurrent());
    // A broken source is reported and keeps the set.
    rs->setRecordSource(s("SELECT * FROM Kunden WHERE nichtda = ?"), {1});
    QSignalSpy failed(rs.get(), &Recordset::writeFailed);
    EXPECT_FALSE(rs->refresh());
    EXPECT_TRUE(failed.count() == 1 && rs->recordCount() == 0);
}

TEST_F(Customers, EditsAreStoredWhenThePositionMovesOrTheSetClosesAndDeleteKeepsAPosition)
{
    rs->setValue(s("a8"), QVariant()); // empty text and NULL are the same to the user
    EXPECT_FALSE(rs->isDirty());
    rs->setValue(s("a4"), s("Hauptstraße 1"));
    EXPECT_EQ(stored(adler, "a4"), QString()) << "not stored before the move";
    ASSERT_TRUE(rs->moveNext());
    EXPECT_EQ(stored(adler, "a4"), s("Hauptstraße 1"));
    rs->setValue(s("a6"), s("030 123"));
    ASSERT_TRUE(rs->refresh());
    EXPECT_EQ(stored(becker, "a6"), s("030 123"));

    // A new record is appended at the end, whatever the order, and current.
    rs->addNew();
    rs->setValue(s("a2"), s("Neumann"));
    ASSERT_TRUE(rs->update());
    EXPECT_TRUE(rs->position() == 4 && stored(rs->currentId(), "a2") == s("Neumann"));
    rs->addNew();
    rs->setValue(s("a2"), s("Nachtrag"));
    EXPECT_TRUE(rs->moveFirst()); // moving away stores it
    rs->setValue(s("a2"), s("Geändert"));
    rs->cancelUpdate();
    EXPECT_EQ(rs->text(s("a2")), s("Adler"));
    rs->moveLast();
    rs->setValue(s("a6"), s("089 456"));
    rs.reset();
    EXPECT_EQ(t.count(s("Kunden"), s("a6 = '089 456'")) + t.count(s("Kunden"), s("a2 = 'Nachtrag'")), 2);

    rs = std::make_unique<Recordset>(t.db(), s("Kunden"));
    rs->setRecordSource(s("SortKunden"));
    ASSERT_TRUE(rs->refresh());
    rs->moveNext(); // becker
    ASSERT_TRUE(rs->deleteCurrent());
    EXPECT_EQ(rs->currentId(), mustermann) << "the following record";
    rs->moveLast();
    ASSERT_TRUE(rs->deleteCurrent());
    EXPECT_EQ(rs->text(s("a2")), s("Neumann")) << "the new last record";
    EXPECT_EQ(t.count(s("Kunden")), 4);
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
    EXPECT_FALSE(rs->findFirst(s("a2 = ?"), {s("Zander")}) || rs->refresh() || rs->deleteCurrent());
    rs->cancelUpdate();
    rs->addNew();
    rs->setValue(s("a2"), s("Neumann"));
    EXPECT_FALSE(rs->update());
    EXPECT_TRUE(rs->isAdding());
    t.exec(s("PRAGMA query_only = OFF"));
    EXPECT_TRUE(rs->update());
    EXPECT_EQ(rs->recordCount(), 5);

    // A record deleted elsewhere.
    rs->moveFirst();
    t.exec(s("DELETE FROM Kunden WHERE ID = ?"), {adler});
    rs->setValue(s("a2"), s("Adler-Schulz"));
    EXPECT_FALSE(rs->update());
    EXPECT_TRUE(rs->lastError().contains(s("gelöscht")));
    rs->cancelUpdate();
}

TEST(Recordset, LargeSetsYesNoFieldsAndTheModelFollowTheSet)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    QSqlDatabase con = t.connection();
    con.transaction();
    for (int i = 0; i < 3000; ++i)
        t.addDocument(QString::number(5000 + i), s("01.01.2024"), s("Rechnung"), i % 3 == 0,
                      {{s("a2"), i % 7 == 0 ? s("Müller GmbH") : s("Kunde %1").arg(i)}});
    con.commit();
    // A set in ID order with gaps is searched by index; it must find what a walk finds.
    Recordset rs(t.db(), s("Rechnungen"));
    rs.setRecordSource(s("SELECT * FROM Rechnungen WHERE opt1 = -1"));
    ASSERT_TRUE(rs.refresh());
    ASSERT_EQ(rs.recordCount(), 1000);
    const QString byName = s("a2 LIKE ? OR a3 LIKE ?");
    const QVariantList pattern{s("*MÜLLER*"), s("*MÜLLER*")};
    EXPECT_TRUE(rs.findFirst(byName, pattern) && rs.findNext(byName, pattern));
    EXPECT_EQ(rs.text(s("a7")), s("5021"));
    ASSERT_TRUE(rs.moveLast());
    EXPECT_TRUE(rs.findPrevious(byName, pattern));
    EXPECT_EQ(rs.text(s("a7")), s("7982"));
    EXPECT_FALSE(rs.findFirst(s("a7 LIKE ?"), {s("5998")}));
    EXPECT_TRUE(rs.findFirst(s("a7 LIKE ?"), {s("6*")}));
    EXPECT_EQ(rs.text(s("a7")), s("6002"));

    // Yes/No fields are stored as -1 and 0.
    QStringList stored;
    for (const QVariant& v : {QVariant(true), QVariant(0), QVariant(-1), QVariant(s("0")), QVariant(s("Wahr")), QVariant()}) {
        rs.setValue(s("opt1"), v);
        EXPECT_TRUE(rs.update());
        stored << t.field(s("Rechnungen"), rs.currentId(), s("opt1")).toString();
    }
    EXPECT_EQ(stored.join(QLatin1Char(' ')), s("-1 0 -1 0 -1 0"));

    // The model reads rows in blocks and shows every change.
    rs.setRecordSource(s("SELECT * FROM Rechnungen ORDER BY a7 DESC"));
    ASSERT_TRUE(rs.refresh());
    RecordsetModel model(rs, {s("a7"), s("a2"), s("opt1")}, {s("Rechnungs-Nr."), s("Name"), s("bezahlt")});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const auto cell = [&](int row, int column) { return model.index(row, column).data().toString(); };
    test::expectRows("cells", {{cell(0, 0), "7999"}, {cell(2999, 0), "5000"}, {cell(1500, 0), "6499"}, {cell(1, 1), "Kunde 2998"},
                               {cell(0, 2), "Nein"}, {cell(2, 2), "Ja"},
                               {QString::number(model.index(5, 1).data(RecordsetModel::IdRole).toLongLong() - rs.idAt(5)), "0"}});
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    rs.moveNext();
    rs.setValue(s("a2"), s("Neuer Name"));
    rs.moveNext();
    ASSERT_GE(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>().row(), 1);
    EXPECT_EQ(cell(1, 1), s("Neuer Name"));
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    ASSERT_TRUE(rs.deleteCurrent());
    EXPECT_TRUE(cell(2, 0) == s("7996") && reset.count() == 1);
}

TEST(Schema, TheTemplateHasItsRecordsAndSortsCustomersByNameWhateverTheCase)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid()) << t.error().toStdString();
    for (const auto& [name, first] : {std::pair{"zander", "Ute"}, std::pair{"Adler", "bernd"}, std::pair{"adler", "Anna"}})
        t.addCustomer(s(name), s(first));
    QSqlQuery q(t.connection());
    ASSERT_TRUE(q.exec(s("SELECT (SELECT group_concat(a2 || ' ' || a3, ', ') FROM SortKunden) || ' / ' || a4 || ' ' || a19 || ' / '"
                         " || (SELECT MWSt || frei9 || frei8 || frei1 || Rechnungsnummer || Vordruck || Titel FROM Einstellungen)"
                         " FROM Artikel")) && q.next());
    EXPECT_EQ(q.value(0).toString(), s("adler Anna, Adler bernd, Mustermann Max, zander Ute / 10,00 19 / 197EUR11000-1Ihre Firma"));
    // New records start with empty text and unpaid; flags take only -1 and 0.
    const qint64 id = t.insert(s("Rechnungen"), {});
    EXPECT_EQ(t.count(s("Rechnungen"), s("a2 = '' AND a7 = '' AND opt1 = 0 AND ID = ?"), {id}), 1);
    EXPECT_FALSE(q.exec(s("INSERT INTO Rechnungen (opt1) VALUES (1)")));
}
