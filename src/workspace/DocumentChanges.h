#pragma once

#include <QHash>
#include <QString>

namespace quittora {

class Database;

// Stores what getting a document ready for print or mail changed: its fields
// (recomputed totals, a newly assigned number, an address taken from the
// customer) and the settings' next invoice number. Both go in one transaction,
// so a document never keeps a number that the next number has not moved past.
// Field names come from the program, never from the user. On failure nothing
// is stored and `reason` says why (database text, or that a record is gone).
bool storeDocumentChanges(const Database& db, qint64 documentId, const QHash<QString, QString>& documentChanges,
                          qint64 settingsId, const QString& nextInvoiceNumber, QString* reason);

} // namespace quittora
