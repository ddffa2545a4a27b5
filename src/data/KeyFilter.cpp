#include "data/KeyFilter.h"

namespace quittora {

namespace {

bool isEditingCommand(QChar c)
{
    const char16_t u = c.unicode();
    return (u < 0x20 || u == 0x7F) && c != kBackspaceKey && c != kEnterKey;
}

bool isBasicNumberKey(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') || c == kBackspaceKey
        || c == kEnterKey;
}

constexpr KeyDecision accept() { return {KeyDecision::Action::Accept, QChar()}; }
constexpr KeyDecision reject() { return {KeyDecision::Action::Reject, QChar()}; }

} // namespace

KeyDecision amountKey(QChar typed, QChar decimalSeparator)
{
    if (isEditingCommand(typed))
        return accept();
    if (decimalSeparator == QLatin1Char(',') && typed == QLatin1Char('.'))
        return {KeyDecision::Action::Replace, QLatin1Char(',')};
    if (decimalSeparator == QLatin1Char('.') && typed == QLatin1Char(','))
        return {KeyDecision::Action::Replace, QLatin1Char('.')};
    if (isBasicNumberKey(typed) || typed == QLatin1Char(','))
        return accept();
    return reject();
}

KeyDecision invoiceNumberKey(QChar typed)
{
    if (isEditingCommand(typed) || isBasicNumberKey(typed))
        return accept();
    return reject();
}

QString wrongInputMessage()
{
    return QStringLiteral("Falsche Eingabe !      nur Zahlenwerte erlaubt");
}

QString wrongInputTitle()
{
    return QStringLiteral("Fehler");
}

} // namespace quittora
