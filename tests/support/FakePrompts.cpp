#include "support/FakePrompts.h"

#include <gtest/gtest.h>

namespace quittora {

namespace {

// The next scripted answer of a dialog, or nothing when none is left.
template <typename T>
std::optional<T> next(std::deque<std::optional<T>>& queue)
{
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
    const Shown s{Kind::Message, title, text, icon, buttons == 0 ? int(Ok) : buttons};
    Button answer = Prompts::closeAnswer(s.buttons);
    if (!m_messages.empty()) {
        answer = m_messages.front();
        m_messages.pop_front();
        if (!(s.buttons & answer))
            ADD_FAILURE() << "scripted answer " << int(answer) << " is not offered by the message \""
                          << text.toStdString() << "\" (buttons " << s.buttons << ")";
    }
    record(s);
    return answer;
}

std::optional<QString> FakePrompts::input(const QString& title, const QString& prompt, const QString& defaultText)
{
    record({Kind::Input, title, prompt, Icon::None, 0, defaultText});
    return next(m_inputs);
}

std::optional<QString> FakePrompts::openFile(const QString& title, const QString& startPath, const QString&)
{
    record({Kind::OpenFile, title, {}, Icon::None, 0, startPath});
    return next(m_openFiles);
}

std::optional<QString> FakePrompts::saveFile(const QString& title, const QString& startPath, const QString&)
{
    record({Kind::SaveFile, title, {}, Icon::None, 0, startPath});
    return next(m_saveFiles);
}

std::optional<QColor> FakePrompts::chooseColor(const QColor& initial)
{
    record({Kind::Colour, {}, {}, Icon::None, 0, {}, initial});
    return std::nullopt; // as if the user closed the colour dialog
}

QList<FakePrompts::Shown> FakePrompts::shown(Kind kind) const
{
    QList<Shown> out;
    for (const Shown& s : m_shown)
        if (s.kind == kind)
            out.push_back(s);
    return out;
}

QStringList FakePrompts::messageTexts() const
{
    QStringList out;
    for (const Shown& s : shown(Kind::Message))
        out.push_back(s.text);
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
    return static_cast<int>(m_messages.size() + m_inputs.size() + m_openFiles.size() + m_saveFiles.size());
}

void FakePrompts::clear()
{
    m_messages.clear();
    m_inputs.clear();
    m_openFiles.clear();
    m_saveFiles.clear();
    m_shown.clear();
}

} // namespace quittora
