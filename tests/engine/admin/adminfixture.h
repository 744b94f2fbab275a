#pragma once
// The administration operations' tests: a scratch installation folder with
// the build's definition files and an alias file, the built-in driver as
// the process's database driver, the global field types loaded, and small
// builders of tables and fields.

#include "tests/support/testsupport.h"

#include "engine/core/hookslot.h"

#include <initializer_list>

namespace mx {
class TDmField;
class TMxDataModel;
class TMxTable;
}

namespace admintest {

struct FieldSpec {
    const char* name;
    const char* longType;
    int idx = 0;
    const char* fullName = nullptr; // the name when none
};

class AdminTest : public mxtest::EngineTest {
protected:
    AdminTest();
    ~AdminTest() override;

    // The installation folder, with a final "/".
    QString Root() const { return m_root; }
    // Writes the installation's ALIASES.INI and makes the driver read it.
    void WriteAliases(const QString& text);

    // Runs statements on a SQLite file; fails the test when they fail.
    static void ExecSql(const QString& database, const QString& sql);

    // A table of the model with these fields (ShortType left empty).
    static mx::TMxTable* MakeTable(mx::TMxDataModel* model, int id, const QString& name,
        std::initializer_list<FieldSpec> fields, const QString& database = {});
    static mx::TDmField* Field(mx::TMxTable* table, const QString& name);
    // The report's lines from the given one on.
    static QStringList ReportLines(mx::TMxDataModel* model, int from = 0);

private:
    QString m_root;
    mx::ScopedHook<mx::THookSlot<QString()>> m_rootHook;
};

} // namespace admintest
