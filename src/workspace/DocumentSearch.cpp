#include "workspace/DocumentSearch.h"

#include "data/JetLike.h"
#include "data/Recordset.h"

namespace quittora {

DocumentSearch::DocumentSearch(Recordset& documents)
    : m_docs(documents)
{
}

QString DocumentSearch::criterion(Mode mode)
{
    return mode == Mode::Number ? QStringLiteral("a7 LIKE ?") : QStringLiteral("a2 LIKE ? OR a3 LIKE ?");
}

QVariantList DocumentSearch::parameters(Mode mode, const QString& text)
{
    if (mode == Mode::Number)
        return {likePattern(text, LikeMode::StartsWith)};
    const QString contains = likePattern(text, LikeMode::Contains);
    return {contains, contains};
}

bool DocumentSearch::textChanged(const QString& text)
{
    m_docs.moveFirst();
    // An empty box just shows the first document; there is nothing to find.
    // A miss before does not stop this search: the user who typed on or
    // cleared the box expects it to search again.
    if (text.isEmpty())
        return false;
    return m_docs.findFirst(criterion(m_mode), parameters(m_mode, text));
}

bool DocumentSearch::findNext(const QString& text)
{
    if (text.isEmpty())
        return false;
    return m_docs.findNext(criterion(m_mode), parameters(m_mode, text));
}

void DocumentSearch::moveDown()
{
    if (m_docs.recordCount() == 0)
        return;
    if (!m_docs.moveNext() || m_docs.eof())
        m_docs.moveLast();
}

void DocumentSearch::moveUp()
{
    if (m_docs.recordCount() == 0)
        return;
    if (!m_docs.movePrevious() || m_docs.bof())
        m_docs.moveFirst();
}

} // namespace quittora
