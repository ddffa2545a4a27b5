#include "data/CompanySettings.h"
#include "platform/ErrorTexts.h"

#include "data/Database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace quittora {

bool CompanySettings::load(const Database& db)
{
    if (!db.isOpen())
        return false;
    QSqlQuery q(db.connection());
    if (!q.exec(QStringLiteral("SELECT * FROM Einstellungen ORDER BY ID LIMIT 1")) || !q.next())
        return false;
    QHash<QString, QVariant> values;
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i)
        values.insert(rec.fieldName(i), q.value(i));
    m_values = std::move(values);
    return true;
}

bool CompanySettings::store(const Database& db, const QHash<QString, QVariant>& changes, QString* error)
{
    if (changes.isEmpty())
        return true;
    QSqlDatabase con = db.connection();
    QStringList assignments;
    QVariantList params;
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        // Field names come from the program, never from the user; still only
        // plain identifiers are let through.
        for (QChar c : it.key()) {
            if (!c.isLetterOrNumber() && c != QLatin1Char('_')) {
                if (error)
                    *error = QStringLiteral("Ungültiger Feldname: %1").arg(it.key());
                return false;
            }
        }
        assignments << QStringLiteral("\"%1\" = ?").arg(it.key());
        params << it.value();
    }
    if (!con.transaction()) {
        if (error)
            *error = databaseReason(con.lastError());
        return false;
    }
    QSqlQuery q(con);
    q.prepare(QStringLiteral("UPDATE Einstellungen SET %1 WHERE ID = ?").arg(assignments.join(QStringLiteral(", "))));
    for (const QVariant& p : params)
        q.addBindValue(p);
    q.addBindValue(id());
    if (!q.exec() || q.numRowsAffected() != 1) {
        if (error)
            *error = QStringLiteral("Die Einstellungen konnten nicht gespeichert werden: %1").arg(databaseReason(q.lastError()));
        con.rollback();
        return false;
    }
    if (!con.commit()) {
        if (error)
            *error = QStringLiteral("Die Einstellungen konnten nicht gespeichert werden: %1").arg(databaseReason(con.lastError()));
        con.rollback();
        return false;
    }
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        m_values.insert(it.key(), it.value());
    return true;
}

QString CompanySettings::footerText(std::initializer_list<const char*> fields) const
{
    QString out;
    for (const char* field : fields) {
        const QString part = text(QString::fromLatin1(field));
        if (part.isEmpty())
            continue;
        if (!out.isEmpty() && !out.back().isSpace() && !part.front().isSpace())
            out += QLatin1Char(' ');
        out += part;
    }
    return out;
}

} // namespace quittora
