#pragma once
// The table properties of a model ("Propriétés de table"): the tables'
// names, databases and full names, and their fields' full names, edited
// on a copy of the tables. Fields sharing a full name with another field
// of any table are shown in bold and their table with the bad-table
// picture; Ok refuses while two fields share one. On Ok the copy is
// written into the model's own table objects, which keep their identity.

#include "engine/core/itemptr.h"

#include <QDialog>

#include <memory>

namespace mx {
class TMxItem;
class TMxTable;
class TMxTableList;
}

namespace mx::admin {

class TfmTableProperties : public QDialog {
    Q_OBJECT

public:
    // Over a copy of tables; shows the table of first's Id (the first
    // table when none is given or found).
    TfmTableProperties(const TMxTableList* tables, const TMxItem* first, QWidget* parent = nullptr);
    ~TfmTableProperties() override;

    TMxTableList* Copy() const { return m_copy.get(); }
    // The copied table shown.
    TMxTable* Shown() const { return m_shown; }
    // Shows the copied table at that index (nothing outside the list),
    // storing the grid of the one shown first.
    void ShowTable(int index);
    // Writes the grid's full names into the table shown and marks the
    // duplicates of the whole copy again.
    void StoreGrid();
    // The copy written into the model's tables (matched by Id), the grid
    // stored first.
    void WriteBack(TMxTableList* tables);

    // The grid is stored, then Ok is refused (the message shown, the
    // dialog stays) while two fields share a full name.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showShown();
    void commitEditor();
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    TItemPtr<TMxTableList> m_copy;
    TMxTable* m_shown = nullptr;
    bool m_filling = false;
};

// The dialog over the model's tables; False at once (nothing shown) for a
// model without tables; True when the user confirmed with Ok.
bool EditTableProperties(TMxTableList* tables, const TMxItem* first);

} // namespace mx::admin
