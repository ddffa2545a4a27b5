#include "workspace/widgets/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace quittora {

namespace {

// Everything is drawn on a 32 x 32 grid and scaled.
constexpr qreal kGrid = 32.0;

void page(QPainter& p)
{
    QPainterPath sheet;
    sheet.moveTo(7, 3);
    sheet.lineTo(20, 3);
    sheet.lineTo(26, 9);
    sheet.lineTo(26, 29);
    sheet.lineTo(7, 29);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(70, 70, 70), 1.2));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.drawLine(QPointF(20, 3), QPointF(20, 9));
    p.drawLine(QPointF(20, 9), QPointF(26, 9));
    p.setPen(QPen(QColor(150, 160, 175), 1.2));
    for (int y = 13; y <= 25; y += 4)
        p.drawLine(QPointF(10, y), QPointF(22, y));
}

void badge(QPainter& p, const QColor& colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QPointF(23, 23), 7.5, 7.5);
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
}

void triangle(QPainter& p, bool left, qreal x)
{
    QPolygonF t;
    if (left)
        t << QPointF(x + 9, 8) << QPointF(x, 16) << QPointF(x + 9, 24);
    else
        t << QPointF(x, 8) << QPointF(x + 9, 16) << QPointF(x, 24);
    p.drawPolygon(t);
}

void draw(QPainter& p, ToolbarPicture picture)
{
    const QColor ink(45, 60, 90);
    switch (picture) {
    case ToolbarPicture::NewDocument:
        page(p);
        badge(p, QColor(40, 150, 60));
        p.drawLine(QPointF(23, 19), QPointF(23, 27));
        p.drawLine(QPointF(19, 23), QPointF(27, 23));
        break;
    case ToolbarPicture::DeleteDocument:
        page(p);
        badge(p, QColor(200, 45, 40));
        p.drawLine(QPointF(20, 20), QPointF(26, 26));
        p.drawLine(QPointF(26, 20), QPointF(20, 26));
        break;
    case ToolbarPicture::Print:
        p.setPen(QPen(QColor(70, 70, 70), 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 3, 14, 10));
        p.setBrush(QColor(120, 130, 145));
        p.drawRoundedRect(QRectF(3, 12, 26, 12), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 19, 14, 10));
        p.setPen(QPen(QColor(150, 160, 175), 1));
        p.drawLine(QPointF(11, 23), QPointF(21, 23));
        p.drawLine(QPointF(11, 26), QPointF(19, 26));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 200, 90));
        p.drawEllipse(QPointF(25, 16), 1.4, 1.4);
        break;
    case ToolbarPicture::Email:
        p.setPen(QPen(QColor(70, 70, 70), 1.2));
        p.setBrush(QColor(250, 244, 220));
        p.drawRect(QRectF(3, 8, 26, 17));
        p.drawLine(QPointF(3, 8), QPointF(16, 18));
        p.drawLine(QPointF(29, 8), QPointF(16, 18));
        break;
    case ToolbarPicture::DocumentList:
        p.setPen(QPen(QColor(70, 70, 70), 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 4, 24, 24));
        p.setBrush(QColor(190, 205, 230));
        p.drawRect(QRectF(4, 4, 24, 5));
        p.setPen(QPen(ink, 1.4));
        for (int y = 13; y <= 25; y += 4) {
            p.drawLine(QPointF(7, y), QPointF(11, y));
            p.drawLine(QPointF(13, y), QPointF(25, y));
        }
        break;
    case ToolbarPicture::Revenue:
        p.setPen(QPen(QColor(70, 70, 70), 1.2));
        p.drawLine(QPointF(4, 28), QPointF(29, 28));
        p.drawLine(QPointF(4, 28), QPointF(4, 3));
        p.setBrush(QColor(70, 130, 200));
        p.drawRect(QRectF(7, 18, 5, 10));
        p.setBrush(QColor(60, 160, 90));
        p.drawRect(QRectF(14, 11, 5, 17));
        p.setBrush(QColor(230, 160, 40));
        p.drawRect(QRectF(21, 6, 5, 22));
        break;
    case ToolbarPicture::Backup:
        p.setPen(QPen(QColor(40, 40, 60), 1.2));
        p.setBrush(QColor(60, 90, 150));
        p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 4, 14, 9));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(8, 18, 16, 10));
        p.setBrush(QColor(60, 90, 150));
        p.drawRect(QRectF(18, 6, 3, 5));
        break;
    case ToolbarPicture::First:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRect(QRectF(7, 8, 3, 16));
        triangle(p, true, 12);
        break;
    case ToolbarPicture::Previous:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        triangle(p, true, 11);
        break;
    case ToolbarPicture::Next:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        triangle(p, false, 12);
        break;
    case ToolbarPicture::Last:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        triangle(p, false, 11);
        p.drawRect(QRectF(22, 8, 3, 16));
        break;
    }
}

} // namespace

QPixmap toolbarPixmap(ToolbarPicture picture, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kGrid, size / kGrid);
    draw(p, picture);
    return pm;
}

QIcon toolbarIcon(ToolbarPicture picture)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(toolbarPixmap(picture, size));
    return icon;
}

} // namespace quittora
