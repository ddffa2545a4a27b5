#include "data/Recordset.h"

#include "platform/ErrorTexts.h"

#include "data/Database.h"
#include "data/Schema.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QtDebug>

#include <algorithm>

namespace quittora {

namespace {

// Sets with at most this many records are searched within their own IDs, so
// that finding a line of one document does not scan every line there is.
constexpr int kSearchWithinSetLimit = 2000;

const QString kSavepoint = QStringLiteral("recordset_write");

QVariant storedBoolean(const QVariant& v)
{
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? -1 : 0;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        bool isNumber = false;
        const qlonglong n = s.toLongLong(&isNumber);
        if (isNumber)
            return n != 0 ? -1 : 0;
        return (s == QLatin1String("true") || s == QLatin1String("wahr") || s == QLatin1String("ja")) ? -1 : 0;
    }
    return v.toLongLong() != 0 ? -1 : 0;
}

// Text fields: NULL and empty text are the same to the user.
bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.toString().isEmpty() && b.toString().isEmpty();
    return a.toString() == b.toString();
}

QString errorText(const QSqlQuery& q)
{
    return databaseReason(q.lastError());
}

// A write the lock of an issued invoice refuses is said as that refusal
// alone: the window drops the edit, so "your input is still there" would be
// wrong, and the database's wording adds nothing.
QString refusedWrite(const QString& failure, const QString& why)
{
    const QString locked = schema::lockRefusal(why);
    return locked.isEmpty() ? failure.arg(why) : locked;
}

// Runs one write as a savepoint: on its own it is a transaction, and inside a
// caller's transaction it still undoes itself alone when it fails.
class WriteScope {
public:
    explicit WriteScope(const QSqlDatabase& db) : m_db(db)
    {
        QSqlQuery q(m_db);
        m_open = q.exec(QStringLiteral("SAVEPOINT ") + kSavepoint);
        if (!m_open)
            m_error = errorText(q);
    }
    ~WriteScope()
    {
        if (m_open)
            rollback();
    }
    bool isOpen() const { return m_open; }
    QString error() const { return m_error; }
    bool commit()
    {
        QSqlQuery q(m_db);
        if (q.exec(QStringLiteral("RELEASE ") + kSavepoint)) {
            m_open = false;
            return true;
        }
        m_error = errorText(q);
        rollback();
        return false;
    }
    void rollback()
    {
        QSqlQuery q(m_db);
        q.exec(QStringLiteral("ROLLBACK TO ") + kSavepoint);
        q.exec(QStringLiteral("RELEASE ") + kSavepoint);
        m_open = false;
    }

private:
    QSqlDatabase m_db;
    bool m_open = false;
    QString m_error;
};

} // namespace

Recordset::Recordset(Database& db, const QString& baseTable, QObject* parent)
    : QObject(parent), m_db(db), m_baseTable(baseTable), m_source(baseTable)
{
    loadFieldNames();
}

Recordset::~Recordset()
{
    // A window that goes away with unsaved edits keeps them, as a data
    // control stores its record when its form unloads.
    if (isDirty() && m_db.isOpen()) {
        const QSignalBlocker blocker(this);
        if (!storePending())
            qWarning("Recordset %s: edits could not be stored on close: %s", qPrintable(m_baseTable),
                     qPrintable(m_lastError));
    }
}

void Recordset::setRecordSource(const QString& source, const QVariantList& params)
{
    m_source = source;
    m_params = params;
}

QString Recordset::idQuery() const
{
    QString s = m_source.trimmed();
    while (s.endsWith(QLatin1Char(';')))
        s = s.chopped(1).trimmed();
    if (s.isEmpty())
        s = m_baseTable;
    static const QRegularExpression name(QStringLiteral("^\\[?[A-Za-z_][A-Za-z0-9_]*\\]?$"));
    if (name.match(s).hasMatch()) {
        if (s.compare(m_baseTable, Qt::CaseInsensitive) == 0)
            return QStringLiteral("SELECT ID FROM ") + s + QStringLiteral(" ORDER BY ID");
        // A view brings its own order.
        return QStringLiteral("SELECT ID FROM ") + s;
    }
    return QStringLiteral("SELECT ID FROM (") + s + QStringLiteral(")");
}

void Recordset::loadFieldNames()
{
    if (!m_fieldNames.isEmpty() || !m_db.isOpen())
        return;
    const QSqlRecord rec = m_db.connection().record(m_baseTable);
    for (int i = 0; i < rec.count(); ++i)
        m_fieldNames << rec.fieldName(i);
}

QString Recordset::canonicalField(const QString& field) const
{
    for (const QString& f : m_fieldNames) {
        if (f.compare(field, Qt::CaseInsensitive) == 0)
            return f;
    }
    return {};
}

bool Recordset::refresh()
{
    if (!prepareLeave())
        return false;
    loadFieldNames();
    QSqlQuery q(m_db.connection());
    q.setForwardOnly(true);
    if (!q.prepare(idQuery())) {
        fail(QString::fromUtf8("Die Datensätze konnten nicht gelesen werden.\n(%1)").arg(errorText(q)));
        return false;
    }
    for (const QVariant& p : m_params)
        q.addBindValue(p);
    if (!q.exec()) {
        fail(QString::fromUtf8("Die Datensätze konnten nicht gelesen werden.\n(%1)").arg(errorText(q)));
        return false;
    }
    QVector<qint64> ids;
    while (q.next())
        ids.append(q.value(0).toLongLong());
    if (q.lastError().isValid()) {
        fail(QString::fromUtf8("Die Datensätze konnten nicht vollständig gelesen werden.\n(%1)").arg(errorText(q)));
        return false;
    }
    m_ids = std::move(ids);
    m_idsAscending = std::is_sorted(m_ids.cbegin(), m_ids.cend());
    m_noMatch = false;
    m_pos = m_ids.isEmpty() ? -1 : 0;
    loadCurrent();
    Q_EMIT reloaded();
    Q_EMIT currentChanged();
    return true;
}

bool Recordset::bof() const
{
    return m_ids.isEmpty() || m_pos < 0;
}

bool Recordset::eof() const
{
    return m_ids.isEmpty() || m_pos >= recordCount();
}

qint64 Recordset::currentId() const
{
    return hasCurrent() ? m_ids.at(m_pos) : -1;
}

qint64 Recordset::idAt(int position) const
{
    return position >= 0 && position < recordCount() ? m_ids.at(position) : -1;
}

bool Recordset::prepareLeave()
{
    if (hasCurrent() || m_adding)
        Q_EMIT aboutToLeave();
    return storePending();
}

void Recordset::setPosition(int newPos)
{
    m_pos = newPos;
    loadCurrent();
    Q_EMIT currentChanged();
}

bool Recordset::moveFirst()
{
    if (!prepareLeave() || m_ids.isEmpty())
        return false;
    setPosition(0);
    return true;
}

bool Recordset::moveLast()
{
    if (!prepareLeave() || m_ids.isEmpty())
        return false;
    setPosition(recordCount() - 1);
    return true;
}

bool Recordset::moveNext()
{
    if (!prepareLeave() || eof())
        return false;
    setPosition(m_pos + 1);
    return true;
}

bool Recordset::movePrevious()
{
    if (!prepareLeave() || bof())
        return false;
    setPosition(m_pos - 1);
    return true;
}

bool Recordset::moveTo(int position)
{
    if (!prepareLeave() || position < 0 || position >= recordCount())
        return false;
    setPosition(position);
    return true;
}

bool Recordset::moveToId(qint64 id)
{
    if (!prepareLeave())
        return false;
    const int at = static_cast<int>(m_ids.indexOf(id));
    if (at < 0)
        return false;
    setPosition(at);
    return true;
}

bool Recordset::findFirst(const QString& criterion, const QVariantList& params)
{
    return find(FindFrom::First, criterion, params);
}

bool Recordset::findNext(const QString& criterion, const QVariantList& params)
{
    return find(FindFrom::Next, criterion, params);
}

bool Recordset::findPrevious(const QString& criterion, const QVariantList& params)
{
    return find(FindFrom::Previous, criterion, params);
}

bool Recordset::find(FindFrom from, const QString& criterion, const QVariantList& params)
{
    // Stored first, so that the search sees what the user sees.
    if (!prepareLeave())
        return false;
    const SearchCriterion search =
        indexableCriterion(criterion, params, [this](const QString& field) { return fieldKind(field); });
    const int count = recordCount();
    int found = -1;
    // An index answers a rewritten criterion with few candidates, found
    // fastest all at once; stepping in ID order would make SQLite read the
    // table in ID order instead of using the index.
    if (m_idsAscending && count > kSearchWithinSetLimit && !search.indexed) {
        if (!findInIdOrder(from, search.sql, search.params, &found)) {
            m_noMatch = true;
            return false;
        }
    } else {
        QSet<qint64> matches;
        if (!matchingIds(search.sql, search.params, &matches)) {
            m_noMatch = true;
            return false;
        }
        if (!matches.isEmpty()) {
            if (from == FindFrom::Previous) {
                for (int i = std::min(m_pos, count) - 1; i >= 0; --i) {
                    if (matches.contains(m_ids.at(i))) {
                        found = i;
                        break;
                    }
                }
            } else {
                const int start = from == FindFrom::First ? 0 : std::max(m_pos + 1, 0);
                for (int i = start; i < count; ++i) {
                    if (matches.contains(m_ids.at(i))) {
                        found = i;
                        break;
                    }
                }
            }
        }
    }
    m_noMatch = found < 0;
    if (found < 0)
        return false;
    setPosition(found);
    return true;
}

FieldKind Recordset::fieldKind(const QString& field) const
{
    const QString name = canonicalField(field);
    if (name.isEmpty())
        return FieldKind::Other;
    if (name == QLatin1String("ID"))
        return FieldKind::RowId;
    if (schema::isBooleanField(m_baseTable, name))
        return FieldKind::Other;
    return FieldKind::Text;
}

// A large set in ID order is searched in the same order, reading matches
// one at a time: the first one in the set ends the search, so a keystroke
// that finds something early never reads the rest of the table.
bool Recordset::findInIdOrder(FindFrom from, const QString& criterion, const QVariantList& params, int* found)
{
    *found = -1;
    const int count = recordCount();
    const bool backwards = from == FindFrom::Previous;
    int start = 0;
    if (from == FindFrom::Next)
        start = std::max(m_pos + 1, 0);
    else if (backwards)
        start = std::min(m_pos, count) - 1;
    if (start < 0 || start >= count)
        return true;
    const QString sql = QStringLiteral("SELECT ID FROM ") + m_baseTable + QStringLiteral(" WHERE (") + criterion
        + (backwards ? QStringLiteral(") AND ID <= ? ORDER BY ID DESC") : QStringLiteral(") AND ID >= ? ORDER BY ID"));
    QSqlQuery q(m_db.connection());
    q.setForwardOnly(true);
    bool ok = q.prepare(sql);
    if (ok) {
        for (const QVariant& p : params)
            q.addBindValue(p);
        q.addBindValue(m_ids.at(start));
        ok = q.exec();
    }
    if (!ok) {
        fail(QString::fromUtf8("Die Suche konnte nicht ausgeführt werden.\n(%1)").arg(errorText(q)));
        return false;
    }
    while (q.next()) {
        const qint64 id = q.value(0).toLongLong();
        const auto at = std::lower_bound(m_ids.cbegin(), m_ids.cend(), id);
        if (at != m_ids.cend() && *at == id) {
            *found = static_cast<int>(at - m_ids.cbegin());
            return true;
        }
    }
    if (q.lastError().isValid()) {
        fail(QString::fromUtf8("Die Suche konnte nicht ausgeführt werden.\n(%1)").arg(errorText(q)));
        return false;
    }
    return true;
}

bool Recordset::matchingIds(const QString& criterion, const QVariantList& params, QSet<qint64>* out)
{
    QString sql = QStringLiteral("SELECT ID FROM ") + m_baseTable + QStringLiteral(" WHERE (") + criterion
        + QLatin1Char(')');
    const bool withinSet = recordCount() <= kSearchWithinSetLimit;
    if (withinSet) {
        if (m_ids.isEmpty())
            return true;
        QStringList marks;
        marks.reserve(m_ids.size());
        for (qsizetype i = 0; i < m_ids.size(); ++i)
            marks << QStringLiteral("?");
        sql += QStringLiteral(" AND ID IN (") + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    QSqlQuery q(m_db.connection());
    q.setForwardOnly(true);
    bool ok = q.prepare(sql);
    if (ok) {
        for (const QVariant& p : params)
            q.addBindValue(p);
        if (withinSet) {
            for (qint64 id : std::as_const(m_ids))
                q.addBindValue(id);
        }
        ok = q.exec();
    }
    if (!ok) {
        fail(QString::fromUtf8("Die Suche konnte nicht ausgeführt werden.\n(%1)").arg(errorText(q)));
        return false;
    }
    while (q.next())
        out->insert(q.value(0).toLongLong());
    if (q.lastError().isValid()) {
        fail(QString::fromUtf8("Die Suche konnte nicht ausgeführt werden.\n(%1)").arg(errorText(q)));
        return false;
    }
    return true;
}

QStringList Recordset::fieldNames() const
{
    return m_fieldNames;
}

QVariant Recordset::value(const QString& field) const
{
    QString key = canonicalField(field);
    if (key.isEmpty())
        key = field;
    const auto pending = m_pending.constFind(key);
    if (pending != m_pending.cend())
        return *pending;
    if (m_adding) {
        if (key == QLatin1String("ID"))
            return {};
        if (schema::isBooleanField(m_baseTable, key))
            return 0;
        return QString();
    }
    if (!hasCurrent() || !m_record.contains(key))
        return {};
    return m_record.value(key);
}

void Recordset::setValue(const QString& field, const QVariant& value)
{
    const QString key = canonicalField(field);
    if (key.isEmpty() || key == QLatin1String("ID")) {
        qWarning("Recordset %s: no field %s to set", qPrintable(m_baseTable), qPrintable(field));
        return;
    }
    if (!hasCurrent() && !m_adding) {
        qWarning("Recordset %s: no current record to set %s on", qPrintable(m_baseTable), qPrintable(field));
        return;
    }
    const QVariant stored = schema::isBooleanField(m_baseTable, key) ? storedBoolean(value) : value;
    // Writing back what is already there is no edit: bound controls push all
    // their values, and an unchanged record needs no write.
    if (!m_adding && m_record.contains(key) && sameValue(stored, m_record.value(key)))
        m_pending.remove(key);
    else
        m_pending.insert(key, stored);
}

void Recordset::addNew()
{
    if (!prepareLeave())
        return;
    m_adding = true;
    m_pending.clear();
    Q_EMIT currentChanged();
}

bool Recordset::update()
{
    if (!isDirty())
        return true;
    if (!storePending())
        return false;
    Q_EMIT currentChanged();
    return true;
}

void Recordset::cancelUpdate()
{
    m_adding = false;
    m_pending.clear();
    Q_EMIT currentChanged();
}

bool Recordset::storePending()
{
    if (m_adding)
        return insertPending();
    if (m_pending.isEmpty() || !hasCurrent())
        return true;
    return updatePending();
}

bool Recordset::insertPending()
{
    const QSqlDatabase db = m_db.connection();
    QStringList names;
    QStringList marks;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        names << it.key();
        marks << QStringLiteral("?");
    }
    const QString sql = names.isEmpty()
        ? QStringLiteral("INSERT INTO ") + m_baseTable + QStringLiteral(" DEFAULT VALUES")
        : QStringLiteral("INSERT INTO ") + m_baseTable + QStringLiteral(" (") + names.join(QStringLiteral(", "))
            + QStringLiteral(") VALUES (") + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
    const QString failure = QString::fromUtf8("Der neue Datensatz konnte nicht gespeichert werden. "
                                              "Ihre Eingaben sind noch vorhanden.\n(%1)");
    WriteScope scope(db);
    if (!scope.isOpen()) {
        fail(failure.arg(scope.error()));
        return false;
    }
    QSqlQuery q(db);
    bool ok = q.prepare(sql);
    if (ok) {
        for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it)
            q.addBindValue(it.value());
        ok = q.exec();
    }
    if (!ok) {
        scope.rollback();
        fail(refusedWrite(failure, errorText(q)));
        return false;
    }
    const qint64 id = q.lastInsertId().toLongLong();
    if (!scope.commit()) {
        fail(failure.arg(scope.error()));
        return false;
    }
    if (!m_ids.isEmpty() && id <= m_ids.constLast())
        m_idsAscending = false;
    m_ids.append(id);
    m_pos = recordCount() - 1;
    m_adding = false;
    m_pending.clear();
    loadCurrent();
    Q_EMIT reloaded();
    return true;
}

bool Recordset::updatePending()
{
    const QSqlDatabase db = m_db.connection();
    QStringList sets;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it)
        sets << it.key() + QStringLiteral(" = ?");
    const QString failure = QString::fromUtf8("Die Änderungen konnten nicht gespeichert werden. "
                                              "Ihre Eingaben sind noch vorhanden.\n(%1)");
    WriteScope scope(db);
    if (!scope.isOpen()) {
        fail(failure.arg(scope.error()));
        return false;
    }
    QSqlQuery q(db);
    bool ok = q.prepare(QStringLiteral("UPDATE ") + m_baseTable + QStringLiteral(" SET ") + sets.join(QStringLiteral(", "))
                        + QStringLiteral(" WHERE ID = ?"));
    if (ok) {
        for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it)
            q.addBindValue(it.value());
        q.addBindValue(currentId());
        ok = q.exec();
    }
    if (!ok) {
        scope.rollback();
        fail(refusedWrite(failure, errorText(q)));
        return false;
    }
    if (q.numRowsAffected() != 1) {
        scope.rollback();
        fail(failure.arg(QString::fromUtf8("Der Datensatz wurde inzwischen gelöscht.")));
        return false;
    }
    if (!scope.commit()) {
        fail(failure.arg(scope.error()));
        return false;
    }
    m_pending.clear();
    loadCurrent();
    return true;
}

bool Recordset::deleteCurrent()
{
    if (m_adding) {
        // The record being added exists only in the buffer.
        cancelUpdate();
        return true;
    }
    if (!hasCurrent()) {
        fail(QString::fromUtf8("Es ist kein Datensatz ausgewählt, der gelöscht werden könnte."));
        return false;
    }
    const QSqlDatabase db = m_db.connection();
    const QString failure = QString::fromUtf8("Der Datensatz konnte nicht gelöscht werden.\n(%1)");
    WriteScope scope(db);
    if (!scope.isOpen()) {
        fail(failure.arg(scope.error()));
        return false;
    }
    QSqlQuery q(db);
    bool ok = q.prepare(QStringLiteral("DELETE FROM ") + m_baseTable + QStringLiteral(" WHERE ID = ?"));
    if (ok) {
        q.addBindValue(currentId());
        ok = q.exec();
    }
    if (!ok) {
        scope.rollback();
        fail(refusedWrite(failure, errorText(q)));
        return false;
    }
    if (!scope.commit()) {
        fail(failure.arg(scope.error()));
        return false;
    }
    m_pending.clear();
    m_ids.removeAt(m_pos);
    if (m_pos >= recordCount())
        m_pos = recordCount() - 1;
    loadCurrent();
    Q_EMIT reloaded();
    Q_EMIT currentChanged();
    return true;
}

void Recordset::reloadCurrent()
{
    loadCurrent();
    Q_EMIT currentChanged();
}

void Recordset::loadCurrent()
{
    m_record = QSqlRecord();
    if (!hasCurrent())
        return;
    QSqlQuery q(m_db.connection());
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT * FROM ") + m_baseTable + QStringLiteral(" WHERE ID = ?"))) {
        fail(QString::fromUtf8("Der Datensatz konnte nicht gelesen werden.\n(%1)").arg(errorText(q)));
        return;
    }
    q.addBindValue(m_ids.at(m_pos));
    if (!q.exec()) {
        fail(QString::fromUtf8("Der Datensatz konnte nicht gelesen werden.\n(%1)").arg(errorText(q)));
        return;
    }
    if (q.next())
        m_record = q.record();
}

void Recordset::fail(const QString& message)
{
    m_lastError = message;
    Q_EMIT writeFailed(message);
}

} // namespace quittora
