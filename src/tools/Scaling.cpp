#include "tools/Scaling.h"

#include <QList>

#include <cstdint>

namespace quittora::scaling {

namespace {

// Extents of a few thousand pixels times a few hundred percent stay far from
// the int limits, but a pathological window size must not overflow.
int mulDiv(int value, int numerator, int denominator)
{
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    return static_cast<int>(product / denominator); // truncates toward zero
}

} // namespace

int factorPercent(int current, int design)
{
    if (design <= 0)
        return 100;
    if (current <= 0)
        return 0;
    return mulDiv(current, 100, design);
}

Factors factorsFor(QSize current, QSize design)
{
    return {factorPercent(current.width(), design.width()), factorPercent(current.height(), design.height())};
}

QRect scaleRect(const QRect& design, Factors factors)
{
    return QRect(mulDiv(design.left(), factors.width, 100), mulDiv(design.top(), factors.height, 100),
                 mulDiv(design.width(), factors.width, 100), mulDiv(design.height(), factors.height, 100));
}

bool isParkedOffScreen(const QRect& frame, const QList<QRect>& screens)
{
    if (frame.top() < kParkedTop)
        return false;
    for (const QRect& screen : screens) {
        if (screen.intersects(frame))
            return false;
    }
    return true;
}

} // namespace quittora::scaling
