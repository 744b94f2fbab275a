#include "sampledatabase.h"

#include "platform/core/inifile.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include <stdexcept>

namespace mksample {
namespace {

[[noreturn]] void fail(const QString& what)
{
    throw std::runtime_error(what.toStdString());
}

QByteArray readScript(const QString& scriptFile)
{
    QFile f(scriptFile);
    if (!f.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Cannot read %1: %2").arg(scriptFile, f.errorString()));
    return f.readAll();
}

} // namespace

void BuildDatabase(const QString& scriptFile, const QString& fileName)
{
    const QByteArray script = readScript(scriptFile);
    const QString temp = fileName + QStringLiteral(".new");
    QFile::remove(temp);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(temp).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        const QString why = QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        fail(QStringLiteral("Cannot create %1: %2").arg(temp, why));
    }
    char* error = nullptr;
    const int rc = sqlite3_exec(db, ("BEGIN;\n" + script + "\nCOMMIT;").constData(), nullptr, nullptr, &error);
    const QString why = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        QFile::remove(temp);
        fail(QStringLiteral("%1: %2").arg(scriptFile, why));
    }
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(fileName).constData()) != 0) {
        QFile::remove(temp);
        fail(QStringLiteral("Cannot replace %1").arg(fileName));
    }
}

void WriteAlias(const QString& rootDir, const QString& relativePath)
{
    const auto ini = platform::IniFile::open(QDir(rootDir).filePath(QStringLiteral("ALIASES.INI")));
    const QList<QPair<QString, QString>> values{
        {QStringLiteral("TYPE"), QStringLiteral("SQLITE")},
        {QStringLiteral("PATH"), relativePath},
    };
    if (!ini->writeSection(QString::fromLatin1(kAlias), values))
        fail(QStringLiteral("Cannot write %1: %2").arg(ini->fileName(), ini->lastError()));
}

} // namespace mksample
