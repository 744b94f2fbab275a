#include "paletteglyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace mx {

QIcon PaletteGlyph(TDlgControlKind kind)
{
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor ink(0x20, 0x20, 0x20);
    p.setPen(QPen(ink, 1));
    switch (kind) {
    case ckNone: { // the arrow
        QPainterPath arrow;
        arrow.moveTo(6, 3);
        arrow.lineTo(6, 16);
        arrow.lineTo(9, 13);
        arrow.lineTo(12, 18);
        arrow.lineTo(14, 17);
        arrow.lineTo(11, 12);
        arrow.lineTo(15, 12);
        arrow.closeSubpath();
        p.fillPath(arrow, Qt::white);
        p.drawPath(arrow);
        break;
    }
    case ckLabel: {
        QFont f = p.font();
        f.setPixelSize(14);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, QStringLiteral("A"));
        break;
    }
    case ckEdit:
        p.fillRect(QRect(2, 6, 16, 9), Qt::white);
        p.drawRect(QRect(2, 6, 16, 9));
        p.drawLine(5, 8, 5, 13);
        break;
    case ckListBox:
        p.fillRect(QRect(3, 2, 14, 16), Qt::white);
        p.drawRect(QRect(3, 2, 14, 16));
        for (int y = 5; y < 17; y += 3)
            p.drawLine(5, y, 15, y);
        break;
    case ckCombo:
        p.fillRect(QRect(1, 6, 18, 9), Qt::white);
        p.drawRect(QRect(1, 6, 18, 9));
        p.drawLine(13, 6, 13, 15);
        p.setBrush(ink);
        p.drawPolygon(QPolygon({QPoint(14, 9), QPoint(18, 9), QPoint(16, 12)}));
        break;
    case ckCheck:
        p.fillRect(QRect(4, 4, 12, 12), Qt::white);
        p.drawRect(QRect(4, 4, 12, 12));
        p.setPen(QPen(ink, 2));
        p.drawPolyline(QPolygon({QPoint(6, 10), QPoint(9, 13), QPoint(14, 6)}));
        break;
    case ckRadio:
        p.setBrush(Qt::white);
        p.drawEllipse(QRect(4, 4, 12, 12));
        p.setBrush(ink);
        p.drawEllipse(QRect(8, 8, 4, 4));
        break;
    case ckBevel:
        p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
        p.drawRect(QRect(2, 3, 15, 13));
        p.setPen(QPen(Qt::white, 1));
        p.drawRect(QRect(3, 4, 15, 13));
        break;
    case ckImage:
        p.fillRect(QRect(2, 3, 16, 14), QColor(0xcc, 0xe4, 0xff));
        p.drawRect(QRect(2, 3, 16, 14));
        p.setBrush(QColor(0x40, 0x90, 0x40));
        p.drawPolygon(QPolygon({QPoint(3, 16), QPoint(8, 8), QPoint(12, 13), QPoint(14, 11), QPoint(17, 16)}));
        break;
    }
    p.end();
    return QIcon(pixmap);
}

} // namespace mx
