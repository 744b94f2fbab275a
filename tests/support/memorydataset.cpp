#include "memorydataset.h"

#include <algorithm>

namespace mxtest {

TMemoryDataset::TMemoryDataset(std::vector<Field> fields, std::vector<QStringList> rows)
    : m_fields(std::move(fields)), m_rows(std::move(rows))
{
    m_eof = m_rows.empty();
}

QString TMemoryDataset::GetFieldValue(int index)
{
    if (m_rows.empty() || index < 0 || index >= int(m_fields.size()))
        return {};
    ++m_reads;
    return m_rows[size_t(m_pos)].value(index);
}

QString TMemoryDataset::GetFieldValueByName(const QString& name)
{
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return GetFieldValue(int(i));
    return {};
}

QString TMemoryDataset::GetFieldTypeName(int index)
{
    return index >= 0 && index < int(m_fields.size()) ? m_fields[size_t(index)].type : QString();
}

QString TMemoryDataset::GetFieldName(int index)
{
    return index >= 0 && index < int(m_fields.size()) ? m_fields[size_t(index)].name : QString();
}

int TMemoryDataset::GetFieldWidth(int index)
{
    return index >= 0 && index < int(m_fields.size()) ? m_fields[size_t(index)].width : 0;
}

void TMemoryDataset::First()
{
    m_pos = 0;
    m_bof = true;
    m_eof = m_rows.empty();
}

void TMemoryDataset::Last()
{
    m_pos = std::max(0, int(m_rows.size()) - 1);
    m_eof = m_rows.empty();
    m_bof = m_rows.empty();
}

void TMemoryDataset::Next()
{
    if (m_pos + 1 < int(m_rows.size())) {
        ++m_pos;
        m_bof = false;
    } else {
        m_eof = true;
    }
}

void TMemoryDataset::Prior()
{
    m_eof = false;
    if (m_pos > 0)
        --m_pos;
    else
        m_bof = true;
}

void TMemoryDataset::MoveBy(int distance)
{
    m_pos = std::clamp(m_pos + distance, 0, std::max(0, int(m_rows.size()) - 1));
}

void TMemoryDataset::SetRecNo(int value)
{
    if (m_rows.empty())
        return;
    m_pos = std::clamp(value - 1, 0, int(m_rows.size()) - 1);
    m_bof = m_pos == 0;
    m_eof = false;
}

TMemoryDataset* MakeNumberedDataset(const std::vector<TMemoryDataset::Field>& fields, int count)
{
    std::vector<QStringList> rows;
    rows.reserve(size_t(count));
    for (int r = 1; r <= count; ++r) {
        QStringList row;
        for (const TMemoryDataset::Field& f : fields)
            row << f.name + QString::number(r);
        rows.push_back(row);
    }
    return new TMemoryDataset(fields, std::move(rows));
}

} // namespace mxtest
