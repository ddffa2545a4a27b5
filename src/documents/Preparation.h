#pragma once

#include "documents/Document.h"

#include <QHash>
#include <QString>

namespace quittora {

class CompanySettings;
class Database;

namespace documents {

// What getting a document ready to print as an invoice, to mail or to save as
// an e-invoice works out from values, before anything is stored.
struct Preparation {
    enum class Outcome {
        Ready,         // store the changes, then write the document
        TotalsFailed,  // the totals cannot be computed: say message, change nothing
        NumberMissing, // an invoice without number and no next number: say message, change nothing
    };
    Outcome outcome = Outcome::Ready;
    QString title;   // German message box title when not Ready
    QString message; // German message text when not Ready

    Head head; // the head as it is to be stored and as the document shows it
    // The document fields to store, by field name: the recomputed totals, a
    // newly assigned number (`a7`), the address taken from the customer (`b10`).
    QHash<QString, QString> documentChanges;
    // Non-empty: the settings' next invoice number (`Rechnungsnummer`) to store.
    QString nextInvoiceNumber;
    // The invoice takes its number as it is stored (the number above is the
    // one expected until then).
    bool numberWanted = false;
    QChar decimalSeparator = QLatin1Char(',');
    // An issued invoice under the lock (isLocked()): its stored totals and
    // head as they are, nothing to store.
    bool locked = false;

    bool ready() const { return outcome == Outcome::Ready; }
};

// Whether the document is an issued invoice that the settings lock
// (`Festschreiben`): printing, mailing and the e-invoice then reproduce it
// from what is stored, and nothing of it is written.
bool isLocked(const Head& head, const CompanySettings& settings);

// Totals (berechnen), the next invoice number for an invoice without one,
// the customer's address when the document has none.
Preparation prepare(const Head& head, const QList<Line>& lines, const Customer& customer,
                    const CompanySettings& settings, const Environment& env);

// Stores the changes of a Ready preparation in one transaction: the document
// fields and, for an unnumbered invoice, the next number as it is at that
// moment (the preparation's head then carries it). False and a German *error
// otherwise.
bool storeChanges(const Database& db, qint64 documentId, const CompanySettings& settings,
                  Preparation& preparation, QString* error);

} // namespace documents

} // namespace quittora
