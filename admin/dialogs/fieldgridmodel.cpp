#include "fieldgridmodel.h"

#include "engine/admin/adminmodel.h"
#include "engine/core/translate.h"
#include "engine/model/field.h"
#include "engine/model/table.h"

#include <QFont>

namespace mx::admin {

TFieldGridModel::TFieldGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void TFieldGridModel::SetTable(const TMxTable* table)
{
    beginResetModel();
    m_table = table;
    m_fullNames.clear();
    if (table)
        for (int i = 0; i < table->Fields()->Count(); ++i)
            m_fullNames << table->Fields()->Items(i)->FullName();
    endResetModel();
}

bool TFieldGridModel::Store(TMxTable* table) const
{
    if (!table || table != m_table)
        return false;
    bool changed = false;
    TDmFieldList* fields = table->Fields();
    for (int i = 0; i < fields->Count() && i < m_fullNames.size(); ++i) {
        TMxField* f = fields->Items(i);
        if (f->FullName() != m_fullNames[i]) {
            f->SetFullName(m_fullNames[i]);
            changed = true;
        }
    }
    return changed;
}

void TFieldGridModel::RefreshMarks()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1), {Qt::FontRole});
}

int TFieldGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_fullNames.size());
}

int TFieldGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TFieldGridModel::data(const QModelIndex& index, int role) const
{
    if (!m_table || !index.isValid() || index.parent().isValid() || index.row() >= m_table->Fields()->Count())
        return {};
    const auto* field = static_cast<const TDmField*>(m_table->Fields()->Items(index.row()));
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case ColName:
            return field->Name();
        case ColType:
            return GetTypeText(field);
        case ColFullName:
            return m_fullNames.value(index.row());
        }
        return {};
    case Qt::FontRole:
        if (field->DuplicateMark()) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case IdRole:
        return field->Id();
    default:
        return {};
    }
}

bool TFieldGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != ColFullName || index.row() >= m_fullNames.size())
        return false;
    m_fullNames[index.row()] = value.toString();
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags TFieldGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == ColFullName)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant TFieldGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case ColName:
        return Translate("Nom du champ");
    case ColType:
        return Translate("I");
    case ColFullName:
        return Translate("Nom complet");
    }
    return {};
}

} // namespace mx::admin
