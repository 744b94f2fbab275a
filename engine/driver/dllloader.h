#pragma once
// Loaders of plug-in libraries. A loader wraps one library: it loads it,
// binds the entry points of its kind, calls them, and unloads the library
// when it is freed. Every loader lives in the process-wide list DllLoaders.
//
// A module name NAME, NAME.DLL or NAME.so stands for the shared object
// NAME.so; a name without a folder is taken from the installation folder.
// Objects a library made keep it loaded (they hold a share of it), so no
// code of an unloaded library can ever run.

#include "pluginabi.h"

#include "engine/core/list.h"

#include <QString>

#include <memory>

namespace platform {
class SharedLibrary;
}

namespace mx {

class TIMxDestDriver;
class TIMxDriver;

// The file name a module name stands for: NAME, NAME.DLL (any case) and
// NAME.so give NAME.so; another extension stays. The folder, if any, stays.
QString PluginModuleFileName(const QString& moduleName);

class TDllLoader : public TMxItem {
    MX_CLASS(TDllLoader)
public:
    explicit TDllLoader(TMxItem* owner = nullptr);
    ~TDllLoader() override;

    // Loads the library named by Name (which becomes its file name) and
    // binds the entry points. Raises "Can not load library %s..." or
    // "Proc %s not found in module %s"; the loader then keeps that text.
    virtual void Load();
    virtual void BindProcs();
    // The address of an export; raises "Proc %s not found in module %s".
    void* GetProc(const char* procName) const;

    bool Loaded() const { return bool(m_library); }
    QString FileName() const; // the absolute file loaded; empty when none
    // Why the last load failed; empty when it did not.
    const QString& LoadError() const { return m_loadError; }
    // A share of the library: it stays loaded while a share is held.
    std::shared_ptr<platform::SharedLibrary> Library() const { return m_library; }

protected:
    void BeforeDestruction() override;
    // "Function not initialized : name", with the load error when there was one.
    [[noreturn]] void RaiseNotInitialized(const QString& name) const;

private:
    void unload() noexcept;
    std::shared_ptr<platform::SharedLibrary> m_library;
    QString m_loadError;
};

// A plug-in of the system: it tells its name, version and description.
class TMxDllLoader : public TDllLoader {
    MX_CLASS(TMxDllLoader)
public:
    explicit TMxDllLoader(TMxItem* owner = nullptr);
    void BindProcs() override;
    // The entry point's answer; empty when it is not bound.
    QString GetDllName() const;
    QString GetDllVersion() const;
    QString GetDllDescription() const;

private:
    MxDllTextFn m_name = nullptr;
    MxDllTextFn m_version = nullptr;
    MxDllTextFn m_description = nullptr;
    MxDllTextFn m_language = nullptr;
};

// A library of destination drivers.
class TMxDestDllLoader : public TMxDllLoader {
    MX_CLASS(TMxDestDllLoader)
public:
    explicit TMxDestDllLoader(TMxItem* owner = nullptr);
    void BindProcs() override;
    // The library's driver for that destination type, or none. The driver
    // holds a share of the library.
    std::shared_ptr<TIMxDestDriver> GetDestDriver(const QString& destName) const;

private:
    MxGetDestDriverFn m_getDestDriver = nullptr;
};

// The database-engine library; at most one exists in the process.
class TMxDBEngDllLoader : public TMxDestDllLoader {
    MX_CLASS(TMxDBEngDllLoader)
public:
    // Raises "Try to load more than one database driver" when one exists.
    explicit TMxDBEngDllLoader(TMxItem* owner = nullptr);
    ~TMxDBEngDllLoader() override;
    void BindProcs() override;
    // The library's database driver (none when it gives none).
    TIMxDriver* GetDriver() const;
    QString GetDestFileName() const;
    QString GetDatasourceFileName() const;

    // The engine library of the process, or none.
    static TMxDBEngDllLoader* Instance();

private:
    GetMxDriverFn m_getDriver = nullptr;
    MxDllTextFn m_destFileName = nullptr;
    MxDllTextFn m_datasourceFileName = nullptr;
};

class TDllLoaderList : public TMxTypedList<TDllLoader> {
    MX_CLASS(TDllLoaderList)
public:
    explicit TDllLoaderList(TMxItem* owner = nullptr);
    // The loader of that module, with or without its extension; none.
    TDllLoader* FindLoader(const QString& moduleName) const;
    TDllLoader* GetItem(int index) const { return Items(index); }
};

// The process-wide list, made on first use.
TDllLoaderList& DllLoaders();
// The list when it exists.
TDllLoaderList* DllLoadersIfAny();
// Frees every loader and the list (the libraries are unloaded once nothing
// of theirs is left).
void FreeDllLoaders();

} // namespace mx
