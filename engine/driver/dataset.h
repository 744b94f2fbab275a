#pragma once
// TIMxDataset: a result or a table as a database driver hands it to the
// engine. It owns its field descriptions and its list of key-field names.
// Drivers report their own failures: no operation raises to the engine.

#include "field.h"
#include "rowcursor.h"

#include "engine/core/item.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace mx {

class TIMxDataset : public TMxItem {
    MX_CLASS(TIMxDataset)
public:
    explicit TIMxDataset(TMxItem* owner = nullptr);
    ~TIMxDataset() override;

    virtual int GetFieldCount() = 0;
    virtual QString GetFieldValue(int index) = 0;
    virtual QString GetFieldValueByName(const QString& name) = 0;
    virtual QString GetFieldName(int index) = 0;
    virtual int GetFieldWidth(int index) = 0; // display width
    virtual int GetFieldSize(int index) = 0;
    virtual int GetRecordCount() = 0;
    virtual bool GetActive() = 0;
    virtual int GetKeyFieldCount();
    // Empty when index is out of range.
    virtual QString GetKeyFieldName(int index);
    virtual QString GetFieldTypeName(int index) = 0;
    virtual void First() = 0;
    virtual void Last() = 0;
    virtual void Next() = 0;
    virtual void Prior() = 0;
    virtual bool Bof() = 0;
    virtual bool Eof() = 0;
    virtual void Close() = 0;
    virtual void MoveBy(int distance) = 0;
    virtual int GetRecNo() = 0;
    virtual void SetRecNo(int value) = 0;
    // Copies the rows into a table file; the extension picks the format.
    // A failure is told to the user by the dataset, which returns normally:
    // the run takes an error told during a send as that send's failure.
    virtual void DumpTable(const QString& fileName) = 0;
    // The table files DumpTable is about to be asked for, in turn, so that
    // a dataset that can writes them all in one pass over the rows (each
    // still put in place at its own DumpTable); an empty list drops the
    // copies not asked for. False: not supported (the default), and each
    // DumpTable reads the rows on its own.
    virtual bool ExpectTables(const QStringList& fileNames);
    // A reading of the rows of its own (see rowcursor.h), before the first
    // row; none when the dataset is not open or its driver cannot give one.
    virtual std::unique_ptr<TIMxRowCursor> CreateRowCursor();
    // Gives column index the type the caller knows it has (dataType a
    // field-type code, size the characters of a string, 0 when the values
    // are to be measured), where the database could only guess (an
    // expression's column): its values are then read, shown and copied as
    // that type. Out of range is ignored. The default changes the
    // description only.
    virtual void SetFieldType(int index, std::uint8_t dataType, std::uint16_t size);

    QStringList& KeyFields() { return m_keyFields; }
    const QStringList& KeyFields() const { return m_keyFields; }
    int FieldDescriptionCount() const { return int(m_fields.size()); }
    TIMxField* FieldDescription(int index) const; // none out of range
    void AddFieldDescription(std::unique_ptr<TIMxField> field);
    void ClearFields();

private:
    QStringList m_keyFields;
    std::vector<std::unique_ptr<TIMxField>> m_fields;
};

} // namespace mx
