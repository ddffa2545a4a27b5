#include "tools/widgets/CalendarDialog.h"

#include "support/DialogFixture.h"
#include "support/FixedClock.h"
#include "tools/Calendar.h"

#include <QImage>

using namespace quittora;
using namespace quittora::test;

namespace {

const QDate kToday(2024, 9, 17);

QWidget* grid(const CalendarDialog& dialog)
{
    return child<QWidget>(dialog, "MonthGrid");
}

QRect cellRect(const CalendarDialog& dialog, int day)
{
    const auto month = calendar::MonthLayout::of(dialog.currentDate());
    const QSize cell = dialog.cellSize();
    return QRect(QPoint(month.column(day) * cell.width(), month.row(day) * cell.height()), cell);
}

int inkIn(const QImage& image, const QRect& area)
{
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    return dark;
}

// Works the modal picker GetDate opens; anything else modal is closed so that
// the test fails instead of hanging.
std::shared_ptr<bool> whenPickerOpens(std::function<void(CalendarDialog&)> work)
{
    return whenModalOpens([work = std::move(work)](QWidget* w) {
        auto* picker = qobject_cast<CalendarDialog*>(w);
        if (!picker) {
            ADD_FAILURE() << "no modal picker";
            w->close();
            return;
        }
        work(*picker);
    });
}

class CalendarDialogTest : public ::testing::Test {
protected:
    FixedClock clock{QDateTime(kToday, QTime(10, 30))};
};

} // namespace

TEST_F(CalendarDialogTest, OpensOnTheGivenDateOrTodayWithTheCaptionAsked)
{
    CalendarDialog dialog(QDate(2023, 1, 3), clock);
    EXPECT_EQ(dialog.objectName(), QStringLiteral("frmCalendar"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quittora pro"));
    EXPECT_EQ(dialog.currentDate(), QDate(2023, 1, 3));
    EXPECT_EQ(labelText(dialog, "MonthCaption"), QStringLiteral("Januar 2023"));
    CalendarDialog titled(QDate(), clock, QStringLiteral("Rechnungsdatum"));
    EXPECT_EQ(titled.windowTitle(), QStringLiteral("Rechnungsdatum"));
    EXPECT_EQ(titled.currentDate(), kToday);
    EXPECT_EQ(labelText(titled, "MonthCaption"), QStringLiteral("September 2024"));
}

TEST_F(CalendarDialogTest, KeysMoveByDaysWeeksAndMonthsAndTheCaptionFollows)
{
    CalendarDialog dialog(kToday, clock);
    ASSERT_TRUE(showAndWait(dialog));
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, QDate> table[] = {
        {Qt::Key_Right, {}, QDate(2024, 9, 18)}, {Qt::Key_Down, {}, QDate(2024, 9, 25)},
        {Qt::Key_Up, {}, QDate(2024, 9, 18)},    {Qt::Key_Left, {}, QDate(2024, 9, 17)},
        {Qt::Key_Right, Qt::KeypadModifier, QDate(2024, 9, 18)}, // keypad arrows too
        {Qt::Key_Home, {}, QDate(2024, 9, 18)},  {Qt::Key_A, {}, QDate(2024, 9, 18)}, // other keys change nothing
        {Qt::Key_Space, {}, QDate(2024, 9, 18)}, {Qt::Key_Tab, {}, QDate(2024, 9, 18)},
        {Qt::Key_PageUp, {}, QDate(2024, 8, 18)}, {Qt::Key_Down, {}, QDate(2024, 8, 25)},
        {Qt::Key_Down, {}, QDate(2024, 9, 1)},   {Qt::Key_Left, {}, QDate(2024, 8, 31)},
        {Qt::Key_PageDown, {}, QDate(2024, 9, 30)}, {Qt::Key_PageDown, {}, QDate(2024, 10, 30)},
    };
    for (const auto& [key, modifiers, expected] : table) {
        QTest::keyClick(grid(dialog), key, modifiers);
        EXPECT_EQ(dialog.currentDate(), expected) << "key " << key;
        EXPECT_EQ(labelText(dialog, "MonthCaption"), calendar::monthCaption(expected)) << "key " << key;
    }
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(CalendarDialogTest, EnterAcceptsAndEscapeCancelsFromTheGridOrTheWindow)
{
    const std::tuple<Qt::Key, bool, QDialog::DialogCode> table[] = {
        {Qt::Key_Return, true, QDialog::Accepted},
        {Qt::Key_Enter, true, QDialog::Accepted},
        {Qt::Key_Escape, true, QDialog::Rejected},
        {Qt::Key_Escape, false, QDialog::Rejected},
    };
    for (const auto& [key, onGrid, result] : table) {
        CalendarDialog dialog(kToday, clock);
        ASSERT_TRUE(showAndWait(dialog));
        QTest::keyClick(grid(dialog), Qt::Key_Right);
        QTest::keyClick(onGrid ? grid(dialog) : static_cast<QWidget*>(&dialog), key);
        EXPECT_EQ(dialog.result(), result) << "key " << key;
        EXPECT_FALSE(dialog.isVisible()) << "key " << key;
        EXPECT_EQ(dialog.currentDate(), QDate(2024, 9, 18));
    }
}

TEST_F(CalendarDialogTest, APressOnADayPicksItTheReleaseAcceptsAClickBesideTheGridCancels)
{
    // October 2024 begins on a Tuesday: two empty cells before the 1st.
    CalendarDialog dialog(QDate(2024, 10, 2), clock);
    ASSERT_TRUE(showAndWait(dialog));
    const QPoint on25 = cellRect(dialog, 25).center();
    EXPECT_EQ(on25.x() / dialog.cellSize().width(), 5) << "a Friday";
    QTest::mousePress(grid(dialog), Qt::LeftButton, {}, on25);
    EXPECT_EQ(dialog.currentDate(), QDate(2024, 10, 25));
    EXPECT_TRUE(dialog.isVisible()) << "the press only chooses";
    QTest::mouseRelease(grid(dialog), Qt::LeftButton, {}, on25);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());

    // An empty cell (the Sunday before the 1st) accepts the unchanged date.
    CalendarDialog empty(QDate(2024, 10, 9), clock);
    ASSERT_TRUE(showAndWait(empty));
    QTest::mouseClick(grid(empty), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(empty.result(), QDialog::Accepted);
    EXPECT_EQ(empty.currentDate(), QDate(2024, 10, 9));

    CalendarDialog beside(kToday, clock);
    ASSERT_TRUE(showAndWait(beside));
    QTest::mouseClick(child<QLabel>(beside, "MonthCaption"), Qt::LeftButton);
    EXPECT_TRUE(beside.isVisible()) << "the caption is no place beside the grid";
    const QPoint corner(2, beside.height() - 2);
    ASSERT_EQ(beside.childAt(corner), nullptr);
    QTest::mouseClick(&beside, Qt::LeftButton, {}, corner);
    EXPECT_EQ(beside.result(), QDialog::Rejected);
    EXPECT_FALSE(beside.isVisible());
    EXPECT_EQ(beside.currentDate(), kToday);
}

TEST_F(CalendarDialogTest, MonthButtonsStepOnEveryPressAndOnDoubleClicks)
{
    CalendarDialog dialog(QDate(2024, 3, 31), clock);
    ASSERT_TRUE(showAndWait(dialog));
    auto* previous = child<QWidget>(dialog, "PreviousMonth");
    auto* next = child<QWidget>(dialog, "NextMonth");
    QTest::mousePress(previous, Qt::LeftButton);
    QTest::mouseRelease(previous, Qt::LeftButton);
    EXPECT_EQ(dialog.currentDate(), QDate(2024, 2, 29));
    EXPECT_EQ(labelText(dialog, "MonthCaption"), QStringLiteral("Februar 2024"));
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

TEST_F(CalendarDialogTest, TodayIsBoldOnlyInTodaysMonthAndTheCurrentDayLooksPressedIn)
{
    CalendarDialog todaysMonth(QDate(2024, 9, 3), clock);
    FixedClock octoberClock(QDateTime(QDate(2024, 10, 17), QTime(10, 30)));
    CalendarDialog otherMonth(QDate(2024, 9, 3), octoberClock);
    ASSERT_TRUE(showAndWait(todaysMonth) && showAndWait(otherMonth));
    const QImage bold = grid(todaysMonth)->grab().toImage();
    const QImage normal = grid(otherMonth)->grab().toImage();
    const QRect inside17 = cellRect(todaysMonth, 17).adjusted(2, 2, -2, -2);
    const QRect inside16 = cellRect(todaysMonth, 16).adjusted(2, 2, -2, -2);
    ASSERT_GT(inkIn(normal, inside17), 0) << "the day numbers are drawn";
    EXPECT_GT(inkIn(bold, inside17), inkIn(normal, inside17));
    EXPECT_EQ(inkIn(bold, inside16), inkIn(normal, inside16));

    CalendarDialog dialog(kToday, clock);
    ASSERT_TRUE(showAndWait(dialog));
    const QPalette& palette = grid(dialog)->palette();
    const QRgb shadow = palette.color(QPalette::Dark).rgb();
    const QRgb light = palette.color(QPalette::Light).rgb();
    const QRgb face = palette.color(QPalette::Button).rgb();
    ASSERT_TRUE(shadow != face && light != face);
    // Left, top, right and bottom edge of a day's cell.
    auto edges = [&](int day) {
        const QImage image = grid(dialog)->grab().toImage();
        const QRect cell = cellRect(dialog, day);
        const int middle = cell.top() + cell.height() / 2;
        const int centre = cell.left() + cell.width() / 2;
        return std::array<QRgb, 4>{image.pixel(cell.left(), middle), image.pixel(centre, cell.top()),
                                   image.pixel(cell.left() + cell.width(), middle),
                                   image.pixel(centre, cell.top() + cell.height())};
    };
    EXPECT_EQ(edges(17), (std::array<QRgb, 4>{shadow, shadow, light, light}));
    QTest::keyClick(grid(dialog), Qt::Key_Right);
    EXPECT_EQ(edges(17)[0], face);
    EXPECT_EQ(edges(17)[1], face);
    EXPECT_EQ(edges(18)[1], shadow);
}

TEST_F(CalendarDialogTest, GetDateStartsOnTheFieldsDateOrTodayAndGivesTheAcceptedDateOrNothing)
{
    struct Row {
        QString field;
        QDate opensOn;
        Qt::Key key; // pressed after one step right
        std::optional<QDate> result;
    };
    const Row table[] = {
        {QStringLiteral("03.01.2023"), QDate(2023, 1, 3), Qt::Key_Return, QDate(2023, 1, 4)},
        {QString(), kToday, Qt::Key_Enter, QDate(2024, 9, 18)},
        {QStringLiteral("kein Datum"), kToday, Qt::Key_Return, QDate(2024, 9, 18)},
        {QStringLiteral("03.01.2023"), QDate(2023, 1, 3), Qt::Key_Escape, std::nullopt},
    };
    for (const Row& row : table) {
        QString title;
        QDate openedOn;
        auto opened = whenPickerOpens([&](CalendarDialog& picker) {
            title = picker.windowTitle();
            openedOn = picker.currentDate();
            QTest::keyClick(grid(picker), Qt::Key_Right);
            QTest::keyClick(grid(picker), row.key);
        });
        EXPECT_EQ(GetDate(row.field, clock), row.result) << row.field.toStdString();
        ASSERT_TRUE(*opened);
        EXPECT_EQ(openedOn, row.opensOn) << row.field.toStdString();
        EXPECT_EQ(title, QStringLiteral("Quittora pro"));
    }
    auto opened = whenPickerOpens([&](CalendarDialog& picker) {
        EXPECT_EQ(picker.windowTitle(), QStringLiteral("Lieferdatum"));
        EXPECT_EQ(picker.currentDate(), QDate(2024, 5, 2));
        picker.reject();
    });
    EXPECT_EQ(GetDate(QDate(2024, 5, 2), clock, QStringLiteral("Lieferdatum")), std::nullopt);
    EXPECT_TRUE(*opened);
}
