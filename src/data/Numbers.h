#pragma once

#include "data/Decimal.h"

#include <QDate>
#include <QString>

#include <optional>

namespace quittora {

// The two text-to-number conversions of the program. They are deliberately
// different and every caller names the one it means:
//
// localeNumber: the user's number as the locale writes it, for sums and rates.
//   Surrounding blanks are ignored; an optional sign, digits and at most one
//   decimal separator (the locale's) are accepted. Anything else is not a
//   number (nullopt): "12,50" is 12.5 under ',' and nothing under '.'.
std::optional<Decimal> localeNumber(QStringView text, QChar decimalSeparator);

// leadingNumber: the longest leading number with '.' as decimal point; blanks,
//   tabs and line feeds anywhere in the number are skipped; an exponent (E or D)
//   is read; text without a leading number gives 0. "0815" is 815, "12,50" is
//   12, "abc" is 0. Used for zero tests, cash-discount percent and days and the
//   next invoice number.
Decimal leadingNumber(QStringView text);

// Amount text: "0.00" with the given decimal separator, rounded half away
// from zero.
QString amountText(Decimal value, QChar decimalSeparator);

// Plain number text as a calculation shows it before formatting ("150",
// "12,5"): no trailing zeros, the given decimal separator.
QString plainNumberText(Decimal value, QChar decimalSeparator);

// Dates as the program stores them: "dd.mm.yyyy".
QString dateText(const QDate& date);
// Reads "d.m.yyyy" / "dd.mm.yyyy" (also two-digit years, taken as 20yy);
// an invalid QDate when the text is no date.
QDate parseDateText(QStringView text);

} // namespace quittora
