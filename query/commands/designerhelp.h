#pragma once
// The designer's help menu and its options item, without a widget: the
// help contents, the user manual, the maker's addresses, the about box and
// the options dialog. The dialogs are reached through the slots below,
// filled by their units; an empty slot leaves the command without effect.

#include "core/hookslot.h"

#include <QString>

namespace mx {

// The about box; the general options dialog.
extern THookSlot<void()> AboutBoxHook;
extern THookSlot<void()> OptionsDialogHook;
// Opens a document, asking for it (or offering its download page, the
// pattern's "%s" being the file's name) when it is missing; the path of the
// document opened, empty when none could be.
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
// (context 0: the contents); the manual through the document runner, and
// when nothing opened it, the message about the PDF reader; an address
// through the desktop's program for it.
void ShowHelpContents();
void OpenUserManual(const QString& hint);
bool OpenAddress(const QString& address);
void ShowAbout();
void ShowGeneralOptions();

} // namespace mx
