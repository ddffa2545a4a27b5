#include "tools/widgets/BackgroundColourWidgets.h"

#include "tools/BackgroundColour.h"

#include <gtest/gtest.h>

#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace quittora;

TEST(ApplyBackgroundColour, ColoursTheWindowItsTabsAndItsPanel)
{
    QWidget window;
    auto* tabs = new QTabWidget(&window);
    auto* page = new QWidget;
    tabs->addTab(page, QStringLiteral(" Auswahl"));
    auto* panel = new QFrame(&window);
    auto* field = new QLineEdit(page);
    auto* button = new QPushButton(QStringLiteral("OK"), panel);
    const QColor fieldBase = field->palette().color(QPalette::Base);
    const QColor buttonFace = button->palette().color(QPalette::Button);

    const QColor red(255, 0, 0);
    applyBackgroundColour({&window, tabs, panel}, red);

    for (QWidget* w : {&window, static_cast<QWidget*>(tabs), static_cast<QWidget*>(panel)}) {
        EXPECT_EQ(w->palette().color(QPalette::Window), red);
        EXPECT_TRUE(w->autoFillBackground());
    }
    // The tab pages show through in the same colour; fields and buttons keep theirs.
    EXPECT_EQ(page->palette().color(QPalette::Window), red);
    EXPECT_EQ(field->palette().color(QPalette::Base), fieldBase);
    EXPECT_EQ(button->palette().color(QPalette::Button), buttonFace);
}

TEST(ApplyBackgroundColour, TheStoredNumberGivesTheColourShown)
{
    QWidget window;
    applyBackgroundColour(&window, colourFromBgrNumber(QStringLiteral("16711680")));
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(0, 0, 255));
    applyBackgroundColour(&window, colourFromBgrNumber(defaultBackgroundColourText()));
    EXPECT_EQ(window.palette().color(QPalette::Window).name(), QStringLiteral("#bfbfbf"));
}

TEST(ApplyBackgroundColour, SkipsMissingWidgetsAndInvalidColours)
{
    QWidget window;
    const QColor before = window.palette().color(QPalette::Window);
    applyBackgroundColour(nullptr, QColor(1, 2, 3));
    applyBackgroundColour({nullptr, &window}, QColor());
    EXPECT_EQ(window.palette().color(QPalette::Window), before);
    EXPECT_FALSE(window.autoFillBackground());
}
