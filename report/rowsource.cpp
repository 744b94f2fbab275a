#include "rowsource.h"

#include "engine/driver/dataset.h"
#include "engine/tools/convert.h"

namespace mx::rpt {

int TReportRows::IndexOf(const QString& name)
{
    const int n = FieldCount();
    for (int i = 0; i < n; ++i)
        if (FieldName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

TDatasetRows::TDatasetRows(TIMxDataset& dataset) : m_dataset(dataset), m_recNo(dataset.GetRecNo()) {}

TDatasetRows::~TDatasetRows()
{
    try {
        if (m_dataset.GetActive())
            m_dataset.SetRecNo(m_recNo);
    } catch (...) {
    }
}

int TDatasetRows::FieldCount()
{
    return m_dataset.GetFieldCount();
}

QString TDatasetRows::FieldName(int index)
{
    return m_dataset.GetFieldName(index);
}

bool TDatasetRows::First()
{
    if (!m_dataset.GetActive())
        return false;
    m_dataset.First();
    return !m_dataset.Eof();
}

bool TDatasetRows::Next()
{
    m_dataset.Next();
    return !m_dataset.Eof();
}

QString TDatasetRows::Value(int index)
{
    // numbers as the windows show them, not the exact form a copy keeps
    return DisplayFieldText(m_dataset.GetFieldValue(index), m_dataset.GetFieldTypeName(index));
}

int TDatasetRows::RecordCount()
{
    return m_dataset.GetActive() ? m_dataset.GetRecordCount() : 0;
}

} // namespace mx::rpt
