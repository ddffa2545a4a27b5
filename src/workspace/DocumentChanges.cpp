#include "workspace/DocumentChanges.h"
#include "platform/ErrorTexts.h"

#include "data/Database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

namespace quittora {

namespace {

bool execOne(QSqlQuery& q, const QString& sql, const QVariantList& params)
{
    if (!q.prepare(sql))
        return false;
    for (const QVariant& p : params)
        q.addBindValue(p);
    return q.exec() && q.numRowsAffected() == 1;
}

} // namespace

bool storeDocumentChanges(const Database& db, qint64 documentId, const QHash<QString, QString>& documentChanges,
                          qint64 settingsId, const QString& nextInvoiceNumber, QString* reason)
{
    if (documentChanges.isEmpty() && nextInvoiceNumber.isEmpty())
        return true;
    QSqlDatabase con = db.connection();
    if (!con.transaction()) {
        if (reason)
            *reason = databaseReason(con.lastError());
        return false;
    }
    QSqlQuery q(con);
    bool ok = true;
    if (!documentChanges.isEmpty()) {
        QStringList assignments;
        QVariantList params;
        for (auto it = documentChanges.cbegin(); it != documentChanges.cend(); ++it) {
            assignments << it.key() + QStringLiteral(" = ?");
            params << it.value();
        }
        params << documentId;
        ok = execOne(q, QStringLiteral("UPDATE Rechnungen SET ") + assignments.join(QStringLiteral(", "))
                            + QStringLiteral(" WHERE ID = ?"),
                     params);
    }
    if (ok && !nextInvoiceNumber.isEmpty())
        ok = execOne(q, QStringLiteral("UPDATE Einstellungen SET Rechnungsnummer = ? WHERE ID = ?"),
                     {nextInvoiceNumber, settingsId});
    if (ok && con.commit())
        return true;
    if (reason) {
        *reason = databaseReason(q.lastError());
        if (reason->isEmpty())
            *reason = databaseReason(con.lastError());
        if (reason->isEmpty())
            *reason = QStringLiteral("Das Dokument oder die Einstellungen wurden nicht gefunden.");
    }
    con.rollback();
    return false;
}

} // namespace quittora
