#include "global.h"

#include "dlllang.h"
#include "engine/core/exitprocs.h"
#include "mru.h"
#include "startparams.h"
#include "sessionlanguage.h"
#include "engine/core/exceptions.h"
#include "engine/core/userservice.h"
#include "engine/errors/errorhandler.h"
#include "engine/tools/installation.h"

#include "platform/core/inifile.h"
#include "platform/core/systempaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QObject>
#include <QVariant>

namespace mx {
namespace {

const QString kOptions = QStringLiteral("Options");
const QString kIniName = QStringLiteral("MORVELIN.INI");
// The windows are written in French: a user who chose nothing sees French
// everywhere (the setting, the tips, the splash, the help and the manual).
const QString kDefaultLanguage = DefaultLanguage();

std::unique_ptr<TGlobal>& globalSlot()
{
    static auto* p = new std::unique_ptr<TGlobal>;
    return *p;
}

void report(const std::exception& e)
{
    try {
        UserService().Warning(ExceptionMessage(e));
    } catch (...) {
    }
}

} // namespace

THookSlot<void()> ApplicationSetupHook;

QString ConfigKeyName(TConfigFlag flag)
{
    switch (flag) {
    case cfShowWelcomeForm:
        return QStringLiteral("ShowWelcomeForm");
    case cfShowTips:
        return QStringLiteral("ShowTips");
    }
    return {};
}

QString ConfigKeyName(TConfigStr str)
{
    switch (str) {
    case csPrivateQueryPath:
        return QStringLiteral("PrivateQueryPath");
    case csDMPath:
        return QStringLiteral("DMPath");
    }
    return {};
}

TGlobal::TGlobal()
{
    // 1.
    if (QCoreApplication::instance()) {
        InstallExceptionHandler();
        if (ApplicationSetupHook)
            ApplicationSetupHook();
    }
    // 2. and 3.
    MRUs().SetIniFileName(kIniName);
    MRUs().SetMaxCount(IniFile().readInteger(kOptions, QStringLiteral("MRUsize"), 5));
    // 4.
    m_lang = std::make_unique<TDllLang>(nullptr);
    m_lang->SetActive(false);
    const QString root = GetRootDir();
    m_lang->SetBaseName(root.isEmpty() ? QString() : root + QStringLiteral("MXTR32.DLL"));
    m_lang->SetActive(true);
    if (m_lang->Active()) {
        QString language = IniFile().readString(kOptions, QStringLiteral("Lang"), kDefaultLanguage);
        if (language.isEmpty())
            language = kDefaultLanguage;
        m_lang->SetLanguage(language);
    }
    // Qt's own texts (file and print dialogs, standard buttons) in the
    // session's language.
    LoadQtTranslation(LangCode());
    // 5.
    QString dir = StartParams().Values(QStringLiteral("CurrentDir"));
    if (!dir.isEmpty())
        dir = QDir(platform::launchDirectory()).absoluteFilePath(dir);
    else
        dir = platform::programDirectory();
    if (!QDir::setCurrent(dir))
        throw EInOutError(QStringLiteral("Cannot change the working directory to %1").arg(dir));
}

TGlobal::~TGlobal()
{
    try {
        IniFile().writeInteger(kOptions, QStringLiteral("MRUsize"), MRUs().MaxCount());
    } catch (const std::exception& e) {
        report(e);
    }
    try {
        MRUs().SetIniFile(nullptr);
    } catch (const std::exception& e) {
        report(e);
    }
    UnloadQtTranslation();
    try {
        m_lang.reset();
    } catch (...) {
    }
}

platform::IniFile& TGlobal::IniFile()
{
    if (!m_iniFile)
        m_iniFile = platform::IniFile::open(IniFileName());
    return *m_iniFile;
}

QString TGlobal::IniFileName() const
{
    return GetWindowsDir() + kIniName;
}

bool TGlobal::GetConfigFlag(TConfigFlag flag)
{
    return IniFile().readBool(kOptions, ConfigKeyName(flag), false);
}

void TGlobal::SetConfigFlag(TConfigFlag flag, bool value)
{
    if (!IniFile().writeBool(kOptions, ConfigKeyName(flag), value))
        throw EIniFileException(QStringLiteral("Unable to write to %1").arg(IniFile().fileName()));
}

QString TGlobal::GetConfigStr(TConfigStr str)
{
    return IniFile().readString(kOptions, ConfigKeyName(str));
}

void TGlobal::SetConfigStr(TConfigStr str, const QString& value)
{
    if (!IniFile().writeString(kOptions, ConfigKeyName(str), value))
        throw EIniFileException(QStringLiteral("Unable to write to %1").arg(IniFile().fileName()));
}

QString TGlobal::LangCode() const
{
    return m_lang ? m_lang->Language().left(2) : QString();
}

QString TGlobal::TranslateStr(const QString& text) const
{
    return m_lang ? m_lang->Translate(text) : text;
}

TMRU* TGlobal::History(int n)
{
    return MRUs().GetMRU(Format(QStringLiteral("History_%d"), {n}));
}

void TGlobal::SetStatusText(const QString& text)
{
    if (!m_statusControl)
        return;
    m_statusControl->setProperty("text", text);
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool TGlobal::ShellOpen(const QString& name)
{
    return mx::ShellOpen(name);
}

void TGlobal::ShowFormHelp(QObject* form)
{
    const int context = form ? form->property("helpContext").toInt() : 0;
    UserService().ShowHelp(m_helpFile, context);
}

QString TGlobal::GetVersionString()
{
    return Format(QStringLiteral("%s.%s.%s"), {QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("17")});
}

QString TGlobal::PdfReaderAddress()
{
    return QStringLiteral("https://get.adobe.com/reader/");
}

QString TGlobal::PdfReaderMissingText()
{
    return Translate(QStringLiteral("Morvelin could not open the PDF document.")) + u' '
        + Translate(QStringLiteral("Please make sure Adobe Acrobat Reader is properly installed."))
        + Translate(QStringLiteral(" If you don't have Adobe Acrobat Reader,"))
        + Translate(QStringLiteral(" you can download it for free from the following site:"))
        + QStringLiteral("\n\n") + PdfReaderAddress() + QStringLiteral("\n\n")
        + Translate(QStringLiteral("Do you want to download Adobe Acrobat Reader now ?"));
}

void TGlobal::ShowPdfReaderMissing()
{
    if (UserService().MessageDlg(PdfReaderMissingText(), TMsgDlgType::mtInformation, mbYes | mbCancel) == mrYes)
        ShellOpen(PdfReaderAddress());
}

TGlobal* AppGlobal()
{
    return globalSlot().get();
}

TGlobal& CreateAppGlobal()
{
    static bool exitSet = false;
    if (!globalSlot()) {
        globalSlot() = std::make_unique<TGlobal>();
        // The core's texts are translated through the settings object.
        if (!TranslateHook)
            TranslateHook.set([](const QString& text) {
                TGlobal* g = AppGlobal();
                return g ? g->TranslateStr(text) : text;
            });
        if (!exitSet) {
            exitSet = true;
            AddExitProc(erSettings, QStringLiteral("AppGlobal"), [] {
                exitSet = false;
                FreeAppGlobal();
            });
        }
    }
    return *globalSlot();
}

void FreeAppGlobal()
{
    std::unique_ptr<TGlobal> gone = std::move(globalSlot());
    gone.reset();
}

} // namespace mx
