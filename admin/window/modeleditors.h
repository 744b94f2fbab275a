#pragma once
// The model dialogs the data model window opens (entities, sets, users and
// groups), reached through slots so that the window's tests answer them
// with their own; an empty slot leaves its command without effect (false). The window passes the model and, for the entities, the
// table shown first (may be none).

#include "engine/core/hookslot.h"

namespace mx {
class TMxDataModel;
class TMxTable;
}

namespace mx::admin {

extern THookSlot<bool(TMxDataModel* model, TMxTable* first)> EntitiesEditor;
extern THookSlot<bool(TMxDataModel* model)> SetsEditor;
extern THookSlot<bool(TMxDataModel* model)> UsersEditor;

// Fills every dialog slot the window uses: the administration dialogs, the
// configuration window, the link dialog, and the three above.
void RegisterDataModelEditors();

} // namespace mx::admin
