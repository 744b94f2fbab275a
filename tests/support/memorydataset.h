#pragma once
// A dataset held in memory, for the tests of what reads a step's result
// (reports, exports): named fields with their display widths, rows of
// texts, the cursor semantics of the drivers' datasets (on the first
// record after First, Eof only past the last one or when empty).

#include "engine/driver/dataset.h"

#include <QStringList>

#include <vector>

namespace mxtest {

class TMemoryDataset : public mx::TIMxDataset {
public:
    struct Field {
        QString name;
        int width = 10;
        QString type = QStringLiteral("VARCHAR"); // as GetFieldTypeName says it
    };
    TMemoryDataset(std::vector<Field> fields, std::vector<QStringList> rows);

    int GetFieldCount() override { return int(m_fields.size()); }
    QString GetFieldValue(int index) override;
    QString GetFieldValueByName(const QString& name) override;
    QString GetFieldName(int index) override;
    int GetFieldWidth(int index) override;
    int GetFieldSize(int index) override { return GetFieldWidth(index); }
    int GetRecordCount() override { return int(m_rows.size()); }
    bool GetActive() override { return m_active; }
    QString GetFieldTypeName(int index) override;
    void First() override;
    void Last() override;
    void Next() override;
    void Prior() override;
    bool Bof() override { return m_bof; }
    bool Eof() override { return m_eof; }
    void Close() override { m_active = false; }
    void MoveBy(int distance) override;
    int GetRecNo() override { return m_rows.empty() ? 0 : m_pos + 1; }
    void SetRecNo(int value) override;
    void DumpTable(const QString&) override {}

    // Rows read through GetFieldValue since the start (a pass reads each once).
    int Reads() const { return m_reads; }

private:
    std::vector<Field> m_fields;
    std::vector<QStringList> m_rows;
    int m_pos = 0;
    bool m_bof = true;
    bool m_eof = false;
    bool m_active = true;
    int m_reads = 0;
};

// count rows of the fields, each value "<field><row>" (NOM1, NOM2...).
TMemoryDataset* MakeNumberedDataset(const std::vector<TMemoryDataset::Field>& fields, int count);

} // namespace mxtest
