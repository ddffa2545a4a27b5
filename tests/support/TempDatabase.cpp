#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace quittora::test {

namespace {

// Prepares a statement, binds the values and runs it; false on any error.
bool run(QSqlQuery& q, const QString& sql, const QVariantList& params = {})
{
    if (!q.prepare(sql))
        return false;
    for (const QVariant& p : params)
        q.addBindValue(p);
    return q.exec();
}

} // namespace

TempDatabase::TempDatabase(QChar decimalSeparator)
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        ADD_FAILURE() << "TempDatabase: " << m_error.toStdString();
        return;
    }
    m_path = m_dir.filePath(QStringLiteral("Quittora.qtb"));
    if (!Database::createFromTemplate(m_path, decimalSeparator, &m_error) || !m_db.open(m_path, &m_error)) {
        ADD_FAILURE() << "TempDatabase: " << m_error.toStdString();
        return;
    }
    // The sample documents are numbered invoices whose lines come after
    // their heads, and most tests edit them: the lock after issue has tests
    // of its own, which switch it on.
    if (!QSqlQuery(connection()).exec(QStringLiteral("UPDATE Einstellungen SET Festschreiben = 0")))
        ADD_FAILURE() << "TempDatabase: the lock after issue cannot be switched off";
}

TempDatabase::~TempDatabase()
{
    m_db.close();
}

qint64 TempDatabase::insert(const QString& table, const QVariantMap& fields)
{
    const QString sql = fields.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                                         : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                               .arg(table, fields.keys().join(QStringLiteral(", ")),
                                                    QStringList(fields.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
    QSqlQuery q(connection());
    if (!run(q, sql, fields.values())) {
        ADD_FAILURE() << "insert into " << table.toStdString() << ": " << q.lastError().text().toStdString();
        return -1;
    }
    return q.lastInsertId().toLongLong();
}

qint64 TempDatabase::addCustomer(const QString& name, const QString& firstName, const QVariantMap& more)
{
    QVariantMap f = more;
    f.insert(QStringLiteral("a2"), name);
    f.insert(QStringLiteral("a3"), firstName);
    return insert(QStringLiteral("Kunden"), f);
}

qint64 TempDatabase::addArticle(const QString& number, const QString& designation, const QString& price,
                                const QString& vatRate, const QVariantMap& more)
{
    QVariantMap f = more;
    f.insert(QStringLiteral("a2"), number);
    f.insert(QStringLiteral("a3"), designation);
    f.insert(QStringLiteral("a4"), price);
    f.insert(QStringLiteral("a19"), vatRate);
    return insert(QStringLiteral("Artikel"), f);
}

qint64 TempDatabase::addDocument(const QString& number, const QString& date, const QString& kind, bool paid,
                                 const QVariantMap& more)
{
    QVariantMap f = more;
    f.insert(QStringLiteral("a7"), number);
    f.insert(QStringLiteral("a8"), date);
    f.insert(QStringLiteral("a156"), kind);
    f.insert(QStringLiteral("opt1"), paid ? -1 : 0);
    return insert(QStringLiteral("Rechnungen"), f);
}

qint64 TempDatabase::addLine(qint64 documentId, const QString& quantity, const QString& designation,
                             const QString& unitPrice, const QString& amount, const QString& vatRate,
                             const QString& unit)
{
    return insert(QStringLiteral("Verkauf"), {
                                                 {QStringLiteral("a1"), QString::number(documentId)},
                                                 {QStringLiteral("a2"), quantity},
                                                 {QStringLiteral("a3"), unit},
                                                 {QStringLiteral("n1"), designation},
                                                 {QStringLiteral("a4"), unitPrice},
                                                 {QStringLiteral("a5"), amount},
                                                 {QStringLiteral("a19"), vatRate},
                                             });
}

QVariant TempDatabase::field(const QString& table, qint64 id, const QString& fieldName) const
{
    QSqlQuery q(connection());
    const bool found = run(q, QStringLiteral("SELECT %1 FROM %2 WHERE ID = ?").arg(fieldName, table), {id}) && q.next();
    return found ? q.value(0) : QVariant();
}

QVariant TempDatabase::setting(const QString& fieldName) const
{
    QSqlQuery q(connection());
    const bool found = run(q, QStringLiteral("SELECT %1 FROM Einstellungen ORDER BY ID LIMIT 1").arg(fieldName)) && q.next();
    return found ? q.value(0) : QVariant();
}

qint64 TempDatabase::count(const QString& table, const QString& where, const QVariantList& params) const
{
    QSqlQuery q(connection());
    const QString sql = QStringLiteral("SELECT count(*) FROM %1").arg(table) + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where);
    if (!run(q, sql, params) || !q.next()) {
        ADD_FAILURE() << "count " << table.toStdString() << ": " << q.lastError().text().toStdString();
        return -1;
    }
    return q.value(0).toLongLong();
}

bool TempDatabase::exec(const QString& sql, const QVariantList& params)
{
    QSqlQuery q(connection());
    const bool ok = run(q, sql, params);
    if (!ok)
        ADD_FAILURE() << sql.toStdString() << ": " << q.lastError().text().toStdString();
    return ok;
}

QByteArray TempDatabase::readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace quittora::test
