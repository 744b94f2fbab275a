#include "gridrecords.h"

#include <algorithm>

namespace mx::ui {

void TGridRecords::Bind(TIMxDataset* dataset)
{
    m_dataset.reset(dataset);
    m_count = -1;
    m_cursor = 0;
}

bool TGridRecords::Active() const
{
    TIMxDataset* ds = Dataset();
    return ds && ds->GetActive();
}

void TGridRecords::Restart()
{
    m_cursor = 0;
    TIMxDataset* ds = Dataset();
    if (!ds)
        return;
    ds->First();
    if (m_count < 0 && Dataset() && ds->GetActive() && ds->Bof() && ds->Eof())
        m_count = 0;
}

bool TGridRecords::MoveTo(int r)
{
    TIMxDataset* ds = Dataset();
    if (!ds) {
        m_cursor = r;
        return false;
    }
    // Past a known end there is nothing to step to.
    if (m_count >= 0)
        r = std::max(0, std::min(r, m_count - 1));
    bool found = false;
    while (m_cursor < r) {
        ds->Next();
        if (!Dataset())
            return found;
        if (ds->Eof()) {
            // Next on the last record sets Eof and stays there.
            if (m_count < 0) {
                m_count = m_cursor + 1;
                found = true;
            }
            break;
        }
        ++m_cursor;
    }
    if (m_cursor > r) {
        if (r <= 0) {
            ds->First();
            m_cursor = 0;
            return found;
        }
        while (m_cursor > r) {
            ds->Prior();
            if (!Dataset())
                return found;
            --m_cursor;
        }
    }
    return found;
}

} // namespace mx::ui
