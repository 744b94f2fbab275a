#pragma once
// TMxDataset: a dataset of the driver interface over a query or a table
// object of the database classes, which it owns. The getters tolerate
// errors (an empty text, 0, "UNKNOWN"); a cursor move that meets an error
// of the database reports it once and leaves the cursor on the rows read.
//
// Values are given in one text form: NULL empty, numbers with ".", dates
// in the date-editor order of the database's dialect with a four-digit
// year, logicals "True"/"False".

#include "dbdataobject.h"

#include "engine/driver/dataset.h"

#include "platform/dbengine/dbvalue.h"

#include <memory>

namespace mx {

class TMxDataset : public TIMxDataset {
    MX_CLASS(TMxDataset)
public:
    explicit TMxDataset(TMxItem* owner = nullptr);
    ~TMxDataset() override;

    int GetFieldCount() override;
    QString GetFieldValue(int index) override;
    QString GetFieldValueByName(const QString& name) override;
    QString GetFieldName(int index) override;
    int GetFieldWidth(int index) override;
    int GetFieldSize(int index) override;
    int GetRecordCount() override;
    bool GetActive() override;
    QString GetFieldTypeName(int index) override;
    void First() override;
    void Last() override;
    void Next() override;
    void Prior() override;
    bool Bof() override;
    bool Eof() override;
    void Close() override;
    void MoveBy(int distance) override;
    int GetRecNo() override;
    void SetRecNo(int value) override;
    // Over the rows the wrapped object has read and will read.
    std::unique_ptr<TIMxRowCursor> CreateRowCursor() override;
    // The description, the wrapped object's definition and the rows' field
    // (what copies write) all take the type.
    void SetFieldType(int index, std::uint8_t dataType, std::uint16_t size) override;

    // The name of the key index; its fields become the key-field names.
    virtual QString GetKeyIndex() = 0;
    // Frees the field descriptions and the wrapped object, attaches
    // dataSet and describes each of its fields, in order.
    virtual void SetDataset(std::unique_ptr<TDbDataObject> dataSet);

    TDbDataObject* Dataset() const { return m_data.get(); }
    // The date order of the text form ("d/m/y" when empty).
    void SetTextFormat(const platform::DbTextFormat& format) { m_format = format; }
    const platform::DbTextFormat& TextFormat() const { return m_format; }

protected:
    // The rows behind the cursor; none when not open.
    platform::DbDataset* Rows() const { return m_data ? m_data->rows.get() : nullptr; }
    // Reports, once, an error that ended the reading of the rows.
    void CheckFetch(const QString& procName);

private:
    std::unique_ptr<TDbDataObject> m_data;
    platform::DbTextFormat m_format;
    bool m_fetchReported = false;
};

} // namespace mx
