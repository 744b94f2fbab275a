#pragma once
// TMxBdeDataset: the datasets of the built-in driver. A table object's key
// index gives the key-field names; DumpTable copies every row into a
// table file whose format the extension names (".DB" Paradox, ".DBF"
// dBASE, ".TXT" delimited text with its ".SCH" schema; any case). A copy
// is written beside the target and put in place only when complete, so a
// failed copy leaves the previous table as it was.

#include "mxdataset.h"

namespace mx {

class TMxBdeDataset : public TMxDataset {
    MX_CLASS(TMxBdeDataset)
public:
    explicit TMxBdeDataset(TMxItem* owner = nullptr);
    ~TMxBdeDataset() override;

    // Inherited; a table object's key index then fills the key-field names.
    void SetDataset(std::unique_ptr<TDbDataObject> dataSet) override;
    // The key index: the primary key, else the first unique index. Its
    // fields, in order, become the key-field names; the answer is its field
    // list as the database classes write it ("A;B"). Empty, with no names,
    // when there is none.
    QString GetKeyIndex() override;
    // Errors are reported ("TMxBdeDataset.DumpTable"), never raised.
    void DumpTable(const QString& fileName) override;
    // The table files DumpTable is about to be asked for, in turn: those
    // that can are written in one pass over the rows, each put in place at
    // its own DumpTable. An empty list drops the copies not asked for.
    bool ExpectTables(const QStringList& fileNames) override;
};

} // namespace mx
