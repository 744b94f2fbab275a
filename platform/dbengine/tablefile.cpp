#include "tablefile.h"

#include "dbasetable.h"
#include "paradoxtable.h"
#include "tablecopy.h"
#include "texttable.h"

#include <QFileInfo>

namespace platform {

std::optional<DbTableFormat> tableFormatOf(const QString& fileName)
{
    const QString ext = QFileInfo(fileName).suffix().toUpper();
    if (ext == QLatin1String("DB"))
        return DbTableFormat::Paradox;
    if (ext == QLatin1String("DBF"))
        return DbTableFormat::DBase;
    if (ext == QLatin1String("TXT"))
        return DbTableFormat::Text;
    return std::nullopt;
}

bool isTableFileName(const QString& fileName)
{
    return tableFormatOf(fileName).has_value();
}

namespace {

QString unknownExtension(const QString& fileName)
{
    return QStringLiteral("%1: unknown table type (the extension must be .DB, .DBF or .TXT)").arg(fileName);
}

} // namespace

bool writeTableFile(DbRowSource& rows, const QString& fileName, const DbTextFormat& format, QString* error)
{
    const auto type = tableFormatOf(fileName);
    if (!type) {
        *error = unknownExtension(fileName);
        return false;
    }
    switch (*type) {
    case DbTableFormat::Paradox:
        return writeParadoxTable(rows, fileName, error);
    case DbTableFormat::DBase:
        return writeDBaseTable(rows, fileName, error);
    case DbTableFormat::Text:
        return writeTextTable(rows, fileName, format, error);
    }
    return false;
}

DbTableCopies::DbTableCopies() = default;
DbTableCopies::~DbTableCopies() = default;

void DbTableCopies::prepare(DbRowSource& rows, const QStringList& fileNames, const DbTextFormat& format)
{
    m_copies.clear();
    const QList<DbField>& fields = rows.fields();
    QStringList shared;
    for (const QString& name : fileNames) {
        if (shared.contains(name))
            continue;
        const auto type = tableFormatOf(name);
        if (type == DbTableFormat::Text || (type == DbTableFormat::DBase && dBaseLayoutFromDeclarations(fields)))
            shared << name;
    }
    if (shared.size() < 2)
        return;
    for (const QString& name : shared) {
        Copy copy;
        copy.fileName = name;
        copy.sink = tableFormatOf(name) == DbTableFormat::Text ? openTextSink(fields, name, format, &copy.error)
                                                               : openDBaseSink(fields, name, &copy.error);
        copy.failed = !copy.sink;
        m_copies.push_back(std::move(copy));
    }
    auto failAll = [&](const QString& error) {
        for (Copy& c : m_copies) {
            if (!c.failed) {
                c.sink.reset();
                c.error = error;
                c.failed = true;
            }
        }
    };
    QString error;
    if (!rows.rewind(&error)) {
        failAll(error);
        return;
    }
    qint64 record = 0;
    std::vector<DbCell> cells(size_t(rows.fields().size()));
    for (;;) {
        const DbFetch f = rows.next(&error);
        if (f == DbFetch::Failed) {
            failAll(error);
            return;
        }
        if (f == DbFetch::End)
            break;
        ++record;
        rows.cells(cells.data());
        bool anyLeft = false;
        for (auto it = m_copies.begin(); it != m_copies.end();) {
            if (!it->failed) {
                const DbPut put = it->sink->put(rows, cells.data(), record, &it->error);
                if (put == DbPut::Retry) {
                    // The guessed layout does not hold: written on its own.
                    it = m_copies.erase(it);
                    continue;
                }
                if (put == DbPut::Failed) {
                    it->sink.reset();
                    it->failed = true;
                }
                anyLeft = anyLeft || !it->failed;
            }
            ++it;
        }
        if (!anyLeft)
            return;
    }
    for (Copy& c : m_copies) {
        if (!c.failed && !c.sink->finish(record, &c.error)) {
            c.sink.reset();
            c.failed = true;
        }
    }
}

bool DbTableCopies::holds(const QString& fileName) const
{
    for (const Copy& c : m_copies)
        if (c.fileName == fileName)
            return true;
    return false;
}

bool DbTableCopies::take(const QString& fileName, QString* error)
{
    for (auto it = m_copies.begin(); it != m_copies.end(); ++it) {
        if (it->fileName != fileName)
            continue;
        const Copy copy = std::move(*it);
        m_copies.erase(it);
        if (copy.failed) {
            *error = copy.error;
            return false;
        }
        return copy.sink->commit(error);
    }
    *error = QStringLiteral("No copy of %1 was prepared").arg(fileName);
    return false;
}

std::unique_ptr<DbRowSource> openTableFile(const QString& fileName, const DbTextFormat& format, QString* error)
{
    const auto type = tableFormatOf(fileName);
    if (!type) {
        *error = unknownExtension(fileName);
        return nullptr;
    }
    if (!QFileInfo(fileName).isFile()) {
        *error = QStringLiteral("Table not found: %1").arg(fileName);
        return nullptr;
    }
    switch (*type) {
    case DbTableFormat::Paradox:
        return openParadoxTable(fileName, error);
    case DbTableFormat::DBase:
        return openDBaseTable(fileName, error);
    case DbTableFormat::Text:
        return openTextTable(fileName, format, error);
    }
    return nullptr;
}

QStringList tableFileKeys(const QString& fileName)
{
    if (tableFormatOf(fileName) == DbTableFormat::Paradox)
        return paradoxTableKeys(fileName);
    return {};
}

} // namespace platform
