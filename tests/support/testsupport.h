#pragma once
// Shared helpers for the tests: a scratch folder, byte dumps, and a
// recording user service installed for the life of a fixture.

#include "engine/core/userservice.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

namespace mxtest {

// "FF 0A 00 ..." for failure messages and expected-byte tables.
QString Hex(const QByteArray& bytes);
QByteArray FromHex(const QString& hex);

// Reads or writes a whole file; fails the test on error.
QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);

// The message of what f raises, or "<no error>" when it raises nothing.
QString FailureOf(const std::function<void()>& f);

// Makes a new SQLite database file and runs the script in it; fails the
// test when the file exists already or the script fails.
void MakeSqliteDatabase(const QString& path, const QString& script);

// The rows a statement gives on a SQLite database, every value as SQLite
// writes it as text (NULL empty); fails the test when the statement fails.
QList<QStringList> SqliteRows(const QString& database, const QString& sql);

// Sets an environment variable (or unsets it, for a null value) for the
// life of the object, then puts back what was there before.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

// A scratch folder and a recording user service, for one test.
class EngineTest : public ::testing::Test {
protected:
    EngineTest();
    ~EngineTest() override;
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    mx::TRecordingUserService m_service;

private:
    std::unique_ptr<mx::ScopedUserService> m_scope;
};

} // namespace mxtest

// Lets gtest print QStrings.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE
