#pragma once

#include <QColor>

#include <initializer_list>

class QWidget;

namespace quittora {

// Gives a window, its tab control or its bottom panel the user's background
// colour: the palette's Window role, filled by the widget itself. Children
// inherit it; input fields and buttons keep their own colours (Base and
// Button roles). A null widget is skipped.
void applyBackgroundColour(QWidget* widget, const QColor& colour);
void applyBackgroundColour(std::initializer_list<QWidget*> widgets, const QColor& colour);

} // namespace quittora
