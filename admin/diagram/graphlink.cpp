// The link lines of the diagram.

#include "graph.h"

#include "engine/model/link.h"
#include "engine/model/modeltypes.h"

#include "ui/services/guarded.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace mx::admin {

namespace {

// A label's size on screen ("0,1" or "0,N"), measured once: every line
// asks on each of its moves.
QSize LabelSize(const QString& text)
{
    static const QHash<QString, QSize> sizes = [] {
        const QFontMetrics fm(TGraphLink::LabelFont());
        QHash<QString, QSize> out;
        for (const QString& t : {QStringLiteral("0,1"), QStringLiteral("0,N")})
            out.insert(t, QSize(fm.horizontalAdvance(t), fm.height()));
        return out;
    }();
    return sizes.value(text);
}

} // namespace

TGraphLink::TGraphLink(TGraph* graph, TMxLink* link) : m_graph(graph)
{
    setZValue(0);
    ui::Connect(&m_observer, &ui::TItemObserver::changed, this, [this](TMxItem*) { SetLink(Link()); });
    SetLink(link);
}

TGraphLink::~TGraphLink()
{
    if (m_highlighted)
        m_graph->SetSelected(nullptr);
    if (m_graph->m_selectedLink == this)
        m_graph->m_selectedLink = nullptr;
    detach();
    m_graph->forgetLink(this);
}

void TGraphLink::detach()
{
    TGraphTable* master = m_master;
    TGraphTable* detail = m_detail;
    if (master)
        std::erase(master->m_links, this);
    if (detail)
        std::erase(detail->m_masterLinks, this);
    m_master = m_detail = nullptr;
    // the other lines of these panels spread again
    for (TGraphTable* panel : {master, detail})
        if (panel)
            panel->updateLinks();
}

void TGraphLink::SetLink(TMxLink* link)
{
    detach();
    if (link != m_link.get()) {
        m_link.reset(link);
        m_observer.Observe(link);
    }
    if (link) {
        m_master = m_graph->TableById(link->Master());
        m_detail = m_graph->TableById(link->Detail());
        if (m_master == m_detail)
            m_master = m_detail = nullptr;
    }
    if (m_master)
        m_master->m_links.push_back(this);
    if (m_detail)
        m_detail->m_masterLinks.push_back(this);
    for (TGraphTable* panel : {m_master, m_detail})
        if (panel)
            panel->updateLinks(this);
    UpdatePosition();
}

void TGraphLink::SetHighlighted(bool highlighted)
{
    if (highlighted == m_highlighted)
        return;
    m_highlighted = highlighted;
    UpdatePosition();
}

void TGraphLink::UpdatePosition()
{
    QRect rect;
    if (m_master && m_detail) {
        const TLinkSides sides = ChooseSides(m_master->LinkEnd(this), m_detail->LinkEnd(this));
        m_masterSide = sides.master;
        m_detailSide = sides.detail;
        const QPoint a = m_master->GetLinkPoint(this, m_masterSide, false);
        const QPoint d = m_detail->GetLinkPoint(this, m_detailSide, false);
        const int left = std::min(a.x(), d.x());
        const int top = std::min(a.y(), d.y());
        rect = QRect(left - 10, top - 10, std::abs(d.x() - a.x()) + 21, std::abs(d.y() - a.y()) + 21);
    }
    QRect masterLabel, detailLabel;
    if (!rect.isEmpty()) {
        const QSize ms = LabelSize(MasterLabelText());
        const QSize ds = LabelSize(DetailLabelText());
        const QPoint a = m_master->GetLinkPoint(this, m_masterSide, false);
        const QPoint d = m_detail->GetLinkPoint(this, m_detailSide, false);
        const TLinkLabels corners = LinkLabels(a, m_masterSide, ms, d, m_detailSide, ds, rect);
        masterLabel = QRect(corners.master, ms);
        detailLabel = QRect(corners.detail, ds);
    }
    if (rect != m_rect || masterLabel != m_masterLabelWanted || detailLabel != m_detailLabelWanted) {
        prepareGeometryChange();
        m_rect = rect;
        m_masterLabelWanted = m_masterLabel = masterLabel;
        m_detailLabelWanted = m_detailLabel = detailLabel;
        m_graph->growScene(rect);
    }
    setVisible(!m_rect.isEmpty());
    update();
    // the labels of the other lines that end beside this one's move apart
    for (TGraphTable* panel : {m_master, m_detail})
        if (panel)
            panel->spreadLabels();
}

void TGraphLink::setLabel(bool masterEnd, const QRect& rect)
{
    QRect& label = masterEnd ? m_masterLabel : m_detailLabel;
    if (label == rect)
        return;
    prepareGeometryChange();
    label = rect;
    m_graph->growScene(rect);
    update();
}

QRectF TGraphLink::boundingRect() const
{
    // a label may reach out of the line's rectangle
    return m_rect.isEmpty() ? QRectF() : QRectF(m_rect.united(m_masterLabel).united(m_detailLabel));
}

QFont TGraphLink::LabelFont()
{
    QFont font;
    font.setPixelSize(10);
    return font;
}

QString TGraphLink::MasterLabelText() const
{
    return QStringLiteral("0,1");
}

QString TGraphLink::DetailLabelText() const
{
    const TMxLink* link = Link();
    return link && link->LinkType() == ltOneToMany ? QStringLiteral("0,N") : QStringLiteral("0,1");
}

void TGraphLink::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    DrawTo(*painter, nullptr);
}

void TGraphLink::DrawTo(QPainter& p, const TGraphPrintInfo* page) const
{
    const TMxLink* link = Link();
    if (!m_master || !m_detail || !link || m_rect.isEmpty())
        return;
    // every point is kept inside the line's own rectangle, then scaled
    // onto the page when there is one
    auto at = [this, page](QPoint pt) {
        pt.setX(std::clamp(pt.x(), m_rect.left(), m_rect.right()));
        pt.setY(std::clamp(pt.y(), m_rect.top(), m_rect.bottom()));
        return page ? QPoint(page->MapX(pt.x()), page->MapY(pt.y())) : pt;
    };
    p.save();
    QFont font = p.font();
    font.setPixelSize(page ? std::max(1, int(std::lround(10 * page->ScaleY))) : 10);
    p.setFont(font);
    p.setBrush(Qt::NoBrush);
    const QColor colour = page || m_highlighted ? QColor(Qt::black) : QColor(128, 128, 128);
    p.setPen(QPen(colour, 0));
    const QPoint a0 = m_master->GetLinkPoint(this, m_masterSide, false);
    const QPoint a1 = m_master->GetLinkPoint(this, m_masterSide, true);
    const QPoint d1 = m_detail->GetLinkPoint(this, m_detailSide, true);
    const QPoint d0 = m_detail->GetLinkPoint(this, m_detailSide, false);
    const QPoint line[4] = {at(a0), at(a1), at(d1), at(d0)};
    p.drawPolyline(line, 4);
    const bool many = link->LinkType() == ltOneToMany;
    for (const QLine& stroke : Chevrons(d0, m_detailSide, many ? 2 : 1))
        p.drawLine(at(stroke.p1()), at(stroke.p2()));
    // the labels are placed in display pixels, as on screen
    auto label = [&](const QRect& r, const QString& text) {
        const QPoint corner = r.topLeft();
        const QSize size = r.size();
        // placed already: only scaled
        const QPoint tl = page ? QPoint(page->MapX(corner.x()), page->MapY(corner.y())) : corner;
        const QPoint br = page ? QPoint(page->MapX(corner.x() + size.width()), page->MapY(corner.y() + size.height()))
                               : tl + QPoint(size.width(), size.height());
        p.drawText(QRect(tl, br), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    };
    label(m_masterLabel, MasterLabelText());
    label(m_detailLabel, DetailLabelText());
    p.restore();
}

} // namespace mx::admin
