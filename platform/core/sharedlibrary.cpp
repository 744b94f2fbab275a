#include "sharedlibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>

#include <dlfcn.h>

namespace platform {
namespace {

std::atomic<int> g_attempts{0};

} // namespace

std::unique_ptr<SharedLibrary> SharedLibrary::load(const QString& absolutePath, QString* error)
{
    auto fail = [&](const QString& why) -> std::unique_ptr<SharedLibrary> {
        if (error)
            *error = why;
        return nullptr;
    };
    if (absolutePath.isEmpty())
        return fail(QStringLiteral("no library name"));
    if (!QDir::isAbsolutePath(absolutePath))
        return fail(QStringLiteral("%1 is not an absolute file name").arg(absolutePath));
    if (!QFileInfo(absolutePath).isFile())
        return fail(QStringLiteral("%1 does not exist").arg(absolutePath));
    ++g_attempts;
    const QByteArray name = QFile::encodeName(absolutePath);
    void* h = ::dlopen(name.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        const char* msg = ::dlerror();
        return fail(QString::fromLocal8Bit(msg ? msg : "cannot load the library"));
    }
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(h, absolutePath));
}

void* SharedLibrary::symbol(const char* name) const
{
    return m_handle ? ::dlsym(m_handle, name) : nullptr;
}

SharedLibrary::~SharedLibrary()
{
    if (m_handle)
        ::dlclose(m_handle);
}

int SharedLibrary::loadAttempts()
{
    return g_attempts.load();
}

QString SharedLibrary::pluginFileName(const QString& name)
{
    if (name.isEmpty())
        return {};
    if (name.endsWith(QLatin1String(".so")))
        return name;
    QString base = name;
    if (base.endsWith(QLatin1String(".DLL"), Qt::CaseInsensitive))
        base.chop(4);
    return base + QStringLiteral(".so");
}

} // namespace platform
