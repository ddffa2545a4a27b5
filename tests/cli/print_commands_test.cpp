#include "print/PdfWords.h"
#include "support/CliRunner.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QDate>
#include <cmath>
#include <QFile>
#include <QTemporaryDir>

using namespace quittora;
using quittora::test::CliRun;
using quittora::test::TempDatabase;
using quittora::testing::findWord;
using quittora::testing::pdfWords;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

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
        QProcessEnvironment env;
        env.insert(s("XDG_CONFIG_HOME"), home.filePath(s("config")));
        env.insert(s("XDG_RUNTIME_DIR"), home.path());
        env.insert(s("LC_ALL"), s("de_DE.UTF-8"));
        // The command picks the offscreen platform itself.
        return quittora::test::runCli(args, env, {s("QT_QPA_PLATFORM")});
    }

    QTemporaryDir home;
    TempDatabase db{QLatin1Char(',')};
    qint64 invoice = 0;
};

} // namespace

TEST_F(PrintCli, PrintsTheInvoiceIntoAPdfAndNumbersIt)
{
    const QString pdf = db.filePath(s("rechnung.pdf"));
    const CliRun r = cli({s("pdf"), db.path(), s("--document"), QString::number(invoice), s("--out"), pdf});
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

    // A second print keeps the number; "print" is the same command.
    const CliRun again = cli({s("print"), db.path(), s("--document"), QString::number(invoice), s("--out"), pdf});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_FALSE(again.out.contains(s("vergeben")));
    EXPECT_EQ(db.setting(s("Rechnungsnummer")).toString(), s("1001"));
}

TEST_F(PrintCli, PrintsTheDeliveryNote)
{
    const QString pdf = db.filePath(s("lieferschein.pdf"));
    const CliRun r =
        cli({s("pdf"), db.path(), s("--document"), QString::number(invoice), s("--out"), pdf, s("--lieferschein")});
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
    EXPECT_EQ(cli({s("pdf"), db.path(), s("--document"), s("1"), s("--out"), pdf, s("--mahntext")}).exitCode, 1);
    EXPECT_EQ(cli({s("pdf"), db.path(), s("--document"), s("1"), s("--out"), pdf, s("--mahntext"), s("a"),
                   s("--mahntext"), s("b")})
                  .exitCode,
              1);
    const CliRun r = cli({s("print"), db.path(), s("--document"), s("999"), s("--out"), pdf});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(s("Es gibt kein Dokument mit der ID 999."))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

namespace {

// The word on the page whose box lies around (x, y); for words that occur
// more than once.
const quittora::testing::PdfWord* wordNear(const std::vector<quittora::testing::PdfWord>& words, const QString& text,
                                           int page, double y)
{
    for (const auto& w : words) {
        if (w.text == text && w.page == page && std::abs(w.yMin - y) < 3)
            return &w;
    }
    return nullptr;
}

} // namespace

TEST_F(PrintCli, PdfPutsTotalsAndCarryOverWhereTheLayoutSays)
{
    // 22 items: page 1 ends with the carry-over of the first 21, page 2
    // carries it at its top, holds item 22 at y 30 and the totals.
    const qint64 big = db.addDocument(s("2001"), s("15.03.2024"), s("Rechnung"), false,
                                      {{s("a2"), s("Erika Muster")}, {s("a5"), s("12345 Ort")}});
    for (int i = 1; i <= 22; ++i)
        db.addLine(big, s("1"), s("Teil%1").arg(i), s("10,00"), s("10,00"));
    const QString pdf = db.filePath(s("gross.pdf"));
    const CliRun r = cli({s("pdf"), db.path(), s("--document"), QString::number(big), s("--out"), pdf});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    QString error;
    const auto words = pdfWords(pdf, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    constexpr double kTolerance = 0.5;

    const auto* carry1 = wordNear(words, s("Übertrag"), 0, 260);
    ASSERT_NE(carry1, nullptr);
    EXPECT_NEAR(carry1->xMin, 138, kTolerance);
    EXPECT_NEAR(carry1->yMin, 260, kTolerance);
    const auto* sum1 = wordNear(words, s("210,00"), 0, 260);
    ASSERT_NE(sum1, nullptr);
    EXPECT_NEAR(sum1->yMin, 260, kTolerance);
    const auto* unit1 = wordNear(words, s("EUR"), 0, 260);
    ASSERT_NE(unit1, nullptr);
    EXPECT_NEAR(unit1->xMax, 198, kTolerance);

    const auto* carry2 = wordNear(words, s("Übertrag"), 1, 15);
    ASSERT_NE(carry2, nullptr);
    EXPECT_NEAR(carry2->xMin, 138, kTolerance);
    EXPECT_NEAR(carry2->yMin, 15, kTolerance);
    ASSERT_NE(wordNear(words, s("210,00"), 1, 15), nullptr);
    ASSERT_NE(wordNear(words, s("Seite"), 1, 15), nullptr);
    const auto* item22 = wordNear(words, s("Teil22"), 1, 30);
    ASSERT_NE(item22, nullptr);
    EXPECT_NEAR(item22->xMin, 55, kTolerance);
    EXPECT_NEAR(item22->yMin, 30, kTolerance);

    const auto* label = wordNear(words, s("Rechnungsbetrag"), 1, 260);
    ASSERT_NE(label, nullptr);
    EXPECT_NEAR(label->xMax, 170, kTolerance);
    EXPECT_NEAR(label->yMin, 260, kTolerance);
    // 22 × 10,00 at 19 %.
    const auto* gross = wordNear(words, s("261,80"), 1, 260);
    ASSERT_NE(gross, nullptr);
    EXPECT_NEAR(gross->yMin, 260, kTolerance);
    const auto* grossUnit = wordNear(words, s("EUR"), 1, 260);
    ASSERT_NE(grossUnit, nullptr);
    EXPECT_NEAR(grossUnit->xMax, 197, kTolerance);
    EXPECT_GT(gross->xMin, label->xMax);
}

TEST_F(PrintCli, PdfWithMahntextIsTheReminderOfTheInvoice)
{
    const QString pdf = db.filePath(s("erinnerung.pdf"));
    const CliRun r = cli({s("pdf"), db.path(), s("--document"), QString::number(invoice), s("--out"), pdf,
                          s("--mahntext"), s("Zahlungserinnerung ! - Wir bitten um Begleichung dieser Rechnung")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(db.field(s("Rechnungen"), invoice, s("a7")).toString(), s("1000"));

    QString error;
    const auto words = pdfWords(pdf, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const auto* reminder = findWord(words, s("Zahlungserinnerung"), 0);
    ASSERT_NE(reminder, nullptr);
    EXPECT_NEAR(reminder->xMin, 23, 0.5);
    // Above the first intro line at 107, clear of it.
    EXPECT_LE(reminder->yMax, 107.0);
    EXPECT_GE(reminder->yMin, 92.0);
    // Today's date instead of the invoice's, which the reference line names,
    // and that line stays on the paper.
    EXPECT_NE(findWord(words, QDate::currentDate().toString(s("dd.MM.yyyy")), 0), nullptr);
    const auto* invoiceDate = findWord(words, s("15.03.2024"), 0);
    ASSERT_NE(invoiceDate, nullptr);
    EXPECT_LE(invoiceDate->xMax, 200.5);
    EXPECT_NEAR(invoiceDate->yMin, 74, 0.5);

    // An empty text is no reminder.
    const QString plain = db.filePath(s("ohne.pdf"));
    ASSERT_EQ(cli({s("pdf"), db.path(), s("--document"), QString::number(invoice), s("--out"), plain,
                   s("--mahntext"), QString()})
                  .exitCode,
              0);
    const auto plainWords = pdfWords(plain, &error);
    EXPECT_EQ(findWord(plainWords, s("Zahlungserinnerung"), 0), nullptr);
    EXPECT_NE(findWord(plainWords, s("15.03.2024"), 0), nullptr);
}
