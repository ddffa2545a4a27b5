#include "data/Recordset.h"
#include "export/Overview.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QBuffer>

using namespace quittora;
using quittora::test::TempDatabase;
using overview::PaidState;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

QStringList numbersOf(TempDatabase& t, const std::optional<RecordSource>& source)
{
    QStringList numbers;
    QList<overview::Row> rows;
    QString error;
    EXPECT_TRUE(source.has_value());
    if (source)
        EXPECT_TRUE(overview::readRows(t.db(), *source, &rows, &error)) << error.toStdString();
    for (const auto& r : rows)
        numbers << r.number;
    return numbers;
}

} // namespace

// For every month of 2024 an open and a paid invoice, numbered "<month>o" and
// "<month>p"; the same month of 2023 and quotes of 2024 never show.
TEST(OverviewMonths, EachMonthSelectsExactlyItsOwnInvoicesInThePaidStateChosen)
{
    TempDatabase t;
    ASSERT_TRUE(t.connection().transaction());
    for (int m = 1; m <= 12; ++m) {
        const QString n = QString::number(m), day = QStringLiteral("15.%1.").arg(m, 2, 10, QLatin1Char('0'));
        t.addDocument(n + s("o"), day + s("2024"));
        t.addDocument(n + s("p"), day + s("2024"), s("Rechnung"), true);
        t.addDocument(n + s("x"), day + s("2023"));
        t.addDocument(n + s("q"), day + s("2024"), s("Angebot"));
        t.addDocument(n + s("Q"), day + s("2024"), s("ANGEBOT"), true);
    }
    ASSERT_TRUE(t.connection().commit());
    for (int m = 1; m <= 12; ++m) {
        for (const PaidState paid : {PaidState::Open, PaidState::Paid}) {
            const QString expected = QString::number(m) + (paid == PaidState::Paid ? s("p") : s("o"));
            EXPECT_EQ(numbersOf(t, overview::monthFilter(overview::monthName(m), s("2024"), paid)), QStringList{expected})
                << "month " << m;
        }
    }
    // Counted, not as text: "12p" is above "9p".
    EXPECT_EQ(numbersOf(t, overview::monthFilter(s("alle"), s("2024"), PaidState::Paid)).join(s(" ")),
              s("12p 11p 10p 9p 8p 7p 6p 5p 4p 3p 2p 1p"));
    // An unknown month leaves the source alone; a year that is no number
    // finds nothing; a year text is read as its leading number.
    EXPECT_FALSE(overview::monthFilter(overview::monthPromptAfterDateFilter(), s("2024"), PaidState::Open));
    EXPECT_FALSE(overview::monthFilter(s("januar"), s("2024"), PaidState::Open));
    EXPECT_TRUE(numbersOf(t, overview::monthFilter(s("Mai"), s("kein Jahr"), PaidState::Open)).isEmpty());
    EXPECT_EQ(numbersOf(t, overview::monthFilter(s("Mai"), s("2024 "), PaidState::Open)), QStringList{s("5o")});
}

TEST(OverviewDateFilter, OneDayOfInvoicesOnlyInThePaidStateChosen)
{
    TempDatabase t;
    t.addDocument(s("1"), s("03.05.2024"));
    t.addDocument(s("2"), s("03.05.2024"), s("Rechnung"), true);
    t.addDocument(s("3"), s("03.05.2024"), s("Angebot"));
    t.addDocument(s("4"), s("03.05.2024"), s("Rechnungskopie"));
    t.addDocument(s("5"), s("04.05.2024"));
    t.addDocument(s("6"), s("03.05.2024"));
    EXPECT_EQ(numbersOf(t, overview::dateFilter(s("03.05.2024"), PaidState::Open)), (QStringList{s("6"), s("1")}));
    EXPECT_EQ(numbersOf(t, overview::dateFilter(s("03.05.2024"), PaidState::Paid)), QStringList{s("2")});
    // A date typed with a quote is only a date that matches nothing.
    EXPECT_TRUE(numbersOf(t, overview::dateFilter(s("03.05.2024' OR '1'='1"), PaidState::Open)).isEmpty());
}

TEST(OverviewTotal, SkipsDocumentsWithoutNumberAndAmountsThatAreNoNumber)
{
    TempDatabase t;
    const std::pair<const char*, const char*> documents[] = {
        {"10", "119,00"}, {"11", "0,50"}, {"", "1000,00"}, {"12", "unbekannt"}, {"13", ""}, {"14", "-19,00"}};
    for (const auto& [number, amount] : documents)
        t.addDocument(s(number), s("05.03.2024"), s("Rechnung"), false, {{s("a6"), s(amount)}});
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
    EXPECT_EQ(dates.first() + dates.at(1) + dates.last(), s("01.03.202429.02.202401.01.2024"));
    const QStringList years = overview::yearEntries(2024);
    ASSERT_EQ(years.size(), 12);
    EXPECT_EQ(years.first() + years.last(), s("20212032"));
    ASSERT_EQ(overview::monthEntries().size(), 13);
    EXPECT_EQ(overview::monthEntries().at(2) + overview::monthEntries().last(), s("Märzalle"));
}

TEST(OverviewPlanText, ExactBytesWithColumnsCutCrLfAndNoBreakInsideALine)
{
    const QList<overview::Row> rows{
        {1, s("7"), s("119,00"), s("Anna Müllerin-Lüdenscheid"), s("1.3.2024"), s("10115 Berlin-Mitte X")},
        {2, s("12345"), s("1234567,89"), s("Kurz"), s("kein Datum"), s("Ulm")}};
    QBuffer buffer;
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    ASSERT_TRUE(overview::writePlanText(buffer, overview::planHeading(PaidState::Open, s("Mai"), s("2024")), rows));
    const QByteArray expected = QByteArray("offene Rechnungen  Mai / 2024\r\n\r\n") + QByteArray(71, '_') + "\r\n"
        + "R.Nr.  Betrag   Name / Mail            Datum        Ort\r\n" + QString(71, QChar(0xAF)).toUtf8() + "\r\n"
        // 25-character name cut to 22, 20-character place cut to 16.
        + s("7     119,00   Anna Müllerin-Lüdensch  01.03.2024   10115 Berlin-Mit").toUtf8() + "\r\n"
        // Values longer than their column are not cut.
        + "12345 1234567,89   Kurz                    kein Datum   Ulm\r\n";
    EXPECT_EQ(buffer.data(), expected);
    const QString line = overview::planLine({1, s("1"), s("1,00"), s("Zeile\r\nzwei"), s("01.01.2024"), s("Ort\nX")});
    EXPECT_FALSE(line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')));
    EXPECT_EQ(overview::planText(s("h"), {}).count("\r\n"), 5);
}

TEST(DocumentList, NarrowSortAndCountNumbers)
{
    TempDatabase t;
    const qint64 anna = t.addCustomer(s("Anna")), bernd = t.addCustomer(s("Bernd"));
    t.addDocument(s("3"), s("05.01.2024"), s("Rechnung"), false, {{s("b1"), QString::number(anna)}, {s("a2"), s("zeta")}});
    t.addDocument(s("1"), s("20.12.2023"), s("Rechnung"), true, {{s("b1"), QString::number(bernd)}, {s("a2"), s("Alpha")}});
    t.addDocument(s("2"), s("01.02.2024"), s("Angebot"), false, {{s("b1"), QString::number(anna)}, {s("a2"), s("beta")}});
    const auto numbers = [&](const std::optional<RecordSource>& source) {
        Recordset rs(t.db(), s("Rechnungen"));
        EXPECT_TRUE(source.has_value());
        rs.setRecordSource(source->sql, source->params);
        EXPECT_TRUE(rs.refresh()) << rs.lastError().toStdString();
        QStringList out;
        for (int i = 0; i < rs.recordCount(); ++i) {
            rs.moveTo(i);
            out << rs.text(s("a7"));
        }
        return out.join(QLatin1Char(' '));
    };
    EXPECT_EQ(numbers(documentlist::customerDocuments(anna)), s("3 2"));
    EXPECT_EQ(numbers(documentlist::customerDocuments(bernd)), s("1"));
    EXPECT_EQ(documentlist::customerLabel(s("Anna")), s("Rechnungen Anna"));
    EXPECT_EQ(numbers(documentlist::allDocuments()), s("3 1 2"));
    EXPECT_EQ(numbers(documentlist::unpaidDocuments()), s("3 2"));
    // One toggle for all headings, the first click descending; names without
    // regard to case; columns past the third only flip the toggle.
    bool toggle = false;
    const std::pair<int, const char*> clicks[] = {{0, "3 2 1"}, {1, "1 3 2"}, {1, "2 3 1"}, {2, "1 2 3"}, {2, "3 2 1"}};
    for (const auto& [column, expected] : clicks)
        EXPECT_EQ(numbers(documentlist::sortByColumn(column, toggle)), s(expected)) << column;
    EXPECT_TRUE(toggle);
    EXPECT_FALSE(documentlist::sortByColumn(3, toggle).has_value());
    EXPECT_FALSE(toggle);

    t.addDocument(s("10"), s("06.01.2024"));
    t.addDocument(s("9"), s("06.01.2024"));
    t.addDocument(QString(), s("07.01.2024"), s("Angebot"));
    EXPECT_EQ(numbers(documentlist::sortByColumn(0, toggle)), s("10 9 3 2 1 "));
    EXPECT_EQ(numbers(documentlist::sortByColumn(0, toggle)), s(" 1 2 3 9 10"));
    // The overview lists a year whose numbers pass 9999 from the latest on.
    t.addDocument(s("10000"), s("08.01.2024"));
    t.addDocument(s("9999"), s("05.01.2024"));
    EXPECT_EQ(numbersOf(t, overview::monthFilter(s("Januar"), s("2024"), PaidState::Open)).join(s(" ")), s("10000 9999 10 9 3"));
}
