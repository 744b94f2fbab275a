#include "lang.h"

#include "engine/core/exceptions.h"

#include <QMetaObject>
#include <QObject>
#include <QStringList>
#include <QVariant>

#include <atomic>

namespace mx {
namespace {

std::atomic<TCustomLang*> g_instance{nullptr};

bool skippedProperty(const char* name)
{
    static const char* const skipped[] = {"objectName", "styleSheet", "inputMask", "windowFilePath", "accessibleName", "accessibleDescription"};
    for (const char* s : skipped)
        if (qstrcmp(name, s) == 0)
            return true;
    return false;
}

// Calls fn for every translatable property of an object.
template <class Fn>
void forEachTextProperty(QObject* obj, unsigned kinds, Fn fn)
{
    const QMetaObject* mo = obj->metaObject();
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (!p.isReadable() || !p.isWritable() || skippedProperty(p.name()))
            continue;
        const int type = p.metaType().id();
        if ((type == QMetaType::QString && (kinds & tkLString)) || (type == QMetaType::QStringList && (kinds & tkClass)))
            fn(p);
    }
}

// Applies a string routine to one property, writing back only what changed.
void applyToProperty(QObject* obj, const QMetaProperty& p, const TCustomLang::StringRoutine& routine)
{
    const QVariant v = p.read(obj);
    if (p.metaType().id() == QMetaType::QString) {
        const QString old = v.toString();
        QString s = old;
        routine(s);
        if (s != old)
            p.write(obj, s);
    } else {
        const QStringList old = v.toStringList();
        QStringList lines = old;
        for (QString& l : lines)
            routine(l);
        if (lines != old)
            p.write(obj, lines);
    }
}

// The form that holds an object: the nearest dialog or main window above
// it, else the topmost object.
QObject* formOf(QObject* obj)
{
    QObject* o = obj;
    while (o->parent()) {
        if (o->inherits("QDialog") || o->inherits("QMainWindow"))
            return o;
        o = o->parent();
    }
    return o;
}

void walk(QObject* form, const std::function<void(QObject*)>& fn)
{
    fn(form);
    const QList<QObject*> children = form->findChildren<QObject*>(QString(), Qt::FindChildrenRecursively);
    for (QObject* c : children)
        fn(c);
}

bool startsWithCookie(const QString& text, const QString& cookie)
{
    return !cookie.isEmpty() && text.startsWith(cookie, Qt::CaseInsensitive);
}

} // namespace

THookSlot<void(QObject*, const TCustomLang::StringRoutine&)> TranslateItemTextsHook;

TCustomLang* LangInstance()
{
    return g_instance.load();
}

TCustomLang::TCustomLang(QObject* owner) : m_owner(owner)
{
    TCustomLang* expected = nullptr;
    if (!g_instance.compare_exchange_strong(expected, this))
        throw Exception(QStringLiteral("Cannot create more than one Lang Component. Use Lang Clients"));
}

TCustomLang::~TCustomLang()
{
    try {
        TCustomLang::Close();
    } catch (...) {
    }
    TCustomLang* self = this;
    g_instance.compare_exchange_strong(self, nullptr);
}

void TCustomLang::SetActive(bool value)
{
    if (m_loading) {
        m_activeRecorded = value;
        return;
    }
    if (value == m_active)
        return;
    if (value)
        Open();
    else
        Close();
}

void TCustomLang::CheckActive() const
{
    if (!m_active)
        throw Exception(QStringLiteral("Component must be active to perform operation"));
}

void TCustomLang::SetBaseName(const QString& value)
{
    if (value == m_baseName)
        return;
    if (!m_loading && m_active)
        throw Exception(QStringLiteral("Cannot change baseName while activated"));
    DoSetBaseName(value);
    m_baseName = value;
}

void TCustomLang::SetLanguage(const QString& value)
{
    if (value == m_language)
        return;
    if (!m_loading && !value.isEmpty() && !LanguageExists(value))
        throw Exception(QStringLiteral("Language is not in the database: ") + value);
    DoSetLanguage(value);
    m_languageSelected = true;
    m_reRead = true;
    m_language = value;
}

void TCustomLang::SelectKeyword(const QString& keyword)
{
    if (keyword != m_keyword) {
        if (!KeywordExists(keyword)) {
            if (!m_autoAppend)
                throw Exception(QStringLiteral("keyword is not in the database: ") + keyword);
            AddKeyword(keyword);
        }
        DoSelectKeyword(keyword);
        m_reRead = true;
        m_keyword = keyword;
    }
    m_keywordSelected = true;
}

QString TCustomLang::GetTranslation()
{
    if (!m_keywordSelected || !m_languageSelected)
        throw Exception(QStringLiteral("No keyword or language selected"));
    if (m_reRead) {
        QString text;
        ReadTranslation(text);
        m_translation = text;
        m_reRead = false;
    }
    return m_translation;
}

QString TCustomLang::Translate(const QString& text)
{
    SelectKeyword(text);
    return GetTranslation();
}

void TCustomLang::AddKeyword(const QString& keyword)
{
    if (KeywordExists(keyword))
        throw Exception(QStringLiteral("Keyword already in base"));
    m_keywordSelected = false;
}

void TCustomLang::DeleteKeyword()
{
    if (!m_keywordSelected)
        throw Exception(QStringLiteral("No keyword selected"));
    m_keywordSelected = false;
}

void TCustomLang::AddLanguage(const QString& language)
{
    if (LanguageExists(language))
        throw Exception(QStringLiteral("Language already in base"));
    m_languageSelected = false;
}

void TCustomLang::DeleteLanguage()
{
    if (!m_languageSelected)
        throw Exception(QStringLiteral("No Language selected"));
    m_languageSelected = false;
}

void TCustomLang::Open()
{
    m_active = true;
}

void TCustomLang::Close()
{
    m_active = false;
    m_keywordSelected = false;
    m_keyword.clear();
    // The cached translation belongs to the keyword just dropped.
    m_reRead = true;
}

void TCustomLang::SetTranslateRoutine(unsigned kinds, StringRoutine routine, PropertyRoutine onTranslateProperty)
{
    m_kinds = kinds == 0 ? (tkLString | tkClass) : kinds;
    m_routine = std::move(routine);
    m_onTranslateProperty = std::move(onTranslateProperty);
}

void TCustomLang::applyRoutine(QString& text)
{
    if (m_routine)
        m_routine(text);
    else
        TranslateCookieText(text);
}

void TCustomLang::TranslateCookieText(QString& text)
{
    if (startsWithCookie(text, m_cookie))
        text = Translate(text.mid(m_cookie.size()));
}

void TCustomLang::TranslateComponent(QObject* component)
{
    if (!component)
        return;
    const StringRoutine routine = [this](QString& t) { applyRoutine(t); };
    forEachTextProperty(component, m_kinds, [&](const QMetaProperty& p) {
        if (m_onTranslateProperty)
            m_onTranslateProperty(component, p);
        else
            applyToProperty(component, p, routine);
    });
    if (TranslateItemTextsHook)
        TranslateItemTextsHook(component, routine);
}

void TCustomLang::TranslateForm(QObject* form)
{
    if (!form)
        return;
    const bool was = m_translating;
    m_translating = true;
    try {
        walk(form, [this](QObject* o) { TranslateComponent(o); });
    } catch (...) {
        m_translating = was;
        throw;
    }
    m_translating = was;
}

void TCustomLang::TranslateOwnerForm()
{
    if (!m_owner)
        throw EInvalidOperation(QStringLiteral("No Owner assigned, cannot translate"));
    TranslateForm(formOf(m_owner));
}

void TCustomLang::SetCookie(const QString& value)
{
    if (value.isEmpty() || value == m_cookie)
        return;
    m_previousCookie = m_cookie;
    m_cookie = value;
    if (!m_owner)
        return; // nothing of ours to re-mark
    StringRoutine saved = m_routine;
    m_routine = [this](QString& text) {
        if (text.size() > m_previousCookie.size() && startsWithCookie(text, m_previousCookie))
            text = m_cookie + text.mid(m_previousCookie.size());
    };
    try {
        TranslateOwnerForm();
    } catch (...) {
        m_routine = saved;
        throw;
    }
    m_routine = saved;
}

void TCustomLang::Loaded()
{
    if (!m_loading)
        return;
    m_loading = false;
    if (m_activeRecorded) {
        m_activeRecorded = false;
        const QString language = m_language;
        m_language.clear();
        SetActive(true);
        SetLanguage(language);
        if (m_owner)
            TranslateOwnerForm();
    }
}

void LangClientLoaded(QObject* form)
{
    TCustomLang* lang = LangInstance();
    if (!lang)
        throw Exception(QStringLiteral("There is no Lang component available to perform translation"));
    if (!form)
        throw EInvalidOperation(QStringLiteral("No Owner assigned, cannot translate"));
    lang->TranslateForm(form);
}

void StripCookies(QObject* form, const QString& cookie)
{
    if (!form || cookie.isEmpty())
        return;
    const TCustomLang::StringRoutine strip = [&cookie](QString& t) {
        if (startsWithCookie(t, cookie))
            t.remove(0, cookie.size());
    };
    walk(form, [&](QObject* o) {
        forEachTextProperty(o, tkLString | tkClass, [&](const QMetaProperty& p) { applyToProperty(o, p, strip); });
        if (TranslateItemTextsHook)
            TranslateItemTextsHook(o, strip);
    });
}

void LangClientLoadedOrPlain(QObject* form) noexcept
{
    if (!form)
        return;
    QString cookie = QStringLiteral("|");
    try {
        if (TCustomLang* lang = LangInstance())
            cookie = lang->Cookie();
        LangClientLoaded(form);
        return;
    } catch (...) {
    }
    try {
        StripCookies(form, cookie);
    } catch (...) {
    }
}

} // namespace mx
