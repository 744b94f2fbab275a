#pragma once
// The sets of a model ("Ensembles") and the editor of one set
// ("Ensemble"). Both work on copies: the list dialog on a copy of the
// model's sets, the editor on a copy of the set it is given; nothing
// reaches the model before Ok of the list dialog.

#include "engine/core/itemptr.h"

#include <QDialog>

#include <memory>

namespace mx {
class TMxDataModel;
class TMxDomain;
class TMxDomainList;
class TMxUserGroupList;
}

namespace mx::admin {

// Informations of a set from the memo's lines: the non-empty lines joined
// by a blank, each taken only while its length plus what is gathered is
// below 255; a line that does not fit is skipped and later ones still tried.
QString JoinSetInformations(const QStringList& lines);

class TfmSet : public QDialog {
    Q_OBJECT

public:
    // Edits a copy of set; sets are the ones a parent may be chosen from
    // (the set itself and its descendants are never offered).
    TfmSet(TMxDataModel* model, const TMxDomain* set, const TMxDomainList* sets, const TMxUserGroupList* groups,
        QWidget* parent = nullptr);
    ~TfmSet() override;

    TMxDomain* Working() const { return m_working.get(); }
    // Refuses an empty name (the dialog stays), else stores the controls
    // into the working set and closes.
    void accept() override;

private:
    void updateButtons();
    void showGroups();
    void addGroups();
    void removeGroup();
    void editFilter();
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    TMxDataModel* m_model;
    const TMxUserGroupList* m_groups;
    TItemPtr<TMxDomain> m_working;
};

// Edits one set; on Ok the set takes the edited copy. True on Ok.
bool EditSet(TMxDataModel* model, TMxDomain* set, const TMxDomainList* sets, const TMxUserGroupList* groups);

class TfmSets : public QDialog {
    Q_OBJECT

public:
    explicit TfmSets(TMxDataModel* model, QWidget* parent = nullptr);
    ~TfmSets() override;

    TMxDomainList* Copy() const { return m_copy.get(); }
    TMxDomain* Selected() const;

private:
    void showSets(int row);
    void showSelected();
    void addSet();
    void deleteSet();
    void editSet();
    void addFields();
    void deleteFields();
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    TMxDataModel* m_model;
    TItemPtr<TMxDomainList> m_copy;
};

// The model's sets through the list dialog; on Ok the model's sets take
// the copy. True on Ok.
bool EditDomains(TMxDataModel* model);

} // namespace mx::admin
