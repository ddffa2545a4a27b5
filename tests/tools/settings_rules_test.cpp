#include "tools/BackgroundColour.h"
#include "tools/SettingsRules.h"

#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

using namespace quittora;
using namespace quittora::settingsrules;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

// The background and the title colour are kept by two functions each; both
// pairs must follow the same Windows rule red + green*256 + blue*65536.
TEST(ColourNumbers, FollowTheWindowsRuleBothWaysAndRefuseWhatIsNoColour)
{
    const std::pair<QColor, const char*> table[] = {
        {QColor(255, 0, 0), "255"},           {QColor(0, 255, 0), "65280"},       {QColor(0, 0, 255), "16711680"},
        {QColor(255, 255, 0), "65535"},       {QColor(255, 255, 255), "16777215"}, {QColor(0, 0, 0), "0"},
        {QColor(0x12, 0x34, 0x56), "5649426"}, {QColor(0xBF, 0xBF, 0xBF), "12566463"},
    };
    const QColor fallback(10, 20, 30);
    for (const auto& [colour, number] : table) {
        EXPECT_EQ(bgrNumber(colour), s(number));
        EXPECT_EQ(colourNumber(colour), s(number));
        EXPECT_EQ(colourFromBgrNumber(s(number), fallback), colour) << number;
        EXPECT_EQ(colourFromNumber(s(number), fallback), colour) << number;
    }
    for (const char* bad : {"", "abc", "12ab", "-1", "-2147483633", "16777216", "1.5", "99999999999999999999"}) {
        EXPECT_EQ(colourFromBgrNumber(s(bad), fallback), fallback) << bad;
        EXPECT_EQ(colourFromNumber(s(bad), fallback), fallback) << bad;
    }
    EXPECT_EQ(colourFromBgrNumber(s(" 65535 ")), QColor(255, 255, 0));
    EXPECT_EQ(bgrNumber(QColor(255, 0, 0, 10)), s("255")) << "alpha is not stored";
    // A fresh installation and a damaged setting show the light grey.
    EXPECT_EQ(ProgramState().backgroundColour, s("12566463"));
    EXPECT_EQ(colourFromBgrNumber(s("kaputt")), QColor(0xBF, 0xBF, 0xBF));
}

TEST(ChooseBackgroundColour, StoresAChosenColourAndKeepsTheOldOneOnCancelOrBlack)
{
    TestContext t;
    t.state.backgroundColour = s("grün"); // no colour: the dialog opens on the grey
    const QColor grey(0xBF, 0xBF, 0xBF), red(255, 0, 0), blue(0, 0, 255), nearBlack(1, 0, 0);
    struct Step {
        std::optional<QColor> answer;
        bool changed;
        QColor colour;     // the colour to apply afterwards
        QColor opensOn;    // the colour the dialog started on
        const char* state; // program state and setting afterwards (nullptr: nothing stored yet)
    };
    const Step steps[] = {
        {std::nullopt, false, grey, grey, nullptr}, {red, true, red, grey, "255"},
        {QColor(0, 0, 0), false, red, red, "255"},  {blue, true, blue, red, "16711680"},
        {nearBlack, true, nearBlack, blue, "1"},
    };
    int i = 0;
    for (const Step& step : steps) {
        t.prompts.answerColour(step.answer);
        const BackgroundChoice choice = chooseBackgroundColour(t.ctx);
        EXPECT_EQ(choice.changed, step.changed) << "step " << i;
        EXPECT_EQ(choice.colour, step.colour) << "step " << i;
        EXPECT_EQ(t.prompts.last().initialColour, step.opensOn) << "step " << i;
        EXPECT_EQ(t.state.backgroundColour, step.state ? s(step.state) : s("grün")) << "step " << i;
        EXPECT_EQ(t.settings.contains(s("Hintergrundfarbe")), step.state != nullptr) << "step " << i;
        if (step.state)
            EXPECT_EQ(t.settings.value(s("Hintergrundfarbe")), s(step.state)) << "step " << i;
        ++i;
    }
}

TEST(RegistryValues, DefaultsForMissingOrDamagedValuesAndTextWrittenBack)
{
    TestContext t;
    const RegistryValues fresh{QColor(0, 0, 0), 0, true};
    EXPECT_EQ(readRegistryValues(t.settings), fresh);
    t.settings.setValue(s("Schriftfarbe Titel"), s("rot"));
    t.settings.setValue(s("Rechnungsbasis"), s("7"));
    t.settings.setValue(s("Empfangsbestätigung"), s("ja"));
    EXPECT_EQ(readRegistryValues(t.settings), fresh);

    const RegistryValues changed{QColor(255, 0, 0), 1, false};
    writeRegistryValues(t.settings, changed);
    EXPECT_EQ(t.settings.value(s("Schriftfarbe Titel")), s("255"));
    EXPECT_EQ(t.settings.value(s("Rechnungsbasis")), s("1"));
    EXPECT_EQ(t.settings.value(s("Empfangsbestätigung")), s("0"));
    EXPECT_EQ(readRegistryValues(t.settings), changed);

    loadRechnungsbasis(t.settings, t.state);
    EXPECT_EQ(t.state.Rechnungsbasis, 1);
    t.settings.remove(s("Rechnungsbasis"));
    loadRechnungsbasis(t.settings, t.state);
    EXPECT_EQ(t.state.Rechnungsbasis, 0);
}

TEST(WebAddress, GetsHttpInFrontOnlyWhenItHasNoScheme)
{
    const std::pair<const char*, const char*> table[] = {
        {"www.ihre-firma.de", "http://www.ihre-firma.de"}, {"http://www.ihre-firma.de", "http://www.ihre-firma.de"},
        {"https://www.ihre-firma.de", "https://www.ihre-firma.de"}, {"HTTP://WWW.X.DE", "HTTP://WWW.X.DE"},
        {"ftp://x.de", "ftp://x.de"}, {"http:/x.de", "http://http:/x.de"}, {"", ""}, {"  ", "  "},
    };
    for (const auto& [text, expected] : table)
        EXPECT_EQ(withWebScheme(s(text)), s(expected)) << text;
}

TEST(ClosingCheck, BothRatesMustBeNumbersInTheLocalesWriting)
{
    using P = VatProblem;
    struct Row {
        const char* rate1;
        const char* rate2;
        char separator;
        P problem1, problem2;
    };
    const Row table[] = {
        {"19", "7", ',', P::None, P::None},         {"0", "0", ',', P::None, P::None},
        {"7,5", " 19 ", ',', P::None, P::None},     {"7.5", "19", '.', P::None, P::None},
        {"19", "", ',', P::None, P::Empty},         {"   ", "", ',', P::Empty, P::Empty},
        {"-", "7", ',', P::NotANumber, P::None},    {"12.50", "7", ',', P::NotANumber, P::None},
        {"19", "7,5", '.', P::None, P::NotANumber}, {"1,2,3", "", ',', P::NotANumber, P::Empty},
    };
    for (const Row& row : table) {
        const VatCheck c = checkVatRates(s(row.rate1), s(row.rate2), QLatin1Char(row.separator));
        const std::string label = std::string(row.rate1) + " / " + row.rate2 + " under " + row.separator;
        EXPECT_EQ(c.rate1, row.problem1) << label;
        EXPECT_EQ(c.rate2, row.problem2) << label;
        // An empty rate is named first when both kinds of fault are there.
        const bool empty = row.problem1 == P::Empty || row.problem2 == P::Empty;
        EXPECT_EQ(c.message(), c.ok() ? QString() : empty ? vatEmptyMessage() : vatNotANumberMessage()) << label;
    }
}

TEST(SettingsKeyFilters, DecideEveryKeyUnderBothSeparators)
{
    using Rule = KeyDecision (*)(QChar, QChar);
    const KeyDecision accept{KeyDecision::Action::Accept, QChar()};
    const KeyDecision reject{KeyDecision::Action::Reject, QChar()};
    struct Row {
        const char* label;
        Rule rule;
        const char* separators;
        const char* keys; // \b backspace, \r Enter
        KeyDecision expected;
    };
    const Row table[] = {
        {"copies", copiesKey, ",.", "079-,\b\r", accept},
        {"copies", copiesKey, ",.", ". a+", reject},
        {"VAT", vatRateKey, ",.", "19-", accept},
        {"VAT", vatRateKey, ",.", "%x ", reject},
        {"VAT", vatRateKey, ",", ",", accept},
        {"VAT", vatRateKey, ",", ".", {KeyDecision::Action::Replace, QLatin1Char(',')}},
        {"VAT", vatRateKey, ".", ",", {KeyDecision::Action::Replace, QLatin1Char('.')}},
        {"next number", nextInvoiceNumberKey, ",.", "059\b\r", accept},
        {"next number", nextInvoiceNumberKey, ",.", ",.-a ", reject},
    };
    for (const Row& row : table)
        for (const char* sep = row.separators; *sep; ++sep)
            for (const char* key = row.keys; *key; ++key)
                EXPECT_EQ(row.rule(QLatin1Char(*key), QLatin1Char(*sep)), row.expected)
                    << row.label << ": key " << int(*key) << " under " << *sep;
}

TEST(LogoPreview, FillsTheSquareKeepingProportions)
{
    const std::tuple<QSizeF, qreal, QSizeF> table[] = {
        {QSizeF(4000, 1000), 2000, QSizeF(2000, 500)}, {QSizeF(1000, 4000), 2000, QSizeF(500, 2000)},
        {QSizeF(300, 300), 2000, QSizeF(2000, 2000)},  {QSizeF(20, 10), 133, QSizeF(133, 66.5)},
        {QSizeF(0, 10), 2000, QSizeF()},               {QSizeF(), 2000, QSizeF()},
    };
    for (const auto& [natural, side, expected] : table) {
        const QSizeF fitted = fitIntoSquare(natural, side);
        if (expected.isEmpty())
            EXPECT_TRUE(fitted.isEmpty()) << natural.width() << "x" << natural.height();
        else
            EXPECT_EQ(fitted, expected) << natural.width() << "x" << natural.height();
    }
}
