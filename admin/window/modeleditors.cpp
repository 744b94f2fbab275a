#include "modeleditors.h"

#include "adminhooks.h"
#include "fmentities.h"
#include "fmlink.h"
#include "fmsets.h"
#include "fmusers.h"
#include "modeldialogs.h"

#include "tools/hooks.h"
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
