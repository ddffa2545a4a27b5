#include "data/Database.h"
#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using quittora::test::CliRun;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

CliRun cli(const QStringList& args)
{
    return quittora::test::runCli(args, quittora::test::cLocale());
}

class GenerateCli : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(s(name)); }
    QStringList small(const QString& file, const char* seed = "5") const
    {
        return {s("generate"), file, s("--documents"), s("30"), s("--customers"), s("12"), s("--articles"), s("9"),
                s("--lines-per-document"), s("3"), s("--seed"), s(seed)};
    }
};

} // namespace

TEST_F(GenerateCli, GeneratesADatabaseThatInfoCounts)
{
    const QString file = path("Quittora.qtb");
    const CliRun r = cli(small(file));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(s("Datenbank erzeugt: ") + file + s("\nRechnungen: 30\nPositionen: ")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(s("\nKunden: 12\nArtikel: 9\n")));
    EXPECT_TRUE(quittora::Database::checkFile(file).isEmpty());

    const CliRun info = cli({s("info"), file});
    ASSERT_EQ(info.exitCode, 0);
    EXPECT_TRUE(info.out.startsWith(s("Rechnungen: 30\n")));
    EXPECT_TRUE(info.out.endsWith(s("Kunden: 12\nArtikel: 9\n")));
    // The lines reported are the lines in the file.
    EXPECT_TRUE(r.out.contains(s("Positionen: ") + info.out.section(QLatin1Char('\n'), 1, 1).mid(12)));
}

TEST_F(GenerateCli, TheSameSeedGivesTheSameFile)
{
    ASSERT_EQ(cli(small(path("a.qtb"))).exitCode, 0);
    ASSERT_EQ(cli(small(path("b.qtb"))).exitCode, 0);
    QFile a(path("a.qtb"));
    QFile b(path("b.qtb"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());
}

TEST_F(GenerateCli, RefusesAnExistingFile)
{
    const QString file = path("Quittora.qtb");
    ASSERT_EQ(cli(small(file)).exitCode, 0);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    const CliRun r = cli(small(file, "6"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(s("existiert bereits"))) << r.err.toStdString();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

TEST_F(GenerateCli, WrongCallsAreRefusedWithAGermanReason)
{
    const QString file = path("x.qtb");
    CliRun r = cli({s("generate"), file, s("--customers"), s("0")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith(s("Die Anzahl der Kunden muss zwischen 1 und 1000000 liegen (angegeben: 0).\n")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(s("Aufruf: quittora-cli generate DATEI")));

    r = cli({s("generate"), file, s("--documents"), s("-3")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(s("Dokumente")));

    r = cli({s("generate"), file, s("--documents"), s("viele")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith(s("Der Wert von --documents muss eine ganze Zahl sein (angegeben: \"viele\").")));

    r = cli({s("generate"), file, s("--articles"), s("99999999999999999999999")});
    EXPECT_EQ(r.exitCode, 1);

    r = cli({s("generate"), file, s("--seed"), s("-1")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(s("--seed")));

    r = cli({s("generate"), file, s("--unbekannt"), s("1")});
    EXPECT_EQ(r.exitCode, 1);
    r = cli({s("generate")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(QFile::exists(file));
}
