#include "logo.h"

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace mx::ui {

QImage DrawLogo(const QString& langCode)
{
    const QString tagLine = langCode.compare(QStringLiteral("Fr"), Qt::CaseInsensitive) == 0
        ? QStringLiteral("Requêtes et rapports sur vos bases de données")
        : QStringLiteral("Queries and reports over your databases");
    QFont title(QStringLiteral("Sans Serif"));
    title.setPixelSize(44);
    title.setBold(true);
    QFont small(QStringLiteral("Sans Serif"));
    small.setPixelSize(14);
    const QFontMetrics tm(title);
    const QFontMetrics sm(small);
    const int margin = 24;
    const int mark = 72;
    const int textWidth = qMax(tm.horizontalAdvance(QStringLiteral("Morvelin")), sm.horizontalAdvance(tagLine));
    const int width = margin * 3 + mark + textWidth;
    const int height = margin * 2 + qMax(mark, tm.height() + sm.height() + 8) + 20;

    QImage img(width, height, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // The mark: three stacked table slabs, the top one lit, joined by a
    // query arrow.
    const QColor dark(0x1F, 0x3A, 0x68);
    const QColor light(0x4F, 0x8F, 0xD8);
    for (int i = 0; i < 3; ++i) {
        const QRectF slab(margin, margin + 8 + i * 22, mark - 16, 16);
        QLinearGradient g(slab.topLeft(), slab.bottomLeft());
        g.setColorAt(0, i == 0 ? light : dark.lighter(130 + i * 20));
        g.setColorAt(1, i == 0 ? light.darker(120) : dark);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(slab, 5, 5);
    }
    QPainterPath arrow;
    arrow.moveTo(margin + mark - 12, margin + 16);
    arrow.cubicTo(margin + mark + 6, margin + 30, margin + mark + 6, margin + 52, margin + mark - 10, margin + 62);
    p.setPen(QPen(QColor(0xE0, 0x8A, 0x1E), 4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arrow);
    p.drawLine(QPointF(margin + mark - 10, margin + 62), QPointF(margin + mark - 2, margin + 56));
    p.drawLine(QPointF(margin + mark - 10, margin + 62), QPointF(margin + mark - 2, margin + 68));

    const int x = margin * 2 + mark;
    p.setPen(dark);
    p.setFont(title);
    p.drawText(x, margin + tm.ascent(), QStringLiteral("Morvelin"));
    p.setFont(small);
    p.setPen(QColor(0x50, 0x50, 0x50));
    p.drawText(x, margin + tm.height() + 8 + sm.ascent(), tagLine);
    // A thin rule and the version at the foot.
    p.setPen(QColor(0xC8, 0xC8, 0xC8));
    p.drawLine(margin, height - margin - 4, width - margin, height - margin - 4);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawText(QRect(margin, height - margin, width - 2 * margin, sm.height()), Qt::AlignRight | Qt::AlignTop,
        QStringLiteral("Version 1.0.17"));
    return img;
}

} // namespace mx::ui
