#pragma once
// A list of engine items shown in a view: one row per item, keyed by the
// item's Id (IdRole), its name as text, an optional picture. The items
// stay owned by their list; the model is told again (SetItems) whenever
// the items change, and Refresh repaints the rows.

#include <QAbstractListModel>

#include <functional>
#include <vector>

namespace mx {
class TMxItem;
class TMxList;
}

namespace mx::admin {

class TItemListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum { IdRole = Qt::UserRole + 1 };
    using TDecoration = std::function<QVariant(const TMxItem* item)>;

    explicit TItemListModel(QObject* parent = nullptr);

    // The items of list, in its order or sorted by name (ignoring case,
    // equal names kept in list order).
    void SetList(const TMxList* list, bool sorted = false);
    void SetItems(std::vector<TMxItem*> items);
    void SetDecoration(TDecoration decoration) { m_decoration = std::move(decoration); }
    // Every row's text and picture again.
    void Refresh();

    TMxItem* ItemAt(int row) const;
    // The row of the item of that Id; -1 when none.
    int RowOfId(int id) const;
    int RowOf(const TMxItem* item) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<TMxItem*> m_items;
    TDecoration m_decoration;
};

} // namespace mx::admin
