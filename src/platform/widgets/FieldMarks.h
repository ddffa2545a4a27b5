#pragma once

#include <QColor>

class QWidget;

namespace quittora {

// The yellow that marks a field the user must fill or the search box being
// typed in (the Windows colour value 65535), and the white it returns to.
inline QColor markYellow() { return QColor(0xFF, 0xFF, 0x00); }
inline QColor plainWhite() { return QColor(0xFF, 0xFF, 0xFF); }

// Sets the background of an input widget (the palette's Base role).
void setFieldBackground(QWidget* widget, const QColor& colour);
// Its background as set (or as the style gives it).
QColor fieldBackground(const QWidget* widget);

} // namespace quittora
