#pragma once

#include "data/CompanySettings.h"
#include "export/EInvoice.h"
#include "documents/Document.h"
#include "documents/Totals.h"

#include <QStringList>

namespace quittora::einvoice {

// What an e-invoice is made from: the prepared document (totals and number
// as printed), the settings record, and the customer's e-invoice data.
struct Source {
    documents::Head head;
    QList<documents::Line> lines;
    CompanySettings company;
    QString reference;     // `Referenz` of the document (BT-10)
    QString deliveryDate;  // `Leistungsdatum`, "dd.mm.yyyy"; empty: the document date
    QString precedingNumber; // `Bezugsrechnung`: the invoice a cancellation cancels (BT-25)
    QString precedingDate;   // `Bezugsdatum`, "dd.mm.yyyy" (BT-26)
    QString buyerCountry;  // the customer's `Land`
    QString buyerVatId;    // the customer's `UStIdNr`
    QString buyerEmail;    // the customer's `a40`, when the document has no `b10`
    QString skontoPercent; // the customer's own percent, may be empty
    PriceBasis basis = PriceBasis::Net;
    QChar decimalSeparator = QLatin1Char(',');
};

struct Result {
    Invoice invoice;
    // German, one entry a missing or wrong item with where to enter it;
    // empty when the invoice may be written.
    QStringList missing;
    bool ok() const { return missing.isEmpty(); }
};

// The e-invoice of a prepared invoice. The figures are the paper's: net,
// VAT and amount due equal `a14`, `a75` and `a6` as `berechnen` gives them.
Result build(const Source& source, Profile profile);

// UN/ECE Recommendation 20 code of a unit as users type it ("Stk." H87).
QString unitCode(const QString& unit);

// "EUR" for "EUR" or "€", an ISO 4217 code as typed, empty for anything else.
QString currencyCode(const QString& currency);

// Postal code and town of a line "12345 Musterstadt" (also "D-12345", "A-1010").
struct TownLine {
    QString postcode;
    QString city;
};
TownLine splitTownLine(const QString& line);

} // namespace quittora::einvoice
