#include "painterrender.h"

#include "pagemodel.h"
#include "reportparts.h"

#include "core/exceptions.h"
#include "settings/global.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

#include <array>
#include <vector>

namespace mx::rpt {

bool CanRender()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

THookSlot<void()> RenderingApplicationHook;

namespace {
constexpr double kHeightSlack = 3; // 0.1 mm
} // namespace

void RequireRendering()
{
    if (!CanRender() && RenderingApplicationHook)
        RenderingApplicationHook();
    if (!CanRender())
        throw EMxException(Translate(QStringLiteral("Le rapport ne peut pas être imprimé : le programme a démarré sans "
                                                    "interface graphique (QGuiApplication).")));
}

struct TPageRenderer::Fonts {
    struct Entry {
        QFont font;
        QColor color;
        double ascent = 0;
        double height = 0;   // ascent + descent
        double maxWidth = 0; // of the widest character
        // advances of the Latin-1 characters, measured once each (-1: not yet)
        std::array<double, 256> latin;
        std::unique_ptr<QFontMetricsF> metrics;

        // True when text surely fits width: its characters' advances,
        // summed one by one (kerning only narrows the shaped text), with a
        // margin. Shaping every text to know it is the costliest part of a
        // page, and most texts are far from their box's edge.
        bool Fits(const QString& text, double width)
        {
            if (double(text.size()) * maxWidth <= width)
                return true;
            double sum = 0;
            for (const QChar c : text) {
                const char16_t u = c.unicode();
                if (u >= 256)
                    return false;
                if (latin[u] < 0)
                    latin[u] = metrics->horizontalAdvance(c);
                sum += latin[u];
                if (sum * 1.05 > width)
                    return false;
            }
            return true;
        }
    };
    std::vector<Entry> entries;
};

TPageRenderer::TPageRenderer(QPainter& painter, const TReportDocument& document, double sx, double sy, QPointF origin,
    double fontScale)
    : m_painter(painter), m_doc(document), m_sx(sx), m_sy(sy), m_origin(origin), m_fontScale(fontScale),
      m_fonts(std::make_unique<Fonts>())
{
    for (const TReportFont& f : document.Fonts()) {
        Fonts::Entry e;
        e.font = QFont(f.family);
        e.font.setPointSizeF(f.pointSize * fontScale);
        e.font.setBold(f.bold);
        e.font.setItalic(f.italic);
        e.font.setUnderline(f.underline);
        e.font.setStrikeOut(f.strikeOut);
        e.color = QColor::fromRgb(f.color);
        e.metrics = std::make_unique<QFontMetricsF>(e.font, painter.device());
        e.ascent = e.metrics->ascent();
        e.height = e.metrics->ascent() + e.metrics->descent();
        e.maxWidth = e.metrics->maxWidth();
        e.latin.fill(-1);
        m_fonts->entries.push_back(std::move(e));
    }
}

TPageRenderer::~TPageRenderer() = default;



void TPageRenderer::Render(const TReportPage& page)
{
    QPainter& p = m_painter;
    const auto X = [&](qint32 v) { return m_origin.x() + v * m_sx; };
    const auto Y = [&](qint32 v) { return m_origin.y() + v * m_sy; };
    for (const TPageBox& b : page.boxes) {
        const QRectF r(X(b.x), Y(b.y), b.width * m_sx, b.height * m_sy);
        p.setBrush(b.filled ? QBrush(QColor::fromRgb(b.fillColor)) : QBrush(Qt::NoBrush));
        if (b.penWidth > 0)
            p.setPen(QPen(QColor::fromRgb(b.penColor), b.penWidth * m_sx));
        else
            p.setPen(Qt::NoPen);
        if (b.ellipse)
            p.drawEllipse(r);
        else
            p.drawRect(r);
    }
    p.setBrush(Qt::NoBrush);
    for (const TPageLine& l : page.lines) {
        p.setPen(QPen(QColor::fromRgb(l.color), l.width * m_sx, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(X(l.x1), Y(l.y1)), QPointF(X(l.x2), Y(l.y2)));
    }
    int currentFont = -1;
    for (const TPageText& t : page.texts) {
        if (t.font >= m_fonts->entries.size())
            continue;
        Fonts::Entry& f = m_fonts->entries[t.font];
        if (currentFont != t.font) {
            p.setFont(f.font);
            p.setPen(f.color);
            currentFont = t.font;
        }
        const QString text = m_doc.TextOf(t);
        double x = X(t.x);
        const double w = t.width * m_sx;
        // measured only when needed: to align, or to know whether a text
        // to be cut at its box may pass it (a text whose characters, each
        // as wide as the widest, fit cannot)
        double advance = 0;
        if (t.alignment != taLeftJustify || (t.clip && !f.Fits(text, w)))
            advance = f.metrics->horizontalAdvance(text);
        if (t.alignment != taLeftJustify)
            x += t.alignment == taRightJustify ? w - advance : (w - advance) / 2;
        const QPointF at(x, Y(t.y) + f.ascent);
        // A clip that would cut nothing is not set: each one costs the PDF a
        // saved state and a path around the text, and most texts fit (a
        // box measured in whole pixels may be a fraction of one lower than
        // its text: 0.3 mm is allowed).
        const bool cut = t.clip
            && (x < X(t.x) || x + advance > X(t.x) + w || f.height > (t.height + kHeightSlack) * m_sy);
        if (cut) {
            p.save();
            p.setClipRect(QRectF(X(t.x), Y(t.y), t.width * m_sx, t.height * m_sy));
            p.drawText(at, text);
            p.restore();
            p.setFont(f.font);
            p.setPen(f.color);
        } else {
            p.drawText(at, text);
        }
    }
}

namespace {

QPageLayout layoutOf(const TReportDocument& doc)
{
    // The page size is given portrait, the orientation turns it.
    QSizeF mm(doc.PageSize.width() / 10.0, doc.PageSize.height() / 10.0);
    const bool landscape = mm.width() > mm.height();
    if (landscape)
        mm.transpose();
    return QPageLayout(QPageSize(mm, QPageSize::Millimeter, QString(), QPageSize::FuzzyOrientationMatch),
        landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

[[noreturn]] void pdfFailed(const QString& fileName, const QString& why)
{
    throw EInOutError(TranslateFmt(QStringLiteral("Impossible d'écrire le fichier %s : %s"), {fileName, why}));
}

} // namespace

void WritePdf(const TReportDocument& document, const QString& fileName)
{
    RequireRendering();
    if (document.PageCount() == 0)
        throw EMxException(TranslateFmt(QStringLiteral("Le rapport n'a aucune page : %s n'est pas écrit."), {fileName}));
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        pdfFailed(fileName, file.errorString());
    try {
        QPdfWriter writer(&file);
        writer.setResolution(600);
        writer.setPageLayout(layoutOf(document));
        writer.setTitle(document.Title.isEmpty() ? QFileInfo(fileName).completeBaseName() : document.Title);
        writer.setCreator(QStringLiteral("Morvelin"));
        QPainter painter;
        if (!painter.begin(&writer))
            pdfFailed(fileName, file.errorString());
        const double s = writer.resolution() / 254.0;
        TPageRenderer renderer(painter, document, s, s);
        TReportPage page;
        for (int i = 0; i < document.PageCount(); ++i) {
            if (i > 0 && !writer.newPage())
                pdfFailed(fileName, file.errorString());
            document.ReadPage(i, page);
            renderer.Render(page);
        }
        if (!painter.end())
            pdfFailed(fileName, file.errorString());
    } catch (...) {
        file.cancelWriting();
        throw;
    }
    if (file.error() != QFileDevice::NoError)
        pdfFailed(fileName, file.errorString());
    if (!file.commit())
        pdfFailed(fileName, file.errorString());
}

void PrintDocument(const TReportDocument& document, QPrinter& printer)
{
    RequireRendering();
    const QString name = printer.printerName().isEmpty() ? printer.outputFileName() : printer.printerName();
    if (document.PageCount() == 0)
        return;
    printer.setFullPage(true);
    printer.setPageLayout(layoutOf(document));
    if (printer.docName().isEmpty())
        printer.setDocName(document.Title.isEmpty() ? QStringLiteral("Morvelin") : document.Title);
    int from = 1;
    int to = document.PageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = std::max(1, printer.fromPage());
        to = std::min(to, printer.toPage() > 0 ? printer.toPage() : to);
    }
    QPainter painter;
    if (!painter.begin(&printer))
        throw EMxException(TranslateFmt(QStringLiteral("L'impression sur %s ne peut pas commencer."), {name}));
    const double sx = printer.logicalDpiX() / 254.0;
    const double sy = printer.logicalDpiY() / 254.0;
    // The printable area's corner is not the paper's: full page drawing
    // puts 0 at the paper's corner.
    TPageRenderer renderer(painter, document, sx, sy);
    TReportPage page;
    for (int i = from; i <= to; ++i) {
        if (i > from && !printer.newPage()) {
            painter.end();
            throw EMxException(TranslateFmt(QStringLiteral("L'impression sur %s a échoué."), {name}));
        }
        document.ReadPage(i - 1, page);
        renderer.Render(page);
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted)
        throw EMxException(TranslateFmt(QStringLiteral("L'impression sur %s a échoué."), {name}));
}

} // namespace mx::rpt
