#include <gtest/gtest.h>
#include "support/CliRunner.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

using quittora::test::CliRun;
using quittora::test::fileHash;

namespace {

CliRun cli(const QStringList& args)
{
    return quittora::test::runCli(args);
}

class CliTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
};

} // namespace

TEST_F(CliTest, InitCreatesATemplateDatabaseThatInfoCounts)
{
    const QString db = path("neu/Quittora.qtb");
    const CliRun init = cli({QStringLiteral("init"), db});
    ASSERT_EQ(init.exitCode, 0) << init.err.toStdString();
    ASSERT_TRUE(QFile::exists(db));

    const CliRun info = cli({QStringLiteral("info"), db});
    ASSERT_EQ(info.exitCode, 0) << info.err.toStdString();
    EXPECT_EQ(info.out, QStringLiteral("Rechnungen: 0\nPositionen: 0\nKunden: 1\nArtikel: 1\n"));
}

TEST_F(CliTest, InfoCountsWhatTheFileHolds)
{
    const QString db = path("Quittora.qtb");
    ASSERT_EQ(cli({QStringLiteral("init"), db}).exitCode, 0);
    {
        auto con = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("cli-fill"));
        con.setDatabaseName(db);
        ASSERT_TRUE(con.open());
        QSqlQuery q(con);
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO Rechnungen (a7, a156) VALUES ('1000', 'Rechnung')")));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO Rechnungen (a7, a156) VALUES ('', 'Angebot')")));
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO Verkauf (a1, a2) VALUES ('1', '2')")));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO Kunden (a2) VALUES ('Müller')")));
        con.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("cli-fill"));
    const CliRun info = cli({QStringLiteral("info"), db});
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_EQ(info.out, QStringLiteral("Rechnungen: 2\nPositionen: 3\nKunden: 2\nArtikel: 1\n"));
}

TEST_F(CliTest, InitRefusesToOverwriteAnExistingFile)
{
    const QString db = path("Quittora.qtb");
    QFile f(db);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("wichtige Daten");
    f.close();
    const QByteArray before = fileHash(db);

    const CliRun init = cli({QStringLiteral("init"), db});
    EXPECT_EQ(init.exitCode, 2);
    EXPECT_FALSE(init.err.isEmpty());
    EXPECT_TRUE(init.out.isEmpty());
    EXPECT_EQ(fileHash(db), before);
}

TEST_F(CliTest, InfoRefusesFilesThatAreNoQuittoraDatabase)
{
    // A text file with the right extension, a foreign SQLite database, a
    // missing file: each gets a German message on stderr and exit status 2,
    // and no file is touched.
    const QString text = path("Text.qtb");
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Dies ist keine Datenbank.\n");
    }
    const QString foreign = path("fremd.qtb");
    {
        auto con = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("cli-foreign"));
        con.setDatabaseName(foreign);
        ASSERT_TRUE(con.open());
        QSqlQuery q(con);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE Rechnungen (ID INTEGER PRIMARY KEY)")));
        con.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("cli-foreign"));

    for (const QString& file : {text, foreign}) {
        const QByteArray before = fileHash(file);
        const CliRun info = cli({QStringLiteral("info"), file});
        EXPECT_EQ(info.exitCode, 2) << file.toStdString();
        EXPECT_TRUE(info.out.isEmpty());
        EXPECT_TRUE(info.err.contains(QStringLiteral("Quittora")) || info.err.contains(QStringLiteral("Datenbank")))
            << info.err.toStdString();
        EXPECT_EQ(fileHash(file), before);
    }
    const CliRun missing = cli({QStringLiteral("info"), path("gibtesnicht.qtb")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_FALSE(missing.err.isEmpty());
    EXPECT_FALSE(QFile::exists(path("gibtesnicht.qtb")));
}

TEST_F(CliTest, WrongCallsShowTheUsage)
{
    EXPECT_EQ(cli({}).exitCode, 1);
    const CliRun unknown = cli({QStringLiteral("zaubern")});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("Unbekannter Befehl")));
    EXPECT_EQ(cli({QStringLiteral("info")}).exitCode, 1);
}
