// The panels of the diagram: one per table, with its mode button, its
// title and its field list.

#include "graph.h"
#include "graphparts.h"

#include "engine/model/datamodel.h"
#include "engine/model/entity.h"
#include "engine/model/field.h"
#include "engine/model/table.h"

#include "ui/controls/picturelistbox.h"
#include "ui/services/guarded.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <cmath>
#include <utility>

namespace mx::admin {

void TGraphPanelPart::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const QPalette pal = QApplication::palette();
    QPainter& p = *painter;
    switch (m_kind) {
    case ModeButton: {
        QFont font = QApplication::font();
        font.setPointSizeF(std::max(1.0, font.pointSizeF()) + 4);
        p.setFont(font);
        p.setPen(pal.color(QPalette::ButtonText));
        p.drawText(m_rect, Qt::AlignCenter, m_panel->DesignMode() == 2 ? QStringLiteral("-") : QStringLiteral("+"));
        break;
    }
    case Title: {
        const bool active = m_panel->Selected() || m_panel->Graph()->m_highlightedMaster == m_panel;
        p.fillRect(m_rect, pal.color(active ? QPalette::Active : QPalette::Inactive, active ? QPalette::Highlight : QPalette::Mid));
        QFont font = QApplication::font();
        font.setBold(true);
        p.setFont(font);
        p.setPen(pal.color(active ? QPalette::HighlightedText : QPalette::WindowText));
        const QString text = QFontMetrics(font).elidedText(m_panel->Title(), Qt::ElideRight, m_rect.width() - 4);
        p.drawText(m_rect.adjusted(2, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, text);
        break;
    }
    case FieldList: {
        if (m_rect.height() <= 0)
            return;
        p.fillRect(m_rect, pal.color(QPalette::Base));
        p.setPen(pal.color(QPalette::Text));
        QFont normal = QApplication::font();
        normal.setPixelSize(11);
        QFont entity = normal;
        entity.setBold(true);
        entity.setUnderline(true);
        const TGraph* graph = m_panel->Graph();
        const QStringList& lines = m_panel->Lines();
        for (int i = 0; i < lines.size(); ++i) {
            const QRect row(m_rect.left() + 1, m_rect.top() + kLineHeight * i + 1, m_rect.width() - 3, kLineHeight);
            QString text = lines[i];
            if (m_panel->DesignMode() == 2 && !text.startsWith(u' ')) {
                p.setFont(entity);
                ui::DrawPictureItem(p, row, graph->EntityPicture(), kLineHeight, 1, true, text);
            } else {
                if (m_panel->DesignMode() == 2)
                    text.remove(0, 1);
                p.setFont(normal);
                ui::DrawPictureItem(p, row, graph->FieldPicture(), kLineHeight, m_panel->DesignMode() == 2 ? 13 : 1,
                    true, text);
            }
        }
        break;
    }
    }
}

TGraphTable::TGraphTable(TGraph* graph, TMxTable* table) : m_graph(graph), m_table(table)
{
    setObjectName(QStringLiteral("GraphTable"));
    setZValue(1);
    m_button = new TGraphPanelPart(this, TGraphPanelPart::ModeButton, "btMode");
    m_titlePart = new TGraphPanelPart(this, TGraphPanelPart::Title, "paTitle");
    m_fieldList = new TGraphPanelPart(this, TGraphPanelPart::FieldList, "_DragSource");
    m_level = table ? std::clamp(table->DesignMode(), 0, 2) : 1;
    // A rename or any change of the table shows at once; so do fields
    // added or removed.
    ui::Connect(&m_tableObserver, &ui::TItemObserver::changed, this, [this](TMxItem*) {
        if (!m_storing)
            Refresh();
    });
    auto fieldsChanged = [this](TMxItem*) {
        if (m_level == 1)
            Refresh();
    };
    ui::Connect(&m_fieldsObserver, &ui::TItemObserver::changed, this, fieldsChanged);
    // each field is observed too: its own changes do not travel to its list
    // (the names at level 1, the full names at level 2)
    ui::Connect(&m_fieldsObserver, &ui::TItemObserver::added, this, [this](TMxItem* field) {
        auto observer = std::make_unique<ui::TItemObserver>(field);
        ui::Connect(observer.get(), &ui::TItemObserver::changed, this, [this](TMxItem*) {
            if (m_level != 0)
                Refresh();
        });
        m_fieldObservers.push_back(std::move(observer));
    });
    m_tableObserver.Observe(table);
    m_fieldsObserver.Observe(table ? table->Fields() : nullptr);
    ui::Connect(&m_fieldsObserver, &ui::TItemObserver::added, this, fieldsChanged);
    ui::Connect(&m_fieldsObserver, &ui::TItemObserver::removed, this, [this](TMxItem* gone) {
        std::erase_if(m_fieldObservers, [gone](const auto& o) { return !o->Item() || o->Item() == gone; });
        // the field is still in the list: drop its line now
        if (m_level == 1) {
            m_lines.removeOne(QLatin1Char(' ') + gone->Name());
            layoutParts();
        }
    });
}

TGraphTable::~TGraphTable()
{
    if (m_graph->m_selected == this || m_graph->m_highlightedMaster == this)
        m_graph->SetSelected(nullptr);
    // the lines that join this panel are left without it
    for (TGraphLink* link : std::exchange(m_masterLinks, {})) {
        link->m_detail = nullptr;
        link->UpdatePosition();
    }
    for (TGraphLink* link : m_links) {
        link->m_master = nullptr;
        link->UpdatePosition();
    }
    m_graph->forgetTable(this);
}

void TGraphTable::SetDesignMode(int level)
{
    if (level == m_level)
        return;
    m_level = level;
    if (TMxTable* table = Table()) {
        m_storing = true;
        table->SetDesignMode(level);
        m_storing = false;
        if (m_graph->Model())
            m_graph->Model()->MarkModified();
    }
    Refresh();
    if (QGraphicsView* view = m_graph->Display())
        view->ensureVisible(this, 0, 0);
}

void TGraphTable::ModeButtonClick()
{
    SetDesignMode(m_level == 2 ? 0 : m_level + 1);
}

void TGraphTable::SetSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    m_titlePart->update();
}

TGraphTable* TGraphTable::MasterTable() const
{
    const TGraphLink* link = MasterLink();
    return link ? link->MasterPanel() : nullptr;
}

void TGraphTable::Refresh()
{
    m_lines.clear();
    TMxTable* table = Table();
    if (!table) {
        m_title.clear();
    } else if (m_level == 0) {
        m_title = table->FullName();
    } else if (m_level == 1) {
        m_title = QStringLiteral("[%1]").arg(table->Name());
        for (TMxItem* field : *table->Fields())
            m_lines << QLatin1Char(' ') + field->Name();
    } else {
        m_title = table->FullName();
        for (TMxItem* item : *table->Entities()) {
            auto* entity = static_cast<TMxEntity*>(item);
            m_lines << entity->Name();
            for (int i = 0; i < entity->WFields()->Count(); ++i) {
                const TMxField* field = entity->GetField(i);
                m_lines << QLatin1Char(' ') + (field ? field->FullName() : entity->WFields()->Items(i)->Name());
            }
        }
    }
    m_button->update();
    m_titlePart->update();
    SetBounds(0, 0);
}

void TGraphTable::layoutParts()
{
    const int height = PanelHeight(int(m_lines.size()));
    if (height != m_height) {
        prepareGeometryChange();
        m_height = height;
    }
    m_button->SetRect(QRect(2, 2, 21, 19));
    m_titlePart->SetRect(QRect(24, 3, kPanelWidth - 27, kTitleHeight));
    m_fieldList->SetRect(QRect(1, kFieldListTop, kPanelWidth - 1, FieldListHeight(int(m_lines.size()))));
    update();
}

void TGraphTable::SetBounds(int left, int top)
{
    if (TMxTable* table = Table()) {
        // 0 stands for the stored place; another place is stored
        m_storing = true;
        if (left == 0)
            left = table->DesignX();
        else
            table->SetDesignX(left);
        if (top == 0)
            top = table->DesignY();
        else
            table->SetDesignY(top);
        m_storing = false;
    }
    const bool moved = QPointF(left, top) != pos();
    setPos(left, top);
    const int before = m_height;
    layoutParts();
    if (moved || before != m_height)
        attachedLinksMoved();
}

void TGraphTable::attachedLinksMoved()
{
    updateLinks();
    m_graph->growScene(Rect());
}

void TGraphTable::updateLinks(const TGraphLink* except)
{
    for (TGraphLink* link : m_masterLinks)
        if (link != except)
            link->UpdatePosition();
    for (TGraphLink* link : m_links)
        if (link != except)
            link->UpdatePosition();
}

QRect TGraphTable::Rect() const
{
    return QRect(int(x()), int(y()), kPanelWidth, m_height);
}

int TGraphTable::slotOf(const TGraphLink* link) const
{
    // the links where it is detail first, then those where it is master
    const auto in = std::find(m_masterLinks.begin(), m_masterLinks.end(), link);
    if (in != m_masterLinks.end())
        return int(in - m_masterLinks.begin());
    const auto it = std::find(m_links.begin(), m_links.end(), link);
    const int index = it == m_links.end() ? 0 : int(it - m_links.begin());
    return index + int(m_masterLinks.size());
}

TLinkEnd TGraphTable::LinkEnd(const TGraphLink* link) const
{
    return {Rect(), slotOf(link), int(m_links.size() + m_masterLinks.size())};
}

void TGraphTable::spreadLabels()
{
    struct TEnd {
        TGraphLink* link;
        bool masterEnd;
    };
    std::vector<TEnd> ends;
    for (TGraphLink* link : m_masterLinks)
        ends.push_back({link, false});
    for (TGraphLink* link : m_links)
        ends.push_back({link, true});
    for (int side = 0; side < 4; ++side) {
        std::vector<TEnd> here;
        std::vector<QRect> labels;
        // kept clear of: the labels at the far ends of these lines, and
        // those on the panel's other sides
        std::vector<QRect> others;
        for (const TEnd& end : ends) {
            const TGraphLink* link = end.link;
            if (link->m_rect.isEmpty())
                continue;
            others.push_back(end.masterEnd ? link->m_detailLabel : link->m_masterLabel);
            if ((end.masterEnd ? link->m_masterSide : link->m_detailSide) != side) {
                others.push_back(end.masterEnd ? link->m_masterLabel : link->m_detailLabel);
                continue;
            }
            here.push_back(end);
            labels.push_back(end.masterEnd ? link->m_masterLabelWanted : link->m_detailLabelWanted);
        }
        SpreadSideLabels(labels, side, others);
        for (size_t i = 0; i < here.size(); ++i)
            here[i].link->setLabel(here[i].masterEnd, labels[i]);
    }
}

QPoint TGraphTable::GetLinkPoint(const TGraphLink* link, int side, bool outward) const
{
    const TLinkEnd end = LinkEnd(link);
    return LinkPoint(end.panel, side, end.slot, end.count, outward);
}

QRectF TGraphTable::boundingRect() const
{
    return QRectF(0, 0, kPanelWidth, m_height);
}

void TGraphTable::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const QPalette pal = QApplication::palette();
    const QRect r(0, 0, kPanelWidth, m_height);
    painter->fillRect(r, pal.color(QPalette::Button));
    // a raised outer bevel
    painter->setPen(pal.color(QPalette::Light));
    painter->drawLine(r.topLeft(), r.topRight());
    painter->drawLine(r.topLeft(), r.bottomLeft());
    painter->setPen(pal.color(QPalette::Dark));
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->drawLine(r.topRight(), r.bottomRight());
    // the mode button's flat face
    painter->setPen(pal.color(QPalette::Midlight));
    painter->drawRect(QRect(2, 2, 20, 18));
}

void TGraphTable::DrawTo(QPainter& p, const TGraphPrintInfo& page) const
{
    const QRect r = Rect();
    const QPoint tl(page.MapX(r.left()), page.MapY(r.top()));
    const QPoint br(page.MapX(r.left() + r.width()), page.MapY(r.top() + r.height()));
    p.save();
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(tl, br - QPoint(1, 1)));
    const int titleBottom = page.MapY(r.top() + kTitleHeight);
    p.drawLine(tl.x(), titleBottom, br.x(), titleBottom);
    const QFont normal = p.font();
    p.drawText(QRect(QPoint(tl.x(), tl.y()), QPoint(br.x(), titleBottom)), Qt::AlignCenter | Qt::TextSingleLine,
        m_title);
    const double areaTop = r.top() + kTitleHeight + 5;
    const double areaHeight = r.height() - kTitleHeight - 10;
    const double rowHeight = areaHeight / std::max<qsizetype>(1, m_lines.size());
    QFont entity = normal;
    entity.setBold(true);
    entity.setUnderline(true);
    for (int i = 0; i < m_lines.size(); ++i) {
        const double rowTop = std::round(rowHeight * i) + areaTop;
        const double rowBottom = rowTop + std::round(rowHeight - 1);
        QString text = m_lines[i];
        int left = r.left() + 5;
        if (m_level == 2) {
            if (text.startsWith(u' ')) {
                text.remove(0, 1);
                left = r.left() + 20;
                p.setFont(normal);
            } else {
                p.setFont(entity);
            }
        }
        const QRect row(QPoint(page.MapX(left), page.MapY(rowTop)), QPoint(page.MapX(r.right() - 5), page.MapY(rowBottom)));
        p.drawText(row, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        p.setFont(normal);
    }
    p.restore();
}

} // namespace mx::admin
