#include "fmsets.h"

#include "admin/dialogs/dialogframe.h"
#include "dialogparts.h"
#include "admin/dialogs/fmmxlistselect.h"
#include "admin/dialogs/itemlistmodel.h"
#include "itemtextmodel.h"

#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/formula.h"
#include "engine/model/param.h"
#include "engine/model/user.h"
#include "engine/tools/hooks.h"

#include "ui/services/guarded.h"
#include "ui/services/helpsystem.h"
#include "ui/services/modalrunner.h"
#include "ui/services/namedwidget.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace mx::admin {

namespace {

constexpr int kSetsHelpContext = 111;
constexpr int kSetHelpContext = 174;
constexpr int kInformationsLimit = 255;

// True when candidate is the set of that Id or lies below it (its parent
// chain reaches it): choosing it as the set's parent would close a loop.
bool DescendsFrom(const TMxDomainList* sets, const TMxDomain* candidate, int ancestorId)
{
    const TMxDomain* d = candidate;
    for (int guard = 0; d && guard <= sets->Count(); ++guard) {
        if (d->Id() == ancestorId)
            return true;
        d = d->Parent() != 0 ? sets->FindById(d->Parent()) : nullptr;
    }
    return d != nullptr; // a chain that already loops: never offered
}

// Adds to refs an entry named after each item of chosen that refs does not
// name yet.
void AddMissingNames(TMxList* refs, const TMxList& chosen, Qt::CaseSensitivity cs)
{
    for (TMxItem* item : chosen)
        if (!refs->FindByName(item->Name(), cs))
            refs->AddNew()->SetName(item->Name());
}

} // namespace

QString JoinSetInformations(const QStringList& lines)
{
    QString out;
    for (const QString& line : lines) {
        if (line.isEmpty() || line.size() + out.size() >= kInformationsLimit)
            continue;
        if (!out.isEmpty())
            out += QLatin1Char(' ');
        out += line;
    }
    return out;
}

// ---------------------------------------------------------------- TfmSet

struct TfmSet::TUi {
    QGroupBox* gbProperties;
    QLineEdit* edName;
    QPlainTextEdit* moInformations;
    QComboBox* cobParent;
    QListView* lbGroups;
    TItemListModel* groups;
    QListView* lbVariables;
    TItemListModel* variables;
    QPushButton* btGroupAdd;
    QPushButton* btGroupDelete;
    QPushButton* btFilter;
    QPushButton* btOk;
    QPushButton* btCancel;
    QPushButton* btHelp;
};

TfmSet::TfmSet(TMxDataModel* model, const TMxDomain* set, const TMxDomainList* sets, const TMxUserGroupList* groups,
    QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<TUi>()), m_model(model), m_groups(groups), m_working(new TMxDomain(nullptr))
{
    using ui::Named;
    FrameDialog(this, "fmSet", kSetHelpContext, "Ensemble");
    m_working->Assign(set);

    TUi& u = *m_ui;
    u.gbProperties = Named(new QGroupBox(Translate("Propriétés"), this), "gbProperties");
    u.edName = Named(new QLineEdit(u.gbProperties), "edName");
    u.edName->setMaxLength(kInformationsLimit);
    u.moInformations = Named(new QPlainTextEdit(u.gbProperties), "moInformations");
    u.cobParent = Named(new QComboBox(u.gbProperties), "cobParent");
    u.groups = new TItemListModel(this);
    u.lbGroups = MakeList(u.gbProperties, "lbGroups", u.groups, false);
    u.variables = new TItemListModel(this);
    u.lbVariables = MakeList(u.gbProperties, "lbVariables", u.variables, false);
    u.btGroupAdd = SmallButton(u.gbProperties, "btGroupAdd", "+");
    u.btGroupDelete = SmallButton(u.gbProperties, "btGroupDelete", "-");
    u.btFilter = ui::NamedButton(this, "btFilter", "&Filtre...");
    u.btOk = ui::NamedButton(this, "btOk", "&Ok");
    u.btOk->setDefault(true);
    u.btCancel = ui::NamedButton(this, "btCancel", "A&nnuler");
    u.btHelp = ui::NamedButton(this, "btHelp", "&Aide");
    for (QPushButton* b : {u.btFilter, u.btCancel, u.btHelp})
        b->setAutoDefault(false);

    const QFontMetrics fm(font());
    u.moInformations->setFixedHeight(fm.lineSpacing() * 4 + fm.height());
    auto* groupButtons = new QVBoxLayout;
    groupButtons->addWidget(u.btGroupAdd);
    groupButtons->addWidget(u.btGroupDelete);
    groupButtons->addStretch();
    auto* groupRow = new QHBoxLayout;
    groupRow->addWidget(u.lbGroups, 1);
    groupRow->addLayout(groupButtons);
    auto* form = new QFormLayout(u.gbProperties);
    auto* laName = new QLabel(Translate("Nom :"), u.gbProperties);
    laName->setBuddy(u.edName);
    form->addRow(laName, u.edName);
    form->addRow(Translate("Informations :"), u.moInformations);
    form->addRow(Translate("Ensemble parent :"), u.cobParent);
    form->addRow(Translate("Groupes d'utilisateurs :"), groupRow);
    form->addRow(Translate("Variables :"), u.lbVariables);
    auto* main = new QVBoxLayout(this);
    main->addWidget(u.gbProperties, 1);
    main->addLayout(OkCancelHelp(u.btOk, u.btCancel, u.btHelp, u.btFilter));
    resize(fm.horizontalAdvance(QLatin1Char('M')) * 36, fm.height() * 26);

    // The controls from the working set.
    u.edName->setText(m_working->Name());
    if (!m_working->Informations().isEmpty())
        u.moInformations->setPlainText(m_working->Informations());
    u.cobParent->addItem(Translate("(aucun)"), 0);
    if (sets)
        for (int i = 0; i < sets->Count(); ++i) {
            const TMxDomain* other = sets->Items(i);
            if (other == set || DescendsFrom(sets, other, set->Id()))
                continue;
            u.cobParent->addItem(other->Name(), other->Id());
        }
    u.cobParent->setCurrentIndex(std::max(0, u.cobParent->findData(m_working->Parent())));
    u.variables->SetList(m_working->Variables());
    u.lbVariables->setMaximumHeight(fm.lineSpacing() * 4 + fm.height());
    showGroups();

    using ui::Connect;
    Connect(u.edName, &QLineEdit::textChanged, this, [this] { updateButtons(); });
    Connect(u.lbGroups->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { updateButtons(); });
    Connect(u.btGroupAdd, &QPushButton::clicked, this, [this] { addGroups(); });
    Connect(u.btGroupDelete, &QPushButton::clicked, this, [this] { removeGroup(); });
    Connect(u.btFilter, &QPushButton::clicked, this, [this] { editFilter(); });
    ConnectOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);
    // The buttons follow the controls from the start: a nameless set has
    // no Ok to press.
    updateButtons();
}

TfmSet::~TfmSet() = default;

void TfmSet::showGroups()
{
    m_ui->groups->SetList(m_working->Groups());
    updateButtons();
}

void TfmSet::updateButtons()
{
    TUi& u = *m_ui;
    u.btGroupDelete->setEnabled(CurrentRow(u.lbGroups) >= 0);
    u.btOk->setEnabled(!u.edName->text().trimmed().isEmpty());
}

void TfmSet::addGroups()
{
    if (!m_groups)
        return;
    TItemPtr<TMxList> chosen = SelectItems(Translate("Groupes"), m_groups);
    if (!chosen)
        return;
    AddMissingNames(m_working->Groups(), *chosen, Qt::CaseInsensitive);
    showGroups();
}

void TfmSet::removeGroup()
{
    const int row = CurrentRow(m_ui->lbGroups);
    TMxItem* ref = m_ui->groups->ItemAt(row);
    if (!ref)
        return;
    if (UserService().MessageDlg(TranslateFmt(QStringLiteral("Voulez-vous retirer le groupe %s ?"), {ref->Name()}),
            TMsgDlgType::mtConfirmation, mbYes | mbNo) == mrNo)
        return;
    m_ui->groups->SetItems({});
    TMxItem::Free(ref);
    showGroups();
}

void TfmSet::editFilter()
{
    if (SetCriteriaHook)
        SetCriteriaHook(m_working->Criteria(), m_model);
}

void TfmSet::accept()
{
    TUi& u = *m_ui;
    const QString name = u.edName->text().trimmed();
    if (name.isEmpty()) {
        u.edName->setFocus();
        UserService().MessageDlg(Translate("Le nom ne peut être vide."), TMsgDlgType::mtWarning, mbOK);
        return;
    }
    m_working->SetName(name);
    m_working->SetInformations(JoinSetInformations(u.moInformations->toPlainText().split(QLatin1Char('\n'))));
    m_working->SetParent(u.cobParent->currentData().toInt());
    // The group list shows the working set's references themselves.
    QDialog::accept();
}

bool EditSet(TMxDataModel* model, TMxDomain* set, const TMxDomainList* sets, const TMxUserGroupList* groups)
{
    TfmSet form(model, set, sets, groups);
    return RunEditor(form, set);
}

// ---------------------------------------------------------------- TfmSets

struct TfmSets::TUi {
    QListView* lbSets;
    TItemListModel* sets;
    QListView* lbSetFields;
    TItemListModel* fields;
    QPushButton* btSetAdd;
    QPushButton* btSetDelete;
    QPushButton* btFieldAdd;
    QPushButton* btFieldDelete;
    QPushButton* btOk;
    QPushButton* btCancel;
    QPushButton* btHelp;
};

TfmSets::TfmSets(TMxDataModel* model, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<TUi>()), m_model(model), m_copy(new TMxDomainList(nullptr))
{
    using ui::Named;
    FrameDialog(this, "fmSets", kSetsHelpContext, "Ensembles");
    m_copy->Assign(model->Domains());

    TUi& u = *m_ui;
    u.sets = new TItemListModel(this);
    u.lbSets = MakeList(this, "lbSets", u.sets, false);
    u.fields = new TItemListModel(this);
    u.lbSetFields = MakeList(this, "lbSetFields", u.fields, true);
    u.btSetAdd = SmallButton(this, "btSetAdd", "+");
    u.btSetDelete = SmallButton(this, "btSetDelete", "-");
    u.btFieldAdd = SmallButton(this, "btFieldAdd", "+");
    u.btFieldDelete = SmallButton(this, "btFieldDelete", "-");
    MakeOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);

    auto column = [this](const char* label, QListView* list, QPushButton* add, QPushButton* del) {
        auto* la = new QLabel(Translate(label), this);
        la->setBuddy(list);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(add);
        buttons->addWidget(del);
        auto* col = new QVBoxLayout;
        col->addWidget(la);
        col->addWidget(list, 1);
        col->addLayout(buttons);
        return col;
    };
    auto* lists = new QHBoxLayout;
    lists->addLayout(column("Ensembles :", u.lbSets, u.btSetAdd, u.btSetDelete), 1);
    lists->addLayout(column("Champs de l'ensemble :", u.lbSetFields, u.btFieldAdd, u.btFieldDelete), 1);
    auto* main = new QVBoxLayout(this);
    main->addLayout(lists, 1);
    main->addLayout(OkCancelHelp(u.btOk, u.btCancel, u.btHelp));
    const QFontMetrics fm(font());
    resize(fm.horizontalAdvance(QLatin1Char('M')) * 44, fm.height() * 24);

    using ui::Connect;
    Connect(u.lbSets->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { showSelected(); });
    Connect(u.lbSets, &QListView::doubleClicked, this, [this] { editSet(); });
    Connect(u.lbSetFields->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        m_ui->btFieldDelete->setEnabled(m_ui->btFieldAdd->isEnabled() && !SelectedRows(m_ui->lbSetFields).empty());
    });
    Connect(u.btSetAdd, &QPushButton::clicked, this, [this] { addSet(); });
    Connect(u.btSetDelete, &QPushButton::clicked, this, [this] { deleteSet(); });
    Connect(u.btFieldAdd, &QPushButton::clicked, this, [this] { addFields(); });
    Connect(u.btFieldDelete, &QPushButton::clicked, this, [this] { deleteFields(); });
    ConnectOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);

    showSets(0);
}

TfmSets::~TfmSets() = default;

TMxDomain* TfmSets::Selected() const
{
    return static_cast<TMxDomain*>(m_ui->sets->ItemAt(CurrentRow(m_ui->lbSets)));
}

void TfmSets::showSets(int row)
{
    m_ui->sets->SetList(m_copy.get());
    SelectRow(m_ui->lbSets, std::min(row, m_copy->Count() - 1));
    showSelected();
}

void TfmSets::showSelected()
{
    TUi& u = *m_ui;
    TMxDomain* set = Selected();
    const bool other = set && m_copy->IndexOf(set) > 0;
    u.btSetDelete->setEnabled(set != nullptr);
    u.btFieldAdd->setEnabled(other);
    u.fields->SetList(set ? set->Fields() : nullptr, true);
    u.btFieldDelete->setEnabled(other && !SelectedRows(u.lbSetFields).empty());
}

void TfmSets::editSet()
{
    TMxDomain* set = Selected();
    if (!set)
        return;
    const int row = m_copy->IndexOf(set);
    EditSet(m_model, set, m_copy.get(), m_model->Groups());
    m_ui->sets->Refresh();
    SelectRow(m_ui->lbSets, row);
    showSelected();
}

void TfmSets::addSet()
{
    TMxDomain* set = m_copy->AddNew();
    set->SetId(0);
    // The highest Id, the new set counting as 0, plus 2.
    set->SetId(m_copy->NextId() + 1);
    if (!EditSet(m_model, set, m_copy.get(), m_model->Groups())) {
        m_ui->sets->SetItems({});
        TMxItem::Free(set);
        showSets(std::max(0, CurrentRow(m_ui->lbSets)));
        return;
    }
    showSets(0);
}

void TfmSets::deleteSet()
{
    TMxDomain* set = Selected();
    if (!set)
        return;
    if (m_copy->IndexOf(set) == 0) {
        UserService().MessageDlg(Translate("Il est impossible de supprimer l'ensemble principal."),
            TMsgDlgType::mtInformation, mbOK);
        return;
    }
    const QString question = TranslateFmt(QStringLiteral("Voulez-vous supprimer l'ensemble '%s' ?"), {set->Name()})
        + QLatin1Char('\n') + Translate("Beware, delete field set can be dangerous for users");
    if (UserService().MessageDlg(question, TMsgDlgType::mtWarning, mbYes | mbNo) != mrYes)
        return;
    // The sets below it lose their parent rather than name a set gone.
    const int id = set->Id();
    for (int i = 0; i < m_copy->Count(); ++i)
        if (m_copy->Items(i)->Parent() == id)
            m_copy->Items(i)->SetParent(0);
    m_ui->lbSets->selectionModel()->clear();
    m_ui->fields->SetItems({});
    m_ui->sets->SetItems({});
    TMxItem::Free(set);
    showSets(0);
}

void TfmSets::addFields()
{
    TMxDomain* set = Selected();
    if (!set || m_copy->IndexOf(set) <= 0)
        return;
    TItemPtr<TMxList> chosen = SelectItems(Translate("Champs"), m_copy->Items(0)->Fields());
    if (!chosen || chosen->Count() == 0)
        return;
    AddMissingNames(set->Fields(), *chosen, Qt::CaseSensitive);
    showSelected();
}

void TfmSets::deleteFields()
{
    TMxDomain* set = Selected();
    const std::vector<int> rows = SelectedRows(m_ui->lbSetFields);
    if (!set || m_copy->IndexOf(set) <= 0 || rows.empty())
        return;
    if (UserService().MessageDlg(Translate("Voulez-vous retirer ces champs de l'ensemble ?"), TMsgDlgType::mtConfirmation,
            mbYes | mbNo) == mrNo)
        return;
    std::vector<TMxItem*> refs;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        refs.push_back(m_ui->fields->ItemAt(*it));
    m_ui->fields->SetItems({});
    for (TMxItem* ref : refs)
        TMxItem::Free(ref);
    showSelected();
}

bool EditDomains(TMxDataModel* model)
{
    TfmSets form(model);
    if (ui::RunModal(form) != QDialog::Accepted)
        return false;
    const int current = model->CurrentDomain() ? model->CurrentDomain()->Id() : -1;
    model->Domains()->Assign(form.Copy());
    // The catalogue and the sets open to the user follow the new sets.
    model->BuildAllFields();
    model->BuildAccessibleDomains();
    if (current >= 0)
        model->SetDomainById(current);
    return true;
}

} // namespace mx::admin
