#include "documents/DocumentChanges.h"
#include "platform/ErrorTexts.h"

#include "data/Database.h"
#include "documents/InvoiceNumber.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
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

namespace {

// Reads one row's first columns; false on a query error (not on a missing row).
bool readRow(QSqlQuery& q, const QString& sql, const QVariantList& params, QVariantList* row)
{
    row->clear();
    if (!q.prepare(sql))
        return false;
    for (const QVariant& p : params)
        q.addBindValue(p);
    if (!q.exec())
        return false;
    if (q.next()) {
        for (int i = 0; i < q.record().count(); ++i)
            row->append(q.value(i));
    } else if (q.lastError().isValid()) {
        return false;
    }
    q.finish();
    return true;
}

// Takes the next number for the document inside the open transaction. False
// with *reason when no number can be given; *failedQuery when a read failed.
bool claimNumber(QSqlQuery& q, qint64 documentId, qint64 settingsId, NumberClaim& claim,
                 QHash<QString, QString>& changes, QString* reason, bool* failedQuery)
{
    QVariantList row;
    if (!readRow(q, QStringLiteral("SELECT a7 FROM Rechnungen WHERE ID = ?"), {documentId}, &row)) {
        *failedQuery = true;
        return false;
    }
    if (row.isEmpty()) {
        *reason = QStringLiteral("Das Dokument wurde nicht gefunden.");
        return false;
    }
    const QString current = row.value(0).toString().trimmed();
    if (!current.isEmpty()) {
        // Numbered meanwhile by another run: it keeps that number.
        claim.number = current;
        claim.nextNumber.clear();
        changes.remove(QStringLiteral("a7"));
        return true;
    }
    if (!readRow(q, QStringLiteral("SELECT Rechnungsnummer FROM Einstellungen WHERE ID = ?"), {settingsId}, &row)) {
        *failedQuery = true;
        return false;
    }
    if (row.isEmpty()) {
        *reason = QStringLiteral("Die Einstellungen wurden nicht gefunden.");
        return false;
    }
    const QString next = row.value(0).toString();
    const InvoiceNumberAssignment a =
        assignInvoiceNumber(QStringLiteral("Rechnung"), QString(), next, claim.decimalSeparator);
    if (!a.assigned()) {
        *reason = a.message;
        return false;
    }
    if (!readRow(q,
                 QStringLiteral("SELECT ID, a8, a2 FROM Rechnungen WHERE trim(a7) = trim(?) AND ID <> ? "
                                "ORDER BY ID LIMIT 1"),
                 {a.number, documentId}, &row)) {
        *failedQuery = true;
        return false;
    }
    if (!row.isEmpty()) {
        *reason = QStringLiteral("Die Rechnungsnummer %1 trägt bereits die Rechnung vom %2 an %3 (ID %4).\n"
                                 "Bitte tragen Sie bei „nächste R-Nr.“ eine Nummer ein, die noch frei ist. "
                                 "Es wurde nichts gespeichert.")
                      .arg(a.number.trimmed(), row.value(1).toString(), row.value(2).toString(),
                           row.value(0).toString());
        return false;
    }
    claim.number = a.number;
    claim.nextNumber = a.nextNumber;
    changes.insert(QStringLiteral("a7"), a.number);
    return true;
}

} // namespace

bool storeDocumentChanges(const Database& db, qint64 documentId, QHash<QString, QString> documentChanges,
                          qint64 settingsId, NumberClaim* claim, QString* reason)
{
    const bool numbering = claim && claim->wanted;
    QSqlDatabase con = db.connection();
    // What the document holds already needs no write, and no wait for the
    // disk: printing or saving an issued invoice again changes nothing. A
    // failed read leaves the write to find and report the fault.
    if (!numbering && !documentChanges.isEmpty()) {
        const QStringList fields = documentChanges.keys();
        QSqlQuery read(con);
        if (read.prepare(QStringLiteral("SELECT ") + fields.join(QStringLiteral(", "))
                         + QStringLiteral(" FROM Rechnungen WHERE ID = ?"))) {
            read.addBindValue(documentId);
            if (read.exec() && read.next()) {
                for (int i = 0; i < fields.size(); ++i) {
                    if (!read.isNull(i) && read.value(i).toString() == documentChanges.value(fields.at(i)))
                        documentChanges.remove(fields.at(i));
                }
            }
        }
    }
    if (documentChanges.isEmpty() && !numbering)
        return true;
    QString why;
    const auto fail = [&](const QString& text) {
        if (reason)
            *reason = text;
        return false;
    };
    QSqlQuery q(con);
    // Immediate: the write lock is taken before the next number is read, so a
    // second program waits here instead of reading the same number.
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail(databaseReason(q.lastError()));
    const auto rollback = [&con]() {
        QSqlQuery r(con);
        r.exec(QStringLiteral("ROLLBACK"));
    };
    bool failedQuery = false;
    if (numbering && !claimNumber(q, documentId, settingsId, *claim, documentChanges, &why, &failedQuery)) {
        if (failedQuery)
            why = databaseReason(q.lastError());
        rollback();
        return fail(why);
    }
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
    if (ok && numbering && !claim->nextNumber.isEmpty())
        ok = execOne(q, QStringLiteral("UPDATE Einstellungen SET Rechnungsnummer = ? WHERE ID = ?"),
                     {claim->nextNumber, settingsId});
    if (ok) {
        q.finish();
        if (q.exec(QStringLiteral("COMMIT")))
            return true;
    }
    why = databaseReason(q.lastError());
    if (why.isEmpty())
        why = QStringLiteral("Das Dokument oder die Einstellungen wurden nicht gefunden.");
    rollback();
    return fail(why);
}

} // namespace quittora
