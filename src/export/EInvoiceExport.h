#pragma once

#include "data/CompanySettings.h"
#include "export/EInvoice.h"
#include "export/EInvoiceBuilder.h"
#include "documents/Preparation.h"

#include <QStringList>

#include <optional>

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

// Everything before the first write: read, prepared as for printing, built
// with the number the invoice is expected to get. For the ZUGFeRD PDF and the
// invoice mail, which put the e-invoice together with the printed pages.
struct Prepared {
    ExportResult result; // Incomplete, UnknownDocument or Failed when not ready
    bool ready = false;
    Profile profile = Profile::En16931;
    CompanySettings settings;
    documents::Customer customer;
    documents::Preparation prep;
    Source source;
    Result built;
};

// No profile: the one the invoice's customer asks for, XRechnung for one with
// a Leitweg-ID (an authority), the plain EN 16931 profile otherwise.
Prepared prepareInvoice(const Database& db, qint64 documentId, const documents::Environment& env,
                        std::optional<Profile> profile);

// Stores a ready preparation (an unnumbered invoice takes its number in that
// transaction) and builds the e-invoice again when the number differs from
// the one expected. False with a German *error and nothing stored otherwise.
bool storePrepared(const Database& db, qint64 documentId, Prepared& p, QString* error);

// "Rechnung 1001.xml": the file name the save dialog offers.
QString suggestedFileName(const QString& number);

} // namespace einvoice

} // namespace quittora
