#pragma once

#include "documents/Document.h"

#include <QImage>
#include <QString>

#include <optional>

namespace quittora {

class CompanySettings;

// The GiroCode (EPC QR code, EPC069-12 version 002) on page 1 of an invoice:
// the customer's banking app reads the transfer from it, so payee, IBAN,
// amount and the invoice number arrive without a typing error.
struct GiroCode {
    QString name;       // the account holder, else the company name (at most 70 characters)
    QString iban;       // without blanks
    QString bic;        // may be empty (version 002)
    QString amount;     // "1234.56": the amount due in euros
    QString remittance; // "Rechnung 1001"

    // The code's text: the eleven lines of the standard, UTF-8 (character set 1).
    QString payload() const;
};

// The code of an invoice: only for an invoice (not a quote) with a number,
// a sound IBAN in the settings, euros as its currency and an amount due
// above 0; nothing otherwise.
std::optional<GiroCode> giroCodeFor(const documents::Head& head, const CompanySettings& settings, QChar decimalSeparator);

// The QR code of a payload at error correction level M, black modules on
// white with the quiet zone of four modules, `pixelsPerModule` wide; a null
// image when libqrencode cannot encode it.
QImage giroCodeImage(const QString& payload, int pixelsPerModule = 8);

} // namespace quittora
