// The diagram's controller: the model, the lists of panels and lines, the
// selection, the mouse and keys, and the drawing of pages.

#include "graph.h"
#include "graphparts.h"

#include "engine/admin/adminmodel.h"
#include "engine/core/exceptions.h"
#include "engine/core/format.h"
#include "engine/core/itemptr.h"
#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/model/datamodel.h"
#include "engine/model/link.h"
#include "engine/model/table.h"
#include "engine/settings/global.h"

#include "ui/services/guarded.h"

#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace mx::admin {

THookSlot<bool(TGraphLink* link)> LinkEditor;

namespace {

// The panel part or panel under a scene point, topmost first.
QGraphicsItem* PanelItemAt(QGraphicsScene* scene, const QPointF& pos, TGraphTable*& panel)
{
    panel = nullptr;
    for (QGraphicsItem* item : scene->items(pos, Qt::IntersectsItemBoundingRect, Qt::DescendingOrder)) {
        for (QGraphicsItem* up = item; up; up = up->parentItem())
            if (auto* p = dynamic_cast<TGraphTable*>(up)) {
                panel = p;
                return item;
            }
    }
    return nullptr;
}

} // namespace

TGraph::TGraph(QObject* parent) : QObject(parent), m_scene(std::make_unique<QGraphicsScene>())
{
    m_scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    m_band = m_scene->addLine(QLineF(), QPen(Qt::black, 2));
    m_band->setZValue(1e9);
    m_band->hide();
    ui::Connect(&m_tablesObserver, &ui::TItemObserver::added, this, [this](TMxItem* item) { onTableAdded(item); });
    ui::Connect(&m_tablesObserver, &ui::TItemObserver::removed, this, [this](TMxItem* item) { onTableRemoved(item); });
    ui::Connect(&m_linksObserver, &ui::TItemObserver::added, this, [this](TMxItem* item) { onLinkAdded(item); });
    ui::Connect(&m_linksObserver, &ui::TItemObserver::removed, this, [this](TMxItem* item) { onLinkRemoved(item); });
    ui::Connect(&m_modelObserver, &ui::TItemObserver::changed, this, [this](TMxItem* sender) {
        if (sender == m_model)
            Resync();
    });
}

TGraph::~TGraph()
{
    SetModel(nullptr);
    SetDisplay(nullptr);
}

void TGraph::SetDisplay(QGraphicsView* display)
{
    if (display == m_display)
        return;
    if (m_display) {
        m_display->viewport()->removeEventFilter(this);
        m_display->removeEventFilter(this);
        if (m_display->scene() == m_scene.get())
            m_display->setScene(nullptr);
    }
    m_display = display;
    if (display) {
        display->setScene(m_scene.get());
        display->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        display->setFocusPolicy(Qt::StrongFocus);
        display->viewport()->installEventFilter(this);
        display->installEventFilter(this);
    }
}

void TGraph::SetModel(TMxDataModel* model)
{
    if (model == m_model)
        return;
    m_dragSource = nullptr;
    m_band->hide();
    if (TMxDataModel* old = m_model) {
        // lines first, then panels: each goes with its removal
        m_modelObserver.Release(false);
        m_linksObserver.Release(true);
        m_tablesObserver.Release(true);
        // whatever the lists did not report goes too
        while (!m_links.empty())
            delete m_links.back();
        while (!m_tables.empty())
            delete m_tables.back();
        m_model = nullptr;
        old->Free();
    }
    m_model = model;
    if (model) {
        m_tablesObserver.Observe(model->Tables());
        m_linksObserver.Observe(model->TLinks());
        m_modelObserver.Observe(model);
    }
    Rebuild();
}

void TGraph::onTableAdded(TMxItem* item)
{
    if (auto* table = item_cast<TMxTable>(item))
        AddTable(table);
}

void TGraph::onTableRemoved(TMxItem* item)
{
    while (TGraphTable* panel = FindTable(static_cast<const TMxTable*>(item)))
        delete panel;
}

void TGraph::onLinkAdded(TMxItem* item)
{
    if (auto* link = item_cast<TMxLink>(item))
        AddLink(link);
}

void TGraph::onLinkRemoved(TMxItem* item)
{
    while (TGraphLink* line = FindLink(static_cast<const TMxLink*>(item)))
        delete line;
}

TGraphTable* TGraph::AddTable(TMxTable* table)
{
    const int place = table->GetIndex() * 40 + 20;
    if (table->DesignX() == 0)
        table->SetDesignX(place);
    if (table->DesignY() == 0)
        table->SetDesignY(place);
    auto* panel = new TGraphTable(this, table);
    m_tables.push_back(panel);
    m_scene->addItem(panel);
    panel->Refresh();
    // lines drawn before their panel existed find it now
    for (TGraphLink* line : m_links)
        if (line->Link() && (!line->m_master || !line->m_detail)
            && (line->Link()->Master() == table->Id() || line->Link()->Detail() == table->Id()))
            line->SetLink(line->Link());
    return panel;
}

TGraphLink* TGraph::AddLink(TMxLink* link)
{
    auto* line = new TGraphLink(this, link);
    m_links.push_back(line);
    m_scene->addItem(line);
    return line;
}

void TGraph::forgetTable(TGraphTable* panel)
{
    m_tables.erase(std::remove(m_tables.begin(), m_tables.end(), panel), m_tables.end());
    if (m_dragSource == panel) {
        m_dragSource = nullptr;
        m_band->hide();
    }
}

void TGraph::forgetLink(TGraphLink* link)
{
    m_links.erase(std::remove(m_links.begin(), m_links.end(), link), m_links.end());
}

void TGraph::Resync()
{
    if (m_resyncing)
        return;
    m_resyncing = true;
    for (TGraphTable* panel : std::vector<TGraphTable*>(m_tables))
        panel->Refresh();
    for (TGraphLink* line : std::vector<TGraphLink*>(m_links))
        line->SetLink(line->Link());
    m_resyncing = false;
    growScene({});
    emit resynced();
}

void TGraph::Rebuild()
{
    if (m_display) {
        m_display->horizontalScrollBar()->setValue(0);
        m_display->verticalScrollBar()->setValue(0);
    }
    for (TGraphTable* panel : std::vector<TGraphTable*>(m_tables))
        panel->Refresh();
    growScene({});
}

void TGraph::growScene(const QRect& rect)
{
    // the scene starts at the top left and holds every panel and line with
    // a margin
    if (rect.isNull()) {
        const QPoint extent = DrawingExtent();
        m_scene->setSceneRect(0, 0, extent.x() + 20, extent.y() + 20);
        return;
    }
    const QRectF now = m_scene->sceneRect();
    if (rect.right() + 20 > now.right() || rect.bottom() + 20 > now.bottom())
        m_scene->setSceneRect(0, 0, std::max<qreal>(now.width(), rect.right() + 20),
            std::max<qreal>(now.height(), rect.bottom() + 20));
}

TGraphTable* TGraph::FindTable(const TMxTable* table) const
{
    for (TGraphTable* panel : m_tables)
        if (panel->m_table.address() == table)
            return panel;
    return nullptr;
}

TGraphLink* TGraph::FindLink(const TMxLink* link) const
{
    for (TGraphLink* line : m_links)
        if (line->m_link.address() == link)
            return line;
    return nullptr;
}

TGraphTable* TGraph::TableById(int id) const
{
    for (TGraphTable* panel : m_tables)
        if (panel->Table() && panel->Table()->Id() == id)
            return panel;
    return nullptr;
}

TGraphTable* TGraph::TableAt(const QPoint& point) const
{
    for (TGraphTable* panel : m_tables) {
        const QRect r = panel->Rect();
        if (point.x() >= r.left() && point.x() <= r.left() + r.width() && point.y() >= r.top()
            && point.y() <= r.top() + r.height())
            return panel;
    }
    return nullptr;
}

void TGraph::SetSelected(TGraphTable* panel)
{
    if (panel == m_selected)
        return;
    if (m_selected)
        m_selected->SetSelected(false);
    if (TGraphTable* master = m_highlightedMaster) {
        m_highlightedMaster = nullptr;
        master->m_titlePart->update();
    }
    SetSelectedLink(nullptr);
    m_selected = panel;
    if (panel) {
        panel->SetSelected(true);
        static qreal top = 1;
        panel->setZValue(top += 1e-3);
        if (TGraphTable* master = panel->MasterTable()) {
            m_highlightedMaster = master;
            master->m_titlePart->update();
            SetSelectedLink(panel->MasterLink());
        }
    } else if (TGlobal* global = AppGlobal()) {
        global->SetStatusText(QString());
    }
}

void TGraph::SetSelectedLink(TGraphLink* link)
{
    if (link == m_selectedLink)
        return;
    if (m_selectedLink)
        m_selectedLink->SetHighlighted(false);
    m_selectedLink = link;
    if (link)
        link->SetHighlighted(true);
}

void TGraph::MouseDown(const QPointF& scenePos, Qt::MouseButton button, Qt::MouseButtons buttons,
    Qt::KeyboardModifiers modifiers, const QPoint& globalPos)
{
    const QPoint pos = scenePos.toPoint();
    TGraphTable* panel = nullptr;
    QGraphicsItem* sender = PanelItemAt(m_scene.get(), scenePos, panel);
    const auto* part = dynamic_cast<TGraphPanelPart*>(sender);
    if (panel)
        SetSelected(panel);
    const bool plain = (modifiers & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (part && part->objectName() == QLatin1String("_DragSource")) {
        m_dragSource = panel;
        m_dragKind = 0;
        m_dragStart = m_dragPoint = pos;
        m_band->setLine(QLineF(pos, pos));
        m_band->show();
    } else if (plain && buttons == Qt::LeftButton && button == Qt::LeftButton && part
        && part->objectName() == QLatin1String("btMode")) {
        panel->ModeButtonClick();
    } else if (plain && buttons == Qt::LeftButton && button == Qt::LeftButton && panel) {
        m_dragSource = panel;
        m_dragKind = 1;
        m_dragPoint = pos - panel->pos().toPoint();
    } else if (plain && buttons == Qt::RightButton && button == Qt::RightButton && m_display) {
        QMenu* menu = panel ? m_tablePopup.data() : m_allTablesPopup.data();
        if (menu)
            menu->popup(globalPos);
    }
}

void TGraph::MouseMove(const QPointF& scenePos)
{
    if (!m_dragSource)
        return;
    const QPoint pos = scenePos.toPoint();
    if (m_dragKind == 0) {
        m_dragPoint = pos;
        m_band->setLine(QLineF(m_dragStart, pos));
        return;
    }
    const int left = std::max(0, pos.x() - m_dragPoint.x());
    const int top = std::max(0, pos.y() - m_dragPoint.y());
    TGraphTable* panel = m_dragSource;
    if (QPoint(left, top) != panel->pos().toPoint() && m_model)
        m_model->MarkModified();
    if (m_dragSource == panel)
        panel->SetBounds(left, top);
}

void TGraph::MouseUp(const QPointF& scenePos)
{
    if (!m_dragSource)
        return;
    if (m_dragKind == 1) {
        m_dragSource = nullptr;
        return;
    }
    m_band->hide();
    endLinkDrag(scenePos.toPoint());
    m_dragSource = nullptr;
}

void TGraph::endLinkDrag(const QPoint& at)
{
    QPointer<TGraphTable> source = m_dragSource;
    m_dragSource = nullptr;
    QPointer<TGraphTable> target = TableAt(at);
    if (!target || target == source || !m_model || !source->Table() || !target->Table())
        return;
    const QString sourceName = source->Table()->FullName();
    const QString targetName = target->Table()->FullName();
    TMxLink* link = nullptr;
    bool confirmed = false;
    try {
        // a table has one master at most, and links never close a cycle:
        // the join paths assume a forest
        for (TGraphLink* line : target->m_links)
            if (line->DetailPanel() == source)
                throw Exception(Translate("Le lien existe déjà"));
        if (target->MasterLink() || HasMaster(m_model, target->Table()))
            throw Exception(Translate("Le lien existe déjà"));
        if (InSubtree(m_model, target->Table(), source->Table()))
            throw Exception(Translate("Ce lien fermerait une boucle : la table maître dépend déjà de la table détail."));
        TMxLinkList* links = m_model->TLinks();
        const int id = links->NextId();
        link = links->AddNew();
        link->SetId(id);
        link->SetMaster(source->Table()->Id());
        link->SetDetail(target->Table()->Id());
        // its line was made as the link joined the list, before it knew
        // its tables
        TGraphLink* line = FindLink(link);
        if (!line)
            line = AddLink(link);
        else
            line->SetLink(link);
        confirmed = LinkEditor && LinkEditor(line);
        if (confirmed) {
            link->Change();
            m_model->MarkModified();
        } else {
            TMxItem::Free(link);
        }
    } catch (const std::exception& e) {
        // a link the editor did not confirm is not kept
        if (link && !confirmed && m_model && m_model->TLinks()->IndexOf(link) >= 0)
            TMxItem::Free(link);
        const QString message = e.what() ? QString::fromUtf8(e.what()) : QString();
        UserService().MessageDlg(
            TranslateFmt("Ne peut lier %s à %s:", {sourceName, targetName}) + u'\r' + message, TMsgDlgType::mtWarning, mbOK);
        Rebuild();
    }
}

bool TGraph::keyPress(int key, Qt::KeyboardModifiers modifiers)
{
    switch (key) {
    case Qt::Key_Escape:
        if (m_dragSource) {
            m_dragSource = nullptr;
            m_band->hide();
            return true;
        }
        return false;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        if (m_tables.empty())
            return false;
        const bool back = key == Qt::Key_Backtab || (modifiers & Qt::ShiftModifier);
        const auto it = std::find(m_tables.begin(), m_tables.end(), m_selected);
        int i = it == m_tables.end() ? (back ? 0 : -1) : int(it - m_tables.begin());
        i = (i + (back ? -1 : 1) + int(m_tables.size())) % int(m_tables.size());
        SetSelected(m_tables[size_t(i)]);
        if (m_display)
            m_display->ensureVisible(m_selected, 0, 0);
        return true;
    }
    case Qt::Key_Menu:
    case Qt::Key_F10:
        if (key == Qt::Key_F10 && !(modifiers & Qt::ShiftModifier))
            return false;
        if (m_selected && m_tablePopup && m_display) {
            const QPoint at = m_display->mapFromScene(m_selected->pos() + QPointF(24, kTitleHeight));
            m_tablePopup->popup(m_display->viewport()->mapToGlobal(at));
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool TGraph::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_display)
        return false;
    if (watched == m_display->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* e = static_cast<QMouseEvent*>(event);
            m_display->setFocus(Qt::MouseFocusReason);
            Guard(this, [&] {
                MouseDown(m_display->mapToScene(e->position().toPoint()), e->button(), e->buttons(), e->modifiers(),
                    e->globalPosition().toPoint());
            });
            return true;
        }
        case QEvent::MouseMove: {
            auto* e = static_cast<QMouseEvent*>(event);
            Guard(this, [&] { MouseMove(m_display->mapToScene(e->position().toPoint())); });
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* e = static_cast<QMouseEvent*>(event);
            Guard(this, [&] { MouseUp(m_display->mapToScene(e->position().toPoint())); });
            return true;
        }
        default:
            return false;
        }
    }
    if (watched == m_display && event->type() == QEvent::KeyPress) {
        auto* e = static_cast<QKeyEvent*>(event);
        return keyPress(e->key(), e->modifiers());
    }
    return false;
}

// ---- pages

QPoint TGraph::DrawingExtent() const
{
    QPoint extent(0, 0);
    for (const TGraphTable* panel : m_tables) {
        const QRect r = panel->Rect();
        extent.rx() = std::max(extent.x(), r.left() + r.width());
        extent.ry() = std::max(extent.y(), r.top() + r.height());
    }
    for (const TGraphLink* line : m_links) {
        const QRect r = line->Rect();
        if (r.isEmpty())
            continue;
        extent.rx() = std::max(extent.x(), r.left() + r.width());
        extent.ry() = std::max(extent.y(), r.top() + r.height());
    }
    return extent;
}

void TGraph::ComputeLayout(TGraphPrintInfo& info, bool measure) const
{
    admin::ComputeLayout(info, DrawingExtent(), measure);
}

void TGraph::DrawPage(QPainter& painter, const TGraphPrintInfo& layout, int column, int row) const
{
    TGraphPrintInfo page = layout;
    if (column < 0 || row < 0)
        ComputeLayout(page, true);
    else
        page = PageInfo(layout, column, row);
    painter.save();
    QFont font = painter.font();
    font.setPixelSize(std::max(1, int(std::lround(10 * page.ScaleY))));
    painter.setFont(font);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 0));
    for (const TGraphTable* panel : m_tables)
        panel->DrawTo(painter, page);
    for (const TGraphLink* line : m_links)
        line->DrawTo(painter, &page);
    if (column < 0 || row < 0) {
        painter.setPen(QPen(QColor(128, 128, 128), 0, Qt::SolidLine));
        for (int k = 1; k < page.PagesAcross; ++k) {
            const int x = int(std::lround(double(page.TotalWidth) / page.PagesAcross * k));
            painter.drawLine(x, 0, x, page.TotalHeight);
        }
        for (int k = 1; k < page.PagesDown; ++k) {
            const int y = int(std::lround(double(page.TotalHeight) / page.PagesDown * k));
            painter.drawLine(0, y, page.TotalWidth, y);
        }
    }
    painter.restore();
}

void TGraph::Print(TPageSink& sink, TGraphPrintInfo layout, int copies,
    const std::function<void(const QString&)>& status)
{
    const QString fileName = m_model ? m_model->FileName() : QString();
    auto tell = [&](const QString& text) {
        if (status)
            status(text);
        else if (TGlobal* global = AppGlobal())
            global->SetStatusText(text);
    };
    const QSize page = sink.PageSize();
    layout.PageWidth = std::max(1, page.width());
    layout.PageHeight = std::max(1, page.height());
    // these three texts are the printer's own and stay untranslated
    tell(Format(QStringLiteral("Impression de %s..."), {fileName}));
    if (!sink.Begin(fileName))
        return;
    ComputeLayout(layout, true);
    const std::vector<TPrintSheet> sheets = PrintSheets(layout, copies);
    try {
        int i = 0;
        for (const TPrintSheet& sheet : sheets) {
            ++i;
            if (sheet.newPageBefore)
                sink.NewPage();
            tell(Format(QStringLiteral("Impression de %s...%d/%d Page(s)"), {fileName, i, int(sheets.size())}));
            DrawPage(sink.Painter(), layout, sheet.column, sheet.row);
        }
    } catch (...) {
        sink.End();
        throw;
    }
    sink.End();
    tell(Format(QStringLiteral("Impression de %s... terminée"), {fileName}));
}

} // namespace mx::admin
