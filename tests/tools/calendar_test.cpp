#include "tools/Calendar.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace quittora::calendar;

TEST(CalendarLayout, MonthsStartInTheColumnOfTheirWeekdayAndFillFourToSixRows)
{
    struct Row {
        QDate anyDay;
        int offset, days, rows;
    };
    const Row table[] = {
        {QDate(2024, 9, 17), 0, 30, 5}, // begins on a Sunday
        {QDate(2015, 2, 1), 0, 28, 4},  // exactly four weeks
        {QDate(2025, 3, 31), 6, 31, 6}, // from a Saturday: all six rows
        {QDate(2024, 2, 29), 4, 29, 5}, // leap February from a Thursday
    };
    for (const Row& row : table) {
        const MonthLayout m = MonthLayout::of(row.anyDay);
        const std::string label = row.anyDay.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(m.year, row.anyDay.year()) << label;
        EXPECT_EQ(m.month, row.anyDay.month()) << label;
        EXPECT_EQ(m.offset, row.offset) << label;
        EXPECT_EQ(m.days, row.days) << label;
        EXPECT_EQ(m.rowsUsed(), row.rows) << label;
        // Every day in the cell that shows it, every other cell (also
        // outside the grid) empty.
        int filled = 0;
        for (int r = -1; r <= kRows; ++r)
            for (int c = -1; c <= kColumns; ++c)
                filled += m.dayAt(c, r) != 0 ? 1 : 0;
        EXPECT_EQ(filled, row.days) << label;
        for (int day = 1; day <= m.days; ++day)
            EXPECT_EQ(m.dayAt(m.column(day), m.row(day)), day) << label;
    }
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(sundayColumn(QDate(2024, 9, 1 + i)), i) << "1 September 2024 was a Sunday";
}

TEST(CalendarGeometry, FindsTheCellUnderAPointAndNothingBeyondTheGrid)
{
    const QSize cell(24, 20);
    const std::pair<QPoint, std::optional<QPoint>> table[] = {
        {QPoint(0, 0), QPoint(0, 0)},          {QPoint(23, 19), QPoint(0, 0)},
        {QPoint(24, 20), QPoint(1, 1)},        {QPoint(7 * 24 - 1, 6 * 20 - 1), QPoint(6, 5)},
        {QPoint(7 * 24, 5), std::nullopt}, // right of the seventh column is not the next row
        {QPoint(5, 6 * 20), std::nullopt},     {QPoint(-1, 5), std::nullopt},
    };
    for (const auto& [point, expected] : table)
        EXPECT_EQ(cellAt(point, cell), expected) << point.x() << "," << point.y();
    EXPECT_EQ(cellAt(QPoint(5, 5), QSize()), std::nullopt);
}

TEST(CalendarSteps, CrossMonthAndYearEndsClipToTheMonthEndAndStayInTheSupportedYears)
{
    const std::tuple<QDate, Step, QDate> table[] = {
        {QDate(2024, 9, 1), Step::PreviousDay, QDate(2024, 8, 31)},
        {QDate(2024, 12, 31), Step::NextDay, QDate(2025, 1, 1)},
        {QDate(2024, 3, 1), Step::PreviousDay, QDate(2024, 2, 29)},
        {QDate(2024, 12, 28), Step::NextWeek, QDate(2025, 1, 4)},
        {QDate(2024, 1, 3), Step::PreviousWeek, QDate(2023, 12, 27)},
        {QDate(2015, 1, 31), Step::NextMonth, QDate(2015, 2, 28)},
        {QDate(2015, 2, 28), Step::NextMonth, QDate(2015, 3, 28)}, // no memory of the 31st
        {QDate(2024, 1, 31), Step::NextMonth, QDate(2024, 2, 29)},
        {QDate(2024, 5, 31), Step::PreviousMonth, QDate(2024, 4, 30)},
        {QDate(2024, 12, 15), Step::NextMonth, QDate(2025, 1, 15)},
        {QDate(2025, 1, 15), Step::PreviousMonth, QDate(2024, 12, 15)},
        {QDate(9999, 12, 31), Step::NextDay, QDate(9999, 12, 31)},
        {QDate(9999, 12, 5), Step::NextMonth, QDate(9999, 12, 5)},
        {QDate(100, 1, 1), Step::PreviousWeek, QDate(100, 1, 1)},
    };
    for (const auto& [from, how, expected] : table)
        EXPECT_EQ(step(from, how), expected) << from.toString(Qt::ISODate).toStdString() << " step " << int(how);

    const std::pair<int, std::optional<Step>> keys[] = {
        {Qt::Key_Right, Step::NextDay},     {Qt::Key_Left, Step::PreviousDay},      {Qt::Key_Down, Step::NextWeek},
        {Qt::Key_Up, Step::PreviousWeek},   {Qt::Key_PageDown, Step::NextMonth},   {Qt::Key_PageUp, Step::PreviousMonth},
        {Qt::Key_Home, std::nullopt},       {Qt::Key_Return, std::nullopt},        {Qt::Key_A, std::nullopt},
    };
    for (const auto& [key, expected] : keys)
        EXPECT_EQ(stepForKey(key), expected) << "key " << key;
}

TEST(CalendarTexts, AreGerman)
{
    EXPECT_EQ(monthName(3), QStringLiteral("März"));
    EXPECT_TRUE(monthName(0).isEmpty());
    EXPECT_TRUE(monthName(13).isEmpty());
    EXPECT_EQ(monthCaption(QDate(2024, 12, 17)), QStringLiteral("Dezember 2024"));
    EXPECT_EQ(weekdayHeader().join(QLatin1Char(' ')), QStringLiteral("So Mo Di Mi Do Fr Sa"));
}

TEST(CalendarDates, FormatWithLeadingZerosAndParseFieldTextLeniently)
{
    EXPECT_EQ(formatDate(QDate(2024, 9, 1)), QStringLiteral("01.09.2024"));
    EXPECT_TRUE(formatDate(QDate()).isEmpty());
    const std::pair<const char*, QDate> table[] = {
        {"01.09.2024", QDate(2024, 9, 1)},  {" 1.9.2024 ", QDate(2024, 9, 1)}, {"29.02.2024", QDate(2024, 2, 29)},
        {"15.03.29", QDate(2029, 3, 15)},   {"15.03.30", QDate(1930, 3, 15)},
    };
    for (const auto& [text, expected] : table)
        EXPECT_EQ(parseDate(QString::fromLatin1(text)), expected) << text;
    for (const char* bad : {"", "   ", "heute", "29.02.2023", "32.01.2024", "01.13.2024", "1.1.", "01-09-2024",
                            "01.09.2024x", "00.01.2024", "1.1.0099", "1.1.123"})
        EXPECT_FALSE(parseDate(QString::fromLatin1(bad)).isValid()) << bad;
}
