#pragma once
// The open dialogs of query and data model files, with their recent-file
// lists, the relocation of a missing file, and the folder picker of the
// options.

#include <QString>

class QWidget;

namespace mx {
class TMxFile;
}

namespace mx::ui {

// The chosen query file (recent list 10); empty when cancelled.
// fileName: the name proposed. The dialog starts in the folder of
// document (the file being edited) when there is one, else in the private
// query folder.
QString SelectQueryFile(const QString& fileName = QString(), QWidget* parent = nullptr, const QString& document = QString());
// The chosen data model file (recent list 11): in the folder of document
// when there is one, else in the data model folder.
QString SelectDataModelFile(const QString& fileName = QString(), QWidget* parent = nullptr, const QString& document = QString());

// A name written elsewhere ("C:\DATA\VENTES.MDD") as a path of this
// system: "\" becomes "/", a drive letter is dropped.
QString LocalFileName(const QString& name);
// The file of that name (without regard to case) in folder; empty when
// there is none. An exact match wins.
QString FindFileIgnoringCase(const QString& folder, const QString& name);

// The engine's relocation of a missing file (LocateFileHook): the file of
// that name beside the file that names it (the locate record), then in its
// own folder, without regard to case; else the user is asked and may pick
// the file. True when fileName now names an existing file.
bool LocateMissingFile(TMxFile* file, QString& fileName);

// A folder, starting at directory; a folder that does not exist is made
// once the user agrees. Cancel (or a refused creation) gives directory.
QString BrowseDirectory(const QString& directory, QWidget* parent = nullptr);

} // namespace mx::ui
