#include "platform/widgets/NumericKeyFilter.h"

#include "support/ModalHelper.h"
#include "support/QtPrinters.h"
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

class NumericKeyFilterTest : public ::testing::Test {
protected:
    NumericKeyFilterTest() { NumericKeyFilter::installAmount(&edit, t.ctx); }

    // Exactly one message shown since the last call, the one of a refused key.
    void expectOneWrongInputMessage(const char* where)
    {
        ASSERT_EQ(t.prompts.count(), 1) << where;
        const auto shown = t.prompts.last();
        EXPECT_EQ(shown.title, QStringLiteral("Fehler")) << where;
        EXPECT_EQ(shown.text, QStringLiteral("Falsche Eingabe !      nur Zahlenwerte erlaubt")) << where;
        EXPECT_EQ(shown.icon, Prompts::Icon::Critical) << where;
        EXPECT_EQ(shown.buttons, int(Prompts::Ok)) << where;
        t.prompts.clear();
    }

    TestContext t;
    QLineEdit edit;
};

} // namespace

// The separator is read at every key, so switching it between the rounds
// also shows that a changed setting applies at once.
TEST_F(NumericKeyFilterTest, TheOtherDecimalMarkBecomesTheLocalesSeparatorAsTypedPastedOrRefused)
{
    for (QChar sep : {QLatin1Char(','), QLatin1Char('.')}) {
        const QChar other = sep == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(',');
        const auto with = [](QString text, QChar mark) { return text.replace(QLatin1Char('#'), mark); };
        const std::string label(1, sep.toLatin1());
        t.setDecimalSeparator(sep);
        edit.clear();
        QSignalSpy edited(&edit, &QLineEdit::textEdited);
        QTest::keyClicks(&edit, with(QStringLiteral("-12#5"), other));
        EXPECT_EQ(edit.text(), with(QStringLiteral("-12#5"), sep)) << label;
        EXPECT_EQ(edited.count(), 5) << "replaced keys count as the user's edits";
        EXPECT_EQ(edited.last().at(0).toString(), edit.text());
        // A typed "," always passes; a typed "." only ever as the replacement.
        QTest::keyClicks(&edit, QString(sep));
        EXPECT_EQ(edit.text(), sep == QLatin1Char(',') ? QStringLiteral("-12,5,") : QStringLiteral("-12.5")) << label;
        EXPECT_EQ(t.prompts.count(), sep == QLatin1Char(',') ? 0 : 1) << label;
        t.prompts.clear();

        // Editing keys are never filtered.
        edit.setText(QStringLiteral("1234"));
        for (Qt::Key key : {Qt::Key_End, Qt::Key_Backspace, Qt::Key_Home, Qt::Key_Delete, Qt::Key_End, Qt::Key_Left})
            QTest::keyClick(&edit, key);
        QTest::keyClicks(&edit, QString(other));
        EXPECT_EQ(edit.text(), with(QStringLiteral("2#3"), sep)) << label;
        QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&edit, Qt::Key_Return);
        EXPECT_EQ(edit.selectedText(), edit.text()) << label;

        // A paste is trimmed and converted as a whole; it replaces the selection.
        t.clipboard.setText(with(QStringLiteral(" 7#50\n"), other));
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(edit.text(), with(QStringLiteral("7#50"), sep)) << label;

        QLineEdit silent;
        NumericKeyFilter::install(&silent, t.ctx, &amountKey, QString());
        QTest::keyClicks(&silent, with(QStringLiteral("4x#5"), other));
        EXPECT_EQ(silent.text(), with(QStringLiteral("4#5"), sep)) << label;
        EXPECT_EQ(t.prompts.count(), 0) << label;

        // The next invoice number takes no decimal mark at all.
        QLineEdit next;
        NumericKeyFilter::installInvoiceNumber(&next, t.ctx);
        QTest::keyClicks(&next, QStringLiteral("2024-1") + other + sep);
        EXPECT_EQ(next.text(), QStringLiteral("2024-1")) << label;
        ASSERT_EQ(t.prompts.count(), 2) << label;
        t.prompts.clear();
    }
}

TEST_F(NumericKeyFilterTest, OtherKeysAndPastesAreDroppedWithTheMessageTextSetByTheProgramIsNot)
{
    QTest::keyClicks(&edit, QStringLiteral("12"));
    for (Qt::Key key : {Qt::Key_A, Qt::Key_Space, Qt::Key_Plus}) {
        QTest::keyClick(&edit, key);
        EXPECT_EQ(edit.text(), QStringLiteral("12"));
        expectOneWrongInputMessage("key");
    }
    t.clipboard.setText(QStringLiteral("12 EUR"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("12"));
    expectOneWrongInputMessage("paste");
    edit.selectAll();
    t.clipboard.setText(QStringLiteral("3"));
    QTest::keyClick(&edit, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("3"));

    edit.setReadOnly(true);
    t.clipboard.setText(QStringLiteral("abc"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("3")) << "a read-only box takes no paste";
    edit.setText(QStringLiteral("abc"));
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));
    EXPECT_EQ(t.prompts.count(), 0);
}

TEST_F(NumericKeyFilterTest, TheContextMenuPastesThroughTheRule)
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
    expectOneWrongInputMessage("context menu");
}
