#pragma once
// The report runtime connection's tests: a SQLite database of every field
// type, results of the built-in driver offered by a report, and the data
// server of the process.

#include "tests/support/testsupport.h"
#include "tests/support/testdispatcher.h"

#include "engine/bde/bdedriver.h"
#include "engine/driver/dataset.h"
#include "engine/reportlink/report.h"
#include "engine/reportlink/reportmanager.h"

#include <memory>

namespace linktest {

struct DatasetDeleter {
    void operator()(mx::TIMxDataset* dataset) const { mx::TMxItem::Free(dataset); }
};
using Dataset = std::unique_ptr<mx::TIMxDataset, DatasetDeleter>;

class LinkTest : public mxtest::EngineTest {
protected:
    LinkTest();
    ~LinkTest() override;

    // The database: table T, one column of each type the runtime receives
    //   ID INTEGER, NOM VARCHAR(20), COURT CHAR(2), NOTE MEMO, NE DATE,
    //   VU TIMESTAMP, HEURE TIME, PRIX REAL, ACTIF BOOLEAN, DONNEE BLOB,
    //   GRAND INTEGER
    // with rows 1 to 3 (row 3's GRAND beyond 32 bits), and table LIGNES of
    // n rows (N, LIBELLE).
    QString MakeDatabase(int lines = 0);
    Dataset Query(const QString& sql);
    static QString LongNote(); // row 2's NOTE: 70,000 bytes, accents included

    mx::TMxBdeDriver& Driver() { return *m_driver; }
    QString m_db;

private:
    mx::TMxBdeDriver* m_driver = nullptr;
};

// A link test whose report runtimes are its own: the runtime's socket
// folder and the settings folder (MORVELIN.INI, private queries written
// to out/) are in the test's folder, and the runtime is let go at the end.
class RuntimeLinkTest : public LinkTest {
protected:
    static void SetUpTestSuite(); // the runtime's messages need an application
    RuntimeLinkTest();
    ~RuntimeLinkTest() override;

    QString Out() const { return Path(QStringLiteral("out")); }

private:
    QByteArray m_oldWindir;
};

} // namespace linktest
