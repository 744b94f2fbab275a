#pragma once
// What a window asks or shows goes through one replaceable service: the
// engine's user service (messages, questions, warnings, the error window,
// help, opening a document) extended with what only windows ask: file,
// folder and font pickers, the printer dialogs and web addresses.
//
// The programs install the real dialogs (ui/errorwindow); tests install a
// scripted service that records every request and answers what the test
// said; without an installed service, or without a display, nothing is
// asked: pickers answer "cancelled" and messages go to standard error.

#include "engine/core/userservice.h"

#include <QString>
#include <QStringList>

class QFont;
class QPrinter;
class QUrl;
class QWidget;

namespace mx::ui {

// One file dialog: its caption, folder, proposed name, filters in Qt's
// form ("Requête (*.MQR *.mqr)"), the extension added to a name typed
// without one, the recent-file list shown in the name box (History_N) and
// the help context of its help button.
struct TFileRequest {
    QString caption;
    QString directory;
    QString fileName;
    QStringList filters;
    QString defaultSuffix;
    int history = -1;
    int helpContext = 0;
};

// What a save dialog answered: the file chosen (empty when cancelled) and
// the file type chosen, as an index into the request's filters (-1: none
// was chosen, the name's extension decides).
struct TSaveChoice {
    QString fileName;
    int filterIndex = -1;
};

class TUiService : public TUserService {
public:
    // The chosen file, or empty when cancelled.
    virtual QString OpenFileName(QWidget* parent, const TFileRequest& request);
    // The chosen files (several may be picked), or none when cancelled.
    virtual QStringList OpenFileNames(QWidget* parent, const TFileRequest& request);
    virtual QString SaveFileName(QWidget* parent, const TFileRequest& request);
    // A save dialog whose file type matters: the name and the type chosen.
    // A name typed without extension gets the chosen type's (the first
    // pattern of its filter).
    virtual TSaveChoice SaveFileAs(QWidget* parent, const TFileRequest& request);
    // A folder; empty when cancelled.
    virtual QString BrowseDirectory(QWidget* parent, const QString& caption, const QString& start);
    // True when the user chose a font, which is then in font.
    virtual bool PickFont(QWidget* parent, QFont& font);
    // The print dialog and the printer set-up; true on OK, the printer
    // then holds the choices.
    virtual bool PrintDialog(QWidget* parent, QPrinter& printer);
    virtual bool PrinterSetup(QWidget* parent, QPrinter& printer);
    // A web or mail address with the desktop's program for it.
    virtual bool OpenUrl(const QUrl& url);
};

// The installed service when it is a TUiService, else the headless one.
TUiService& UiService();

} // namespace mx::ui
