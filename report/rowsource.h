#pragma once
// The records a report is laid out over: a forward pass from the first
// record, field values as text. TDatasetRows reads a driver's dataset (a
// step's result) and puts its current record back when done.

#include <QString>

namespace mx {
class TIMxDataset;
}

namespace mx::rpt {

class TReportRows {
public:
    virtual ~TReportRows() = default;
    virtual int FieldCount() = 0;
    virtual QString FieldName(int index) = 0;
    // The field of that name, compared without regard to case; -1 if none.
    virtual int IndexOf(const QString& name);
    // Moves to the first record; false when there is none.
    virtual bool First() = 0;
    // Moves to the next record; false past the last one.
    virtual bool Next() = 0;
    virtual QString Value(int index) = 0;
    // The number of records; -1 when it is not known before the end.
    virtual int RecordCount() { return -1; }
};

class TDatasetRows : public TReportRows {
public:
    explicit TDatasetRows(TIMxDataset& dataset);
    ~TDatasetRows() override;
    int FieldCount() override;
    QString FieldName(int index) override;
    bool First() override;
    bool Next() override;
    QString Value(int index) override;
    int RecordCount() override;

private:
    TIMxDataset& m_dataset;
    int m_recNo = 0;
};

} // namespace mx::rpt
