#include "tools/PostalCodeLookup.h"
#include "support/CliRunner.h"

#include "support/PostalCodeFixture.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace quittora;
using quittora::test::PostalCodeFixture;

using quittora::test::CliRun;
using quittora::test::fileHash;

namespace {

CliRun cli(const QStringList& args)
{
    return quittora::test::runCli(args);
}

QStringList importArgs(const QString& target, const PostalCodeFixture& files)
{
    const auto csv = files.csvFiles();
    return {QStringLiteral("plz-import"), target, csv[0], csv[1], csv[2]};
}

} // namespace

TEST(PlzImportCommand, BuildsADatabaseTheLookupReads)
{
    PostalCodeFixture files;
    const QString target = files.filePath(QStringLiteral("bin/plz.mdb"));
    const CliRun run = cli(importArgs(target, files));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Postleitzahlen-Datenbank geschrieben: %1\n"
                                      "Deutschland: 11 Postleitzahlen\n"
                                      "Österreich: 4 Postleitzahlen\n"
                                      "Schweiz: 3 Postleitzahlen\n")
                           .arg(target));

    plz::PostalCodeLookup lookup;
    ASSERT_TRUE(lookup.open(target)) << lookup.problem().toStdString();
    EXPECT_TRUE(lookup.search(QStringLiteral("10115")));
    EXPECT_EQ(lookup.current().ort, QStringLiteral("Berlin"));
}

TEST(PlzImportCommand, RefreshesAnExistingDatabaseAndReportsSkippedRows)
{
    PostalCodeFixture files;
    const QString target = files.buildDatabase();
    ASSERT_FALSE(target.isEmpty());
    files.writeFile(QStringLiteral("at.csv"), QString::fromUtf8(PostalCodeFixture::kHeader)
                                                  + QStringLiteral("AT,6020,Innsbruck,Tirol,07,,,,,47.26,11.39\n"
                                                                   "AT,,ohne Postleitzahl,Tirol,07,,,,,0,0\n"));
    const CliRun run = cli(importArgs(target, files));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(
        QStringLiteral("Österreich: 1 Postleitzahlen (1 Zeilen ohne Postleitzahl oder Ort übersprungen)\n")))
        << run.out.toStdString();

    plz::PostalCodeLookup lookup;
    ASSERT_TRUE(lookup.open(target));
    lookup.setCountry(plz::Country::Oesterreich);
    EXPECT_EQ(lookup.recordCount(), 1);
    EXPECT_EQ(lookup.current().ort, QStringLiteral("Innsbruck"));
}

TEST(PlzImportCommand, RefusesBadFilesAndForeignTargetsWithoutChangingThem)
{
    PostalCodeFixture files;
    const QString target = files.buildDatabase();
    ASSERT_FALSE(target.isEmpty());
    const QByteArray before = fileHash(target);

    const auto csv = files.csvFiles();
    CliRun run = cli({QStringLiteral("plz-import"), target, csv[0], csv[1], files.filePath(QStringLiteral("fehlt.csv"))});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("fehlt.csv“ kann nicht gelesen werden"))) << run.err.toStdString();
    EXPECT_EQ(fileHash(target), before);

    const QString letter = files.writeFile(QStringLiteral("Brief.mdb"), QStringLiteral("Sehr geehrte Damen und Herren"));
    run = cli(importArgs(letter, files));
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("ist keine Postleitzahlen-Datenbank und wird nicht ersetzt")))
        << run.err.toStdString();
    QFile f(letter);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("Sehr geehrte Damen und Herren"));
}

TEST(PlzImportCommand, AWrongCallShowsHowToCallIt)
{
    PostalCodeFixture files;
    const CliRun run = cli({QStringLiteral("plz-import"), files.filePath(QStringLiteral("plz.mdb")), files.csvFiles()[0]});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, QStringLiteral("Aufruf: quittora-cli plz-import ZIEL.mdb DE.csv AT.csv CH.csv\n"));
    EXPECT_FALSE(QFile::exists(files.filePath(QStringLiteral("plz.mdb"))));

    const CliRun help = cli({QStringLiteral("--help")});
    EXPECT_TRUE(help.out.contains(QStringLiteral("plz-import ZIEL.mdb DE.csv AT.csv CH.csv"))) << help.out.toStdString();
}
