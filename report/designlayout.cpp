#include "designlayout.h"

#include "reportparts.h"

#include "engine/settings/global.h"

#include <algorithm>

namespace mx::rpt {

namespace {

int printRank(TQRBandType t)
{
    switch (t) {
    case rbTitle:
        return 1;
    case rbPageHeader:
        return 0;
    case rbColumnHeader:
        return 2;
    case rbDetail:
        return 3;
    case rbSummary:
        return 4;
    case rbPageFooter:
        return 5;
    default:
        return 6 + int(t);
    }
}

} // namespace

TDesignLayout::TDesignLayout(const TQuickRep& report, double scale) : m_report(report), m_scale(scale)
{
    std::vector<TQRBand*> bands = report.Bands();
    std::stable_sort(bands.begin(), bands.end(),
        [](const TQRBand* a, const TQRBand* b) { return printRank(a->BandType()) < printRank(b->BandType()); });
    const double width = report.PrintableWidth() * scale;
    double y = kMargin;
    for (TQRBand* b : bands) {
        TBandPlace p;
        p.band = b;
        p.rect = QRectF(kMargin, y, width, std::max(1.0, b->Bounds().height() * scale));
        p.strip = QRectF(kMargin, p.rect.bottom(), width, kStrip);
        y = p.strip.bottom();
        m_bands.push_back(p);
    }
    m_size = QSizeF(width + 2 * kMargin, y + kMargin);
}

const TBandPlace* TDesignLayout::PlaceOf(const TQRBand* band) const
{
    for (const TBandPlace& p : m_bands)
        if (p.band == band)
            return &p;
    return nullptr;
}

QRectF TDesignLayout::ControlRect(const TQRPrintable* control) const
{
    const auto* band = dynamic_cast<const TQRBand*>(control ? control->ParentPart() : nullptr);
    const TBandPlace* p = band ? PlaceOf(band) : nullptr;
    if (!p)
        return {};
    const QRectF b = control->Bounds();
    return QRectF(p->rect.left() + b.left() * m_scale, p->rect.top() + b.top() * m_scale, b.width() * m_scale,
        b.height() * m_scale);
}

std::vector<std::pair<THandle, QRectF>> TDesignLayout::Handles(const QRectF& box)
{
    const double h = kHandle;
    const auto at = [h](double x, double y) { return QRectF(x - h / 2, y - h / 2, h, h); };
    const double cx = box.center().x();
    const double cy = box.center().y();
    return {{hLeft, at(box.left(), cy)}, {hRight, at(box.right(), cy)}, {hTop, at(cx, box.top())},
        {hBottom, at(cx, box.bottom())}, {hTopLeft, at(box.left(), box.top())}, {hTopRight, at(box.right(), box.top())},
        {hBottomLeft, at(box.left(), box.bottom())}, {hBottomRight, at(box.right(), box.bottom())}};
}

TDesignHit TDesignLayout::HitTest(QPointF point, const TQRPrintable* selected) const
{
    TDesignHit hit;
    if (selected) {
        const QRectF box = ControlRect(selected);
        if (!box.isNull()) {
            // corners before sides, where they overlap
            const auto handles = Handles(box);
            for (auto it = handles.rbegin(); it != handles.rend(); ++it) {
                if (it->second.contains(point)) {
                    hit.control = const_cast<TQRPrintable*>(selected);
                    hit.band = dynamic_cast<TQRBand*>(selected->ParentPart());
                    hit.handle = it->first;
                    return hit;
                }
            }
        }
    }
    for (const TBandPlace& p : m_bands) {
        if (!p.rect.contains(point) && !p.strip.contains(point))
            continue;
        hit.band = p.band;
        const auto controls = p.band->Controls();
        // the last drawn is on top
        for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
            if (ControlRect(*it).contains(point)) {
                hit.control = *it;
                hit.handle = hMove;
                break;
            }
        }
        return hit;
    }
    return hit;
}

QString TDesignLayout::BandName(const TQRBand& band)
{
    switch (band.BandType()) {
    case rbTitle:
        return Translate(QStringLiteral("Titre"));
    case rbPageHeader:
        return Translate(QStringLiteral("En-tête de page"));
    case rbColumnHeader:
        return Translate(QStringLiteral("En-tête de colonnes"));
    case rbDetail:
        return Translate(QStringLiteral("Détail"));
    case rbSummary:
        return Translate(QStringLiteral("Résumé"));
    case rbPageFooter:
        return Translate(QStringLiteral("Pied de page"));
    default:
        return band.ComponentName();
    }
}

QRectF DraggedBounds(const QRectF& start, THandle handle, QPointF delta, double scale, const QSizeF& band)
{
    const double dx = delta.x() / scale;
    const double dy = delta.y() / scale;
    const double minSide = 1.0 / scale * 1.0; // one pixel
    double left = start.left();
    double top = start.top();
    double right = start.right();
    double bottom = start.bottom();
    switch (handle) {
    case hNone:
        return start;
    case hMove: {
        const double w = start.width();
        const double h = start.height();
        left = std::clamp(left + dx, 0.0, std::max(0.0, band.width() - w));
        top = std::clamp(top + dy, 0.0, std::max(0.0, band.height() - h));
        return QRectF(left, top, w, h);
    }
    case hLeft:
    case hTopLeft:
    case hBottomLeft:
        left = std::clamp(left + dx, 0.0, right - minSide);
        break;
    case hRight:
    case hTopRight:
    case hBottomRight:
        right = std::clamp(right + dx, left + minSide, std::max(left + minSide, band.width()));
        break;
    default:
        break;
    }
    switch (handle) {
    case hTop:
    case hTopLeft:
    case hTopRight:
        top = std::clamp(top + dy, 0.0, bottom - minSide);
        break;
    case hBottom:
    case hBottomLeft:
    case hBottomRight:
        bottom = std::clamp(bottom + dy, top + minSide, std::max(top + minSide, band.height()));
        break;
    default:
        break;
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

} // namespace mx::rpt
