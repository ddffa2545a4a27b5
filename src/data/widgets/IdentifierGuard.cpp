#include "data/widgets/IdentifierGuard.h"

#include "data/Recordset.h"
#include "data/widgets/FieldBinding.h"

#include <QEvent>
#include <QLineEdit>

namespace quittora {

IdentifierGuard::IdentifierGuard(QLineEdit* edit, FieldBinding& binding, Problem problem, Normalise normalise,
                                 std::function<void(const QString&)> tell)
    : IdentifierGuard(edit, std::move(problem), std::move(normalise), std::move(tell))
{
    m_binding = &binding;
    // Another record shown: what it holds is the value to return to. The
    // binding was connected first, so the field shows the new record here.
    connect(&binding.recordset(), &Recordset::currentChanged, this, [this] { m_lastGood = m_edit->text(); });
}

IdentifierGuard::IdentifierGuard(QLineEdit* edit, Problem problem, Normalise normalise,
                                 std::function<void(const QString&)> tell)
    : QObject(edit), m_edit(edit), m_binding(nullptr), m_problem(std::move(problem)),
      m_normalise(std::move(normalise)), m_tell(std::move(tell)), m_lastGood(edit->text())
{
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::editingFinished, this, &IdentifierGuard::settle);
}

bool IdentifierGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit && event->type() == QEvent::FocusIn)
        m_lastGood = m_edit->text();
    return false;
}

bool IdentifierGuard::settle()
{
    const QString why = m_problem(m_edit->text());
    const QString stored = why.isEmpty() ? m_normalise(m_edit->text()) : m_lastGood;
    if (stored != m_edit->text()) {
        m_edit->setText(stored);
        if (m_binding)
            m_binding->write(m_edit);
    }
    m_lastGood = stored;
    if (!why.isEmpty())
        m_tell(why);
    return why.isEmpty();
}

} // namespace quittora
