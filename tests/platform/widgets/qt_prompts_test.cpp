#include "platform/widgets/QtPrompts.h"
#include "platform/widgets/Translations.h"
#include "support/ModalHelper.h"

#include <gtest/gtest.h>

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

using namespace quittora;

namespace {

// German dialogs for the test, the previous state afterwards.
class GermanDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previousDefault = QLocale();
        m_translator = installGermanTranslations(*QCoreApplication::instance());
    }
    void TearDown() override
    {
        if (m_translator) {
            QCoreApplication::removeTranslator(m_translator);
            delete m_translator;
        }
        QLocale::setDefault(m_previousDefault);
    }
    QTranslator* m_translator = nullptr;
    QLocale m_previousDefault;
};

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
};

SeenBox look(QWidget* w)
{
    SeenBox seen;
    auto* box = qobject_cast<QMessageBox*>(w);
    if (!box) {
        ADD_FAILURE() << "no message box open";
        return seen;
    }
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    for (QAbstractButton* b : box->findChild<QDialogButtonBox*>()->buttons())
        seen.buttons.push_back(b->text());
    seen.buttons.sort();
    if (box->defaultButton())
        seen.defaultButton = box->defaultButton()->text();
    return seen;
}

} // namespace

TEST_F(GermanDialogs, QtButtonTextsAreGermanButNumbersKeepTheSystemLocale)
{
    const QString systemName = QLocale::system().name();
    ASSERT_NE(m_translator, nullptr) << "qtbase_de not found in Qt's translations folder";
    EXPECT_EQ(QLocale().language(), QLocale::German);
    EXPECT_EQ(QLocale().territory(), QLocale::Germany);
    EXPECT_EQ(QLocale::system().name(), systemName);
    EXPECT_EQ(installGermanTranslations(*QCoreApplication::instance()), m_translator);

    QtPrompts prompts;
    SeenBox seen;
    auto opened = whenModalOpens([&](QWidget* w) {
        seen = look(w);
        static_cast<QMessageBox*>(w)->button(QMessageBox::No)->click();
    });
    const auto answer = prompts.message(QStringLiteral("Achtung !"), QStringLiteral("Rechnung <b>löschen</b> ?"),
                                        Prompts::Icon::Question, Prompts::Yes | Prompts::No | Prompts::Cancel);
    ASSERT_TRUE(*opened);
    EXPECT_EQ(answer, Prompts::No);
    EXPECT_EQ(seen.title, QStringLiteral("Achtung !"));
    EXPECT_EQ(seen.text, QStringLiteral("Rechnung <b>löschen</b> ?"));
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, (QStringList{QStringLiteral("&Ja"), QStringLiteral("&Nein"), QStringLiteral("Abbrechen")}));
    EXPECT_EQ(seen.defaultButton, QStringLiteral("&Ja"));
}

TEST(QtPrompts, MessageTextsStayPlainAndIconsMap)
{
    QtPrompts prompts;
    const std::pair<Prompts::Icon, QMessageBox::Icon> icons[] = {
        {Prompts::Icon::None, QMessageBox::NoIcon},
        {Prompts::Icon::Information, QMessageBox::Information},
        {Prompts::Icon::Exclamation, QMessageBox::Warning},
        {Prompts::Icon::Critical, QMessageBox::Critical},
        {Prompts::Icon::Question, QMessageBox::Question},
    };
    for (const auto& [ours, qt] : icons) {
        QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
        Qt::TextFormat format = Qt::AutoText;
        auto opened = whenModalOpens([&](QWidget* w) {
            auto* box = static_cast<QMessageBox*>(w);
            seenIcon = box->icon();
            format = box->textFormat();
            box->button(QMessageBox::Ok)->click();
        });
        EXPECT_EQ(prompts.message(QStringLiteral("Fehler"), QStringLiteral("<i>x</i>"), ours), Prompts::Ok);
        ASSERT_TRUE(*opened);
        EXPECT_EQ(seenIcon, qt);
        EXPECT_EQ(format, Qt::PlainText);
    }
}

TEST(QtPrompts, ClosingABoxAnswersCancelThenNoThenOk)
{
    QtPrompts prompts;
    const std::pair<int, Prompts::Button> cases[] = {
        {Prompts::Yes | Prompts::No, Prompts::No},
        {Prompts::Yes | Prompts::No | Prompts::Cancel, Prompts::Cancel},
        {Prompts::Ok | Prompts::Cancel, Prompts::Cancel},
        {Prompts::Ok, Prompts::Ok},
    };
    for (const auto& [buttons, expected] : cases) {
        auto opened = whenModalOpens([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
        EXPECT_EQ(prompts.message(QStringLiteral("T"), QStringLiteral("x"), Prompts::Icon::None, buttons), expected)
            << "buttons " << buttons;
        ASSERT_TRUE(*opened);
    }
}

TEST(QtPrompts, InputGivesTheTypedTextOrNothingWhenCancelled)
{
    QtPrompts prompts;
    QString label;
    auto opened = whenModalOpens([&](QWidget* w) {
        auto* dialog = qobject_cast<QInputDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        label = dialog->labelText();
        EXPECT_EQ(dialog->textValue(), QStringLiteral("1"));
        dialog->setTextValue(QStringLiteral("R-4711"));
        dialog->accept();
    });
    EXPECT_EQ(prompts.input(QStringLiteral("Suche"), QStringLiteral("Nummer:"), QStringLiteral("1")),
              QStringLiteral("R-4711"));
    ASSERT_TRUE(*opened);
    EXPECT_EQ(label, QStringLiteral("Nummer:"));

    opened = whenModalOpens([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_EQ(prompts.input(QStringLiteral("Suche"), QStringLiteral("Nummer:")), std::nullopt);
    EXPECT_TRUE(*opened);
}

TEST(QtPrompts, ColourDialogGivesTheColourOrNothingWhenCancelled)
{
    QtPrompts prompts;
    auto opened = whenModalOpens([](QWidget* w) {
        auto* dialog = qobject_cast<QColorDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->setCurrentColor(QColor(255, 255, 0));
        dialog->accept();
    });
    EXPECT_EQ(prompts.chooseColor(Qt::white), QColor(255, 255, 0));
    ASSERT_TRUE(*opened);

    opened = whenModalOpens([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_EQ(prompts.chooseColor(Qt::white), std::nullopt);
    EXPECT_TRUE(*opened);
}

TEST(QtPrompts, DialogsBelongToTheParentWidget)
{
    QWidget window;
    QtPrompts prompts(&window);
    EXPECT_EQ(prompts.parentWidget(), &window);
    QWidget* parent = nullptr;
    auto opened = whenModalOpens([&](QWidget* w) {
        parent = w->parentWidget();
        static_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click();
    });
    prompts.information(QStringLiteral("Information"), QStringLiteral("x"));
    ASSERT_TRUE(*opened);
    EXPECT_EQ(parent, &window);

    // A parent closed and deleted meanwhile is never used.
    auto* gone = new QWidget;
    prompts.setParentWidget(gone);
    const void* goneAddress = gone;
    delete gone;
    EXPECT_NE(static_cast<const void*>(prompts.parentWidget()), goneAddress);
}
