#pragma once
// The user service of the programs with windows: message boxes, the error
// window, the busy cursor, opening documents, help, and the file, folder,
// font and printer dialogs. Where no application with windows runs (before
// it exists, after it is gone, off its thread) the plain service answers
// instead.

#include "ui/services/dialogservice.h"

#include <memory>

class QApplication;
class QMessageBox;
class QWidget;

namespace mx::ui {

class TWidgetUserService : public TUiService {
public:
    int MessageDlg(const QString& text, TMsgDlgType type, int buttons) override;
    void Warning(const QString& text) override;
    void ShowException(const std::exception& e) override;
    void SetBusy(bool busy) override;
    bool ShellOpen(const QString& target) override;
    void ProcessMessages() override;
    int ErrorWindow(const QString& caption, const QString& details) override;
    bool ShowHelp(const QString& helpFile, int context) override;

    QString OpenFileName(QWidget* parent, const TFileRequest& request) override;
    QStringList OpenFileNames(QWidget* parent, const TFileRequest& request) override;
    QString SaveFileName(QWidget* parent, const TFileRequest& request) override;
    TSaveChoice SaveFileAs(QWidget* parent, const TFileRequest& request) override;
    QString BrowseDirectory(QWidget* parent, const QString& caption, const QString& start) override;
    bool PickFont(QWidget* parent, QFont& font) override;
    bool PrintDialog(QWidget* parent, QPrinter& printer) override;
    bool PrinterSetup(QWidget* parent, QPrinter& printer) override;
    bool OpenUrl(const QUrl& url) override;
};

// The box MessageDlg shows: the type's caption and icon, the buttons of the
// mb* set with the program's own captions ("&Oui", "&Non", "Annuler"...)
// through Translate.
std::unique_ptr<QMessageBox> CreateMessageBox(const QString& text, TMsgDlgType type, int buttons, QWidget* parent);

// Installs what the user interface provides to the engine: this service
// and the application setup run by the settings object (hint colour
// 0xC0FFFF, that is light yellow, and hint delay 1000 ms). Call once the
// application object exists, before the settings object is created.
void InstallUserInterface();

// The hint colour and delay on an application.
void ApplyHintSettings(QApplication& app);

} // namespace mx::ui
