#include "linkmodels.h"

#include "engine/admin/adminmodel.h"
#include "engine/core/itemptr.h"
#include "engine/model/field.h"
#include "engine/model/link.h"
#include "engine/model/table.h"

namespace mx::admin {

void TLinkFieldModel::SetFields(const TMxTable* table, const QStringList& used)
{
    beginResetModel();
    m_fields.clear();
    if (table)
        for (TMxItem* item : *table->Fields())
            if (auto* field = item_cast<TMxField>(item); field && !used.contains(field->Name(), Qt::CaseInsensitive))
                m_fields.push_back(field);
    endResetModel();
}

TMxField* TLinkFieldModel::FieldAt(int row) const
{
    return row >= 0 && row < int(m_fields.size()) ? m_fields[size_t(row)] : nullptr;
}

int TLinkFieldModel::RowOfId(int id) const
{
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i]->Id() == id)
            return int(i);
    return -1;
}

int TLinkFieldModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant TLinkFieldModel::data(const QModelIndex& index, int role) const
{
    const TMxField* field = index.isValid() && index.column() == 0 ? FieldAt(index.row()) : nullptr;
    if (!field)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return field->Name();
    case IdRole:
        return field->Id();
    case TypeRole:
        if (const auto* dm = item_cast<TDmField>(field))
            return GetTypeText(dm);
        return QString(field->ShortType());
    default:
        return {};
    }
}

void TLinkPairModel::SetPairs(const TMxFLinkList* pairs)
{
    beginResetModel();
    m_lines.clear();
    if (pairs)
        for (int i = 0; i < pairs->Count(); ++i) {
            const TMxLink* names = pairs->Items(i)->Fields();
            m_lines << names->MasterName() + QStringLiteral(" -> ") + names->DetailName();
        }
    endResetModel();
}

int TLinkPairModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant TLinkPairModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() != 0 || index.row() < 0 || index.row() >= m_lines.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_lines[index.row()];
    case IdRole:
        return index.row();
    default:
        return {};
    }
}

} // namespace mx::admin
