#include "tools/SettingsRules.h"

#include "platform/Context.h"
#include "platform/SettingsStore.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace quittora;
using namespace quittora::settingsrules;

namespace {

const KeyDecision kAccept{KeyDecision::Action::Accept, QChar()};
const KeyDecision kReject{KeyDecision::Action::Reject, QChar()};

KeyDecision becomes(char c)
{
    return {KeyDecision::Action::Replace, QLatin1Char(c)};
}

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

class RegistryValuesTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<SettingsStore> store = makeQtSettingsStore(dir.filePath(QStringLiteral("q.ini")));
};

} // namespace

TEST_F(RegistryValuesTest, FreshInstallationIsNetBlackTitleWithReceipt)
{
    const RegistryValues v = readRegistryValues(*store);
    EXPECT_EQ(v.Rechnungsbasis, 0);
    EXPECT_EQ(v.titleColour, QColor(0, 0, 0));
    EXPECT_TRUE(v.receiptConfirmation);
}

TEST_F(RegistryValuesTest, WrittenValuesAreTextUnderTheirKeysAndReadBack)
{
    RegistryValues v;
    v.titleColour = QColor(255, 0, 0);
    v.Rechnungsbasis = 1;
    v.receiptConfirmation = false;
    writeRegistryValues(*store, v);
    EXPECT_EQ(store->value(s("Schriftfarbe Titel")), s("255"));
    EXPECT_EQ(store->value(s("Rechnungsbasis")), s("1"));
    EXPECT_EQ(store->value(s("Empfangsbestätigung")), s("0"));
    EXPECT_EQ(readRegistryValues(*store), v);
}

TEST_F(RegistryValuesTest, StartTakesThePriceBasisIntoTheProgramState)
{
    ProgramState state;
    state.Rechnungsbasis = 1;
    loadRechnungsbasis(*store, state);
    EXPECT_EQ(state.Rechnungsbasis, 0);
    store->setValue(s("Rechnungsbasis"), s("1"));
    loadRechnungsbasis(*store, state);
    EXPECT_EQ(state.Rechnungsbasis, 1);
}

TEST_F(RegistryValuesTest, DamagedValuesFallBackToUsableOnes)
{
    store->setValue(s("Schriftfarbe Titel"), s("rot"));
    store->setValue(s("Rechnungsbasis"), s("7"));
    store->setValue(s("Empfangsbestätigung"), s("ja"));
    const RegistryValues v = readRegistryValues(*store);
    EXPECT_EQ(v.titleColour, QColor(0, 0, 0));
    EXPECT_EQ(v.Rechnungsbasis, 0);
    EXPECT_TRUE(v.receiptConfirmation);
}

TEST(ColourNumbers, AreRedPlusGreenTimes256PlusBlueTimes65536)
{
    EXPECT_EQ(colourFromNumber(s("255")), QColor(255, 0, 0));
    EXPECT_EQ(colourFromNumber(s("65535")), QColor(255, 255, 0));
    EXPECT_EQ(colourFromNumber(s("12566463")), QColor(0xBF, 0xBF, 0xBF));
    EXPECT_EQ(colourFromNumber(s("16711680")), QColor(0, 0, 255));
    EXPECT_EQ(colourNumber(QColor(0, 0, 255)), s("16711680"));
    EXPECT_EQ(colourNumber(QColor(0x12, 0x34, 0x56)), QString::number(0x563412));
    EXPECT_EQ(colourNumber(QColor(255, 255, 255)), s("16777215"));
    EXPECT_EQ(colourNumber(colourFromNumber(s("8421631"))), s("8421631"));
}

TEST(ColourNumbers, TextThatIsNoColourGivesTheFallback)
{
    const QColor grey(0xBF, 0xBF, 0xBF);
    for (const char* bad : {"", "abc", "-1", "16777216", "12.5"})
        EXPECT_EQ(colourFromNumber(s(bad), grey), grey) << bad;
}

TEST(WebAddress, GetsHttpInFrontWhenItHasNoScheme)
{
    EXPECT_EQ(withWebScheme(s("www.ihre-firma.de")), s("http://www.ihre-firma.de"));
    EXPECT_EQ(withWebScheme(s("http://www.ihre-firma.de")), s("http://www.ihre-firma.de"));
    EXPECT_EQ(withWebScheme(s("https://www.ihre-firma.de")), s("https://www.ihre-firma.de"));
    EXPECT_EQ(withWebScheme(s("HTTP://WWW.X.DE")), s("HTTP://WWW.X.DE"));
    // "http:" alone is not a scheme with its slashes.
    EXPECT_EQ(withWebScheme(s("http:/x.de")), s("http://http:/x.de"));
}

TEST(WebAddress, EmptyFieldStaysEmpty)
{
    EXPECT_EQ(withWebScheme(QString()), QString());
    EXPECT_EQ(withWebScheme(s("  ")), s("  "));
}

TEST(ClosingCheck, BothRatesFilledWithNumbersMayClose)
{
    EXPECT_TRUE(checkVatRates(s("19"), s("7"), QLatin1Char(',')).ok());
    EXPECT_TRUE(checkVatRates(s("0"), s("0"), QLatin1Char(',')).ok());
    EXPECT_TRUE(checkVatRates(s("7,5"), s(" 19 "), QLatin1Char(',')).ok());
    EXPECT_TRUE(checkVatRates(s("7.5"), s("19"), QLatin1Char('.')).ok());
    EXPECT_TRUE(checkVatRates(s("19"), s("7"), QLatin1Char(',')).message().isEmpty());
}

TEST(ClosingCheck, AnEmptyRateBlocksWithTheMessageAndNamesWhichOne)
{
    VatCheck c = checkVatRates(s("19"), QString(), QLatin1Char(','));
    EXPECT_FALSE(c.ok());
    EXPECT_EQ(c.rate1, VatProblem::None);
    EXPECT_EQ(c.rate2, VatProblem::Empty);
    EXPECT_EQ(c.message(), s("Die Felder für MwSt müssen einen Wert enthalten"));

    c = checkVatRates(s("   "), s(""), QLatin1Char(','));
    EXPECT_EQ(c.rate1, VatProblem::Empty);
    EXPECT_EQ(c.rate2, VatProblem::Empty);
    EXPECT_EQ(closingTitle(), s("Quittora"));
}

TEST(ClosingCheck, ARateThatIsNoNumberBlocksToo)
{
    VatCheck c = checkVatRates(s("-"), s("7"), QLatin1Char(','));
    EXPECT_EQ(c.rate1, VatProblem::NotANumber);
    EXPECT_EQ(c.message(), vatNotANumberMessage());
    // "7,5" written on a '.' system would be read as something else.
    c = checkVatRates(s("19"), s("7,5"), QLatin1Char('.'));
    EXPECT_EQ(c.rate2, VatProblem::NotANumber);
    // An empty rate is named first when both kinds of fault are there.
    EXPECT_EQ(checkVatRates(s("1,2,3"), s(""), QLatin1Char(',')).message(), vatEmptyMessage());
}

TEST(SettingsKeyFilters, CopiesTakeDigitsMinusCommaBackspaceEnterUnderBothSeparators)
{
    for (QChar sep : {QLatin1Char(','), QLatin1Char('.')}) {
        for (char c : {'0', '7', '9', '-', ','})
            EXPECT_EQ(copiesKey(QLatin1Char(c), sep), kAccept) << c;
        EXPECT_EQ(copiesKey(kBackspaceKey, sep), kAccept);
        EXPECT_EQ(copiesKey(kEnterKey, sep), kAccept);
        for (char c : {'.', 'a', ' ', '+'})
            EXPECT_EQ(copiesKey(QLatin1Char(c), sep), kReject) << c;
    }
}

TEST(SettingsKeyFilters, VatRatesTakeTheDecimalPointAsTheLocaleWritesIt)
{
    const QChar comma = QLatin1Char(',');
    const QChar point = QLatin1Char('.');
    EXPECT_EQ(vatRateKey(QLatin1Char('.'), comma), becomes(','));
    EXPECT_EQ(vatRateKey(QLatin1Char(','), comma), kAccept);
    EXPECT_EQ(vatRateKey(QLatin1Char(','), point), becomes('.'));
    for (QChar sep : {comma, point}) {
        for (char c : {'1', '9', '-'})
            EXPECT_EQ(vatRateKey(QLatin1Char(c), sep), kAccept) << c;
        for (char c : {'%', 'x', ' '})
            EXPECT_EQ(vatRateKey(QLatin1Char(c), sep), kReject) << c;
    }
}

TEST(SettingsKeyFilters, NextInvoiceNumberTakesDigitsOnly)
{
    for (QChar sep : {QLatin1Char(','), QLatin1Char('.')}) {
        for (char c : {'0', '5', '9'})
            EXPECT_EQ(nextInvoiceNumberKey(QLatin1Char(c), sep), kAccept) << c;
        EXPECT_EQ(nextInvoiceNumberKey(kBackspaceKey, sep), kAccept);
        EXPECT_EQ(nextInvoiceNumberKey(kEnterKey, sep), kAccept);
        for (char c : {',', '.', '-', 'a', ' '})
            EXPECT_EQ(nextInvoiceNumberKey(QLatin1Char(c), sep), kReject) << c;
    }
}

TEST(SettingsKeyFilters, MessagesDifferOnlyInTheBlankOfVatRate1)
{
    EXPECT_EQ(vatRate1WrongInputMessage(), s("Falsche Eingabe!      nur Zahlenwerte erlaubt"));
    EXPECT_EQ(wrongInputMessage(), s("Falsche Eingabe !      nur Zahlenwerte erlaubt"));
}

TEST(LogoPreview, FitsTheSquareKeepingProportions)
{
    EXPECT_EQ(fitIntoSquare(QSizeF(4000, 1000), 2000), QSizeF(2000, 500));
    EXPECT_EQ(fitIntoSquare(QSizeF(1000, 4000), 2000), QSizeF(500, 2000));
    EXPECT_EQ(fitIntoSquare(QSizeF(300, 300), 2000), QSizeF(2000, 2000));
    // Small pictures are enlarged to the square as well.
    EXPECT_EQ(fitIntoSquare(QSizeF(20, 10), kLogoPreviewPixels), QSizeF(133, 66.5));
    EXPECT_TRUE(fitIntoSquare(QSizeF(0, 10), 2000).isEmpty());
    EXPECT_TRUE(fitIntoSquare(QSizeF(), 2000).isEmpty());
    EXPECT_EQ(kLogoPreviewPixels, 133);
}
