#pragma once
// The language component of both programs: translations come from the
// language library's Traduce (see langlibrary.h). Without the library, or
// without Traduce in it, every text is its own translation; that is no
// error. Every language and every keyword exists for an active component.

#include "lang.h"
#include "langlibrary.h"

#include <memory>

namespace platform {
class SharedLibrary;
}

namespace mx {

class TDllLang : public TCustomLang {
public:
    explicit TDllLang(QObject* owner = nullptr);
    ~TDllLang() override;

    // The library file: BaseName as given. A name ending in ".DLL" is the
    // shared object ".so" of the same name. Only an absolute name of a file
    // that exists is ever loaded.
    const QString& DllPath() const { return m_dllPath; }
    bool LibraryLoaded() const { return m_library != nullptr; }
    bool HasTraduce() const { return m_traduce != nullptr; }

    void AddKeyword(const QString& keyword) override;
    void AddLanguage(const QString& language) override;

protected:
    void DoSetBaseName(const QString& name) override;
    bool LanguageExists(const QString& language) override;
    bool KeywordExists(const QString& keyword) override;
    void ReadTranslation(QString& text) override;
    void Open() override;
    void Close() override;
    void Reopen() override;
    void ListLanguages(QStringList& list) override;
    void ListKeywords(QStringList& list) override;

private:
    QString m_dllPath;
    std::unique_ptr<platform::SharedLibrary> m_library;
    MxTraduceFn m_traduce = nullptr;
};

} // namespace mx
