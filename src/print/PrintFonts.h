#pragma once

#include "print/Millimetres.h"
#include "print/PageModel.h"

#include <QFont>
#include <QString>

namespace quittora {

// The resolution at which layouts measure text and at which PDF files are
// written. Printers draw at their own resolution; fonts are unhinted, so
// widths scale linearly and a right-aligned text still ends where it should.
inline constexpr int kPrintDpi = 1200;

// Layouts name the fonts of an office PC ("Arial", "Courier New"). Where those
// are not installed, the metric-compatible Liberation fonts stand in, so texts
// keep the widths the layouts were made for. Any other missing font ("Andy")
// goes through the system's own font substitution. Safe to call repeatedly.
void installPrintFontSubstitutions();

// The font a printer uses for the style (size in points, resolved at the
// device's resolution by whoever paints with it).
QFont printFont(const TextStyle& style);

// Text measurement with the printer font, in millimetres.
Millimetres textWidth(const TextStyle& style, const QString& text);
// Distance from one printed line to the next.
Millimetres lineHeight(const TextStyle& style);
// From the top of the character cell to the baseline.
Millimetres textAscent(const TextStyle& style);

} // namespace quittora
