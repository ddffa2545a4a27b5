#pragma once

#include <QChar>
#include <QString>

namespace quittora {

// What printing a document does to its number and to the next invoice number.
struct InvoiceNumberAssignment {
    enum class Outcome {
        Unchanged,         // a quote, or an invoice that has its number already
        Assigned,          // write `number` into `a7` and `nextNumber` into `Rechnungsnummer`
        NextNumberMissing, // an invoice without number, but no next number is set: write nothing
    };
    Outcome outcome = Outcome::Unchanged;
    QString number;     // the document's number (`a7`) when Assigned
    QString nextNumber; // the settings' next number when Assigned
    QString message;    // German text for the user when NextNumberMissing

    bool assigned() const { return outcome == Outcome::Assigned; }
};

// Only a document of the kind "Rechnung" without a number gets one: the next
// number exactly as typed ("0815"). The next number then becomes its leading
// number plus one, written as plain number text ("816").
InvoiceNumberAssignment assignInvoiceNumber(const QString& kind, const QString& currentNumber,
                                            const QString& nextNumber, QChar decimalSeparator);

} // namespace quittora
