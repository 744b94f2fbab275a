#pragma once
// The built-in driver's tests: a scratch installation folder (its alias
// file included), a fresh session per test, SQLite files made through
// SQLite's C library, and readers of datasets into text.

#include "tests/support/testsupport.h"

#include "engine/bde/bdedriver.h"
#include "engine/core/hookslot.h"
#include "engine/driver/dataset.h"

#include <QStringList>

#include <memory>

namespace bdetest {

struct DatasetDeleter {
    void operator()(mx::TIMxDataset* dataset) const { mx::TMxItem::Free(dataset); }
};
using Dataset = std::unique_ptr<mx::TIMxDataset, DatasetDeleter>;

class BdeTest : public mxtest::EngineTest {
protected:
    BdeTest();
    ~BdeTest() override;

    // The installation folder, with a final "/".
    QString Root() const { return m_root; }
    // Writes the installation's ALIASES.INI and makes the session read it.
    void WriteAliases(const QString& text);
    // Creates the SQLite database path and runs the script in it.
    static void MakeDatabase(const QString& path, const QString& script);
    // The demo database: customers, orders and their lines, key shapes,
    // one column of each declared type. Returns its path.
    QString MakeDemo(const QString& name = QStringLiteral("demo.sqlite"));

    // The rows from the first to the end, fields joined by "|".
    static QStringList RowsOf(mx::TIMxDataset* dataset);
    static QStringList FieldNames(mx::TIMxDataset* dataset);
    static QStringList KeyNames(mx::TIMxDataset* dataset);
    // A string-list buffer read back.
    static QStringList FromBuffer(const QByteArray& buffer);
    // The message boxes shown so far, and forgets them.
    QStringList TakeMessages();

    mx::TMxBdeDriver& Driver() { return *m_driver; }

private:
    QString m_root;
    mx::ScopedHook<mx::THookSlot<QString()>> m_rootHook;
    mx::TMxBdeDriver* m_driver = nullptr;
};

} // namespace bdetest
