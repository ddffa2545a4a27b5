#include "platform/widgets/NumericKeyFilter.h"
#include "support/ModalHelper.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace quittora;

namespace {

const QString kWrongInput = QStringLiteral("Falsche Eingabe !      nur Zahlenwerte erlaubt");

class NumericKeyFilterTest : public ::testing::TestWithParam<QChar> {
protected:
    NumericKeyFilterTest() : t(GetParam()) { NumericKeyFilter::installAmount(&edit, t.ctx); }
    QChar sep() const { return GetParam(); }
    // The decimal mark the locale does not use.
    QChar other() const { return sep() == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(','); }
    // '#' stands for the other mark.
    QString typed(QString text) const { return text.replace(QLatin1Char('#'), other()); }
    QString withSep(QString text) const { return text.replace(QLatin1Char('#'), sep()); }

    void expectOneWrongInputMessage()
    {
        ASSERT_EQ(t.prompts.count(), 1);
        const auto shown = t.prompts.last();
        EXPECT_EQ(shown.title, QStringLiteral("Fehler"));
        EXPECT_EQ(shown.text, kWrongInput);
        EXPECT_EQ(shown.icon, Prompts::Icon::Critical);
        EXPECT_EQ(shown.buttons, int(Prompts::Ok));
    }

    TestContext t;
    QLineEdit edit;
};

} // namespace

TEST_P(NumericKeyFilterTest, TheOtherDecimalMarkBecomesTheSeparatorAsTyped)
{
    QSignalSpy edited(&edit, &QLineEdit::textEdited);
    QTest::keyClicks(&edit, typed(QStringLiteral("-12#5")));
    EXPECT_EQ(edit.text(), withSep(QStringLiteral("-12#5")));
    EXPECT_EQ(t.prompts.count(), 0);
    // Replaced keys count as the user's edits like any other.
    EXPECT_EQ(edited.count(), 5);
    EXPECT_EQ(edited.last().at(0).toString(), edit.text());
    if (sep() == QLatin1Char(',')) {
        QTest::keyClicks(&edit, QStringLiteral(","));
        EXPECT_EQ(edit.text(), QStringLiteral("-12,5,"));
    }
}

TEST_P(NumericKeyFilterTest, OtherKeysAreDroppedWithTheMessage)
{
    QTest::keyClicks(&edit, QStringLiteral("12"));
    QTest::keyClick(&edit, Qt::Key_A, Qt::NoModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("12"));
    expectOneWrongInputMessage();
    t.prompts.clear();
    QTest::keyClick(&edit, Qt::Key_Space);
    QTest::keyClick(&edit, Qt::Key_Plus);
    EXPECT_EQ(edit.text(), QStringLiteral("12"));
    EXPECT_EQ(t.prompts.count(), 2);
}

TEST_P(NumericKeyFilterTest, EditingKeysStillWork)
{
    QTest::keyClicks(&edit, QStringLiteral("1234"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    QTest::keyClick(&edit, Qt::Key_End);
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClicks(&edit, typed(QStringLiteral("#")));
    EXPECT_EQ(edit.text(), withSep(QStringLiteral("2#3")));
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier); // select all
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(edit.selectedText(), edit.text());
    EXPECT_EQ(t.prompts.count(), 0);
}

TEST_P(NumericKeyFilterTest, APasteGoesInWholeOrNotAtAll)
{
    QTest::keyClicks(&edit, QStringLiteral("1"));
    t.clipboard.setText(typed(QStringLiteral(" 7#50\n")));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), withSep(QStringLiteral("17#50")));
    EXPECT_EQ(t.prompts.count(), 0);

    t.clipboard.setText(QStringLiteral("12 EUR"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), withSep(QStringLiteral("17#50")));
    expectOneWrongInputMessage();

    // A paste replaces the selection.
    edit.selectAll();
    t.clipboard.setText(QStringLiteral("3"));
    QTest::keyClick(&edit, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("3"));
}

TEST_P(NumericKeyFilterTest, TheContextMenuPastesThroughTheRule)
{
    edit.resize(200, 30);
    edit.show();
    t.clipboard.setText(QStringLiteral("x1"));
    QGuiApplication::clipboard()->setText(QStringLiteral("x1"));
    bool sawPaste = false;
    auto opened = whenModalOpens([&](QWidget* w) {
        auto* menu = qobject_cast<QMenu*>(w);
        ASSERT_NE(menu, nullptr);
        for (QAction* a : menu->actions()) {
            if (a->text().contains(QLatin1String("Paste")) || a->text().contains(QLatin1String("Einfügen"))) {
                sawPaste = true;
                a->trigger();
            }
        }
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), edit.mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(&edit, &event);
    ASSERT_TRUE(*opened);
    EXPECT_TRUE(sawPaste);
    EXPECT_EQ(edit.text(), QString());
    expectOneWrongInputMessage();
}

TEST_P(NumericKeyFilterTest, TextSetByTheProgramIsNotFiltered)
{
    edit.setText(QStringLiteral("abc"));
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));
    EXPECT_EQ(t.prompts.count(), 0);
}

TEST_P(NumericKeyFilterTest, ASilentFilterDropsWithoutAMessage)
{
    QLineEdit margin;
    NumericKeyFilter::install(&margin, t.ctx, &amountKey, QString());
    QTest::keyClicks(&margin, typed(QStringLiteral("4x#5")));
    EXPECT_EQ(margin.text(), withSep(QStringLiteral("4#5")));
    EXPECT_EQ(t.prompts.count(), 0);
}

TEST_P(NumericKeyFilterTest, TheInvoiceNumberTakesNoDecimalMark)
{
    QLineEdit next;
    NumericKeyFilter::installInvoiceNumber(&next, t.ctx);
    QTest::keyClicks(&next, QStringLiteral("2024-1"));
    QTest::keyClicks(&next, typed(QStringLiteral("#")));
    EXPECT_EQ(next.text(), QStringLiteral("2024-1"));
    expectOneWrongInputMessage();
}

TEST_P(NumericKeyFilterTest, AChangedSeparatorAppliesAtOnce)
{
    t.setDecimalSeparator(other());
    QTest::keyClicks(&edit, QString(QStringLiteral("1")) + sep() + QStringLiteral("5"));
    EXPECT_EQ(edit.text(), QString(QStringLiteral("1")) + other() + QStringLiteral("5"));
}

TEST_P(NumericKeyFilterTest, AReadOnlyBoxTakesNoPaste)
{
    edit.setText(QStringLiteral("5"));
    edit.setReadOnly(true);
    t.clipboard.setText(QStringLiteral("abc"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("5"));
    EXPECT_EQ(t.prompts.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Separators, NumericKeyFilterTest, ::testing::Values(QLatin1Char(','), QLatin1Char('.')),
                         [](const auto& info) { return info.param == QLatin1Char(',') ? "Comma" : "Point"; });
