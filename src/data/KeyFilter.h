#pragma once

#include <QChar>
#include <QString>

namespace quittora {

// What the numeric entry fields do with a typed character. The windows only
// carry out the decision: pass the key on, pass a different character on
// instead, or drop it and show wrongInputMessage() titled wrongInputTitle()
// with the critical icon.
struct KeyDecision {
    enum class Action {
        Accept,  // the character goes into the field as typed
        Replace, // 'replacement' goes into the field instead
        Reject,  // dropped; the wrong-input message is shown
    };
    Action action = Action::Accept;
    QChar replacement; // only meaningful for Replace

    bool operator==(const KeyDecision&) const = default;
};

inline constexpr QChar kBackspaceKey = QChar(8);
inline constexpr QChar kEnterKey = QChar(13);

// The amount fields (unit price, the head's amounts): on a system writing
// "," a typed "." becomes ","; on a system writing "." a typed "," becomes ".".
// Otherwise digits, "-", ",", backspace and Enter pass and every other
// character is refused, "." on a "." system included.
KeyDecision amountKey(QChar typed, QChar decimalSeparator);

// The next-invoice-number field: digits, "-", backspace and Enter; no decimal
// point of any kind.
KeyDecision invoiceNumberKey(QChar typed);

// Control characters other than backspace and Enter (Tab, Escape, the
// characters of Ctrl+C/Ctrl+V, Delete) are editing commands rather than
// typed text: both filters let them through so the field stays usable.

// The message shown for a refused key, exactly as the user sees it.
QString wrongInputMessage();
// Its title.
QString wrongInputTitle();

} // namespace quittora
