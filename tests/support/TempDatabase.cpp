#include "support/TempDatabase.h"

#include "support/TestDatabaseFile.h"

#include <gtest/gtest.h>

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace quittora::test {

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

// Prepares a statement, binds the values and runs it; false on any error.
bool run(QSqlQuery& q, const QString& sql, const QVariantList& params = {})
{
    if (!q.prepare(sql))
        return false;
    for (const QVariant& p : params)
        q.addBindValue(p);
    return q.exec();
}

// The first value of a statement's first row; invalid when there is none.
QVariant first(const QSqlDatabase& db, const QString& sql, const QVariantList& params = {})
{
    QSqlQuery q(db);
    return run(q, sql, params) && q.next() ? q.value(0) : QVariant();
}

QVariantMap with(QVariantMap fields, const QVariantMap& more)
{
    fields.insert(more);
    return fields;
}

} // namespace

TempDatabase::TempDatabase(QChar decimalSeparator) : m_path(m_dir.filePath(s("Quittora.qtb")))
{
    // The sample documents are numbered invoices whose lines come after
    // their heads, and most tests edit them: the lock after issue has tests
    // of its own, which switch it on.
    bool ok = m_dir.isValid();
    if (!ok)
        m_error = s("no temporary folder");
    else if ((ok = Database::createFromTemplate(m_path, decimalSeparator, &m_error) && m_db.open(m_path, &m_error))
             && !(ok = QSqlQuery(connection()).exec(s("UPDATE Einstellungen SET Festschreiben = 0"))))
        m_error = s("the lock after issue cannot be switched off");
    if (!ok)
        ADD_FAILURE() << "TempDatabase: " << m_error.toStdString();
}

TempDatabase::~TempDatabase() { m_db.close(); }

qint64 TempDatabase::insert(const QString& table, const QVariantMap& fields)
{
    const QString sql = fields.isEmpty() ? s("INSERT INTO %1 DEFAULT VALUES").arg(table)
                                         : s("INSERT INTO %1 (%2) VALUES (%3)")
                                               .arg(table, fields.keys().join(s(", ")), QStringList(fields.size(), s("?")).join(s(", ")));
    QSqlQuery q(connection());
    if (!run(q, sql, fields.values())) {
        ADD_FAILURE() << "insert into " << table.toStdString() << ": " << q.lastError().text().toStdString();
        return -1;
    }
    return q.lastInsertId().toLongLong();
}

qint64 TempDatabase::addCustomer(const QString& name, const QString& firstName, const QVariantMap& more)
{
    return insert(s("Kunden"), with(more, {{s("a2"), name}, {s("a3"), firstName}}));
}

qint64 TempDatabase::addArticle(const QString& number, const QString& designation, const QString& price,
                                const QString& vatRate, const QVariantMap& more)
{
    return insert(s("Artikel"), with(more, {{s("a2"), number}, {s("a3"), designation}, {s("a4"), price}, {s("a19"), vatRate}}));
}

qint64 TempDatabase::addDocument(const QString& number, const QString& date, const QString& kind, bool paid,
                                 const QVariantMap& more)
{
    return insert(s("Rechnungen"), with(more, {{s("a7"), number}, {s("a8"), date}, {s("a156"), kind}, {s("opt1"), paid ? -1 : 0}}));
}

qint64 TempDatabase::addLine(qint64 documentId, const QString& quantity, const QString& designation,
                             const QString& unitPrice, const QString& amount, const QString& vatRate, const QString& unit)
{
    return insert(s("Verkauf"), {{s("a1"), QString::number(documentId)}, {s("a2"), quantity}, {s("a3"), unit}, {s("n1"), designation},
                                 {s("a4"), unitPrice}, {s("a5"), amount}, {s("a19"), vatRate}});
}

QVariant TempDatabase::field(const QString& table, qint64 id, const QString& fieldName) const
{
    return first(connection(), s("SELECT %1 FROM %2 WHERE ID = ?").arg(fieldName, table), {id});
}

QVariant TempDatabase::setting(const QString& fieldName) const
{
    return first(connection(), s("SELECT %1 FROM Einstellungen ORDER BY ID LIMIT 1").arg(fieldName));
}

qint64 TempDatabase::count(const QString& table, const QString& where, const QVariantList& params) const
{
    const QVariant n = first(connection(), s("SELECT count(*) FROM ") + table + (where.isEmpty() ? QString() : s(" WHERE ") + where), params);
    if (!n.isValid())
        ADD_FAILURE() << "count " << table.toStdString() << " WHERE " << where.toStdString();
    return n.isValid() ? n.toLongLong() : -1;
}

bool TempDatabase::exec(const QString& sql, const QVariantList& params)
{
    QSqlQuery q(connection());
    const bool ok = run(q, sql, params);
    if (!ok)
        ADD_FAILURE() << sql.toStdString() << ": " << q.lastError().text().toStdString();
    return ok;
}

QByteArray TempDatabase::readFile(const QString& path) { return testfiles::bytesOf(path); }

} // namespace quittora::test
