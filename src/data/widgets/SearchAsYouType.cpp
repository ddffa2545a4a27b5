#include "data/widgets/SearchAsYouType.h"

#include "data/Recordset.h"
#include "platform/widgets/FieldMarks.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

namespace quittora {

namespace {

// Field names are pasted into the criterion, so only plain names may pass.
bool isPlainFieldName(const QString& name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return plain.match(name).hasMatch();
}

} // namespace

SearchAsYouType::SearchAsYouType(QLineEdit* box, Recordset& recordset, const QList<Field>& fields)
    : QObject(box), m_box(box), m_rs(recordset)
{
    for (const Field& f : fields) {
        if (isPlainFieldName(f.name))
            m_fields.push_back(f);
        else
            qWarning("SearchAsYouType: \"%s\" is no field name", qPrintable(f.name));
    }
    init();
}

SearchAsYouType::SearchAsYouType(QLineEdit* box, Recordset& recordset, const QStringList& fields, LikeMode mode)
    : QObject(box), m_box(box), m_rs(recordset)
{
    for (const QString& name : fields) {
        if (isPlainFieldName(name))
            m_fields.push_back({name, mode});
        else
            qWarning("SearchAsYouType: \"%s\" is no field name", qPrintable(name));
    }
    init();
}

void SearchAsYouType::init()
{
    Q_ASSERT(m_box);
    m_box->installEventFilter(this);
    connect(m_box, &QLineEdit::textChanged, this, [this] { search(); });
    connect(m_box, &QLineEdit::returnPressed, this, [this] {
        if (m_findNextOnEnter)
            findNext();
    });
    setFieldBackground(m_box, m_box->hasFocus() ? markYellow() : plainWhite());
}

QString SearchAsYouType::criterion() const
{
    QStringList parts;
    for (const Field& f : m_fields)
        parts.push_back(f.name + QStringLiteral(" LIKE ?"));
    return parts.join(QStringLiteral(" OR "));
}

QVariantList SearchAsYouType::parameters(const QString& typed) const
{
    QVariantList params;
    for (const Field& f : m_fields)
        params.push_back(likePattern(typed, f.mode));
    return params;
}

bool SearchAsYouType::search()
{
    bool found = false;
    if (m_fields.isEmpty())
        found = false;
    else if (m_box->text().isEmpty())
        found = m_rs.recordCount() > 0 && m_rs.moveFirst();
    else
        found = m_rs.findFirst(criterion(), parameters(m_box->text()));
    Q_EMIT searched(found);
    return found;
}

bool SearchAsYouType::findNext()
{
    const bool found = !m_fields.isEmpty() && !m_box->text().isEmpty()
                       && m_rs.findNext(criterion(), parameters(m_box->text()));
    Q_EMIT searched(found);
    return found;
}

bool SearchAsYouType::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_box)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Down) {
            if (m_rs.recordCount() == 0)
                return true;
            if (m_rs.position() < 0)
                m_rs.moveFirst();
            else if (m_rs.position() < m_rs.recordCount() - 1)
                m_rs.moveNext();
            return true;
        }
        if (key->key() == Qt::Key_Up) {
            if (m_rs.recordCount() == 0)
                return true;
            if (m_rs.position() >= m_rs.recordCount())
                m_rs.moveLast();
            else if (m_rs.position() > 0)
                m_rs.movePrevious();
            return true;
        }
        return false;
    }
    case QEvent::FocusIn:
        setFieldBackground(m_box, markYellow());
        return false;
    case QEvent::FocusOut:
        setFieldBackground(m_box, plainWhite());
        return false;
    default:
        return false;
    }
}

} // namespace quittora
