#pragma once
// The lists of the link dialog as item models: a table's fields still free
// on their side (one row per field, keyed by the field's Id, with its type
// text), and the field pairs of a link (one row per pair, keyed by its
// index in the link's pair list). Both are filled again whole after every
// change of the link; they never own what they show.

#include <QAbstractListModel>
#include <QStringList>

#include <vector>

namespace mx {
class TMxField;
class TMxFLinkList;
class TMxTable;
}

namespace mx::admin {

class TLinkFieldModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum { IdRole = Qt::UserRole + 1, TypeRole };
    using QAbstractListModel::QAbstractListModel;

    // The fields of table, in its order, but those named in used (a field
    // takes part in one pair at most on its side).
    void SetFields(const TMxTable* table, const QStringList& used);
    TMxField* FieldAt(int row) const;
    // The row of the field of that Id; -1 when none.
    int RowOfId(int id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<TMxField*> m_fields;
};

class TLinkPairModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum { IdRole = Qt::UserRole + 1 };
    using QAbstractListModel::QAbstractListModel;

    // One line "master -> detail" per pair of the list.
    void SetPairs(const TMxFLinkList* pairs);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QStringList m_lines;
};

} // namespace mx::admin
