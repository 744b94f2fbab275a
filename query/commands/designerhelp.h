#pragma once
// The designer's help menu and its options item, without a widget: the
// help contents, the user manual, the maker's addresses, the about box and
// the options dialog. The dialogs are reached through the slots below,
// filled by their units; an empty slot leaves the command without effect.

#include "engine/core/hookslot.h"

#include <QString>

namespace mx {

// The about box; the general options dialog.
extern THookSlot<void()> AboutBoxHook;
extern THookSlot<void()> OptionsDialogHook;
// Finds a missing document, asking the user for it (or offering its
// download page, the pattern's "%s" being the file's name); the path found,
// empty when none was. The document is not opened.
extern THookSlot<QString(const QString& fileName, const QString& downloadPattern)> RunDocumentHook;

// The maker's addresses: the support mail and the web pages.
QString MakerSupportAddress();
QString MakerHomePage();
QString ProductHomePage();
QString MakerProductsPage();
// Where the manual is offered when it is not installed ("%s": its name).
QString ManualDownloadPattern();

// The user manual's file: the installation folder (ending with "/"), the
// item's hint without its first character, the language code, ".pdf".
QString UserManualFile(const QString& rootDir, const QString& hint, const QString& langCode);

// The help menu's commands. Help goes through the program's help file
// (context 0: the contents); the manual (written by the build beside the
// programs) opens in the desktop's viewer, found through the document
// runner when it is missing, and a missing file or viewer is told as such;
// an address through the desktop's program for it.
void ShowHelpContents();
void OpenUserManual(const QString& hint);
bool OpenAddress(const QString& address);
void ShowAbout();
void ShowGeneralOptions();

} // namespace mx
