#include "tools/widgets/CalendarDialog.h"

#include "platform/Clock.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include <functional>
#include <utility>

namespace quittora {

using calendar::MonthLayout;
using calendar::Step;

namespace {

QSize dayCellSize(const QFont& font)
{
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    return QSize(qMax(24, metrics.horizontalAdvance(QStringLiteral("00")) + 12), qMax(20, metrics.height() + 6));
}

} // namespace

// The "<<" and ">>" of the picker: every press of the left button moves one
// month, and so does the double click that a second press turns into.
class MonthStepper final : public QLabel {
public:
    MonthStepper(const QString& text, std::function<void()> onPress, QWidget* parent)
        : QLabel(text, parent)
        , m_onPress(std::move(onPress))
    {
        setAlignment(Qt::AlignCenter);
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        setCursor(Qt::PointingHandCursor);
        setMinimumWidth(fontMetrics().horizontalAdvance(text) + 12);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override { handle(event); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { handle(event); }

private:
    void handle(QMouseEvent* event)
    {
        if (event->button() != Qt::LeftButton) {
            event->ignore();
            return;
        }
        event->accept();
        m_onPress();
    }

    std::function<void()> m_onPress;
};

// Weekday names over the grid's columns, Sunday first.
class WeekdayHeader final : public QWidget {
public:
    WeekdayHeader(QSize cell, QWidget* parent)
        : QWidget(parent)
        , m_cell(cell)
    {
        setFixedSize(calendar::kColumns * cell.width() + 1, fontMetrics().height() + 4);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        const QStringList names = calendar::weekdayHeader();
        for (int column = 0; column < names.size(); ++column)
            painter.drawText(QRect(column * m_cell.width(), 0, m_cell.width(), height()), Qt::AlignCenter,
                             names[column]);
    }

private:
    QSize m_cell;
};

// The month grid: seven columns from Sunday, six rows. It draws the month of
// the dialog's current date and reports keys and clicks back to the dialog.
class MonthGrid final : public QWidget {
public:
    explicit MonthGrid(CalendarDialog& dialog)
        : QWidget(&dialog)
        , m_dialog(dialog)
        , m_cell(dayCellSize(font()))
    {
        setObjectName(QStringLiteral("MonthGrid"));
        setFocusPolicy(Qt::StrongFocus);
        setFixedSize(calendar::kColumns * m_cell.width() + 1, calendar::kRows * m_cell.height() + 1);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    QSize cell() const { return m_cell; }

    QRect cellRect(QDate date) const
    {
        const MonthLayout month = MonthLayout::of(date);
        return QRect(month.column(date.day()) * m_cell.width(), month.row(date.day()) * m_cell.height(),
                     m_cell.width(), m_cell.height());
    }

    // Called after the dialog's current date moved from previous.
    void currentMoved(QDate previous, QDate current)
    {
        const bool sameMonth = previous.isValid() && previous.year() == current.year()
            && previous.month() == current.month();
        if (!sameMonth) {
            update();
            return;
        }
        // Only the two outlines change; the extra pixel covers the closing edges.
        update(cellRect(previous).adjusted(0, 0, 1, 1));
        update(cellRect(current).adjusted(0, 0, 1, 1));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QPalette& colours = palette();
        painter.fillRect(rect(), colours.color(QPalette::Button));

        const QDate current = m_dialog.currentDate();
        const QDate today = m_dialog.today();
        const MonthLayout month = MonthLayout::of(current);
        const bool showsTodaysMonth = today.isValid() && today.year() == month.year && today.month() == month.month;
        QFont normal = font();
        normal.setBold(false);
        QFont bold = normal;
        bold.setBold(true);
        painter.setPen(colours.color(QPalette::ButtonText));
        for (int day = 1; day <= month.days; ++day) {
            painter.setFont(showsTodaysMonth && day == today.day() ? bold : normal);
            painter.drawText(cellRect(month.date(day)), Qt::AlignCenter, QString::number(day));
        }
        drawPressedIn(painter, cellRect(current));
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        if (const auto how = calendar::stepForKey(event->key())) {
            m_dialog.stepBy(*how);
            event->accept();
            return;
        }
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            m_dialog.accept();
            return;
        case Qt::Key_Escape:
            event->accept();
            m_dialog.reject();
            return;
        default:
            QWidget::keyPressEvent(event);
        }
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton) {
            event->ignore();
            return;
        }
        event->accept();
        m_pressed = true;
        if (const auto cell = calendar::cellAt(event->position().toPoint(), m_cell))
            m_dialog.pickCell(*cell);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton || !m_pressed) {
            event->ignore();
            return;
        }
        event->accept();
        m_pressed = false;
        // A click picks: the press chose the day, the release takes it.
        if (rect().contains(event->position().toPoint()))
            m_dialog.accept();
    }

private:
    // Shadow on the top and left, light on the right and bottom: the cell
    // looks pressed in.
    void drawPressedIn(QPainter& painter, const QRect& cell) const
    {
        const int left = cell.left();
        const int top = cell.top();
        const int right = cell.left() + m_cell.width();
        const int bottom = cell.top() + m_cell.height();
        painter.setPen(QPen(palette().color(QPalette::Dark), 0));
        painter.drawLine(left, bottom, left, top);
        painter.drawLine(left, top, right, top);
        painter.setPen(QPen(palette().color(QPalette::Light), 0));
        painter.drawLine(right, top, right, bottom);
        painter.drawLine(right, bottom, left, bottom);
    }

    CalendarDialog& m_dialog;
    QSize m_cell;
    bool m_pressed = false;
};

CalendarDialog::CalendarDialog(QDate start, const Clock& clock, const QString& title, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_today(clock.today())
    , m_current(start.isValid() ? start : m_today)
{
    setObjectName(QStringLiteral("frmCalendar"));
    setWindowTitle(title.isEmpty() ? QStringLiteral("Quittora pro") : title);

    m_grid = new MonthGrid(*this);
    auto* previous = new MonthStepper(QStringLiteral("<<"), [this] { stepBy(Step::PreviousMonth); }, this);
    previous->setObjectName(QStringLiteral("PreviousMonth"));
    auto* next = new MonthStepper(QStringLiteral(">>"), [this] { stepBy(Step::NextMonth); }, this);
    next->setObjectName(QStringLiteral("NextMonth"));
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("MonthCaption"));
    m_caption->setAlignment(Qt::AlignCenter);
    auto* header = new WeekdayHeader(m_grid->cell(), this);
    header->setObjectName(QStringLiteral("WeekdayHeader"));

    auto* top = new QHBoxLayout;
    top->addWidget(previous);
    top->addWidget(m_caption, 1);
    top->addWidget(next);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addWidget(header);
    layout->addWidget(m_grid);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_caption->setText(calendar::monthCaption(m_current));
    m_grid->setFocus();
}

CalendarDialog::~CalendarDialog() = default;

QSize CalendarDialog::cellSize() const
{
    return m_grid->cell();
}

void CalendarDialog::setCurrentDate(QDate date)
{
    if (!date.isValid() || date == m_current)
        return;
    const QDate previous = std::exchange(m_current, date);
    m_caption->setText(calendar::monthCaption(m_current));
    m_grid->currentMoved(previous, m_current);
    Q_EMIT currentDateChanged(m_current);
}

void CalendarDialog::stepBy(Step how)
{
    setCurrentDate(calendar::step(m_current, how));
}

void CalendarDialog::pickCell(QPoint cell)
{
    if (const int day = MonthLayout::of(m_current).dayAt(cell.x(), cell.y()))
        setCurrentDate(QDate(m_current.year(), m_current.month(), day));
}

void CalendarDialog::mousePressEvent(QMouseEvent* event)
{
    // Presses on a label reach here too; only the bare window counts.
    m_pressedBeside = event->button() == Qt::LeftButton && !childAt(event->position().toPoint());
    QDialog::mousePressEvent(event);
}

void CalendarDialog::mouseReleaseEvent(QMouseEvent* event)
{
    const bool clickBeside = m_pressedBeside && event->button() == Qt::LeftButton
        && rect().contains(event->position().toPoint()) && !childAt(event->position().toPoint());
    m_pressedBeside = false;
    if (clickBeside) {
        event->accept();
        reject();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

std::optional<QDate> GetDate(QDate userDate, const Clock& clock, const QString& title, QWidget* parent)
{
    CalendarDialog dialog(userDate, clock, title, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.currentDate();
}

std::optional<QDate> GetDate(const QString& userDateText, const Clock& clock, const QString& title, QWidget* parent)
{
    return GetDate(calendar::startDate(userDateText, clock.today()), clock, title, parent);
}

} // namespace quittora
