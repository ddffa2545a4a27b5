#include "export/Overview.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

using namespace quittora;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// The encoded message without its soft line breaks.
QByteArray joined(QByteArray message)
{
    return message.replace("=\r\n", "");
}

struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// Runs quittora-cli with its own settings and runtime folders, so neither the
// user's settings nor temporary files are touched.
class ExportCli : public ::testing::Test {
protected:
    QTemporaryDir home;
    QString locale = s("C.UTF-8");

    CliRun cli(const QStringList& args) const
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(s("XDG_CONFIG_HOME"), home.filePath(s("config")));
        env.insert(s("XDG_RUNTIME_DIR"), home.path());
        env.insert(s("LC_ALL"), locale);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(QUITTORA_CLI), args);
        p.waitForFinished(30000);
        return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
    }
    void setPriceBasis(const char* value) const
    {
        const QString folder = home.filePath(s("config/Quittora pro"));
        ASSERT_TRUE(QDir().mkpath(folder));
        QFile f(folder + s("/Quittora pro.conf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("[Startup]\nRechnungsbasis=") + value + "\n");
    }
};

// May 2024: two numbered open invoices, one without number, one whose amount
// is no number, one paid, one quote.
void fillMay(TempDatabase& t, const char* a, const char* b)
{
    t.addDocument(s("11"), s("03.05.2024"), s("Rechnung"), false,
                  {{s("a6"), s(a)}, {s("a2"), s("Anna Schmidt")}, {s("a5"), s("50667 Köln")}});
    t.addDocument(s("12"), s("20.05.2024"), s("Rechnung"), false, {{s("a6"), s(b)}, {s("a2"), s("Bernd")}});
    t.addDocument(s(""), s("21.05.2024"), s("Rechnung"), false, {{s("a6"), s("500")}});
    t.addDocument(s("13"), s("22.05.2024"), s("Rechnung"), false, {{s("a6"), s("offen")}});
    t.addDocument(s("14"), s("23.05.2024"), s("Rechnung"), true, {{s("a6"), s("7")}});
    t.addDocument(s("15"), s("24.05.2024"), s("Angebot"), false, {{s("a6"), s("9")}});
}

} // namespace

TEST_F(ExportCli, OverviewPrintsTheListAndTheTotalAndWritesTheFile)
{
    TempDatabase t(QLatin1Char('.'));
    ASSERT_TRUE(t.isValid());
    fillMay(t, "100.00", "19.50");
    const QString plan = t.filePath(s("Plan.txt"));
    const CliRun r = cli({s("overview"), t.path(), s("--month"), s("Mai"), s("--year"), s("2024"), s("--out"), plan});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    QList<overview::Row> rows;
    ASSERT_TRUE(overview::readRows(t.db(), *overview::monthFilter(s("Mai"), s("2024"), overview::PaidState::Open), &rows));
    ASSERT_EQ(rows.size(), 4);
    const QByteArray expected = overview::planText(s("offene Rechnungen  Mai / 2024"), rows);
    EXPECT_EQ(TempDatabase::readFile(plan), expected);
    QByteArray printed = expected;
    printed.replace("\r\n", "\n");
    EXPECT_EQ(r.out, printed + "Summe: 119.50\n");
}

TEST_F(ExportCli, OverviewOfPaidInvoicesUnderTheGermanSeparator)
{
    TempDatabase t(QLatin1Char(','));
    ASSERT_TRUE(t.isValid());
    fillMay(t, "100,00", "19,50");
    locale = s("de_DE.UTF-8");
    CliRun r = cli({s("overview"), t.path(), s("--month"), s("Mai"), s("--year"), s("2024")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.endsWith("\nSumme: 119,50\n")) << r.out.constData();

    r = cli({s("overview"), t.path(), s("--bezahlt"), s("--month"), s("Mai"), s("--year"), s("2024")});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith("bezahlte Rechnungen  Mai / 2024\n"));
    EXPECT_TRUE(r.out.contains("\n14 "));
    EXPECT_TRUE(r.out.endsWith("\nSumme: 7,00\n"));

    // An empty selection prints a zero total and writes no file.
    const QString plan = t.filePath(s("Plan.txt"));
    r = cli({s("overview"), t.path(), s("--month"), s("Juni"), s("--year"), s("2024"), s("--out"), plan});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.endsWith("\nSumme: 0,00\n"));
    EXPECT_FALSE(QFile::exists(plan));
}

TEST_F(ExportCli, OverviewWrongCallsAndForeignFiles)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    EXPECT_EQ(cli({s("overview"), t.path(), s("--month"), s("Mai")}).exitCode, 1);
    EXPECT_EQ(cli({s("overview"), t.path(), s("--month"), s("Maerz"), s("--year"), s("2024")}).exitCode, 1);
    EXPECT_EQ(cli({s("overview"), t.path(), s("--month"), s("Mai"), s("--year"), s("2024"), s("--gestern")}).exitCode, 1);
    const QString text = t.filePath(s("keine.qtb"));
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("kein SQLite");
    f.close();
    const CliRun r = cli({s("overview"), text, s("--month"), s("Mai"), s("--year"), s("2024")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_FALSE(r.err.isEmpty());
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(ExportCli, EmlWritesTheFileAndNumbersTheInvoice)
{
    TempDatabase t(QLatin1Char('.'));
    ASSERT_TRUE(t.isValid());
    ASSERT_TRUE(t.exec(s("UPDATE Einstellungen SET MWSt = '19', frei9 = '7', Rechnungsnummer = '500'")));
    const qint64 customer = t.addCustomer(s("Kunde"), {}, {{s("a40"), s("kunde@example.de")}});
    const qint64 doc = t.addDocument(s(""), s("01.03.2024"), s("Rechnung"), false, {{s("b1"), QString::number(customer)}});
    t.addLine(doc, s("1"), s("Arbeit"), s("100.00"), s("100.00"), s("19"));

    const QString out = t.filePath(s("Rechnung.eml"));
    const CliRun r = cli({s("eml"), t.path(), s("--document"), QString::number(doc), s("--out"), out});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray file = TempDatabase::readFile(out);
    EXPECT_TRUE(file.startsWith("To: <kunde@example.de>\r\nSubject: Ihre Rechnung\r\n"));
    EXPECT_TRUE(joined(file).contains("zuz=C3=BCglich MwSt."));
    EXPECT_EQ(t.field(s("Rechnungen"), doc, s("a7")).toString(), s("500"));
    EXPECT_EQ(t.field(s("Rechnungen"), doc, s("a6")).toString(), s("119.00"));
    EXPECT_EQ(t.field(s("Rechnungen"), doc, s("b10")).toString(), s("kunde@example.de"));
    EXPECT_EQ(t.setting(s("Rechnungsnummer")).toString(), s("501"));

    // Gross prices from the per-user setting, as the program reads them.
    setPriceBasis("1");
    ASSERT_EQ(cli({s("eml"), t.path(), s("--document"), QString::number(doc), s("--out"), out}).exitCode, 0);
    EXPECT_TRUE(joined(TempDatabase::readFile(out)).contains("enthaltene MwSt."));
    EXPECT_EQ(t.field(s("Rechnungen"), doc, s("a6")).toString(), s("100.00"));
}

TEST_F(ExportCli, EmlGoesToThePrivateTemporaryFolderByDefault)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    const qint64 doc = t.addDocument(s("1"), s("01.03.2024"), s("Angebot"));
    const CliRun r = cli({s("eml"), t.path(), s("--document"), QString::number(doc)});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString file = home.filePath(s("quittora-tmp/Quittora.eml"));
    EXPECT_TRUE(QFile::exists(file));
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
        | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFileInfo(home.filePath(s("quittora-tmp"))).permissions() & others, QFile::Permissions());
    EXPECT_TRUE(r.out.contains(file.toUtf8()));
}

TEST_F(ExportCli, EmlRefusesUnknownDocumentsAndForeignFiles)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    const QString out = t.filePath(s("x.eml"));
    EXPECT_EQ(cli({s("eml"), t.path(), s("--document"), s("4711"), s("--out"), out}).exitCode, 2);
    EXPECT_EQ(cli({s("eml"), t.path(), s("--document"), s("vier"), s("--out"), out}).exitCode, 1);
    EXPECT_EQ(cli({s("eml"), t.path()}).exitCode, 1);
    EXPECT_EQ(cli({s("eml"), t.filePath(s("fehlt.qtb")), s("--document"), s("1"), s("--out"), out}).exitCode, 2);
    EXPECT_FALSE(QFile::exists(out));
}
