#pragma once
// The users and groups of a model ("Utilisateurs, groupes et droits
// d'accès"), the editor of one user ("Utilisateur") and of one group
// ("Groupe d'utilisateurs"). Everything is edited on copies; the model
// takes them on Ok of the list dialog.
//
// A user renamed or deleted is followed in the groups' member lists at
// once; a group renamed or deleted is followed in the model's sets when
// the list dialog is confirmed. The first user (the administrator account)
// is never deleted, renamed or given another level, and the user logged in
// is never deleted.

#include "engine/core/itemptr.h"

#include <QDialog>

#include <memory>

namespace mx {
class TMxDataModel;
class TMxUser;
class TMxUserGroup;
class TMxUserList;
class TMxUserGroupList;
}

namespace mx::admin {

// A group's Informations from the memo's lines: the lines joined with no
// separator, stopping before the first line that would take the length
// past 255.
QString JoinGroupInformations(const QStringList& lines);

class TfmUser : public QDialog {
    Q_OBJECT

public:
    // Edits a copy of user, which is (or will be) the index-th of users.
    TfmUser(const TMxUser* user, const TMxUserList* users, int index, QWidget* parent = nullptr);
    ~TfmUser() override;

    TMxUser* Working() const { return m_working.get(); }
    // The checks of Ok (empty name, a name another user has without
    // regard to case, passwords that differ), then the working user takes
    // the controls.
    void accept() override;

private:
    void updateViewPrefix();
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    const TMxUserList* m_users;
    int m_index;
    TItemPtr<TMxUser> m_working;
};

bool EditUser(TMxUser* user, const TMxUserList* users);

class TfmUserGroup : public QDialog {
    Q_OBJECT

public:
    TfmUserGroup(const TMxUserGroup* group, const TMxUserList* users, const TMxUserGroupList* groups, int index,
        QWidget* parent = nullptr);
    ~TfmUserGroup() override;

    TMxUserGroup* Working() const { return m_working.get(); }
    void accept() override;

private:
    void showMembers();
    void updateButtons();
    void addMembers();
    void removeMembers();
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    const TMxUserList* m_users;
    const TMxUserGroupList* m_groups;
    int m_index;
    TItemPtr<TMxUserGroup> m_working;
};

bool EditUserGroup(TMxUserGroup* group, const TMxUserList* users, const TMxUserGroupList* groups);

class TfmUserList : public QDialog {
    Q_OBJECT

public:
    explicit TfmUserList(TMxDataModel* model, QWidget* parent = nullptr);
    ~TfmUserList() override;

    TMxUserList* Users() const { return m_users.get(); }
    TMxUserGroupList* Groups() const { return m_groups.get(); }
    // The model's item each copy stands for (none for an item added here).
    TMxUser* OriginalUser(const TMxUser* copy) const;
    TMxUserGroup* OriginalGroup(const TMxUserGroup* copy) const;

    void AddUser();
    void DeleteUser();
    void EditSelectedUser();
    void AddGroup();
    void DeleteGroup();
    void EditSelectedGroup();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void relistUsers(int row);
    void relistGroups(int row);
    void updateButtons();
    // The member references of the working groups follow a user's new
    // name, or leave with a user deleted (empty newName).
    void followUser(const QString& oldName, const QString& newName);
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    TMxDataModel* m_model;
    TItemPtr<TMxUserList> m_users;
    TItemPtr<TMxUserGroupList> m_groups;
    std::vector<std::pair<const TMxItem*, TMxItem*>> m_userOrigins;
    std::vector<std::pair<const TMxItem*, TMxItem*>> m_groupOrigins;
};

// The users and groups through the list dialog; on Ok the model's lists
// take the copies (the model's user objects kept, so the user logged in
// stays logged in) and the sets follow the groups renamed or deleted.
bool EditUsers(TMxDataModel* model);

} // namespace mx::admin
