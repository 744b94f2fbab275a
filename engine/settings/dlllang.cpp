#include "dlllang.h"

#include "texttables.h"

#include "engine/core/exceptions.h"

#include "platform/core/sharedlibrary.h"

#include <QDir>
#include <QFileInfo>

namespace mx {
namespace {

constexpr long long kMaxTranslation = 1 << 20;

QString libraryFile(const QString& dllPath)
{
    if (dllPath.isEmpty())
        return {};
    const QFileInfo fi(dllPath);
    const QString file = platform::SharedLibrary::pluginFileName(fi.fileName());
    const QString dir = dllPath.left(dllPath.size() - fi.fileName().size());
    return dir + file;
}

} // namespace

TDllLang::TDllLang(QObject* owner) : TCustomLang(owner) {}

TDllLang::~TDllLang()
{
    try {
        Close();
    } catch (...) {
    }
}

void TDllLang::DoSetBaseName(const QString& name)
{
    m_dllPath = name;
}

bool TDllLang::LanguageExists(const QString&)
{
    CheckActive();
    return true;
}

bool TDllLang::KeywordExists(const QString&)
{
    CheckActive();
    return true;
}

void TDllLang::ReadTranslation(QString& text)
{
    const QString keyword = CurrentKeyword();
    // What the library does not translate comes from the program's own
    // table of the language (settings/texttables.h), else stays as it is.
    const auto untranslated = [&] {
        const QString own = BuiltInTranslation(Language().left(2), keyword);
        return own.isNull() ? keyword : own;
    };
    if (!m_traduce) {
        text = untranslated();
        return;
    }
    try {
        const QByteArray key = keyword.toUtf8();
        QByteArray buf(256, '\0');
        long long n = m_traduce(key.constData(), buf.data(), buf.size());
        if (n >= buf.size() && n <= kMaxTranslation) {
            buf.resize(qsizetype(n + 1));
            n = m_traduce(key.constData(), buf.data(), buf.size());
        }
        if (n == MX_TRADUCE_NOT_FOUND) {
            text = untranslated();
            return;
        }
        if (n < 0)
            throw Exception(QStringLiteral("the language library failed"));
        if (n >= buf.size())
            throw Exception(QStringLiteral("the translation is too long"));
        text = QString::fromUtf8(buf.constData(), qsizetype(n));
    } catch (const std::exception& e) {
        throw Exception(QStringLiteral("Cannot translate %1: %2").arg(keyword, ExceptionMessage(e)));
    }
}

void TDllLang::Open()
{
    if (Active())
        return;
    try {
        const QString file = libraryFile(m_dllPath);
        if (!file.isEmpty() && QDir::isAbsolutePath(file) && QFileInfo(file).isFile()) {
            m_library = platform::SharedLibrary::load(file);
            if (m_library)
                m_traduce = m_library->function<MxTraduceFn>("Traduce");
        }
    } catch (...) {
        m_traduce = nullptr;
        m_library.reset();
    }
    TCustomLang::Open();
}

void TDllLang::Close()
{
    if (!Active())
        return;
    m_traduce = nullptr;
    try {
        m_library.reset();
    } catch (...) {
    }
    TCustomLang::Close();
}

void TDllLang::Reopen()
{
    Close();
    Open();
}

void TDllLang::ListLanguages(QStringList& list)
{
    list.clear();
    CheckActive();
}

void TDllLang::ListKeywords(QStringList& list)
{
    list.clear();
    CheckActive();
}

void TDllLang::AddKeyword(const QString& keyword)
{
    TCustomLang::AddKeyword(keyword);
    SelectKeyword(keyword);
}

void TDllLang::AddLanguage(const QString& language)
{
    TCustomLang::AddLanguage(language);
    SetLanguage(language);
}

} // namespace mx
