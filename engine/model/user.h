#pragma once
// Users and user groups of a data model.

#include "modeltypes.h"
#include "ownedchild.h"

#include "engine/core/list.h"

namespace mx {

class TMxUser : public TMxItem {
    MX_CLASS(TMxUser)
public:
    explicit TMxUser(TMxItem* owner);

    // 0 = administrator, 1 = user: any value other than 0 is stored as 1.
    int Level() const { return m_level; }
    void SetLevel(int value);
    TUserRights Rights() const { return m_rights; }
    void SetRights(TUserRights value);
    bool HasRight(TUserRight r) const { return m_rights & UserRight(r); }
    // Kept as typed; compared without regard to case at login. Never
    // shown in debug texts or messages.
    const QString& Password() const { return m_password; }
    void SetPassword(const QString& value);
    const QString& ViewPrefix() const { return m_viewPrefix; }
    void SetViewPrefix(const QString& value);

    QString GetDebugText() const override;
    void Assign(const TPersistent* source) override;

private:
    int m_level = 0;
    TUserRights m_rights = 0;
    QString m_password;
    QString m_viewPrefix;
};

class TMxUserList : public TMxTypedList<TMxUser> {
    MX_CLASS(TMxUserList)
public:
    using TMxTypedList::TMxTypedList;
    // Login names are found without regard to case.
    TMxUser* FindByName(const QString& name) const { return TMxTypedList::FindByName(name, Qt::CaseInsensitive); }
};

class TMxUserGroup : public TMxItem {
    MX_CLASS(TMxUserGroup)
public:
    explicit TMxUserGroup(TMxItem* owner);
    ~TMxUserGroup() override;

    const QString& Informations() const { return m_informations; }
    void SetInformations(const QString& value);
    // Plain items named after the group's users.
    TMxList* Users() const { return m_users.get(); }
    bool HasUser(const QString& userName) const;

    void Assign(const TPersistent* source) override;

private:
    QString m_informations;
    TOwned<TMxList> m_users;
};

class TMxUserGroupList : public TMxTypedList<TMxUserGroup> {
    MX_CLASS(TMxUserGroupList)
public:
    using TMxTypedList::TMxTypedList;
};

} // namespace mx
