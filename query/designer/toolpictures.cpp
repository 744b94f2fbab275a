#include "toolpictures.h"

#include "designerlogic.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace mx {
namespace {

const char* const kThemeNames[kToolButtonCount] = {
    "document-new",           // Nouvelle
    "document-open",          // Ouvrir
    "media-playback-start",   // Exécuter
    "document-properties",    // Param.
    "view-filter",            // Filtre
    "accessories-calculator", // Calc.
    "view-sort-ascending",    // Tri
    "document-export",        // Résultats
    "help-about",             // A propos
};

const QColor kInk(0x30, 0x30, 0x30);

void page(QPainter& p)
{
    QPainterPath path;
    path.moveTo(3.5, 1.5);
    path.lineTo(9.5, 1.5);
    path.lineTo(12.5, 4.5);
    path.lineTo(12.5, 14.5);
    path.lineTo(3.5, 14.5);
    path.closeSubpath();
    p.setPen(kInk);
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.drawLine(QPointF(9.5, 1.5), QPointF(9.5, 4.5));
    p.drawLine(QPointF(9.5, 4.5), QPointF(12.5, 4.5));
}

void draw(QPainter& p, int index)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0: // a new page, with a star
        page(p);
        p.setPen(QColor(0xE0, 0xA0, 0x00));
        p.drawLine(QPointF(6, 8), QPointF(10, 12));
        p.drawLine(QPointF(10, 8), QPointF(6, 12));
        p.drawLine(QPointF(8, 7), QPointF(8, 13));
        break;
    case 1: // a folder
        p.setPen(QColor(0x80, 0x60, 0x10));
        p.setBrush(QColor(0xF0, 0xC8, 0x50));
        p.drawRect(QRectF(1.5, 4.5, 13, 9));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
        break;
    case 2: { // play
        p.setPen(QColor(0x10, 0x60, 0x10));
        p.setBrush(QColor(0x30, 0xA0, 0x30));
        const QPointF tri[] = {{4, 2}, {13, 8}, {4, 14}};
        p.drawPolygon(tri, 3);
        break;
    }
    case 3: // a form: labels and fields
        p.setPen(kInk);
        p.setBrush(QColor(0xE8, 0xE8, 0xF8));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::white);
        for (int y : {4, 8, 12}) {
            p.drawLine(QPointF(3, y), QPointF(6, y));
            p.drawRect(QRectF(7.5, y - 1.5, 5, 3));
        }
        break;
    case 4: { // a funnel
        p.setPen(QColor(0x20, 0x40, 0x90));
        p.setBrush(QColor(0x60, 0x90, 0xE0));
        const QPointF funnel[] = {{1.5, 2.5}, {14.5, 2.5}, {9.5, 8.5}, {9.5, 14}, {6.5, 12.5}, {6.5, 8.5}};
        p.drawPolygon(funnel, 6);
        break;
    }
    case 5: // a calculator
        p.setPen(kInk);
        p.setBrush(QColor(0xD0, 0xD0, 0xD0));
        p.drawRoundedRect(QRectF(2.5, 0.5, 11, 15), 1.5, 1.5);
        p.setBrush(QColor(0xC0, 0xE8, 0xC0));
        p.drawRect(QRectF(4.5, 2.5, 7, 3));
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                p.drawRect(QRectF(4.5 + col * 2.5, 7 + row * 2.7, 1.8, 1.8));
        break;
    case 6: // sorted lines, shortest first, and a down arrow
        p.setPen(QPen(kInk, 1.6));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(1.5, 3 + i * 3.3), QPointF(4 + i * 2.2, 3 + i * 3.3));
        p.setPen(QPen(QColor(0x20, 0x40, 0x90), 1.6));
        p.drawLine(QPointF(13, 2), QPointF(13, 13.5));
        p.drawLine(QPointF(10.5, 11), QPointF(13, 14));
        p.drawLine(QPointF(15.5, 11), QPointF(13, 14));
        break;
    case 7: // a table of results sent out
        p.setPen(kInk);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(0.5, 3.5, 10, 10));
        p.drawLine(QPointF(0.5, 7), QPointF(10.5, 7));
        p.drawLine(QPointF(0.5, 10.3), QPointF(10.5, 10.3));
        p.drawLine(QPointF(5.5, 3.5), QPointF(5.5, 13.5));
        p.setPen(QPen(QColor(0x30, 0xA0, 0x30), 1.8));
        p.drawLine(QPointF(8, 2.5), QPointF(15, 2.5));
        p.drawLine(QPointF(12.5, 0.5), QPointF(15, 2.5));
        p.drawLine(QPointF(12.5, 4.5), QPointF(15, 2.5));
        break;
    default: { // about: an "i" in a blue disc
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x20, 0x60, 0xC0));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(7, 3.5, 2, 2));
        p.drawRect(QRectF(7, 7, 2, 5.5));
        break;
    }
    }
}

} // namespace

const char* ToolButtonThemeName(int index)
{
    return index >= 0 && index < kToolButtonCount ? kThemeNames[index] : "";
}

QImage ToolButtonPicture(int index)
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    draw(p, index);
    return image;
}

QIcon ToolButtonIcon(int index)
{
    return QIcon::fromTheme(QString::fromLatin1(ToolButtonThemeName(index)), QIcon(QPixmap::fromImage(ToolButtonPicture(index))));
}

} // namespace mx
