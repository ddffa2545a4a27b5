#include "tools/ProgramPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace quittora {

QImage programPicture(int pixelSize)
{
    const int size = qMax(pixelSize, 1);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Designed on a 100 × 100 grid.
    p.scale(size / 100.0, size / 100.0);

    QLinearGradient ground(0, 0, 0, 100);
    ground.setColorAt(0.0, QColor(0x23, 0x65, 0x7d));
    ground.setColorAt(1.0, QColor(0x2f, 0x8f, 0x83));
    p.setPen(Qt::NoPen);
    p.setBrush(ground);
    p.drawRoundedRect(QRectF(4, 4, 92, 92), 16, 16);

    // The sheet with its folded corner.
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({QPointF(22, 13), QPointF(62, 13), QPointF(75, 26), QPointF(75, 87), QPointF(22, 87)}));
    p.setBrush(QColor(0xcf, 0xd8, 0xdc));
    p.drawPolygon(QPolygonF({QPointF(62, 13), QPointF(62, 26), QPointF(75, 26)}));

    // Lines of an invoice and its total.
    QPen line(QColor(0x90, 0xa4, 0xae), 3.2, Qt::SolidLine, Qt::RoundCap);
    p.setPen(line);
    p.drawLine(QPointF(30, 25), QPointF(52, 25));
    for (qreal y : {36.0, 44.0, 52.0})
        p.drawLine(QPointF(30, y), QPointF(67, y));
    p.drawLine(QPointF(30, 60), QPointF(55, 60));
    line.setColor(QColor(0x26, 0x32, 0x38));
    line.setWidthF(3.8);
    p.setPen(line);
    p.drawLine(QPointF(30, 72), QPointF(50, 72));

    // The seal with a "Q", drawn as strokes so it needs no font.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf4, 0xa2, 0x61));
    p.drawEllipse(QPointF(72, 74), 16, 16);
    QPen q(Qt::white, 4.0, Qt::SolidLine, Qt::RoundCap);
    p.setPen(q);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(71, 73), 7.5, 7.5);
    p.drawLine(QPointF(74.5, 76.5), QPointF(80.5, 82.5));
    p.end();
    return image;
}

} // namespace quittora
