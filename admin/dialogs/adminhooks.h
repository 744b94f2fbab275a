#pragma once
// The administration program's dialogs as the data model window reaches
// them: each slot is filled by RegisterAdminDialogs; a caller does nothing
// when its slot is empty.

#include "engine/core/hookslot.h"

namespace mx {
class TMxDatabaseItem;
class TMxItem;
class TMxTableList;
class TStrings;
}

namespace mx::admin {

// The table-picking dialog: the chosen tables go into tables (":ALIAS:table"
// or a file's path), their database into database. True on OK.
extern THookSlot<bool(TStrings* tables, TMxDatabaseItem* database)> TableSelector;
// The table properties of a model's tables, showing first (may be none).
// True on OK.
extern THookSlot<bool(TMxTableList* tables, TMxItem* first)> TablePropertiesEditor;
// The configuration window (datasources and drivers); True when the user
// confirmed. Until that window exists the slot stays empty.
extern THookSlot<bool()> ConfigurationEditor;

// The configuration window through its slot; False when it is empty.
bool EditConfiguration();

// Fills the slots above with this library's dialogs.
void RegisterAdminDialogs();

} // namespace mx::admin
