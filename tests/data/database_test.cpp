#include "data/Database.h"
#include "data/Schema.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <sqlite3.h>

using namespace quittora;
using quittora::test::TempDatabase;

namespace {

// A template database beside the test's other files, closed again.
QString makeTemplate(const QTemporaryDir& dir, const QString& name = QStringLiteral("Quittora.qtb"))
{
    const QString path = dir.filePath(name);
    QString message;
    EXPECT_TRUE(Database::createFromTemplate(path, QLatin1Char(','), &message)) << message.toStdString();
    return path;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Runs SQL on a file through a connection of its own, outside Quittora.
void runOn(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    char* err = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
    sqlite3_free(err);
    sqlite3_close(db);
}

// Expects checkFile and open to refuse the file with a message containing
// `expected` and naming the file, and the file to stay byte for byte as it was.
void expectRefused(const QString& path, const QString& expected)
{
    const QByteArray before = TempDatabase::readFile(path);
    const QString why = Database::checkFile(path);
    EXPECT_TRUE(why.contains(expected)) << why.toStdString();
    EXPECT_TRUE(why.contains(QDir::toNativeSeparators(path))) << why.toStdString();

    Database db;
    QString message;
    EXPECT_FALSE(db.open(path, &message));
    EXPECT_EQ(message, why);
    EXPECT_FALSE(db.isOpen());
    EXPECT_EQ(TempDatabase::readFile(path), before);
}

QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

TEST(DatabaseCheck, AcceptsAFreshTemplateAndChangesNothing)
{
    QTemporaryDir dir;
    const QString path = makeTemplate(dir);
    const QByteArray before = TempDatabase::readFile(path);
    EXPECT_EQ(Database::checkFile(path), QString());
    EXPECT_EQ(TempDatabase::readFile(path), before);
    EXPECT_EQ(folderEntries(dir.path()), QStringList{QStringLiteral("Quittora.qtb")});
}

TEST(DatabaseCheck, RefusesMissingFileAndFolder)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("fehlt.qtb"));
    EXPECT_TRUE(Database::checkFile(missing).contains(QStringLiteral("wurde nicht gefunden")));
    Database db;
    QString message;
    EXPECT_FALSE(db.open(missing, &message));
    EXPECT_FALSE(QFile::exists(missing)) << "opening must never create a file";

    const QString folder = dir.filePath(QStringLiteral("Ordner.qtb"));
    QDir().mkpath(folder);
    EXPECT_TRUE(Database::checkFile(folder).contains(QStringLiteral("ist ein Ordner")));
    EXPECT_FALSE(Database::checkFile(QString()).isEmpty());
}

TEST(DatabaseCheck, RefusesPlainTextAndEmptyFiles)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("Quittora.qtb"));
    writeFile(text, "Das ist keine Datenbank, sondern eine Einkaufsliste.\r\n");
    expectRefused(text, QStringLiteral("keine Quittora-Datenbank"));

    const QString empty = dir.filePath(QStringLiteral("leer.qtb"));
    writeFile(empty, QByteArray());
    expectRefused(empty, QStringLiteral("leer"));
}

TEST(DatabaseCheck, RefusesAnotherProgramsSqliteFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fremd.qtb"));
    runOn(path, "CREATE TABLE Kunden (ID INTEGER PRIMARY KEY, a2 TEXT); INSERT INTO Kunden (a2) VALUES ('x');");
    expectRefused(path, QStringLiteral("keine Quittora-Datenbank"));
}

TEST(DatabaseCheck, RefusesATruncatedFile)
{
    QTemporaryDir dir;
    const QString path = makeTemplate(dir);
    QByteArray bytes = TempDatabase::readFile(path);
    ASSERT_GT(bytes.size(), 3 * 4096);
    bytes.truncate(2 * 4096);
    writeFile(path, bytes);
    expectRefused(path, QStringLiteral("unvollständig"));
}

// One page of the customers' table (or an index of the articles)
// overwritten: refused on opening with the advice to restore the backup,
// and nothing written into the file. One byte short: incomplete.
TEST(DatabaseCheck, RefusesAFileWithADamagedPageOrOneByteShort)
{
    QTemporaryDir dir;
    const QString path = makeTemplate(dir);
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
    const auto leafOf = [&](const char* tree) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "SELECT pageno FROM dbstat WHERE name = ? AND pagetype = 'leaf' LIMIT 1 OFFSET 2", -1, &stmt,
                           nullptr);
        sqlite3_bind_text(stmt, 1, tree, -1, SQLITE_STATIC);
        const int page = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : 0;
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return page;
    };
    for (const char* tree : {"Kunden", "Artikel_a2"}) {
        const int page = leafOf(tree);
        ASSERT_GT(page, 1) << tree;
        writeFile(path, QByteArray(good).replace((page - 1) * 4096, 4096, QByteArray(4096, '\x5a')));
        expectRefused(path, QString::fromUtf8("ist beschädigt. Quittora liest und schreibt sie nicht weiter"));
        EXPECT_TRUE(Database::checkFile(path).contains(QString::fromUtf8("(Datei → Datensicherung)")));
    }
    writeFile(path, good.left(good.size() - 1));
    expectRefused(path, QStringLiteral("unvollständig"));
}

TEST(DatabaseCheck, RefusesAReadOnlyFile)
{
    QTemporaryDir dir;
    const QString path = makeTemplate(dir);
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    expectRefused(path, QStringLiteral("schreibgeschützt"));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

TEST(DatabaseCheck, RefusesAFileOfANewerProgramVersion)
{
    QTemporaryDir dir;
    const QString path = makeTemplate(dir);
    runOn(path, "PRAGMA user_version = 99");
    expectRefused(path, QStringLiteral("neueren Quittora-Version"));
}

TEST(DatabaseCheck, RefusesAQuittoraFileThatLacksATable)
{
    QTemporaryDir dir;
    const QString path = makeTemplate(dir);
    runOn(path, "DROP TABLE Verkauf");
    expectRefused(path, QStringLiteral("Verkauf"));
}

TEST(DatabaseCheck, RefusesAFileLockedByAnotherWriterUntilItIsReleased)
{
    QTemporaryDir dir;
    const QString path = makeTemplate(dir);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    expectRefused(path, QStringLiteral("gesperrt"));

    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(Database::checkFile(path), QString());
}

// A write interrupted by a crash leaves the file half-written with its
// journal beside it: the file is accepted and opening restores the last
// complete state.
TEST(DatabaseOpen, AnInterruptedWriteIsRolledBackOnOpen)
{
    QTemporaryDir dir;
    const QString path = makeTemplate(dir);
    runOn(path, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                "INSERT INTO Kunden (a2, n1) SELECT 'Kunde ' || i, 'alt' FROM n");
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "PRAGMA cache_size = 10; BEGIN; "
                                   "UPDATE Kunden SET n1 = hex(randomblob(200)); "
                                   "INSERT INTO Kunden (a2) SELECT a2 FROM Kunden;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    // The state a crash would leave: copies of the file and its journal.
    const QString crashed = dir.filePath(QStringLiteral("Absturz.qtb"));
    ASSERT_TRUE(QFile::exists(path + QStringLiteral("-journal")));
    ASSERT_TRUE(QFile::copy(path, crashed));
    ASSERT_TRUE(QFile::copy(path + QStringLiteral("-journal"), crashed + QStringLiteral("-journal")));
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    ASSERT_NE(TempDatabase::readFile(crashed), TempDatabase::readFile(path)) << "the copy must be mid-write";

    EXPECT_EQ(Database::checkFile(crashed), QString());
    Database db;
    QString message;
    ASSERT_TRUE(db.open(crashed, &message)) << message.toStdString();
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*), sum(n1 = 'alt') FROM Kunden")) && q.next());
    EXPECT_EQ(q.value(0).toInt(), 3001);
    EXPECT_EQ(q.value(1).toInt(), 3000);
    ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("ok"));
}

TEST(DatabaseOpen, OpensReadWriteAndCounts)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    EXPECT_EQ(t.db().path(), t.path());
    t.addDocument(QStringLiteral("1000"), QStringLiteral("01.02.2024"));
    const qint64 doc = t.addDocument(QStringLiteral("1001"), QStringLiteral("02.02.2024"));
    t.addLine(doc, QStringLiteral("1"), QStringLiteral("Schraube"), QStringLiteral("1,00"), QStringLiteral("1,00"));
    const auto counts = t.db().counts();
    ASSERT_TRUE(counts.has_value());
    EXPECT_EQ(counts->rechnungen, 2);
    EXPECT_EQ(counts->positionen, 1);
    EXPECT_EQ(counts->kunden, 1);
    EXPECT_EQ(counts->artikel, 1);

    t.db().close();
    EXPECT_FALSE(t.db().isOpen());
    EXPECT_FALSE(t.db().counts().has_value());
}

TEST(DatabaseOpen, AddsTheIndexesAFileLacksAndOtherwiseWritesNothing)
{
    QTemporaryDir dir;
    const QString path = makeTemplate(dir);
    {
        // Opening a file that has every index leaves it byte for byte alone.
        const QByteArray before = TempDatabase::readFile(path);
        Database db;
        QString message;
        ASSERT_TRUE(db.open(path, &message)) << message.toStdString();
        db.close();
        EXPECT_EQ(TempDatabase::readFile(path), before);
    }
    // A file from before the search indexes existed.
    runOn(path, "DROP INDEX Rechnungen_a7_suche; DROP INDEX Rechnungen_jahr; "
                "INSERT INTO Rechnungen (a7, a8) VALUES ('1000', '01.03.2024')");
    Database db;
    QString message;
    ASSERT_TRUE(db.open(path, &message)) << message.toStdString();
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'index' ORDER BY name")));
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    for (const QString& statement : schema::indexStatements())
        EXPECT_TRUE(names.contains(statement.section(QLatin1Char(' '), 5, 5))) << statement.toStdString();
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT a7 FROM Rechnungen WHERE substr(a8, 7, 4) = '2024'")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("1000"));
}

TEST(DatabaseOpen, AFailedOpenKeepsThePreviousDatabaseOpen)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    const QString foreign = t.filePath(QStringLiteral("fremd.qtb"));
    runOn(foreign, "CREATE TABLE x (y)");

    QString message;
    EXPECT_FALSE(t.db().open(foreign, &message));
    EXPECT_FALSE(message.isEmpty());
    EXPECT_TRUE(t.db().isOpen());
    EXPECT_EQ(t.db().path(), t.path());
    EXPECT_EQ(t.count(QStringLiteral("Kunden")), 1);
}

TEST(DatabaseOpen, OpeningAnotherFileSwitchesTheConnection)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    const QString second = t.filePath(QStringLiteral("Zweite.qtb"));
    QString message;
    ASSERT_TRUE(Database::createFromTemplate(second, QLatin1Char(','), &message));
    t.addCustomer(QStringLiteral("Nur in der ersten"));
    ASSERT_TRUE(t.db().open(second, &message)) << message.toStdString();
    EXPECT_EQ(t.db().path(), second);
    EXPECT_EQ(t.count(QStringLiteral("Kunden")), 1);
}

TEST(DatabaseOpen, PathsWithBlanksUmlautsAndUrlCharactersOpen)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Müller & Söhne #1 ?%20/Quittora.qtb"));
    QString message;
    ASSERT_TRUE(Database::createFromTemplate(path, QLatin1Char(','), &message)) << message.toStdString();
    Database db;
    ASSERT_TRUE(db.open(path, &message)) << message.toStdString();
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM Kunden")) && q.next());
    EXPECT_EQ(q.value(0).toInt(), 1);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("Müller & Söhne #1 ?%20/Quittora.qtb-journal"))));
}

TEST(DatabaseCreate, RefusesAnExistingFileAndLeavesItAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quittora.qtb"));
    writeFile(path, "meine Daten");
    QString message;
    EXPECT_FALSE(Database::createFromTemplate(path, QLatin1Char(','), &message));
    EXPECT_TRUE(message.contains(QStringLiteral("existiert bereits"))) << message.toStdString();
    EXPECT_EQ(TempDatabase::readFile(path), QByteArray("meine Daten"));
    EXPECT_EQ(folderEntries(dir.path()), QStringList{QStringLiteral("Quittora.qtb")});
}

TEST(DatabaseCreate, MakesMissingFoldersAndLeavesNoTemporaryFiles)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Quittora pro - Daten/Unterordner"));
    const QString path = folder + QStringLiteral("/Quittora.qtb");
    QString message;
    ASSERT_TRUE(Database::createFromTemplate(path, QLatin1Char(','), &message)) << message.toStdString();
    EXPECT_EQ(folderEntries(folder), QStringList{QStringLiteral("Quittora.qtb")});
    EXPECT_EQ(Database::checkFile(path), QString());
}

TEST(DatabaseCreate, ReportsAFolderThatCannotBeMade)
{
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("datei"));
    writeFile(blocker, "x");
    QString message;
    EXPECT_FALSE(Database::createFromTemplate(blocker + QStringLiteral("/Quittora.qtb"), QLatin1Char(','), &message));
    EXPECT_FALSE(message.isEmpty());
}
