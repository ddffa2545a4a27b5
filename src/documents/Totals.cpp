#include "documents/Totals.h"

#include "data/Decimal.h"
#include "data/Numbers.h"

#include <QDate>

#include <cmath>
#include <map>
#include <optional>

namespace quittora {

namespace {

const Decimal kHundred = Decimal::fromInt(100);
// No line of a small business's document comes near this; beyond it the sums
// could leave the range of the exact type.
const Decimal kLargestLineAmount = Decimal::fromInt(1000000000000000LL);

std::optional<Decimal> vatRate(const QString& text, QChar sep)
{
    const auto rate = localeNumber(text, sep);
    if (!rate || rate->isNegative() || *rate > kHundred)
        return std::nullopt;
    return rate;
}

QString rateError(int which, const QString& text)
{
    return QStringLiteral("Der MwSt.-Satz %1 in den Einstellungen (\"%2\") ist kein gültiger Prozentsatz.\n"
                          "Bitte tragen Sie unter Einstellungen, Rechnungsvorgaben eine Zahl von 0 bis 100 ein.")
        .arg(which)
        .arg(text);
}

// a × b / c in cents. The operands are bounded (rates 0 to 100, line amounts
// below kLargestLineAmount), so the result always exists.
Decimal cents(Decimal a, Decimal b, Decimal c)
{
    return Decimal::mulDiv(a, b, c, 2).value_or(Decimal());
}

// "MwSt.19% 19,00": one rate of the summary, or nothing while the document
// has no sum for that rate yet.
QString summaryPart(const QString& mw, const QString& rateText, Decimal vat, QChar sep)
{
    if (mw.isEmpty())
        return {};
    return QStringLiteral("MwSt.") + rateText + QStringLiteral("% ") + amountText(vat, sep);
}

QString summary(const Totals& t, const TotalsInput& in, Decimal vat1, Decimal vat2)
{
    return summaryPart(t.mw1, in.vatRate1, vat1, in.decimalSeparator) + QStringLiteral("   ")
        + summaryPart(t.mw2, in.vatRate2, vat2, in.decimalSeparator);
}

// The due date of the cash discount, or an invalid date when the document
// has no readable date or the days are beyond any calendar.
QDate skontoDueDate(const QString& documentDate, Decimal days)
{
    const QDate date = parseDateText(documentDate);
    if (!date.isValid())
        return {};
    // Part days count as the day they fall on.
    long long n = days.toLongLong();
    if (days.isNegative() && Decimal::fromInt(n) != days)
        --n;
    if (n > 1000000 || n < -1000000)
        return {};
    return date.addDays(n);
}

} // namespace

QString totalsErrorTitle()
{
    return QStringLiteral("Fehler");
}

TotalsResult berechnen(const TotalsInput& in)
{
    TotalsResult result;
    const QChar sep = in.decimalSeparator;

    const auto rate1 = vatRate(in.vatRate1, sep);
    if (!rate1) {
        result.error = TotalsResult::Error::VatRate1Invalid;
        result.message = rateError(1, in.vatRate1);
        return result;
    }
    const auto rate2 = vatRate(in.vatRate2, sep);
    if (!rate2) {
        result.error = TotalsResult::Error::VatRate2Invalid;
        result.message = rateError(2, in.vatRate2);
        return result;
    }
    const Decimal r1 = *rate1;
    const Decimal r2 = *rate2;
    const Decimal zero;

    Totals& t = result.totals;
    t.mw1 = in.storedMw1;
    t.mw2 = in.storedMw2;
    t.mw3 = in.storedMw3;

    Decimal s1, s2, s0, total;
    std::map<Decimal, Decimal> others; // rate -> sum of its lines
    bool anyAmount = false;
    for (const TotalsLine& line : in.lines) {
        if (line.amount.isEmpty())
            continue; // text line
        anyAmount = true;
        const auto amount = localeNumber(line.amount, sep);
        if (!amount)
            continue; // no number: adds nothing
        if (*amount > kLargestLineAmount || -*amount > kLargestLineAmount) {
            result.error = TotalsResult::Error::AmountTooLarge;
            result.message = QStringLiteral("Der Betrag \"%1\" einer Rechnungszeile ist zu groß für eine Berechnung.")
                                 .arg(line.amount);
            result.totals = Totals();
            return result;
        }
        // A line without a readable rate belongs to no VAT sum but is still
        // part of the document's total.
        if (const auto rate = localeNumber(line.rate, sep)) {
            if (*rate == r1)
                s1 += *amount;
            // With both settings at the same rate the line is in s1 already;
            // counting it again would double it.
            else if (*rate == r2)
                s2 += *amount;
            // A rate of neither setting (an old document from the time of
            // 16 %, a typed rate) is taxed at its own rate: leaving it out
            // would ask for less than the document's own net amount.
            else if (*rate > zero && !(*rate > kHundred))
                others[*rate] += *amount;
            // 0 % lines also count in s1 or s2 when a setting is 0.
            if (*rate == zero)
                s0 += *amount;
        }
        total += *amount;
    }
    if (anyAmount) {
        t.mw1 = plainNumberText(s1, sep);
        t.mw2 = plainNumberText(s2, sep);
        t.mw3 = plainNumberText(s0, sep);
    }

    // Net prices: VAT is added on top; gross prices include it, and the
    // share r/(100+r) is taken out.
    const bool grossPrices = in.basis == PriceBasis::Gross;
    const auto vatOf = [&](Decimal sum, Decimal rate) { return cents(sum, rate, grossPrices ? kHundred + rate : kHundred); };
    const Decimal vat1 = vatOf(s1, r1);
    const Decimal vat2 = vatOf(s2, r2);
    Decimal vatTotal = vat1 + vat2;
    QString otherParts;
    for (const auto& [rate, sum] : others) {
        const Decimal vat = vatOf(sum, rate);
        vatTotal += vat;
        otherParts += QStringLiteral("   MwSt.") + plainNumberText(rate, sep) + QStringLiteral("% ") + amountText(vat, sep);
    }
    const Decimal gross = grossPrices ? total : total + vatTotal;
    t.net = amountText(grossPrices ? total - vatTotal : total, sep);
    t.vat1 = amountText(vat1, sep);
    t.vat2 = amountText(vat2, sep);
    t.vatTotal = amountText(vatTotal, sep);
    t.gross = amountText(gross, sep);
    t.vatSummary = summary(t, in, vat1, vat2) + otherParts;

    // Cash discount, on the amount due as shown.
    const Decimal shownGross = gross.rounded(2);
    Decimal percent = leadingNumber(in.skontoPercent);
    if (!in.customerSkonto.trimmed().isEmpty())
        percent = leadingNumber(in.customerSkonto);
    const QDate due = skontoDueDate(in.documentDate, leadingNumber(in.skontoDays));
    const auto discount = Decimal::mulDiv(shownGross, percent, kHundred, 2);
    if (!percent.isZero() && due.isValid() && discount) {
        const QString format = in.shortDateFormat.isEmpty() ? QStringLiteral("dd.MM.yyyy") : in.shortDateFormat;
        t.skontoText = QStringLiteral("Bei Zahlung bis zum ") + due.toString(format) + QStringLiteral(" abzüglich ")
            + plainNumberText(percent, sep) + QStringLiteral("% Skonto  (") + amountText(shownGross - *discount, sep)
            + QLatin1Char(' ') + in.currency + QLatin1Char(')');
    }
    return result;
}

TotalsInput totalsInputFromSettings(const CompanySettings& settings, PriceBasis basis, QChar decimalSeparator,
                                    const QString& shortDateFormat)
{
    TotalsInput in;
    in.vatRate1 = settings.vatRate1();
    in.vatRate2 = settings.vatRate2();
    in.basis = basis;
    in.skontoDays = settings.skontoDays();
    in.skontoPercent = settings.skontoPercent();
    in.currency = settings.currency();
    in.decimalSeparator = decimalSeparator;
    in.shortDateFormat = shortDateFormat;
    return in;
}

} // namespace quittora
