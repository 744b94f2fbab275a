#include "vitems.h"

#include "stepeditor.h"
#include "steprules.h"
#include "vpanels.h"

#include "ui/services/guarded.h"
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
constexpr int kCollapsedHeight = 67;
constexpr int kFieldTop = 17;
constexpr int kFieldHeight = 49;
constexpr int kNameLeft = 48;
const QColor kGrey(0x80, 0x80, 0x80);

void setTextColor(QLabel* label, const QColor& color)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
}

} // namespace

// ---- visual field ------------------------------------------------------------

TVField::TVField(TVEntity* owner, TMxQueryField* field) : TMxItem(owner)
{
    TMxStepEditor* editor = owner->StepEditor();
    Panel = new TVPanel(this, editor);
    Panel->setObjectName(QStringLiteral("vField%1").arg(++g_fieldSequence));
    Panel->setProperty("Tag", g_fieldSequence);
    Panel->SetBevelOuter(TBevelCut::bvNone);
    Panel->setGeometry(0, kFieldTop, editor->Scaled(kDefaultFieldWidth) - 2, kFieldHeight);
    CheckBox = new QCheckBox(Panel);
    CheckBox->setObjectName(QStringLiteral("CheckBox"));
    TotalLabel = new QLabel(Panel);
    TotalLabel->setObjectName(QStringLiteral("TotalLabel"));
    QFont symbol = TotalLabel->font();
    symbol.setPointSize(18);
    TotalLabel->setFont(symbol);
    TotalLabel->setText(QString(TotalItems[0].glyph));
    TotalLabel->setContextMenuPolicy(Qt::CustomContextMenu);
    NameLabel = new QLabel(Panel);
    NameLabel->setObjectName(QStringLiteral("NameLabel"));
    NameLabel->setWordWrap(true);
    NameLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FilterButton = new QToolButton(Panel);
    FilterButton->setObjectName(QStringLiteral("FilterButton"));
    FilterButton->setAutoRaise(true);
    FilterButton->setIcon(editor->FilterPicture());
    FilterButton->setIconSize(QSize(11, 11));
    FormulaLabel = new QLabel(Panel);
    FormulaLabel->setObjectName(QStringLiteral("FormulaLabel"));
    setTextColor(FormulaLabel, kGrey);
    Splitter = new TMxSplitter(editor);
    Splitter->setObjectName(Panel->objectName() + QStringLiteral("Splitter"));
    Splitter->SetKind(TMxSplitter::skHorizontal);
    Splitter->SetOptions(TMxSplitter::soImmediate | TMxSplitter::soUpdate);
    Splitter->setGeometry(Panel->x() + Panel->width(), kFieldTop, 2, 50);
    PlaceControls();

    for (QWidget* w : {static_cast<QWidget*>(TotalLabel), static_cast<QWidget*>(NameLabel),
             static_cast<QWidget*>(FormulaLabel), static_cast<QWidget*>(FilterButton), static_cast<QWidget*>(Splitter)})
        w->installEventFilter(Panel);
    Connect(CheckBox, &QCheckBox::clicked, Panel, [this] { CheckClicked(); });
    Connect(FilterButton, &QToolButton::clicked, Panel, [this] { EditFormula(); });
    Connect(Splitter, &TMxSplitter::OnMoved, Panel, [this] { SplitterMoved(); });
    Connect(TotalLabel, &QLabel::customContextMenuRequested, Panel, [this](const QPoint& pos) {
        TMxStepEditor* ed = StepEditor();
        ed->Select(this);
        ed->PrepareTotalsMenu();
        if (QAction* chosen = ed->TotalsMenu()->exec(TotalLabel->mapToGlobal(pos)))
            ed->ChooseTotal(chosen->data().toInt());
    });

    m_observer = new TItemObserver(Panel);
    Connect(m_observer, &TItemObserver::changed, Panel, [this] {
        Layout(2);
        if (TMxStepEditor* ed = StepEditor())
            ed->Grid()->viewport()->update();
    });
    Panel->show();
    Splitter->show();
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
    return NameLabel;
}

bool TVField::PanelPress(QObject* watched, const QMouseEvent& event)
{
    Press(event.button());
    // The splitter's press only selects: it drags itself.
    if (event.button() == Qt::LeftButton && watched != Splitter)
        StepEditor()->StartDrag(Panel, event.globalPosition().toPoint());
    // The filter button and the splitter still need their press.
    return watched != FilterButton && watched != Splitter;
}

bool TVField::PanelDoubleClick(QObject* watched)
{
    if (watched == NameLabel)
        Rename();
    else if (watched == FormulaLabel)
        EditFormula();
    return watched != FilterButton;
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
    CheckBox->setGeometry(editor->Scaled(8), 8, 16, 16);
    TotalLabel->setGeometry(editor->Scaled(26), 2, editor->Scaled(23), 27);
    const int nameLeft = editor->Scaled(kNameLeft);
    NameLabel->setGeometry(nameLeft, 8, std::max(0, Panel->width() - nameLeft - 2), 25);
    FilterButton->setGeometry(editor->Scaled(8), 34, 13, 13);
    FormulaLabel->setGeometry(editor->Scaled(23), 34, editor->Scaled(105), 13);
}

void TVField::SetWidth(int value)
{
    TMxStepEditor* editor = StepEditor();
    if (!editor)
        return;
    int w = value;
    if (w == 0)
        w = QFontMetrics(NameLabel->font()).horizontalAdvance(NameLabel->text()) + NameLabel->x() + 8;
    if (TMxQueryField* f = m_field.get())
        f->SetDesignWidth(std::max(StoredWidth(w, editor->WidthScale()), kMinFieldWidth));
    editor->Relayout(TMxStepEditor::rkWidths);
    if (editor->Selected() == this) {
        Panel->update();
        VEntity()->Panel->update();
    }
}

int TVField::TotalIndex() const
{
    return m_field ? TotalIndexOf(m_field->Total()) : 0;
}

void TVField::Layout(int kind)
{
    if (kind != 0) {
        Panel->resize(std::max(1, Width() - Splitter->width()), kFieldHeight);
        NameLabel->resize(std::max(0, Panel->width() - NameLabel->x() - 2), NameLabel->height());
    }
    Splitter->move(Panel->x() + Panel->width(), kFieldTop);
    if (kind < 2)
        return;
    int total = 0;
    if (TMxQueryField* f = m_field.get()) {
        NameLabel->setText(f->FullName());
        setTextColor(NameLabel, Qt::black);
        total = TotalIndexOf(f->Total());
        {
            const QSignalBlocker block(CheckBox);
            CheckBox->setEnabled(true);
            CheckBox->setChecked(f->Checked());
        }
        FormulaLabel->setText(FormulaText(f));
        const bool hasFormula = f->FormulaList() && !f->FormulaList()->Line().isEmpty();
        setTextColor(FormulaLabel, hasFormula ? QColor(Qt::black) : kGrey);
        Panel->setToolTip(FieldHint(f, NameLabel->text(), FormulaLabel->text()));
    } else {
        NameLabel->setText(QStringLiteral("(unassigned)"));
        setTextColor(NameLabel, kGrey);
        const QSignalBlocker block(CheckBox);
        CheckBox->setChecked(false);
        CheckBox->setEnabled(false);
        FormulaLabel->clear();
        Panel->setToolTip(QString());
    }
    TotalLabel->setText(QString(TotalItems[size_t(total)].glyph));
    setTextColor(TotalLabel, total > 0 ? QColor(Qt::black) : kGrey);
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
    f->SetChecked(CheckBox->isChecked());
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
    editor->OnFieldRename(Panel, name);
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
    SetWidth(Splitter->x() - Panel->x() + Splitter->width());
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
    Panel->Forget();
    delete Splitter;
    delete Panel;
    Splitter = nullptr;
    Panel = nullptr;
    TMxItem::BeforeDestruction();
}

// ---- visual entity -----------------------------------------------------------

TVEntity::TVEntity(TVEntities* owner, TMxQueryEntity* entity) : TMxList(owner)
{
    TMxStepEditor* editor = owner->StepEditor();
    Panel = new TVPanel(this, editor);
    Panel->setObjectName(QStringLiteral("vEntity%1").arg(++g_entitySequence));
    Panel->setGeometry(0, kEntityTop, 100, 18);
    ExpandButton = new QToolButton(Panel);
    ExpandButton->setObjectName(QStringLiteral("ExpandButton"));
    ExpandButton->setAutoRaise(true);
    ExpandButton->setGeometry(1, 1, 15, 15);
    ExpandButton->setText(QStringLiteral("-"));
    CaptionLabel = new QLabel(Panel);
    CaptionLabel->setObjectName(QStringLiteral("CaptionLabel"));
    CaptionLabel->move(18, 2);
    CaptionLabel->installEventFilter(Panel);
    Connect(ExpandButton, &QToolButton::clicked, Panel, [this] { SetExpanded(!m_expanded); });
    m_observer = new TItemObserver(Panel);
    Connect(m_observer, &TItemObserver::added, Panel, [this](TMxItem* item) { fieldAdded(item); });
    Connect(m_observer, &TItemObserver::removed, Panel, [this](TMxItem* item) { fieldRemoved(item); });
    Connect(m_observer, &TItemObserver::changed, Panel, [this] { Layout(2); });
    Panel->show();
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
    return CaptionLabel;
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
    ExpandButton->setText(value ? QStringLiteral("-") : QStringLiteral("+"));
    if (TMxStepEditor* editor = StepEditor())
        editor->Relayout(TMxStepEditor::rkRebuild);
    Panel->update();
}

void TVEntity::Layout(int kind)
{
    if (kind >= 2) {
        CaptionLabel->setText(EntityCaption(m_entity.get()));
        CaptionLabel->adjustSize();
    }
    const int left = Panel->x();
    int x = left;
    for (int i = 0; i < Count(); ++i) {
        TVField* f = VField(i);
        f->Panel->move(x, kFieldTop);
        f->Layout(kind);
        f->Panel->setVisible(m_expanded);
        f->Splitter->setVisible(m_expanded);
        x += f->Width();
    }
    if (kind >= 1) {
        const int captionWidth = QFontMetrics(CaptionLabel->font()).horizontalAdvance(CaptionLabel->text()) + 20;
        if (m_expanded)
            Panel->resize(std::max(x - left, captionWidth), kEntityHeight);
        else
            Panel->resize(captionWidth, kCollapsedHeight);
    }
}

void TVEntity::Press(Qt::MouseButton button, const QPoint& globalPos)
{
    TMxStepEditor* editor = StepEditor();
    if (!editor)
        return;
    if (button == Qt::LeftButton) {
        editor->Select(this);
        editor->Grid()->setFocus();
        editor->StartDrag(Panel, globalPos);
        return;
    }
    if (button != Qt::RightButton)
        return;
    if (QMenu* menu = BuildCriteriaMenu()) {
        if (QAction* chosen = menu->exec(globalPos))
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
    Panel->Forget();
    delete Panel;
    Panel = nullptr;
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
