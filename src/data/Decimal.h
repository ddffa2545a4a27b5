#pragma once

#include <QString>

#include <compare>
#include <cstdint>
#include <optional>

namespace quittora {

// Exact decimal number for amounts, quantities and rates.
//
// Invoices must add up to the cent, so no binary floating point is involved
// anywhere: the value is a 128-bit integer count of 10^-9 units. That keeps
// nine decimals for intermediate results (a VAT share of a gross amount, a
// unit price times a fractional quantity) and still covers amounts far beyond
// anything a small business writes (about 10^20).
class Decimal {
public:
    static constexpr int kScaleDigits = 9;
    static constexpr __int128 kScale = 1000000000;

    constexpr Decimal() = default;
    static constexpr Decimal fromInt(long long v) { return Decimal(static_cast<__int128>(v) * kScale); }
    static constexpr Decimal fromRaw(__int128 raw) { return Decimal(raw); }
    // Parses plain "-123.456" text with '.' as decimal point; nullopt otherwise.
    static std::optional<Decimal> fromString(QStringView text);

    constexpr __int128 raw() const { return m_raw; }
    constexpr bool isZero() const { return m_raw == 0; }
    constexpr bool isNegative() const { return m_raw < 0; }

    Decimal operator+(Decimal o) const { return Decimal(m_raw + o.m_raw); }
    Decimal operator-(Decimal o) const { return Decimal(m_raw - o.m_raw); }
    Decimal operator-() const { return Decimal(-m_raw); }
    // Rounded half away from zero at the 9th decimal.
    Decimal operator*(Decimal o) const;
    // Rounded half away from zero at the 9th decimal; dividing by zero gives
    // nullopt so callers must decide what a missing result means.
    std::optional<Decimal> dividedBy(Decimal o) const;
    // a × b / c rounded half away from zero to the given number of decimals
    // (0 to 9) in one step, so no intermediate rounding can tip a half cent;
    // nullopt when c is zero or the result lies outside the range.
    static std::optional<Decimal> mulDiv(Decimal a, Decimal b, Decimal c, int decimals);
    Decimal& operator+=(Decimal o) { m_raw += o.m_raw; return *this; }
    Decimal& operator-=(Decimal o) { m_raw -= o.m_raw; return *this; }

    constexpr auto operator<=>(const Decimal&) const = default;

    // Rounds half away from zero to the given number of decimals.
    Decimal rounded(int decimals) const;
    // Whole part, truncated towards zero.
    long long toLongLong() const;
    // Shortest plain text: "-12.5", "150", "0.333333333"; '.' as decimal point
    // unless another separator is given.
    QString toString(QChar decimalSeparator = QLatin1Char('.')) const;
    // Fixed number of decimals, rounded half away from zero: toFixed(2) of
    // 1.005 is "1.01"; negative values that round to zero print without sign.
    QString toFixed(int decimals, QChar decimalSeparator = QLatin1Char('.')) const;

private:
    constexpr explicit Decimal(__int128 raw) : m_raw(raw) {}
    __int128 m_raw = 0;
};

} // namespace quittora
