#pragma once
// Rows read ahead of their use by a thread of their own, in batches, so
// that reading a result (SQLite stepping, a server's batches) and writing
// it out (table copies) overlap. The source is used by that thread only
// between rewind() and the end of the pass (or the wrapper's destruction),
// so nothing else may use it, nor its connection, meanwhile.

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
    explicit DbPrefetchRows(DbRowSource& source, int batchRows = 2048);
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
    struct Batch {
        std::vector<DbCell> cells;      // rows x columns
        std::vector<char> bytes;        // the texts and blobs the cells point into
        std::vector<qsizetype> offsets; // where each text cell's bytes begin, while filling
        std::vector<QVariant> variants; // values of cells of kind Variant (index in integer)
        int rows = 0;
        DbFetch end = DbFetch::Row;     // Row: more follow; End or Failed: the pass ends after these rows
        QString error;
    };

    void stop();
    void read();
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
    bool m_running = false;
};

} // namespace platform
