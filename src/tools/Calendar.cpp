#include "tools/Calendar.h"

#include <QRegularExpression>

#include <array>

namespace quittora::calendar {

namespace {

constexpr int kFirstYear = 100;
constexpr int kLastYear = 9999;

bool inRange(QDate date)
{
    return date.isValid() && date.year() >= kFirstYear && date.year() <= kLastYear;
}

} // namespace

int sundayColumn(QDate date)
{
    return date.dayOfWeek() % 7; // Qt counts Monday 1 ... Sunday 7
}

MonthLayout MonthLayout::of(QDate anyDayOfMonth)
{
    const QDate first(anyDayOfMonth.year(), anyDayOfMonth.month(), 1);
    return {first.year(), first.month(), sundayColumn(first), first.daysInMonth()};
}

int MonthLayout::rowsUsed() const
{
    return (offset + days + kColumns - 1) / kColumns;
}

int MonthLayout::dayAt(int column, int row) const
{
    if (column < 0 || column >= kColumns || row < 0 || row >= kRows)
        return 0;
    const int day = row * kColumns + column - offset + 1;
    return day >= 1 && day <= days ? day : 0;
}

std::optional<QPoint> cellAt(QPoint position, QSize cellSize)
{
    if (cellSize.isEmpty() || position.x() < 0 || position.y() < 0)
        return std::nullopt;
    const int column = position.x() / cellSize.width();
    const int row = position.y() / cellSize.height();
    if (column >= kColumns || row >= kRows)
        return std::nullopt;
    return QPoint(column, row);
}

QDate step(QDate date, Step how)
{
    QDate next;
    switch (how) {
    case Step::NextDay: next = date.addDays(1); break;
    case Step::PreviousDay: next = date.addDays(-1); break;
    case Step::NextWeek: next = date.addDays(7); break;
    case Step::PreviousWeek: next = date.addDays(-7); break;
    case Step::NextMonth: next = date.addMonths(1); break;
    case Step::PreviousMonth: next = date.addMonths(-1); break;
    }
    return inRange(next) ? next : date;
}

std::optional<Step> stepForKey(int key)
{
    switch (key) {
    case Qt::Key_Right: return Step::NextDay;
    case Qt::Key_Left: return Step::PreviousDay;
    case Qt::Key_Down: return Step::NextWeek;
    case Qt::Key_Up: return Step::PreviousWeek;
    case Qt::Key_PageDown: return Step::NextMonth;
    case Qt::Key_PageUp: return Step::PreviousMonth;
    default: return std::nullopt;
    }
}

QString monthName(int month)
{
    static const std::array<QString, 12> names{
        QStringLiteral("Januar"), QStringLiteral("Februar"), QStringLiteral("März"),
        QStringLiteral("April"), QStringLiteral("Mai"), QStringLiteral("Juni"),
        QStringLiteral("Juli"), QStringLiteral("August"), QStringLiteral("September"),
        QStringLiteral("Oktober"), QStringLiteral("November"), QStringLiteral("Dezember")};
    if (month < 1 || month > 12)
        return {};
    return names[static_cast<std::size_t>(month - 1)];
}

QString monthCaption(QDate date)
{
    if (!date.isValid())
        return {};
    return monthName(date.month()) + QLatin1Char(' ') + QString::number(date.year());
}

QStringList weekdayHeader()
{
    return {QStringLiteral("So"), QStringLiteral("Mo"), QStringLiteral("Di"), QStringLiteral("Mi"),
            QStringLiteral("Do"), QStringLiteral("Fr"), QStringLiteral("Sa")};
}

QString formatDate(QDate date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

QDate parseDate(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,2})\\.([0-9]{1,2})\\.([0-9]{4}|[0-9]{2})$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return {};
    int year = match.captured(3).toInt();
    if (match.capturedLength(3) == 2)
        year += year < 30 ? 2000 : 1900;
    const QDate date(year, match.captured(2).toInt(), match.captured(1).toInt());
    return inRange(date) ? date : QDate();
}

QDate startDate(const QString& fieldText, QDate today)
{
    const QDate fromField = parseDate(fieldText);
    return fromField.isValid() ? fromField : today;
}

} // namespace quittora::calendar
