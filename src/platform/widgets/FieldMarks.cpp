#include "platform/widgets/FieldMarks.h"

#include <QPalette>
#include <QWidget>

namespace quittora {

void setFieldBackground(QWidget* widget, const QColor& colour)
{
    if (!widget)
        return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, QPalette::Base, colour);
    palette.setColor(QPalette::Inactive, QPalette::Base, colour);
    widget->setPalette(palette);
}

QColor fieldBackground(const QWidget* widget)
{
    return widget ? widget->palette().color(QPalette::Active, QPalette::Base) : QColor();
}

} // namespace quittora
