#pragma once
// Plug-in libraries. A library is only ever opened by an absolute file
// name that exists: never by a bare name (which would search the library
// path) and never by an empty one (which would give the main program).

#include <QString>

#include <memory>

namespace platform {

class SharedLibrary {
public:
    // The library, or none (error, when given, says why).
    static std::unique_ptr<SharedLibrary> load(const QString& absolutePath, QString* error = nullptr);

    // The address of an exported symbol; nullptr when there is none.
    void* symbol(const char* name) const;
    template <class Fn>
    Fn function(const char* name) const
    {
        return reinterpret_cast<Fn>(symbol(name));
    }
    QString fileName() const { return m_fileName; }

    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // How many times the system loader was asked to open a library since
    // start (for tests: proves that no load was attempted).
    static int loadAttempts();

    // The file name of a plug-in that the programs name "X.DLL" or bare
    // "X": "X.so"; a name ending in ".so" stays as it is, and so does an
    // empty one.
    static QString pluginFileName(const QString& name);

private:
    SharedLibrary(void* handle, QString fileName) : m_handle(handle), m_fileName(std::move(fileName)) {}
    void* m_handle;
    QString m_fileName;
};

} // namespace platform
