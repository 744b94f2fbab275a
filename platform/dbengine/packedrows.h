#pragma once
// The rows a dataset has read, held packed: each row its cells one after
// the other, each a kind byte and its value in as few bytes as it needs
// (an integer in 1 to 8 bytes, a float in 8, a text or a blob a length
// then its UTF-8 or raw bytes, a date or a time in 4). A value is decoded
// when it is asked for, so a row costs about the size of its text rather
// than a variant and a string per cell. Values of other kinds (rare) are
// kept aside as they came.
//
// Rows are only ever appended. The text of a cell (cell()) stays valid
// until the next row is appended.

#include "dbrowsource.h"

#include <QVariant>

#include <memory>
#include <vector>

namespace platform {

class DbPackedRows {
public:
    explicit DbPackedRows(int columns = 0) : m_columns(columns) {}
    DbPackedRows(const DbPackedRows&) = delete;
    DbPackedRows& operator=(const DbPackedRows&) = delete;

    void setColumns(int columns) { m_columns = columns; }
    int columns() const { return m_columns; }
    qint64 size() const { return m_count; }

    // Appends a row of m_columns cells; a cell of kind Variant takes its
    // value from valueOf(column).
    template <class ValueOf>
    void append(const DbCell* cells, ValueOf&& valueOf)
    {
        beginRow();
        for (int i = 0; i < m_columns; ++i) {
            if (cells[i].kind == DbCell::Variant)
                packValue(valueOf(i));
            else
                packCell(cells[i]);
        }
        endRow();
    }
    // Appends a row of values, one per column.
    template <class ValueOf>
    void appendValues(ValueOf&& valueOf)
    {
        beginRow();
        for (int i = 0; i < m_columns; ++i)
            packValue(valueOf(i));
        endRow();
    }

    // The value of a cell, as it was appended (null out of range).
    QVariant value(qint64 row, int column) const;
    // The cell itself: Null, Integer, Float, Text and Blob as they are;
    // any other value (dates, logicals...) is of kind Variant (ask value()).
    DbCell cell(qint64 row, int column) const;

    // The bytes the rows take in memory (the packed bytes, the row index,
    // the values kept aside).
    size_t memoryBytes() const;

private:
    static constexpr int kChunkRows = 4096;
    struct Chunk {
        std::vector<char> bytes;
        std::vector<quint32> offsets; // where each row begins in bytes
    };

    void beginRow();
    void endRow();
    void packCell(const DbCell& cell);
    void packValue(const QVariant& value);
    void packText(quint8 kind, const char* data, qsizetype size);
    void packAside(const QVariant& value);
    void put(const void* data, size_t size);
    const char* rowStart(qint64 row) const;
    const char* cellStart(qint64 row, int column) const;

    int m_columns = 0;
    qint64 m_count = 0;
    std::vector<std::unique_ptr<Chunk>> m_chunks;
    std::vector<QVariant> m_variants;
};

} // namespace platform
