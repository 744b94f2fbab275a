#pragma once
// The database parameters of a model ("Paramètres des bases de données"):
// for each database its tables use, the driver, the user name and the
// password, typed twice. The items are edited on a copy; Ok writes it into
// the model's list only when every item names a driver that exists.

#include "engine/core/itemptr.h"

#include <QDialog>

#include <memory>

namespace mx {
class TMxDataModel;
class TMxDatabaseItem;
class TMxDatabaseList;
}

namespace mx::admin {

class TfmDBParams : public QDialog {
    Q_OBJECT

public:
    // Over a copy of the model's databases (the model's list is not touched).
    explicit TfmDBParams(const TMxDataModel* model, QWidget* parent = nullptr);
    ~TfmDBParams() override;

    TMxDatabaseList* Copy() const { return m_copy.get(); }
    TMxDatabaseItem* Shown() const { return m_shown; }
    // Stores the controls into the item shown; false (after the message)
    // when the two passwords differ: the password is then unchanged.
    bool StoreShown();
    // Shows the copied item at that row (none for -1), storing the one
    // shown first; false when that store refused, and the same item stays.
    bool ShowRow(int row);
    // "P&ilotes...": the configuration window, then the drivers again.
    void EditDrivers();

    // Stores the item shown, then refuses (the message shown, the dialog
    // stays) while an item names no driver that exists.
    void accept() override;

private:
    void fillDrivers();
    void showShown();
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    TItemPtr<TMxDatabaseList> m_copy;
    TMxDatabaseItem* m_shown = nullptr;
    bool m_filling = false;
};

// Adds the databases the model's tables use to its list, then the dialog;
// on Ok the model's list takes the copy. True on Ok.
bool EditDatabaseParams(TMxDataModel* model);

} // namespace mx::admin
