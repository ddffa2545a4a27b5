#include "platform/widgets/QtPrompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace quittora {

namespace {

QMessageBox::Icon boxIcon(Prompts::Icon icon)
{
    switch (icon) {
    case Prompts::Icon::None:
        return QMessageBox::NoIcon;
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Exclamation:
        return QMessageBox::Warning;
    case Prompts::Icon::Critical:
        return QMessageBox::Critical;
    case Prompts::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

struct ButtonPair {
    Prompts::Button ours;
    QMessageBox::StandardButton qt;
};

// In the order the boxes show them.
constexpr ButtonPair kButtons[] = {
    {Prompts::Ok, QMessageBox::Ok},         {Prompts::Yes, QMessageBox::Yes},
    {Prompts::No, QMessageBox::No},         {Prompts::Abort, QMessageBox::Abort},
    {Prompts::Retry, QMessageBox::Retry},   {Prompts::Ignore, QMessageBox::Ignore},
    {Prompts::Cancel, QMessageBox::Cancel},
};

} // namespace

QWidget* QtPrompts::parentWidget() const
{
    return m_parent ? m_parent.data() : QApplication::activeWindow();
}

Prompts::Button QtPrompts::message(const QString& title, const QString& text, Icon icon, int buttons)
{
    if (buttons == 0)
        buttons = Ok;
    // Texts written for the old message boxes break lines with a bare
    // carriage return, which a Qt label would not show as a break.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(boxIcon(icon), title, shown, QMessageBox::NoButton, parentWidget());
    // Messages are plain text: a '<' in a customer name must not turn the
    // box into HTML.
    box.setTextFormat(Qt::PlainText);
    QMessageBox::StandardButtons qtButtons;
    for (const ButtonPair& b : kButtons) {
        if (buttons & b.ours)
            qtButtons |= b.qt;
    }
    box.setStandardButtons(qtButtons);
    // The first button offered is the default, as in every message box the
    // program has shown (Yes in Yes/No questions).
    for (const ButtonPair& b : kButtons) {
        if (buttons & b.ours) {
            box.setDefaultButton(b.qt);
            break;
        }
    }
    const Button onClose = closeAnswer(buttons);
    for (const ButtonPair& b : kButtons) {
        if (b.ours == onClose)
            box.setEscapeButton(b.qt);
    }
    box.exec();
    const QMessageBox::StandardButton clicked = box.standardButton(box.clickedButton());
    for (const ButtonPair& b : kButtons) {
        if (b.qt == clicked)
            return b.ours;
    }
    return onClose;
}

std::optional<QString> QtPrompts::input(const QString& title, const QString& prompt, const QString& defaultText)
{
    bool ok = false;
    // Prompts break lines the old way too (a bare carriage return).
    QString shown = prompt;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QString text = QInputDialog::getText(parentWidget(), title, shown, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QString> QtPrompts::openFile(const QString& title, const QString& startPath, const QString& filter)
{
    const QString path = QFileDialog::getOpenFileName(parentWidget(), title, startPath, filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> QtPrompts::saveFile(const QString& title, const QString& startPath, const QString& filter)
{
    const QString path = QFileDialog::getSaveFileName(parentWidget(), title, startPath, filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QColor> QtPrompts::chooseColor(const QColor& initial)
{
    const QColor colour = QColorDialog::getColor(initial, parentWidget());
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

} // namespace quittora
