#pragma once
// The data model: tables with their fields and entities, links, sets,
// database connections, users and groups; after loading, the login, the
// sets open to the user, the catalogue of every field and the entity view
// of the current set.

#include "ownedchild.h"

#include "engine/core/file.h"
#include "engine/core/strings.h"

#include <memory>
#include <functional>
#include <optional>

namespace mx {

class TMxDomain;
class TMxDomainList;
class TMxTable;
class TMxTableList;
class TMxLinkList;
class TMxDatabaseList;
class TMxUser;
class TMxUserList;
class TMxUserGroupList;
class TMxQueryField;
class TMxQueryFieldList;
class TMxEntityList;

class TMxDataModel : public TMxFile {
    MX_CLASS(TMxDataModel)
public:
    explicit TMxDataModel(TMxItem* owner);
    ~TMxDataModel() override;

    // Stored
    const QString& Version() const { return m_version; }
    void SetVersion(const QString& value);
    TStrings* Report() const { return m_report.get(); }
    int DesignW() const { return m_designW; }
    void SetDesignW(int value);
    int DesignH() const { return m_designH; }
    void SetDesignH(int value);
    // 0 normal, 1 minimised, 2 maximised.
    int WindowState() const { return m_windowState; }
    void SetWindowState(int value);
    TMxDomainList* Domains() const;
    TMxTableList* Tables() const;
    TMxLinkList* TLinks() const;
    TMxDatabaseList* Databases() const;
    TMxUserList* Users() const;
    TMxUserGroupList* Groups() const;

    // Rebuilt after every load
    TMxQueryFieldList* AllFields() const;
    // The table of calculated fields (Id 0); its list references the
    // calculated fields of all sets.
    TMxTable* CalcTable() const;
    TMxDomain* CurrentDomain() const { return m_currentDomain; }
    TMxUser* CurrentUser() const { return m_currentUser; }
    TMxEntityList* DomainEntities() const;
    // The sets open to the current user (every set without login).
    TMxDomainList* AccessibleDomains() const;

    // Loads a model, logging in with this user name and password; an
    // empty user name asks through the login dialog.
    void Open(const QString& fileName, const QString& userName, const QString& password);
    // A load that fails, and a login that is refused or cancelled, leave
    // the model as a new one: no user, password or database credential of
    // the file stays in memory.
    void LoadFromFile(const QString& fileName) override;
    void LoadFromVariant(const QByteArray& bytes) override;

    // Makes a set current and builds its entity view; none empties it.
    void SetDomain(TMxDomain* domain);
    void SetDomainById(int id);
    int GetDomainFieldCount() const;
    // The catalogue entry of the current set's index-th field name.
    TMxQueryField* GetDomainField(int index) const;

    void BuildAccessibleDomains();
    void BuildAllFields();

    // A deep copy whose fields are bound to its own tables; the current set
    // and user are carried over by Id.
    void Assign(const TPersistent* source) override;

private:
    std::optional<int> beginLoad();
    // Runs read between beginLoad and afterLoad; any failure leaves a new model.
    void loadWith(const std::function<void()>& read);
    void afterLoad(std::optional<int> formerDomain);
    void login();
    void detachDerivedState();
    void rebindFields();
    void resetToNew();
    void onDomainRemoved(TMxItem* item);
    void onUserRemoved(TMxItem* item);
    void onTableRemoved(TMxItem* item);

    QString m_version;
    std::unique_ptr<TStrings> m_report;
    int m_designW = 0;
    int m_designH = 0;
    int m_windowState = 0;
    TOwned<TMxDomainList> m_domains;
    TOwned<TMxTableList> m_tables;
    TOwned<TMxLinkList> m_links;
    TOwned<TMxDatabaseList> m_databases;
    TOwned<TMxUserList> m_users;
    TOwned<TMxUserGroupList> m_groups;
    TOwned<TMxQueryFieldList> m_allFields;
    TOwned<TMxTable> m_calcTable;
    TOwned<TMxEntityList> m_domainEntities;
    TOwned<TMxDomainList> m_accessibleDomains;
    TMxDomain* m_currentDomain = nullptr;
    TMxUser* m_currentUser = nullptr;
    QString m_loginName;
    QString m_loginPassword;
    bool m_destroying = false;
};

} // namespace mx
