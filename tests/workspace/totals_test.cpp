#include "workspace/Totals.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace quittora;

namespace {

// The totals tests run under both decimal separators; amounts are written
// with '.' here and turned into the locale's form.
class TotalsUnderSeparator : public ::testing::TestWithParam<QChar> {
protected:
    QChar sep() const { return GetParam(); }

    // "100.00" in the locale's form.
    QString loc(const char* text) const
    {
        QString s = QString::fromUtf8(text);
        s.replace(QLatin1Char('.'), sep());
        return s;
    }

    // A sentence with its decimal separators written as '_'.
    QString text(const char* sentence) const
    {
        QString s = QString::fromUtf8(sentence);
        s.replace(QLatin1Char('_'), sep());
        return s;
    }

    TotalsInput input(PriceBasis basis = PriceBasis::Net) const
    {
        TotalsInput in;
        in.vatRate1 = QStringLiteral("19");
        in.vatRate2 = QStringLiteral("7");
        in.basis = basis;
        in.documentDate = QStringLiteral("01.03.2024");
        in.currency = QStringLiteral("EUR");
        in.decimalSeparator = sep();
        return in;
    }

    void addLine(TotalsInput& in, const char* amount, const char* rate) const
    {
        in.lines.append({loc(amount), loc(rate)});
    }

    Totals run(const TotalsInput& in) const
    {
        const TotalsResult r = berechnen(in);
        EXPECT_TRUE(r.ok()) << r.message.toStdString();
        return r.totals;
    }
};

} // namespace

TEST_P(TotalsUnderSeparator, NetPricesAddVatPerRate)
{
    TotalsInput in = input(PriceBasis::Net);
    addLine(in, "100.00", "19");
    addLine(in, "50.00", "7");
    const Totals t = run(in);
    EXPECT_EQ(t.net, loc("150.00"));
    EXPECT_EQ(t.vat1, loc("19.00"));
    EXPECT_EQ(t.vat2, loc("3.50"));
    EXPECT_EQ(t.vatTotal, loc("22.50"));
    EXPECT_EQ(t.gross, loc("172.50"));
    EXPECT_EQ(t.mw1, QStringLiteral("100"));
    EXPECT_EQ(t.mw2, QStringLiteral("50"));
    EXPECT_EQ(t.mw3, QStringLiteral("0"));
    EXPECT_EQ(t.vatSummary, text("MwSt.19% 19_00   MwSt.7% 3_50"));
    EXPECT_EQ(t.skontoText, QString());
}

TEST_P(TotalsUnderSeparator, GrossPricesTakeTheVatShareOut)
{
    TotalsInput in = input(PriceBasis::Gross);
    addLine(in, "100.00", "19");
    addLine(in, "50.00", "7");
    const Totals t = run(in);
    EXPECT_EQ(t.vat1, loc("15.97"));
    EXPECT_EQ(t.vat2, loc("3.27"));
    EXPECT_EQ(t.vatTotal, loc("19.24"));
    EXPECT_EQ(t.gross, loc("150.00"));
    EXPECT_EQ(t.net, loc("130.76"));
    EXPECT_EQ(t.vatSummary, text("MwSt.19% 15_97   MwSt.7% 3_27"));
}

TEST_P(TotalsUnderSeparator, DocumentWithoutAmountsKeepsTheStoredRateSums)
{
    TotalsInput in = input();
    in.storedMw1 = loc("100.5");
    in.storedMw2 = QString();
    in.storedMw3 = QStringLiteral("0");
    in.lines.append({QString(), QString()}); // a text line only
    const Totals t = run(in);
    EXPECT_EQ(t.net, loc("0.00"));
    EXPECT_EQ(t.vat1, loc("0.00"));
    EXPECT_EQ(t.vat2, loc("0.00"));
    EXPECT_EQ(t.vatTotal, loc("0.00"));
    EXPECT_EQ(t.gross, loc("0.00"));
    EXPECT_EQ(t.mw1, loc("100.5"));
    EXPECT_EQ(t.mw2, QString());
    EXPECT_EQ(t.mw3, QStringLiteral("0"));
    // Summary parts follow the stored sums: one present, one empty.
    EXPECT_EQ(t.vatSummary, text("MwSt.19% 0_00   "));

    TotalsInput fresh = input();
    EXPECT_EQ(run(fresh).vatSummary, QStringLiteral("   "));
}

TEST_P(TotalsUnderSeparator, ZeroRateLineCountsOnceInTheAmountDue)
{
    TotalsInput in = input(PriceBasis::Net);
    in.vatRate2 = QStringLiteral("0");
    addLine(in, "100.00", "19");
    addLine(in, "20.00", "0");
    Totals t = run(in);
    EXPECT_EQ(t.mw2, QStringLiteral("20"));
    EXPECT_EQ(t.mw3, QStringLiteral("20"));
    EXPECT_EQ(t.net, loc("120.00"));
    EXPECT_EQ(t.vat2, loc("0.00"));
    EXPECT_EQ(t.gross, loc("139.00"));
    EXPECT_EQ(t.vatSummary, text("MwSt.19% 19_00   MwSt.0% 0_00"));

    in.basis = PriceBasis::Gross;
    t = run(in);
    EXPECT_EQ(t.gross, loc("120.00"));
    EXPECT_EQ(t.vat1, loc("15.97"));
    EXPECT_EQ(t.net, loc("104.03"));
}

TEST_P(TotalsUnderSeparator, ZeroRateLinesWithBothRatesSetCountInTheirOwnSum)
{
    TotalsInput in = input(PriceBasis::Net);
    addLine(in, "100.00", "19");
    addLine(in, "30.00", "0");
    const Totals t = run(in);
    EXPECT_EQ(t.mw3, QStringLiteral("30"));
    EXPECT_EQ(t.net, loc("130.00"));
    EXPECT_EQ(t.gross, loc("149.00"));
}

TEST_P(TotalsUnderSeparator, RateMatchingNeitherSettingEntersOnlyTheNetTotal)
{
    TotalsInput in = input(PriceBasis::Net);
    addLine(in, "100.00", "19");
    addLine(in, "50.00", "16");
    Totals t = run(in);
    EXPECT_EQ(t.net, loc("150.00"));
    EXPECT_EQ(t.vatTotal, loc("19.00"));
    EXPECT_EQ(t.gross, loc("119.00"));
    EXPECT_EQ(t.mw2, QStringLiteral("0"));

    in.basis = PriceBasis::Gross;
    t = run(in);
    EXPECT_EQ(t.gross, loc("150.00"));
    EXPECT_EQ(t.vatTotal, loc("15.97"));
    EXPECT_EQ(t.net, loc("134.03"));
}

TEST_P(TotalsUnderSeparator, TextLinesAndUnreadableLinesChangeNoSum)
{
    TotalsInput plain = input();
    addLine(plain, "100.00", "19");
    TotalsInput noisy = plain;
    noisy.lines.prepend({QString(), QStringLiteral("19")}); // text line with a rate
    noisy.lines.append({QString(), QString()});             // blank line
    noisy.lines.append({QStringLiteral("zehn"), QStringLiteral("19")});
    EXPECT_EQ(run(noisy), run(plain));
}

TEST_P(TotalsUnderSeparator, LineWithoutReadableRateCountsLikeAnUnknownRate)
{
    // Both rates 0 (small business): lines may carry no rate at all and still
    // belong to the amount due.
    TotalsInput in = input(PriceBasis::Gross);
    in.vatRate1 = QStringLiteral("0");
    in.vatRate2 = QStringLiteral("0");
    addLine(in, "80.00", "");
    addLine(in, "20.00", "0");
    const Totals t = run(in);
    EXPECT_EQ(t.gross, loc("100.00"));
    EXPECT_EQ(t.net, loc("100.00"));
    EXPECT_EQ(t.vatTotal, loc("0.00"));
}

TEST_P(TotalsUnderSeparator, EqualRateSettingsDoNotCountALineTwice)
{
    TotalsInput in = input(PriceBasis::Net);
    in.vatRate2 = QStringLiteral("19");
    addLine(in, "100.00", "19");
    Totals t = run(in);
    EXPECT_EQ(t.vatTotal, loc("19.00"));
    EXPECT_EQ(t.gross, loc("119.00"));

    in.vatRate1 = QStringLiteral("0");
    in.vatRate2 = QStringLiteral("0");
    in.lines = {};
    addLine(in, "100.00", "0");
    t = run(in);
    EXPECT_EQ(t.gross, loc("100.00"));
}

TEST_P(TotalsUnderSeparator, HundredSmallLinesAddUpExactly)
{
    TotalsInput in = input(PriceBasis::Net);
    for (int i = 0; i < 100; ++i)
        addLine(in, "0.10", "19");
    const Totals t = run(in);
    EXPECT_EQ(t.net, loc("10.00"));
    EXPECT_EQ(t.mw1, QStringLiteral("10"));
    EXPECT_EQ(t.vat1, loc("1.90"));
    EXPECT_EQ(t.gross, loc("11.90"));
}

TEST_P(TotalsUnderSeparator, HalfCentOfVatRoundsUp)
{
    // 10.50 × 19 % is exactly 1.995; binary floating point sees 1.99499...
    TotalsInput in = input(PriceBasis::Net);
    addLine(in, "10.50", "19");
    Totals t = run(in);
    EXPECT_EQ(t.vat1, loc("2.00"));
    EXPECT_EQ(t.gross, loc("12.50"));
    // Fractional rate and sums with more than two decimals.
    in.vatRate2 = loc("7.5");
    in.lines = {};
    addLine(in, "0.333", "7.5");
    addLine(in, "0.333", "7.5");
    t = run(in);
    EXPECT_EQ(t.mw2, loc("0.666"));
    EXPECT_EQ(t.net, loc("0.67"));
    EXPECT_EQ(t.vat2, loc("0.05"));
    EXPECT_EQ(t.vatSummary, text("MwSt.19% 0_00   MwSt.7_5% 0_05"));
}

TEST_P(TotalsUnderSeparator, SkontoSentenceNamesDateDiscountedAmountAndCurrency)
{
    TotalsInput in = input(PriceBasis::Net);
    in.skontoPercent = QStringLiteral("2");
    in.skontoDays = QStringLiteral("10");
    addLine(in, "100.00", "19");
    Totals t = run(in);
    EXPECT_EQ(t.gross, loc("119.00"));
    EXPECT_EQ(t.skontoText, text("Bei Zahlung bis zum 11.03.2024 abzüglich 2% Skonto  (116_62 EUR)"));

    in.shortDateFormat = QStringLiteral("M/d/yy");
    EXPECT_EQ(run(in).skontoText, text("Bei Zahlung bis zum 3/11/24 abzüglich 2% Skonto  (116_62 EUR)"));

    // Percent and days are leading numbers: "2.5" is two and a half, "2,5" two.
    in.shortDateFormat = QStringLiteral("dd.MM.yyyy");
    in.skontoPercent = QStringLiteral("2.5");
    in.skontoDays = QStringLiteral("14 Tage");
    EXPECT_EQ(run(in).skontoText, text("Bei Zahlung bis zum 15.03.2024 abzüglich 2_5% Skonto  (116_02 EUR)"));
    in.skontoPercent = QStringLiteral("2,5");
    EXPECT_EQ(run(in).skontoText, text("Bei Zahlung bis zum 15.03.2024 abzüglich 2% Skonto  (116_62 EUR)"));

    in.skontoPercent = QStringLiteral("0");
    EXPECT_EQ(run(in).skontoText, QString());
}

TEST_P(TotalsUnderSeparator, SkontoInGrossModeIsTakenFromTheGrossTotal)
{
    TotalsInput in = input(PriceBasis::Gross);
    in.skontoPercent = QStringLiteral("3");
    in.skontoDays = QStringLiteral("30");
    addLine(in, "100.00", "19");
    EXPECT_EQ(run(in).skontoText, text("Bei Zahlung bis zum 31.03.2024 abzüglich 3% Skonto  (97_00 EUR)"));
}

TEST_P(TotalsUnderSeparator, CustomerSkontoOverridesTheSetting)
{
    TotalsInput in = input(PriceBasis::Net);
    in.skontoPercent = QStringLiteral("2");
    in.skontoDays = QStringLiteral("10");
    addLine(in, "100.00", "19");

    in.customerSkonto = QStringLiteral("3");
    EXPECT_EQ(run(in).skontoText, text("Bei Zahlung bis zum 11.03.2024 abzüglich 3% Skonto  (115_43 EUR)"));

    in.customerSkonto = QStringLiteral("0");
    EXPECT_EQ(run(in).skontoText, QString());

    in.skontoPercent = QStringLiteral("0");
    in.customerSkonto = QStringLiteral("2");
    EXPECT_EQ(run(in).skontoText, text("Bei Zahlung bis zum 11.03.2024 abzüglich 2% Skonto  (116_62 EUR)"));

    // A field holding only blanks holds no value and overrides nothing.
    in.skontoPercent = QStringLiteral("2");
    in.customerSkonto = QStringLiteral("  ");
    EXPECT_EQ(run(in).skontoText, text("Bei Zahlung bis zum 11.03.2024 abzüglich 2% Skonto  (116_62 EUR)"));
}

TEST_P(TotalsUnderSeparator, SkontoNeedsADocumentDate)
{
    TotalsInput in = input(PriceBasis::Net);
    in.skontoPercent = QStringLiteral("2");
    in.documentDate = QString();
    addLine(in, "100.00", "19");
    const Totals t = run(in);
    EXPECT_EQ(t.gross, loc("119.00"));
    EXPECT_EQ(t.skontoText, QString());
}

TEST_P(TotalsUnderSeparator, NoPriceBasisChosenComputesAsNetPrices)
{
    TotalsInput in = input(PriceBasis::Unset);
    in.skontoPercent = QStringLiteral("2");
    in.skontoDays = QStringLiteral("10");
    addLine(in, "100.00", "19");
    TotalsInput net = in;
    net.basis = PriceBasis::Net;
    EXPECT_EQ(run(in), run(net));
}

TEST_P(TotalsUnderSeparator, VatRatesMustBePercentages)
{
    TotalsInput in = input();
    addLine(in, "100.00", "19");
    for (const QString& bad : {QString(), QStringLiteral("abc"), QStringLiteral("19%"), QStringLiteral("-7"),
                               QStringLiteral("101")}) {
        in.vatRate1 = bad;
        const TotalsResult r = berechnen(in);
        EXPECT_EQ(r.error, TotalsResult::Error::VatRate1Invalid) << bad.toStdString();
        EXPECT_TRUE(r.message.startsWith(QStringLiteral("Der MwSt.-Satz 1 in den Einstellungen"))) << bad.toStdString();
        EXPECT_EQ(r.totals, Totals());
    }
    in.vatRate1 = QStringLiteral("19");
    in.vatRate2 = QStringLiteral(" ");
    EXPECT_EQ(berechnen(in).error, TotalsResult::Error::VatRate2Invalid);
}

TEST_P(TotalsUnderSeparator, AbsurdLineAmountIsRefused)
{
    TotalsInput in = input();
    addLine(in, "1000000000000000000", "19");
    const TotalsResult r = berechnen(in);
    EXPECT_EQ(r.error, TotalsResult::Error::AmountTooLarge);
    EXPECT_FALSE(r.message.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Separators, TotalsUnderSeparator, ::testing::Values(QLatin1Char(','), QLatin1Char('.')));

TEST(Totals, AmountsInTheOtherSeparatorAreNoNumbers)
{
    TotalsInput in;
    in.vatRate1 = QStringLiteral("19");
    in.vatRate2 = QStringLiteral("7");
    in.decimalSeparator = QLatin1Char(',');
    in.lines = {{QStringLiteral("100,00"), QStringLiteral("19")}, {QStringLiteral("50.00"), QStringLiteral("19")}};
    const TotalsResult r = berechnen(in);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.totals.net, QStringLiteral("100,00"));
}
