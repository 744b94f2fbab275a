#include "modeleditors.h"

namespace mx::admin {

THookSlot<bool(TMxDataModel* model, TMxTable* first)> EntitiesEditor;
THookSlot<bool(TMxDataModel* model)> SetsEditor;
THookSlot<bool(TMxDataModel* model)> UsersEditor;

} // namespace mx::admin
