#include "dataset.h"

namespace mx {

MX_DEFINE_CLASS(TIMxDataset, TMxItem, nullptr)

TIMxDataset::TIMxDataset(TMxItem* owner) : TMxItem(owner) {}

TIMxDataset::~TIMxDataset()
{
    m_keyFields.clear();
    ClearFields();
}

int TIMxDataset::GetKeyFieldCount()
{
    return int(m_keyFields.size());
}

QString TIMxDataset::GetKeyFieldName(int index)
{
    return (index >= 0 && index < m_keyFields.size()) ? m_keyFields[index] : QString();
}

bool TIMxDataset::ExpectTables(const QStringList&)
{
    return false;
}

TIMxField* TIMxDataset::FieldDescription(int index) const
{
    return (index >= 0 && index < int(m_fields.size())) ? m_fields[size_t(index)].get() : nullptr;
}

void TIMxDataset::AddFieldDescription(std::unique_ptr<TIMxField> field)
{
    if (field)
        m_fields.push_back(std::move(field));
}

std::unique_ptr<TIMxRowCursor> TIMxDataset::CreateRowCursor()
{
    return nullptr;
}

void TIMxDataset::SetFieldType(int index, std::uint8_t dataType, std::uint16_t size)
{
    if (TIMxField* field = FieldDescription(index)) {
        field->DataType = dataType;
        field->Size = size;
    }
}

TIMxRowCursor::~TIMxRowCursor() = default;

void TIMxDataset::ClearFields()
{
    m_fields.clear();
}

} // namespace mx
