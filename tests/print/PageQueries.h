#pragma once

#include "print/PageModel.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>

namespace quittora::testing {

inline bool near(double a, double b, double tolerance = 1e-6) { return std::abs(a - b) <= tolerance; }

// The text on the line at y that starts at x, or with `right` ends there; nullptr for none.
inline const TextItem* textAt(const Page& page, double x, double y, bool right = false)
{
    for (const TextItem* t : page.texts()) {
        if (near((right ? t->x + t->width : t->x).value(), x, right ? 1e-3 : 1e-6) && near(t->y.value(), y))
            return t;
    }
    return nullptr;
}

inline const TextItem* textEndingAt(const Page& page, double x, double y) { return textAt(page, x, y, true); }

// The texts of the page (on the line at y only, when given), in the order placed.
inline QStringList allTexts(const Page& page, double y = -1)
{
    QStringList out;
    for (const TextItem* t : page.texts()) {
        if (y < 0 || near(t->y.value(), y))
            out << t->text;
    }
    return out;
}

// A rule table of a page: the text that starts ('L') or ends ('R') at x on the line at y; "" for nothing there.
struct Placed {
    char align;
    double x, y;
    const char* text;
};

inline void expectPlaced(const Page& page, std::initializer_list<Placed> rows, const char* label = "")
{
    for (const Placed& p : rows) {
        const TextItem* t = textAt(page, p.x, p.y, p.align == 'R');
        EXPECT_EQ((t ? t->text : QString()).toStdString(), p.text) << label << " " << p.align << " " << p.x << "/" << p.y;
    }
}

} // namespace quittora::testing
