#include "support/FakePrompts.h"

#include <gtest/gtest.h>

namespace quittora {

namespace {

template<typename T>
std::optional<T> takeFront(std::deque<std::optional<T>>& queue, bool* scripted)
{
    *scripted = !queue.empty();
    if (queue.empty())
        return std::nullopt;
    const std::optional<T> answer = queue.front();
    queue.pop_front();
    return answer;
}

} // namespace

void FakePrompts::record(Shown shown)
{
    m_shown.push_back(shown);
    if (m_hook)
        m_hook(m_shown.back());
}

Prompts::Button FakePrompts::message(const QString& title, const QString& text, Icon icon, int buttons)
{
    Shown s;
    s.kind = Kind::Message;
    s.title = title;
    s.text = text;
    s.icon = icon;
    s.buttons = buttons == 0 ? int(Ok) : buttons;
    s.scripted = !m_messages.empty();
    Button answer = Prompts::closeAnswer(s.buttons);
    if (s.scripted) {
        answer = m_messages.front();
        m_messages.pop_front();
        if (!(s.buttons & answer)) {
            ADD_FAILURE() << "scripted answer " << int(answer) << " is not offered by the message \""
                          << text.toStdString() << "\" (buttons " << s.buttons << ")";
        }
    }
    record(s);
    return answer;
}

std::optional<QString> FakePrompts::input(const QString& title, const QString& prompt, const QString& defaultText)
{
    Shown s;
    s.kind = Kind::Input;
    s.title = title;
    s.text = prompt;
    s.defaultText = defaultText;
    auto answer = takeFront(m_inputs, &s.scripted);
    record(s);
    return answer;
}

std::optional<QString> FakePrompts::openFile(const QString& title, const QString& startPath, const QString& filter)
{
    Shown s;
    s.kind = Kind::OpenFile;
    s.title = title;
    s.defaultText = startPath;
    s.filter = filter;
    auto answer = takeFront(m_openFiles, &s.scripted);
    record(s);
    return answer;
}

std::optional<QString> FakePrompts::saveFile(const QString& title, const QString& startPath, const QString& filter)
{
    Shown s;
    s.kind = Kind::SaveFile;
    s.title = title;
    s.defaultText = startPath;
    s.filter = filter;
    auto answer = takeFront(m_saveFiles, &s.scripted);
    record(s);
    return answer;
}

std::optional<QColor> FakePrompts::chooseColor(const QColor& initial)
{
    Shown s;
    s.kind = Kind::Colour;
    s.initialColour = initial;
    auto answer = takeFront(m_colours, &s.scripted);
    record(s);
    return answer;
}

QList<FakePrompts::Shown> FakePrompts::shown(Kind kind) const
{
    QList<Shown> out;
    for (const Shown& s : m_shown) {
        if (s.kind == kind)
            out.push_back(s);
    }
    return out;
}

QStringList FakePrompts::messageTexts() const
{
    QStringList out;
    for (const Shown& s : m_shown) {
        if (s.kind == Kind::Message)
            out.push_back(s.text);
    }
    return out;
}

FakePrompts::Shown FakePrompts::last() const
{
    if (m_shown.isEmpty()) {
        ADD_FAILURE() << "no prompt was shown";
        return {};
    }
    return m_shown.back();
}

int FakePrompts::pendingAnswers() const
{
    return static_cast<int>(m_messages.size() + m_inputs.size() + m_openFiles.size() + m_saveFiles.size()
                            + m_colours.size());
}

void FakePrompts::clear()
{
    m_messages.clear();
    m_inputs.clear();
    m_openFiles.clear();
    m_saveFiles.clear();
    m_colours.clear();
    m_shown.clear();
}

} // namespace quittora
