#pragma once

#include <compare>

namespace quittora {

// A length on paper. Layouts place everything in millimetres from the
// paper's top-left corner; keeping the unit in the type stops points, pixels
// and millimetres from being mixed up on the way to a device.
class Millimetres {
public:
    constexpr Millimetres() = default;
    constexpr explicit Millimetres(double mm) : m_mm(mm) {}

    constexpr double value() const { return m_mm; }
    // Device units for a device of the given resolution (dots per inch).
    constexpr double toDots(double dotsPerInch) const { return m_mm * dotsPerInch / kPerInch; }
    constexpr double toPoints() const { return m_mm * 72.0 / kPerInch; }
    static constexpr Millimetres fromDots(double dots, double dotsPerInch) { return Millimetres(dots * kPerInch / dotsPerInch); }
    static constexpr Millimetres fromPoints(double points) { return Millimetres(points * kPerInch / 72.0); }

    constexpr Millimetres operator+(Millimetres o) const { return Millimetres(m_mm + o.m_mm); }
    constexpr Millimetres operator-(Millimetres o) const { return Millimetres(m_mm - o.m_mm); }
    constexpr Millimetres operator-() const { return Millimetres(-m_mm); }
    constexpr Millimetres operator*(double f) const { return Millimetres(m_mm * f); }
    constexpr Millimetres operator/(double f) const { return Millimetres(m_mm / f); }
    constexpr double operator/(Millimetres o) const { return m_mm / o.m_mm; }
    constexpr Millimetres& operator+=(Millimetres o) { m_mm += o.m_mm; return *this; }
    constexpr Millimetres& operator-=(Millimetres o) { m_mm -= o.m_mm; return *this; }
    constexpr auto operator<=>(const Millimetres&) const = default;

    static constexpr double kPerInch = 25.4;

private:
    double m_mm = 0.0;
};

namespace literals {
constexpr Millimetres operator""_mm(long double v) { return Millimetres(static_cast<double>(v)); }
constexpr Millimetres operator""_mm(unsigned long long v) { return Millimetres(static_cast<double>(v)); }
} // namespace literals

} // namespace quittora
