#include "adminmodel.h"

#include "adminhelpers.h"

#include "engine/core/exceptions.h"
#include "engine/core/format.h"
#include "engine/core/itemptr.h"
#include "engine/core/strings.h"
#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/driver/dataset.h"
#include "engine/driver/dbengine.h"
#include "engine/driver/driver.h"
#include "engine/global/queryglobal.h"
#include "engine/model/database.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/field.h"
#include "engine/model/formula.h"
#include "engine/model/link.h"
#include "engine/model/param.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"
#include "engine/model/user.h"

#include <QSet>

#include <set>
#include <vector>

namespace mx {

namespace {

// A dataset of the driver, released through the driver on every path.
class TDriverDataset {
public:
    TDriverDataset(TIMxDriver* driver, TIMxDataset* dataset) : m_driver(driver), m_dataset(dataset) {}
    ~TDriverDataset()
    {
        if (m_driver && m_dataset)
            m_driver->FreeDataset(m_dataset);
    }
    TDriverDataset(const TDriverDataset&) = delete;
    TDriverDataset& operator=(const TDriverDataset&) = delete;
    TIMxDataset* get() const { return m_dataset; }
    TIMxDataset* operator->() const { return m_dataset; }
    explicit operator bool() const { return m_dataset != nullptr; }

private:
    TIMxDriver* m_driver;
    TIMxDataset* m_dataset;
};

TIMxDriver* driver()
{
    InitDbEngine();
    TIMxDriver* d = DbEngine();
    if (!d)
        throw EMxInternal(QStringLiteral("No database driver"));
    return d;
}

void addLine(TStrings* log, const QString& line)
{
    if (log)
        log->Add(line);
}

// The field's key position: 1 + the index of its name among the
// dataset's key fields (compared exactly), 0 for a field out of the key.
int keyPosition(TIMxDataset* dataset, const QString& name)
{
    const int keys = dataset->GetKeyFieldCount();
    for (int i = 0; i < keys; ++i)
        if (dataset->GetKeyFieldName(i) == name)
            return i + 1;
    return 0;
}

QChar globalShortType(const QString& longType)
{
    const TMxQueryGlobal* global = QueryGlobal();
    const TFieldTypeList* types = global ? global->FldTypes() : nullptr;
    return types ? FindShortType(*types, longType) : QChar();
}

// Name, key position, size and types of the dataset's field k.
void readField(TDmField* field, TIMxDataset* dataset, int k)
{
    const QString name = dataset->GetFieldName(k);
    field->SetName(name);
    field->SetIdx(keyPosition(dataset, name));
    field->SetSize(dataset->GetFieldSize(k));
    const QString longType = dataset->GetFieldTypeName(k);
    field->SetLongType(longType);
    field->SetShortType(globalShortType(longType));
}

// The entity's name for a table file: without its extension, lower case
// but the first letter ("CLIENTS.DB" gives "Clients").
QString entityNameFor(const QString& tableName)
{
    QString base = ExtractAliasFileName(tableName);
    if (base.isEmpty())
        base = tableName;
    const qsizetype dot = base.lastIndexOf(u'.');
    if (dot > 0)
        base.truncate(dot);
    return CapitalizeFirst(base);
}

QString withoutFinalSeparator(const QString& name)
{
    if (name.endsWith(u'/') || name.endsWith(u'\\'))
        return name.left(name.size() - 1);
    return name;
}

TDmField* dmField(const TMxTable* table, int index)
{
    return dynamic_cast<TDmField*>(table->Fields()->Items(index));
}

// Every formula list an entity holds: its criteria's and its own.
void purgeEntityFormulas(TMxEntity* entity, const TDmFieldList* removed, TStrings* log)
{
    TMxEntityCriteriaList* criterias = entity->Criterias();
    for (int c = 0; c < criterias->Count(); ++c)
        PurgeFields(criterias->Items(c)->Criteria(), removed, log);
    PurgeFields(entity->Formulas(), removed, log);
}

// The removed fields' entries in the entities of the table that lost them:
// an entry names a table field by its name (a calculated field, Id 0,
// lives elsewhere).
void purgeEntityEntries(TMxTable* table, const TDmFieldList* removed, TStrings* log)
{
    TMxEntityList* entities = table->Entities();
    for (int r = 0; r < removed->Count(); ++r) {
        const TMxField* gone = removed->Items(r);
        if (gone->Id() != table->Id())
            continue;
        for (int e = 0; e < entities->Count(); ++e) {
            TMxEntity* entity = entities->Items(e);
            TMxList* entries = entity->WFields();
            for (int i = entries->Count() - 1; i >= 0; --i) {
                TMxItem* entry = entries->Items(i);
                if (entry->Id() == 0 || entry->Name() != gone->Name())
                    continue;
                addLine(log, TranslateFmt(QStringLiteral("Suppression du champ '%s' de l'entité '%s'."),
                                 {gone->FullName(), entity->Name()}));
                entry->Free();
            }
        }
    }
}

} // namespace

// ---- fields and entities

QString GetTypeText(const TDmField* field)
{
    if (!field)
        return {};
    QString text;
    if (!field->ShortType().isNull())
        text += field->ShortType();
    if (field->Size() != 0)
        text += QString::number(field->Size());
    if (field->Idx() != 0)
        text += u'*';
    return text;
}

int KeyFieldCount(const TDmFieldList* fields)
{
    int count = 0;
    if (!fields)
        return 0;
    for (int i = 0; i < fields->Count(); ++i)
        if (auto* f = dynamic_cast<const TDmField*>(fields->Items(i)); f && f->Idx() > 0)
            ++count;
    return count;
}

TMxEntity* AddEntity(TMxEntityList* entities)
{
    return entities->AddNew();
}

TMxItem* FindField(const TMxEntityList* entities, const QString& name)
{
    for (int e = 0; e < entities->Count(); ++e)
        if (TMxItem* entry = entities->Items(e)->WFields()->FindByName(name))
            return entry;
    return nullptr;
}

// ---- links

TMxLink* ProposeLink(const TMxTable* master, const TMxTable* detail)
{
    if (!master || !detail)
        return nullptr;
    TItemPtr<TMxLink> link(new TMxLink(nullptr));
    link->SetMaster(master->Id());
    link->SetDetail(detail->Id());
    const TDmFieldList* masterFields = master->Fields();
    const TDmFieldList* detailFields = detail->Fields();
    for (int m = 0; m < masterFields->Count(); ++m) {
        const TMxField* mf = masterFields->Items(m);
        for (int d = 0; d < detailFields->Count(); ++d) {
            const auto* df = dynamic_cast<const TDmField*>(detailFields->Items(d));
            if (!df || df->Idx() <= 0)
                continue;
            if (mf->Name().toUpper() != df->Name().toUpper() || mf->LongType() != df->LongType())
                continue;
            TMxFLink* pair = link->FLinks()->AddNew();
            pair->Tables()->SetMaster(master->Id());
            pair->Tables()->SetDetail(detail->Id());
            pair->Fields()->SetMasterName(mf->Name());
            pair->Fields()->SetDetailName(df->Name());
        }
    }
    if (link->FLinks()->Count() == 0)
        return nullptr;
    return link.release();
}

// ---- full names

bool HasDuplicateFields(const TMxTable* table)
{
    for (int j = 0; j < table->Fields()->Count(); ++j)
        if (const TDmField* f = dmField(table, j); f && f->DuplicateMark())
            return true;
    return false;
}

bool FullNameUsed(const TMxTableList* tables, int tableIndex, int fieldIndex, const QString& name)
{
    const QString key = name.toUpper();
    for (int i = 0; i < tables->Count(); ++i) {
        const TDmFieldList* fields = tables->Items(i)->Fields();
        for (int j = 0; j < fields->Count(); ++j) {
            if (i == tableIndex && j == fieldIndex)
                continue;
            if (fields->Items(j)->FullName().toUpper() == key)
                return true;
        }
    }
    return false;
}

void CheckFullName(const TMxTableList* tables, int tableIndex, int fieldIndex, bool raise, const QString& name)
{
    const QString key = name.toUpper();
    for (int i = 0; i < tables->Count(); ++i) {
        const TMxTable* table = tables->Items(i);
        const TDmFieldList* fields = table->Fields();
        for (int j = 0; j < fields->Count(); ++j) {
            if (i == tableIndex && j == fieldIndex)
                continue;
            if (fields->Items(j)->FullName().toUpper() != key)
                continue;
            if (raise) {
                if (i == tableIndex)
                    throw Exception(TranslateFmt(QStringLiteral("La table %s possède deux champs nommés %s"),
                        {table->Name(), name}));
                throw Exception(TranslateFmt(QStringLiteral("Les tables %s et %s possèdent deux champs nommés %s"),
                    {tables->Items(tableIndex)->Name(), table->Name(), name}));
            }
            if (TDmField* f = dmField(table, j))
                f->SetDuplicateMark(true);
        }
    }
}

void CheckAllFieldNames(const TMxTableList* tables)
{
    for (int i = 0; i < tables->Count(); ++i) {
        const TDmFieldList* fields = tables->Items(i)->Fields();
        for (int j = 0; j < fields->Count(); ++j)
            CheckFullName(tables, i, j, true, fields->Items(j)->FullName());
    }
}

void MarkDuplicateFields(const TMxTableList* tables)
{
    for (int i = 0; i < tables->Count(); ++i)
        for (int j = 0; j < tables->Items(i)->Fields()->Count(); ++j)
            if (TDmField* f = dmField(tables->Items(i), j))
                f->SetDuplicateMark(false);
    for (int i = 0; i < tables->Count(); ++i) {
        const TDmFieldList* fields = tables->Items(i)->Fields();
        for (int j = 0; j < fields->Count(); ++j)
            CheckFullName(tables, i, j, false, fields->Items(j)->FullName());
    }
}

void MakeFieldNamesUnique(const TMxTableList* tables)
{
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < tables->Count(); ++i) {
            const TDmFieldList* fields = tables->Items(i)->Fields();
            for (int j = 0; j < fields->Count(); ++j) {
                TMxField* field = fields->Items(j);
                // Key fields keep their names while other fields can give
                // way; a key is known by its key position, wherever it
                // stands in the table.
                if (pass == 0) {
                    if (auto* f = dynamic_cast<const TDmField*>(field); f && f->Idx() > 0)
                        continue;
                }
                const QString name = field->FullName();
                if (!FullNameUsed(tables, i, j, name))
                    continue;
                for (int n = 1; n <= 10000; ++n) {
                    const QString candidate = name + u'_' + QString::number(n);
                    if (!FullNameUsed(tables, i, j, candidate)) {
                        field->SetFullName(candidate);
                        break;
                    }
                }
            }
        }
    }
}

// ---- re-reading tables from the database

void RefreshFromDatabase(TMxTable* table, const QString& database, const QString& tableName, TStrings* log,
    TDmFieldList* removed)
{
    if (table->Name().isEmpty())
        table->SetName(tableName);
    if (table->FullName().isEmpty())
        table->SetFullName(TranslateFmt(QStringLiteral("Table %s"), {tableName}));
    if (table->Database().isEmpty())
        table->SetDatabase(database);

    TIMxDriver* d = driver();
    TDriverDataset dataset(d, d->GetTable(table->Database(), table->Name()));
    if (!dataset) {
        addLine(log, TranslateFmt(QStringLiteral("Analyse de la table %s impossible"), {table->Name()}));
        return;
    }
    TDmFieldList* fields = table->Fields();
    const int count = dataset->GetFieldCount();
    QStringList names;
    for (int k = 0; k < count; ++k) {
        const QString name = dataset->GetFieldName(k);
        names << name;
        // Found by its exact name: a field whose spelling changed is a new
        // field, and the old one goes with its references below, so that
        // a table never holds two fields of one name.
        auto* field = dynamic_cast<TDmField*>(fields->FindByName(name, Qt::CaseSensitive));
        if (!field) {
            field = new TDmField(fields);
            fields->NotifyAdd(field);
        }
        readField(field, dataset.get(), k);
        if (field->FullName().isEmpty())
            field->SetFullName(name);
    }
    for (int j = fields->Count() - 1; j >= 0; --j) {
        TMxField* field = fields->Items(j);
        if (names.contains(field->Name()))
            continue;
        if (removed) {
            TMxItem* copy = field->Clone(removed);
            copy->SetId(table->Id());
        }
        field->Free();
    }
}

void AnalyseFields(TMxTable* table, TDmFieldList* removed, TStrings* log)
{
    if (log) {
        log->Add(QString());
        log->Add(TranslateFmt(QStringLiteral("Début analyse de la table '%s'"), {table->Name()}));
    }
    RefreshFromDatabase(table, QString(), QString(), log, removed);
    if (removed) {
        purgeEntityEntries(table, removed, log);
        TMxEntityList* entities = table->Entities();
        for (int e = 0; e < entities->Count(); ++e)
            purgeEntityFormulas(entities->Items(e), removed, log);
    }
    if (log) {
        log->Add(QString());
        log->Add(TranslateFmt(QStringLiteral("Fin analyse de la table '%s'"), {table->Name()}));
    }
}

void PurgeFields(TMxFormulaList* formulas, const TDmFieldList* removed, TStrings* log)
{
    if (!formulas || !removed)
        return;
    TMxItem* owner = formulas->Owner();
    const QString ownerName = owner ? owner->Name() : QString();
    for (int r = 0; r < removed->Count(); ++r) {
        const TMxField* gone = removed->Items(r);
        for (int i = 0; i < formulas->Count(); ++i) {
            TMxFormula* token = formulas->Items(i);
            if (token->Operator() != foField || token->FieldFullName() != gone->FullName()
                || token->FieldName() != gone->Name() || token->FieldTblId() != gone->Id())
                continue;
            token->SetFieldTblId(0);
            token->SetFieldStepId(0);
            token->SetFieldName(QString());
            token->SetFieldFullName(QString());
            addLine(log, TranslateFmt(QStringLiteral("Suppression du champ '%s' de la formule '%s'"),
                             {gone->FullName(), ownerName}));
        }
    }
}

void PurgeFields(TMxParamList* params, const TDmFieldList* removed, TStrings* log)
{
    if (!params || !removed)
        return;
    for (int r = 0; r < removed->Count(); ++r) {
        const TMxField* gone = removed->Items(r);
        for (int i = 0; i < params->Count(); ++i) {
            TMxParam* param = params->Items(i);
            if (param->Entry() != u'F' || param->FldName() != gone->Name() || param->TblId() != gone->Id())
                continue;
            param->SetTblId(0);
            param->SetFldName(QString());
            addLine(log, TranslateFmt(QStringLiteral("Suppression du champ '%s' du paramètre '%s'"),
                             {gone->Name(), param->Name()}));
        }
    }
}

namespace {

// A set's purge; its entries whose full name is in kept stay (another
// field of the model still bears that name).
void purgeDomain(TMxDomain* domain, const TDmFieldList* removed, TStrings* log, const QSet<QString>& kept)
{
    if (!domain || !removed)
        return;
    TMxList* entries = domain->Fields();
    for (int r = 0; r < removed->Count(); ++r) {
        const TMxField* gone = removed->Items(r);
        const QString key = gone->FullName().toUpper();
        if (kept.contains(key))
            continue;
        for (int i = entries->Count() - 1; i >= 0; --i) {
            TMxItem* entry = entries->Items(i);
            if (entry->Name().toUpper() != key)
                continue;
            addLine(log, TranslateFmt(QStringLiteral("Suppression du champ '%s' de l'ensemble '%s'"),
                             {gone->FullName(), domain->Name()}));
            entry->Free();
        }
    }
    PurgeFields(domain->Variables(), removed, log);
    PurgeFields(domain->Criteria(), removed, log);
    TMxQueryFieldList* calculated = domain->CalcFields();
    for (int i = 0; i < calculated->Count(); ++i)
        PurgeFields(calculated->Items(i)->FormulaList(), removed, log);
}

} // namespace

void PurgeFields(TMxDomain* domain, const TDmFieldList* removed, TStrings* log)
{
    purgeDomain(domain, removed, log, {});
}

void AnalyseTable(TMxDataModel* model, TMxTable* table)
{
    TItemPtr<TDmFieldList> removed(new TDmFieldList(nullptr));
    TStrings* report = model->Report();
    AnalyseFields(table, removed.get(), report);
    if (removed->Count() == 0)
        return;
    // Criteria and formulas of the other tables' entities may name the
    // removed fields too.
    TMxTableList* tables = model->Tables();
    for (int t = 0; t < tables->Count(); ++t) {
        TMxTable* other = tables->Items(t);
        if (other == table)
            continue;
        TMxEntityList* entities = other->Entities();
        for (int e = 0; e < entities->Count(); ++e)
            purgeEntityFormulas(entities->Items(e), removed.get(), report);
    }
    // Sets name fields by full name: a name that a field of the model still
    // bears stays in them.
    QSet<QString> kept;
    for (int t = 0; t < tables->Count(); ++t)
        for (int j = 0; j < tables->Items(t)->Fields()->Count(); ++j)
            kept.insert(tables->Items(t)->Fields()->Items(j)->FullName().toUpper());
    TMxDomainList* domains = model->Domains();
    for (int i = 0; i < domains->Count(); ++i)
        purgeDomain(domains->Items(i), removed.get(), report, kept);
}

void AnalyseTables(TMxDataModel* model)
{
    TStrings* report = model->Report();
    report->Add(QString());
    report->Add(Translate("Début analyse des tables."));
    try {
        TIMxDriver* d = driver();
        TMxTableList* tables = model->Tables();
        for (int i = 0; i < tables->Count(); ++i) {
            TMxTable* table = tables->Items(i);
            if (TMxDatabaseItem* item = model->Databases()->FindByName(table->Database()))
                d->OpenDatabase(table->Database(), item->UserName(), item->Password());
            AnalyseTable(model, table);
        }
    } catch (...) {
        report->Add(QString());
        report->Add(Translate("Fin analyse des tables."));
        report->Add(QString());
        throw;
    }
    report->Add(QString());
    report->Add(Translate("Fin analyse des tables."));
}

// ---- proposing links

bool HasMaster(const TMxDataModel* model, const TMxTable* table)
{
    const TMxLinkList* links = model->TLinks();
    for (int i = 0; i < links->Count(); ++i)
        if (links->Items(i)->Detail() == table->Id())
            return true;
    return false;
}

bool InSubtree(const TMxDataModel* model, const TMxTable* root, const TMxTable* table)
{
    if (!root || !table)
        return false;
    // Depth first from root along links master -> detail; a table is
    // entered once, so a cycle already in the links ends the walk.
    const TMxLinkList* links = model->TLinks();
    std::set<int> visited;
    std::vector<int> pending{root->Id()};
    while (!pending.empty()) {
        const int id = pending.back();
        pending.pop_back();
        if (id == table->Id())
            return true;
        if (!visited.insert(id).second)
            continue;
        for (int i = links->Count() - 1; i >= 0; --i)
            if (links->Items(i)->Master() == id)
                pending.push_back(links->Items(i)->Detail());
    }
    return false;
}

bool TryLink(TMxDataModel* model, TMxTable* master, TMxTable* detail)
{
    TStrings* report = model->Report();
    report->Add(TranslateFmt(QStringLiteral("Lien %s -> %s"), {master->Name(), detail->Name()}));
    if (HasMaster(model, detail)) {
        report->Add(TranslateFmt(QStringLiteral("-Echec: La table %s est déjà liée"), {detail->Name()}));
        return false;
    }
    if (InSubtree(model, detail, master)) {
        report->Add(TranslateFmt(QStringLiteral("-Echec: La table %s est déjà maître de la table %s"),
            {detail->Name(), master->Name()}));
        return false;
    }
    // A link joins the detail by its key: a table without one is told so,
    // never given a key guessed from its fields.
    if (KeyFieldCount(detail->Fields()) == 0) {
        report->Add(TranslateFmt(QStringLiteral("-Echec: La table %s n'a pas de clé"), {detail->Name()}));
        return false;
    }
    TItemPtr<TMxLink> proposed(ProposeLink(master, detail));
    if (!proposed) {
        report->Add(Translate("-Echec: Aucun lien supposable"));
        return false;
    }
    TMxLinkList* links = model->TLinks();
    const int id = links->NextId();
    auto* link = new TMxLink(links);
    link->SetId(id);
    link->Assign(proposed.get());
    links->NotifyAdd(link);
    report->Add(Translate("-SUCCES"));
    return true;
}

void AnalyseLinks(TMxDataModel* model)
{
    TStrings* report = model->Report();
    report->Add(Translate("Début d'analyse des liens."));
    report->Add(QString());
    TMxTableList* tables = model->Tables();
    for (int i = 0; i < tables->Count(); ++i) {
        for (int j = i + 1; j < tables->Count(); ++j) {
            TryLink(model, tables->Items(i), tables->Items(j));
            report->Add(QString());
            TryLink(model, tables->Items(j), tables->Items(i));
            report->Add(QString());
        }
    }
    report->Add(Translate("Analyse des liens terminée."));
}

// ---- tables, databases and users

TMxTable* AddTable(TMxDataModel* model, const QString& databaseName, const QString& tableName)
{
    TIMxDriver* d = driver();
    TDriverDataset dataset(d, d->GetTable(databaseName, tableName));
    if (!dataset) {
        UserService().MessageDlg(Format(QStringLiteral("Ouverture de la table %s impossible"), {tableName}),
            TMsgDlgType::mtError, mbOK);
        return nullptr;
    }
    const int count = dataset->GetFieldCount();
    if (count <= 0)
        return nullptr;

    // The table is told to the observers once its Id and names are set.
    TMxTableList* tables = model->Tables();
    const int id = tables->NextId();
    auto* table = new TMxTable(tables);
    table->SetId(id);
    table->SetName(tableName);
    table->SetFullName(TranslateFmt(QStringLiteral("Table %s"), {tableName}));
    table->SetDatabase(databaseName);
    tables->NotifyAdd(table);

    TMxEntityList* entities = table->Entities();
    const int entityId = entities->NextId();
    TMxEntity* entity = AddEntity(entities);
    entity->SetId(entityId);
    entity->SetName(entityNameFor(tableName));

    TDmFieldList* fields = table->Fields();
    for (int k = 0; k < count; ++k) {
        auto* field = new TDmField(fields);
        readField(field, dataset.get(), k);
        field->SetFullName(field->Name());
        fields->NotifyAdd(field);
        entity->AddField(field);
    }
    table->Change();
    return table;
}

int BuildDatabaseList(TMxDataModel* model)
{
    TMxDatabaseList* databases = model->Databases();
    const TMxTableList* tables = model->Tables();
    int added = 0;
    for (int i = 0; i < tables->Count(); ++i) {
        const QString database = tables->Items(i)->Database();
        if (database.isEmpty() || databases->FindByName(database))
            continue;
        // An alias is a key, kept upper-cased; a folder keeps its spelling
        // (file names are case-sensitive).
        QString name = withoutFinalSeparator(database);
        if (IsPlainFileName(name))
            name = name.toUpper();
        TMxDatabaseItem* item = databases->AddNew();
        item->SetName(name);
        ReadFromDriver(item);
        ++added;
    }
    return added;
}

void ReadFromDriver(TMxDatabaseItem* item)
{
    if (!item)
        return;
    const QString name = item->Name();
    if (!IsPlainFileName(name)) {
        item->SetDriverName(QString());
        return;
    }
    TIMxDriver* d = driver();
    item->SetDriverName(d->GetDatabaseType(name));
    item->SetPassword(d->GetDatabasePassword(name));
    item->SetUserName(d->GetDatabaseUserName(name));
}

void CheckUsersWithoutGroup(const TMxDataModel* model)
{
    const TMxUserList* users = model->Users();
    const TMxUserGroupList* groups = model->Groups();
    for (int u = 0; u < users->Count(); ++u) {
        const QString name = users->Items(u)->Name();
        bool grouped = false;
        for (int g = 0; g < groups->Count() && !grouped; ++g)
            grouped = groups->Items(g)->Users()->FindByName(name) != nullptr;
        if (!grouped)
            throw Exception(TranslateFmt(QStringLiteral("L'utilisateur %s n'appartient à aucun groupe"), {name}));
    }
}

TMxUserGroup* GetGroup(const TMxUserGroupList* groups, int index)
{
    return groups->Items(index);
}

} // namespace mx
