#include "tablecopy.h"

#include "dbvalue.h"

#include <platform/core/cp1252.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace platform {

bool scanRows(DbRowSource& rows, DbRowScan* scan, QString* error)
{
    const QList<DbField>& fields = rows.fields();
    scan->rowCount = 0;
    scan->columns.assign(size_t(fields.size()), DbColumnScan());
    std::vector<DbValueKind> kinds;
    for (const DbField& f : fields)
        kinds.push_back(valueKind(f.type));
    if (!rows.rewind(error))
        return false;
    for (;;) {
        const DbFetch f = rows.next(error);
        if (f == DbFetch::Failed)
            return false;
        if (f == DbFetch::End)
            return true;
        ++scan->rowCount;
        for (int c = 0; c < fields.size(); ++c) {
            DbColumnScan& col = scan->columns[size_t(c)];
            switch (kinds[size_t(c)]) {
            case DbValueKind::Text:
            case DbValueKind::Memo: {
                const qsizetype n = rows.textLength(c);
                if (n >= 0) {
                    col.anyValue = true;
                    col.longestText = std::max(col.longestText, n);
                }
                break;
            }
            case DbValueKind::Integer: {
                const QVariant v = rows.value(c);
                if (v.isNull())
                    break;
                qint64 n = 0;
                if (!toInteger(v, &n)) {
                    col.allInteger = false;
                    break;
                }
                if (!col.anyValue) {
                    col.minInteger = col.maxInteger = n;
                } else {
                    col.minInteger = std::min(col.minInteger, n);
                    col.maxInteger = std::max(col.maxInteger, n);
                }
                col.anyValue = true;
                break;
            }
            case DbValueKind::Binary: {
                const QVariant v = rows.value(c);
                if (v.isNull())
                    break;
                col.anyValue = true;
                const qsizetype n = v.typeId() == QMetaType::QByteArray ? v.toByteArray().size()
                                                                        : toText(v).toUtf8().size();
                col.longestBinary = std::max(col.longestBinary, n);
                break;
            }
            default:
                break;
            }
        }
    }
}

QString fieldError(const DbField& field, qint64 record, const QString& what)
{
    return QStringLiteral("Field %1, record %2: %3").arg(field.name).arg(record).arg(what);
}

bool encodeText(const QString& text, const DbField& field, qint64 record, QByteArray* out, QString* error)
{
    QChar bad;
    if (cp1252::encode(text, *out, &bad))
        return true;
    *error = fieldError(field, record,
                        QStringLiteral("the character U+%1 has no place in Windows-1252")
                            .arg(QString::number(bad.unicode(), 16).rightJustified(4, QLatin1Char('0')).toUpper()));
    return false;
}

TableFileReplacement::TableFileReplacement(const QString& mainFile) : m_main(QFileInfo(mainFile).absoluteFilePath())
{
}

TableFileReplacement::~TableFileReplacement() = default; // the temporary files remove themselves

QString TableFileReplacement::companionName(const QString& ext) const
{
    const QFileInfo fi(m_main);
    const QString suffix = fi.suffix();
    const bool lower = !suffix.isEmpty() && suffix == suffix.toLower() && suffix != suffix.toUpper();
    return fi.absolutePath() + QLatin1Char('/') + fi.completeBaseName() + QLatin1Char('.')
           + (lower ? ext.toLower() : ext.toUpper());
}

QFile* TableFileReplacement::create(const QString& finalName, QString* error)
{
    const QFileInfo fi(finalName);
    if (!QFileInfo(fi.absolutePath()).isDir()) {
        *error = QStringLiteral("The folder %1 does not exist").arg(fi.absolutePath());
        return nullptr;
    }
    auto file = std::make_unique<QTemporaryFile>(fi.absolutePath() + QStringLiteral("/.") + fi.fileName()
                                                 + QStringLiteral(".XXXXXX"));
    if (!file->open()) {
        *error = QStringLiteral("Cannot write in %1: %2").arg(fi.absolutePath(), file->errorString());
        return nullptr;
    }
    QFile* raw = file.get();
    m_items.push_back({std::move(file), fi.absoluteFilePath()});
    return raw;
}

namespace {

bool extensionMatches(const QString& ext, const QString& pattern)
{
    if (ext.size() != pattern.size())
        return false;
    for (int i = 0; i < ext.size(); ++i) {
        if (pattern[i] == QLatin1Char('?'))
            continue;
        if (pattern[i] == QLatin1Char('#')) {
            if (!isxdigit(ext[i].toLatin1()))
                return false;
            continue;
        }
        if (ext[i].toUpper() != pattern[i].toUpper())
            return false;
    }
    return true;
}

} // namespace

QString findCompanion(const QString& mainFile, const QString& ext)
{
    const QFileInfo fi(mainFile);
    const QString exact = fi.absolutePath() + QLatin1Char('/') + fi.completeBaseName() + QLatin1Char('.');
    for (const QString& e : {ext.toUpper(), ext.toLower()})
        if (QFileInfo(exact + e).isFile())
            return exact + e;
    const QDir dir(fi.absolutePath());
    const QString wanted = fi.completeBaseName() + QLatin1Char('.') + ext;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return dir.filePath(name);
    return {};
}

bool TableFileReplacement::commit(const QStringList& staleExtensions, QString* error)
{
    for (auto& item : m_items) {
        if (!item.file->flush() || ::fsync(item.file->handle()) != 0) {
            *error = QStringLiteral("Cannot write %1: %2").arg(item.finalName, item.file->errorString());
            return false;
        }
        item.file->close();
    }
    // Companions first, so that the main file never names missing ones.
    std::vector<Item*> order;
    for (auto& item : m_items)
        if (item.finalName != m_main)
            order.push_back(&item);
    for (auto& item : m_items)
        if (item.finalName == m_main)
            order.push_back(&item);
    QStringList written;
    for (Item* item : order) {
        if (std::rename(QFile::encodeName(item->file->fileName()).constData(),
                        QFile::encodeName(item->finalName).constData())
            != 0) {
            *error = QStringLiteral("Cannot replace %1: %2").arg(item->finalName, QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
        item->file->setAutoRemove(false);
        written.append(QFileInfo(item->finalName).fileName());
    }
    const QFileInfo fi(m_main);
    const QDir dir(fi.absolutePath());
    const QString base = fi.completeBaseName();
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (written.contains(name))
            continue;
        const int dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot < 0 || name.left(dot).compare(base, Qt::CaseInsensitive) != 0)
            continue;
        const QString ext = name.mid(dot + 1);
        for (const QString& pattern : staleExtensions) {
            if (extensionMatches(ext, pattern)) {
                QFile::remove(dir.filePath(name));
                break;
            }
        }
    }
    return true;
}

} // namespace platform
