#pragma once
// Help. Each program and language has a folder of HTML pages beside the
// programs, named as the help file without ".HLP" (MorveFr/, MorvAEn/...):
// one page per help context, "<context>.html", and "index.html" for the
// contents and for a context without a page. Pages are shown in the help
// window fmHelp, one per process, raised again for every request.

#include <QString>

class QObject;
class QTextBrowser;
class QWidget;

namespace mx::ui {

// The help folder of a help file name ("/opt/m/MorveFr.HLP" gives
// "/opt/m/MorveFr").
QString HelpFolder(const QString& helpFile);
// The page for a context: its own page, else the folder's index; empty when
// neither exists.
QString HelpPage(const QString& helpFile, int context);

// Shows the page in the help window; false when there is no page. parent:
// the window that asks (a modal dialog keeps the help window usable).
bool ShowHelpPage(const QString& helpFile, int context, QWidget* parent = nullptr);

// The help of a dialog's "Aide" button: the page of its "helpContext"
// property in the program's help file; without the settings object, the
// user service's help for that context.
void ShowDialogHelp(QObject* dialog);

// The form whose help F1 opens from widget: widget or the first of its
// parents, up to its window, with a "helpContext" property above 0; none
// when there is none.
QObject* HelpForm(QWidget* widget);
// F1 opens the help of the form that has the focus (ShowDialogHelp, as
// its "Aide" button does) wherever no shortcut of its own takes the key.
// Installed once on the application; the application object calls it.
void InstallHelpKey();

// The help window when it is open.
QWidget* HelpWindow();

} // namespace mx::ui
