#include "pictures.h"

#include <QPainter>
#include <QPainterPath>

#include <map>

namespace mx::ui {
namespace {

QPixmap blank(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

void drawTable(QPainter& p, const QColor& head)
{
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawRect(1, 2, 13, 11);
    p.fillRect(2, 3, 12, 3, head);
    p.drawLine(1, 6, 14, 6);
    p.drawLine(1, 9, 14, 9);
    p.drawLine(6, 6, 6, 13);
}

QPixmap make(TPicture which)
{
    if (which == TPicture::Tip) {
        QPixmap pm = blank(32);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        // rays
        p.setPen(QPen(QColor(230, 170, 0), 1.5));
        p.drawLine(QPointF(16, 1), QPointF(16, 4));
        p.drawLine(QPointF(4, 6), QPointF(6.5, 8.5));
        p.drawLine(QPointF(28, 6), QPointF(25.5, 8.5));
        p.drawLine(QPointF(1, 15), QPointF(4, 15));
        p.drawLine(QPointF(28, 15), QPointF(31, 15));
        // glass
        QRadialGradient glow(QPointF(13.5, 11.5), 11);
        glow.setColorAt(0, QColor(255, 255, 210));
        glow.setColorAt(1, QColor(255, 215, 40));
        p.setBrush(glow);
        p.setPen(QPen(QColor(150, 110, 0), 1));
        QPainterPath bulb;
        bulb.moveTo(12, 23);
        bulb.cubicTo(11.5, 19.5, 7, 17.5, 7, 13);
        bulb.cubicTo(7, 8, 11, 5, 16, 5);
        bulb.cubicTo(21, 5, 25, 8, 25, 13);
        bulb.cubicTo(25, 17.5, 20.5, 19.5, 20, 23);
        bulb.closeSubpath();
        p.drawPath(bulb);
        // screw base
        p.setBrush(QColor(170, 170, 170));
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.drawRoundedRect(QRectF(12, 23, 8, 3), 1, 1);
        p.drawRoundedRect(QRectF(12.5, 26, 7, 2.5), 1, 1);
        p.setBrush(QColor(90, 90, 90));
        p.drawEllipse(QRectF(14.5, 28.5, 3, 2));
        return pm;
    }
    QPixmap pm = blank(16);
    QPainter p(&pm);
    switch (which) {
    case TPicture::Entity:
        // a folder
        p.setPen(QColor(140, 100, 20));
        p.setBrush(QColor(250, 210, 90));
        p.drawRect(1, 4, 13, 9);
        p.drawRect(1, 2, 5, 2);
        p.fillRect(2, 5, 12, 1, QColor(255, 235, 160));
        break;
    case TPicture::Field:
        // a small form field: a box with a text line
        p.setPen(QColor(40, 80, 150));
        p.setBrush(Qt::white);
        p.drawRect(2, 4, 11, 7);
        p.setPen(QColor(40, 80, 150));
        p.drawLine(4, 7, 9, 7);
        p.fillRect(3, 5, 1, 5, QColor(120, 160, 220));
        break;
    case TPicture::Parameter:
        // a question mark in a circle
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(20, 110, 40));
        p.setBrush(QColor(200, 240, 200));
        p.drawEllipse(QRectF(1.5, 1.5, 12, 12));
        {
            QFont f = p.font();
            f.setPixelSize(10);
            f.setBold(true);
            p.setFont(f);
            p.drawText(QRect(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
        }
        break;
    case TPicture::Step:
        // stairs
        p.setPen(QColor(90, 50, 130));
        p.setBrush(QColor(200, 170, 235));
        p.drawRect(1, 10, 4, 4);
        p.drawRect(5, 6, 4, 8);
        p.drawRect(9, 2, 5, 12);
        break;
    case TPicture::Table:
        drawTable(p, QColor(110, 150, 210));
        break;
    case TPicture::User:
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(60, 60, 60));
        p.setBrush(QColor(240, 200, 160));
        p.drawEllipse(QRectF(5, 1.5, 6, 6));
        p.setBrush(QColor(70, 110, 180));
        p.drawRoundedRect(QRectF(2.5, 8.5, 11, 6.5), 3, 3);
        break;
    case TPicture::Set:
        // three overlapping discs
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(60, 60, 60));
        p.setBrush(QColor(240, 120, 100, 200));
        p.drawEllipse(QRectF(1, 1, 8, 8));
        p.setBrush(QColor(110, 190, 110, 200));
        p.drawEllipse(QRectF(6, 1, 8, 8));
        p.setBrush(QColor(110, 150, 230, 200));
        p.drawEllipse(QRectF(3.5, 6, 8, 8));
        break;
    default:
        break;
    }
    return pm;
}

} // namespace

const QPixmap& Picture(TPicture which)
{
    static std::map<TPicture, QPixmap> cache;
    auto it = cache.find(which);
    if (it == cache.end())
        it = cache.emplace(which, make(which)).first;
    return it->second;
}

} // namespace mx::ui
