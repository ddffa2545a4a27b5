#include "tools/Calendar.h"

#include <gtest/gtest.h>

using namespace quittora::calendar;

TEST(CalendarLayout, AMonthBeginningOnSundayStartsInTheFirstCell)
{
    const MonthLayout september = MonthLayout::of(QDate(2024, 9, 17));
    EXPECT_EQ(september.year, 2024);
    EXPECT_EQ(september.month, 9);
    EXPECT_EQ(september.offset, 0);
    EXPECT_EQ(september.days, 30);
    EXPECT_EQ(september.dayAt(0, 0), 1);
    EXPECT_EQ(september.column(1), 0);
    EXPECT_EQ(september.row(1), 0);
    EXPECT_EQ(september.column(30), 1); // Monday 30 September
    EXPECT_EQ(september.row(30), 4);
    EXPECT_EQ(september.rowsUsed(), 5);
}

TEST(CalendarLayout, WeekdaysCountFromSunday)
{
    EXPECT_EQ(sundayColumn(QDate(2024, 9, 1)), 0);  // Sunday
    EXPECT_EQ(sundayColumn(QDate(2024, 9, 2)), 1);  // Monday
    EXPECT_EQ(sundayColumn(QDate(2024, 9, 7)), 6);  // Saturday
    EXPECT_EQ(MonthLayout::of(QDate(2024, 2, 29)).offset, 4); // 1 Feb 2024 was a Thursday
}

TEST(CalendarLayout, RowsRangeFromFourToSix)
{
    // February 2015: 28 days from a Sunday fill exactly four weeks.
    const MonthLayout february = MonthLayout::of(QDate(2015, 2, 1));
    EXPECT_EQ(february.offset, 0);
    EXPECT_EQ(february.rowsUsed(), 4);
    EXPECT_EQ(february.dayAt(6, 3), 28);
    EXPECT_EQ(february.dayAt(0, 4), 0);

    // March 2025: 31 days from a Saturday need all six rows.
    const MonthLayout march = MonthLayout::of(QDate(2025, 3, 31));
    EXPECT_EQ(march.offset, 6);
    EXPECT_EQ(march.rowsUsed(), 6);
    EXPECT_EQ(march.dayAt(6, 0), 1);
    EXPECT_EQ(march.dayAt(0, 5), 30);
    EXPECT_EQ(march.dayAt(1, 5), 31);
    EXPECT_EQ(march.cellIndex(31), 36);
    EXPECT_EQ(march.row(31), 5);
}

TEST(CalendarLayout, EmptyCellsAndCellsOutsideTheGridHoldNoDay)
{
    const MonthLayout march = MonthLayout::of(QDate(2025, 3, 1));
    EXPECT_EQ(march.dayAt(0, 0), 0);
    EXPECT_EQ(march.dayAt(5, 0), 0);
    EXPECT_EQ(march.dayAt(2, 5), 0); // after the 31st
    EXPECT_EQ(march.dayAt(7, 0), 0);
    EXPECT_EQ(march.dayAt(0, 6), 0);
    EXPECT_EQ(march.dayAt(-1, 1), 0);
    // Every day lies in the cell that shows it.
    for (int day = 1; day <= march.days; ++day)
        EXPECT_EQ(march.dayAt(march.column(day), march.row(day)), day);
}

TEST(CalendarGeometry, FindsTheCellUnderAPointAndNothingBeyondTheGrid)
{
    const QSize cell(24, 20);
    EXPECT_EQ(cellAt(QPoint(0, 0), cell), QPoint(0, 0));
    EXPECT_EQ(cellAt(QPoint(23, 19), cell), QPoint(0, 0));
    EXPECT_EQ(cellAt(QPoint(24, 20), cell), QPoint(1, 1));
    EXPECT_EQ(cellAt(QPoint(7 * 24 - 1, 6 * 20 - 1), cell), QPoint(6, 5));
    // The sliver right of the seventh column must not reach into the next row.
    EXPECT_FALSE(cellAt(QPoint(7 * 24, 5), cell).has_value());
    EXPECT_FALSE(cellAt(QPoint(5, 6 * 20), cell).has_value());
    EXPECT_FALSE(cellAt(QPoint(-1, 5), cell).has_value());
    EXPECT_FALSE(cellAt(QPoint(5, 5), QSize()).has_value());
}

TEST(CalendarSteps, DaysAndWeeksCrossMonthAndYearEnds)
{
    EXPECT_EQ(step(QDate(2024, 9, 1), Step::PreviousDay), QDate(2024, 8, 31));
    EXPECT_EQ(step(QDate(2024, 9, 30), Step::NextDay), QDate(2024, 10, 1));
    EXPECT_EQ(step(QDate(2024, 12, 31), Step::NextDay), QDate(2025, 1, 1));
    EXPECT_EQ(step(QDate(2024, 3, 1), Step::PreviousDay), QDate(2024, 2, 29));
    EXPECT_EQ(step(QDate(2024, 12, 28), Step::NextWeek), QDate(2025, 1, 4));
    EXPECT_EQ(step(QDate(2024, 1, 3), Step::PreviousWeek), QDate(2023, 12, 27));
    EXPECT_EQ(step(QDate(2024, 9, 10), Step::PreviousWeek), QDate(2024, 9, 3));
}

TEST(CalendarSteps, MonthsKeepTheDayClippedToTheMonthEnd)
{
    EXPECT_EQ(step(QDate(2015, 1, 31), Step::NextMonth), QDate(2015, 2, 28));
    EXPECT_EQ(step(QDate(2024, 1, 31), Step::NextMonth), QDate(2024, 2, 29));
    EXPECT_EQ(step(QDate(2024, 3, 31), Step::PreviousMonth), QDate(2024, 2, 29));
    EXPECT_EQ(step(QDate(2024, 5, 31), Step::PreviousMonth), QDate(2024, 4, 30));
    EXPECT_EQ(step(QDate(2024, 12, 15), Step::NextMonth), QDate(2025, 1, 15));
    EXPECT_EQ(step(QDate(2025, 1, 15), Step::PreviousMonth), QDate(2024, 12, 15));
    // The clipped day stays clipped: no memory of the 31st.
    EXPECT_EQ(step(step(QDate(2015, 1, 31), Step::NextMonth), Step::NextMonth), QDate(2015, 3, 28));
}

TEST(CalendarSteps, StayWithinTheSupportedYears)
{
    EXPECT_EQ(step(QDate(9999, 12, 31), Step::NextDay), QDate(9999, 12, 31));
    EXPECT_EQ(step(QDate(9999, 12, 5), Step::NextMonth), QDate(9999, 12, 5));
    EXPECT_EQ(step(QDate(100, 1, 1), Step::PreviousWeek), QDate(100, 1, 1));
}

TEST(CalendarKeys, MapTheNavigationKeysOnly)
{
    EXPECT_EQ(stepForKey(Qt::Key_Right), Step::NextDay);
    EXPECT_EQ(stepForKey(Qt::Key_Left), Step::PreviousDay);
    EXPECT_EQ(stepForKey(Qt::Key_Down), Step::NextWeek);
    EXPECT_EQ(stepForKey(Qt::Key_Up), Step::PreviousWeek);
    EXPECT_EQ(stepForKey(Qt::Key_PageDown), Step::NextMonth);
    EXPECT_EQ(stepForKey(Qt::Key_PageUp), Step::PreviousMonth);
    EXPECT_FALSE(stepForKey(Qt::Key_Home).has_value());
    EXPECT_FALSE(stepForKey(Qt::Key_Return).has_value());
    EXPECT_FALSE(stepForKey(Qt::Key_A).has_value());
}

TEST(CalendarTexts, AreGerman)
{
    EXPECT_EQ(monthName(1), QStringLiteral("Januar"));
    EXPECT_EQ(monthName(3), QStringLiteral("März"));
    EXPECT_EQ(monthName(12), QStringLiteral("Dezember"));
    EXPECT_TRUE(monthName(0).isEmpty());
    EXPECT_TRUE(monthName(13).isEmpty());
    EXPECT_EQ(monthCaption(QDate(2024, 9, 17)), QStringLiteral("September 2024"));
    EXPECT_EQ(monthCaption(QDate(2025, 3, 1)), QStringLiteral("März 2025"));
    EXPECT_EQ(weekdayHeader().join(QLatin1Char(' ')), QStringLiteral("So Mo Di Mi Do Fr Sa"));
}

TEST(CalendarDates, FormatAsDayMonthYearWithLeadingZeros)
{
    EXPECT_EQ(formatDate(QDate(2024, 9, 1)), QStringLiteral("01.09.2024"));
    EXPECT_EQ(formatDate(QDate(2024, 12, 31)), QStringLiteral("31.12.2024"));
    EXPECT_TRUE(formatDate(QDate()).isEmpty());
}

TEST(CalendarDates, ParseFieldTextLeniently)
{
    EXPECT_EQ(parseDate(QStringLiteral("01.09.2024")), QDate(2024, 9, 1));
    EXPECT_EQ(parseDate(QStringLiteral(" 1.9.2024 ")), QDate(2024, 9, 1));
    EXPECT_EQ(parseDate(QStringLiteral("29.02.2024")), QDate(2024, 2, 29));
    EXPECT_EQ(parseDate(QStringLiteral("15.03.24")), QDate(2024, 3, 15));
    EXPECT_EQ(parseDate(QStringLiteral("15.03.29")), QDate(2029, 3, 15));
    EXPECT_EQ(parseDate(QStringLiteral("15.03.30")), QDate(1930, 3, 15));
    for (const char* bad : {"", "   ", "heute", "29.02.2023", "32.01.2024", "01.13.2024", "1.1.", "01-09-2024",
                            "01.09.2024x", "00.01.2024", "1.1.0099", "1.1.123"})
        EXPECT_FALSE(parseDate(QString::fromLatin1(bad)).isValid()) << bad;
}

TEST(CalendarDates, StartOnTheFieldsDateOrOnToday)
{
    const QDate today(2024, 9, 17);
    EXPECT_EQ(startDate(QString(), today), today);
    EXPECT_EQ(startDate(QStringLiteral("   "), today), today);
    EXPECT_EQ(startDate(QStringLiteral("Rechnung"), today), today);
    EXPECT_EQ(startDate(QStringLiteral("31.02.2024"), today), today);
    EXPECT_EQ(startDate(QStringLiteral("03.01.2023"), today), QDate(2023, 1, 3));
}
