#pragma once

#include "export/EmailMessage.h"
#include "workspace/Totals.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace quittora {

class CompanySettings;
class Database;

namespace email {

// The customer the document belongs to, as far as the e-mail needs it.
struct Customer {
    QString email;  // `a40`
    QString skonto; // `a9`: the customer's own cash-discount percent
};

// What the calculation needs besides the document and the settings.
struct Environment {
    PriceBasis basis = PriceBasis::Net; // `Rechnungsbasis`
    QChar decimalSeparator = QLatin1Char(',');
    QString shortDateFormat = QStringLiteral("dd.MM.yyyy");
};

// Everything creating the e-mail of a document does, worked out from values.
struct Preparation {
    enum class Outcome {
        Ready,         // apply the changes, put clipboardText on the clipboard, write message
        TotalsFailed,  // the totals cannot be computed: say message, change nothing
        NumberMissing, // an invoice without number and no next number: say message, change nothing
    };
    Outcome outcome = Outcome::Ready;
    QString title;   // German message box title when not Ready
    QString message; // German message text when not Ready

    Head head; // the head as it is to be stored and as the message shows it
    // The document fields to store, by field name: the recomputed totals, a
    // newly assigned number (`a7`), the address taken from the customer (`b10`).
    QHash<QString, QString> documentChanges;
    // Non-empty: the settings' next invoice number (`Rechnungsnummer`) to store.
    QString nextInvoiceNumber;
    // The invoice takes its number as it is stored (the number above is the
    // one expected until then).
    bool numberWanted = false;
    QChar decimalSeparator = QLatin1Char(',');
    // The address the message goes to, for the clipboard (so it can be pasted
    // where a mail program ignores the file's recipient); when empty the
    // clipboard is left as it is.
    QString clipboardText;
    QByteArray messageBytes;

    bool ready() const { return outcome == Outcome::Ready; }
};

// The steps before the file is written: totals (berechnen), the next
// invoice number for an invoice without one, the clipboard text, the
// customer's address when the document has none; then the message itself.
Preparation prepare(const Head& head, const QList<Line>& lines, const Customer& customer,
                    const CompanySettings& settings, const Environment& env);

// Reading from the database (the windows read the same through their record
// sources). The lines in the order the main window shows them (by `ID`).
// nullopt when there is no such document or the database cannot answer.
std::optional<Head> loadHead(const Database& db, qint64 documentId);
// nullopt when the database cannot answer (never a silently empty list:
// totals computed from it would be stored).
std::optional<QList<Line>> loadLines(const Database& db, qint64 documentId);
// The customer whose `ID` is the document's `b1`; an empty Customer when
// there is none, nullopt when the database cannot answer.
std::optional<Customer> loadCustomer(const Database& db, const QString& customerId);

// Stores the changes of a Ready preparation in one transaction: the document
// fields and, for an unnumbered invoice, the next number as it is at that
// moment (the preparation's head then carries it). False and a German *error
// otherwise.
bool storeChanges(const Database& db, qint64 documentId, const CompanySettings& settings,
                  Preparation& preparation, QString* error);

// The whole command without windows (quittora-cli): load, prepare, store,
// write the file at path (replacing it).
struct ExportResult {
    enum class Status {
        Written,
        UnknownDocument, // no document with that ID
        Refused,         // Preparation not Ready; message says why
        Failed,          // reading, storing or writing failed; message says why
    };
    Status status = Status::Failed;
    QString message;
    Preparation preparation;
};
ExportResult exportDocument(const Database& db, qint64 documentId, const Environment& env, const QString& path);

} // namespace email

} // namespace quittora
