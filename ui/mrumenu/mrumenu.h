#pragma once
// A recent-file list shown under a menu: numbered entries (&1. Sales ...)
// above the menu's own fixed entries, rebuilt at every change of the list.
// The menu may go away before the list: the binding then does nothing.

#include <QString>

#include <functional>

class QMenu;

namespace mx {
class TMRU;
}

namespace mx::ui {

// The dynamic property that marks the entries a list owns.
inline constexpr const char* kMRUEntryProperty = "mxMRUEntry";

// Binds the list to the menu (none: unbinds) and builds the entries once.
// Choosing an entry calls onOpen with its file name, guarded: an exception
// goes to the error handler.
void BindMRUMenu(TMRU* mru, QMenu* menu, std::function<void(const QString& fileName)> onOpen);
// Rebuilds the entries of a bound list.
void MRUChanged(TMRU* mru);

} // namespace mx::ui
