#pragma once

#include <QChar>
#include <QList>
#include <QString>

#include "data/CompanySettings.h"

namespace quittora {

// One document line as the totals see it.
struct TotalsLine {
    QString amount; // `a5`, line amount as stored (locale text); empty for a text line
    QString rate;   // `a19`, VAT rate of the line in percent (locale text)
};

// Price basis of the settings (the two options of the settings dialog).
enum class PriceBasis {
    Unset, // neither option selected
    Net,   // prices exclude VAT; VAT is added
    Gross, // prices include VAT
};

// Everything `berechnen` reads, as values.
struct TotalsInput {
    QList<TotalsLine> lines;
    QString vatRate1; // `MWSt` as typed in the settings
    QString vatRate2; // `frei9` as typed in the settings
    PriceBasis basis = PriceBasis::Net;
    QString skontoDays;     // `Einst18`
    QString skontoPercent;  // `Einst19`
    QString customerSkonto; // the customer's own percent (`Text35`), may be empty
    QString documentDate;   // `a8`, "dd.mm.yyyy"
    QString currency;       // `frei8`
    QChar decimalSeparator = QLatin1Char(',');
    QString shortDateFormat = QStringLiteral("dd.MM.yyyy"); // as QDate::toString takes it
    // What the document holds in `a19`, `a20`, `a21`: kept when no line has an
    // amount.
    QString storedMw1;
    QString storedMw2;
    QString storedMw3;
};

// The document fields `berechnen` writes, as their text.
struct Totals {
    QString net;        // `Text6`  / `a14`: net total, "0.00"
    QString mw1;        // `mw1`    / `a19`: sum of lines at VAT rate 1, plain number text
    QString mw2;        // `mw2`    / `a20`: sum of lines at VAT rate 2, plain number text
    QString mw3;        // `mw3`    / `a21`: sum of lines at 0 %, plain number text
    QString vat1;       // `Label57`/ `a30`: VAT at rate 1, "0.00"
    QString vat2;       // `Label59`/ `a31`: VAT at rate 2, "0.00"
    QString vatTotal;   // `Label8` / `a75`: VAT total, "0.00"
    QString gross;      // `Label17`/ `a6`:  amount due, "0.00"
    QString vatSummary; // `Label51`/ `a26`: "MwSt.19% 19,00   MwSt.7% 3,50"
    QString skontoText; // `Text37` / `b2`:  cash-discount sentence or empty

    bool operator==(const Totals&) const = default;
};

struct TotalsResult {
    enum class Error {
        None,
        VatRate1Invalid, // `MWSt` is no percentage from 0 to 100
        VatRate2Invalid, // `frei9` is no percentage from 0 to 100
        AmountTooLarge,  // a line amount beyond any real document (10^15)
    };
    Error error = Error::None;
    QString message; // German text for the user when error != None
    Totals totals;   // only meaningful when ok()

    bool ok() const { return error == Error::None; }
};

// Title of the message box for a failed calculation.
QString totalsErrorTitle();

// Recomputes all totals of a document from its lines. Pure: the caller reads
// the inputs from the document, its lines and the settings, and writes the
// result back into the document's fields (nothing is written on an error).
TotalsResult berechnen(const TotalsInput& input);

// The part of berechnen's input that comes from the settings record and the
// locale; callers add the document's lines, date, customer Skonto and stored
// per-rate sums.
TotalsInput totalsInputFromSettings(const CompanySettings& settings, PriceBasis basis, QChar decimalSeparator,
                                    const QString& shortDateFormat);

} // namespace quittora
