#include "testsupport.h"

#include "engine/core/exceptions.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <string>

namespace mxtest {

QString Hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QByteArray FromHex(const QString& hex)
{
    QString h = hex;
    h.remove(u' ');
    return QByteArray::fromHex(h.toLatin1());
}

ScopedEnv::ScopedEnv(const char* name, const QByteArray& value)
    : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}

ScopedEnv::~ScopedEnv()
{
    if (m_had)
        qputenv(m_name, m_old);
    else
        qunsetenv(m_name);
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        ADD_FAILURE() << "cannot write " << path.toStdString();
        return;
    }
    f.write(bytes);
}

QString FailureOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return mx::ExceptionMessage(e);
    }
    return QStringLiteral("<no error>");
}

void MakeSqliteDatabase(const QString& path, const QString& script)
{
    ASSERT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
        SQLITE_OK);
    char* msg = nullptr;
    const int rc = sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, &msg);
    const std::string why = msg ? msg : "";
    sqlite3_free(msg);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << why;
}

QList<QStringList> SqliteRows(const QString& database, const QString& sql)
{
    QList<QStringList> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(database).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << database.toStdString();
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sqlite3_errmsg(db) << "\n" << sql.toStdString();
    } else {
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList row;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
                row << (text ? QString::fromUtf8(text) : QString());
            }
            rows << row;
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

EngineTest::EngineTest() : m_scope(std::make_unique<mx::ScopedUserService>(&m_service)) {}

EngineTest::~EngineTest() = default;

} // namespace mxtest
