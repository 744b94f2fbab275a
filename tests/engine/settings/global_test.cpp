#include "settingsfixture.h"

#include "engine/settings/dlllang.h"
#include "engine/core/exitprocs.h"

#include "platform/core/sharedlibrary.h"
#include "platform/core/systempaths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

using namespace mx;

namespace {

class Settings : public mxtest::SettingsTest {};

} // namespace

TEST_F(Settings, TranslateWithoutTheSettingsObjectReturnsItsArgument)
{
    ASSERT_EQ(AppGlobal(), nullptr);
    EXPECT_EQ(Translate("Ignorer"), "Ignorer");
    EXPECT_EQ(TranslateFmt("File not found %s", {"a.mqr"}), "File not found a.mqr");
    InstallLanguageLibrary();
    CreateAppGlobal();
    EXPECT_EQ(Translate("Ignorer"), "Ignore");
    FreeAppGlobal();
    EXPECT_EQ(Translate("Ignorer"), "Ignorer");
}

TEST_F(Settings, DefaultsWithoutASettingsFile)
{
    TGlobal& g = CreateAppGlobal();
    EXPECT_EQ(MRUs().MaxCount(), 5);
    EXPECT_FALSE(g.GetConfigFlag(cfShowTips));
    EXPECT_FALSE(g.GetConfigFlag(cfShowWelcomeForm));
    EXPECT_EQ(g.GetConfigStr(csDMPath), "");
    EXPECT_EQ(g.LangCode(), "Fr") << "the language the windows are written in";
    EXPECT_EQ(g.Lang()->Language(), "Francais");
    EXPECT_EQ(g.IniFileName(), Path("win/MORVELIN.INI"));
    EXPECT_EQ(TGlobal::GetVersionString(), "1.0.17");
    EXPECT_FALSE(QFileInfo::exists(UserIni())) << "reading creates nothing";
}

TEST_F(Settings, ValuesFromTheSettingsFile)
{
    struct Case {
        const char* ini;
        int mruSize;
        bool showTips;
        const char* langCode;
    };
    const std::vector<Case> cases = {
        {"[Options]\nMRUsize=2\nShowTips=1\nLang=Français\n", 2, true, "Fr"},
        {"[options]\nmrusize=abc\nshowtips=0\nlang=Deutsch\n", 5, false, "De"},
        {"[Options]\nMRUsize=-3\nShowTips=yes\nLang=\n", 0, false, "Fr"}, // empty Lang: the default language
        {"[Options]\nMRUsize= 7 \nShowTips=2\n", 7, true, "Fr"},
        {"[Options]\nLang=English\n", 5, false, "En"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        WriteUserIni(c.ini);
        TGlobal& g = CreateAppGlobal();
        EXPECT_EQ(MRUs().MaxCount(), c.mruSize);
        EXPECT_EQ(g.GetConfigFlag(cfShowTips), c.showTips);
        EXPECT_EQ(g.LangCode(), c.langCode);
        // An empty or unknown language never makes translations fail.
        EXPECT_EQ(Translate("Etape %d"), "Etape %d");
        FreeAppGlobal();
        FreeMRUs();
    }
}

// The language library comes first; what it leaves is taken from the
// program's own table of the session's language, else the text stays.
TEST_F(Settings, TheProgramsOwnTableFillsWhatTheLibraryLeaves)
{
    const struct {
        const char* what;
        bool library;
        const char* ini;
        const char* key;
        const char* shown;
    } cases[] = {
        {"an English word of a form, French session", false, "", "General options", "Options générales"},
        {"a French text, French session", false, "", "Ignorer", "Ignorer"},
        {"an English word of a form, English session", false, "[Options]\nLang=English\n", "General options", "General options"},
        {"a question's answer, English session", false, "[Options]\nLang=English\n", "&Oui", "&Yes"},
        {"the library's own word", true, "[Options]\nLang=English\n", "Ignorer", "Ignore"},
        {"what the library does not know", true, "[Options]\nLang=English\n", "&Non", "&No"},
        {"a pattern", false, "", "File not found %s", "Fichier introuvable : %s"},
        {"an engine message, French session", false, "", "Can not link %s and %s", "Impossible de lier %s et %s"},
        {"an engine message, English session", false, "[Options]\nLang=English\n", "Query is empty", "Query is empty"},
        {"the missing groups of a model, French session", false, "", "Groups not found : %s", "Groupes introuvables : %s"},
        {"a backup that cannot be made, English session", false, "[Options]\nLang=English\n",
            "la copie de sauvegarde %s n'a pu être faite (%s)", "the backup copy %s could not be made (%s)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(Path("root/MXTR32.so"));
        if (c.library)
            InstallLanguageLibrary();
        WriteUserIni(c.ini);
        CreateAppGlobal();
        EXPECT_EQ(Translate(QString::fromUtf8(c.key)), QString::fromUtf8(c.shown));
        FreeAppGlobal();
        FreeMRUs();
    }
    QFile::remove(Path("root/MXTR32.so"));
}

TEST_F(Settings, OptionsAreWrittenAtOnceWithTheirKeyNames)
{
    TGlobal& g = CreateAppGlobal();
    g.SetConfigFlag(cfShowWelcomeForm, true);
    g.SetConfigStr(csPrivateQueryPath, "/home/u/requêtes");
    auto ini = OpenUserIni();
    ini->reload();
    EXPECT_EQ(ini->readString("Options", "ShowWelcomeForm"), "1");
    EXPECT_EQ(ini->readString("Options", "PrivateQueryPath"), "/home/u/requêtes");
    EXPECT_EQ(ConfigKeyName(csDMPath), "DMPath");
    EXPECT_EQ(ConfigKeyName(cfShowTips), "ShowTips");
}

TEST_F(Settings, RecentFilesLimitedAndWrittenBackAtExit)
{
    WriteUserIni("[Options]\nMRUsize=2\n");
    TGlobal& g = CreateAppGlobal();
    TMRU* h = g.History(10);
    EXPECT_EQ(h->Section(), "History_10");
    for (const char* f : {"/q/a.mqr", "/q/b.mqr", "/q/c.mqr"})
        h->Add(f);
    EXPECT_EQ(h->Items(), QStringList({"/q/c.mqr", "/q/b.mqr"}));
    MRUs().SetMaxCount(3);
    h->Add("/q/d.mqr");
    FreeAppGlobal(); // writes MRUsize and saves the lists
    auto ini = OpenUserIni();
    EXPECT_EQ(ini->readInteger("Options", "MRUsize", 0), 3);
    EXPECT_EQ(ini->readString("History_10", "0"), "/q/d.mqr");
    EXPECT_EQ(ini->keys("History_10").size(), 3);
    EXPECT_EQ(MRUs().IniFile(), nullptr) << "the lists' file is closed";
}

TEST_F(Settings, WorkingDirectory)
{
    CreateAppGlobal();
    EXPECT_EQ(QDir::currentPath(), QDir(Path("work")).canonicalPath());
    FreeAppGlobal();

    // A relative -CurrentDir counts from the launch folder, not from where
    // the process is now.
    QDir::setCurrent(Path("root"));
    const QString rel = QDir(platform::launchDirectory()).relativeFilePath(Path("work"));
    SetArgs({"-CurrentDir", rel});
    CreateAppGlobal();
    EXPECT_EQ(QDir::currentPath(), QDir(Path("work")).canonicalPath());
    FreeAppGlobal();

    // Without -CurrentDir: the program's folder.
    SetArgs({});
    CreateAppGlobal();
    EXPECT_EQ(QDir::currentPath(), QDir(platform::programDirectory()).canonicalPath());
    FreeAppGlobal();

    SetArgs({"-CurrentDir", Path("missing")});
    EXPECT_THROW(CreateAppGlobal(), EInOutError);
    EXPECT_EQ(AppGlobal(), nullptr);
    EXPECT_EQ(LangInstance(), nullptr) << "a failed construction frees its language component";
}

TEST_F(Settings, NoInstallationFolder)
{
    SetRegistryRoot(Path("nowhere"));
    const int before = platform::SharedLibrary::loadAttempts();
    TGlobal& g = CreateAppGlobal();
    ASSERT_EQ(m_service.warnings.size(), 1);
    EXPECT_EQ(m_service.warnings[0], "Please start install again, path was " + Path("nowhere") + "/");
    EXPECT_EQ(g.Lang()->DllPath(), "");
    EXPECT_EQ(platform::SharedLibrary::loadAttempts(), before) << "no library load attempted";
    EXPECT_EQ(Translate("Ignorer"), "Ignorer");
    EXPECT_EQ(GetIniFileName(), "");
    EXPECT_EQ(GetRootDir(), "");
    EXPECT_EQ(m_service.warnings.size(), 1) << "the warning is shown once";
}

TEST_F(Settings, TranslateFmtFallsBackToThePatternThatFits)
{
    InstallLanguageLibrary();
    CreateAppGlobal();
    EXPECT_EQ(TranslateFmt("Fichier %s introuvable", {"a.mqr"}), "File a.mqr not found");
    // "Etape %d" translates to "Step %s of %s": it does not fit.
    EXPECT_EQ(TranslateFmt("Etape %d", {3}), "Etape 3");
    // A pattern that fits nothing is the caller's fault and still raises.
    EXPECT_THROW(TranslateFmt("Pas de %d", {"texte"}), EConvertError);
}

TEST_F(Settings, StatusTextShellAndHelp)
{
    TGlobal& g = CreateAppGlobal();
    QObject label;
    label.setProperty("text", QString());
    g.SetStatusText("ignored without a status control");
    g.SetStatusControl(&label);
    g.SetStatusText("Exécution...");
    EXPECT_EQ(label.property("text").toString(), "Exécution...");
    {
        QObject gone;
        g.SetStatusControl(&gone);
    }
    EXPECT_EQ(g.StatusControl(), nullptr);
    g.SetStatusText("no crash when the control is gone");

    g.SetHelpFile("/opt/morvelin/MorveEn.HLP");
    QObject form;
    form.setProperty("helpContext", 16);
    g.ShowFormHelp(&form);
    EXPECT_EQ(m_service.help, QStringList({"/opt/morvelin/MorveEn.HLP#16"}));

    EXPECT_TRUE(g.ShellOpen("/tmp/report.pdf"));
    EXPECT_EQ(m_service.opened, QStringList({"/tmp/report.pdf"}));
}

TEST_F(Settings, PdfReaderMissing)
{
    TGlobal& g = CreateAppGlobal();
    const QString text = TGlobal::PdfReaderMissingText();
    EXPECT_TRUE(text.startsWith("Morvelin could not open the PDF document. Please make sure Adobe Acrobat Reader is properly installed. If you don't have"));
    EXPECT_TRUE(text.contains("\n\n" + TGlobal::PdfReaderAddress() + "\n\n"));
    EXPECT_TRUE(text.endsWith("Do you want to download Adobe Acrobat Reader now ?"));

    m_service.answer = mrCancel;
    g.ShowPdfReaderMissing();
    EXPECT_TRUE(m_service.opened.isEmpty());
    m_service.answer = mrYes;
    g.ShowPdfReaderMissing();
    EXPECT_EQ(m_service.opened, QStringList({TGlobal::PdfReaderAddress()}));
    EXPECT_EQ(m_service.messages.size(), 2);
}

TEST_F(Settings, ShutdownListRunsInRankOrderOnce)
{
    QStringList order;
    AddExitProc(erLast, "last", [&] { order << "last"; });
    AddExitProc(erSettings, "settings", [&] { order << "settings"; });
    AddExitProc(erStartParams, "throws", [&] {
        order << "throws";
        throw Exception("refused");
    });
    AddExitProc(erSettings, "settings-later", [&] { order << "settings-later"; });
    RunExitProcs();
    RunExitProcs();
    EXPECT_EQ(order, QStringList({"settings-later", "settings", "throws", "last"}));
}

TEST_F(Settings, InstallationFolderOfAProgram)
{
    // The probe is copied into folders of our own: its own folder is
    // tried first, then the registry's.
    struct Case {
        const char* title;
        bool markerInProgramDir;
        bool registryValid;
        QString expectedRoot;
        bool warning;
    };
    QDir().mkpath(Path("prog"));
    const QString prog = Path("prog/probe");
    ASSERT_TRUE(QFile::copy(QStringLiteral(MX_TEST_PROBE), prog));
    QFile::setPermissions(prog, QFile::permissions(prog) | QFileDevice::ExeOwner);
    const std::vector<Case> cases = {
        {"program folder", true, true, Path("prog") + "/", false},
        {"registry", false, true, Path("root") + "/", false},
        {"neither", false, false, QString(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        QFile::remove(Path("prog/OPER.MXF"));
        if (c.markerInProgramDir)
            mxtest::WriteAll(Path("prog/OPER.MXF"), "TPF0");
        mxtest::WriteAll(Path("prog/oper.mxf"), "wrong case: does not count");
        SetRegistryRoot(c.registryValid ? Path("root") : Path("nowhere"));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("MORVELIN_WINDIR", Path("win"));
        env.insert("MORVELIN_REGISTRY", Path("registry.ini"));
        env.insert("LD_LIBRARY_PATH", QStringLiteral(MX_ENGINE_LIBDIR));
        p.setProcessEnvironment(env);
        p.start(prog, {"rootdir"});
        ASSERT_TRUE(p.waitForFinished(60000));
        const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        EXPECT_TRUE(out.contains("root=" + c.expectedRoot + "\n")) << out.toStdString();
        EXPECT_EQ(out.contains("warning=Please start install again"), c.warning) << out.toStdString();
        EXPECT_TRUE(out.contains("loads=0\n")) << out.toStdString(); // no MXTR32.so anywhere
        EXPECT_TRUE(out.contains(c.expectedRoot.isEmpty() ? QString("library=\n") : "library=" + c.expectedRoot + "MXTR32.so\n"))
            << out.toStdString();
    }
}
