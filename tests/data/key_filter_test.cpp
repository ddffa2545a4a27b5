#include "data/KeyFilter.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace quittora;

namespace {

const KeyDecision kAccept{KeyDecision::Action::Accept, QChar()};
const KeyDecision kReject{KeyDecision::Action::Reject, QChar()};

KeyDecision becomes(char c)
{
    return {KeyDecision::Action::Replace, QLatin1Char(c)};
}

} // namespace

TEST(AmountKeyFilter, CommaSystemTurnsPointIntoComma)
{
    const QChar sep = QLatin1Char(',');
    EXPECT_EQ(amountKey(QLatin1Char('.'), sep), becomes(','));
    EXPECT_EQ(amountKey(QLatin1Char(','), sep), kAccept);
    for (char c : {'0', '5', '9', '-'})
        EXPECT_EQ(amountKey(QLatin1Char(c), sep), kAccept) << c;
    EXPECT_EQ(amountKey(kBackspaceKey, sep), kAccept);
    EXPECT_EQ(amountKey(kEnterKey, sep), kAccept);
    for (char c : {'a', 'E', '+', ' ', '/'})
        EXPECT_EQ(amountKey(QLatin1Char(c), sep), kReject) << c;
    EXPECT_EQ(amountKey(QChar(0x00E4), sep), kReject);
}

TEST(AmountKeyFilter, PointSystemTakesOnlyTheCommaAsDecimalKey)
{
    const QChar sep = QLatin1Char('.');
    EXPECT_EQ(amountKey(QLatin1Char(','), sep), becomes('.'));
    EXPECT_EQ(amountKey(QLatin1Char('.'), sep), kReject);
    EXPECT_EQ(amountKey(QLatin1Char('7'), sep), kAccept);
    EXPECT_EQ(amountKey(QLatin1Char('-'), sep), kAccept);
    EXPECT_EQ(amountKey(QLatin1Char('x'), sep), kReject);
}

TEST(AmountKeyFilter, OtherSeparatorsUseTheCommonSet)
{
    // A locale with neither separator: no rewriting; "," passes, "." does not.
    const QChar sep = QChar(0x066B);
    EXPECT_EQ(amountKey(QLatin1Char(','), sep), kAccept);
    EXPECT_EQ(amountKey(QLatin1Char('.'), sep), kReject);
}

TEST(InvoiceNumberKeyFilter, DigitsMinusBackspaceEnterOnly)
{
    for (char c : {'0', '8', '-'})
        EXPECT_EQ(invoiceNumberKey(QLatin1Char(c)), kAccept) << c;
    EXPECT_EQ(invoiceNumberKey(kBackspaceKey), kAccept);
    EXPECT_EQ(invoiceNumberKey(kEnterKey), kAccept);
    for (char c : {',', '.', 'R', '/'})
        EXPECT_EQ(invoiceNumberKey(QLatin1Char(c)), kReject) << c;
}

TEST(KeyFilters, LetEditingCommandsThrough)
{
    for (char16_t c : {char16_t(3), char16_t(22), char16_t(9), char16_t(27), char16_t(0x7F)}) {
        EXPECT_EQ(amountKey(QChar(c), QLatin1Char(',')), kAccept) << int(c);
        EXPECT_EQ(invoiceNumberKey(QChar(c)), kAccept) << int(c);
    }
}

TEST(KeyFilters, MessageIsExact)
{
    EXPECT_EQ(wrongInputMessage(), QStringLiteral("Falsche Eingabe !      nur Zahlenwerte erlaubt"));
    EXPECT_EQ(wrongInputTitle(), QStringLiteral("Fehler"));
}
