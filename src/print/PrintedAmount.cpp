#include "print/PrintedAmount.h"

#include "data/Numbers.h"

namespace quittora {

QString printedAmount(Decimal value, QChar decimalSeparator, const QString& currency)
{
    return amountText(value, decimalSeparator) + QLatin1Char(' ') + currency;
}

QString printedAmount(const QString& storedAmount, QChar decimalSeparator, const QString& currency)
{
    if (const auto value = localeNumber(storedAmount, decimalSeparator))
        return printedAmount(*value, decimalSeparator, currency);
    return storedAmount.trimmed() + QLatin1Char(' ') + currency;
}

} // namespace quittora
