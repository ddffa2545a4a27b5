#pragma once

#include <QRect>
#include <QSize>

// Geometry of proportional window scaling: every control is placed at its
// design rectangle multiplied by whole-percent factors of the window's inner
// size. Always computed from the design values, so any number of resizes
// leaves no rounding drift behind.
namespace quittora::scaling {

// A window whose top edge lies this far down (in pixels) and on no screen is
// parked out of sight on purpose; it is not scaled.
inline constexpr int kParkedTop = 2000;

struct Factors {
    int width = 100;  // percent
    int height = 100; // percent
    friend bool operator==(const Factors&, const Factors&) = default;
};

// Whole percent of current against design, truncated: 1507 against 1000 is
// 150. A non-positive design extent yields 100 so that nothing moves.
int factorPercent(int current, int design);

Factors factorsFor(QSize current, QSize design);

// The design rectangle at the given factors. Each of left, top, width and
// height is scaled on its own and truncated toward zero.
QRect scaleRect(const QRect& design, Factors factors);

// True when a window with this frame rectangle has been put out of sight:
// its top lies at kParkedTop or below and it touches none of the screens.
// Without any screen information only the top counts.
bool isParkedOffScreen(const QRect& frame, const QList<QRect>& screens);

} // namespace quittora::scaling
