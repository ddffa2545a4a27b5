#include "safety/Backup.h"
#include "support/QtPrinters.h"
#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

using quittora::test::CliRun;
using quittora::test::fileBytes;

namespace {

CliRun cli(const QStringList& args)
{
    return quittora::test::runCli(args);
}

bool execOn(const QString& db, const QString& sql)
{
    bool ok = false;
    {
        auto con = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("cli-backup"));
        con.setDatabaseName(db);
        ok = con.open() && QSqlQuery(con).exec(sql);
        con.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("cli-backup"));
    return ok;
}

class BackupCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = dir.filePath(QStringLiteral("daten/Quittora.qtb"));
        ASSERT_EQ(cli({QStringLiteral("init"), db}).exitCode, 0);
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("usb")));
    }
    QTemporaryDir dir;
    QString db;
};

} // namespace

TEST_F(BackupCommandsTest, BackupIntoAFolderThenRestoreBringsTheDataBack)
{
    ASSERT_TRUE(execOn(db, QStringLiteral("INSERT INTO Kunden(a2) VALUES('Gesichert')")));
    const CliRun backup = cli({QStringLiteral("backup"), db, dir.filePath(QStringLiteral("usb"))});
    ASSERT_EQ(backup.exitCode, 0) << backup.err.toStdString();
    const QString target = dir.filePath(QStringLiteral("usb/Quittora.qtb"));
    EXPECT_TRUE(backup.out.contains(target));
    EXPECT_EQ(cli({QStringLiteral("info"), target}).out, QStringLiteral("Rechnungen: 0\nPositionen: 0\nKunden: 2\nArtikel: 1\n"));

    ASSERT_TRUE(execOn(db, QStringLiteral("DELETE FROM Kunden")));
    const CliRun restore = cli({QStringLiteral("restore"), target, db});
    ASSERT_EQ(restore.exitCode, 0) << restore.err.toStdString();
    EXPECT_TRUE(restore.out.contains(QStringLiteral("Sicherheitskopie")));
    EXPECT_EQ(cli({QStringLiteral("info"), db}).out, QStringLiteral("Rechnungen: 0\nPositionen: 0\nKunden: 2\nArtikel: 1\n"));
}

TEST_F(BackupCommandsTest, RefusalsExitWithTwoAndAGermanMessageAndChangeNothing)
{
    const QByteArray before = fileBytes(db);
    const CliRun missing = cli({QStringLiteral("restore"), dir.filePath(QStringLiteral("usb/Quittora.qtb")), db});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.startsWith(QStringLiteral("Datei nicht gefunden !"))) << missing.err.toStdString();

    const QString broken = dir.filePath(QStringLiteral("usb/kaputt.qtb"));
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("SQLite format 3\0 aber sonst nichts", 34);
    f.close();
    const CliRun damaged = cli({QStringLiteral("restore"), broken, db});
    EXPECT_EQ(damaged.exitCode, 2);
    EXPECT_TRUE(damaged.err.startsWith(QStringLiteral("Die Sicherungsdatei ist beschädigt"))) << damaged.err.toStdString();

    const CliRun same = cli({QStringLiteral("backup"), db, db.toUpper()});
    EXPECT_EQ(same.exitCode, 2);
    EXPECT_TRUE(same.err.startsWith(QStringLiteral("Sicherungspfad identisch mit Programmpfad !")));

    EXPECT_EQ(cli({QStringLiteral("backup"), db}).exitCode, 1);
    EXPECT_EQ(fileBytes(db), before);
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("daten"))).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Quittora.qtb")});
}

// A scheduled restore while the program has the database open is refused;
// a backup meanwhile is fine.
TEST_F(BackupCommandsTest, RestoreWaitsUntilTheProgramHasClosedTheDatabase)
{
    const QString target = dir.filePath(QStringLiteral("usb/Quittora.qtb"));
    ASSERT_EQ(cli({QStringLiteral("backup"), db, target}).exitCode, 0);
    ASSERT_TRUE(execOn(db, QStringLiteral("INSERT INTO Kunden(a2) VALUES('Nach der Sicherung')")));
    const QByteArray before = fileBytes(db);
    {
        quittora::safety::InUseMark program(db);
        ASSERT_TRUE(program.held());
        const CliRun refused = cli({QStringLiteral("restore"), target, db});
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_TRUE(refused.err.startsWith(QStringLiteral("Die Datendatei wird gerade benutzt."))) << refused.err.toStdString();
        EXPECT_EQ(fileBytes(db), before);
        EXPECT_EQ(cli({QStringLiteral("backup"), db, target}).exitCode, 0);
    }
    EXPECT_EQ(cli({QStringLiteral("restore"), target, db}).exitCode, 0);
}
