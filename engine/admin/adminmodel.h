#pragma once
// Operations on a data model that only the administration program needs:
// building tables from the database through the driver, re-reading a
// table's structure and purging what vanished, proposing links between
// tables from their fields, keeping field full names unique, and checking
// users and database items before a save.
//
// Analyses write a readable log into the model's Report, every line through
// Translate or TranslateFmt with the French text as key; empty lines
// separate blocks. Everything that reaches the database calls InitDbEngine
// first and releases every dataset through the driver's FreeDataset.
//
// Key fields are known by their key position (Idx > 0), never by their
// place in the table.

#include <QString>

namespace mx {

class TDmField;
class TDmFieldList;
class TMxDataModel;
class TMxDatabaseItem;
class TMxDomain;
class TMxEntity;
class TMxEntityList;
class TMxFormulaList;
class TMxItem;
class TMxLink;
class TMxParamList;
class TMxTable;
class TMxTableList;
class TMxUserGroup;
class TMxUserGroupList;
class TStrings;

// ---- fields and entities

// The type letter, the Size when not 0, then "*" for a key field: a key
// text field of size 30 gives "A30*".
QString GetTypeText(const TDmField* field);
// The number of fields whose Idx is greater than 0.
int KeyFieldCount(const TDmFieldList* fields);
// A new entity owned by the list (its Id and name are the caller's).
TMxEntity* AddEntity(TMxEntityList* entities);
// The first field entry of that name in the entities taken in order (by
// the list's FindByName rule); none.
TMxItem* FindField(const TMxEntityList* entities, const QString& name);

// ---- links

// A new link (owned by the caller, not in any list) from master to detail
// whose pairs are every master field M and detail field D with the same
// upper-cased Name, the same LongType exactly, and D a key field of the
// detail table; none when no pair matches.
TMxLink* ProposeLink(const TMxTable* master, const TMxTable* detail);

// ---- full names

// The duplicate mark of a field: set only by MarkDuplicateFields, never
// stored. TDmField::DuplicateMark() (model/field.h) holds it.
bool HasDuplicateFields(const TMxTable* table);
// True when any field other than (tableIndex, fieldIndex) has this full
// name, compared upper-cased.
bool FullNameUsed(const TMxTableList* tables, int tableIndex, int fieldIndex, const QString& name);
// For every other field with that full name (compared upper-cased): with
// raise, raises Exception "La table %s possède deux champs nommés %s" (same
// table) or "Les tables %s et %s possèdent deux champs nommés %s"; without
// it, marks that field as a duplicate.
void CheckFullName(const TMxTableList* tables, int tableIndex, int fieldIndex, bool raise, const QString& name);
// CheckFullName with raise for every field of every table in order: the
// first duplicate raises.
void CheckAllFieldNames(const TMxTableList* tables);
// Clears every mark, then marks every field that shares its full name.
void MarkDuplicateFields(const TMxTableList* tables);
// Gives every field whose full name is used elsewhere the first free
// "<full name>_<n>", n from 1 to 10000 (the name stays when all are taken).
// Two passes: the first leaves out the key fields (Idx > 0), the second
// takes every field, so non-key duplicates give way first.
void MakeFieldNamesUnique(const TMxTableList* tables);

// ---- re-reading tables from the database

// Re-reads a table's fields through the driver (GetTable of the table's
// Database and Name). An empty Name, FullName or Database first takes the
// table name given, "Table <name>", the database given. Fields are found
// or made by name; Name, Idx (key position, 1-based), Size, LongType and
// ShortType (the global field types, character 0 when unknown) are set, a
// full name the administrator gave is kept. Fields the database no longer
// has go to removed as copies whose Id is the table's Id, and leave the
// table. A table the driver cannot open logs "Analyse de la table %s
// impossible" and changes nothing. log and removed may be none.
void RefreshFromDatabase(TMxTable* table, const QString& database, const QString& tableName, TStrings* log,
    TDmFieldList* removed);
// RefreshFromDatabase of the table as it stands, then the purge of the
// removed fields from its entities (entries and criteria), each logged.
void AnalyseFields(TMxTable* table, TDmFieldList* removed, TStrings* log);

// The purges of removed fields (R: a copy whose Id is its former table's
// Id); each purged reference logs one line when log is given.
// Field tokens naming R (Name and FullName exactly, FieldTblId = R's Id)
// are emptied and stay in the list.
void PurgeFields(TMxFormulaList* formulas, const TDmFieldList* removed, TStrings* log);
// Field-bound parameters (Entry "F", FldName = R's Name, TblId = R's Id)
// lose their field.
void PurgeFields(TMxParamList* params, const TDmFieldList* removed, TStrings* log);
// A set: its entries of R's full name (compared upper-cased), its
// variables, its criterion and the formulas of its calculated fields.
void PurgeFields(TMxDomain* domain, const TDmFieldList* removed, TStrings* log);

// Re-reads one table and purges what it lost from the whole model: the
// entities of every table (their entries of that table, criteria and
// formulas) and every set (a set's entry stays while another field of the
// model bears its full name). Logged in the model's Report.
void AnalyseTable(TMxDataModel* model, TMxTable* table);
// Every table in order, each database opened first with its item's user
// and password. The closing lines are written also when a step raises.
void AnalyseTables(TMxDataModel* model);

// ---- proposing links

// A link of TLinks has this table as detail.
bool HasMaster(const TMxDataModel* model, const TMxTable* table);
// table is root, or is reached from root by following links from master
// to detail. Terminates on a model whose links already hold a cycle.
bool InSubtree(const TMxDataModel* model, const TMxTable* root, const TMxTable* table);
// One try of master -> detail, logged: refused when the detail has a
// master or the master lies below the detail (no cycle is ever made), or
// has no key field; else the proposed link joins TLinks. True when a link
// was added.
bool TryLink(TMxDataModel* model, TMxTable* master, TMxTable* detail);
// Tries every pair i < j in list order, both ways.
void AnalyseLinks(TMxDataModel* model);

// ---- tables, databases and users

// Adds a table read from the database, with one entity holding all its
// fields, named after the table file ("CLIENTS.DB" gives "Clients"). A
// table the driver cannot open is told through the user service and
// nothing is added; a table without fields adds nothing. Returns the new
// table or none.
TMxTable* AddTable(TMxDataModel* model, const QString& databaseName, const QString& tableName);
// An item in Databases for every table's Database that has none: an alias
// upper-cased, a folder as written; one final separator dropped. Each new
// item is read from the driver. Returns the number of items added.
int BuildDatabaseList(TMxDataModel* model);
// An alias item takes its driver name, password and user name from the
// driver; a folder item (a name holding ":", "\" or "/") gets an empty
// driver name and keeps the others.
void ReadFromDriver(TMxDatabaseItem* item);
// Raises Exception "L'utilisateur %s n'appartient à aucun groupe" for the
// first user, in list order, that no group lists. A model without users
// passes.
void CheckUsersWithoutGroup(const TMxDataModel* model);
// The group at that index.
TMxUserGroup* GetGroup(const TMxUserGroupList* groups, int index);

} // namespace mx
