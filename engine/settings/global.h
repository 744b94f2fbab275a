#pragma once
// The settings object of both programs (AppGlobal): the user's settings
// file MORVELIN.INI in the user's settings folder, the language component,
// the recent-file lists, the working directory, and the translation
// routines through which every text shown to users passes.

#include "engine/core/format.h"
#include "engine/core/hookslot.h"
#include "engine/core/translate.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

class QObject;

namespace platform {
class IniFile;
}

namespace mx {

class TDllLang;
class TMRU;

enum TConfigFlag { cfShowWelcomeForm, cfShowTips };
enum TConfigStr { csPrivateQueryPath, csDMPath };

// The key of an option: its identifier without the two-letter prefix.
QString ConfigKeyName(TConfigFlag flag);
QString ConfigKeyName(TConfigStr str);

// Filled by the user interface: installs what only an application with
// windows has (the exception handler's last resort, the hint colour
// 0xC0FFFF and the hint delay of 1000 ms). Called by the settings object
// when an application object exists.
extern THookSlot<void()> ApplicationSetupHook;

class TGlobal {
public:
    // 1. the application's setup (when an application object exists) and
    //    the exception handler;
    // 2. the recent-file lists' settings file MORVELIN.INI;
    // 3. their size, MRUsize (default 5);
    // 4. the language component on the installation's MXTR32.so, language
    //    Lang (default and when empty: French, "Francais");
    // 5. the working directory: -CurrentDir (made absolute against the
    //    folder the program was started in) or the program's folder;
    //    EInOutError when it cannot be entered.
    TGlobal();
    // Writes MRUsize, closes the recent-file lists' file (saving them) and
    // frees the language component. Never throws: failures are reported.
    ~TGlobal();
    TGlobal(const TGlobal&) = delete;
    TGlobal& operator=(const TGlobal&) = delete;

    // The user's settings file.
    platform::IniFile& IniFile();
    QString IniFileName() const;

    bool GetConfigFlag(TConfigFlag flag);
    void SetConfigFlag(TConfigFlag flag, bool value);
    QString GetConfigStr(TConfigStr str);
    void SetConfigStr(TConfigStr str, const QString& value);

    TDllLang* Lang() const { return m_lang.get(); }
    // The first two letters of the language ("En" for English).
    QString LangCode() const;
    QString TranslateStr(const QString& text) const;

    // The recent-file list number n ("History_<n>").
    TMRU* History(int n);

    // The object whose "text" property SetStatusText sets (a label of the
    // designer window), and the administration program's progress gauge.
    void SetStatusControl(QObject* control) { m_statusControl = control; }
    QObject* StatusControl() const { return m_statusControl; }
    void SetProgressGauge(QObject* gauge) { m_progressGauge = gauge; }
    QObject* ProgressGauge() const { return m_progressGauge; }
    // Shows the text in the status control, then lets pending events
    // through except user input (so nothing can be clicked or closed under
    // a running operation). Nothing without a status control.
    void SetStatusText(const QString& text);

    bool ShellOpen(const QString& name);
    // The program's help file (set at start) and help at a form's context
    // (its "helpContext" property).
    void SetHelpFile(const QString& file) { m_helpFile = file; }
    const QString& HelpFile() const { return m_helpFile; }
    void ShowFormHelp(QObject* form);

    static QString GetVersionString(); // "1.0.17"
    static QString PdfReaderAddress();
    // The text of the PDF-reader message.
    static QString PdfReaderMissingText();
    // Asks whether to download the reader; Yes opens the download page.
    void ShowPdfReaderMissing();

private:
    std::shared_ptr<platform::IniFile> m_iniFile;
    std::unique_ptr<TDllLang> m_lang;
    QPointer<QObject> m_statusControl;
    QPointer<QObject> m_progressGauge;
    QString m_helpFile;
};

// The settings object, or none.
TGlobal* AppGlobal();
// Creates it (the shared start-up does); it is freed at exit, before the
// command line and the recent-file lists. Raises what construction raises.
TGlobal& CreateAppGlobal();
void FreeAppGlobal();

// Translate and TranslateFmt (core/translate.h) go through the settings
// object's language component; the text is unchanged when there is no
// settings object.

} // namespace mx
