#include "platform/widgets/NumericKeyFilter.h"

#include "platform/Clipboard.h"
#include "platform/Context.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>

namespace quittora {

namespace {

bool isTyping(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (!c.isPrint())
            return false;
    }
    return true;
}

} // namespace

NumericKeyFilter* NumericKeyFilter::install(QLineEdit* edit, AppContext& ctx, Rule rule, const QString& message)
{
    Q_ASSERT(edit && rule);
    return new NumericKeyFilter(edit, ctx, std::move(rule), message);
}

NumericKeyFilter* NumericKeyFilter::installAmount(QLineEdit* edit, AppContext& ctx)
{
    return install(edit, ctx, &amountKey);
}

NumericKeyFilter* NumericKeyFilter::installInvoiceNumber(QLineEdit* edit, AppContext& ctx)
{
    return install(edit, ctx, [](QChar typed, QChar) { return invoiceNumberKey(typed); });
}

NumericKeyFilter::NumericKeyFilter(QLineEdit* edit, AppContext& ctx, Rule rule, const QString& message)
    : QObject(edit), m_edit(edit), m_ctx(ctx), m_rule(std::move(rule)), m_message(message)
{
    // A drop would bypass the rule; nobody drags numbers into amount boxes.
    edit->setAcceptDrops(false);
    edit->installEventFilter(this);
}

std::optional<QString> NumericKeyFilter::filtered(const QString& text) const
{
    const QChar separator = m_ctx.state.decimalSeparator;
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const KeyDecision decision = m_rule(c, separator);
        switch (decision.action) {
        case KeyDecision::Action::Accept:
            out.append(c);
            break;
        case KeyDecision::Action::Replace:
            out.append(decision.replacement);
            break;
        case KeyDecision::Action::Reject:
            return std::nullopt;
        }
    }
    return out;
}

void NumericKeyFilter::refuse(bool tell)
{
    if (tell && !m_message.isEmpty())
        m_ctx.prompts.message(wrongInputTitle(), m_message, Prompts::Icon::Critical, Prompts::Ok);
}

void NumericKeyFilter::pasteFiltered(const QString& clip)
{
    if (m_edit->isReadOnly())
        return;
    const QString text = clip.trimmed();
    if (text.isEmpty())
        return;
    const std::optional<QString> taken = filtered(text);
    if (!taken) {
        refuse(true);
        return;
    }
    m_edit->insert(*taken);
}

bool NumericKeyFilter::handleKey(QKeyEvent* event)
{
    if (m_edit->isReadOnly())
        return false;
    if (event->matches(QKeySequence::Paste)) {
        pasteFiltered(m_ctx.clipboard.text());
        return true;
    }
    const QString text = event->text();
    if (!isTyping(text))
        return false;
    const Qt::KeyboardModifiers mods = event->modifiers();
    // Ctrl or Meta make a shortcut (select all, undo), which the box never
    // inserts as text; Ctrl with Alt is AltGr on Windows and types.
    if ((mods & (Qt::ControlModifier | Qt::MetaModifier)) && !(mods & Qt::AltModifier))
        return false;
    const std::optional<QString> taken = filtered(text);
    if (!taken) {
        // With Alt held it was meant as a shortcut, not as input: drop it
        // without scolding.
        refuse(!(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)));
        return true;
    }
    if (*taken == text)
        return false; // the box inserts it itself (overwrite mode, undo, max length)
    m_edit->insert(*taken);
    return true;
}

bool NumericKeyFilter::handleContextMenu(QContextMenuEvent* event)
{
    // The standard menu, with its paste entry routed through the rule.
    QPointer<QMenu> menu = m_edit->createStandardContextMenu();
    if (!menu)
        return false;
    const QString pasteShortcut = QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    for (QAction* action : menu->actions()) {
        const bool isPaste = action->objectName() == QLatin1String("edit-paste")
                             || (!pasteShortcut.isEmpty() && action->text().endsWith(pasteShortcut));
        if (!isPaste)
            continue;
        QObject::disconnect(action, &QAction::triggered, m_edit, nullptr);
        connect(action, &QAction::triggered, this, [this] { pasteFiltered(m_ctx.clipboard.text()); });
    }
    menu->exec(event->globalPos());
    delete menu;
    return true;
}

bool NumericKeyFilter::handleInputMethod(QInputMethodEvent* event)
{
    const QString commit = event->commitString();
    if (commit.isEmpty() || m_edit->isReadOnly())
        return false;
    const std::optional<QString> taken = filtered(commit);
    if (taken && *taken == commit)
        return false;
    // Let the composition state go through, but commit nothing of our own
    // choosing behind the rule's back.
    QInputMethodEvent rest(event->preeditString(), event->attributes());
    rest.setCommitString(QString());
    QCoreApplication::sendEvent(m_edit, &rest);
    if (taken)
        m_edit->insert(*taken);
    else
        refuse(true);
    return true;
}

bool NumericKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_edit)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return handleKey(static_cast<QKeyEvent*>(event));
    case QEvent::ContextMenu:
        return handleContextMenu(static_cast<QContextMenuEvent*>(event));
    case QEvent::InputMethod:
        return handleInputMethod(static_cast<QInputMethodEvent*>(event));
    case QEvent::MouseButtonRelease: {
        // X11 pastes the selection on a middle click.
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* clipboard = QGuiApplication::clipboard();
        if (mouse->button() == Qt::MiddleButton && clipboard && clipboard->supportsSelection()) {
            pasteFiltered(clipboard->text(QClipboard::Selection));
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

} // namespace quittora
