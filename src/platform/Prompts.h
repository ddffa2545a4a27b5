#pragma once

#include <QColor>
#include <QString>

#include <optional>

namespace quittora {

// Everything the program asks or tells the user goes through this interface,
// so tests can script the answers and check the exact German texts.
class Prompts {
public:
    enum class Icon { None, Information, Exclamation, Critical, Question };
    enum Button {
        Ok = 0x1,
        Cancel = 0x2,
        Yes = 0x4,
        No = 0x8,
        Retry = 0x10,
        Abort = 0x20,
        Ignore = 0x40,
    };

    virtual ~Prompts() = default;

    // Message box; buttons is an OR of Button values. Returns the button pressed
    // (closing the box counts as Cancel, No or Ok, whichever is offered, in
    // that order of preference).
    virtual Button message(const QString& title, const QString& text, Icon icon, int buttons = Ok) = 0;

    // The answer of a box with these buttons that is closed without a choice.
    // A box without Cancel, No or Ok (Abort/Retry/Ignore) answers Abort, then
    // Ignore, then Retry, whichever it offers; no buttons at all means Ok.
    static Button closeAnswer(int buttons)
    {
        for (Button b : {Cancel, No, Ok, Abort, Ignore, Retry, Yes}) {
            if (buttons & b)
                return b;
        }
        return Ok;
    }

    // Yes/No with the question icon; true for Yes.
    bool question(const QString& title, const QString& text) {
        return message(title, text, Icon::Question, Yes | No) == Yes;
    }
    void information(const QString& title, const QString& text) { message(title, text, Icon::Information); }
    void critical(const QString& title, const QString& text) { message(title, text, Icon::Critical); }
    void exclamation(const QString& title, const QString& text) { message(title, text, Icon::Exclamation); }

    // Input box; nullopt when cancelled.
    virtual std::optional<QString> input(const QString& title, const QString& prompt,
                                         const QString& defaultText = {}) = 0;
    // File dialogs; nullopt when cancelled. filter as in QFileDialog
    // ("Quittora-Datenbank (*.qtb *.QTB)").
    virtual std::optional<QString> openFile(const QString& title, const QString& startPath,
                                            const QString& filter) = 0;
    virtual std::optional<QString> saveFile(const QString& title, const QString& startPath,
                                            const QString& filter) = 0;
    // Colour dialog; nullopt when cancelled.
    virtual std::optional<QColor> chooseColor(const QColor& initial) = 0;
};

} // namespace quittora
