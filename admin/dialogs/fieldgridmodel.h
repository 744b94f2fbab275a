#pragma once
// The fields of one table as a grid: name, type text, full name. Only the
// full name is edited; what is typed stays in the grid until Store writes
// it into the fields, as the table properties dialog wants. A field marked
// as a duplicate shows in bold. Rows are keyed by the field's Id (IdRole).

#include <QAbstractTableModel>
#include <QStringList>

namespace mx {
class TMxTable;
}

namespace mx::admin {

class TFieldGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum { IdRole = Qt::UserRole + 1 };
    enum { ColName, ColType, ColFullName, ColumnCount };

    explicit TFieldGridModel(QObject* parent = nullptr);

    // Shows the table's fields (none: an empty grid); the full-name cells
    // take the fields' full names.
    void SetTable(const TMxTable* table);
    const TMxTable* Table() const { return m_table; }
    // Writes the full-name cells into the fields; only the fields whose
    // text differs are changed (and tell their observers). True when one was.
    bool Store(TMxTable* table) const;
    // The bold rows again (after the marks were recomputed).
    void RefreshMarks();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const TMxTable* m_table = nullptr;
    QStringList m_fullNames;
};

} // namespace mx::admin
