#pragma once
// The pick list over any engine list: the items' names sorted, one or
// several chosen; a double click on a line is Ok.

#include "engine/core/itemptr.h"

#include <QDialog>

#include <memory>
#include <vector>

namespace mx {
class TMxItem;
class TMxList;
}

namespace mx::admin {

class TfmMxListSelect : public QDialog {
    Q_OBJECT

public:
    TfmMxListSelect(const QString& caption, const TMxList* list, bool multiple, QWidget* parent = nullptr);
    ~TfmMxListSelect() override;

    // The selected items, from the top of the sorted list.
    std::vector<TMxItem*> Chosen() const;

private:
    struct TUi;
    std::unique_ptr<TUi> m_ui;
};

// The items chosen, in the order of the sorted display, in a new list
// that does not own them (they stay their list's); empty after Annuler.
TItemPtr<TMxList> SelectListItems(const QString& caption, const TMxList* list, bool multiple);
// SelectListItems with several lines chosen.
TItemPtr<TMxList> SelectItems(const QString& caption, const TMxList* list);
// One line: its item, or none after Annuler or an Ok with nothing chosen.
TMxItem* SelectItem(const QString& caption, const TMxList* list);

} // namespace mx::admin
