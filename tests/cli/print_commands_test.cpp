#include "print/PdfWords.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace quittora;
using quittora::test::TempDatabase;
using quittora::testing::findWord;
using quittora::testing::pdfWords;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// quittora-cli with its own settings folder and a German locale.
class PrintCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.isValid());
        invoice = db.addDocument({}, s("15.03.2024"), s("Rechnung"), false,
                                 {{s("a1"), s("Frau")}, {s("a2"), s("Erika Muster")}, {s("a4"), s("Weg 1")},
                                  {s("a5"), s("12345 Ort")}});
        db.addLine(invoice, s("2"), s("Wandfarbe"), s("50,00"), s("100,00"));
        db.addLine(invoice, s("1"), s("Pinsel"), s("4,50"), s("4,50"), s("7"));
    }

    CliRun cli(const QStringList& args) const
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(s("XDG_CONFIG_HOME"), home.filePath(s("config")));
        env.insert(s("XDG_RUNTIME_DIR"), home.path());
        env.insert(s("LC_ALL"), s("de_DE.UTF-8"));
        env.remove(s("QT_QPA_PLATFORM")); // the command picks the offscreen platform itself
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(QUITTORA_CLI), args);
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

    QTemporaryDir home;
    TempDatabase db{QLatin1Char(',')};
    qint64 invoice = 0;
};

} // namespace

TEST_F(PrintCli, PrintsTheInvoiceIntoAPdfAndNumbersIt)
{
    const QString pdf = db.filePath(s("rechnung.pdf"));
    const CliRun r = cli({s("print"), db.path(), s("--document"), QString::number(invoice), s("--out"), pdf});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(s("Rechnungsnummer vergeben: 1000"))) << r.out.toStdString();
    EXPECT_EQ(db.field(s("Rechnungen"), invoice, s("a7")).toString(), s("1000"));
    EXPECT_EQ(db.setting(s("Rechnungsnummer")).toString(), s("1001"));

    QString error;
    const auto words = pdfWords(pdf, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const auto* title = findWord(words, s("Rechnung"), 0);
    ASSERT_NE(title, nullptr);
    EXPECT_NEAR(title->xMin, 135, 0.3);
    EXPECT_NE(findWord(words, s("1000"), 0), nullptr);
    const auto* item = findWord(words, s("Wandfarbe"), 0);
    ASSERT_NE(item, nullptr);
    EXPECT_NEAR(item->xMin, 55, 0.3);
    EXPECT_NEAR(item->yMin, 130, 1.2);
    // 100,00 at 19 % and 4,50 at 7 %: 119,00 + 4,82.
    EXPECT_NE(findWord(words, s("123,82"), 0), nullptr);

    // A second print keeps the number.
    const CliRun again = cli({s("print"), db.path(), s("--document"), QString::number(invoice), s("--out"), pdf});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_FALSE(again.out.contains(s("vergeben")));
    EXPECT_EQ(db.setting(s("Rechnungsnummer")).toString(), s("1001"));
}

TEST_F(PrintCli, PrintsTheDeliveryNote)
{
    const QString pdf = db.filePath(s("lieferschein.pdf"));
    const CliRun r =
        cli({s("print"), db.path(), s("--document"), QString::number(invoice), s("--out"), pdf, s("--lieferschein")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(db.field(s("Rechnungen"), invoice, s("a7")).toString(), QString());
    QString error;
    const auto words = pdfWords(pdf, &error);
    const auto* title = findWord(words, s("Lieferschein"), 0);
    ASSERT_NE(title, nullptr);
    EXPECT_NEAR(title->xMin, 20, 0.3);
    const auto* item = findWord(words, s("Wandfarbe"), 0);
    ASSERT_NE(item, nullptr);
    EXPECT_NEAR(item->xMin, 70, 0.3);
    EXPECT_EQ(findWord(words, s("EUR"), 0), nullptr);
}

TEST_F(PrintCli, WrongCallsAndUnknownDocuments)
{
    const QString pdf = db.filePath(s("x.pdf"));
    EXPECT_EQ(cli({s("print"), db.path(), s("--document"), s("1")}).exitCode, 1);
    EXPECT_EQ(cli({s("print"), db.path(), s("--document"), s("eins"), s("--out"), pdf}).exitCode, 1);
    EXPECT_EQ(cli({s("print"), db.path(), s("--document"), s("1"), s("--out"), pdf, s("--farbig")}).exitCode, 1);
    const CliRun r = cli({s("print"), db.path(), s("--document"), s("999"), s("--out"), pdf});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(s("Es gibt kein Dokument mit der ID 999."))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}
