#pragma once
// Language components. User-interface texts are written in French; a text
// that begins with the cookie ("|") is a key, which the process's single
// language component replaces by its translation when a form is loaded.
// Texts built at run time go through Translate (see global.h).
//
// Forms are QObject trees: TranslateForm walks the form and every object
// below it and translates their QString and QStringList properties. Texts
// that are no properties (the items of a combo box, a list, the tabs of a
// tab widget) are reached through TranslateItemTextsHook, which the
// user-interface layer fills.

#include "engine/core/hookslot.h"

#include <QMetaProperty>
#include <QPointer>
#include <QString>

#include <functional>

class QObject;

namespace mx {

// Property kinds a component translates.
enum TTranslateKind : unsigned {
    tkLString = 1, // QString properties
    tkClass = 2,   // QStringList properties (the string lists of a form)
};

class TCustomLang {
public:
    using StringRoutine = std::function<void(QString& text)>;
    using PropertyRoutine = std::function<void(QObject* component, const QMetaProperty& property)>;

    // Becomes LangInstance; raises when there is one already.
    explicit TCustomLang(QObject* owner = nullptr);
    virtual ~TCustomLang();
    TCustomLang(const TCustomLang&) = delete;
    TCustomLang& operator=(const TCustomLang&) = delete;

    QObject* Owner() const { return m_owner; }

    // Published properties.
    bool Active() const { return m_active; }
    void SetActive(bool value);
    const QString& BaseName() const { return m_baseName; }
    void SetBaseName(const QString& value);
    const QString& Cookie() const { return m_cookie; }
    void SetCookie(const QString& value);
    const QString& Language() const { return m_language; }
    void SetLanguage(const QString& value);
    bool AutoAppend() const { return m_autoAppend; }
    void SetAutoAppend(bool value) { m_autoAppend = value; }

    void CheckActive() const;
    void SelectKeyword(const QString& keyword);
    QString GetTranslation();
    // SelectKeyword, then GetTranslation: the same text twice in a row
    // reaches the library once.
    QString Translate(const QString& text);
    const QString& CurrentKeyword() const { return m_keyword; }
    bool KeywordSelected() const { return m_keywordSelected; }
    bool LanguageSelected() const { return m_languageSelected; }

    virtual void AddKeyword(const QString& keyword);
    virtual void DeleteKeyword();
    virtual void AddLanguage(const QString& language);
    virtual void DeleteLanguage();

    // kinds 0: the default (tkLString | tkClass); an empty routine:
    // TranslateCookieText.
    void SetTranslateRoutine(unsigned kinds, StringRoutine routine, PropertyRoutine onTranslateProperty = {});

    void TranslateForm(QObject* form);
    void TranslateComponent(QObject* component);
    void TranslateOwnerForm();
    // A text beginning with the cookie (ignoring case) becomes the
    // translation of the rest; any other text is left alone.
    void TranslateCookieText(QString& text);
    bool Translating() const { return m_translating; }

    // Loading: between BeginLoading and Loaded, SetActive only records the
    // wish and SetLanguage does not check the language; Loaded then opens
    // and translates the owner's form.
    void BeginLoading() { m_loading = true; }
    virtual void Loaded();
    bool Loading() const { return m_loading; }

protected:
    virtual void DoSetBaseName(const QString&) {}
    virtual bool LanguageExists(const QString&) { return false; }
    virtual bool KeywordExists(const QString&) { return false; }
    virtual void DoSetLanguage(const QString&) {}
    virtual void DoSelectKeyword(const QString&) {}
    virtual void ReadTranslation(QString&) {}
    virtual void WriteTranslation(const QString&) {}
    virtual void Open();
    virtual void Close();
    virtual void Reopen() {}
    virtual void ListLanguages(QStringList&) {}
    virtual void ListKeywords(QStringList&) {}

    void SetActiveFlag(bool on) { m_active = on; }

private:
    void applyRoutine(QString& text);

    QPointer<QObject> m_owner;
    bool m_active = false;
    bool m_activeRecorded = false;
    bool m_loading = false;
    bool m_translating = false;
    bool m_languageSelected = false;
    bool m_keywordSelected = false;
    bool m_reRead = true;
    QString m_baseName;
    QString m_cookie = QStringLiteral("|");
    QString m_language;
    bool m_autoAppend = true;
    QString m_keyword;
    QString m_translation;
    QString m_previousCookie;
    unsigned m_kinds = tkLString | tkClass;
    StringRoutine m_routine;
    PropertyRoutine m_onTranslateProperty;
};

// The process's language component, or none.
TCustomLang* LangInstance();

// Texts of an object that are no properties: the user-interface layer
// passes each to the routine and writes back those that changed.
extern THookSlot<void(QObject* object, const TCustomLang::StringRoutine& routine)> TranslateItemTextsHook;

// What a form does when it has been built: translate itself through
// LangInstance. Raises when there is no language component ("There is no
// Lang component available to perform translation") or no form.
void LangClientLoaded(QObject* form);
// The same, but never raises: without a language component, or when the
// translation fails, the texts still marked lose their cookie and show in
// French. For windows that must come up whatever happens (the error window).
void LangClientLoadedOrPlain(QObject* form) noexcept;
// Removes the leading cookie from every marked text of the form.
void StripCookies(QObject* form, const QString& cookie = QStringLiteral("|"));

} // namespace mx
