#pragma once

#include "data/KeyFilter.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QContextMenuEvent;
class QInputMethodEvent;
class QKeyEvent;
class QLineEdit;

namespace quittora {

struct AppContext;

// Keeps a line edit to numeric input: every character the user types,
// pastes (keyboard, context menu, middle click) or commits through an input
// method passes a rule first. A refused character is dropped and, unless the
// filter is silent, the user is told with a critical message box titled
// "Fehler"; a character the rule replaces ('.' for ',' and the other way
// round) goes in as its replacement. A paste goes in whole or not at all:
// surrounding blanks and line breaks are trimmed, one refused character
// refuses the paste.
//
// Control keys (Backspace, Enter, Delete, arrows, Tab, Ctrl shortcuts) are
// never filtered. Text the program sets with setText() is not filtered either.
// Dropping text onto the box is switched off.
//
// The decimal separator is read from the program state (AppContext::state) at
// every key, so a changed setting applies at once.
class NumericKeyFilter final : public QObject {
    Q_OBJECT
public:
    // Decides one typed character, given the decimal separator in force
    // (data/KeyFilter.h: amountKey fits as it is).
    using Rule = std::function<KeyDecision(QChar typed, QChar decimalSeparator)>;

    // Installs a filter on edit (a child of edit, it lives as long as the
    // box). message empty: refused keys are dropped silently. The title is
    // always wrongInputTitle() ("Fehler"), the icon critical.
    static NumericKeyFilter* install(QLineEdit* edit, AppContext& ctx, Rule rule,
                                     const QString& message = wrongInputMessage());
    // The amount fields: amountKey, "Falsche Eingabe !      nur Zahlenwerte erlaubt".
    static NumericKeyFilter* installAmount(QLineEdit* edit, AppContext& ctx);
    // The next-invoice-number field: invoiceNumberKey, the same message.
    static NumericKeyFilter* installInvoiceNumber(QLineEdit* edit, AppContext& ctx);

    QLineEdit* edit() const { return m_edit; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    NumericKeyFilter(QLineEdit* edit, AppContext& ctx, Rule rule, const QString& message);

    // Text after the rule, or nullopt when any character is refused.
    std::optional<QString> filtered(const QString& text) const;
    void refuse(bool tell);
    void pasteFiltered(const QString& clip);
    bool handleKey(QKeyEvent* event);
    bool handleContextMenu(QContextMenuEvent* event);
    bool handleInputMethod(QInputMethodEvent* event);

    QLineEdit* m_edit;
    AppContext& m_ctx;
    Rule m_rule;
    QString m_message;
};

} // namespace quittora
