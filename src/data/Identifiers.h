#pragma once

#include <QString>

namespace quittora::ids {

// The identifiers an e-invoice carries, checked as the user types them into
// the settings and the customer tab. Each check gives an empty string for a
// sound (or empty) value, else the German reason; normalise* gives the form
// that is stored (upper case, no blanks).

// ISO 3166-1 alpha-2 ("DE", "AT", "CH").
bool isCountryCode(const QString& code);
QString normaliseCountry(const QString& code);
QString countryProblem(const QString& code);

// IBAN (ISO 13616): country, check digits, mod 97.
QString normaliseIban(const QString& iban);
QString ibanProblem(const QString& iban);

// A VAT identifier by its country's form (DE + 9 digits, ATU + 8 digits,
// CHE + 9 digits + MWST/TVA/IVA, other EU countries by their length).
QString normaliseVatId(const QString& vatId);
QString vatIdProblem(const QString& vatId);

// BIC (ISO 9362): bank, country, location, optional branch; 8 or 11 characters.
QString normaliseBic(const QString& bic);
QString bicProblem(const QString& bic);

} // namespace quittora::ids
