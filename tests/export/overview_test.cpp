#include "data/Recordset.h"
#include "export/Overview.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QBuffer>

using namespace quittora;
using quittora::test::TempDatabase;
using overview::PaidState;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

QList<overview::Row> rowsOf(TempDatabase& t, const RecordSource& source)
{
    QList<overview::Row> rows;
    QString error;
    EXPECT_TRUE(overview::readRows(t.db(), source, &rows, &error)) << error.toStdString();
    return rows;
}

QStringList numbersOf(const QList<overview::Row>& rows)
{
    QStringList numbers;
    for (const auto& r : rows)
        numbers << r.number;
    return numbers;
}

// For every month of 2024 one open and one paid invoice on the 15th, numbered
// "<month><o|p>"; the same months of 2023 and quotes of 2024 must never show.
struct Months : ::testing::Test {
    TempDatabase t;
    void SetUp() override
    {
        ASSERT_TRUE(t.isValid());
        ASSERT_TRUE(t.connection().transaction());
        for (int m = 1; m <= 12; ++m) {
            const QString mm = QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0'));
            t.addDocument(QString::number(m) + QStringLiteral("o"), QStringLiteral("15.") + mm + QStringLiteral(".2024"));
            t.addDocument(QString::number(m) + QStringLiteral("p"), QStringLiteral("15.") + mm + QStringLiteral(".2024"),
                          s("Rechnung"), true);
            t.addDocument(QString::number(m) + QStringLiteral("x"), QStringLiteral("15.") + mm + QStringLiteral(".2023"));
            t.addDocument(QString::number(m) + QStringLiteral("q"), QStringLiteral("15.") + mm + QStringLiteral(".2024"),
                          s("Angebot"));
            t.addDocument(QString::number(m) + QStringLiteral("Q"), QStringLiteral("15.") + mm + QStringLiteral(".2024"),
                          s("ANGEBOT"), true);
        }
        ASSERT_TRUE(t.connection().commit());
    }
};

} // namespace

TEST_F(Months, EachMonthSelectsExactlyItsOwnInvoicesInThePaidStateChosen)
{
    for (int m = 1; m <= 12; ++m) {
        for (const PaidState paid : {PaidState::Open, PaidState::Paid}) {
            const auto source = overview::monthFilter(overview::monthName(m), s("2024"), paid);
            ASSERT_TRUE(source.has_value()) << m;
            const QString expected = QString::number(m) + (paid == PaidState::Paid ? s("p") : s("o"));
            EXPECT_EQ(numbersOf(rowsOf(t, *source)), QStringList{expected}) << "month " << m;
        }
    }
}

TEST_F(Months, AllMonthsOfTheYearInNumberOrderDescendingWithoutQuotes)
{
    const auto source = overview::monthFilter(s("alle"), s("2024"), PaidState::Paid);
    ASSERT_TRUE(source.has_value());
    // Counted, not as text: "12p" is above "9p".
    EXPECT_EQ(numbersOf(rowsOf(t, *source)),
              (QStringList{s("12p"), s("11p"), s("10p"), s("9p"), s("8p"), s("7p"), s("6p"), s("5p"), s("4p"), s("3p"),
                           s("2p"), s("1p")}));
}

TEST_F(Months, TheRecordsetTakesTheFilterAsItsRecordSource)
{
    const auto source = overview::monthFilter(s("Januar"), s("2024"), PaidState::Open);
    ASSERT_TRUE(source.has_value());
    Recordset rs(t.db(), s("Rechnungen"));
    rs.setRecordSource(source->sql, source->params);
    ASSERT_TRUE(rs.refresh()) << rs.lastError().toStdString();
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.text(s("a7")), s("1o"));
}

TEST_F(Months, UnknownMonthTextLeavesTheSourceAloneAndAYearThatIsNoNumberFindsNothing)
{
    EXPECT_FALSE(overview::monthFilter(overview::monthPromptAfterDateFilter(), s("2024"), PaidState::Open));
    EXPECT_FALSE(overview::monthFilter(s("januar"), s("2024"), PaidState::Open));
    const auto source = overview::monthFilter(s("Mai"), s("kein Jahr"), PaidState::Open);
    ASSERT_TRUE(source.has_value());
    EXPECT_TRUE(rowsOf(t, *source).isEmpty());
    // A year text is read as its leading number.
    const auto withBlank = overview::monthFilter(s("Mai"), s("2024 "), PaidState::Open);
    EXPECT_EQ(numbersOf(rowsOf(t, *withBlank)), QStringList{s("5o")});
}

TEST(OverviewDateFilter, OneDayOfInvoicesOnlyInThePaidStateChosen)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    t.addDocument(s("1"), s("03.05.2024"));
    t.addDocument(s("2"), s("03.05.2024"), s("Rechnung"), true);
    t.addDocument(s("3"), s("03.05.2024"), s("Angebot"));
    t.addDocument(s("4"), s("03.05.2024"), s("Rechnungskopie"));
    t.addDocument(s("5"), s("04.05.2024"));
    t.addDocument(s("6"), s("03.05.2024"));
    EXPECT_EQ(numbersOf(rowsOf(t, overview::dateFilter(s("03.05.2024"), PaidState::Open))),
              (QStringList{s("6"), s("1")}));
    EXPECT_EQ(numbersOf(rowsOf(t, overview::dateFilter(s("03.05.2024"), PaidState::Paid))), QStringList{s("2")});
    // A date typed with a quote is only a date that matches nothing.
    EXPECT_TRUE(rowsOf(t, overview::dateFilter(s("03.05.2024' OR '1'='1"), PaidState::Open)).isEmpty());
}

TEST(OverviewTotal, SkipsDocumentsWithoutNumberAndAmountsThatAreNoNumber)
{
    TempDatabase t;
    ASSERT_TRUE(t.isValid());
    t.addDocument(s("10"), s("02.03.2024"), s("Rechnung"), false, {{s("a6"), s("119,00")}});
    t.addDocument(s("11"), s("05.03.2024"), s("Rechnung"), false, {{s("a6"), s("0,50")}});
    t.addDocument(s(""), s("06.03.2024"), s("Rechnung"), false, {{s("a6"), s("1000,00")}});
    t.addDocument(s("12"), s("07.03.2024"), s("Rechnung"), false, {{s("a6"), s("unbekannt")}});
    t.addDocument(s("13"), s("08.03.2024"), s("Rechnung"), false, {{s("a6"), s("")}});
    t.addDocument(s("14"), s("09.03.2024"), s("Rechnung"), false, {{s("a6"), s("-19,00")}});
    const auto source = overview::monthFilter(s("März"), s("2024"), PaidState::Open);
    ASSERT_TRUE(source.has_value());
    const auto total = overview::total(t.db(), *source, QLatin1Char(','));
    ASSERT_TRUE(total.has_value());
    EXPECT_EQ(total->toFixed(2, QLatin1Char(',')), s("100,50"));
    // Under '.' the stored ',' amounts are no numbers.
    EXPECT_TRUE(overview::total(t.db(), *source, QLatin1Char('.'))->isZero());
}

TEST(OverviewChoices, DatesYearsAndMonths)
{
    const QStringList dates = overview::dateEntries(QDate(2024, 3, 1));
    ASSERT_EQ(dates.size(), 61);
    EXPECT_EQ(dates.first(), s("01.03.2024"));
    EXPECT_EQ(dates.at(1), s("29.02.2024"));
    EXPECT_EQ(dates.last(), s("01.01.2024"));
    const QStringList years = overview::yearEntries(2024);
    ASSERT_EQ(years.size(), 12);
    EXPECT_EQ(years.first(), s("2021"));
    EXPECT_EQ(years.last(), s("2032"));
    EXPECT_EQ(overview::monthEntries().size(), 13);
    EXPECT_EQ(overview::monthEntries().at(2), s("März"));
    EXPECT_EQ(overview::monthEntries().last(), s("alle"));
}

TEST(OverviewPlanText, ExactBytesWithColumnsCutAndCrLf)
{
    QList<overview::Row> rows;
    rows << overview::Row{1, s("7"), s("119,00"), s("Anna Müllerin-Lüdenscheid"), s("1.3.2024"), s("10115 Berlin-Mitte X")}
         << overview::Row{2, s("12345"), s("1234567,89"), s("Kurz"), s("kein Datum"), s("Ulm")};
    QBuffer buffer;
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    ASSERT_TRUE(overview::writePlanText(buffer, overview::planHeading(PaidState::Open, s("Mai"), s("2024")), rows));
    const QByteArray expected = QByteArray("offene Rechnungen  Mai / 2024\r\n")
        + "\r\n"
        + QByteArray(71, '_') + "\r\n"
        + "R.Nr.  Betrag   Name / Mail            Datum        Ort\r\n"
        + QString(71, QChar(0xAF)).toUtf8() + "\r\n"
        // 25-character name cut to 22, 20-character place cut to 16.
        + s("7     119,00   Anna Müllerin-Lüdensch  01.03.2024   10115 Berlin-Mit").toUtf8() + "\r\n"
        // Values longer than their column are not cut.
        + "12345 1234567,89   Kurz                    kein Datum   Ulm\r\n";
    EXPECT_EQ(buffer.data(), expected);
}

TEST(OverviewPlanText, LineBreaksInValuesDoNotBreakTheList)
{
    const QString line = overview::planLine({1, s("1"), s("1,00"), s("Zeile\r\nzwei"), s("01.01.2024"), s("Ort\nX")});
    EXPECT_FALSE(line.contains(QLatin1Char('\n')));
    EXPECT_FALSE(line.contains(QLatin1Char('\r')));
    EXPECT_EQ(overview::planText(s("h"), {}).count("\r\n"), 5);
}

namespace {

struct DocumentList : ::testing::Test {
    TempDatabase t;
    qint64 anna = -1, bernd = -1;
    void SetUp() override
    {
        ASSERT_TRUE(t.isValid());
        anna = t.addCustomer(s("Anna"));
        bernd = t.addCustomer(s("Bernd"));
        t.addDocument(s("3"), s("05.01.2024"), s("Rechnung"), false, {{s("b1"), QString::number(anna)}, {s("a2"), s("zeta")}});
        t.addDocument(s("1"), s("20.12.2023"), s("Rechnung"), true, {{s("b1"), QString::number(bernd)}, {s("a2"), s("Alpha")}});
        t.addDocument(s("2"), s("01.02.2024"), s("Angebot"), false, {{s("b1"), QString::number(anna)}, {s("a2"), s("beta")}});
    }
    QStringList numbers(const RecordSource& source)
    {
        Recordset rs(t.db(), s("Rechnungen"));
        rs.setRecordSource(source.sql, source.params);
        EXPECT_TRUE(rs.refresh()) << rs.lastError().toStdString();
        QStringList out;
        for (int i = 0; i < rs.recordCount(); ++i) {
            rs.moveTo(i);
            out << rs.text(s("a7"));
        }
        return out;
    }
};

} // namespace

TEST_F(DocumentList, NarrowToOneCustomerAndWidenAgain)
{
    EXPECT_EQ(numbers(documentlist::customerDocuments(anna)), (QStringList{s("3"), s("2")}));
    EXPECT_EQ(numbers(documentlist::customerDocuments(bernd)), QStringList{s("1")});
    EXPECT_EQ(documentlist::customerLabel(s("Anna")), s("Rechnungen Anna"));
    EXPECT_EQ(numbers(documentlist::allDocuments()), (QStringList{s("3"), s("1"), s("2")}));
    EXPECT_EQ(numbers(documentlist::unpaidDocuments()), (QStringList{s("3"), s("2")}));
}

TEST_F(DocumentList, HeadingClickFlipsOneToggleFirstClickDescending)
{
    bool toggle = false;
    EXPECT_EQ(numbers(*documentlist::sortByColumn(0, toggle)), (QStringList{s("3"), s("2"), s("1")}));
    EXPECT_TRUE(toggle);
    // The next click, on any column, sorts ascending.
    EXPECT_EQ(numbers(*documentlist::sortByColumn(1, toggle)), (QStringList{s("1"), s("3"), s("2")}));
    EXPECT_EQ(numbers(*documentlist::sortByColumn(1, toggle)), (QStringList{s("2"), s("3"), s("1")}));
    // Names without regard to case.
    EXPECT_EQ(numbers(*documentlist::sortByColumn(2, toggle)), (QStringList{s("1"), s("2"), s("3")}));
    EXPECT_EQ(numbers(*documentlist::sortByColumn(2, toggle)), (QStringList{s("3"), s("2"), s("1")}));
    // Other columns only flip the toggle.
    EXPECT_FALSE(documentlist::sortByColumn(3, toggle).has_value());
    EXPECT_FALSE(toggle);
}

TEST_F(DocumentList, NumbersSortAsCountedNotAsText)
{
    t.addDocument(s("10"), s("06.01.2024"));
    t.addDocument(s("9"), s("06.01.2024"));
    t.addDocument(QString(), s("07.01.2024"), s("Angebot"));
    bool toggle = false;
    EXPECT_EQ(numbers(*documentlist::sortByColumn(0, toggle)),
              (QStringList{s("10"), s("9"), s("3"), s("2"), s("1"), QString()}));
    EXPECT_EQ(numbers(*documentlist::sortByColumn(0, toggle)),
              (QStringList{QString(), s("1"), s("2"), s("3"), s("9"), s("10")}));

    // The overview lists a year whose numbers pass 9999 from the latest on.
    t.addDocument(s("10000"), s("08.01.2024"));
    t.addDocument(s("9999"), s("05.01.2024"));
    const auto source = overview::monthFilter(s("Januar"), s("2024"), PaidState::Open);
    ASSERT_TRUE(source.has_value());
    EXPECT_EQ(numbersOf(rowsOf(t, *source)), (QStringList{s("10000"), s("9999"), s("10"), s("9"), s("3")}));
}
