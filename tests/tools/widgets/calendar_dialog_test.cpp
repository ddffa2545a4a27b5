#include "support/FixedClock.h"
#include "support/QtPrinters.h"
#include "support/ToolsDialogs.h"
#include "tools/Calendar.h"
#include "tools/widgets/CalendarDialog.h"

#include <gtest/gtest.h>

using namespace quittora;
using namespace quittora::test;
using namespace quittora::calendar;

namespace {

const QDate kToday(2024, 9, 17);

QWidget* grid(const CalendarDialog& dialog) { return child<QWidget>(dialog, "MonthGrid"); }

struct CalendarDialogTest : ::testing::Test {
    FixedClock clock{QDateTime(kToday, QTime(10, 30))};
};

} // namespace

TEST_F(CalendarDialogTest, GetDateStartsOnTheFieldsDateOrTodayAndGivesTheAcceptedDateOrNothing)
{
    const std::tuple<QString, QDate, Qt::Key, std::optional<QDate>> table[] = {
        {QStringLiteral("03.01.2023"), QDate(2023, 1, 3), Qt::Key_Return, QDate(2023, 1, 4)},
        {QStringLiteral("kein Datum"), kToday, Qt::Key_Return, QDate(2024, 9, 18)},
        {QStringLiteral("03.01.2023"), QDate(2023, 1, 3), Qt::Key_Escape, std::nullopt}};
    for (const auto& [field, opensOn, key, result] : table) {
        QDate openedOn;
        auto opened = whenModalOpens([&](QWidget* w) {
            auto* picker = qobject_cast<CalendarDialog*>(w);
            ASSERT_NE(picker, nullptr);
            openedOn = picker->currentDate();
            QTest::keyClick(grid(*picker), Qt::Key_Right);
            QTest::keyClick(grid(*picker), key);
        });
        EXPECT_EQ(GetDate(field, clock), result) << field.toStdString();
        EXPECT_TRUE(*opened && openedOn == opensOn) << field.toStdString();
    }
}

TEST(CalendarLayout, MonthsStartInTheColumnOfTheirWeekdayAndEveryDayIsInItsCell)
{
    // any day of the month, column of the 1st, days, rows: from a Sunday,
    // exactly four weeks, from a Saturday (all six rows), leap February
    const std::tuple<QDate, int, int, int> table[] = {
        {QDate(2024, 9, 17), 0, 30, 5}, {QDate(2015, 2, 1), 0, 28, 4}, {QDate(2025, 3, 31), 6, 31, 6}, {QDate(2024, 2, 29), 4, 29, 5}};
    for (const auto& [anyDay, offset, days, rows] : table) {
        const MonthLayout m = MonthLayout::of(anyDay);
        const std::string label = anyDay.toString(Qt::ISODate).toStdString();
        EXPECT_TRUE(m.offset == offset && m.days == days && m.rowsUsed() == rows) << label;
        int filled = 0; // also outside the grid
        for (int r = -1; r <= kRows; ++r)
            for (int c = -1; c <= kColumns; ++c)
                filled += m.dayAt(c, r) != 0 ? 1 : 0;
        EXPECT_EQ(filled, days) << label;
        for (int day = 1; day <= m.days; ++day)
            EXPECT_EQ(m.dayAt(m.column(day), m.row(day)), day) << label;
    }
    const QSize cell(24, 20);
    // Right of the seventh column is not the next row.
    const std::pair<QPoint, std::optional<QPoint>> points[] = {{QPoint(23, 19), QPoint(0, 0)}, {QPoint(24, 20), QPoint(1, 1)},
        {QPoint(7 * 24 - 1, 6 * 20 - 1), QPoint(6, 5)}, {QPoint(7 * 24, 5), std::nullopt}, {QPoint(5, 6 * 20), std::nullopt},
        {QPoint(-1, 5), std::nullopt}};
    for (const auto& [point, expected] : points)
        EXPECT_EQ(cellAt(point, cell), expected) << point.x() << "," << point.y();
    EXPECT_EQ(cellAt(QPoint(5, 5), QSize()), std::nullopt);
}

TEST(CalendarSteps, CrossMonthAndYearEndsClipToTheMonthEndAndStayInTheSupportedYears)
{
    using D = QDate;
    const std::tuple<QDate, Step, QDate> table[] = {
        {D(2024, 3, 1), Step::PreviousDay, D(2024, 2, 29)}, {D(2024, 12, 28), Step::NextWeek, D(2025, 1, 4)},
        {D(2024, 1, 3), Step::PreviousWeek, D(2023, 12, 27)}, {D(2015, 1, 31), Step::NextMonth, D(2015, 2, 28)},
        {D(2015, 2, 28), Step::NextMonth, D(2015, 3, 28)}, // no memory of the 31st
        {D(2024, 5, 31), Step::PreviousMonth, D(2024, 4, 30)}, {D(2024, 12, 15), Step::NextMonth, D(2025, 1, 15)},
        {D(2025, 1, 15), Step::PreviousMonth, D(2024, 12, 15)}, {D(9999, 12, 31), Step::NextDay, D(9999, 12, 31)},
        {D(9999, 12, 5), Step::NextMonth, D(9999, 12, 5)}, {D(100, 1, 1), Step::PreviousWeek, D(100, 1, 1)}};
    for (const auto& [from, how, expected] : table)
        EXPECT_EQ(step(from, how), expected) << from.toString(Qt::ISODate).toStdString() << " step " << int(how);
}

TEST(CalendarTexts, AreGermanAndDatesParseLeniently)
{
    EXPECT_EQ(monthCaption(QDate(2024, 3, 17)) + weekdayHeader().join(QLatin1Char(' ')) + formatDate(QDate(2024, 9, 1)) + monthName(13),
              QStringLiteral("März 2024So Mo Di Mi Do Fr Sa01.09.2024"));
    for (const auto& [text, expected] :
         {std::pair{" 1.9.2024 ", QDate(2024, 9, 1)}, {"15.03.29", QDate(2029, 3, 15)}, {"15.03.30", QDate(1930, 3, 15)}})
        EXPECT_EQ(parseDate(QString::fromLatin1(text)), expected) << text;
    for (const char* bad : {"", "heute", "29.02.2023", "01.13.2024", "1.1.", "01-09-2024", "01.09.2024x", "1.1.123"})
        EXPECT_FALSE(parseDate(QString::fromLatin1(bad)).isValid()) << bad;
}
