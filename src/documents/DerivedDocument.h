#pragma once

#include "documents/Document.h"

#include <QDate>
#include <QString>

namespace quittora {

class Database;

namespace documents {

// New documents made from an existing one. An issued invoice is never
// changed: a mistake in it is corrected by cancelling it and writing a new
// one, and the cancelled number stays in the sequence.
enum class Derivation {
    Copy,              // "Rechnung kopieren": any document, a draft of the same kind
    Cancellation,      // "Rechnung stornieren": a numbered invoice, every amount negated
    InvoiceFromQuote,  // "Angebot in Rechnung übernehmen": a quote becomes an invoice draft
};

struct Derived {
    qint64 id = -1;  // the new document's ID
    QString message; // German reason when refused or failed; nothing was written then

    bool ok() const { return id >= 0; }
};

// Writes the new document and its lines in one transaction: dated today,
// without number (it gets one when it is issued), not paid, with totals
// computed as `berechnen` computes them. The source stays as it was.
Derived derive(const Database& db, qint64 sourceId, Derivation how, const QDate& today, const Environment& env);

// The text line a cancellation starts with.
QString cancellationText(const QString& number, const QString& date);

} // namespace documents

} // namespace quittora
