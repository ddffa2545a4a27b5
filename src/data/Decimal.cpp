#include "data/Decimal.h"

#include <limits>

namespace quittora {

namespace {

using u128 = unsigned __int128;
using i128 = __int128;

constexpr i128 kMaxRaw = std::numeric_limits<i128>::max();

u128 magnitude(i128 v)
{
    // -(min) does not fit, but the unsigned negation of its bit pattern does.
    return v < 0 ? u128(0) - u128(v) : u128(v);
}

// Builds a signed result from a magnitude; values beyond the range saturate
// instead of wrapping round to a wrong sign.
i128 withSign(u128 mag, bool negative)
{
    if (mag > u128(kMaxRaw))
        return negative ? -kMaxRaw : kMaxRaw;
    return negative ? -i128(mag) : i128(mag);
}

// Unsigned 256-bit value, just enough for a product of two raw values and the
// division back.
struct U256 {
    u128 hi = 0;
    u128 lo = 0;
};

U256 multiply(u128 a, u128 b)
{
    const u128 mask = (u128(1) << 64) - 1;
    const u128 a0 = a & mask, a1 = a >> 64;
    const u128 b0 = b & mask, b1 = b >> 64;

    const u128 p00 = a0 * b0;
    const u128 p01 = a0 * b1;
    const u128 p10 = a1 * b0;
    const u128 p11 = a1 * b1;

    // Middle column with its carries.
    const u128 mid = (p00 >> 64) + (p01 & mask) + (p10 & mask);
    U256 r;
    r.lo = (p00 & mask) | (mid << 64);
    r.hi = p11 + (p01 >> 64) + (p10 >> 64) + (mid >> 64);
    return r;
}

// n / d rounded half away from zero (on magnitudes). Binary long division:
// only taken when the fast path cannot hold the numerator, so its cost does
// not matter.
u128 divideRounded(U256 n, u128 d, bool* overflow)
{
    *overflow = false;
    if (n.hi == 0) {
        const u128 q = n.lo / d;
        const u128 r = n.lo % d;
        return (r >= d - r) ? q + 1 : q;
    }
    if (n.hi >= d) { // quotient needs more than 128 bits
        *overflow = true;
        return 0;
    }
    u128 rem = n.hi;
    u128 q = 0;
    for (int i = 127; i >= 0; --i) {
        const bool carry = (rem >> 127) != 0;
        rem = (rem << 1) | ((n.lo >> i) & 1);
        q <<= 1;
        if (carry || rem >= d) {
            rem -= d;
            q |= 1;
        }
    }
    if (rem >= d - rem) {
        if (q == std::numeric_limits<u128>::max()) {
            *overflow = true;
            return 0;
        }
        ++q;
    }
    return q;
}

u128 pow10(int n)
{
    u128 v = 1;
    for (int i = 0; i < n; ++i)
        v *= 10;
    return v;
}

QString digitsOf(u128 v)
{
    if (v == 0)
        return QStringLiteral("0");
    char buf[48];
    int pos = sizeof buf;
    while (v != 0) {
        buf[--pos] = char('0' + int(v % 10));
        v /= 10;
    }
    return QString::fromLatin1(buf + pos, int(sizeof buf) - pos);
}

QString fractionDigits(u128 frac, int digits)
{
    QString s = digitsOf(frac);
    return QString(digits - s.size(), QLatin1Char('0')) + s;
}

} // namespace

std::optional<Decimal> Decimal::fromString(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    u128 whole = 0;
    u128 frac = 0;
    int fracDigits = 0;
    bool roundUp = false;
    bool anyDigit = false;
    bool seenPoint = false;
    const u128 wholeLimit = u128(kMaxRaw) / u128(kScale);
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('.')) {
            if (seenPoint)
                return std::nullopt;
            seenPoint = true;
            continue;
        }
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        anyDigit = true;
        const int d = c.unicode() - '0';
        if (!seenPoint) {
            whole = whole * 10 + u128(d);
            if (whole > wholeLimit)
                return std::nullopt;
        } else if (fracDigits < kScaleDigits) {
            frac = frac * 10 + u128(d);
            ++fracDigits;
        } else if (fracDigits == kScaleDigits) {
            // The first digit beyond the scale decides the rounding.
            roundUp = d >= 5;
            ++fracDigits;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    const int used = fracDigits < kScaleDigits ? fracDigits : kScaleDigits;
    u128 mag = whole * u128(kScale) + frac * pow10(kScaleDigits - used);
    if (roundUp)
        ++mag;
    if (mag > u128(kMaxRaw))
        return std::nullopt;
    return Decimal(negative ? -i128(mag) : i128(mag));
}

Decimal Decimal::operator*(Decimal o) const
{
    const bool negative = (m_raw < 0) != (o.m_raw < 0);
    const u128 a = magnitude(m_raw);
    const u128 b = magnitude(o.m_raw);
    const U256 product = multiply(a, b);
    bool overflow = false;
    const u128 q = divideRounded(product, u128(kScale), &overflow);
    if (overflow)
        return Decimal(negative ? -kMaxRaw : kMaxRaw);
    return Decimal(withSign(q, negative));
}

std::optional<Decimal> Decimal::dividedBy(Decimal o) const
{
    if (o.m_raw == 0)
        return std::nullopt;
    const bool negative = (m_raw < 0) != (o.m_raw < 0);
    const U256 scaled = multiply(magnitude(m_raw), u128(kScale));
    bool overflow = false;
    const u128 q = divideRounded(scaled, magnitude(o.m_raw), &overflow);
    if (overflow)
        return Decimal(negative ? -kMaxRaw : kMaxRaw);
    return Decimal(withSign(q, negative));
}

std::optional<Decimal> Decimal::mulDiv(Decimal a, Decimal b, Decimal c, int decimals)
{
    if (c.m_raw == 0)
        return std::nullopt;
    decimals = decimals < 0 ? 0 : (decimals > kScaleDigits ? kScaleDigits : decimals);
    // a·b carries 18 decimals and c nine; dividing by c scaled up to the unit
    // of the wanted last decimal gives that many units directly.
    const u128 unit = pow10(kScaleDigits - decimals);
    const u128 cMag = magnitude(c.m_raw);
    if (cMag > std::numeric_limits<u128>::max() / unit)
        return std::nullopt;
    const bool negative = ((a.m_raw < 0) != (b.m_raw < 0)) != (c.m_raw < 0);
    bool overflow = false;
    const u128 units = divideRounded(multiply(magnitude(a.m_raw), magnitude(b.m_raw)), cMag * unit, &overflow);
    if (overflow || units > u128(kMaxRaw) / unit)
        return std::nullopt;
    const u128 mag = units * unit;
    if (mag == 0)
        return Decimal();
    return Decimal(negative ? -i128(mag) : i128(mag));
}

Decimal Decimal::rounded(int decimals) const
{
    if (decimals >= kScaleDigits)
        return *this;
    if (decimals < 0)
        decimals = 0;
    const u128 unit = pow10(kScaleDigits - decimals);
    const u128 mag = magnitude(m_raw);
    u128 q = mag / unit;
    const u128 r = mag % unit;
    if (r >= unit - r)
        ++q;
    const u128 limit = u128(kMaxRaw) / unit;
    if (q > limit)
        q = limit; // saturate rather than wrap at the very edge of the range
    return Decimal(withSign(q * unit, m_raw < 0));
}

long long Decimal::toLongLong() const
{
    const i128 whole = m_raw / kScale;
    if (whole > std::numeric_limits<long long>::max())
        return std::numeric_limits<long long>::max();
    if (whole < std::numeric_limits<long long>::min())
        return std::numeric_limits<long long>::min();
    return static_cast<long long>(whole);
}

QString Decimal::toString(QChar decimalSeparator) const
{
    const u128 mag = magnitude(m_raw);
    QString s;
    if (m_raw < 0)
        s += QLatin1Char('-');
    s += digitsOf(mag / u128(kScale));
    u128 frac = mag % u128(kScale);
    if (frac != 0) {
        int digits = kScaleDigits;
        while (frac % 10 == 0) {
            frac /= 10;
            --digits;
        }
        s += decimalSeparator;
        s += fractionDigits(frac, digits);
    }
    return s;
}

QString Decimal::toFixed(int decimals, QChar decimalSeparator) const
{
    if (decimals < 0)
        decimals = 0;
    const Decimal r = rounded(decimals);
    const u128 mag = magnitude(r.m_raw);
    QString s;
    if (mag != 0 && r.m_raw < 0)
        s += QLatin1Char('-');
    s += digitsOf(mag / u128(kScale));
    if (decimals > 0) {
        s += decimalSeparator;
        const int kept = decimals < kScaleDigits ? decimals : kScaleDigits;
        const u128 frac = (mag % u128(kScale)) / pow10(kScaleDigits - kept);
        s += fractionDigits(frac, kept);
        if (decimals > kept)
            s += QString(decimals - kept, QLatin1Char('0'));
    }
    return s;
}

} // namespace quittora
