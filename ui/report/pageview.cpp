#include "pageview.h"

#include "engine/errors/errorhandler.h"
#include "report/painterrender.h"
#include "report/pagemodel.h"

#include <QPainter>

namespace mx::ui {

TPageView::TPageView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PageView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPageView::SetDocument(std::shared_ptr<const rpt::TReportDocument> document)
{
    m_doc = std::move(document);
    m_page = 0;
    updateGeometry();
    resize(sizeHint());
    update();
}

void TPageView::SetPageIndex(int index)
{
    m_page = index;
    update();
}

void TPageView::SetZoom(double zoom)
{
    m_zoom = std::clamp(zoom, 0.05, 8.0);
    updateGeometry();
    resize(sizeHint());
    update();
}

QSize TPageView::SheetSize(double zoom) const
{
    const QSize tenth = m_doc ? m_doc->PageSize : QSize(2100, 2970);
    const double px = logicalDpiX() / 254.0 * zoom;
    const double py = logicalDpiY() / 254.0 * zoom;
    return QSize(qRound(tenth.width() * px), qRound(tenth.height() * py));
}

QSize TPageView::sizeHint() const
{
    return SheetSize(m_zoom) + QSize(2 * kBorder, 2 * kBorder);
}

void TPageView::paintEvent(QPaintEvent*)
{
    Guard(this, [&] {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Dark));
        const QSize sheet = SheetSize(m_zoom);
        const QRect paper(QPoint(std::max(kBorder, (width() - sheet.width()) / 2), kBorder), sheet);
        p.fillRect(paper.translated(3, 3), QColor(0, 0, 0, 90));
        p.fillRect(paper, Qt::white);
        if (!m_doc || m_page < 0 || m_page >= m_doc->PageCount())
            return;
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setClipRect(paper);
        rpt::TPageRenderer renderer(p, *m_doc, logicalDpiX() / 254.0 * m_zoom, logicalDpiY() / 254.0 * m_zoom,
            QPointF(paper.topLeft()), m_zoom);
        renderer.Render(m_doc->Page(m_page));
    });
}

} // namespace mx::ui
