#include "tools/widgets/BackgroundColourWidgets.h"

#include <QPalette>
#include <QWidget>

namespace quittora {

void applyBackgroundColour(QWidget* widget, const QColor& colour)
{
    if (!widget || !colour.isValid())
        return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void applyBackgroundColour(std::initializer_list<QWidget*> widgets, const QColor& colour)
{
    for (QWidget* w : widgets)
        applyBackgroundColour(w, colour);
}

} // namespace quittora
