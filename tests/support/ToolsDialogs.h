#pragma once

#include "support/ModalHelper.h"
#include "support/TestContext.h"
#include "support/Typing.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace quittora::test {

// The child of a window by its object name; a missing one fails the test.
template <class T>
T* child(const QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

inline QString labelText(const QWidget& window, const char* name)
{
    const QLabel* label = child<QLabel>(window, name);
    return label ? label->text() : QString();
}

// Shows a window and waits until it is on the screen; with active, until
// it has the keyboard focus too (for tests of focus and field marks).
inline bool showAndWait(QWidget& window, bool active = false)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    if (!active)
        return true;
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// Replaces a line edit's text as the user would: select all, then type (or
// delete when text is empty).
inline void retype(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        typeText(edit, text);
}

// A click on the box or circle of a check box or option button.
inline void tick(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// Base of the dialog tests: the adapters as test doubles and the helpers above.
class DialogTest : public ::testing::Test {
protected:
    explicit DialogTest(QChar decimalSeparator = QLatin1Char(',')) : t(decimalSeparator) {}

    // The one message shown so far, checked for title, text and icon.
    void expectOnlyMessage(const QString& title, const QString& text, Prompts::Icon icon = Prompts::Icon::Critical)
    {
        ASSERT_EQ(t.prompts.count(), 1) << t.prompts.messageTexts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(t.prompts.last().title, title);
        EXPECT_EQ(t.prompts.last().text, text);
        EXPECT_EQ(t.prompts.last().icon, icon);
    }

    TestContext t;
};

} // namespace quittora::test
