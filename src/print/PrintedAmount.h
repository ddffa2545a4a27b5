#pragma once

#include "data/Decimal.h"

#include <QChar>
#include <QString>

namespace quittora {

// An amount as printed documents show it: two decimals with the locale's
// separator, a blank and the currency unit ("1234,50 EUR").
QString printedAmount(Decimal value, QChar decimalSeparator, const QString& currency);

// The same for an amount stored as text; the text is read as a number in the
// locale's form. Text that is no number is printed as it stands, followed by
// the unit, so nothing the user typed silently disappears from the page.
QString printedAmount(const QString& storedAmount, QChar decimalSeparator, const QString& currency);

} // namespace quittora
