#pragma once

#include "tools/Calendar.h"

#include <QDate>
#include <QDialog>
#include <QString>

#include <optional>

class QLabel;

namespace quittora {

class Clock;
class MonthGrid;
class MonthStepper;

// The date picker "frmCalendar": one month as a grid of day numbers, weeks
// from Sunday. The highlighted day is the current date; it moves with the
// arrow keys (day, week) and Page Up/Down (month), with "<<" and ">>", and
// with a press on a day. Enter or a click on the grid accepts the current
// date; Escape or a click on the window beside the grid cancels.
class CalendarDialog final : public QDialog {
    Q_OBJECT
public:
    // start: the date shown and highlighted first (today when invalid);
    // title: the window caption, "Quittora pro" when empty.
    CalendarDialog(QDate start, const Clock& clock, const QString& title = QString(), QWidget* parent = nullptr);
    ~CalendarDialog() override;

    QDate currentDate() const { return m_current; }
    QDate today() const { return m_today; }
    // Moves the highlight; a date in another month shows that month. Invalid
    // dates are ignored.
    void setCurrentDate(QDate date);

    // Size of one day cell of the grid, in pixels.
    QSize cellSize() const;

Q_SIGNALS:
    void currentDateChanged(QDate date);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    friend class MonthGrid;
    void stepBy(calendar::Step how);
    void pickCell(QPoint cell);

    QDate m_today;
    QDate m_current;
    QLabel* m_caption = nullptr;
    MonthGrid* m_grid = nullptr;
    bool m_pressedBeside = false;
};

// Opens the picker modally on userDate (today when invalid). The chosen date,
// or nothing when the user cancelled.
std::optional<QDate> GetDate(QDate userDate, const Clock& clock, const QString& title = QString(),
                             QWidget* parent = nullptr);
// The same for a date field's text "dd.mm.yyyy": starts on today when the text
// is empty or no date.
std::optional<QDate> GetDate(const QString& userDateText, const Clock& clock, const QString& title = QString(),
                             QWidget* parent = nullptr);

} // namespace quittora
