#pragma once
// Fixtures of the database engine tests: a scratch folder, SQLite files
// made through SQLite's C library, and readers of datasets into text.

#include "platform/dbengine/dbdataset.h"
#include "platform/dbengine/dbrowsource.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "tests/support/testsupport.h" // shared helpers, and gtest printing of QString

#include <gtest/gtest.h>

#include <ostream>

namespace dbtest {

class DbTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QStringList Files() const; // the folder's file names, sorted
    QTemporaryDir m_dir;
};

// Creates the SQLite database path (which must not exist) and runs script.
void MakeDatabase(const QString& path, const QString& script);

// Every row of a source as lines of text forms joined by "|" (NULL as "\N").
QStringList RowsText(platform::DbRowSource& rows, const platform::DbTextFormat& format = {});

QString Hex(const QByteArray& bytes); // "80000001"
void WriteBytes(const QString& path, const QByteArray& bytes);

// Runs /usr/bin/python3 with script and args; false when it cannot run.
bool RunPython(const QString& script, const QStringList& args, QString* out, QString* err);

} // namespace dbtest
