#pragma once
// Drawing pages with QPainter: on the preview's page, on a printer, into
// a PDF file. Coordinates are turned from 0.1 mm into device dots by hand
// (the painter is never scaled), so fonts keep their point size on every
// device; the screen gives its zoom as a font scale.

#include "engine/core/hookslot.h"

#include <QPointF>
#include <QString>

#include <memory>

class QPainter;
class QPrinter;

namespace mx::rpt {

class TReportDocument;
struct TReportPage;

// Draws one page: dotsPerTenthMm device dots per 0.1 mm, origin where
// the page's top left corner goes, fontScale 1 on paper (the zoom on a
// screen whose dots are its logical dots).
class TPageRenderer {
public:
    TPageRenderer(QPainter& painter, const TReportDocument& document, double dotsPerTenthMmX, double dotsPerTenthMmY,
        QPointF origin = {}, double fontScale = 1.0);
    ~TPageRenderer();
    void Render(const TReportPage& page);

private:
    struct Fonts;
    QPainter& m_painter;
    const TReportDocument& m_doc;
    double m_sx;
    double m_sy;
    QPointF m_origin;
    double m_fontScale;
    std::unique_ptr<Fonts> m_fonts;
};

// Writes the document as PDF to a temporary file beside fileName and
// renames it into place once whole; on any failure the former file stays
// as it was and EInOutError says why (for a write the system refused, the
// system's reason). A target that exists and is not a regular file (a
// symbolic link, a device, a FIFO) is refused, and so is a missing folder:
// none is made. Needs a GUI application (fonts).
void WritePdf(const TReportDocument& document, const QString& fileName);

// Prints the document on printer (its page range when one was chosen).
// Raises EMxException when printing cannot start or the printer fails.
void PrintDocument(const TReportDocument& document, QPrinter& printer);

// True when the process has the GUI application that drawing text needs.
bool CanRender();
// Makes sure there is one: without one it calls RenderingApplicationHook
// (a start-up that makes its application object on demand fills it to make
// a QGuiApplication), then raises EMxException with the reason when there
// is still none.
void RequireRendering();
extern THookSlot<void()> RenderingApplicationHook;

} // namespace mx::rpt
