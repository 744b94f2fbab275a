#pragma once
// The grid's walk over a dataset: which record the dataset's cursor is on,
// and how many records there are once the end has been met. The dataset is
// read forward one record at a time, only as far as asked; rows met once
// are the dataset's to keep (the grid keeps none). A dataset freed under
// the grid (a new run frees the previous result) reads as none: nothing
// touches it again.

#include "itemobserver.h"

#include "engine/driver/dataset.h"

namespace mx::ui {

class TGridRecords {
public:
    // Binds a dataset (none unbinds). Nothing is read.
    void Bind(TIMxDataset* dataset);
    // The bound dataset, or none (also when it has been freed).
    TIMxDataset* Dataset() const { return m_dataset.get(); }
    // A dataset was bound and has been freed since.
    bool Gone() const { return m_dataset.gone(); }
    bool Active() const;

    // The number of records: -1 while the end has not been met.
    int Count() const { return m_count; }
    void SetCount(int count) { m_count = count < 0 ? -1 : count; }
    // The record the dataset's cursor is on (0-based).
    int Cursor() const { return m_cursor; }

    // Back to the first record. A dataset that is at its end on its first
    // record holds none: the count becomes 0.
    void Restart();
    // Moves the cursor to record r: forward with Next, back with Prior (to
    // record 0 with First). Meeting the end going forward fixes the count
    // and leaves the cursor on the last record; true when this move did.
    bool MoveTo(int r);

private:
    TItemRef<TIMxDataset> m_dataset;
    int m_count = -1;
    int m_cursor = 0;
};

} // namespace mx::ui
