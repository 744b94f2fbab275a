#include "testsupport.h"

#include <core/exceptions.h>

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

EngineTest::EngineTest() : m_scope(std::make_unique<mx::ScopedUserService>(&m_service)) {}

EngineTest::~EngineTest() = default;

} // namespace mxtest
