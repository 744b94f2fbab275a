#pragma once
// Picking tables to add to a model ("Ouvrir une table"): on the database
// page, the tables of one database of the driver (its aliases, servers
// included); on the file page, table files of a folder. Paths are kept as
// the user reached them, never re-cased.

#include <QDialog>
#include <QStringList>

#include <memory>

namespace mx {
class TMxDatabaseItem;
class TStrings;
}

namespace mx::admin {

class TfmSelectTable : public QDialog {
    Q_OBJECT

public:
    explicit TfmSelectTable(QWidget* parent = nullptr);
    ~TfmSelectTable() override;

    // The page shown: false the database page (first), true the file page.
    bool FilesShown() const;
    void ShowFiles(bool files);
    // The database chosen on the database page; empty on "<Select Database>".
    const QString& DatabaseName() const { return m_database; }
    // The folder of the file page, as reached (no final "/" but for "/").
    const QString& Directory() const { return m_directory; }
    void SetDirectory(const QString& directory);

    // The result: the lines (":" database ":" table, or folder "/" file)
    // and the database item's name (and, for a database, its driver,
    // user and password from the driver).
    QStringList ChosenLines() const;
    void FillDatabase(TMxDatabaseItem* database) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseDatabase(int index);
    void fillFiles();
    void enterDirectory(const QString& name);
    void updateOk();
    void nameEntered();
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    QString m_database;
    QString m_directory;
};

// The dialog; after Ok tables holds the chosen lines (emptied first) and
// database its item. True when the dialog closed with Ok.
bool SelectTables(TStrings* tables, TMxDatabaseItem* database);

// The driver's alias names and the table names of a database, whole
// however many there are.
QStringList DriverAliasNames();
QStringList DriverTableNames(const QString& database);

} // namespace mx::admin
