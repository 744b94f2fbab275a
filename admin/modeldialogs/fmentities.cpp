#include "fmentities.h"

#include "admin/dialogs/dialogframe.h"
#include "dialogparts.h"
#include "itemtextmodel.h"

#include "engine/admin/adminmodel.h"
#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/field.h"
#include "engine/model/formula.h"
#include "engine/model/table.h"
#include "engine/tools/hooks.h"
#include "engine/tools/messages.h"

#include "ui/services/guarded.h"
#include "ui/services/helpsystem.h"
#include "ui/services/modalrunner.h"
#include "ui/services/namedwidget.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace mx::admin {

namespace {

constexpr int kEntitiesHelpContext = 108;
constexpr int kNameLimit = 255;

QString FullNameOf(const TMxItem* item)
{
    const auto* field = item_cast<const TMxField>(item);
    return field ? field->FullName() : item->Name();
}

// A name asked through the prompt; false when cancelled or left empty.
bool AskName(const char* caption, const char* prompt, QString& value)
{
    QString text = value;
    if (!CallPromptStringEx(Translate(caption), Translate(prompt), nullptr, kNameLimit, text, QString(), QStringLiteral("A")))
        return false;
    text = text.trimmed().left(kNameLimit);
    if (text.isEmpty())
        return false;
    value = text;
    return true;
}

} // namespace

QString CriterionLine(const TMxEntityCriteria* criterion)
{
    QString line = criterion->Name();
    // The formula editor ends its text with a blank: it is dropped inside
    // the parentheses too.
    const QString formula = criterion->Criteria() ? criterion->Criteria()->Line().trimmed() : QString();
    if (!formula.isEmpty())
        line += QStringLiteral(" (") + formula + QLatin1Char(')');
    while (line.endsWith(QLatin1Char(' ')))
        line.chop(1);
    return line;
}

// ---------------------------------------------------------------- TfmSelectEntityFields

struct TfmSelectEntityFields::TUi {
    QLabel* laTableName;
    QListView* lbAvailable;
    TItemTextModel* available;
    QListView* lbEntityFields;
    TItemTextModel* chosen;
    QPushButton* btInclude;
    QPushButton* btIncludeAll;
    QPushButton* btExclude;
    QPushButton* btExcludeAll;
    QPushButton* btOk;
    QPushButton* btCancel;
};

TfmSelectEntityFields::TfmSelectEntityFields(const TMxTable* table, const TMxEntity* entity, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<TUi>())
{
    using ui::Named;
    setObjectName(QStringLiteral("fmSelectEntityFields"));
    setWindowTitle(TranslateFmt(QStringLiteral("Choisissez les champs de l'entité : %s"), {entity->Name()}));
    ui::InstallHelpKey(this);

    // The entity's own fields, in its order; then every field of the table
    // that no entity of the table holds.
    const TMxList* own = entity->WFields();
    for (int i = 0; i < own->Count(); ++i)
        if (TMxField* field = table->Fields()->FindField(own->Items(i)->Name()))
            m_chosen.push_back(field);
    const TDmFieldList* fields = table->Fields();
    for (int i = 0; i < fields->Count(); ++i) {
        TMxItem* field = fields->Items(i);
        if (own->FindByName(field->Name()) || FindField(table->Entities(), field->Name())
            || std::find(m_chosen.begin(), m_chosen.end(), field) != m_chosen.end())
            continue;
        m_available.push_back(field);
    }

    TUi& u = *m_ui;
    auto* laTable = new QLabel(Translate("&Table :"), this);
    u.laTableName = Named(new QLabel(table->Name(), this), "laTableName");
    u.available = new TItemTextModel(&FullNameOf, this);
    u.lbAvailable = MakeList(this, "lbAvailable", u.available, true);
    u.chosen = new TItemTextModel(&FullNameOf, this);
    u.lbEntityFields = MakeList(this, "lbEntityFields", u.chosen, true);
    auto* laAvailable = new QLabel(Translate("Champs &disponibles :"), this);
    laAvailable->setBuddy(u.lbAvailable);
    auto* laChosen = new QLabel(Translate("Champs de l'&entité :"), this);
    laChosen->setBuddy(u.lbEntityFields);
    // "&Table :" names the table the fields come from: its key reaches them.
    laTable->setBuddy(u.lbAvailable);
    u.btInclude = SmallButton(this, "btInclude", ">");
    u.btIncludeAll = SmallButton(this, "btIncludeAll", ">>");
    u.btExclude = SmallButton(this, "btExclude", "<");
    u.btExcludeAll = SmallButton(this, "btExcludeAll", "<<");
    u.btOk = ui::NamedButton(this, "btOk", "Ok");
    u.btOk->setDefault(true);
    u.btCancel = ui::NamedButton(this, "btCancel", "Annuler");
    u.btCancel->setAutoDefault(false);

    auto* moves = new QVBoxLayout;
    moves->addStretch();
    for (QPushButton* b : {u.btInclude, u.btIncludeAll, u.btExclude, u.btExcludeAll})
        moves->addWidget(b);
    moves->addStretch();
    auto* tableRow = new QHBoxLayout;
    tableRow->addWidget(laTable);
    tableRow->addWidget(u.laTableName, 1);
    auto* grid = new QGridLayout;
    grid->addWidget(laAvailable, 0, 0);
    grid->addWidget(laChosen, 0, 2);
    grid->addWidget(u.lbAvailable, 1, 0);
    grid->addLayout(moves, 1, 1);
    grid->addWidget(u.lbEntityFields, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(u.btOk);
    buttons->addWidget(u.btCancel);
    auto* main = new QVBoxLayout(this);
    main->addLayout(tableRow);
    main->addLayout(grid, 1);
    main->addLayout(buttons);
    const QFontMetrics fm(font());
    resize(fm.horizontalAdvance(QLatin1Char('M')) * 44, fm.height() * 22);

    using ui::Connect;
    Connect(u.lbAvailable->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { updateButtons(); });
    Connect(u.lbEntityFields->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { updateButtons(); });
    Connect(u.lbAvailable, &QListView::doubleClicked, this, [this] { Include(); });
    Connect(u.lbEntityFields, &QListView::doubleClicked, this, [this] { Exclude(); });
    Connect(u.btInclude, &QPushButton::clicked, this, [this] { Include(); });
    Connect(u.btIncludeAll, &QPushButton::clicked, this, [this] { IncludeAll(); });
    Connect(u.btExclude, &QPushButton::clicked, this, [this] { Exclude(); });
    Connect(u.btExcludeAll, &QPushButton::clicked, this, [this] { ExcludeAll(); });
    Connect(u.btOk, &QPushButton::clicked, this, [this] { accept(); });
    Connect(u.btCancel, &QPushButton::clicked, this, [this] { reject(); });

    show(-1, -1);
}

TfmSelectEntityFields::~TfmSelectEntityFields() = default;

void TfmSelectEntityFields::show(int availableRow, int chosenRow)
{
    m_ui->available->SetItems(m_available);
    m_ui->chosen->SetItems(m_chosen);
    SelectRow(m_ui->lbAvailable, availableRow);
    SelectRow(m_ui->lbEntityFields, chosenRow);
    updateButtons();
}

void TfmSelectEntityFields::updateButtons()
{
    TUi& u = *m_ui;
    u.btInclude->setEnabled(!m_available.empty() && !SelectedRows(u.lbAvailable).empty());
    u.btIncludeAll->setEnabled(!m_available.empty());
    u.btExclude->setEnabled(!m_chosen.empty() && !SelectedRows(u.lbEntityFields).empty());
    u.btExcludeAll->setEnabled(!m_chosen.empty());
}

void TfmSelectEntityFields::move(bool include)
{
    QListView* fromView = include ? m_ui->lbAvailable : m_ui->lbEntityFields;
    std::vector<TMxItem*>& from = include ? m_available : m_chosen;
    std::vector<TMxItem*>& to = include ? m_chosen : m_available;
    const std::vector<int> rows = SelectedRows(fromView);
    const int first = rows.empty() ? 0 : rows.front();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        to.push_back(from[size_t(*it)]);
        from.erase(from.begin() + *it);
    }
    const int keep = from.empty() ? -1 : std::min(first, int(from.size()) - 1);
    if (include)
        show(keep, -1);
    else
        show(-1, keep);
    fromView->setFocus();
}

void TfmSelectEntityFields::Include() { move(true); }
void TfmSelectEntityFields::Exclude() { move(false); }

void TfmSelectEntityFields::IncludeAll()
{
    m_chosen.insert(m_chosen.end(), m_available.begin(), m_available.end());
    m_available.clear();
    show(-1, -1);
    m_ui->lbAvailable->setFocus();
}

void TfmSelectEntityFields::ExcludeAll()
{
    m_available.insert(m_available.end(), m_chosen.begin(), m_chosen.end());
    m_chosen.clear();
    show(-1, -1);
    m_ui->lbEntityFields->setFocus();
}

bool SelectEntityFields(TMxTable* table, TMxEntity* entity)
{
    if (!table || !entity)
        return false;
    TfmSelectEntityFields form(table, entity);
    if (ui::RunModal(form) != QDialog::Accepted)
        return false;
    entity->WFields()->Clear();
    for (TMxItem* field : form.Chosen())
        entity->AddField(static_cast<TMxField*>(field));
    return true;
}

// ---------------------------------------------------------------- TfmEntities

struct TfmEntities::TUi {
    QComboBox* cobTable;
    QListView* lbEntities;
    TItemListModel* entities;
    QListView* lbFields;
    TItemTextModel* fields;
    QListView* lbCriteria;
    TItemTextModel* criteria;
    QPushButton* btEntityAdd;
    QPushButton* btEntityDelete;
    QPushButton* btEntityFields;
    QPushButton* btCriteriaAdd;
    QPushButton* btCriteriaDelete;
    QPushButton* btCriteriaEdit;
    QPushButton* btOk;
    QPushButton* btCancel;
    QPushButton* btHelp;
};

TfmEntities::TfmEntities(TMxDataModel* model, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<TUi>()), m_model(model), m_copy(new TMxTableList(nullptr))
{
    using ui::Named;
    FrameDialog(this, "fmEntities", kEntitiesHelpContext, "Définition des entités");
    m_copy->Assign(model->Tables());

    TUi& u = *m_ui;
    u.cobTable = Named(new QComboBox(this), "cobTable");
    for (int i = 0; i < m_copy->Count(); ++i)
        u.cobTable->addItem(m_copy->Items(i)->Name(), m_copy->Items(i)->Id());
    auto* laTable = new QLabel(Translate("Table :"), this);
    laTable->setBuddy(u.cobTable);
    u.entities = new TItemListModel(this);
    u.lbEntities = MakeList(this, "lbEntities", u.entities, false);
    u.fields = new TItemTextModel(
        [this](const TMxItem* entry) {
            const TMxTable* table = Table();
            const TMxField* field = table ? table->Fields()->FindField(entry->Name()) : nullptr;
            return field ? field->FullName() : entry->Name();
        },
        this);
    u.lbFields = MakeList(this, "lbFields", u.fields, false);
    u.criteria = new TItemTextModel([](const TMxItem* c) { return CriterionLine(static_cast<const TMxEntityCriteria*>(c)); }, this);
    u.lbCriteria = MakeList(this, "lbCriteria", u.criteria, false);
    u.btEntityAdd = SmallButton(this, "btEntityAdd", "+");
    u.btEntityDelete = SmallButton(this, "btEntityDelete", "-");
    u.btEntityFields = ui::NamedButton(this, "btEntityFields", "+ / -");
    u.btEntityFields->setAutoDefault(false);
    u.btCriteriaAdd = SmallButton(this, "btCriteriaAdd", "+");
    u.btCriteriaDelete = SmallButton(this, "btCriteriaDelete", "-");
    u.btCriteriaEdit = ui::NamedButton(this, "btCriteriaEdit", "Critères...");
    u.btCriteriaEdit->setAutoDefault(false);
    MakeOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);

    auto column = [this](const char* label, QListView* list, std::initializer_list<QPushButton*> buttons) {
        auto* la = new QLabel(Translate(label), this);
        la->setBuddy(list);
        auto* row = new QHBoxLayout;
        row->addStretch();
        for (QPushButton* b : buttons)
            row->addWidget(b);
        auto* col = new QVBoxLayout;
        col->addWidget(la);
        col->addWidget(list, 1);
        col->addLayout(row);
        return col;
    };
    auto* tableRow = new QHBoxLayout;
    tableRow->addWidget(laTable);
    tableRow->addWidget(u.cobTable, 1);
    auto* lists = new QHBoxLayout;
    lists->addLayout(column("&Entités", u.lbEntities, {u.btEntityAdd, u.btEntityDelete}), 1);
    lists->addLayout(column("&Champs", u.lbFields, {u.btEntityFields}), 1);
    lists->addLayout(column("C&ritères", u.lbCriteria, {u.btCriteriaEdit, u.btCriteriaAdd, u.btCriteriaDelete}), 1);
    auto* main = new QVBoxLayout(this);
    main->addLayout(tableRow);
    main->addLayout(lists, 1);
    main->addLayout(OkCancelHelp(u.btOk, u.btCancel, u.btHelp));
    const QFontMetrics fm(font());
    resize(fm.horizontalAdvance(QLatin1Char('M')) * 56, fm.height() * 24);

    using ui::Connect;
    Connect(u.cobTable, &QComboBox::currentIndexChanged, this, [this] { ShowTable(0); });
    Connect(u.lbEntities->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { showEntity(0); });
    Connect(u.lbCriteria->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { updateButtons(); });
    Connect(u.lbEntities, &QListView::doubleClicked, this, [this] { RenameEntity(); });
    Connect(u.lbCriteria, &QListView::doubleClicked, this, [this] { RenameCriterion(); });
    Connect(u.btEntityAdd, &QPushButton::clicked, this, [this] { AddEntity(); });
    Connect(u.btEntityDelete, &QPushButton::clicked, this, [this] { DeleteEntity(); });
    Connect(u.btEntityFields, &QPushButton::clicked, this, [this] { EditEntityFields(); });
    Connect(u.btCriteriaAdd, &QPushButton::clicked, this, [this] { AddCriterion(); });
    Connect(u.btCriteriaDelete, &QPushButton::clicked, this, [this] { DeleteCriterion(); });
    Connect(u.btCriteriaEdit, &QPushButton::clicked, this, [this] { EditCriterion(); });
    ConnectOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);

    u.cobTable->setCurrentIndex(m_copy->Count() > 0 ? 0 : -1);
    ShowTable(0);
}

TfmEntities::~TfmEntities() = default;

TMxTable* TfmEntities::Table() const
{
    const int i = m_ui->cobTable->currentIndex();
    return i >= 0 && i < m_copy->Count() ? m_copy->Items(i) : nullptr;
}

TMxEntity* TfmEntities::Entity() const
{
    return static_cast<TMxEntity*>(m_ui->entities->ItemAt(CurrentRow(m_ui->lbEntities)));
}

TMxEntityCriteria* TfmEntities::Criterion() const
{
    return static_cast<TMxEntityCriteria*>(m_ui->criteria->ItemAt(CurrentRow(m_ui->lbCriteria)));
}

void TfmEntities::ShowTable(int entityRow)
{
    TMxTable* table = Table();
    m_ui->entities->SetList(table ? table->Entities() : nullptr);
    SelectRow(m_ui->lbEntities, entityRow);
    showEntity(0);
}

void TfmEntities::showEntity(int criterionRow)
{
    TMxEntity* entity = Entity();
    m_ui->fields->SetList(entity ? entity->WFields() : nullptr);
    m_ui->criteria->SetList(entity ? entity->Criterias() : nullptr);
    SelectRow(m_ui->lbCriteria, criterionRow);
    updateButtons();
}

void TfmEntities::updateButtons()
{
    TUi& u = *m_ui;
    const bool entity = Entity() != nullptr;
    const bool criterion = Criterion() != nullptr;
    u.btEntityAdd->setEnabled(Table() != nullptr);
    u.btEntityDelete->setEnabled(entity);
    u.btEntityFields->setEnabled(entity);
    u.btCriteriaAdd->setEnabled(entity);
    u.btCriteriaDelete->setEnabled(criterion);
    u.btCriteriaEdit->setEnabled(criterion);
}

void TfmEntities::AddEntity()
{
    TMxTable* table = Table();
    QString name;
    if (!table || !AskName("Entité", "Donnez un nom à l'entité", name))
        return;
    TMxEntityList* entities = table->Entities();
    const int id = entities->NextId();
    TMxEntity* entity = mx::AddEntity(entities);
    entity->SetId(id);
    entity->SetName(name);
    ShowTable(entities->Count() - 1);
    EditEntityFields();
}

void TfmEntities::RenameEntity()
{
    TMxEntity* entity = Entity();
    if (!entity)
        return;
    QString name = entity->Name();
    if (!AskName("Entité", "Donnez un nom à l'entité", name))
        return;
    entity->SetName(name);
    m_ui->entities->Refresh();
}

void TfmEntities::DeleteEntity()
{
    TMxEntity* entity = Entity();
    if (!entity || !m_ui->btEntityDelete->isEnabled())
        return;
    if (!AskYesNo(TranslateFmt(QStringLiteral("Voulez-vous supprimer l'entité %s  ?"), {entity->Name()})))
        return;
    m_ui->entities->SetItems({});
    m_ui->fields->SetItems({});
    m_ui->criteria->SetItems({});
    TMxItem::Free(entity);
    ShowTable(0);
}

void TfmEntities::EditEntityFields()
{
    TMxEntity* entity = Entity();
    if (!entity)
        return;
    const int row = CurrentRow(m_ui->lbEntities);
    SelectEntityFields(Table(), entity);
    ShowTable(row);
}

void TfmEntities::AddCriterion()
{
    TMxEntity* entity = Entity();
    QString name;
    if (!entity || !AskName("Critère", "Donnez un nom au critère", name))
        return;
    TMxEntityCriteriaList* criteria = entity->Criterias();
    const int id = criteria->NextId();
    TMxEntityCriteria* criterion = criteria->AddNew();
    criterion->SetId(id);
    criterion->SetName(name);
    showEntity(criteria->Count() - 1);
    EditCriterion();
}

void TfmEntities::RenameCriterion()
{
    TMxEntityCriteria* criterion = Criterion();
    if (!criterion)
        return;
    QString name = criterion->Name();
    if (!AskName("Critère de l'entité", "Donnez un nom au critère", name))
        return;
    criterion->SetName(name);
    m_ui->criteria->Refresh();
}

void TfmEntities::DeleteCriterion()
{
    TMxEntityCriteria* criterion = Criterion();
    if (!criterion || !m_ui->btCriteriaDelete->isEnabled())
        return;
    if (!AskYesNo(TranslateFmt(QStringLiteral("Voulez-vous supprimer le critère %s ?"), {criterion->Name()})))
        return;
    m_ui->criteria->SetItems({});
    TMxItem::Free(criterion);
    showEntity(0);
}

void TfmEntities::EditCriterion()
{
    TMxEntityCriteria* criterion = Criterion();
    if (!criterion)
        return;
    const int row = CurrentRow(m_ui->lbCriteria);
    if (EntityCriteriaHook)
        EntityCriteriaHook(criterion->Criteria(), m_model);
    showEntity(row);
}

bool EditEntities(TMxDataModel* model)
{
    TfmEntities form(model);
    if (ui::RunModal(form) != QDialog::Accepted)
        return false;
    TMxTableList* tables = model->Tables();
    for (int i = 0; i < form.Copy()->Count() && i < tables->Count(); ++i)
        tables->Items(i)->Entities()->Assign(form.Copy()->Items(i)->Entities());
    // The current set's view of the entities is built again from them.
    if (TMxDomain* current = model->CurrentDomain())
        model->SetDomainById(current->Id());
    return true;
}

} // namespace mx::admin
