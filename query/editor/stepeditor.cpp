#include "stepeditor.h"

#include "steprules.h"
#include "vpanels.h"

#include "ui/services/guarded.h"
#include "ui/controls/itemobserver.h"
#include "ui/controls/mxgrid.h"
#include "ui/report/reporteditor.h"
#include "ui/report/reportpreview.h"
#include "ui/controls/splitter.h"

#include "engine/core/translate.h"
#include "engine/driver/dataset.h"
#include "engine/query/query.h"
#include "engine/query/queryentity.h"
#include "engine/query/querystep.h"

#include <QActionGroup>
#include <QFontMetricsF>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTabBar>
#include <QToolButton>

namespace mx::ui {

namespace {

QPixmap glyphPixmap(QChar glyph)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    QFont f = QApplication::font();
    f.setPixelSize(14);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(pm.rect(), Qt::AlignCenter, QString(glyph));
    return pm;
}

// A funnel: the filter button's glyph.
QPixmap funnelPixmap()
{
    QPixmap pm(11, 11);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(0.5, 1);
    path.lineTo(10.5, 1);
    path.lineTo(6.5, 5.5);
    path.lineTo(6.5, 10);
    path.lineTo(4.5, 9);
    path.lineTo(4.5, 5.5);
    path.closeSubpath();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0x80, 0x80, 0x80));
    p.drawPath(path);
    return pm;
}

} // namespace

TMxStepEditor::TMxStepEditor(QWidget* parent) : TCustomNRPanel(parent)
{
    setObjectName(QStringLiteral("StepEditor"));
    measureWidthScale();
    m_filterPicture = funnelPixmap();
    m_entities = new TVEntities(this);

    m_splitter = new TMxSplitter(this);
    m_splitter->setObjectName(QStringLiteral("IndicatorSplitter"));
    m_splitter->SetKind(TMxSplitter::skHorizontal);
    m_splitter->SetLowMinSize(20);
    m_splitter->SetHighMinSize(20);
    m_splitter->SetOptions(TMxSplitter::soImmediate | TMxSplitter::soUpdate);
    m_splitter->setGeometry(m_indicatorWidth - 2, 0, 2, PanelRows(font()).HeaderHeight());
    Connect(m_splitter, &TMxSplitter::OnMoved, this,
        [this] { SetIndicatorWidth(m_splitter->x() + m_splitter->width() + m_scrollPos); });

    m_grid = new TMxGrid(this);
    m_grid->setObjectName(QStringLiteral("Grid"));
    m_grid->setFrameShape(QFrame::Box);
    m_grid->SetIndicatorWidth(m_indicatorWidth);
    m_grid->SetShowHeaders(true);
    QPalette pal = m_grid->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::ToolTipBase));
    m_grid->setPalette(pal);
    m_grid->SetSource(this);
    Connect(m_grid, &TMxGrid::OnRecordCountChange, this, [this] { gridRecordCount(); });
    m_grid->installEventFilter(this);
    TDragManager::Instance().SetTarget(m_grid, this);

    m_scrollBar = new QScrollBar(Qt::Horizontal, this);
    m_scrollBar->setObjectName(QStringLiteral("ScrollBar"));
    m_scrollBar->setPageStep(50);
    m_scrollBar->setSingleStep(10);
    m_scrollBar->setRange(0, 1);
    Connect(m_scrollBar, &QScrollBar::valueChanged, this, [this](int v) { scrolled(v); });
    Connect(m_scrollBar, &QScrollBar::sliderReleased, this, [this] { PlaceControls(); });

    m_totalsMenu = new QMenu(this);
    m_totalsMenu->setObjectName(QStringLiteral("pmTotals"));
    auto* group = new QActionGroup(m_totalsMenu);
    group->setExclusive(true);
    for (int i = 0; i < int(TotalItems.size()); ++i) {
        const TTotalItem& t = TotalItems[size_t(i)];
        QAction* a = m_totalsMenu->addAction(AccelCaption(Translate(t.caption), t.letter));
        a->setObjectName(QStringLiteral("miTotal%1").arg(i));
        a->setCheckable(true);
        a->setData(i);
        a->setStatusTip(Translate(t.hint));
        a->setIcon(glyphPixmap(t.glyph));
        group->addAction(a);
    }

    m_tabSet = new QTabBar(this);
    m_tabSet->setObjectName(QStringLiteral("tsView"));
    m_tabSet->setShape(QTabBar::RoundedSouth);
    m_tabSet->setDrawBase(false);
    m_tabSet->setExpanding(false);
    for (const char* name : {"Données", "Conception", "Prévisualisation"})
        m_tabSet->addTab(Translate(name));
    m_tabSet->setCurrentIndex(0);
    Connect(m_tabSet, &QTabBar::currentChanged, this, [this](int index) { tabChanged(index); });

    m_stepObserver = new TItemObserver(this);
    Connect(m_stepObserver, &TItemObserver::changed, this, [this] { Relayout(rkContents); });
    m_entitiesObserver = new TItemObserver(this);
    Connect(m_entitiesObserver, &TItemObserver::added, this, [this](TMxItem* item) { entityAdded(item); });
    Connect(m_entitiesObserver, &TItemObserver::removed, this, [this](TMxItem* item) { entityRemoved(item); });
    Relayout(rkRebuild);
}

TMxStepEditor::~TMxStepEditor()
{
    m_destroying = true;
    // The grid outlives this part of the editor: it asks no more.
    m_grid->SetSource(nullptr);
    TDragManager::Instance().SetTarget(m_grid, nullptr);
    if (TDragManager::Instance().Drag().source && isAncestorOf(TDragManager::Instance().Drag().source))
        TDragManager::Instance().CancelDrag();
    SetStep(nullptr);
    delete m_entitiesObserver;
    delete m_stepObserver;
    m_entitiesObserver = m_stepObserver = nullptr;
    m_selected = nullptr;
    TMxItem::Free(m_entities);
    m_entities = nullptr;
}

TReportEditor* TMxStepEditor::ReportEditor() const { return m_reportEditor; }
TfmReportPreview* TMxStepEditor::Preview() const { return m_preview; }

void TMxStepEditor::SetFilterPicture(const QPixmap& picture)
{
    m_filterPicture = picture;
    for (TMxItem* e : *m_entities)
        for (TMxItem* f : *static_cast<TVEntity*>(e))
            static_cast<TVField*>(f)->SetFilterPicture(m_filterPicture);
}

void TMxStepEditor::measureWidthScale()
{
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_widthScale = ::mx::ui::WidthScale(QFontMetricsF(font()).horizontalAdvance(letters) / letters.size());
}

int TMxStepEditor::Scaled(int stored) const
{
    return ShownWidth(stored, m_widthScale);
}

void TMxStepEditor::changeEvent(QEvent* event)
{
    TCustomNRPanel::changeEvent(event);
    if (event->type() != QEvent::FontChange)
        return;
    measureWidthScale();
    // Widths and the header's rows both follow the font.
    if (m_entities && m_tabSet)
        Guard(this, [&] {
            for (TMxItem* e : *m_entities)
                for (TMxItem* f : *static_cast<TVEntity*>(e))
                    static_cast<TVField*>(f)->PlaceControls();
            Relayout(rkWidths);
            PlaceControls();
        });
}

void TMxStepEditor::SetIndicatorWidth(int value)
{
    m_indicatorWidth = std::max(value, 2);
    m_grid->SetIndicatorWidth(m_indicatorWidth);
    Relayout(rkWidths);
}

TMxQueryStep* TMxStepEditor::Step() const
{
    return m_stepObserver ? m_stepObserver->ItemAs<TMxQueryStep>() : nullptr;
}

TMxQuery* TMxStepEditor::Query() const
{
    TMxQueryStep* step = Step();
    return step ? step->GetQuery() : nullptr;
}

void TMxStepEditor::SetStep(TMxQueryStep* step)
{
    if (step == Step() && (step || !m_stepObserver->Item()))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool wasVisible = isVisible();
    if (wasVisible)
        hide();
    BeginUpdate();
    try {
        if (m_stepObserver->Item() || m_entitiesObserver->Item()) {
            m_tabSet->setCurrentIndex(tabData);
            closePreview();
            if (m_reportEditor) {
                m_reportEditor->hide();
                m_reportEditor->SetReport(nullptr);
            }
            m_grid->SetRecordCount(-1);
            m_grid->SetDataSet(nullptr);
            m_entitiesObserver->Release(true);
            m_stepObserver->Release(false);
        }
        m_selected = nullptr;
        m_savedRecord = 0;
        if (step) {
            m_stepObserver->Observe(step);
            m_entitiesObserver->Observe(step->Entities());
        }
        Relayout(rkRebuild);
        if (!m_destroying)
            emit OnStepSelect();
    } catch (...) {
        EndUpdate();
        if (wasVisible)
            show();
        QApplication::restoreOverrideCursor();
        throw;
    }
    EndUpdate();
    if (wasVisible)
        show();
    QApplication::restoreOverrideCursor();
}

void TMxStepEditor::entityAdded(TMxItem* item)
{
    auto* entity = item_cast<TMxQueryEntity>(item);
    if (!entity)
        return;
    BeginUpdate();
    try {
        new TVEntity(m_entities, entity);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    Relayout(rkRebuild);
}

void TMxStepEditor::entityRemoved(TMxItem* item)
{
    BeginUpdate();
    for (int i = m_entities->Count() - 1; i >= 0; --i) {
        TVEntity* e = m_entities->VEntity(i);
        if (e->Entity() == item || !e->Entity())
            e->Free();
    }
    EndUpdate();
    Relayout(rkRebuild);
}

void TMxStepEditor::ShowDataTab()
{
    m_tabSet->setCurrentIndex(tabData);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool TMxStepEditor::IsReportTab() const
{
    return m_tabSet->currentIndex() == tabDesign || m_tabSet->currentIndex() == tabPreview;
}

int TMxStepEditor::CurrentTab() const
{
    return m_tabSet->currentIndex();
}

void TMxStepEditor::SetCurrentTab(int tab)
{
    m_tabSet->setCurrentIndex(tab);
}

TVField* TMxStepEditor::SelectedField() const
{
    return dynamic_cast<TVField*>(m_selected);
}

TVEntity* TMxStepEditor::SelectedEntity() const
{
    return dynamic_cast<TVEntity*>(m_selected);
}

static void repaintItem(TMxItem* item)
{
    if (auto* f = dynamic_cast<TVField*>(item))
        f->Repaint();
    else if (auto* e = dynamic_cast<TVEntity*>(item))
        e->Repaint();
}

void TMxStepEditor::Select(TMxItem* item)
{
    if (item == m_selected)
        return;
    TMxItem* old = m_selected;
    m_selected = item;
    repaintItem(old);
    repaintItem(item);
    if (!m_destroying)
        emit OnFieldSelect();
}

void TMxStepEditor::Relayout(int kind)
{
    TMxQueryStep* step = Step();
    if (step && step->IsUpdating()) {
        if (kind == rkRebuild)
            m_pendingRebuild = true;
        return;
    }
    // Inside the editor's own update the grid is rebuilt once, at its end.
    if (kind == rkRebuild && m_updateCount > 0) {
        m_pendingRebuild = true;
        kind = rkContents;
    } else if (m_pendingRebuild && m_updateCount == 0) {
        m_pendingRebuild = false;
        kind = rkRebuild;
    }
    if (kind == rkRebuild)
        m_grid->Columns.clear();
    int x = m_indicatorWidth;
    m_splitter->move(x - m_splitter->width() - m_scrollPos, 0);
    for (int i = 0; i < m_entities->Count(); ++i) {
        TVEntity* e = m_entities->VEntity(i);
        e->MoveTo(x - m_scrollPos);
        e->Layout(kind);
        x += e->Width();
        if (kind == rkRebuild) {
            if (e->Expanded())
                for (int j = 0; j < e->Count(); ++j)
                    m_grid->Columns.append(e->VField(j));
            else
                m_grid->Columns.append(e);
        }
    }
    const int maximum = std::max(0, x - width() + 16);
    if (m_scrollBar->maximum() != maximum) {
        // A position beyond the new maximum comes back through valueChanged.
        m_scrollBar->setMaximum(maximum);
    }
    TIMxDataset* result = step ? step->Dataset() : nullptr;
    if (kind == rkRebuild || m_grid->DataSet() != result || m_grid->Records().Gone())
        bindResult();
    else if (kind == rkWidths || kind == rkContents)
        m_grid->UpdateColumnWidths();
    PlaceControls();
    if ((kind == rkContents || kind == rkRebuild) && m_updateCount == 0) {
        UpdateSQL();
        if (!m_destroying)
            emit OnChange();
    }
}

void TMxStepEditor::bindResult()
{
    TMxQueryStep* step = Step();
    m_grid->SetDataSet(step ? step->Dataset() : nullptr);
}

void TMxStepEditor::ResultChanged()
{
    m_grid->SetRecordCount(-1);
    bindResult();
    // The report made while the step had no result is made now.
    if (m_reportEditor && m_tabSet->currentIndex() == tabDesign)
        design();
    // The preview shows pages of the former result: laid out again.
    if (m_preview) {
        closePreview();
        if (m_tabSet->currentIndex() == tabPreview)
            preview();
    }
}

void TMxStepEditor::UpdateSQL()
{
    if (m_updateCount != 0 || m_inUpdateSQL || m_destroying)
        return;
    // A step being freed is not prepared any more.
    if (TMxQueryStep* step = Step(); step && step->HasState(stDestroying))
        return;
    m_inUpdateSQL = true;
    try {
        emit OnUpdateSQL();
    } catch (...) {
        m_inUpdateSQL = false;
        throw;
    }
    m_inUpdateSQL = false;
}

void TMxStepEditor::BeginUpdate()
{
    ++m_updateCount;
}

void TMxStepEditor::EndUpdate()
{
    if (m_updateCount > 0 && --m_updateCount == 0)
        Relayout(rkContents);
}

int TMxStepEditor::TabSetHeight() const
{
    return m_tabSet->sizeHint().height();
}

void TMxStepEditor::PlaceControls()
{
    const int w = width();
    const int h = height();
    const int tabH = TabSetHeight();
    const bool bar = m_scrollBar->maximum() > 0;
    m_scrollBar->setVisible(bar);
    const int barH = m_scrollBar->sizeHint().height();
    const int headerHeight = PanelRows(font()).HeaderHeight();
    m_splitter->setGeometry(m_indicatorWidth - m_splitter->width() - m_scrollPos, 0, 2, headerHeight);
    m_grid->setGeometry(-m_scrollPos, headerHeight, w + m_scrollPos, std::max(0, h - tabH - (bar ? barH : 0) - headerHeight));
    m_scrollBar->setGeometry(0, h - barH - tabH, std::max(0, w - 16), barH);
    m_tabSet->setGeometry(0, h - tabH, w, tabH);
    if (m_reportEditor)
        m_reportEditor->setGeometry(0, 0, w, std::max(0, h - tabH));
    if (m_preview)
        m_preview->setGeometry(0, 0, w, std::max(0, h - tabH));
}

void TMxStepEditor::scrolled(int value)
{
    m_scrollPos = value;
    Relayout(rkScroll);
    repaint();
}

void TMxStepEditor::resizeEvent(QResizeEvent* event)
{
    TCustomNRPanel::resizeEvent(event);
    Guard(this, [&] { Relayout(rkScroll); });
}

void TMxStepEditor::mousePressEvent(QMouseEvent* event)
{
    TCustomNRPanel::mousePressEvent(event);
    Guard(this, [&] { Select(nullptr); });
}

bool TMxStepEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        Guard(this, [&] { DeleteSelectedField(); });
        return true;
    }
    return TCustomNRPanel::eventFilter(watched, event);
}

void TMxStepEditor::DeleteSelectedField()
{
    if (TVField* selected = SelectedField()) {
        if (TMxQueryField* field = selected->Field()) {
            TMxQuery* query = Query();
            field->Free();
            // The deletion is a change of the document.
            if (query)
                query->MarkModified();
        }
    }
    if (!SelectedField() && m_entities->Count() > 0 && m_entities->VEntity(0)->Count() > 0)
        Select(m_entities->VEntity(0)->VField(0));
}

void TMxStepEditor::PrepareTotalsMenu()
{
    TVField* vfield = SelectedField();
    TMxQueryField* field = vfield ? vfield->Field() : nullptr;
    const int checked = vfield ? vfield->TotalIndex() : 0;
    TMxQueryStep* step = Step();
    const TSQLSyntaxProperties syntax = step ? step->SQLSyntax() : TSQLSyntaxProperties();
    const QList<QAction*> actions = m_totalsMenu->actions();
    for (QAction* a : actions) {
        const int i = a->data().toInt();
        a->setChecked(i == checked);
        a->setEnabled(TotalEnabled(i, field, syntax));
    }
}

void TMxStepEditor::ChooseTotal(int index)
{
    TVField* vfield = SelectedField();
    TMxQueryField* field = vfield ? vfield->Field() : nullptr;
    if (!field || index < 0 || index >= int(TotalItems.size()))
        return;
    field->SetTotal(TotalOfIndex(index));
    MarkModified();
    UpdateSQL();
}

bool TMxStepEditor::CanExchange(const TMxItem* dragged, const TMxItem* target) const
{
    if (!dragged || !target)
        return false;
    const auto* entityA = dynamic_cast<const TVEntity*>(dragged);
    const auto* entityB = dynamic_cast<const TVEntity*>(target);
    if (entityA || entityB)
        return entityA && entityB;
    const auto* fieldA = dynamic_cast<const TVField*>(dragged);
    const auto* fieldB = dynamic_cast<const TVField*>(target);
    return fieldA && fieldB && fieldA->VEntity() == fieldB->VEntity();
}

void TMxStepEditor::Exchange(TMxItem* dragged, TMxItem* target)
{
    if (dragged == target || !CanExchange(dragged, target))
        return;
    // The visual list and the query's list are exchanged together, so that
    // the statement selects in the order shown.
    TMxList* shown = nullptr;
    TMxList* stored = nullptr;
    const TMxItem* storedA = nullptr;
    const TMxItem* storedB = nullptr;
    if (auto* entity = dynamic_cast<TVEntity*>(dragged)) {
        shown = m_entities;
        stored = Step() ? Step()->Entities() : nullptr;
        storedA = entity->Entity();
        storedB = static_cast<TVEntity*>(target)->Entity();
    } else {
        auto* field = static_cast<TVField*>(dragged);
        shown = field->VEntity();
        stored = field->VEntity()->Entity();
        storedA = field->Field();
        storedB = static_cast<TVField*>(target)->Field();
    }
    const int a = shown->IndexOf(dragged);
    const int b = shown->IndexOf(target);
    if (!stored || a < 0 || b < 0)
        return;
    const int sa = stored->IndexOf(storedA);
    const int sb = stored->IndexOf(storedB);
    BeginUpdate();
    try {
        if (sa >= 0 && sb >= 0)
            stored->Exchange(sa, sb);
        shown->Exchange(a, b);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    Relayout(rkRebuild);
    MarkModified();
}

void TMxStepEditor::StartDrag(QWidget* panel, const QPoint& globalPos)
{
    TDragManager::Instance().BeginDrag(panel, panel->objectName(), false, globalPos);
}

void TMxStepEditor::CancelFieldDrag()
{
    TDragManager& manager = TDragManager::Instance();
    TVField* selected = SelectedField();
    if (selected && (manager.Pending() || manager.Dragging()) && selected->IsPanel(manager.Drag().source))
        manager.CancelDrag();
}

void TMxStepEditor::MarkModified()
{
    if (TMxQuery* query = Query())
        query->MarkModified();
}

bool TMxStepEditor::DragOver(const TDragInfo& drag, const QPoint&, TDragState state)
{
    if (state == TDragState::dsDragLeave || !OnDragOver)
        return false;
    return OnDragOver(drag);
}

void TMxStepEditor::DragDrop(const TDragInfo& drag, const QPoint&)
{
    if (OnDragDrop)
        OnDragDrop(drag);
}

} // namespace mx::ui
