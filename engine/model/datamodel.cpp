#include "datamodel.h"

#include "database.h"
#include "domain.h"
#include "entity.h"
#include "link.h"
#include "engine/settings/global.h"
#include "queryfield.h"
#include "storevalue.h"
#include "table.h"
#include "user.h"

#include "engine/core/exceptions.h"
#include "engine/core/userservice.h"
#include "engine/core/wipe.h"
#include "engine/tools/hooks.h"

#include <QFileInfo>

namespace mx {

static void describeDataModel(ClassBuilder<TMxDataModel>& c)
{
    using M = TMxDataModel;
    c.string(QStringLiteral("Version"), &M::Version, &M::SetVersion);
    c.object(QStringLiteral("Report"), &M::Report);
    c.integer(QStringLiteral("DesignW"), &M::DesignW, &M::SetDesignW);
    c.integer(QStringLiteral("DesignH"), &M::DesignH, &M::SetDesignH);
    c.integer(QStringLiteral("WindowState"), &M::WindowState, &M::SetWindowState);
    c.object(QStringLiteral("Domains"), &M::Domains);
    c.object(QStringLiteral("Tables"), &M::Tables);
    c.object(QStringLiteral("TLinks"), &M::TLinks);
    c.object(QStringLiteral("Databases"), &M::Databases);
    c.object(QStringLiteral("Users"), &M::Users);
    c.object(QStringLiteral("Groups"), &M::Groups);
}
MX_DEFINE_CLASS(TMxDataModel, TMxFile, describeDataModel)

TMxDataModel::TMxDataModel(TMxItem* owner)
    : TMxFile(owner)
    , m_report(std::make_unique<TStrings>())
    , m_domains(this)
    , m_tables(this)
    , m_links(this)
    , m_databases(this)
    , m_users(this)
    , m_groups(this)
    , m_allFields(this)
    , m_calcTable(this)
    , m_domainEntities(this)
    , m_accessibleDomains(this)
{
    m_accessibleDomains->SetOwnsItems(false);
    m_calcTable->Fields()->SetOwnsItems(false);
    // References into the lists are dropped as soon as their item goes.
    m_domains->AddHook(this, {}, {}, [this](TMxItem* item) { onDomainRemoved(item); });
    m_users->AddHook(this, {}, {}, [this](TMxItem* item) { onUserRemoved(item); });
    m_tables->AddHook(this, {}, {}, [this](TMxItem* item) { onTableRemoved(item); });

    auto* domain = new TMxDomain(m_domains.get());
    domain->SetId(1);
    domain->SetName(Translate(QStringLiteral("Ensemble principal")));
    domain->SetInformations(Translate(QStringLiteral("Cet ensemble permet d'accéder à la totalité des données.")));
    domain->SetParent(0);

    TMxUser* admin = m_users->AddNew();
    admin->SetName(QStringLiteral("Admin"));
    admin->SetLevel(0);
    admin->SetRights(UserRight(urCreateQueries));

    TMxUserGroup* admins = m_groups->AddNew();
    admins->SetName(QStringLiteral("Admins"));
    admins->Users()->AddNew()->SetName(QStringLiteral("Admin"));
    domain->Groups()->AddNew()->SetName(QStringLiteral("Admins"));

    SetDomain(domain);
}

TMxDataModel::~TMxDataModel()
{
    m_destroying = true;
    m_currentDomain = nullptr;
    m_currentUser = nullptr;
}

TMxDomainList* TMxDataModel::Domains() const { return m_domains.get(); }
TMxTableList* TMxDataModel::Tables() const { return m_tables.get(); }
TMxLinkList* TMxDataModel::TLinks() const { return m_links.get(); }
TMxDatabaseList* TMxDataModel::Databases() const { return m_databases.get(); }
TMxUserList* TMxDataModel::Users() const { return m_users.get(); }
TMxUserGroupList* TMxDataModel::Groups() const { return m_groups.get(); }
TMxQueryFieldList* TMxDataModel::AllFields() const { return m_allFields.get(); }
TMxTable* TMxDataModel::CalcTable() const { return m_calcTable.get(); }
TMxEntityList* TMxDataModel::DomainEntities() const { return m_domainEntities.get(); }
TMxDomainList* TMxDataModel::AccessibleDomains() const { return m_accessibleDomains.get(); }

void TMxDataModel::SetVersion(const QString& value)
{
    if (StoreIfChanged(m_version, value))
        Change();
}

void TMxDataModel::SetDesignW(int value)
{
    if (StoreIfChanged(m_designW, value))
        Change();
}

void TMxDataModel::SetDesignH(int value)
{
    if (StoreIfChanged(m_designH, value))
        Change();
}

void TMxDataModel::SetWindowState(int value)
{
    if (StoreIfChanged(m_windowState, value))
        Change();
}

void TMxDataModel::onDomainRemoved(TMxItem* item)
{
    if (m_destroying)
        return;
    if (item == m_currentDomain)
        SetDomain(nullptr);
    if (m_accessibleDomains->IndexOf(item) >= 0)
        m_accessibleDomains->Remove(item);
    // its calculated fields leave the calculated-field table
    if (auto* domain = item_cast<TMxDomain>(item)) {
        TDmFieldList* calc = m_calcTable->Fields();
        for (TMxItem* f : *domain->CalcFields())
            if (calc->IndexOf(f) >= 0)
                calc->Remove(f);
    }
}

void TMxDataModel::onUserRemoved(TMxItem* item)
{
    if (!m_destroying && item == m_currentUser)
        m_currentUser = nullptr;
}

void TMxDataModel::onTableRemoved(TMxItem* item)
{
    if (m_destroying)
        return;
    auto unbind = [item](TMxQueryField* f) {
        if (f->GetTable() == item || f->QueryTable() == item)
            f->BindTables(f->GetTable() == item ? nullptr : f->GetTable(), f->QueryTable() == item ? nullptr : f->QueryTable());
    };
    for (int i = 0; i < m_allFields->Count(); ++i)
        unbind(m_allFields->Items(i));
    for (int d = 0; d < m_domains->Count(); ++d) {
        TMxQueryFieldList* calc = m_domains->Items(d)->CalcFields();
        for (int i = 0; i < calc->Count(); ++i)
            unbind(calc->Items(i));
    }
}

// Everything that refers into the stored lists is let go before they are
// replaced; it is rebuilt afterwards.
void TMxDataModel::detachDerivedState()
{
    SetDomain(nullptr);
    m_accessibleDomains->Clear();
    m_currentUser = nullptr;
    m_calcTable->Fields()->Clear();
}

std::optional<int> TMxDataModel::beginLoad()
{
    std::optional<int> former;
    if (m_currentDomain)
        former = m_currentDomain->Id();
    detachDerivedState();
    m_allFields->Clear();
    return former;
}

void TMxDataModel::Open(const QString& fileName, const QString& userName, const QString& password)
{
    m_loginName = userName;
    m_loginPassword = password;
    try {
        LoadFromFile(fileName);
    } catch (...) {
        m_loginName.clear();
        WipeString(m_loginPassword);
        throw;
    }
    m_loginName.clear();
    WipeString(m_loginPassword);
}

void TMxDataModel::loadWith(const std::function<void()>& read)
{
    const std::optional<int> former = beginLoad();
    try {
        read();
        afterLoad(former);
    } catch (...) {
        resetToNew();
        throw;
    }
}

void TMxDataModel::LoadFromFile(const QString& fileName)
{
    loadWith([&] { TMxFile::LoadFromFile(fileName); });
}

void TMxDataModel::LoadFromVariant(const QByteArray& bytes)
{
    loadWith([&] { TMxFile::LoadFromVariant(bytes); });
}

void TMxDataModel::login()
{
    QString name = m_loginName;
    QString password = m_loginPassword;
    if (name.isEmpty()) {
        const QString caption = TranslateFmt(QStringLiteral("Accès à %s"), {QFileInfo(FileName()).fileName()});
        if (!LoginPromptHook || !LoginPromptHook(caption, name, password))
            throw EAbort(QStringLiteral("Operation aborted"));
    }
    // The copies of the password made here are wiped however the check
    // ends; the caller's and the model's own are left to them.
    TWipeOnExit wipeTyped(password);
    const QString refused = Translate(QStringLiteral("Accès refusé."));
    TMxUser* user = m_users->FindByName(name);
    if (!user)
        throw EMxException(refused);
    // Passwords are compared without regard to case, as stored models expect.
    QString typedUpper = password.toUpper();
    TWipeOnExit wipeTypedUpper(typedUpper);
    QString storedUpper = user->Password().toUpper();
    TWipeOnExit wipeStoredUpper(storedUpper);
    if (typedUpper != storedUpper)
        throw Exception(refused);
    m_currentUser = user;
}

void TMxDataModel::afterLoad(std::optional<int> formerDomain)
{
    if (m_users->Count() > 0)
        login();
    BuildAccessibleDomains();
    BuildAllFields();
    SetDomain(formerDomain ? m_domains->FindById(*formerDomain) : nullptr);
}

void TMxDataModel::resetToNew()
{
    m_loginName.clear();
    WipeString(m_loginPassword);
    {
        TItemPtr<TMxDataModel> fresh(new TMxDataModel(nullptr));
        Assign(fresh.get());
    }
    m_currentUser = nullptr;
    m_accessibleDomains->Clear();
    m_version.clear();
    m_windowState = 0;
    m_report->Clear();
    SetFileName(QString());
    SetModified(false);
}

void TMxDataModel::BuildAccessibleDomains()
{
    m_accessibleDomains->Clear();
    // The groups the sets name that no longer exist are skipped, and told
    // once for the whole model, each named once.
    QStringList missing;
    for (int d = 0; d < m_domains->Count(); ++d) {
        TMxDomain* domain = m_domains->Items(d);
        if (!m_currentUser) {
            m_accessibleDomains->AddItem(domain);
            continue;
        }
        TMxList* groups = domain->Groups();
        for (int g = 0; g < groups->Count(); ++g) {
            const QString groupName = groups->Items(g)->Name();
            TMxUserGroup* group = m_groups->FindByName(groupName);
            if (!group) {
                if (!missing.contains(groupName, CaseSensitiveNames ? Qt::CaseSensitive : Qt::CaseInsensitive))
                    missing << groupName;
                continue;
            }
            if (group->HasUser(m_currentUser->Name()))
                m_accessibleDomains->AddUnique(domain);
        }
    }
    if (missing.size() == 1)
        UserService().MessageDlg(TranslateFmt(QStringLiteral("Group not found : %s"), {missing[0]}), TMsgDlgType::mtError, mbOK);
    else if (!missing.isEmpty())
        UserService().MessageDlg(TranslateFmt(QStringLiteral("Groups not found : %s"), {missing.join(QStringLiteral(", "))}),
            TMsgDlgType::mtError, mbOK);
}

void TMxDataModel::BuildAllFields()
{
    TMxList* firstFields = m_domains->Count() > 0 ? m_domains->Items(0)->Fields() : nullptr;
    if (firstFields)
        firstFields->Clear();
    m_allFields->Clear();
    TDmFieldList* calcTableFields = m_calcTable->Fields();
    calcTableFields->Clear();
    for (int d = 0; d < m_domains->Count(); ++d) {
        TMxQueryFieldList* calc = m_domains->Items(d)->CalcFields();
        for (int i = 0; i < calc->Count(); ++i) {
            TMxQueryField* f = calc->Items(i);
            f->SetTable(m_calcTable.get());
            f->SetQueryTable(m_calcTable.get());
            calcTableFields->AddItem(f);
        }
    }
    for (int t = 0; t < m_tables->Count(); ++t) {
        TMxTable* table = m_tables->Items(t);
        TDmFieldList* fields = table->Fields();
        for (int i = 0; i < fields->Count(); ++i) {
            TMxField* field = fields->Items(i);
            TMxQueryField* qf = m_allFields->AddNew();
            qf->SetTable(table);
            qf->SetQueryTable(table);
            qf->ReadsTableField(field);
            qf->SetChecked(false);
            if (firstFields)
                firstFields->AddNew()->SetName(field->FullName());
        }
    }
}

void TMxDataModel::SetDomain(TMxDomain* domain)
{
    m_domainEntities->Clear();
    m_currentDomain = domain;
    if (!domain)
        return;
    // The view is made of copies: the stored entities keep their order.
    for (int t = 0; t < m_tables->Count(); ++t) {
        TMxEntityList* entities = m_tables->Items(t)->Entities();
        for (int e = 0; e < entities->Count(); ++e) {
            auto* copy = static_cast<TMxEntity*>(entities->Items(e)->Clone(m_domainEntities.get()));
            copy->WFields()->Sort();
        }
    }
    TMxList* setFields = domain->Fields();
    for (int e = 0; e < m_domainEntities->Count(); ++e) {
        TMxEntity* entity = m_domainEntities->Items(e);
        TMxList* entries = entity->WFields();
        for (int i = entries->Count() - 1; i >= 0; --i) {
            const TMxField* field = entity->GetField(i);
            if (!field || !setFields->FindByName(field->FullName()))
                entries->Items(i)->Free();
        }
    }
    for (int e = m_domainEntities->Count() - 1; e >= 0; --e)
        if (m_domainEntities->Items(e)->WFields()->Count() == 0)
            m_domainEntities->Items(e)->Free();

    TMxEntity* all = m_domainEntities->AddNew();
    all->SetName(Translate(QStringLiteral("Tous les champs")));
    for (int i = 0; i < setFields->Count(); ++i)
        if (TMxQueryField* f = m_allFields->FindByFullName(setFields->Items(i)->Name()))
            all->AddField(f);
    all->WFields()->Sort();
}

void TMxDataModel::SetDomainById(int id)
{
    SetDomain(m_domains->FindById(id));
}

int TMxDataModel::GetDomainFieldCount() const
{
    return m_currentDomain ? m_currentDomain->Fields()->Count() : 0;
}

TMxQueryField* TMxDataModel::GetDomainField(int index) const
{
    if (!m_currentDomain)
        return nullptr;
    return m_allFields->FindByFullName(m_currentDomain->Fields()->Items(index)->Name());
}

void TMxDataModel::rebindFields()
{
    auto tableOf = [this](int id) -> TMxTable* { return id == 0 ? m_calcTable.get() : m_tables->FindById(id); };
    auto bind = [&](TMxQueryField* f) { f->BindTables(tableOf(f->TableId()), tableOf(f->QueryTableId())); };
    for (int i = 0; i < m_allFields->Count(); ++i)
        bind(m_allFields->Items(i));
    TDmFieldList* calcTableFields = m_calcTable->Fields();
    calcTableFields->Clear();
    for (int d = 0; d < m_domains->Count(); ++d) {
        TMxQueryFieldList* calc = m_domains->Items(d)->CalcFields();
        for (int i = 0; i < calc->Count(); ++i) {
            TMxQueryField* f = calc->Items(i);
            bind(f);
            if (f->GetTable() == m_calcTable.get())
                calcTableFields->AddItem(f);
        }
    }
}

void TMxDataModel::Assign(const TPersistent* source)
{
    if (source == this)
        return;
    auto* from = dynamic_cast<const TMxDataModel*>(source);
    if (!from)
        throw Exception(QStringLiteral("Can not assign a MxDataModel to ") + (source ? source->className() : QStringLiteral("nil")));
    detachDerivedState();
    m_allFields->Clear(); // before the tables it is bound to go
    TMxItem::Assign(source);
    SetDesignW(from->m_designW);
    SetDesignH(from->m_designH);
    m_tables->Assign(from->Tables());
    m_allFields->Assign(from->AllFields());
    m_links->Assign(from->TLinks());
    m_databases->Assign(from->Databases());
    m_domains->Assign(from->Domains());
    m_users->Assign(from->Users());
    m_groups->Assign(from->Groups());
    rebindFields();
    SetDomain(from->m_currentDomain ? m_domains->FindById(from->m_currentDomain->Id()) : nullptr);
    m_currentUser = from->m_currentUser ? m_users->FindById(from->m_currentUser->Id()) : nullptr;
    // The same sets stay open: the lists were copied in order.
    for (int i = 0; i < from->m_accessibleDomains->Count(); ++i) {
        const int index = from->m_domains->IndexOf(from->m_accessibleDomains->Items(i));
        if (index >= 0 && index < m_domains->Count())
            m_accessibleDomains->AddUnique(m_domains->Items(index));
    }
}

} // namespace mx
