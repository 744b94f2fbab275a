#pragma once
// Rows read ahead of their use by a thread of their own, in batches, so
// that reading a result (SQLite stepping, a server's batches) and writing
// it out (table copies) overlap. The first few rows are read in the
// caller's thread at the first next(), and the thread starts only when
// more follow. The source is used by the wrapper alone between rewind()
// and the end of the pass (or the wrapper's destruction), so nothing else
// may use it, nor its connection, meanwhile.

#include "dbrowsource.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

class DbPrefetchRows : public DbRowSource {
public:
    explicit DbPrefetchRows(DbRowSource& source, int batchRows = 16384);
    ~DbPrefetchRows() override;
    DbPrefetchRows(const DbPrefetchRows&) = delete;
    DbPrefetchRows& operator=(const DbPrefetchRows&) = delete;

    const QList<DbField>& fields() const override { return m_source.fields(); }
    bool rewind(QString* error) override;
    DbFetch next(QString* error) override;
    QVariant value(int column) const override;
    qsizetype textLength(int column) const override;
    DbCell cell(int column) const override;
    void cells(DbCell* out) const override;

private:
    // The rows of a batch are packed one cell after the other, each a
    // kind byte then its value (nothing for a null, 8 bytes for a number
    // or a variant's index, a 4-byte size then the bytes for a text or a
    // blob): a few dozen bytes a row cross from one thread to the other,
    // not a cell structure per value.
    struct Batch {
        std::vector<char> bytes;
        qsizetype used = 0;
        std::vector<QVariant> variants; // values of cells of kind Variant
        int rows = 0;
        DbFetch end = DbFetch::Row;     // Row: more follow; End or Failed: the pass ends after these rows
        QString error;
    };

    void stop();
    // Reads the source's next rows into b, up to rows of them or a full batch.
    void fill(Batch& b, int rows);
    void read(int rowsPerBatch);
    void pack(Batch& b, const DbCell* cells) const;
    void unpack();
    std::unique_ptr<Batch> take();

    DbRowSource& m_source;
    const int m_batchRows;
    int m_columns = 0;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<Batch>> m_full;
    std::vector<std::unique_ptr<Batch>> m_free;
    bool m_stop = false;
    std::unique_ptr<Batch> m_batch; // the batch being read
    int m_row = -1;
    qsizetype m_at = 0;             // where the next row begins in m_batch
    std::vector<DbCell> m_cells;    // the current row, unpacked
    bool m_running = false;
    bool m_started = false;         // the first batch was read (the thread runs if more followed)
};

} // namespace platform
