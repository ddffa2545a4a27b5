#include "documents/VatBreakdown.h"

#include "data/Numbers.h"

#include <map>

namespace quittora::documents {

namespace {

const Decimal kHundred = Decimal::fromInt(100);

} // namespace

QList<RateShare> vatByRate(const QList<RatedAmount>& lines, PriceBasis basis)
{
    std::map<Decimal, RateShare> byRate;
    for (int i = 0; i < lines.size(); ++i) {
        RateShare& share = byRate[lines[i].rate];
        share.rate = lines[i].rate;
        share.lineSum += lines[i].amount;
        share.members.append(i);
    }
    // Gross prices include the VAT: its share rate/(100+rate) is taken out.
    const bool gross = basis == PriceBasis::Gross;
    QList<RateShare> out;
    for (auto& [rate, share] : byRate) {
        share.vat = Decimal::mulDiv(share.lineSum, rate, gross ? kHundred + rate : kHundred, 2).value_or(Decimal());
        share.net = gross ? share.lineSum - share.vat : share.lineSum;
        out.append(share);
    }
    return out;
}

bool VatBreakdown::chargesVat() const
{
    for (const RateShare& r : rates) {
        if (!r.vat.isZero())
            return true;
    }
    return false;
}

VatBreakdown vatBreakdown(const QList<Line>& lines, PriceBasis basis, QChar decimalSeparator)
{
    VatBreakdown out;
    QList<RatedAmount> rated;
    for (const Line& line : lines) {
        if (line.amount.isEmpty())
            continue;
        const auto amount = localeNumber(line.amount, decimalSeparator);
        if (!amount)
            continue;
        const auto rate = localeNumber(line.rate, decimalSeparator);
        if (rate && !rate->isNegative() && !(*rate > kHundred)) {
            rated.append({*amount, *rate});
        } else {
            out.withoutRate += *amount;
            out.hasLinesWithoutRate = true;
        }
    }
    out.rates = vatByRate(rated, basis);

    // Amounts typed with more than two decimals: each net amount is shown in
    // cents, and the cents lost or gained by rounding them one by one go to
    // the largest, so the nets still add up to the document's net total.
    const auto size = [](Decimal d) { return d.isNegative() ? -d : d; };
    Decimal exact = out.withoutRate, shown;
    RateShare* largest = nullptr;
    for (RateShare& r : out.rates) {
        exact += r.net;
        r.net = r.net.rounded(2);
        shown += r.net;
        if (!largest || size(r.net) > size(largest->net))
            largest = &r;
    }
    out.withoutRate = out.withoutRate.rounded(2);
    shown += out.withoutRate;
    const Decimal rest = exact.rounded(2) - shown;
    if (largest)
        largest->net += rest;
    else
        out.withoutRate += rest;
    return out;
}

} // namespace quittora::documents
