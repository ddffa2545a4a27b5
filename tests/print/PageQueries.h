#pragma once

#include "print/PageModel.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>

namespace quittora::testing {

inline bool near(double a, double b, double tolerance = 1e-6) { return std::abs(a - b) <= tolerance; }

// The text whose left edge is at (x, y), or nullptr.
inline const TextItem* textAt(const Page& page, double x, double y)
{
    for (const TextItem* t : page.texts()) {
        if (near(t->x.value(), x) && near(t->y.value(), y))
            return t;
    }
    return nullptr;
}

// The text that ends at x on the line at y (right-aligned), or nullptr.
inline const TextItem* textEndingAt(const Page& page, double x, double y)
{
    for (const TextItem* t : page.texts()) {
        if (near((t->x + t->width).value(), x, 1e-3) && near(t->y.value(), y))
            return t;
    }
    return nullptr;
}

inline QString textAtOrEmpty(const Page& page, double x, double y)
{
    const TextItem* t = textAt(page, x, y);
    return t ? t->text : QString();
}

inline QString textEndingAtOrEmpty(const Page& page, double x, double y)
{
    const TextItem* t = textEndingAt(page, x, y);
    return t ? t->text : QString();
}

// All texts on the line at y, left to right in the order placed.
inline QStringList textsOnLine(const Page& page, double y)
{
    QStringList out;
    for (const TextItem* t : page.texts()) {
        if (near(t->y.value(), y))
            out << t->text;
    }
    return out;
}

inline QStringList allTexts(const Page& page)
{
    QStringList out;
    for (const TextItem* t : page.texts())
        out << t->text;
    return out;
}

inline bool hasLine(const Page& page, double x1, double y1, double x2, double y2)
{
    for (const LineItem* l : page.lines()) {
        if (near(l->x1.value(), x1) && near(l->y1.value(), y1) && near(l->x2.value(), x2) && near(l->y2.value(), y2))
            return true;
    }
    return false;
}

// A horizontal rule of the document frame, from 14 to 200 mm.
inline bool hasRule(const Page& page, double y) { return hasLine(page, 14, y, 200, y); }

// A rule table of a page: the text that starts ('L') or ends ('R') at x on
// the line at y; "" for nothing there.
struct Placed {
    char align;
    double x, y;
    const char* text;
};

inline void expectPlaced(const Page& page, std::initializer_list<Placed> rows, const char* label = "")
{
    for (const Placed& p : rows) {
        const QString got = p.align == 'R' ? textEndingAtOrEmpty(page, p.x, p.y) : textAtOrEmpty(page, p.x, p.y);
        EXPECT_EQ(got.toStdString(), p.text) << label << " " << p.align << " " << p.x << "/" << p.y;
    }
}

} // namespace quittora::testing
