#pragma once
// The save dialog of a document that can be written in several formats:
// the file type chosen decides the extension a name typed without one
// gets, and the caller learns which type was chosen.

#include <QFileDialog>
#include <QString>

namespace mx::ui {

struct TFileRequest;

// The extension of a filter in Qt's form: its first pattern's
// ("Document PDF (*.PDF *.pdf)" gives "PDF"), empty when it has none.
QString FilterExtension(const QString& filter);

// A new save dialog over the request (the caller frees it) whose default
// suffix follows the file type chosen, starting from the first filter (or
// the request's defaultSuffix when it has no filter).
QFileDialog* CreateTypedSaveDialog(const TFileRequest& request, QWidget* parent = nullptr);

// The index in the dialog's filters of the type chosen, -1 for none.
int ChosenFilterIndex(const QFileDialog& dialog);

} // namespace mx::ui
