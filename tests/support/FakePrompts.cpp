#include "support/FakePrompts.h"

#include <gtest/gtest.h>

namespace quittora {

namespace {

// The next scripted answer of a dialog, recorded with what it showed.
template <typename T>
std::optional<T> answered(std::deque<std::optional<T>>& queue, FakePrompts::Shown& shown)
{
    shown.scripted = !queue.empty();
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
    Shown s{Kind::Message, title, text, icon, buttons == 0 ? int(Ok) : buttons, {}, {}, {}, false};
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
    Shown s{Kind::Input, title, prompt, Icon::None, 0, defaultText, {}, {}, false};
    const auto answer = answered(m_inputs, s);
    record(s);
    return answer;
}

std::optional<QString> FakePrompts::openFile(const QString& title, const QString& startPath, const QString& filter)
{
    Shown s{Kind::OpenFile, title, {}, Icon::None, 0, startPath, filter, {}, false};
    const auto answer = answered(m_openFiles, s);
    record(s);
    return answer;
}

std::optional<QString> FakePrompts::saveFile(const QString& title, const QString& startPath, const QString& filter)
{
    Shown s{Kind::SaveFile, title, {}, Icon::None, 0, startPath, filter, {}, false};
    const auto answer = answered(m_saveFiles, s);
    record(s);
    return answer;
}

std::optional<QColor> FakePrompts::chooseColor(const QColor& initial)
{
    Shown s{Kind::Colour, {}, {}, Icon::None, 0, {}, {}, initial, false};
    const auto answer = answered(m_colours, s);
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
