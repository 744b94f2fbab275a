#pragma once
// The editors of this folder as the data model window reaches them.

namespace mx::admin {

// Fills the administration dialogs' slots, the configuration window's
// included (RegisterAdminDialogs, then ConfigurationEditor).
void RegisterModelDialogs();

} // namespace mx::admin
