#include "fmusers.h"

#include "admin/dialogs/dialogframe.h"
#include "dialogparts.h"
#include "admin/dialogs/fmmxlistselect.h"
#include "admin/dialogs/itemlistmodel.h"
#include "itemtextmodel.h"

#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/user.h"

#include "ui/services/guarded.h"
#include "ui/services/helpsystem.h"
#include "ui/services/modalrunner.h"
#include "ui/services/namedwidget.h"

#include <QApplication>
#include <QCheckBox>
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

#include <algorithm>
#include <map>

namespace mx::admin {

namespace {

constexpr int kUsersHelpContext = 110;
constexpr int kUserHelpContext = 163;
constexpr int kGroupHelpContext = 164;
constexpr int kInformationsLimit = 255;

void Warn(const QString& text)
{
    UserService().MessageDlg(text, TMsgDlgType::mtWarning, mbOK);
}

// Another item of list than the index-th has that name, letter case aside.
bool NameTaken(const TMxList* list, int index, const QString& name)
{
    for (int i = 0; list && i < list->Count(); ++i)
        if (i != index && list->Items(i)->Name().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The name typed in edit, trimmed, for the index-th item of list; empty,
// with the user told why and the focus back in edit, when nothing was typed
// or another item has that name (taken says so).
QString CheckedName(QLineEdit* edit, const TMxList* list, int index, const char* taken)
{
    const QString name = edit->text().trimmed();
    if (name.isEmpty() || NameTaken(list, index, name)) {
        edit->setFocus();
        Warn(Translate(name.isEmpty() ? "Le nom ne peut être vide." : taken));
        return {};
    }
    return name;
}

template <class T>
T* OriginOf(const std::vector<std::pair<const TMxItem*, TMxItem*>>& origins, const TMxItem* copy)
{
    for (const auto& [c, o] : origins)
        if (c == copy)
            return static_cast<T*>(o);
    return nullptr;
}

} // namespace

QString JoinGroupInformations(const QStringList& lines)
{
    QString out;
    for (const QString& line : lines) {
        if (out.size() + line.size() > kInformationsLimit)
            break;
        out += line;
    }
    return out;
}

// ---------------------------------------------------------------- TfmUser

struct TfmUser::TUi {
    QGroupBox* gbUser;
    QLineEdit* edName;
    QLineEdit* edPassword;
    QLineEdit* edConfirm;
    QComboBox* cobLevel;
    QCheckBox* cbCreateQueries;
    QCheckBox* cbModifyDomain;
    QCheckBox* cbCreateViews;
    QLabel* laViewPrefix;
    QLineEdit* edViewPrefix;
    QPushButton* btOk;
    QPushButton* btCancel;
    QPushButton* btHelp;
};

TfmUser::TfmUser(const TMxUser* user, const TMxUserList* users, int index, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<TUi>()), m_users(users), m_index(index), m_working(new TMxUser(nullptr))
{
    using ui::Named;
    FrameDialog(this, "fmUser", kUserHelpContext, "Utilisateur");
    m_working->Assign(user);

    TUi& u = *m_ui;
    u.gbUser = Named(new QGroupBox(Translate("Informations utilisateur"), this), "gbUser");
    u.edName = Named(new QLineEdit(u.gbUser), "edName");
    u.edPassword = Named(new QLineEdit(u.gbUser), "edPassword");
    u.edConfirm = Named(new QLineEdit(u.gbUser), "edConfirm");
    u.edPassword->setEchoMode(QLineEdit::Password);
    u.edConfirm->setEchoMode(QLineEdit::Password);
    u.cobLevel = Named(new QComboBox(u.gbUser), "cobLevel");
    u.cobLevel->addItems({Translate("Administrateur"), Translate("Utilisateur")});
    u.cbCreateQueries = Named(new QCheckBox(Translate("Créer des requêtes"), u.gbUser), "cbCreateQueries");
    u.cbModifyDomain = Named(new QCheckBox(Translate("Modifier ensembles"), u.gbUser), "cbModifyDomain");
    u.cbCreateViews = Named(new QCheckBox(Translate("Créer des vues"), u.gbUser), "cbCreateViews");
    u.laViewPrefix = Named(new QLabel(Translate("Préfixe nom vues :"), u.gbUser), "laViewPrefix");
    u.edViewPrefix = Named(new QLineEdit(u.gbUser), "edViewPrefix");
    u.laViewPrefix->setBuddy(u.edViewPrefix);
    for (QWidget* w : std::initializer_list<QWidget*>{u.cbModifyDomain, u.cbCreateViews, u.laViewPrefix, u.edViewPrefix})
        w->hide();
    MakeOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);

    auto* form = new QFormLayout(u.gbUser);
    form->addRow(Translate("&Nom :"), u.edName);
    form->addRow(Translate("&Mot de passe"), u.edPassword);
    form->addRow(Translate("&Confirmation"), u.edConfirm);
    form->addRow(Translate("Ni&veau"), u.cobLevel);
    form->addRow(u.cbCreateQueries);
    form->addRow(u.cbModifyDomain);
    form->addRow(u.cbCreateViews);
    form->addRow(u.laViewPrefix, u.edViewPrefix);
    auto* main = new QVBoxLayout(this);
    main->addWidget(u.gbUser);
    main->addStretch();
    main->addLayout(OkCancelHelp(u.btOk, u.btCancel, u.btHelp));
    const QFontMetrics fm(font());
    resize(fm.horizontalAdvance(QLatin1Char('M')) * 30, sizeHint().height());

    u.edName->setText(m_working->Name());
    u.edPassword->setText(m_working->Password());
    u.edConfirm->setText(m_working->Password());
    u.cobLevel->setCurrentIndex(m_working->Level() == 0 ? 0 : 1);
    u.cbModifyDomain->setChecked(m_working->HasRight(urModifyDomain));
    u.cbCreateQueries->setChecked(m_working->HasRight(urCreateQueries));
    u.cbCreateViews->setChecked(m_working->HasRight(urCreateViews));
    u.edViewPrefix->setText(m_working->ViewPrefix());
    // The administrator account keeps its name and its level.
    const bool first = index == 0;
    u.edName->setEnabled(!first);
    u.cobLevel->setEnabled(!first);
    updateViewPrefix();

    using ui::Connect;
    Connect(u.cbCreateViews, &QCheckBox::clicked, this, [this] { updateViewPrefix(); });
    ConnectOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);
}

TfmUser::~TfmUser() = default;

void TfmUser::updateViewPrefix()
{
    const bool on = m_ui->cbCreateViews->isChecked();
    m_ui->laViewPrefix->setEnabled(on);
    m_ui->edViewPrefix->setEnabled(on);
}

void TfmUser::accept()
{
    TUi& u = *m_ui;
    // Login finds a user without regard to case: two names differing only
    // in case would leave one of them unable to log in.
    const QString name = CheckedName(u.edName, m_users, m_index, "Ce nom appartient déjà à un autre utilisateur.");
    if (name.isEmpty())
        return;
    if (u.edPassword->text() != u.edConfirm->text()) {
        u.edPassword->setFocus();
        Warn(Translate("Les mots de passe ne correspondent pas."));
        return;
    }
    m_working->SetName(name);
    m_working->SetPassword(u.edPassword->text());
    m_working->SetLevel(u.cobLevel->currentIndex());
    m_working->SetViewPrefix(u.edViewPrefix->text());
    TUserRights rights = 0;
    if (u.cbModifyDomain->isChecked())
        rights |= UserRight(urModifyDomain);
    if (u.cbCreateQueries->isChecked())
        rights |= UserRight(urCreateQueries);
    if (u.cbCreateViews->isChecked())
        rights |= UserRight(urCreateViews);
    m_working->SetRights(rights);
    QDialog::accept();
}

bool EditUser(TMxUser* user, const TMxUserList* users)
{
    TfmUser form(user, users, users ? users->IndexOf(user) : -1);
    return RunEditor(form, user);
}

// ---------------------------------------------------------------- TfmUserGroup

struct TfmUserGroup::TUi {
    QGroupBox* gbDescription;
    QLineEdit* edName;
    QPlainTextEdit* moInformations;
    QGroupBox* gbMembers;
    QListView* lbMembers;
    TItemListModel* members;
    QPushButton* btAddMember;
    QPushButton* btRemoveMember;
    QPushButton* btOk;
    QPushButton* btCancel;
    QPushButton* btHelp;
};

TfmUserGroup::TfmUserGroup(const TMxUserGroup* group, const TMxUserList* users, const TMxUserGroupList* groups, int index,
    QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<TUi>()), m_users(users), m_groups(groups), m_index(index),
      m_working(new TMxUserGroup(nullptr))
{
    using ui::Named;
    FrameDialog(this, "fmUserGroup", kGroupHelpContext, "Groupe d'utilisateurs");
    m_working->Assign(group);

    TUi& u = *m_ui;
    u.gbDescription = Named(new QGroupBox(Translate("Description"), this), "gbDescription");
    u.edName = Named(new QLineEdit(u.gbDescription), "edName");
    u.edName->setMaxLength(kInformationsLimit);
    u.moInformations = Named(new QPlainTextEdit(u.gbDescription), "moInformations");
    u.gbMembers = Named(new QGroupBox(Translate("&Utilisateurs"), this), "gbMembers");
    u.members = new TItemListModel(this);
    u.lbMembers = MakeList(u.gbMembers, "lbMembers", u.members, true);
    u.btAddMember = ui::NamedButton(u.gbMembers, "btAddMember", "Ajo&uter");
    u.btRemoveMember = ui::NamedButton(u.gbMembers, "btRemoveMember", "&Retirer");
    MakeOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);
    for (QPushButton* b : {u.btAddMember, u.btRemoveMember})
        b->setAutoDefault(false);

    const QFontMetrics fm(font());
    u.moInformations->setFixedHeight(fm.lineSpacing() * 4 + fm.height());
    auto* form = new QFormLayout(u.gbDescription);
    form->addRow(Translate("Nom :"), u.edName);
    form->addRow(Translate("Informations :"), u.moInformations);
    auto* memberButtons = new QVBoxLayout;
    memberButtons->addWidget(u.btAddMember);
    memberButtons->addWidget(u.btRemoveMember);
    memberButtons->addStretch();
    auto* membersRow = new QHBoxLayout(u.gbMembers);
    membersRow->addWidget(u.lbMembers, 1);
    membersRow->addLayout(memberButtons);
    auto* main = new QVBoxLayout(this);
    main->addWidget(u.gbDescription);
    main->addWidget(u.gbMembers, 1);
    main->addLayout(OkCancelHelp(u.btOk, u.btCancel, u.btHelp));
    resize(fm.horizontalAdvance(QLatin1Char('M')) * 34, fm.height() * 26);

    u.edName->setText(m_working->Name());
    if (!m_working->Informations().isEmpty())
        u.moInformations->setPlainText(m_working->Informations());
    showMembers();

    using ui::Connect;
    Connect(u.lbMembers->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { updateButtons(); });
    Connect(u.btAddMember, &QPushButton::clicked, this, [this] { addMembers(); });
    Connect(u.btRemoveMember, &QPushButton::clicked, this, [this] { removeMembers(); });
    ConnectOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);
}

TfmUserGroup::~TfmUserGroup() = default;

void TfmUserGroup::showMembers()
{
    m_working->Users()->Sort();
    m_ui->members->SetList(m_working->Users(), true);
    updateButtons();
}

void TfmUserGroup::updateButtons()
{
    m_ui->btRemoveMember->setEnabled(m_ui->members->rowCount() > 0 && !SelectedRows(m_ui->lbMembers).empty());
}

void TfmUserGroup::addMembers()
{
    TItemPtr<TMxList> chosen = SelectItems(Translate("Utilisateurs"), m_users);
    if (!chosen)
        return;
    TMxList* refs = m_working->Users();
    for (TMxItem* user : *chosen)
        if (!refs->FindByName(user->Name(), Qt::CaseInsensitive))
            refs->AddNew()->SetName(user->Name());
    showMembers();
}

void TfmUserGroup::removeMembers()
{
    const std::vector<int> rows = SelectedRows(m_ui->lbMembers);
    if (rows.empty() || !AskYesNo(Translate("Voulez-vous retirer les utilisateurs de ce groupe ?")))
        return;
    std::vector<TMxItem*> refs;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        refs.push_back(m_ui->members->ItemAt(*it));
    m_ui->members->SetItems({});
    for (TMxItem* ref : refs)
        TMxItem::Free(ref);
    showMembers();
}

void TfmUserGroup::accept()
{
    TUi& u = *m_ui;
    // Sets name their groups; two groups differing only in case would be
    // one and the same to them.
    const QString name = CheckedName(u.edName, m_groups, m_index, "Ce nom appartient déjà à un autre groupe d'utilisateurs.");
    if (name.isEmpty())
        return;
    m_working->SetName(name);
    m_working->SetInformations(JoinGroupInformations(u.moInformations->toPlainText().split(QLatin1Char('\n'))));
    QDialog::accept();
}

bool EditUserGroup(TMxUserGroup* group, const TMxUserList* users, const TMxUserGroupList* groups)
{
    TfmUserGroup form(group, users, groups, groups ? groups->IndexOf(group) : -1);
    return RunEditor(form, group);
}

// ---------------------------------------------------------------- TfmUserList

struct TfmUserList::TUi {
    QGroupBox* gbUsers;
    QListView* lbUsers;
    TItemListModel* users;
    QPushButton* btUserAdd;
    QPushButton* btUserDelete;
    QGroupBox* gbGroups;
    QListView* lbGroups;
    TItemListModel* groups;
    QPushButton* btGroupAdd;
    QPushButton* btGroupDelete;
    QPushButton* btOk;
    QPushButton* btCancel;
    QPushButton* btHelp;
};

TfmUserList::TfmUserList(TMxDataModel* model, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<TUi>()), m_model(model), m_users(new TMxUserList(nullptr)),
      m_groups(new TMxUserGroupList(nullptr))
{
    using ui::Named;
    FrameDialog(this, "fmUserList", kUsersHelpContext, "Utilisateurs, groupes et droits d'accès");
    m_users->Assign(model->Users());
    m_groups->Assign(model->Groups());
    for (int i = 0; i < m_users->Count(); ++i)
        m_userOrigins.emplace_back(m_users->Items(i), model->Users()->Items(i));
    for (int i = 0; i < m_groups->Count(); ++i)
        m_groupOrigins.emplace_back(m_groups->Items(i), model->Groups()->Items(i));

    TUi& u = *m_ui;
    auto box = [this](const char* name, const char* title, QListView*& list, TItemListModel*& model, QPushButton*& add,
                   QPushButton*& del, const char* addName, const char* delName) {
        auto* gb = Named(new QGroupBox(Translate(title), this), name);
        model = new TItemListModel(this);
        list = MakeList(gb, name[2] == 'U' ? "lbUsers" : "lbGroups", model, false);
        list->installEventFilter(this);
        add = SmallButton(gb, addName, "+");
        del = SmallButton(gb, delName, "-");
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(add);
        buttons->addWidget(del);
        auto* col = new QVBoxLayout(gb);
        col->addWidget(list, 1);
        col->addLayout(buttons);
        return gb;
    };
    u.gbUsers = box("gbUsers", "Liste des utilisateurs", u.lbUsers, u.users, u.btUserAdd, u.btUserDelete, "btUserAdd",
        "btUserDelete");
    u.gbGroups = box("gbGroups", "Liste des groupes", u.lbGroups, u.groups, u.btGroupAdd, u.btGroupDelete, "btGroupAdd",
        "btGroupDelete");
    MakeOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);
    auto* lists = new QHBoxLayout;
    lists->addWidget(u.gbUsers, 1);
    lists->addWidget(u.gbGroups, 1);
    auto* main = new QVBoxLayout(this);
    main->addLayout(lists, 1);
    main->addLayout(OkCancelHelp(u.btOk, u.btCancel, u.btHelp));
    const QFontMetrics fm(font());
    resize(fm.horizontalAdvance(QLatin1Char('M')) * 40, fm.height() * 22);

    using ui::Connect;
    Connect(u.lbUsers->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { updateButtons(); });
    Connect(u.lbGroups->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { updateButtons(); });
    Connect(u.lbUsers, &QListView::doubleClicked, this, [this] { EditSelectedUser(); });
    Connect(u.lbGroups, &QListView::doubleClicked, this, [this] { EditSelectedGroup(); });
    Connect(u.btUserAdd, &QPushButton::clicked, this, [this] { AddUser(); });
    Connect(u.btUserDelete, &QPushButton::clicked, this, [this] { DeleteUser(); });
    Connect(u.btGroupAdd, &QPushButton::clicked, this, [this] { AddGroup(); });
    Connect(u.btGroupDelete, &QPushButton::clicked, this, [this] { DeleteGroup(); });
    ConnectOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);

    relistUsers(-1);
    relistGroups(-1);
}

TfmUserList::~TfmUserList() = default;

TMxUser* TfmUserList::OriginalUser(const TMxUser* copy) const { return OriginOf<TMxUser>(m_userOrigins, copy); }
TMxUserGroup* TfmUserList::OriginalGroup(const TMxUserGroup* copy) const
{
    return OriginOf<TMxUserGroup>(m_groupOrigins, copy);
}

bool TfmUserList::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        if (watched == m_ui->lbUsers) {
            if (m_ui->btUserDelete->isEnabled())
                m_ui->btUserDelete->click();
            return true;
        }
        if (watched == m_ui->lbGroups) {
            if (m_ui->btGroupDelete->isEnabled())
                m_ui->btGroupDelete->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfmUserList::relistUsers(int row)
{
    m_ui->users->SetList(m_users.get());
    SelectRow(m_ui->lbUsers, row);
    updateButtons();
}

void TfmUserList::relistGroups(int row)
{
    m_ui->groups->SetList(m_groups.get());
    SelectRow(m_ui->lbGroups, row);
    updateButtons();
}

void TfmUserList::updateButtons()
{
    const int user = CurrentRow(m_ui->lbUsers);
    m_ui->btUserDelete->setEnabled(user > 0);
    m_ui->btGroupDelete->setEnabled(CurrentRow(m_ui->lbGroups) >= 0);
}

void TfmUserList::followUser(const QString& oldName, const QString& newName)
{
    for (int g = 0; g < m_groups->Count(); ++g) {
        TMxList* members = m_groups->Items(g)->Users();
        for (int i = members->Count() - 1; i >= 0; --i) {
            TMxItem* ref = members->Items(i);
            if (ref->Name().compare(oldName, Qt::CaseInsensitive) != 0)
                continue;
            if (newName.isEmpty())
                TMxItem::Free(ref);
            else
                ref->SetName(newName);
        }
    }
}

void TfmUserList::EditSelectedUser()
{
    const int row = CurrentRow(m_ui->lbUsers);
    if (row < 0)
        return;
    TMxUser* user = m_users->Items(row);
    const QString oldName = user->Name();
    if (EditUser(user, m_users.get()) && user->Name() != oldName)
        followUser(oldName, user->Name());
    relistUsers(row);
}

void TfmUserList::EditSelectedGroup()
{
    const int row = CurrentRow(m_ui->lbGroups);
    if (row < 0)
        return;
    EditUserGroup(m_groups->Items(row), m_users.get(), m_groups.get());
    relistGroups(row);
}

void TfmUserList::AddUser()
{
    TMxUser* user = m_users->AddNew();
    user->SetId(0);
    user->SetId(m_users->NextId());
    user->SetLevel(1);
    if (!EditUser(user, m_users.get())) {
        m_ui->users->SetItems({});
        TMxItem::Free(user);
        relistUsers(CurrentRow(m_ui->lbUsers));
        return;
    }
    relistUsers(m_users->Count() - 1);
}

void TfmUserList::AddGroup()
{
    TMxUserGroup* group = m_groups->AddNew();
    group->SetId(0);
    group->SetId(m_groups->NextId());
    if (!EditUserGroup(group, m_users.get(), m_groups.get())) {
        m_ui->groups->SetItems({});
        TMxItem::Free(group);
        relistGroups(CurrentRow(m_ui->lbGroups));
        return;
    }
    relistGroups(m_groups->Count() - 1);
}

void TfmUserList::DeleteUser()
{
    const int row = CurrentRow(m_ui->lbUsers);
    if (row <= 0)
        return;
    TMxUser* user = m_users->Items(row);
    const TMxUser* original = OriginalUser(user);
    if (original && original == m_model->CurrentUser()) {
        Warn(TranslateFmt(QStringLiteral("L'utilisateur '%s' est l'utilisateur connecté : il ne peut être supprimé."),
            {user->Name()}));
        return;
    }
    if (!AskYesNo(TranslateFmt(QStringLiteral("Voulez-vous supprimer l'utilisateur '%s' ?"), {user->Name()})))
        return;
    const QString name = user->Name();
    std::erase_if(m_userOrigins, [user](const auto& p) { return p.first == user; });
    m_ui->users->SetItems({});
    TMxItem::Free(user);
    followUser(name, QString());
    relistUsers(std::min(row, m_users->Count() - 1));
}

void TfmUserList::DeleteGroup()
{
    const int row = CurrentRow(m_ui->lbGroups);
    if (row < 0)
        return;
    TMxUserGroup* group = m_groups->Items(row);
    if (!AskYesNo(TranslateFmt(QStringLiteral("Voulez-vous supprimer le groupe d'utilisateurs '%s' ?"), {group->Name()})))
        return;
    std::erase_if(m_groupOrigins, [group](const auto& p) { return p.first == group; });
    m_ui->groups->SetItems({});
    TMxItem::Free(group);
    relistGroups(std::min(row, m_groups->Count() - 1));
}

bool EditUsers(TMxDataModel* model)
{
    TfmUserList form(model);
    if (ui::RunModal(form) != QDialog::Accepted)
        return false;

    // What each group of the model became: its new name, or none when it
    // was deleted. The sets' references follow, in one pass, so that two
    // groups that swapped names are not confused.
    std::map<QString, QString> groupNames; // lower-cased old name -> new name ("" deleted)
    TMxUserGroupList* groups = model->Groups();
    for (int i = 0; i < groups->Count(); ++i) {
        const TMxUserGroup* original = groups->Items(i);
        QString now;
        for (int c = 0; c < form.Groups()->Count(); ++c)
            if (form.OriginalGroup(form.Groups()->Items(c)) == original)
                now = form.Groups()->Items(c)->Name();
        if (now != original->Name())
            groupNames[original->Name().toLower()] = now;
    }
    TMxDomainList* sets = model->Domains();
    for (int s = 0; s < sets->Count(); ++s) {
        TMxList* refs = sets->Items(s)->Groups();
        for (int r = refs->Count() - 1; r >= 0; --r) {
            const auto it = groupNames.find(refs->Items(r)->Name().toLower());
            if (it == groupNames.end())
                continue;
            if (it->second.isEmpty())
                TMxItem::Free(refs->Items(r));
            else
                refs->Items(r)->SetName(it->second);
        }
    }

    // The users are written back into the model's own objects, so that
    // the user logged in is still the one the model holds.
    TMxUserList* users = model->Users();
    for (int i = users->Count() - 1; i >= 0; --i) {
        TMxUser* original = users->Items(i);
        bool kept = false;
        for (int c = 0; c < form.Users()->Count(); ++c)
            kept = kept || form.OriginalUser(form.Users()->Items(c)) == original;
        if (!kept)
            TMxItem::Free(original);
    }
    for (int c = 0; c < form.Users()->Count(); ++c) {
        TMxUser* copy = form.Users()->Items(c);
        if (TMxUser* original = form.OriginalUser(copy))
            original->Assign(copy);
        else
            copy->Clone(users);
    }
    groups->Assign(form.Groups());
    model->BuildAccessibleDomains();
    return true;
}

} // namespace mx::admin
