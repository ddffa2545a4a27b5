#pragma once

#include "platform/Prompts.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

namespace quittora {

// Prompts for tests: answers are scripted per kind of prompt and consumed in
// order; every prompt shown is recorded with its exact texts. A prompt without
// a scripted answer is still recorded and answered as if the user had closed
// it: Cancel, No or Ok (the first of these the box offers), nullopt for the
// dialogs.
class FakePrompts final : public Prompts {
public:
    enum class Kind { Message, Input, OpenFile, SaveFile, Colour };

    struct Shown {
        Kind kind = Kind::Message;
        QString title;
        QString text;          // message text, input prompt; empty for file and colour dialogs
        Icon icon = Icon::None; // messages only
        int buttons = 0;        // messages only: OR of Button values
        QString defaultText;    // input default text, start path of a file dialog
        QColor initialColour;   // colour dialog
    };

    // Scripts the next answer of a kind. A message answer that the box does
    // not offer fails the running test.
    void answerMessage(Button button) { m_messages.push_back(button); }
    void answerInput(std::optional<QString> text) { m_inputs.push_back(std::move(text)); }
    void answerOpenFile(std::optional<QString> path) { m_openFiles.push_back(std::move(path)); }
    void answerSaveFile(std::optional<QString> path) { m_saveFiles.push_back(std::move(path)); }

    // Called with each prompt as it is shown (before it is answered), e.g. to
    // check what the window looks like at that moment.
    void onShown(std::function<void(const Shown&)> hook) { m_hook = std::move(hook); }

    const QList<Shown>& shown() const { return m_shown; }
    QList<Shown> shown(Kind kind) const;
    // Texts of the messages shown, in order.
    QStringList messageTexts() const;
    // The last prompt; fails the test and returns an empty record when none was shown.
    Shown last() const;
    int count() const { return static_cast<int>(m_shown.size()); }
    // Scripted answers not yet used.
    int pendingAnswers() const;
    // Forgets what was shown and the unused answers.
    void clear();

    Button message(const QString& title, const QString& text, Icon icon, int buttons = Ok) override;
    std::optional<QString> input(const QString& title, const QString& prompt, const QString& defaultText = {}) override;
    std::optional<QString> openFile(const QString& title, const QString& startPath, const QString& filter) override;
    std::optional<QString> saveFile(const QString& title, const QString& startPath, const QString& filter) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;

private:
    void record(Shown shown);

    std::deque<Button> m_messages;
    std::deque<std::optional<QString>> m_inputs;
    std::deque<std::optional<QString>> m_openFiles;
    std::deque<std::optional<QString>> m_saveFiles;
    QList<Shown> m_shown;
    std::function<void(const Shown&)> m_hook;
};

} // namespace quittora
