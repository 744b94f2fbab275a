#include "adminmodel.h"

#include "model/field.h"

namespace mx {

QString GetTypeText(const TDmField* field)
{
    return {};
}

int KeyFieldCount(const TDmFieldList* fields)
{
    return 0;
}

TMxEntity* AddEntity(TMxEntityList* entities)
{
    return nullptr;
}

TMxItem* FindField(const TMxEntityList* entities, const QString& name)
{
    return nullptr;
}

TMxLink* ProposeLink(const TMxTable* master, const TMxTable* detail)
{
    return nullptr;
}

bool HasDuplicateFields(const TMxTable* table)
{
    return false;
}

bool FullNameUsed(const TMxTableList* tables, int tableIndex, int fieldIndex, const QString& name)
{
    return false;
}

void CheckFullName(const TMxTableList* tables, int tableIndex, int fieldIndex, bool raise, const QString& name)
{
}

void CheckAllFieldNames(const TMxTableList* tables)
{
}

void MarkDuplicateFields(const TMxTableList* tables)
{
}

void MakeFieldNamesUnique(const TMxTableList* tables)
{
}

void RefreshFromDatabase(TMxTable* table, const QString& database, const QString& tableName, TStrings* log, TDmFieldList* removed)
{
}

void AnalyseFields(TMxTable* table, TDmFieldList* removed, TStrings* log)
{
}

void PurgeFields(TMxFormulaList* formulas, const TDmFieldList* removed, TStrings* log)
{
}

void PurgeFields(TMxParamList* params, const TDmFieldList* removed, TStrings* log)
{
}

void PurgeFields(TMxDomain* domain, const TDmFieldList* removed, TStrings* log)
{
}

void AnalyseTable(TMxDataModel* model, TMxTable* table)
{
}

void AnalyseTables(TMxDataModel* model)
{
}

bool HasMaster(const TMxDataModel* model, const TMxTable* table)
{
    return false;
}

bool InSubtree(const TMxDataModel* model, const TMxTable* root, const TMxTable* table)
{
    return false;
}

bool TryLink(TMxDataModel* model, TMxTable* master, TMxTable* detail)
{
    return false;
}

void AnalyseLinks(TMxDataModel* model)
{
}

TMxTable* AddTable(TMxDataModel* model, const QString& databaseName, const QString& tableName)
{
    return nullptr;
}

int BuildDatabaseList(TMxDataModel* model)
{
    return 0;
}

void ReadFromDriver(TMxDatabaseItem* item)
{
}

void CheckUsersWithoutGroup(const TMxDataModel* model)
{
}

TMxUserGroup* GetGroup(const TMxUserGroupList* groups, int index)
{
    return nullptr;
}

} // namespace mx
