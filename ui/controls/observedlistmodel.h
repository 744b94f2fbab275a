#pragma once
// A list of engine items as a one-column item model, kept in step with
// the list through observers: an item added, changed or removed changes
// its one row, and the rows follow the list's order. Rows are keyed by the item's Id (IdRole); the text is the
// item's Name unless a text of its own is given (a step's GetName, a
// field's FullName). The lists of steps, of parameters and of the
// administration program's objects are built on it.
//
// The model keeps its own copy of the rows: an engine list has already
// changed when it tells its observers, and a view is told before a row
// comes and while a going row is still there.

#include "itemobserver.h"

#include <QAbstractListModel>

#include <functional>
#include <memory>
#include <vector>

namespace mx {
class TMxList;
}

namespace mx::ui {

class TObservedListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { IdRole = Qt::UserRole + 1 };
    using TText = std::function<QString(const TMxItem* item)>;

    explicit TObservedListModel(QObject* parent = nullptr);
    ~TObservedListModel() override;

    // The list shown, or none; setting resets the model.
    TMxList* List() const;
    void SetList(TMxList* list);
    // The text of a row (none: the item's Name), and its picture.
    void SetText(TText text);
    void SetDecoration(const QVariant& decoration) { m_decoration = decoration; }

    // The item of a row: none for no row, or once the item is gone.
    TMxItem* ItemAt(int row) const;
    template <class T>
    T* ItemAs(int row) const { return item_cast<T>(ItemAt(row)); }
    // The row of the item of that Id; -1 when none.
    int RowOfId(int id) const;
    QModelIndex IndexOfId(int id) const;
    // The row shows its item again (a text that changed without the item
    // saying so).
    void Refresh(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Row {
        TItemRef<TMxItem> item;
        std::unique_ptr<TItemObserver> self;
    };
    void added(TMxItem* item);
    void removed(TMxItem* item);
    void changed(const TMxItem* item);
    void followOrder();
    int rowOf(const TMxItem* item) const;

    std::unique_ptr<TItemObserver> m_list;
    std::vector<std::unique_ptr<Row>> m_rows;
    TText m_text;
    QVariant m_decoration;
};

} // namespace mx::ui
