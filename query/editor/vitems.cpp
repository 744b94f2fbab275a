#include "vitems.h"

#include "stepeditor.h"
#include "steprules.h"
#include "vpanels.h"

#include "ui/services/guarded.h"
#include "ui/services/popuprunner.h"
#include "ui/controls/mxgrid.h"
#include "ui/controls/splitter.h"

#include "engine/core/translate.h"
#include "engine/model/entity.h"
#include "engine/model/formula.h"
#include "engine/query/queryentity.h"
#include "engine/query/querystep.h"

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QToolButton>

namespace mx::ui {

MX_DEFINE_CLASS(TVField, TMxItem, nullptr)
MX_DEFINE_CLASS(TVEntity, TMxList, nullptr)
MX_DEFINE_CLASS(TVEntities, TMxList, nullptr)

namespace {

int g_fieldSequence = 0;
int g_entitySequence = 0;

constexpr int kEntityTop = -1;
constexpr int kEntityHeight = 17;
constexpr int kFieldHeight = 49;
constexpr int kNameTop = 8;
constexpr int kNameHeight = 25;
constexpr int kFormulaTop = 34;
constexpr int kFormulaHeight = 13;
constexpr int kNameLeft = 48;
const QColor kGrey(0x80, 0x80, 0x80);

void setTextColor(QLabel* label, const QColor& color)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
}

TPanelRows rowsOf(const QWidget* widget)
{
    return PanelRows(widget->font());
}

} // namespace

TPanelRows PanelRows(const QFont& font)
{
    const QFontMetrics fm(font);
    TPanelRows r;
    r.entityHeight = std::max(kEntityHeight, fm.height() + 3);
    // Two lines laid out as the label lays its wrapped text out.
    const int twoLines = fm.boundingRect(QRect(0, 0, 4096, 4096), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Ég\nÉg")).height();
    r.nameHeight = std::max(kNameHeight, twoLines);
    r.nameTop = std::max(2, std::min(kNameTop, kFormulaTop - 1 - r.nameHeight));
    r.formulaTop = std::max(kFormulaTop, r.nameTop + r.nameHeight + 1);
    r.formulaHeight = std::max(kFormulaHeight, fm.height());
    r.fieldHeight = std::max(kFieldHeight, r.formulaTop + r.formulaHeight + 1);
    return r;
}

// ---- visual field ------------------------------------------------------------

struct TVField::TUi {
    TVPanel* Panel = nullptr;
    QCheckBox* CheckBox = nullptr;
    QLabel* TotalLabel = nullptr;
    QLabel* NameLabel = nullptr;
    QToolButton* FilterButton = nullptr;
    QLabel* FormulaLabel = nullptr;
    TMxSplitter* Splitter = nullptr;
};

TVField::TVField(TVEntity* owner, TMxQueryField* field) : TMxItem(owner), m_ui(std::make_unique<TUi>())
{
    TMxStepEditor* editor = owner->StepEditor();
    m_ui->Panel = new TVPanel(this, editor);
    m_ui->Panel->setObjectName(QStringLiteral("vField%1").arg(++g_fieldSequence));
    m_ui->Panel->setProperty("Tag", g_fieldSequence);
    m_ui->Panel->SetBevelOuter(TBevelCut::bvNone);
    const TPanelRows rows = rowsOf(editor);
    m_ui->Panel->setGeometry(0, rows.entityHeight, editor->Scaled(kDefaultFieldWidth) - 2, rows.fieldHeight);
    m_ui->CheckBox = new QCheckBox(m_ui->Panel);
    m_ui->CheckBox->setObjectName(QStringLiteral("CheckBox"));
    m_ui->TotalLabel = new QLabel(m_ui->Panel);
    m_ui->TotalLabel->setObjectName(QStringLiteral("TotalLabel"));
    QFont symbol = m_ui->TotalLabel->font();
    symbol.setPointSize(18);
    m_ui->TotalLabel->setFont(symbol);
    m_ui->TotalLabel->setText(QString(TotalItems[0].glyph));
    m_ui->TotalLabel->setContextMenuPolicy(Qt::CustomContextMenu);
    m_ui->NameLabel = new QLabel(m_ui->Panel);
    m_ui->NameLabel->setObjectName(QStringLiteral("NameLabel"));
    m_ui->NameLabel->setWordWrap(true);
    m_ui->NameLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_ui->FilterButton = new QToolButton(m_ui->Panel);
    m_ui->FilterButton->setObjectName(QStringLiteral("FilterButton"));
    m_ui->FilterButton->setAutoRaise(true);
    m_ui->FilterButton->setIcon(editor->FilterPicture());
    m_ui->FilterButton->setIconSize(QSize(11, 11));
    m_ui->FormulaLabel = new QLabel(m_ui->Panel);
    m_ui->FormulaLabel->setObjectName(QStringLiteral("FormulaLabel"));
    setTextColor(m_ui->FormulaLabel, kGrey);
    m_ui->Splitter = new TMxSplitter(editor);
    m_ui->Splitter->setObjectName(m_ui->Panel->objectName() + QStringLiteral("Splitter"));
    m_ui->Splitter->SetKind(TMxSplitter::skHorizontal);
    m_ui->Splitter->SetOptions(TMxSplitter::soImmediate | TMxSplitter::soUpdate);
    m_ui->Splitter->setGeometry(m_ui->Panel->x() + m_ui->Panel->width(), rows.entityHeight, 2, rows.fieldHeight + 1);
    PlaceControls();

    for (QWidget* w : {static_cast<QWidget*>(m_ui->TotalLabel), static_cast<QWidget*>(m_ui->NameLabel),
             static_cast<QWidget*>(m_ui->FormulaLabel), static_cast<QWidget*>(m_ui->FilterButton), static_cast<QWidget*>(m_ui->Splitter)})
        w->installEventFilter(m_ui->Panel);
    Connect(m_ui->CheckBox, &QCheckBox::clicked, m_ui->Panel, [this] { CheckClicked(); });
    Connect(m_ui->FilterButton, &QToolButton::clicked, m_ui->Panel, [this] { EditFormula(); });
    Connect(m_ui->Splitter, &TMxSplitter::OnMoved, m_ui->Panel, [this] { SplitterMoved(); });
    Connect(m_ui->TotalLabel, &QLabel::customContextMenuRequested, m_ui->Panel, [this](const QPoint& pos) {
        TMxStepEditor* ed = StepEditor();
        ed->Select(this);
        ed->PrepareTotalsMenu();
        if (QAction* chosen = RunPopup(*ed->TotalsMenu(), m_ui->TotalLabel->mapToGlobal(pos)))
            ed->ChooseTotal(chosen->data().toInt());
    });

    m_observer = new TItemObserver(m_ui->Panel);
    Connect(m_observer, &TItemObserver::changed, m_ui->Panel, [this] {
        Layout(2);
        if (TMxStepEditor* ed = StepEditor())
            ed->Grid()->viewport()->update();
    });
    m_ui->Panel->show();
    m_ui->Splitter->show();
    SetField(field);
}

TVField::~TVField() = default;

TVEntity* TVField::VEntity() const
{
    return dynamic_cast<TVEntity*>(Owner());
}

TMxStepEditor* TVField::StepEditor() const
{
    TVEntity* e = VEntity();
    return e ? e->StepEditor() : nullptr;
}

QWidget* TVField::FocusFrameAround() const
{
    return m_ui->NameLabel;
}

bool TVField::PanelPress(QObject* watched, const QMouseEvent& event)
{
    Press(event.button());
    // The splitter's press only selects: it drags itself.
    if (event.button() == Qt::LeftButton && watched != m_ui->Splitter)
        StepEditor()->StartDrag(m_ui->Panel, event.globalPosition().toPoint());
    // The filter button and the splitter still need their press.
    return watched != m_ui->FilterButton && watched != m_ui->Splitter;
}

bool TVField::PanelDoubleClick(QObject* watched)
{
    if (watched == m_ui->NameLabel)
        Rename();
    else if (watched == m_ui->FormulaLabel)
        EditFormula();
    return watched != m_ui->FilterButton;
}

void TVField::SetField(TMxQueryField* field)
{
    m_field.reset(field);
    m_observer->Observe(field);
    // What is stored is shown as it is: binding writes nothing back.
    Layout(2);
}

int TVField::Width() const
{
    TMxStepEditor* editor = StepEditor();
    return editor ? editor->Scaled(FieldDisplayWidth(m_field.get())) : FieldDisplayWidth(m_field.get());
}

void TVField::PlaceControls()
{
    TMxStepEditor* editor = StepEditor();
    if (!editor)
        return;
    // The pictures keep their size; the places and the texts' widths scale.
    m_ui->CheckBox->setGeometry(editor->Scaled(8), 8, 16, 16);
    m_ui->TotalLabel->setGeometry(editor->Scaled(26), 2, editor->Scaled(23), 27);
    // The rows follow the font's height (PanelRows).
    const TPanelRows rows = rowsOf(editor);
    const int nameLeft = editor->Scaled(kNameLeft);
    m_ui->NameLabel->setGeometry(nameLeft, rows.nameTop, std::max(0, m_ui->Panel->width() - nameLeft - 2), rows.nameHeight);
    m_ui->FilterButton->setGeometry(editor->Scaled(8), rows.formulaTop, 13, 13);
    m_ui->FormulaLabel->setGeometry(editor->Scaled(23), rows.formulaTop, editor->Scaled(105), rows.formulaHeight);
}

void TVField::PlaceAt(int x, int kind, bool shown)
{
    m_ui->Panel->move(x, rowsOf(m_ui->Panel).entityHeight);
    Layout(kind);
    m_ui->Panel->setVisible(shown);
    m_ui->Splitter->setVisible(shown);
}

void TVField::SetFilterPicture(const QPixmap& picture)
{
    m_ui->FilterButton->setIcon(picture);
}

void TVField::Repaint()
{
    if (m_ui->Panel)
        m_ui->Panel->update();
}

bool TVField::IsPanel(const QObject* widget) const
{
    return widget && widget == m_ui->Panel;
}

void TVField::SetWidth(int value)
{
    TMxStepEditor* editor = StepEditor();
    if (!editor)
        return;
    int w = value;
    if (w == 0)
        w = QFontMetrics(m_ui->NameLabel->font()).horizontalAdvance(m_ui->NameLabel->text()) + m_ui->NameLabel->x() + 8;
    if (TMxQueryField* f = m_field.get())
        f->SetDesignWidth(std::max(StoredWidth(w, editor->WidthScale()), kMinFieldWidth));
    editor->Relayout(TMxStepEditor::rkWidths);
    if (editor->Selected() == this) {
        m_ui->Panel->update();
        VEntity()->Repaint();
    }
}

int TVField::TotalIndex() const
{
    return m_field ? TotalIndexOf(m_field->Total()) : 0;
}

void TVField::Layout(int kind)
{
    if (kind != 0) {
        const TPanelRows rows = rowsOf(m_ui->Panel);
        m_ui->Panel->resize(std::max(1, Width() - m_ui->Splitter->width()), rows.fieldHeight);
        m_ui->Splitter->resize(m_ui->Splitter->width(), rows.fieldHeight + 1);
        m_ui->NameLabel->resize(std::max(0, m_ui->Panel->width() - m_ui->NameLabel->x() - 2), m_ui->NameLabel->height());
    }
    m_ui->Splitter->move(m_ui->Panel->x() + m_ui->Panel->width(), m_ui->Panel->y());
    if (kind < 2)
        return;
    int total = 0;
    if (TMxQueryField* f = m_field.get()) {
        m_ui->NameLabel->setText(f->FullName());
        setTextColor(m_ui->NameLabel, Qt::black);
        total = TotalIndexOf(f->Total());
        {
            const QSignalBlocker block(m_ui->CheckBox);
            m_ui->CheckBox->setEnabled(true);
            m_ui->CheckBox->setChecked(f->Checked());
        }
        m_ui->FormulaLabel->setText(FormulaText(f));
        const bool hasFormula = f->FormulaList() && !f->FormulaList()->Line().isEmpty();
        setTextColor(m_ui->FormulaLabel, hasFormula ? QColor(Qt::black) : kGrey);
        m_ui->Panel->setToolTip(FieldHint(f, m_ui->NameLabel->text(), m_ui->FormulaLabel->text()));
    } else {
        m_ui->NameLabel->setText(QStringLiteral("(unassigned)"));
        setTextColor(m_ui->NameLabel, kGrey);
        const QSignalBlocker block(m_ui->CheckBox);
        m_ui->CheckBox->setChecked(false);
        m_ui->CheckBox->setEnabled(false);
        m_ui->FormulaLabel->clear();
        m_ui->Panel->setToolTip(QString());
    }
    m_ui->TotalLabel->setText(QString(TotalItems[size_t(total)].glyph));
    setTextColor(m_ui->TotalLabel, total > 0 ? QColor(Qt::black) : kGrey);
}

void TVField::Press(Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    TMxStepEditor* editor = StepEditor();
    editor->Select(this);
    editor->Grid()->setFocus();
}

void TVField::CheckClicked()
{
    TMxQueryField* f = m_field.get();
    TMxStepEditor* editor = StepEditor();
    if (!f || !editor)
        return;
    f->SetChecked(m_ui->CheckBox->isChecked());
    editor->UpdateSQL();
    editor->MarkModified();
}

void TVField::Rename()
{
    TMxStepEditor* editor = StepEditor();
    editor->CancelFieldDrag();
    TMxQueryField* f = m_field.get();
    if (!f || !editor->OnFieldRename)
        return;
    QString name = f->FullName();
    editor->OnFieldRename(m_ui->Panel, name);
    // A rename given up (the same name) changes nothing.
    if (!m_field || name == m_field->FullName())
        return;
    m_field->SetFullName(name);
    editor->UpdateSQL();
    editor->MarkModified();
}

void TVField::EditFormula()
{
    TMxStepEditor* editor = StepEditor();
    editor->CancelFieldDrag();
    if (!editor->OnFormulaChange)
        return;
    editor->OnFormulaChange(this);
    Layout(2);
    editor->UpdateSQL();
    editor->MarkModified();
}

void TVField::SplitterMoved()
{
    SetWidth(m_ui->Splitter->x() - m_ui->Panel->x() + m_ui->Splitter->width());
    if (TMxStepEditor* editor = StepEditor())
        editor->MarkModified();
}

void TVField::BeforeDestruction()
{
    TMxStepEditor* editor = StepEditor();
    if (editor && editor->Selected() == this) {
        TVEntity* e = VEntity();
        const int i = e ? e->IndexOf(this) : -1;
        editor->Select(i > 0 ? e->Items(i - 1) : nullptr);
    }
    if (editor)
        editor->Grid()->Columns.removeAll(this);
    delete m_observer;
    m_observer = nullptr;
    m_ui->Panel->Forget();
    delete m_ui->Splitter;
    delete m_ui->Panel;
    m_ui->Splitter = nullptr;
    m_ui->Panel = nullptr;
    TMxItem::BeforeDestruction();
}

// ---- visual entity -----------------------------------------------------------

struct TVEntity::TUi {
    TVPanel* Panel = nullptr;
    QToolButton* ExpandButton = nullptr;
    QLabel* CaptionLabel = nullptr;
};

TVEntity::TVEntity(TVEntities* owner, TMxQueryEntity* entity) : TMxList(owner), m_ui(std::make_unique<TUi>())
{
    TMxStepEditor* editor = owner->StepEditor();
    m_ui->Panel = new TVPanel(this, editor);
    m_ui->Panel->setObjectName(QStringLiteral("vEntity%1").arg(++g_entitySequence));
    m_ui->Panel->setGeometry(0, kEntityTop, 100, 18);
    m_ui->ExpandButton = new QToolButton(m_ui->Panel);
    m_ui->ExpandButton->setObjectName(QStringLiteral("ExpandButton"));
    m_ui->ExpandButton->setAutoRaise(true);
    m_ui->ExpandButton->setGeometry(1, 1, 15, 15);
    m_ui->ExpandButton->setText(QStringLiteral("-"));
    m_ui->CaptionLabel = new QLabel(m_ui->Panel);
    m_ui->CaptionLabel->setObjectName(QStringLiteral("CaptionLabel"));
    m_ui->CaptionLabel->move(18, 2);
    m_ui->CaptionLabel->installEventFilter(m_ui->Panel);
    Connect(m_ui->ExpandButton, &QToolButton::clicked, m_ui->Panel, [this] { SetExpanded(!m_expanded); });
    m_observer = new TItemObserver(m_ui->Panel);
    Connect(m_observer, &TItemObserver::added, m_ui->Panel, [this](TMxItem* item) { fieldAdded(item); });
    Connect(m_observer, &TItemObserver::removed, m_ui->Panel, [this](TMxItem* item) { fieldRemoved(item); });
    Connect(m_observer, &TItemObserver::changed, m_ui->Panel, [this] { Layout(2); });
    m_ui->Panel->show();
    SetEntity(entity);
}

TVEntity::~TVEntity() = default;

TVEntities* TVEntity::VEntities() const
{
    return dynamic_cast<TVEntities*>(Owner());
}

TMxStepEditor* TVEntity::StepEditor() const
{
    TVEntities* list = VEntities();
    return list ? list->StepEditor() : nullptr;
}

TVField* TVEntity::FindField(const TMxQueryField* field) const
{
    for (TMxItem* item : *this)
        if (static_cast<TVField*>(item)->Field() == field)
            return static_cast<TVField*>(item);
    return nullptr;
}

QWidget* TVEntity::FocusFrameAround() const
{
    return m_ui->CaptionLabel;
}

bool TVEntity::PanelPress(QObject*, const QMouseEvent& event)
{
    Press(event.button(), event.globalPosition().toPoint());
    return true;
}

void TVEntity::SetEntity(TMxQueryEntity* entity)
{
    m_entity.reset(entity);
    m_observer->Observe(entity);
    m_expanded = true;
    SetExpanded(false);
    SetExpanded(true);
}

void TVEntity::fieldAdded(TMxItem* item)
{
    auto* field = item_cast<TMxQueryField>(item);
    TMxStepEditor* editor = StepEditor();
    if (!field || !editor)
        return;
    editor->BeginUpdate();
    try {
        new TVField(this, field);
    } catch (...) {
        editor->EndUpdate();
        throw;
    }
    editor->EndUpdate();
    editor->Relayout(TMxStepEditor::rkRebuild);
}

void TVEntity::fieldRemoved(TMxItem* item)
{
    TMxStepEditor* editor = StepEditor();
    if (!editor)
        return;
    editor->BeginUpdate();
    for (int i = Count() - 1; i >= 0; --i)
        if (VField(i)->Field() == item || !VField(i)->Field())
            VField(i)->Free();
    editor->EndUpdate();
    editor->Relayout(TMxStepEditor::rkRebuild);
}

void TVEntity::SetExpanded(bool value)
{
    if (value == m_expanded)
        return;
    m_expanded = value;
    m_ui->ExpandButton->setText(value ? QStringLiteral("-") : QStringLiteral("+"));
    if (TMxStepEditor* editor = StepEditor())
        editor->Relayout(TMxStepEditor::rkRebuild);
    m_ui->Panel->update();
}

void TVEntity::Layout(int kind)
{
    if (kind >= 2) {
        m_ui->CaptionLabel->setText(EntityCaption(m_entity.get()));
        m_ui->CaptionLabel->adjustSize();
    }
    const int left = m_ui->Panel->x();
    int x = left;
    for (int i = 0; i < Count(); ++i) {
        TVField* f = VField(i);
        f->PlaceAt(x, kind, m_expanded);
        x += f->Width();
    }
    if (kind >= 1) {
        const int captionWidth = QFontMetrics(m_ui->CaptionLabel->font()).horizontalAdvance(m_ui->CaptionLabel->text()) + 20;
        const TPanelRows rows = rowsOf(m_ui->Panel);
        if (m_expanded)
            m_ui->Panel->resize(std::max(x - left, captionWidth), rows.entityHeight);
        else
            m_ui->Panel->resize(captionWidth, rows.HeaderHeight());
    }
}

void TVEntity::MoveTo(int x)
{
    m_ui->Panel->move(x, kEntityTop);
}

int TVEntity::Width() const
{
    return m_ui->Panel->width();
}

void TVEntity::Repaint()
{
    if (m_ui->Panel)
        m_ui->Panel->update();
}

void TVEntity::Press(Qt::MouseButton button, const QPoint& globalPos)
{
    TMxStepEditor* editor = StepEditor();
    if (!editor)
        return;
    if (button == Qt::LeftButton) {
        editor->Select(this);
        editor->Grid()->setFocus();
        editor->StartDrag(m_ui->Panel, globalPos);
        return;
    }
    if (button != Qt::RightButton)
        return;
    if (QMenu* menu = BuildCriteriaMenu()) {
        if (QAction* chosen = RunPopup(*menu, globalPos))
            ChooseCriterion(chosen->data().toInt());
    }
}

QMenu* TVEntity::BuildCriteriaMenu()
{
    TMxStepEditor* editor = StepEditor();
    TMxEntity* modelEntity = m_entity ? m_entity->DataModelEntity() : nullptr;
    if (!editor || !modelEntity || !modelEntity->Criterias() || modelEntity->Criterias()->Count() == 0)
        return nullptr;
    delete editor->findChild<QMenu*>(QStringLiteral("pmEntityCriterias"), Qt::FindDirectChildrenOnly);
    auto* menu = new QMenu(editor);
    menu->setObjectName(QStringLiteral("pmEntityCriterias"));
    QAction* empty = menu->addAction(QString());
    empty->setObjectName(QStringLiteral("miEmpty"));
    empty->setData(-1);
    TMxEntityCriteriaList* criteria = modelEntity->Criterias();
    for (int i = 0; i < criteria->Count(); ++i) {
        QAction* a = menu->addAction(criteria->Items(i)->Name());
        a->setObjectName(QStringLiteral("mi%1").arg(i));
        a->setData(i);
    }
    return menu;
}

void TVEntity::ChooseCriterion(int index)
{
    TMxStepEditor* editor = StepEditor();
    TMxEntity* modelEntity = m_entity ? m_entity->DataModelEntity() : nullptr;
    if (!editor || !m_entity)
        return;
    const TMxEntityCriteria* chosen = nullptr;
    if (index >= 0 && modelEntity && index < modelEntity->Criterias()->Count())
        chosen = modelEntity->Criterias()->Items(index);
    m_entity->SetSourceItem(chosen);
    editor->Relayout(TMxStepEditor::rkContents);
    // The criterion is stored with the query.
    editor->MarkModified();
}

void TVEntity::BeforeDestruction()
{
    TMxStepEditor* editor = StepEditor();
    if (editor && editor->Selected() == this)
        editor->Select(nullptr);
    if (editor)
        editor->Grid()->Columns.removeAll(this);
    delete m_observer;
    m_observer = nullptr;
    TMxList::BeforeDestruction();
    m_ui->Panel->Forget();
    delete m_ui->Panel;
    m_ui->Panel = nullptr;
}

// ---- visual entities -----------------------------------------------------------

TVEntities::TVEntities(TMxStepEditor* editor) : TMxList(nullptr), m_editor(editor) {}

TVEntity* TVEntities::FindEntity(const TMxQueryEntity* entity) const
{
    for (TMxItem* item : *this)
        if (static_cast<TVEntity*>(item)->Entity() == entity)
            return static_cast<TVEntity*>(item);
    return nullptr;
}

} // namespace mx::ui
