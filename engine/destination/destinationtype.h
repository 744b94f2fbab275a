#pragma once
// Destination types: configured once for the installation (the engine's
// destination file, loaded into DestinationTypes). Each names the module
// whose driver sends results there, and the extension of its files.

#include "engine/core/hookslot.h"
#include "engine/core/list.h"

#include <memory>

namespace mx {

class TIMxDestDriver;
class TQueryDestinationList;

enum TDestinationOutput { doReport, doFile, doGraph, doCrosstab, doTable };
const EnumInfo& DestinationOutputInfo();

class TDestinationItem : public TMxItem {
    MX_CLASS(TDestinationItem)
public:
    explicit TDestinationItem(TMxItem* owner = nullptr);
    ~TDestinationItem() override;

    const QString& Versions() const { return m_versions; }
    void SetVersions(const QString& value);
    TDestinationOutput Output() const { return m_output; }
    void SetOutput(TDestinationOutput value);
    const QString& Extension() const { return m_extension; } // without the dot
    void SetExtension(const QString& value);
    const QString& DllName() const { return m_dllName; }
    void SetDllName(const QString& value);

    // The driver of this type, looked up on first use and kept. None found
    // raises "Driver %s not found in %s" (with the cause, when loading its
    // library failed); the next call tries again.
    std::shared_ptr<TIMxDestDriver> GetDriver();
    bool HasDriver() const { return bool(m_driver); }
    // Drops the kept driver (engine shutdown).
    void ReleaseDriver() noexcept;

    // fileName with its extension replaced by "." + Extension; a name
    // without folder goes into folder (with its final "/"; by default the
    // private query folder, when one is set). An empty name stays empty.
    QString MakeFileName(const QString& fileName) const;
    QString MakeFileName(const QString& fileName, const QString& folder) const;

    void Assign(const TPersistent* source) override;

protected:
    void BeforeDestruction() override;

private:
    QString m_versions;
    TDestinationOutput m_output = doReport;
    QString m_extension;
    QString m_dllName;
    std::shared_ptr<TIMxDestDriver> m_driver;
};

class TDestinationList : public TMxTypedList<TDestinationItem> {
    MX_CLASS(TDestinationList)
public:
    explicit TDestinationList(TMxItem* owner = nullptr);
    // A new destination list owned by step: one destination per type, in
    // the types' order, named like it, with no file name.
    TQueryDestinationList* CreateQueryDestinations(TMxItem* step) const;
    TDestinationItem* GetItem(int index) const { return Items(index); }
    // Drops every kept driver (engine shutdown).
    void ReleaseDrivers() noexcept;
};

// Small file-name rules shared by the destinations: a name holding "/",
// "\\" or ":" has a folder; the extension is what follows the last "." of
// the part after the folder (the dot included).
bool FileNameHasFolder(const QString& fileName);
QString FileNameExtension(const QString& fileName);
QString ChangeFileNameExtension(const QString& fileName, const QString& extension);
// The private query folder with a final "/", or empty when none is set.
QString PrivateQueryFolder();
// Where the private query folder is kept; the query globals fill it.
extern THookSlot<QString()> PrivateQueryPathHook;

// The process-wide destination types: none until the query globals made
// them (global/queryglobal.h), which also set and free them.
TDestinationList* DestinationTypes();
void SetDestinationTypes(TDestinationList* types);

} // namespace mx
