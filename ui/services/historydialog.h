#pragma once
// The open dialog with a recent-file list: a non-native file dialog (the
// same on every desktop, and driven by tests) whose extra combo box
// "cobHistory" ("Récents") lists the recent-file list History_<n>; picking
// an entry selects that file.

#include <QFileDialog>

namespace mx::ui {

struct TFileRequest;

// A new dialog (the caller frees it) over the request: caption, folder,
// proposed name, filters, the recent-file list request.history (none when
// negative), its help context in the "helpContext" property.
QFileDialog* CreateHistoryOpenDialog(const TFileRequest& request, QWidget* parent = nullptr);

// The folder a file dialog starts in: the folder of document (a file or a
// folder) when it exists, else the folder preferred, else the user's private query
// folder (PrivateQueryPath), else the home folder. Never the program's
// own folder, which users may not write to.
QString StartFolder(const QString& document, const QString& preferred = QString());

// The entries of History_<n>, most recent first (none without settings).
QStringList HistoryEntries(int n);

} // namespace mx::ui
