#include "modeleditors.h"

#include "admin/dialogs/adminhooks.h"
#include "admin/modeldialogs/fmentities.h"
#include "admin/diagram/fmlink.h"
#include "admin/modeldialogs/fmsets.h"
#include "admin/modeldialogs/fmusers.h"
#include "admin/modeldialogs/modeldialogs.h"

#include "engine/tools/hooks.h"
#include "ui/formula/fmformula.h"

namespace mx::admin {

THookSlot<bool(TMxDataModel* model, TMxTable* first)> EntitiesEditor;
THookSlot<bool(TMxDataModel* model)> SetsEditor;
THookSlot<bool(TMxDataModel* model)> UsersEditor;

void RegisterDataModelEditors()
{
    RegisterModelDialogs();
    RegisterLinkEditor();
    // The criteria of entities and sets are edited in the formula editor.
    ui::InstallFormulaEditor();
    // The entities dialog opens on the model's first table whatever the
    // selection.
    EntitiesEditor.set([](TMxDataModel* model, TMxTable*) { return EditEntities(model); });
    SetsEditor.set([](TMxDataModel* model) { return EditDomains(model); });
    UsersEditor.set([](TMxDataModel* model) { return EditUsers(model); });
}

} // namespace mx::admin
