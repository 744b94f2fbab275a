#include "settingsfixture.h"

#include "engine/settings/dlllang.h"

#include "platform/core/sharedlibrary.h"

#include <QObject>

#include <dlfcn.h>

using namespace mx;

namespace {

// The call counter of the test library loaded from path (the same loaded
// copy the component uses).
long long traduceCalls(const QString& path)
{
    void* h = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_NOLOAD);
    if (!h)
        return -1;
    auto count = reinterpret_cast<long long (*)()>(dlsym(h, "TraduceCallCount"));
    const long long n = count ? count() : -1;
    dlclose(h);
    return n;
}

class Language : public mxtest::SettingsTest {
protected:
    std::unique_ptr<TDllLang> Open(const QString& baseName, const QString& language = QStringLiteral("English"))
    {
        auto l = std::make_unique<TDllLang>();
        l->SetBaseName(baseName);
        l->SetActive(true);
        l->SetLanguage(language);
        return l;
    }
};

// A form of plain objects with text properties, as the walker sees widgets.
class Label : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(QStringList lines READ lines WRITE setLines)
    Q_PROPERTY(QString styleSheet READ styleSheet WRITE setStyleSheet)
    Q_PROPERTY(QString readOnlyText READ readOnlyText)
public:
    explicit Label(QObject* parent, const QString& text = {}) : QObject(parent), m_text(text) {}
    QString text() const { return m_text; }
    void setText(const QString& t)
    {
        m_text = t;
        ++writes;
    }
    QStringList lines() const { return m_lines; }
    void setLines(const QStringList& l) { m_lines = l; }
    QString styleSheet() const { return m_style; }
    void setStyleSheet(const QString& s) { m_style = s; }
    QString readOnlyText() const { return QStringLiteral("|Erreur"); }
    int writes = 0;

private:
    QString m_text;
    QStringList m_lines;
    QString m_style;
};

} // namespace

TEST_F(Language, TranslatesThroughTheLibraryWithAOneEntryCache)
{
    const QString lib = InstallLanguageLibrary();
    auto l = Open(Path("root/MXTR32.DLL")); // the programs' name for it
    ASSERT_TRUE(l->LibraryLoaded());
    ASSERT_TRUE(l->HasTraduce());
    EXPECT_EQ(l->DllPath(), Path("root/MXTR32.DLL"));

    EXPECT_EQ(l->Translate("Ignorer"), "Ignore");
    const long long after1 = traduceCalls(lib);
    EXPECT_EQ(l->Translate("Ignorer"), "Ignore");
    EXPECT_EQ(traduceCalls(lib), after1) << "the same text twice reaches the library once";
    l->SetLanguage("Deutsch");
    EXPECT_EQ(l->Translate("Ignorer"), "Ignore");
    EXPECT_EQ(traduceCalls(lib), after1 + 1) << "a new language makes the cache stale";

    EXPECT_EQ(l->Translate("Pas dans la table"), "Pas dans la table"); // unknown: the key itself
    EXPECT_EQ(l->Translate(""), "(empty key)");
    EXPECT_TRUE(l->Translate("Long").endsWith(" end")); // longer than the first buffer
    EXPECT_GT(l->Translate("Long").size(), 256);
    try {
        l->Translate("Boom");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.className(), "Exception");
        EXPECT_EQ(e.message(), "Cannot translate Boom: the language library failed");
    }
}

TEST_F(Language, CloseDropsTheCachedTranslation)
{
    InstallLanguageLibrary();
    auto l = Open(Path("root/MXTR32.so"));
    EXPECT_EQ(l->Translate("Erreur"), "Error");
    l->SetActive(false);
    l->SetActive(true);
    // The cookie-only caption asks for the empty key, which is now also the
    // current keyword: it must not give the previous keyword's translation.
    EXPECT_EQ(l->Translate(""), "(empty key)");
}

TEST_F(Language, WithoutALibraryEveryTextIsItsKey)
{
    const int before = platform::SharedLibrary::loadAttempts();
    for (const QString& base : {QString(), QStringLiteral("MXTR32.DLL"), Path("root/MXTR32.DLL"), QStringLiteral("relative/MXTR32.so")}) {
        SCOPED_TRACE(base.toStdString());
        auto l = Open(base);
        EXPECT_TRUE(l->Active());
        EXPECT_FALSE(l->LibraryLoaded());
        EXPECT_EQ(l->Translate("Etape %d"), "Etape %d");
    }
    EXPECT_EQ(platform::SharedLibrary::loadAttempts(), before) << "no load of a missing, bare or empty name";

    // A library without Traduce: loaded, every text its key.
    const QString notALibrary = Path("root/MXTR32.so");
    mxtest::WriteAll(notALibrary, "not an ELF file");
    auto l = Open(notALibrary);
    EXPECT_FALSE(l->LibraryLoaded());
    EXPECT_TRUE(l->Active());
    EXPECT_EQ(l->Translate("Erreur"), "Erreur");
}

TEST_F(Language, ComponentRules)
{
    auto l = Open(QString());
    try {
        TDllLang second;
        FAIL() << "a second component was created";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "Cannot create more than one Lang Component. Use Lang Clients");
    }
    EXPECT_EQ(LangInstance(), l.get());
    EXPECT_THROW(l->SetBaseName("/x/MXTR32.so"), Exception);
    try {
        l->SetBaseName("/x/MXTR32.so");
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "Cannot change baseName while activated");
    }
    EXPECT_NO_THROW(l->SetBaseName(QString())); // equal: nothing
    try {
        l->AddKeyword("Nouveau");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "Keyword already in base");
    }
    try {
        l->AddLanguage("Deutsch");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "Language already in base");
    }
    l->SetActive(false);
    try {
        l->SetLanguage("Deutsch");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "Component must be active to perform operation");
    }
    l.reset();
    EXPECT_EQ(LangInstance(), nullptr);

    // Nothing selected: translation fails plainly.
    TDllLang fresh;
    fresh.SetActive(true);
    try {
        fresh.Translate("Erreur");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "No keyword or language selected");
    }
}

TEST_F(Language, TranslatesAFormOnceAndLeavesUnmarkedTextsAlone)
{
    InstallLanguageLibrary();
    QObject form;
    form.setObjectName("|Erreur"); // never translated
    auto* a = new Label(&form, "|Erreur");
    auto* b = new Label(&form, "Erreur");
    auto* c = new Label(a, "|");
    auto* d = new Label(&form, "|Pas dans la table");
    a->setLines({"|Ok", "Ok", "|Annuler"});
    a->setStyleSheet("|Erreur");
    a->writes = b->writes = 0;

    auto l = Open(Path("root/MXTR32.so"));
    LangClientLoaded(&form);
    EXPECT_EQ(a->text(), "Error");
    EXPECT_EQ(b->text(), "Erreur");
    EXPECT_EQ(b->writes, 0) << "an unchanged text is not written back";
    EXPECT_EQ(c->text(), "(empty key)");
    EXPECT_EQ(d->text(), "Pas dans la table");
    EXPECT_EQ(a->lines(), QStringList({"OK", "Ok", "Cancel"}));
    EXPECT_EQ(a->styleSheet(), "|Erreur");
    EXPECT_EQ(form.objectName(), "|Erreur");

    LangClientLoaded(&form);
    EXPECT_EQ(a->text(), "Error");
    EXPECT_EQ(a->writes, 1) << "translating twice changes nothing";
}

TEST_F(Language, CookieChangeRemarksWhatIsStillMarked)
{
    QObject form;
    auto* ok = new Label(&form, "|Ok");
    auto* done = new Label(&form, "Fait");
    auto* bare = new Label(&form, "|");
    TDllLang owned(done);
    owned.SetActive(true);
    owned.SetLanguage("English");
    owned.SetCookie("#");
    EXPECT_EQ(owned.Cookie(), "#");
    EXPECT_EQ(ok->text(), "#Ok");
    EXPECT_EQ(done->text(), "Fait");
    EXPECT_EQ(bare->text(), "|"); // not longer than the old cookie
    // The routine is back to translating: "#Ok" is now a marked text.
    owned.TranslateForm(&form);
    EXPECT_EQ(ok->text(), "Ok");
}

TEST_F(Language, CookieChangeWithoutOwnerStillTranslatesAfterwards)
{
    QObject form;
    auto* a = new Label(&form, "#Ok");
    TDllLang l;
    l.SetActive(true);
    l.SetLanguage("English");
    EXPECT_NO_THROW(l.SetCookie("#"));
    l.TranslateForm(&form);
    EXPECT_EQ(a->text(), "Ok");
}

TEST_F(Language, ClientWithoutComponent)
{
    QObject form;
    auto* a = new Label(&form, "|Ignorer");
    try {
        LangClientLoaded(&form);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "There is no Lang component available to perform translation");
    }
    LangClientLoadedOrPlain(&form);
    EXPECT_EQ(a->text(), "Ignorer");

    // A failing library: the plain texts come up all the same.
    InstallLanguageLibrary();
    auto l = Open(Path("root/MXTR32.so"));
    auto* boom = new Label(&form, "|Boom");
    auto* other = new Label(&form, "|&Abandon");
    LangClientLoadedOrPlain(&form);
    EXPECT_EQ(boom->text(), "Boom");
    EXPECT_FALSE(other->text().startsWith(u'|'));
}

TEST_F(Language, LoadingRecordsThenOpens)
{
    InstallLanguageLibrary();
    QObject form;
    auto* a = new Label(&form, "|Erreur");
    TDllLang l(a);
    l.BeginLoading();
    l.SetActive(true);
    EXPECT_FALSE(l.Active());
    l.SetBaseName(Path("root/MXTR32.so"));
    l.SetLanguage("English"); // not checked while loading
    l.Loaded();
    EXPECT_TRUE(l.Active());
    EXPECT_TRUE(l.LibraryLoaded());
    EXPECT_EQ(l.Language(), "English");
    EXPECT_EQ(a->text(), "Error");
}

TEST_F(Language, TranslateRoutineAndPropertyHandler)
{
    QObject form;
    auto* a = new Label(&form, "|Ok");
    a->setLines({"|Ok"});
    TDllLang l;
    l.SetActive(true);
    l.SetLanguage("English");
    // Only QString properties, through a routine of our own.
    l.SetTranslateRoutine(tkLString, [](QString& t) { t = t.toUpper(); });
    l.TranslateForm(&form);
    EXPECT_EQ(a->text(), "|OK");
    EXPECT_EQ(a->lines(), QStringList({"|Ok"}));
    // A property handler replaces the built-in translation.
    QStringList seen;
    l.SetTranslateRoutine(0, {}, [&](QObject* o, const QMetaProperty& p) { seen << QString::fromLatin1(o->metaObject()->className()) + u'.' + QString::fromLatin1(p.name()); });
    l.TranslateComponent(a);
    EXPECT_EQ(seen, QStringList({"Label.text", "Label.lines"}));
    EXPECT_EQ(a->text(), "|OK");
    // Back to the default: cookie texts.
    l.SetTranslateRoutine(0, {});
    l.TranslateForm(&form);
    EXPECT_EQ(a->lines(), QStringList({"Ok"}));
}

#include "lang_test.moc"
