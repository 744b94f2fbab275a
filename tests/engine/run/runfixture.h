#pragma once
// Runs of queries over a real SQLite database, through the built-in
// database driver wrapped in a recorder, with destination types whose
// driver records every call (and writes table and file outputs as the
// built-in copies do, so that later steps can read them).
//
//   database   demo.sqlite in the test's folder: CLIENT (6 clients, one
//              without a town, accented names) and COMMANDE (10 orders)
//   model      the CLIENT/COMMANDE sample model over that file
//   types      "Fichier" (file, TXT), "Table" (table, DBF), "Rapport"
//              (report) of the module TESTREC
//   the log    "open <db>", "drop <view>", "run <view or ->", "free",
//              "export <type> <file name>", "print <type> <file name>"

#include "tests/support/testsupport.h"

#include <QStringList>

#include <functional>

namespace mx {
class TMxDataModel;
class TMxQuery;
class TMxQueryField;
class TMxQueryStep;
class TQueryDestinationItem;
} // namespace mx

namespace runtest {

// What the recorders wrote, in order.
QStringList& Log();
// The SQL texts the driver received, in order.
QStringList& Statements();

// The recording database driver refuses to open databases whose name
// contains this text (empty: refuses none).
void RefuseDatabase(const QString& part);
// The recording destination driver writes nothing for this type's exports
// (as a driver whose copy failed and was reported).
void FailExports(const QString& typeName);

class RunTest : public mxtest::EngineTest {
protected:
    RunTest();
    ~RunTest() override;

    // The demo database file, and a model over it (owned by the query).
    QString DatabaseFile() const { return Path(QStringLiteral("demo.sqlite")); }
    // A new query, not interactive, with one step.
    mx::TMxQuery* NewQuery();
    mx::TMxQueryStep* AddStep();
    // A field of a model table (Id) or of an earlier step's result (minus
    // that step's Id), in a step.
    mx::TMxQueryField* Add(mx::TMxQueryStep* step, int tableId, const QString& name);
    // Gives a destination of that type a file name.
    mx::TQueryDestinationItem* SendTo(mx::TMxQueryStep* step, const QString& type, const QString& fileName);

    // The rows of a step's result, each "a|b|c".
    static QStringList Rows(mx::TMxQueryStep* step);

    bool HasBuiltInDriver() const { return m_hasDriver; }

    mx::TMxQuery* m_query = nullptr;

private:
    bool m_hasDriver = false;
};

} // namespace runtest

#define REQUIRE_DRIVER() ASSERT_TRUE(HasBuiltInDriver()) << "the built-in database driver is not registered"
