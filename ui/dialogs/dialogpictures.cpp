#include "dialogpictures.h"

#include <QPainter>
#include <QPainterPath>

namespace mx::ui {
namespace {

QPixmap canvas()
{
    QPixmap p(32, 32);
    p.fill(Qt::transparent);
    return p;
}

QPixmap drawKey()
{
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x7A, 0x5A, 0x10), 1.5));
    p.setBrush(QColor(0xE8, 0xC0, 0x40));
    // The bow, with its hole, then the shank and two bits.
    QPainterPath bow;
    bow.addEllipse(QRectF(3, 3, 14, 14));
    bow.addEllipse(QRectF(7, 7, 6, 6));
    bow.setFillRule(Qt::OddEvenFill);
    p.drawPath(bow);
    QPainterPath shank;
    shank.moveTo(15, 14);
    shank.lineTo(28, 27);
    shank.lineTo(26, 29);
    shank.lineTo(13, 16);
    shank.closeSubpath();
    p.drawPath(shank);
    p.drawRect(QRectF(21, 24, 4, 3).translated(-1, -2));
    p.drawRect(QRectF(24, 27, 3, 3).translated(-1, -3));
    return pm;
}

QPixmap drawIcon()
{
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor dark(0x1F, 0x3A, 0x68);
    const QColor light(0x4F, 0x8F, 0xD8);
    for (int i = 0; i < 3; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(i == 0 ? light : dark);
        p.drawRoundedRect(QRectF(3, 5 + i * 8, 20, 6), 2, 2);
    }
    p.setPen(QPen(QColor(0xE0, 0x8A, 0x1E), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath arrow;
    arrow.moveTo(22, 7);
    arrow.cubicTo(31, 12, 31, 21, 23, 26);
    p.drawPath(arrow);
    p.drawLine(QPointF(23, 26), QPointF(27, 23));
    p.drawLine(QPointF(23, 26), QPointF(27, 29));
    return pm;
}

} // namespace

const QPixmap& KeyPicture()
{
    static const QPixmap pm = drawKey();
    return pm;
}

const QPixmap& ProgramIcon()
{
    static const QPixmap pm = drawIcon();
    return pm;
}

} // namespace mx::ui
