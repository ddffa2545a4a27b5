#pragma once

#include "export/EInvoice.h"
#include "documents/Preparation.h"

#include <QStringList>

namespace quittora {

class Database;

namespace einvoice {

// Saving an invoice as an e-invoice file, as the menu command and
// quittora-cli xrechnung do: totals recomputed as for printing, everything
// the rules need checked before anything is written, an unnumbered invoice
// numbered in the transaction that stores it, the file written whole.
struct ExportResult {
    enum class Status {
        Written,
        UnknownDocument, // no document with that ID
        Incomplete,      // data missing or wrong: missing says what and where; nothing written or stored
        Failed,          // reading, storing or writing failed: message says why
    };
    Status status = Status::Failed;
    QString message;     // German
    QStringList missing; // German, one entry per item, when Incomplete
    QString number;      // the invoice's number as written
};

// The check alone, before a file is chosen: Written (meaning "may be
// written", number = the number it will get) or what exportInvoice would
// answer. Reads only.
ExportResult check(const Database& db, qint64 documentId, const documents::Environment& env, Profile profile);

ExportResult exportInvoice(const Database& db, qint64 documentId, const documents::Environment& env, Syntax syntax,
                           Profile profile, const QString& path);

// "Rechnung 1001.xml": the file name the save dialog offers.
QString suggestedFileName(const QString& number);

} // namespace einvoice

} // namespace quittora
