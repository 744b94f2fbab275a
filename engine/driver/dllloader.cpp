#include "dllloader.h"

#include "destdriver.h"
#include "driver.h"
#include "rootdir.h"

#include "engine/core/exceptions.h"
#include "engine/core/format.h"
#include "engine/core/userservice.h"

#include "platform/core/sharedlibrary.h"

#include <QDir>
#include <QFileInfo>

namespace mx {
namespace {

TDllLoaderList* g_loaders = nullptr;
TMxDBEngDllLoader* g_engineLoader = nullptr;

bool hasFolder(const QString& name)
{
    return name.contains(u'/');
}

QString textOf(MxDllTextFn fn)
{
    if (!fn)
        return {};
    const char* text = fn();
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

QString PluginModuleFileName(const QString& moduleName)
{
    if (moduleName.isEmpty())
        return {};
    const qsizetype slash = moduleName.lastIndexOf(u'/');
    const QString folder = moduleName.left(slash + 1);
    QString file = moduleName.mid(slash + 1);
    if (file.endsWith(QLatin1String(".DLL"), Qt::CaseInsensitive))
        file.chop(4);
    else if (file.endsWith(QLatin1String(".so")))
        file.chop(3);
    else if (file.contains(u'.'))
        return moduleName; // another extension: the name as given
    if (file.isEmpty())
        return {};
    return folder + file + QStringLiteral(".so");
}

// ---------------------------------------------------------------------------

static void describeLoaderList(ClassBuilder<TDllLoaderList>& c)
{
    c.items<TDllLoader>();
}

MX_DEFINE_CLASS(TDllLoader, TMxItem, nullptr)
MX_DEFINE_CLASS(TMxDllLoader, TDllLoader, nullptr)
MX_DEFINE_CLASS(TMxDestDllLoader, TMxDllLoader, nullptr)
MX_DEFINE_CLASS(TMxDBEngDllLoader, TMxDestDllLoader, nullptr)
MX_DEFINE_CLASS(TDllLoaderList, TMxList, describeLoaderList)

TDllLoader::TDllLoader(TMxItem* owner) : TMxItem(owner) {}

TDllLoader::~TDllLoader()
{
    unload();
}

void TDllLoader::BeforeDestruction()
{
    unload();
}

void TDllLoader::unload() noexcept
{
    try {
        m_library.reset();
    } catch (const std::exception& e) {
        try {
            UserService().MessageDlg(QStringLiteral("TDllLoader.Destroy : ") + ExceptionMessage(e), TMsgDlgType::mtError, mbOK);
        } catch (...) {
        }
    } catch (...) {
    }
}

QString TDllLoader::FileName() const
{
    return m_library ? m_library->fileName() : QString();
}

void TDllLoader::Load()
{
    if (m_library)
        return;
    m_loadError.clear();
    try {
        const QString file = PluginModuleFileName(GetName());
        SetName(file);
        QString path;
        QString why;
        if (file.isEmpty()) {
            why = QStringLiteral("no library name");
        } else if (hasFolder(file)) {
            path = QFileInfo(file).absoluteFilePath();
        } else {
            const QString root = DriverRootDir();
            if (root.isEmpty())
                why = QStringLiteral("no installation folder");
            else
                path = root + file;
        }
        std::shared_ptr<platform::SharedLibrary> library;
        if (!path.isEmpty())
            library = platform::SharedLibrary::load(path, &why);
        if (!library)
            throw Exception(Format(QStringLiteral("Can not load library %s\nExit code=%s"), {file, why}));
        m_library = std::move(library);
        BindProcs();
    } catch (const std::exception& e) {
        m_loadError = ExceptionMessage(e);
        throw;
    }
}

void TDllLoader::BindProcs() {}

void* TDllLoader::GetProc(const char* procName) const
{
    void* address = m_library ? m_library->symbol(procName) : nullptr;
    if (!address)
        throw Exception(Format(QStringLiteral("Proc %s not found in module %s"), {QString::fromLatin1(procName), GetName()}));
    return address;
}

void TDllLoader::RaiseNotInitialized(const QString& name) const
{
    QString text = Format(QStringLiteral("Function not initialized : %s"), {name});
    if (!m_loadError.isEmpty())
        text += u'\n' + m_loadError;
    throw Exception(text);
}

// ---------------------------------------------------------------------------

TMxDllLoader::TMxDllLoader(TMxItem* owner) : TDllLoader(owner) {}

void TMxDllLoader::BindProcs()
{
    TDllLoader::BindProcs();
    m_name = reinterpret_cast<MxDllTextFn>(GetProc("MxDllName"));
    m_version = reinterpret_cast<MxDllTextFn>(GetProc("MxDllVersion"));
    m_description = reinterpret_cast<MxDllTextFn>(GetProc("MxDllDescription"));
    m_language = reinterpret_cast<MxDllTextFn>(GetProc("MxDllLanguage"));
}

QString TMxDllLoader::GetDllName() const
{
    return textOf(m_name);
}

QString TMxDllLoader::GetDllVersion() const
{
    return textOf(m_version);
}

QString TMxDllLoader::GetDllDescription() const
{
    return textOf(m_description);
}

// ---------------------------------------------------------------------------

TMxDestDllLoader::TMxDestDllLoader(TMxItem* owner) : TMxDllLoader(owner) {}

void TMxDestDllLoader::BindProcs()
{
    TMxDllLoader::BindProcs();
    m_getDestDriver = reinterpret_cast<MxGetDestDriverFn>(GetProc("MxGetDestDriver"));
}

std::shared_ptr<TIMxDestDriver> TMxDestDllLoader::GetDestDriver(const QString& destName) const
{
    if (!m_getDestDriver)
        RaiseNotInitialized(QStringLiteral("MxDestDriver"));
    const QByteArray name = destName.toUtf8();
    TIMxDestDriver* driver = m_getDestDriver(name.constData());
    if (!driver)
        return nullptr;
    // The driver's code is the library's: the library stays loaded until
    // the driver is gone.
    std::shared_ptr<platform::SharedLibrary> library = Library();
    return std::shared_ptr<TIMxDestDriver>(driver, [library](TIMxDestDriver* d) { delete d; });
}

// ---------------------------------------------------------------------------

TMxDBEngDllLoader::TMxDBEngDllLoader(TMxItem* owner) : TMxDestDllLoader(owner)
{
    if (g_engineLoader)
        throw Exception(QStringLiteral("Try to load more than one database driver"));
    g_engineLoader = this;
}

TMxDBEngDllLoader::~TMxDBEngDllLoader()
{
    if (g_engineLoader == this)
        g_engineLoader = nullptr;
}

TMxDBEngDllLoader* TMxDBEngDllLoader::Instance()
{
    return g_engineLoader;
}

void TMxDBEngDllLoader::BindProcs()
{
    TMxDestDllLoader::BindProcs();
    m_getDriver = reinterpret_cast<GetMxDriverFn>(GetProc("GetMxDriver"));
    m_destFileName = reinterpret_cast<MxDllTextFn>(GetProc("GetDestFileName"));
    m_datasourceFileName = reinterpret_cast<MxDllTextFn>(GetProc("GetDatasourceFileName"));
}

TIMxDriver* TMxDBEngDllLoader::GetDriver() const
{
    if (!m_getDriver)
        RaiseNotInitialized(QStringLiteral("GetMxDriver"));
    return m_getDriver();
}

QString TMxDBEngDllLoader::GetDestFileName() const
{
    if (!m_destFileName)
        RaiseNotInitialized(QStringLiteral("GetDestFileName"));
    return textOf(m_destFileName);
}

QString TMxDBEngDllLoader::GetDatasourceFileName() const
{
    if (!m_datasourceFileName)
        RaiseNotInitialized(QStringLiteral("GetDatasourceFileName"));
    return textOf(m_datasourceFileName);
}

// ---------------------------------------------------------------------------

TDllLoaderList::TDllLoaderList(TMxItem* owner) : TMxTypedList<TDllLoader>(owner) {}

TDllLoader* TDllLoaderList::FindLoader(const QString& moduleName) const
{
    const QString file = PluginModuleFileName(moduleName);
    if (file.isEmpty())
        return nullptr;
    for (TMxItem* item : *this) {
        const QString name = item->GetName();
        if (name == file || PluginModuleFileName(name) == file)
            return static_cast<TDllLoader*>(item);
    }
    return nullptr;
}

TDllLoaderList& DllLoaders()
{
    if (!g_loaders)
        g_loaders = new TDllLoaderList(nullptr);
    return *g_loaders;
}

TDllLoaderList* DllLoadersIfAny()
{
    return g_loaders;
}

void FreeDllLoaders()
{
    TDllLoaderList* list = std::exchange(g_loaders, nullptr);
    TMxItem::Free(list);
}

} // namespace mx
