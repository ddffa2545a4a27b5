#include "platform/widgets/NumericKeyFilter.h"
#include "platform/widgets/QtPrompts.h"
#include "platform/widgets/Translations.h"
#include "support/ModalHelper.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTranslator>

using namespace quittora;

// Rich text stays plain text; closing a box answers Cancel, then No, then Ok.
TEST(QtPrompts, ButtonTextsAreGermanNumbersKeepTheSystemLocaleTextsStayPlainAndClosingAnswers)
{
    const QLocale previousDefault;
    const QString systemName = QLocale::system().name();
    QTranslator* translator = installGermanTranslations(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "qtbase_de not found in Qt's translations folder";
    EXPECT_TRUE(QLocale().territory() == QLocale::Germany && QLocale::system().name() == systemName);
    EXPECT_EQ(installGermanTranslations(*QCoreApplication::instance()), translator) << "installed once";

    QWidget window;
    QtPrompts prompts(&window);
    QStringList seen;
    auto opened = whenModalOpens([&](QWidget* w) {
        auto* box = static_cast<QMessageBox*>(w);
        EXPECT_TRUE(box->icon() == QMessageBox::Question && box->textFormat() == Qt::PlainText && box->parentWidget() == &window);
        for (QAbstractButton* b : box->findChild<QDialogButtonBox*>()->buttons())
            seen << b->text();
        seen.sort();
        seen << box->windowTitle() << box->text() << box->defaultButton()->text();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(prompts.message(QStringLiteral("Achtung !"), QStringLiteral("Rechnung <b>löschen</b> ?"),
                              Prompts::Icon::Question, Prompts::Yes | Prompts::No | Prompts::Cancel),
              Prompts::No);
    EXPECT_TRUE(*opened);
    QCoreApplication::removeTranslator(translator);
    delete translator;
    QLocale::setDefault(previousDefault);
    EXPECT_EQ(seen.join(QLatin1Char('|')), QStringLiteral("&Ja|&Nein|Abbrechen|Achtung !|Rechnung <b>löschen</b> ?|&Ja"));

    const std::pair<int, Prompts::Button> closing[] = {{Prompts::Yes | Prompts::No, Prompts::No},
        {Prompts::Yes | Prompts::No | Prompts::Cancel, Prompts::Cancel}, {Prompts::Ok | Prompts::Cancel, Prompts::Cancel},
        {Prompts::Ok, Prompts::Ok}};
    for (const auto& [buttons, expected] : closing) {
        auto closed = whenModalOpens([](QWidget* w) {
            EXPECT_EQ(static_cast<QMessageBox*>(w)->icon(), QMessageBox::Warning);
            QTest::keyClick(w, Qt::Key_Escape);
        });
        EXPECT_EQ(prompts.message(QStringLiteral("T"), QStringLiteral("x"), Prompts::Icon::Exclamation, buttons), expected)
            << "buttons " << buttons;
        ASSERT_TRUE(*closed);
    }
    auto* gone = new QWidget;
    prompts.setParentWidget(gone);
    const void* goneAddress = gone;
    delete gone;
    EXPECT_NE(static_cast<const void*>(prompts.parentWidget()), goneAddress) << "a parent that is gone is not used";
}

namespace {

class NumericKeyFilterTest : public ::testing::Test {
protected:
    NumericKeyFilterTest() { NumericKeyFilter::installAmount(&edit, t.ctx); }

    // Exactly one message shown since the last call, the one of a refused key.
    void expectOneWrongInputMessage(const char* where)
    {
        ASSERT_EQ(t.prompts.count(), 1) << where;
        EXPECT_TRUE(t.prompts.last().title + u'|' + t.prompts.last().text == QStringLiteral("Fehler|Falsche Eingabe !      nur Zahlenwerte erlaubt")
                    && t.prompts.last().icon == Prompts::Icon::Critical) << where;
        t.prompts.clear();
    }

    TestContext t;
    QLineEdit edit;
};

} // namespace

// The separator is read at every key, so switching it between the rounds
// also shows that a changed setting applies at once.
TEST_F(NumericKeyFilterTest, TheOtherDecimalMarkBecomesTheLocalesSeparatorAsTypedOrPasted)
{
    for (QChar sep : {QLatin1Char(','), QLatin1Char('.')}) {
        const QChar other = sep == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(',');
        const auto with = [](QString text, QChar mark) { return text.replace(QLatin1Char('#'), mark); };
        const std::string label(1, sep.toLatin1());
        t.setDecimalSeparator(sep);
        edit.clear();
        QSignalSpy edited(&edit, &QLineEdit::textEdited);
        QTest::keyClicks(&edit, with(QStringLiteral("-12#5"), other));
        EXPECT_TRUE(edit.text() == with(QStringLiteral("-12#5"), sep) && edited.count() == 5) << label << ": replaced keys are the user's edits";
        // A typed "," always passes; a typed "." only ever as the replacement.
        QTest::keyClicks(&edit, QString(sep));
        EXPECT_TRUE(sep == QLatin1Char(',') ? edit.text() == QStringLiteral("-12,5,") && t.prompts.count() == 0
                                            : edit.text() == QStringLiteral("-12.5") && t.prompts.count() == 1) << label;
        t.prompts.clear();

        // Editing keys are never filtered.
        edit.setText(QStringLiteral("1234"));
        for (Qt::Key key : {Qt::Key_End, Qt::Key_Backspace, Qt::Key_Home, Qt::Key_Delete, Qt::Key_End, Qt::Key_Left})
            QTest::keyClick(&edit, key);
        QTest::keyClicks(&edit, QString(other));
        EXPECT_EQ(edit.text(), with(QStringLiteral("2#3"), sep)) << label;
        // A paste is trimmed and converted as a whole; it replaces the selection.
        edit.selectAll();
        t.clipboard.setText(with(QStringLiteral(" 7#50\n"), other));
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(edit.text(), with(QStringLiteral("7#50"), sep)) << label;

        QLineEdit silent;
        NumericKeyFilter::install(&silent, t.ctx, &amountKey, QString());
        QTest::keyClicks(&silent, with(QStringLiteral("4x#5"), other));
        EXPECT_TRUE(silent.text() == with(QStringLiteral("4#5"), sep) && t.prompts.count() == 0) << label;
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
    edit.setReadOnly(true);
    t.clipboard.setText(QStringLiteral("3"));
    QTest::keyClick(&edit, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("12")) << "a read-only box takes no paste";
    edit.setText(QStringLiteral("abc")); // set by the program
    EXPECT_TRUE(edit.text() == QStringLiteral("abc") && t.prompts.count() == 0);
}
