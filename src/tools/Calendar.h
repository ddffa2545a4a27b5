#pragma once

#include <QDate>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// The month arithmetic and grid geometry behind the date picker. Weeks begin
// on Sunday; a month occupies up to six rows of seven cells.
namespace quittora::calendar {

inline constexpr int kColumns = 7;
inline constexpr int kRows = 6;

// Column of a date's weekday in a week that begins on Sunday: Sunday 0,
// Monday 1, ... Saturday 6.
int sundayColumn(QDate date);

// Where the days of one month sit in the 7 x 6 grid.
struct MonthLayout {
    int year = 0;
    int month = 0;
    int offset = 0; // column of day 1
    int days = 0;   // days in the month

    static MonthLayout of(QDate anyDayOfMonth);

    int cellIndex(int day) const { return offset + day - 1; }
    int column(int day) const { return cellIndex(day) % kColumns; }
    int row(int day) const { return cellIndex(day) / kColumns; }
    // Rows the month needs: 4 (a February from Sunday in a common year) to 6.
    int rowsUsed() const;
    // The day shown in a cell (columns and rows from 0), 0 for an empty cell
    // or a cell outside the grid.
    int dayAt(int column, int row) const;
    QDate date(int day) const { return QDate(year, month, day); }
};

// The cell (column, row; from 0) under a point of a grid of cells of the given
// size, or nothing when the point lies outside the 7 x 6 cells.
std::optional<QPoint> cellAt(QPoint position, QSize cellSize);

enum class Step { NextDay, PreviousDay, NextWeek, PreviousWeek, NextMonth, PreviousMonth };

// Calendar arithmetic: a month step keeps the day number, clipped to the
// last day of the target month (31 January + 1 month = end of February).
// A step out of the years 100 to 9999 leaves the date as it is.
QDate step(QDate date, Step how);

// The navigation key of the picker for a Qt::Key, if it is one.
std::optional<Step> stepForKey(int key);

// German names, fixed: the program speaks German whatever the system says.
QString monthName(int month); // "Januar" ... "Dezember"
QString monthCaption(QDate date); // "September 2024"
QStringList weekdayHeader(); // "So", "Mo", ... "Sa"

// Dates as the program keeps them in text: "dd.mm.yyyy".
QString formatDate(QDate date);
// Reads "d.m.yyyy" with one or two digits for day and month and a two- or
// four-digit year (00-29 is 20xx, 30-99 is 19xx), blanks around ignored.
// Invalid date when the text is no date.
QDate parseDate(const QString& text);
// The date a picker opens on for a date field's text: the field's date, or
// today when the field is empty or holds no date.
QDate startDate(const QString& fieldText, QDate today);

} // namespace quittora::calendar
