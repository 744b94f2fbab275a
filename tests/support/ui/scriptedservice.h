#pragma once
// The user-interface service of window tests: every request is recorded
// (its kind and text), and each is answered from the answers the test
// queued for its kind, in order. With no answer queued a question gets the
// safe choice (Cancel, else No, else OK) and a picker is cancelled.
// Nothing ever waits.

#include "ui/services/dialogservice.h"

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace mx::ui::test {

struct TRequest {
    QString kind; // "message", "warning", "exception", "error window", "open", "open files", "save",
                  // "directory", "font", "print", "printer setup", "url", "shell", "help"
    QString text; // the message, or the dialog's caption, address or file
    TMsgDlgType type = TMsgDlgType::mtCustom;
    int buttons = 0;
    TFileRequest file;
};

class TScriptedUiService : public TUiService {
public:
    // Queued answers, each used once.
    QList<int> messageAnswers;           // mrYes, mrNo, mrCancel...
    QList<QStringList> fileAnswers;      // open, open files and save: the names chosen (empty: cancel)
    QList<int> fileTypeAnswers;          // save with a file type: the filter chosen (none queued: -1)
    QList<QString> directoryAnswers;
    QList<std::optional<QFont>> fontAnswers;
    QList<bool> printAnswers;            // print dialog and printer set-up
    int errorWindowAnswer = mrIgnore;

    QList<TRequest> requests;
    // The texts of the requests of one kind, in order.
    QStringList texts(const QString& kind) const;
    int count(const QString& kind) const { return int(texts(kind).size()); }

    int MessageDlg(const QString& text, TMsgDlgType type, int buttons) override;
    void Warning(const QString& text) override;
    void ShowException(const std::exception& e) override;
    int ErrorWindow(const QString& caption, const QString& details) override;
    bool ShowHelp(const QString& helpFile, int context) override;
    bool ShellOpen(const QString& target) override;
    void SetBusy(bool) override {}
    void ProcessMessages() override {}

    QString OpenFileName(QWidget* parent, const TFileRequest& request) override;
    QStringList OpenFileNames(QWidget* parent, const TFileRequest& request) override;
    QString SaveFileName(QWidget* parent, const TFileRequest& request) override;
    TSaveChoice SaveFileAs(QWidget* parent, const TFileRequest& request) override;
    QString BrowseDirectory(QWidget* parent, const QString& caption, const QString& start) override;
    bool PickFont(QWidget* parent, QFont& font) override;
    bool PrintDialog(QWidget* parent, QPrinter& printer) override;
    bool PrinterSetup(QWidget* parent, QPrinter& printer) override;
    bool OpenUrl(const QUrl& url) override;

private:
    QStringList nextFiles(const QString& kind, const TFileRequest& request);
};

// Installs a scripted service for the lifetime of the object.
class ScopedScriptedUi {
public:
    ScopedScriptedUi() : m_old(SetUserService(&service)) {}
    ~ScopedScriptedUi() { SetUserService(m_old); }
    ScopedScriptedUi(const ScopedScriptedUi&) = delete;
    ScopedScriptedUi& operator=(const ScopedScriptedUi&) = delete;
    TScriptedUiService service;

private:
    TUserService* m_old;
};

} // namespace mx::ui::test
