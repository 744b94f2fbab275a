#pragma once
// The model dialogs the data model window opens that live in libraries of
// their own (entities, sets, users and groups): each slot is filled by the
// library that holds the dialog; an empty slot leaves its command without
// effect (false). The window passes the model and, for the entities, the
// table shown first (may be none).

#include "core/hookslot.h"

namespace mx {
class TMxDataModel;
class TMxTable;
}

namespace mx::admin {

extern THookSlot<bool(TMxDataModel* model, TMxTable* first)> EntitiesEditor;
extern THookSlot<bool(TMxDataModel* model)> SetsEditor;
extern THookSlot<bool(TMxDataModel* model)> UsersEditor;

} // namespace mx::admin
