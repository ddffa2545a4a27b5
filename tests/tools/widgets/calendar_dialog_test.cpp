#include "tools/widgets/CalendarDialog.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

using namespace quittora;

namespace {

class FixedClock final : public Clock {
public:
    explicit FixedClock(QDate day) : m_day(day) {}
    QDate today() const override { return m_day; }
    QDateTime now() const override { return QDateTime(m_day, QTime(10, 30)); }

private:
    QDate m_day;
};

const QDate kToday(2024, 9, 17);

QWidget* grid(CalendarDialog& dialog)
{
    return dialog.findChild<QWidget*>(QStringLiteral("MonthGrid"));
}

QString caption(CalendarDialog& dialog)
{
    return dialog.findChild<QLabel*>(QStringLiteral("MonthCaption"))->text();
}

// Centre of the cell that shows a day of the dialog's current month.
QPoint cellCentre(CalendarDialog& dialog, int day)
{
    const auto month = calendar::MonthLayout::of(dialog.currentDate());
    const QSize cell = dialog.cellSize();
    return QPoint(month.column(day) * cell.width() + cell.width() / 2, month.row(day) * cell.height() + cell.height() / 2);
}

QRect cellRect(CalendarDialog& dialog, int day)
{
    const auto month = calendar::MonthLayout::of(dialog.currentDate());
    const QSize cell = dialog.cellSize();
    return QRect(QPoint(month.column(day) * cell.width(), month.row(day) * cell.height()), cell);
}

class CalendarDialogTest : public ::testing::Test {
protected:
    FixedClock clock{kToday};

    void showAndFocus(CalendarDialog& dialog)
    {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        ASSERT_NE(grid(dialog), nullptr);
    }
};

} // namespace

TEST_F(CalendarDialogTest, OpensOnTheGivenDateWithTheProgramsCaption)
{
    CalendarDialog dialog(QDate(2023, 1, 3), clock);
    EXPECT_EQ(dialog.objectName(), QStringLiteral("frmCalendar"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quittora pro"));
    EXPECT_EQ(dialog.currentDate(), QDate(2023, 1, 3));
    EXPECT_EQ(caption(dialog), QStringLiteral("Januar 2023"));

    CalendarDialog titled(QDate(), clock, QStringLiteral("Rechnungsdatum"));
    EXPECT_EQ(titled.windowTitle(), QStringLiteral("Rechnungsdatum"));
    EXPECT_EQ(titled.currentDate(), kToday) << "no date given: today";
    EXPECT_EQ(caption(titled), QStringLiteral("September 2024"));
}

TEST_F(CalendarDialogTest, ArrowKeysMoveByDaysAndWeeks)
{
    CalendarDialog dialog(kToday, clock);
    showAndFocus(dialog);
    QWidget* days = grid(dialog);

    QTest::keyClick(days, Qt::Key_Right);
    EXPECT_EQ(dialog.currentDate(), QDate(2024, 9, 18));
    QTest::keyClick(days, Qt::Key_Down);
    EXPECT_EQ(dialog.currentDate(), QDate(2024, 9, 25));
    QTest::keyClick(days, Qt::Key_Up);
    QTest::keyClick(days, Qt::Key_Up);
    EXPECT_EQ(dialog.currentDate(), QDate(2024, 9, 11));
    QTest::keyClick(days, Qt::Key_Left);
    EXPECT_EQ(dialog.currentDate(), QDate(2024, 9, 10));
    EXPECT_EQ(caption(dialog), QStringLiteral("September 2024"));
    // Keypad arrows navigate as well.
    QTest::keyClick(days, Qt::Key_Right, Qt::KeypadModifier);
    EXPECT_EQ(dialog.currentDate(), QDate(2024, 9, 11));
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(CalendarDialogTest, LeavingTheMonthShowsTheOtherMonth)
{
    CalendarDialog dialog(QDate(2024, 9, 1), clock);
    showAndFocus(dialog);
    QTest::keyClick(grid(dialog), Qt::Key_Left);
    EXPECT_EQ(dialog.currentDate(), QDate(2024, 8, 31));
    EXPECT_EQ(caption(dialog), QStringLiteral("August 2024"));
    QTest::keyClick(grid(dialog), Qt::Key_Down);
    EXPECT_EQ(dialog.currentDate(), QDate(2024, 9, 7));
    EXPECT_EQ(caption(dialog), QStringLiteral("September 2024"));
}

TEST_F(CalendarDialogTest, PageKeysMoveByCalendarMonths)
{
    CalendarDialog dialog(QDate(2015, 1, 31), clock);
    showAndFocus(dialog);
    QTest::keyClick(grid(dialog), Qt::Key_PageDown);
    EXPECT_EQ(dialog.currentDate(), QDate(2015, 2, 28));
    EXPECT_EQ(caption(dialog), QStringLiteral("Februar 2015"));
    QTest::keyClick(grid(dialog), Qt::Key_PageUp);
    QTest::keyClick(grid(dialog), Qt::Key_PageUp);
    EXPECT_EQ(dialog.currentDate(), QDate(2014, 12, 28));
    EXPECT_EQ(caption(dialog), QStringLiteral("Dezember 2014"));
}

TEST_F(CalendarDialogTest, OtherKeysChangeNothing)
{
    CalendarDialog dialog(kToday, clock);
    showAndFocus(dialog);
    for (Qt::Key key : {Qt::Key_Home, Qt::Key_End, Qt::Key_A, Qt::Key_Space, Qt::Key_Tab, Qt::Key_5})
        QTest::keyClick(grid(dialog), key);
    EXPECT_EQ(dialog.currentDate(), kToday);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(CalendarDialogTest, EnterAcceptsTheHighlightedDate)
{
    for (Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter}) {
        CalendarDialog dialog(kToday, clock);
        showAndFocus(dialog);
        QTest::keyClick(grid(dialog), Qt::Key_Right);
        QTest::keyClick(grid(dialog), enter);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.currentDate(), QDate(2024, 9, 18));
    }
}

TEST_F(CalendarDialogTest, EscapeCancelsFromTheGridAndFromAnywhereInTheWindow)
{
    CalendarDialog onGrid(kToday, clock);
    showAndFocus(onGrid);
    QTest::keyClick(grid(onGrid), Qt::Key_Escape);
    EXPECT_EQ(onGrid.result(), QDialog::Rejected);
    EXPECT_FALSE(onGrid.isVisible());

    CalendarDialog onWindow(kToday, clock);
    showAndFocus(onWindow);
    QTest::keyClick(&onWindow, Qt::Key_Escape);
    EXPECT_EQ(onWindow.result(), QDialog::Rejected);
    EXPECT_FALSE(onWindow.isVisible());
}

TEST_F(CalendarDialogTest, AClickOnADayPicksItAndAccepts)
{
    // October 2024 begins on a Tuesday: two empty cells before the 1st.
    CalendarDialog dialog(QDate(2024, 10, 2), clock);
    showAndFocus(dialog);
    const QPoint on25 = cellCentre(dialog, 25);
    EXPECT_EQ(on25.x() / dialog.cellSize().width(), 5); // a Friday
    QTest::mousePress(grid(dialog), Qt::LeftButton, {}, on25);
    EXPECT_EQ(dialog.currentDate(), QDate(2024, 10, 25));
    EXPECT_TRUE(dialog.isVisible()) << "the press only chooses";
    QTest::mouseRelease(grid(dialog), Qt::LeftButton, {}, on25);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.currentDate(), QDate(2024, 10, 25));
}

TEST_F(CalendarDialogTest, AClickOnAnEmptyCellAcceptsTheUnchangedDate)
{
    CalendarDialog dialog(kToday, clock);
    showAndFocus(dialog);
    // September 2024 ends on Monday the 30th; the Tuesday beside it is empty.
    const QSize cell = dialog.cellSize();
    QTest::mouseClick(grid(dialog), Qt::LeftButton, {}, QPoint(2 * cell.width() + 5, 4 * cell.height() + 5));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.currentDate(), kToday);

    // October 2024 begins on a Tuesday; its Sunday cell in the first row is empty.
    CalendarDialog october(QDate(2024, 10, 9), clock);
    showAndFocus(october);
    QTest::mouseClick(grid(october), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(october.result(), QDialog::Accepted);
    EXPECT_EQ(october.currentDate(), QDate(2024, 10, 9));
}

TEST_F(CalendarDialogTest, AClickBesideTheGridCancels)
{
    CalendarDialog dialog(kToday, clock);
    showAndFocus(dialog);
    // A click on the caption is no click beside the grid.
    QTest::mouseClick(dialog.findChild<QLabel*>(QStringLiteral("MonthCaption")), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());

    const QPoint corner(2, dialog.height() - 2);
    ASSERT_EQ(dialog.childAt(corner), nullptr);
    QTest::mouseClick(&dialog, Qt::LeftButton, {}, corner);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.currentDate(), kToday);
}

TEST_F(CalendarDialogTest, MonthButtonsStepOnEveryPressAndOnDoubleClicks)
{
    CalendarDialog dialog(QDate(2024, 3, 31), clock);
    showAndFocus(dialog);
    auto* previous = dialog.findChild<QWidget*>(QStringLiteral("PreviousMonth"));
    auto* next = dialog.findChild<QWidget*>(QStringLiteral("NextMonth"));
    ASSERT_NE(previous, nullptr);
    ASSERT_NE(next, nullptr);

    QTest::mousePress(previous, Qt::LeftButton);
    QTest::mouseRelease(previous, Qt::LeftButton);
    EXPECT_EQ(dialog.currentDate(), QDate(2024, 2, 29));
    EXPECT_EQ(caption(dialog), QStringLiteral("Februar 2024"));

    // A double click reaches a widget as press, release, double click, release.
    QTest::mousePress(next, Qt::LeftButton);
    QTest::mouseRelease(next, Qt::LeftButton);
    QTest::mouseDClick(next, Qt::LeftButton);
    QTest::mouseRelease(next, Qt::LeftButton);
    EXPECT_EQ(dialog.currentDate(), QDate(2024, 4, 29));

    QTest::mouseClick(next, Qt::RightButton);
    EXPECT_EQ(dialog.currentDate(), QDate(2024, 4, 29));
    EXPECT_TRUE(dialog.isVisible());
}

namespace {

int inkIn(const QImage& image, const QRect& area)
{
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    return dark;
}

} // namespace

TEST_F(CalendarDialogTest, TodaysNumberIsBoldOnlyInTodaysMonth)
{
    CalendarDialog todaysMonth(QDate(2024, 9, 3), clock);
    FixedClock octoberClock(QDate(2024, 10, 17));
    CalendarDialog otherMonth(QDate(2024, 9, 3), octoberClock);
    showAndFocus(todaysMonth);
    showAndFocus(otherMonth);
    const QImage bold = grid(todaysMonth)->grab().toImage();
    const QImage normal = grid(otherMonth)->grab().toImage();
    const QRect inside17 = cellRect(todaysMonth, 17).adjusted(2, 2, -2, -2);
    const QRect inside16 = cellRect(todaysMonth, 16).adjusted(2, 2, -2, -2);

    ASSERT_GT(inkIn(normal, inside17), 0) << "the day numbers are drawn";
    EXPECT_GT(inkIn(bold, inside17), inkIn(normal, inside17));
    EXPECT_EQ(inkIn(bold, inside16), inkIn(normal, inside16));
}

TEST_F(CalendarDialogTest, TheCurrentDayLooksPressedIn)
{
    CalendarDialog dialog(kToday, clock);
    showAndFocus(dialog);
    const QPalette& palette = grid(dialog)->palette();
    const QRgb shadow = palette.color(QPalette::Dark).rgb();
    const QRgb light = palette.color(QPalette::Light).rgb();
    const QRgb face = palette.color(QPalette::Button).rgb();
    ASSERT_NE(shadow, face);
    ASSERT_NE(light, face);

    auto edges = [&](int day) {
        const QImage image = grid(dialog)->grab().toImage();
        const QRect cell = cellRect(dialog, day);
        const int middle = cell.top() + cell.height() / 2;
        const int centre = cell.left() + cell.width() / 2;
        return std::array<QRgb, 4>{image.pixel(cell.left(), middle), image.pixel(centre, cell.top()),
                                   image.pixel(cell.left() + cell.width(), middle),
                                   image.pixel(centre, cell.top() + cell.height())};
    };
    const auto current = edges(17);
    EXPECT_EQ(current[0], shadow);
    EXPECT_EQ(current[1], shadow);
    EXPECT_EQ(current[2], light);
    EXPECT_EQ(current[3], light);

    QTest::keyClick(grid(dialog), Qt::Key_Right);
    const auto left = edges(17);
    EXPECT_EQ(left[0], face);
    EXPECT_EQ(left[1], face);
    EXPECT_EQ(edges(18)[1], shadow);
}

namespace {

// Works the modal picker that GetDate opens, as soon as it is up. Should the
// picker not turn up, whatever is modal is closed so that the test fails
// instead of hanging.
void whenPickerOpens(std::function<void(CalendarDialog&)> work)
{
    QTimer::singleShot(0, qApp, [work = std::move(work)] {
        auto* picker = qobject_cast<CalendarDialog*>(QApplication::activeModalWidget());
        if (!picker) {
            ADD_FAILURE() << "no modal picker";
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        work(*picker);
    });
}

} // namespace

TEST_F(CalendarDialogTest, GetDateReturnsTheAcceptedDate)
{
    QString title;
    QDate openedOn;
    whenPickerOpens([&](CalendarDialog& picker) {
        title = picker.windowTitle();
        openedOn = picker.currentDate();
        QTest::keyClick(grid(picker), Qt::Key_Right);
        QTest::keyClick(grid(picker), Qt::Key_Return);
    });
    EXPECT_EQ(GetDate(QStringLiteral("03.01.2023"), clock), QDate(2023, 1, 4));
    EXPECT_EQ(openedOn, QDate(2023, 1, 3));
    EXPECT_EQ(title, QStringLiteral("Quittora pro"));
}

TEST_F(CalendarDialogTest, GetDateStartsOnTodayForAnEmptyOrUnreadableField)
{
    for (const QString& field : {QString(), QStringLiteral("kein Datum")}) {
        QDate openedOn;
        whenPickerOpens([&](CalendarDialog& picker) {
            openedOn = picker.currentDate();
            QTest::keyClick(grid(picker), Qt::Key_Enter);
        });
        EXPECT_EQ(GetDate(field, clock), kToday);
        EXPECT_EQ(openedOn, kToday);
    }
}

TEST_F(CalendarDialogTest, GetDateReturnsNothingWhenCancelled)
{
    QString title;
    whenPickerOpens([&](CalendarDialog& picker) {
        title = picker.windowTitle();
        QTest::keyClick(grid(picker), Qt::Key_PageDown);
        QTest::keyClick(grid(picker), Qt::Key_Escape);
    });
    EXPECT_EQ(GetDate(QDate(2024, 5, 2), clock, QStringLiteral("Lieferdatum")), std::nullopt);
    EXPECT_EQ(title, QStringLiteral("Lieferdatum"));
}
