#include "tablefile.h"

#include "dbasetable.h"
#include "paradoxtable.h"
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
