#include "platform/widgets/QtPrompts.h"
#include "platform/widgets/Translations.h"
#include "support/ModalHelper.h"

#include <gtest/gtest.h>

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

using namespace quittora;

TEST(QtPrompts, ButtonTextsAreGermanButNumbersKeepTheSystemLocale)
{
    const QLocale previousDefault;
    const QString systemName = QLocale::system().name();
    QTranslator* translator = installGermanTranslations(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "qtbase_de not found in Qt's translations folder";
    EXPECT_EQ(QLocale().language(), QLocale::German);
    EXPECT_EQ(QLocale().territory(), QLocale::Germany);
    EXPECT_EQ(QLocale::system().name(), systemName);
    EXPECT_EQ(installGermanTranslations(*QCoreApplication::instance()), translator) << "installed once";

    QtPrompts prompts;
    QStringList buttons;
    QString title, text, defaultButton;
    auto opened = whenModalOpens([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        for (QAbstractButton* b : box->findChild<QDialogButtonBox*>()->buttons())
            buttons << b->text();
        defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(prompts.message(QStringLiteral("Achtung !"), QStringLiteral("Rechnung <b>löschen</b> ?"),
                              Prompts::Icon::Question, Prompts::Yes | Prompts::No | Prompts::Cancel),
              Prompts::No);
    EXPECT_TRUE(*opened);
    QCoreApplication::removeTranslator(translator);
    delete translator;
    QLocale::setDefault(previousDefault);
    buttons.sort();
    EXPECT_EQ(title, QStringLiteral("Achtung !"));
    EXPECT_EQ(text, QStringLiteral("Rechnung <b>löschen</b> ?"));
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("&Ja"), QStringLiteral("&Nein"), QStringLiteral("Abbrechen")}));
    EXPECT_EQ(defaultButton, QStringLiteral("&Ja"));
}

TEST(QtPrompts, IconsMapTextsStayPlainAndClosingAnswersCancelThenNoThenOk)
{
    QtPrompts prompts;
    const std::pair<Prompts::Icon, QMessageBox::Icon> icons[] = {
        {Prompts::Icon::None, QMessageBox::NoIcon},           {Prompts::Icon::Information, QMessageBox::Information},
        {Prompts::Icon::Exclamation, QMessageBox::Warning},   {Prompts::Icon::Critical, QMessageBox::Critical},
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
    const std::pair<int, Prompts::Button> closing[] = {
        {Prompts::Yes | Prompts::No, Prompts::No},
        {Prompts::Yes | Prompts::No | Prompts::Cancel, Prompts::Cancel},
        {Prompts::Ok | Prompts::Cancel, Prompts::Cancel},
        {Prompts::Ok, Prompts::Ok},
    };
    for (const auto& [buttons, expected] : closing) {
        auto opened = whenModalOpens([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
        EXPECT_EQ(prompts.message(QStringLiteral("T"), QStringLiteral("x"), Prompts::Icon::None, buttons), expected)
            << "buttons " << buttons;
        ASSERT_TRUE(*opened);
    }
}

TEST(QtPrompts, InputAndColourGiveTheAnswerOrNothingWhenCancelled)
{
    QtPrompts prompts;
    QString label, preset;
    auto opened = whenModalOpens([&](QWidget* w) {
        auto* dialog = qobject_cast<QInputDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        label = dialog->labelText();
        preset = dialog->textValue();
        dialog->setTextValue(QStringLiteral("R-4711"));
        dialog->accept();
    });
    EXPECT_EQ(prompts.input(QStringLiteral("Suche"), QStringLiteral("Nummer:"), QStringLiteral("1")),
              QStringLiteral("R-4711"));
    ASSERT_TRUE(*opened);
    EXPECT_EQ(label, QStringLiteral("Nummer:"));
    EXPECT_EQ(preset, QStringLiteral("1"));

    opened = whenModalOpens([](QWidget* w) {
        auto* dialog = qobject_cast<QColorDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->setCurrentColor(QColor(255, 255, 0));
        dialog->accept();
    });
    EXPECT_EQ(prompts.chooseColor(Qt::white), QColor(255, 255, 0));
    ASSERT_TRUE(*opened);

    for (int i = 0; i < 2; ++i) {
        opened = whenModalOpens([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
        if (i == 0)
            EXPECT_EQ(prompts.input(QStringLiteral("Suche"), QStringLiteral("Nummer:")), std::nullopt);
        else
            EXPECT_EQ(prompts.chooseColor(Qt::white), std::nullopt);
        EXPECT_TRUE(*opened);
    }
}

TEST(QtPrompts, DialogsBelongToTheParentWidgetWhileItLives)
{
    QWidget window;
    QtPrompts prompts(&window);
    QWidget* parent = nullptr;
    auto opened = whenModalOpens([&](QWidget* w) {
        parent = w->parentWidget();
        static_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click();
    });
    prompts.information(QStringLiteral("Information"), QStringLiteral("x"));
    ASSERT_TRUE(*opened);
    EXPECT_EQ(parent, &window);

    auto* gone = new QWidget;
    prompts.setParentWidget(gone);
    const void* goneAddress = gone;
    delete gone;
    EXPECT_NE(static_cast<const void*>(prompts.parentWidget()), goneAddress);
}
