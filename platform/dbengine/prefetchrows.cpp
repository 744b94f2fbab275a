#include "prefetchrows.h"

#include "dbvalue.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

// Batches handed over and not yet read: enough to ride out an uneven pace.
constexpr size_t kBatchesAhead = 4;
constexpr int kFirstBatchRows = 32;
// A batch ends at its rows or at this size, whichever comes first: wide
// rows do not make the batches (and the memory of a run) grow.
constexpr qsizetype kBatchBytes = 1 << 20;

} // namespace

DbPrefetchRows::DbPrefetchRows(DbRowSource& source, int batchRows)
    : m_source(source), m_batchRows(batchRows > 0 ? batchRows : 1)
{
}

DbPrefetchRows::~DbPrefetchRows()
{
    stop();
}

void DbPrefetchRows::stop()
{
    if (m_thread.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    m_stop = false;
    m_full.clear();
    m_batch.reset();
    m_row = -1;
    m_running = false;
}

bool DbPrefetchRows::rewind(QString* error)
{
    stop();
    if (!m_source.rewind(error))
        return false;
    m_columns = int(m_source.fields().size());
    m_cells.assign(size_t(m_columns), DbCell());
    m_running = true;
    m_started = false;
    return true;
}

void DbPrefetchRows::pack(Batch& b, const DbCell* cells) const
{
    // The most a row can take: a kind byte and 8 bytes per cell, and the
    // bytes of its texts and blobs.
    size_t most = size_t(m_columns) * 9;
    for (int i = 0; i < m_columns; ++i)
        if (cells[i].kind == DbCell::Text || cells[i].kind == DbCell::Blob)
            most += size_t(cells[i].size);
    if (size_t(b.used) + most > b.bytes.size())
        b.bytes.resize(std::max(b.bytes.size() * 2, size_t(b.used) + most));
    char* out = b.bytes.data() + b.used;
    for (int i = 0; i < m_columns; ++i) {
        const DbCell& c = cells[i];
        *out++ = char(c.kind);
        switch (c.kind) {
        case DbCell::Null:
            break;
        case DbCell::Integer:
            std::memcpy(out, &c.integer, 8);
            out += 8;
            break;
        case DbCell::Float:
            std::memcpy(out, &c.real, 8);
            out += 8;
            break;
        case DbCell::Text:
        case DbCell::Blob: {
            // The source's bytes live until its next move: keep a copy.
            const qint32 size = c.size;
            std::memcpy(out, &size, 4);
            if (size > 0)
                std::memcpy(out + 4, c.data, size_t(size));
            out += 4 + size;
            break;
        }
        case DbCell::Variant: {
            const qint64 index = qint64(b.variants.size());
            b.variants.push_back(m_source.value(i));
            std::memcpy(out, &index, 8);
            out += 8;
            break;
        }
        }
    }
    b.used = out - b.bytes.data();
}

void DbPrefetchRows::unpack()
{
    const char* in = m_batch->bytes.data() + m_at;
    for (int i = 0; i < m_columns; ++i) {
        DbCell& c = m_cells[size_t(i)];
        c.kind = DbCell::Kind(quint8(*in++));
        switch (c.kind) {
        case DbCell::Null:
            break;
        case DbCell::Integer:
        case DbCell::Variant:
            std::memcpy(&c.integer, in, 8);
            in += 8;
            break;
        case DbCell::Float:
            std::memcpy(&c.real, in, 8);
            in += 8;
            break;
        case DbCell::Text:
        case DbCell::Blob: {
            qint32 size;
            std::memcpy(&size, in, 4);
            c.data = in + 4;
            c.size = size;
            in += 4 + size;
            break;
        }
        }
    }
    m_at = in - m_batch->bytes.data();
}

void DbPrefetchRows::fill(Batch& b, int rows)
{
    std::vector<DbCell> cells(static_cast<size_t>(m_columns));
    b.used = 0;
    b.variants.clear();
    b.rows = 0;
    b.end = DbFetch::Row;
    b.error.clear();
    try {
        while (b.rows < rows && b.used < kBatchBytes) {
            QString error;
            const DbFetch f = m_source.next(&error);
            if (f != DbFetch::Row) {
                b.end = f;
                b.error = error;
                break;
            }
            m_source.cells(cells.data());
            pack(b, cells.data());
            ++b.rows;
        }
    } catch (const std::exception& e) {
        b.end = DbFetch::Failed;
        b.error = QString::fromLocal8Bit(e.what());
    }
}

void DbPrefetchRows::read(int rowsPerBatch)
{
    for (;;) {
        std::unique_ptr<Batch> b;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || m_full.size() < kBatchesAhead; });
            if (m_stop)
                return;
            if (!m_free.empty()) {
                b = std::move(m_free.back());
                m_free.pop_back();
            }
        }
        if (!b)
            b = std::make_unique<Batch>();
        // Each batch is twice the last, up to the full size.
        const int batchRows = rowsPerBatch;
        rowsPerBatch = std::min(m_batchRows, rowsPerBatch * 2);
        fill(*b, batchRows);
        const bool last = b->end != DbFetch::Row;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_full.push_back(std::move(b));
        }
        m_changed.notify_all();
        if (last)
            return;
    }
}

std::unique_ptr<DbPrefetchRows::Batch> DbPrefetchRows::take()
{
    if (!m_started) {
        // The first batch is small and read here: a result of a few rows
        // is read without a thread, nor room for thousands of rows. The
        // thread starts when more follow.
        m_started = true;
        const int firstRows = std::min(m_batchRows, kFirstBatchRows);
        auto b = std::make_unique<Batch>();
        fill(*b, firstRows);
        if (b->end == DbFetch::Row)
            m_thread = std::thread([this, firstRows] { read(std::min(m_batchRows, firstRows * 2)); });
        return b;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_batch)
        m_free.push_back(std::move(m_batch));
    m_changed.wait(lock, [this] { return !m_full.empty(); });
    std::unique_ptr<Batch> b = std::move(m_full.front());
    m_full.pop_front();
    lock.unlock();
    m_changed.notify_all();
    return b;
}

DbFetch DbPrefetchRows::next(QString* error)
{
    if (!m_running) {
        *error = QStringLiteral("The rows are not open");
        return DbFetch::Failed;
    }
    for (;;) {
        if (m_batch && m_row + 1 < m_batch->rows) {
            ++m_row;
            unpack();
            return DbFetch::Row;
        }
        if (m_batch && m_batch->end != DbFetch::Row) {
            // The pass ended: the same answer from now on.
            m_row = m_batch->rows;
            if (m_batch->end == DbFetch::Failed)
                *error = m_batch->error;
            return m_batch->end;
        }
        m_batch = take();
        m_row = -1;
        m_at = 0;
    }
}

DbCell DbPrefetchRows::cell(int column) const
{
    if (!m_batch || m_row < 0 || m_row >= m_batch->rows || column < 0 || column >= m_columns)
        return {};
    return m_cells[size_t(column)];
}

void DbPrefetchRows::cells(DbCell* out) const
{
    if (!m_batch || m_row < 0 || m_row >= m_batch->rows) {
        for (int i = 0; i < m_columns; ++i)
            out[i] = DbCell();
        return;
    }
    std::memcpy(static_cast<void*>(out), m_cells.data(), sizeof(DbCell) * size_t(m_columns));
}

QVariant DbPrefetchRows::value(int column) const
{
    const DbCell c = cell(column);
    switch (c.kind) {
    case DbCell::Null:
        return {};
    case DbCell::Integer:
        return QVariant(c.integer);
    case DbCell::Float:
        return QVariant(c.real);
    case DbCell::Text:
        return QVariant(QString::fromUtf8(c.data, c.size));
    case DbCell::Blob:
        return QVariant(QByteArray(c.data, c.size));
    case DbCell::Variant:
        return m_batch->variants[size_t(c.integer)];
    }
    return {};
}

qsizetype DbPrefetchRows::textLength(int column) const
{
    const DbCell c = cell(column);
    switch (c.kind) {
    case DbCell::Null:
        return -1;
    case DbCell::Text: {
        qsizetype count = 0;
        for (int i = 0; i < c.size; ++i) {
            const unsigned char ch = static_cast<unsigned char>(c.data[i]);
            if ((ch & 0xC0) != 0x80)
                ++count;
            if (ch >= 0xF0)
                ++count;
        }
        return count;
    }
    case DbCell::Blob:
        return c.size;
    default:
        return toText(value(column)).size();
    }
}

} // namespace platform
