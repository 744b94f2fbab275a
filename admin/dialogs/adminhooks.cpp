#include "adminhooks.h"

#include "fmselecttable.h"
#include "fmtableproperties.h"

namespace mx::admin {

THookSlot<bool(TStrings*, TMxDatabaseItem*)> TableSelector;
THookSlot<bool(TMxTableList*, TMxItem*)> TablePropertiesEditor;
THookSlot<bool()> ConfigurationEditor;

bool EditConfiguration()
{
    return ConfigurationEditor ? ConfigurationEditor() : false;
}

void RegisterAdminDialogs()
{
    TableSelector.set([](TStrings* tables, TMxDatabaseItem* database) { return SelectTables(tables, database); });
    TablePropertiesEditor.set([](TMxTableList* tables, TMxItem* first) { return EditTableProperties(tables, first); });
}

} // namespace mx::admin
