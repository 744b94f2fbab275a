#pragma once
// The geometry of the report editor, apart from its widgets: the bands
// drawn one under the other in the order they print (title, page header,
// column header, detail, summary, page footer; other kinds after them),
// each as wide as the printable width, with a strip of its own between
// bands; where a point falls (a control, one of its handles, a band); and
// what a drag does to a control's box.
//
// Surface coordinates are pixels; scale is pixels per 0.1 mm.

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <vector>

namespace mx::rpt {

class TQRBand;
class TQRPrintable;
class TQuickRep;

enum THandle {
    hNone,
    hMove,
    hLeft,
    hRight,
    hTop,
    hBottom,
    hTopLeft,
    hTopRight,
    hBottomLeft,
    hBottomRight,
};

struct TBandPlace {
    TQRBand* band = nullptr;
    QRectF rect;  // the band's area
    QRectF strip; // the strip under it that names it
};

struct TDesignHit {
    TQRBand* band = nullptr;
    TQRPrintable* control = nullptr;
    THandle handle = hNone;
};

class TDesignLayout {
public:
    static constexpr double kMargin = 12;    // around the page, pixels
    static constexpr double kStrip = 16;     // the name strip under a band
    static constexpr double kHandle = 6;     // a handle's side

    TDesignLayout(const TQuickRep& report, double scale);

    const std::vector<TBandPlace>& Bands() const { return m_bands; }
    QSizeF Size() const { return m_size; }
    double Scale() const { return m_scale; }
    // The control's box on the surface; empty when it is in no band shown.
    QRectF ControlRect(const TQRPrintable* control) const;
    const TBandPlace* PlaceOf(const TQRBand* band) const;
    // The eight handles of a box, in the order of THandle from hLeft.
    static std::vector<std::pair<THandle, QRectF>> Handles(const QRectF& box);
    // What lies at point: the handles of selected first, then the topmost
    // control, then the band.
    TDesignHit HitTest(QPointF point, const TQRPrintable* selected = nullptr) const;

    // The band's name shown in its strip ("Détail").
    static QString BandName(const TQRBand& band);

private:
    const TQuickRep& m_report;
    double m_scale;
    std::vector<TBandPlace> m_bands;
    QSizeF m_size;
};

// The box (0.1 mm, in the band) a drag of handle by delta pixels gives a
// box that was start: moved or resized, kept inside the band's area, at
// least one pixel wide and high.
QRectF DraggedBounds(const QRectF& start, THandle handle, QPointF delta, double scale, const QSizeF& band);

} // namespace mx::rpt
