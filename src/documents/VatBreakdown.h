#pragma once

#include "data/Decimal.h"
#include "documents/Document.h"
#include "documents/Totals.h"

#include <QChar>
#include <QList>

namespace quittora::documents {

// The VAT of a document rate by rate, as `berechnen` computes it: the VAT of
// a rate is taken from the sum of its lines (not line by line), so the rates'
// net amounts and VAT add up to the document's net total, VAT total and
// amount due to the cent. Printed invoices and e-invoices both show it.

// One line's amount (net or gross by the price basis) at its VAT rate.
struct RatedAmount {
    Decimal amount;
    Decimal rate; // percent
};

struct RateShare {
    Decimal rate;       // percent
    Decimal lineSum;    // the lines' amounts as stored (net or gross by the price basis)
    Decimal net;
    Decimal vat;        // rounded to the cent
    QList<int> members; // indexes of the rate's lines in the input
};

// The rates in ascending order, each with its lines; none for a rate without lines.
QList<RateShare> vatByRate(const QList<RatedAmount>& lines, PriceBasis basis);

struct VatBreakdown {
    QList<RateShare> rates;
    // Lines whose rate is no percentage from 0 to 100 (empty, typed wrong):
    // part of the total, but without VAT, as `berechnen` counts them.
    Decimal withoutRate;
    bool hasLinesWithoutRate = false;

    bool chargesVat() const;
};

// The breakdown of a document's lines read as `berechnen` reads them: text
// lines and amounts that are no number add nothing. The net amounts are in
// cents and add up to the net total as `berechnen` rounds it.
VatBreakdown vatBreakdown(const QList<Line>& lines, PriceBasis basis, QChar decimalSeparator);

} // namespace quittora::documents
