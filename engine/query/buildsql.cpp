// The SQL statement of a step: result tables of earlier steps, the field
// collection and the statement itself, in the dialect of the step's
// database.

#include "query.h"
#include "querystep.h"

#include "engine/core/exceptions.h"
#include "engine/core/format.h"
#include "engine/destination/destinationtype.h"
#include "engine/destination/querydestination.h"
#include "engine/global/datasource.h"
#include "engine/model/database.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/formula.h"
#include "engine/model/link.h"
#include "engine/model/table.h"
#include "engine/model/user.h"
#include "engine/settings/global.h"

#include <algorithm>
#include <map>

namespace mx {

// ---- result tables of earlier steps --------------------------------------

void TMxQueryStep::applyViewPrefixes()
{
    const TMxQuery* query = GetQuery();
    const TMxUser* user = m_model ? m_model->CurrentUser() : nullptr;
    m_destinations->SetViewPrefixes(query ? query->ViewPrefix() : QString(), user ? user->ViewPrefix() : QString());
}

QString TMxQueryStep::GetResultName()
{
    applyViewPrefixes();
    if (m_destinations->GenerateView())
        return m_destinations->GetViewName();
    for (int i = 0; i < m_destinations->Count(); ++i) {
        TQueryDestinationItem* d = m_destinations->Items(i);
        if (!d->HasFileName())
            continue;
        TDestinationItem* type = d->FindDestinationType();
        if (type && type->Output() == doTable)
            return d->SentFileName(); // the name the table output writes
    }
    return {};
}

bool TMxQueryStep::syncResultTable(TMxTable* table, TMxQueryStep* source)
{
    table->SetFullName(source->GetName());
    QStringList names;
    QList<QChar> types;
    for (TMxItem* item : *source->AllFields()) {
        auto* f = static_cast<TMxQueryField*>(item);
        if (f->Checked() && !names.contains(f->FullName())) {
            names << f->FullName();
            types << f->FieldType();
        }
    }
    TDmFieldList* fields = table->Fields();
    bool same = fields->Count() == names.size();
    for (int i = 0; same && i < names.size(); ++i)
        same = fields->Items(i)->Name() == names[i] && fields->Items(i)->ShortType() == types[i];
    TMxEntityList* entities = table->Entities();
    if (same && entities->Count() == 1 && entities->Items(0)->Name() == source->GetName() && entities->Items(0)->Id() == table->Id())
        return false;
    if (!same) {
        fields->Clear();
        for (int i = 0; i < names.size(); ++i) {
            auto* f = new TDmField(fields);
            f->SetId(i + 1);
            f->SetIdx(i);
            f->SetName(names[i]);
            f->SetFullName(names[i]);
            f->SetShortType(types[i]);
        }
    }
    entities->Clear();
    auto* entity = new TMxEntity(entities);
    entity->SetId(table->Id()); // its copy in the entity view is known by it
    entity->SetName(source->GetName());
    for (int i = 0; i < fields->Count(); ++i)
        entity->AddField(fields->Items(i));
    return true;
}

void TMxQueryStep::EnsureResultTables()
{
    TMxQueryStepList* steps = item_cast<TMxQueryStepList>(OwnerList());
    if (!m_model || !steps)
        return;
    const int mine = steps->IndexOf(this);
    TMxTableList* tables = m_model->Tables();
    for (int j = 0; j < mine; ++j) {
        TMxQueryStep* source = steps->Items(j);
        TMxTable* table = tables->FindById(-source->Id());
        if (!table) {
            table = new TMxTable(tables);
            table->SetId(-source->Id());
            tables->NotifyAdd(table);
        }
        syncResultTable(table, source);
        if (table->Name().isEmpty())
            table->SetName(source->GetResultName());
    }
}

void TMxQueryStep::offerResultEntities()
{
    if (!m_model || !m_model->CurrentDomain())
        return;
    TMxEntityList* view = m_model->DomainEntities();
    for (int i = view->Count() - 1; i >= 0; --i)
        if (view->Items(i)->Id() < 0)
            view->Items(i)->Free();
    for (TMxItem* t : *m_model->Tables()) {
        auto* table = static_cast<TMxTable*>(t);
        if (table->Id() < 0)
            for (TMxItem* e : *table->Entities())
                e->Clone(view);
    }
}

void TMxQueryStep::ApplyDomain(int domainId)
{
    if (!m_model)
        return;
    EnsureResultTables();
    m_model->SetDomainById(domainId);
    offerResultEntities();
}

void TMxQueryStep::RefreshResultTables()
{
    m_resultErrors.clear();
    if (!m_model)
        return;
    TMxQueryStepList* steps = item_cast<TMxQueryStepList>(OwnerList());
    const int mine = steps ? steps->IndexOf(this) : -1;
    bool changed = false;
    for (TMxItem* item : *m_model->Tables()) {
        auto* table = static_cast<TMxTable*>(item);
        if (table->Id() >= 0)
            continue;
        const int stepId = -table->Id();
        TMxQueryStep* source = steps ? steps->FindById(stepId) : nullptr;
        QString error;
        if (!source) {
            error = TranslateFmt(QStringLiteral("%s : l'étape %d, dont le résultat est lu, n'existe pas."), {GetName(), stepId});
        } else if (steps->IndexOf(source) >= mine) {
            error = TranslateFmt(QStringLiteral("%s : le résultat de %s n'existe pas encore quand cette étape s'exécute."),
                {GetName(), source->GetName()});
        } else {
            changed = syncResultTable(table, source) || changed;
            const QString out = source->GetResultName();
            if (out.isEmpty()) {
                error = TranslateFmt(QStringLiteral("%s : %s n'écrit son résultat ni dans une vue ni dans une table."),
                    {GetName(), source->GetName()});
            } else if (source->Destinations()->GenerateView()) {
                table->SetDatabase(source->MainDatabase());
                table->SetName(out);
            } else {
                const qsizetype cut = std::max(out.lastIndexOf(u'/'), out.lastIndexOf(u'\\'));
                table->SetDatabase(cut >= 0 ? out.left(cut) : QString());
                table->SetName(cut >= 0 ? out.mid(cut + 1) : out);
            }
        }
        if (!error.isEmpty()) {
            m_resultErrors.emplace_back(table->Id(), error);
            // what the designer shows in place of the name
            table->SetName(u'[' + (source ? source->GetName() : TranslateFmt(QStringLiteral("Etape %d"), {stepId})) + u']');
        }
    }
    if (changed)
        offerResultEntities();
}

// ---- preparation ---------------------------------------------------------

void TMxQueryStep::PrepareStep()
{
    if (HasState(stDestroying))
        return;
    RefreshResultTables();
    GetQueryFields();
    LinkTables();
    BuildSQL();
}

namespace {
int boundTableId(const TMxQueryField* f)
{
    return f->GetTable() ? f->GetTable()->Id() : f->TableId();
}
} // namespace

void TMxQueryStep::GetQueryFields()
{
    m_selectedFields->Clear();
    m_tables.clear();
    m_entityCriteria.clear();
    m_extraFilters.clear();
    for (TMxItem* e : *m_entities)
        if (TMxEntityCriteria* c = static_cast<TMxQueryEntity*>(e)->SourceItem())
            m_entityCriteria.push_back(c);

    for (TMxItem* item : *m_allFields) {
        auto* f = static_cast<TMxQueryField*>(item);
        const bool calculated = f->Calculated();
        if (calculated && !f->Checked())
            continue;
        TMxQueryField* selected = m_selectedFields->FindByTable(boundTableId(f), f->Name(), f->SourceStepId());
        if (calculated)
            FormulaToSQL(f, false);
        if (!calculated && !f->GetTable())
            throw EMxBadDatamodel(TranslateFmt(QStringLiteral("%s : le champ %s n'a pas de table dans le modèle de données."),
                {GetName(), f->FullName()}));
        TMxTable* table = f->QueryTable() ? f->QueryTable() : f->GetTable();
        if (!selected) {
            if (!calculated)
                CriteriaToSQL(f, f->FormulaList(), false, f->SQLCriteria());
            selected = static_cast<TMxQueryField*>(f->Clone(m_selectedFields.get()));
            if (!calculated)
                AddTable(table);
        } else if (!calculated && f->FormulaList()->Count() > 0) {
            // the same field standing twice keeps both filters
            CriteriaToSQL(f, f->FormulaList(), false, f->SQLCriteria());
            m_extraFilters.emplace_back(m_selectedFields->IndexOf(selected), f);
        }
        if (f->Checked()) {
            selected->SetSourceName(f->SourceName());
            selected->SetBaseName(f->BaseName());
            selected->SetStepId(f->StepId());
            selected->SetFullName(f->FullName());
            selected->SetTotal(f->Total());
            selected->SetChecked(true);
            if (!calculated)
                AddTable(table);
        }
    }
    for (TMxEntityCriteria* c : m_entityCriteria)
        CriteriaToSQL(nullptr, c->Criteria(), false, c->SQLCriteria());
    // The step's and the set's criteria name tables too: they must stand in
    // the FROM list and be joined.
    CriteriaToSQL(nullptr, m_stepCriteria.get(), false, m_stepCriteriaSql.get());
    if (TMxQuery* query = GetQuery())
        if (TMxDomain* domain = query->GetDomain())
            CriteriaToSQL(nullptr, domain->Criteria(), false, domain->SQLText());
}

namespace {

// A database as the step compares it: a directory keeps its spelling
// (file names are case-sensitive), an alias is upper-cased.
QString databaseKey(const QString& database)
{
    if (TMxTable::IsPath(database)) {
        QString d = database;
        while (d.size() > 1 && (d.endsWith(u'/') || d.endsWith(u'\\')))
            d.chop(1);
        return d;
    }
    return database.toUpper();
}

void appendList(QStringList& list, const TConcatStringList& text)
{
    if (text.Count() == 0)
        return;
    if (!list.isEmpty())
        list << QStringLiteral("AND");
    list << text.Lines();
}

TMxLink* linkOf(const TMxFLink* pair)
{
    TMxList* list = pair->OwnerList();
    return list ? item_cast<TMxLink>(list->Owner()) : nullptr;
}

} // namespace

// The SELECT statement of a prepared step (or the CREATE VIEW around it),
// written clause by clause into the step's SQL. The clauses are written in
// the order the statement reads, except that the columns and their filters
// are worked out before anything is written.
class TSelectStatementWriter {
public:
    explicit TSelectStatementWriter(TMxQueryStep& step)
        : m_step(step), m_syntax(step.m_syntax), m_out(step.m_sql->Lines()), m_run(step.isRunMode())
    {
    }

    void Write()
    {
        if (m_step.m_selectedFields->Count() == 0) {
            if (m_run)
                throw EMxAbort(TranslateFmt(QStringLiteral("%s: Aucun champ n'est sélectionné."), {m_step.GetName()}));
            return;
        }
        chooseDatabasesAndDialect();
        checkResultTables();
        nameView();
        gatherColumns();
        gatherEntityCriteria();
        if (m_columns.empty() && m_run)
            throw EMxAbort(TranslateFmt(QStringLiteral("%s: Aucun champ n'est sélectionné."), {m_step.GetName()}));
        writeViewHead();
        writeColumns();
        writeFromAndJoins();
        writeJoinConditions();
        gatherStepCriterion();
        gatherSetCriterion();
        writeWhere();
        writeGroupBy();
        writeHaving();
        writeOrderBy();
        writeRowLimit();
    }

private:
    struct Column {
        QString expression;
        QString name;
    };
    struct OuterLink {
        TMxLink* link;
        const TMxSqlJoin* join;
        std::vector<const TMxFLink*> pairs;
    };

    // The databases the tables live in, whether they are all one, and the
    // dialect that follows: the single database's driver, else the
    // standard one.
    void chooseDatabasesAndDialect()
    {
        TMxQueryStep& s = m_step;
        s.m_mainDatabase.clear();
        s.m_singleDatabase = false;
        for (TMxTable* t : s.m_tables)
            if (s.m_model)
                if (TMxDatabaseItem* item = s.m_model->Databases()->FindByName(t->Database()))
                    if (std::find(s.m_databases.begin(), s.m_databases.end(), item) == s.m_databases.end())
                        s.m_databases.push_back(item);
        if (!s.m_tables.empty()) {
            const QString first = databaseKey(s.m_tables.front()->Database());
            s.m_mainDatabase = TMxTable::IsPath(s.m_tables.front()->Database()) ? s.m_tables.front()->Database() : first;
            s.m_singleDatabase = true;
            for (const TMxTable* t : s.m_tables)
                if (databaseKey(t->Database()) != first)
                    s.m_singleDatabase = false;
        }
        QString driver = QString::fromLatin1(kStandardDatasource);
        if (s.m_singleDatabase && s.m_model)
            if (TMxDatabaseItem* item = s.m_model->Databases()->FindByName(s.m_tables.front()->Database()))
                if (!item->DriverName().isEmpty())
                    driver = item->DriverName();
        s.SetSQLSyntax(driver);
    }

    // A run stops on a result table of an earlier step that cannot be read.
    void checkResultTables()
    {
        if (!m_run)
            return;
        for (const TMxTable* t : m_step.m_tables)
            if (t->Id() < 0)
                for (const auto& [id, error] : m_step.m_resultErrors)
                    if (id == t->Id())
                        throw EMxAbort(error);
    }

    void nameView()
    {
        m_view = m_step.m_destinations->GenerateView();
        if (m_view) {
            m_step.applyViewPrefixes();
            m_viewName = m_step.m_destinations->GetViewName();
        }
    }

    // What the run needs to know of a column: its total and the field's
    // type (a table field's own type name and size when it has one).
    static TStepColumn stepColumn(const TMxQueryField* f)
    {
        TStepColumn c;
        c.total = f->Total();
        c.fieldType = f->FieldType();
        if (!f->Calculated())
            if (const TMxTable* table = f->GetTable())
                if (const TMxField* own = table->Fields()->FindField(f->Name())) {
                    c.tableType = own->LongType();
                    c.size = own->Size();
                }
        return c;
    }

    // The columns, and the filters of the fields: on a field with a total
    // they go to Having, else to the WHERE list.
    void gatherColumns()
    {
        TMxQueryStep& s = m_step;
        TMxQueryFieldList* fields = s.m_selectedFields.get();
        m_position.assign(size_t(fields->Count()), 0);
        s.m_columns.clear();
        TMxTable* firstTable = !s.m_tables.empty() ? s.m_tables.front() : (s.m_model ? s.m_model->CalcTable() : nullptr);
        for (int i = 0; i < fields->Count(); ++i) {
            TMxQueryField* f = fields->Items(i);
            if (f->Calculated()) {
                if (firstTable) {
                    f->SetTable(firstTable);
                    f->SetQueryTable(firstTable);
                }
                s.FormulaToSQL(f, true);
                if (f->Formula().isEmpty())
                    continue;
                if (!f->Total().isEmpty())
                    m_grouped = true;
            } else {
                QStringList& list = f->Total().isEmpty() ? m_whereList : m_havingList;
                s.CriteriaToSQL(f, f->FormulaList(), true, f->SQLCriteria());
                appendList(list, *f->SQLCriteria());
                for (const auto& [index, other] : s.m_extraFilters)
                    if (index == i) {
                        TConcatStringList extra;
                        s.CriteriaToSQL(f, other->FormulaList(), true, &extra);
                        appendList(list, extra);
                    }
                if (!f->Total().isEmpty())
                    m_grouped = true;
                if (!f->Checked())
                    continue;
            }
            m_columns.push_back({f->GetSqlExpression(m_syntax), f->GetSqlFieldName(m_syntax)});
            s.m_columns.push_back(stepColumn(f));
            m_position[size_t(i)] = int(m_columns.size());
        }
    }

    void gatherEntityCriteria()
    {
        for (TMxEntityCriteria* c : m_step.m_entityCriteria) {
            m_step.CriteriaToSQL(nullptr, c->Criteria(), true, c->SQLCriteria());
            appendList(m_whereList, *c->SQLCriteria());
        }
    }

    void writeViewHead()
    {
        if (!m_view)
            return;
        m_out << QStringLiteral("CREATE VIEW ") + m_viewName;
        QStringList names;
        for (const Column& c : m_columns)
            names << c.name;
        m_out << u'(' + names.join(QStringLiteral(", ")) + QStringLiteral(") AS");
    }

    void writeColumns()
    {
        m_out << (m_step.m_distinctSelect ? QStringLiteral("SELECT distinct") : QStringLiteral("SELECT "));
        for (size_t i = 0; i < m_columns.size(); ++i)
            m_out << m_columns[i].expression + (m_view ? QString() : QStringLiteral(" AS ") + m_columns[i].name)
                    + (i + 1 < m_columns.size() ? QStringLiteral(",") : QString());
    }

    // FROM, with one JOIN per chosen outer link right after its master.
    void writeFromAndJoins()
    {
        m_out << QStringLiteral("FROM ");
        sortLinks();
        chooseJoinedLinks();
        std::vector<const TMxTable*> items;
        for (const TMxTable* t : m_step.m_tables)
            if (!m_parent.count(t->Id()))
                items.push_back(t);
        for (size_t i = 0; i < items.size(); ++i) {
            m_out << u' ' + tableText(items[i]) + u' ' + items[i]->GetAlias();
            writeJoinsOf(items[i]);
            if (i + 1 < items.size())
                m_out.last() += u',';
        }
    }

    // Inner links are written as join conditions; outer links are gathered
    // link by link, with their field pairs.
    void sortLinks()
    {
        for (const TMxFLink* pair : m_step.m_linkPairs) {
            TMxLink* link = linkOf(pair);
            if (!link)
                continue;
            if (m_step.m_sqlJoins->IsInnerJoin(link->Master(), link->Detail())) {
                m_inner.push_back(pair);
                continue;
            }
            auto it = std::find_if(m_outer.begin(), m_outer.end(), [&](const OuterLink& o) { return o.link == link; });
            if (it == m_outer.end())
                m_outer.push_back({link, m_step.m_sqlJoins->FindJoin(link->Master(), link->Detail()), {pair}});
            else
                it->pairs.push_back(pair);
        }
    }

    // Each detail is joined once, under the first outer link that reaches
    // it; any further link to it (and a link that would close a cycle) is
    // written as a join condition.
    void chooseJoinedLinks()
    {
        m_joined.assign(m_outer.size(), false);
        for (size_t k = 0; k < m_outer.size(); ++k) {
            const TMxLink* link = m_outer[k].link;
            if (link->Master() == link->Detail() || m_parent.count(link->Detail()) || !tableById(link->Master())
                || !tableById(link->Detail()))
                continue;
            bool cycle = false;
            for (int up = link->Master(), guard = 0; !cycle && guard <= int(m_outer.size()); ++guard) {
                auto p = m_parent.find(up);
                if (p == m_parent.end())
                    break;
                up = m_outer[p->second].link->Master();
                cycle = up == link->Detail();
            }
            if (link->Master() == link->Detail() || cycle)
                continue;
            m_parent[link->Detail()] = k;
            m_joined[k] = true;
        }
        for (size_t k = 0; k < m_outer.size(); ++k)
            if (!m_joined[k])
                m_inner.insert(m_inner.end(), m_outer[k].pairs.begin(), m_outer[k].pairs.end());
        const std::vector<TMxFLink*>& pairs = m_step.m_linkPairs;
        std::sort(m_inner.begin(), m_inner.end(), [&](const TMxFLink* a, const TMxFLink* b) {
            return std::find(pairs.begin(), pairs.end(), a) < std::find(pairs.begin(), pairs.end(), b);
        });
    }

    void writeJoinsOf(const TMxTable* master)
    {
        for (size_t k = 0; k < m_outer.size(); ++k) {
            if (!m_joined[k] || m_outer[k].link->Master() != master->Id())
                continue;
            const TMxTable* detail = tableById(m_outer[k].link->Detail());
            m_out << m_outer[k].join->JoinKind() + QStringLiteral(" JOIN ") + tableText(detail) + u' ' + detail->GetAlias();
            QStringList conditions;
            for (const TMxFLink* pair : m_outer[k].pairs)
                conditions << condition(pair, m_outer[k].link);
            m_out << QStringLiteral("  ON ") + conditions.join(QStringLiteral(" AND "));
            writeJoinsOf(detail);
        }
    }

    void writeJoinConditions()
    {
        for (size_t k = 0; k < m_inner.size(); ++k) {
            if (!m_whereWritten) {
                m_out << QStringLiteral("WHERE");
                m_whereWritten = true;
            }
            TMxLink* link = linkOf(m_inner[k]);
            m_out << (k > 0 ? QStringLiteral("AND (") : QStringLiteral("(")) + condition(m_inner[k], link) + u')';
        }
    }

    void gatherStepCriterion()
    {
        m_step.CriteriaToSQL(nullptr, m_step.m_stepCriteria.get(), true, m_step.m_stepCriteriaSql.get());
        appendList(m_whereList, *m_step.m_stepCriteriaSql);
    }

    // The set's criterion limits what the users of the set may see, so a
    // run never goes on without it.
    void gatherSetCriterion()
    {
        TMxQuery* query = m_step.GetQuery();
        if (!query)
            return;
        TMxDomain* domain = query->GetDomain();
        TMxDataModel* model = query->DataModel();
        if (!domain && m_run)
            throw EMxBadDatamodel(TranslateFmt(QStringLiteral("L'ensemble %d n'existe pas dans le modèle de données."), {query->DomId()}));
        if (domain && m_run && model && model->CurrentUser() && model->AccessibleDomains()->IndexOf(domain) < 0)
            throw EMxAbort(TranslateFmt(QStringLiteral("L'ensemble %s n'est pas accessible à l'utilisateur %s."),
                {domain->Name(), model->CurrentUser()->Name()}));
        if (domain) {
            m_step.CriteriaToSQL(nullptr, domain->Criteria(), true, domain->SQLText());
            appendList(m_whereList, *domain->SQLText());
        }
    }

    void writeWhere()
    {
        if (m_whereList.isEmpty())
            return;
        m_out << (m_whereWritten ? QStringLiteral("AND") : QStringLiteral("WHERE"));
        m_out << m_whereList;
    }

    void writeGroupBy()
    {
        if (!m_grouped)
            return;
        const TMxQueryFieldList* fields = m_step.m_selectedFields.get();
        QStringList group;
        for (int i = 0; i < fields->Count(); ++i) {
            const TMxQueryField* f = fields->Items(i);
            if (!f->Total().isEmpty() || !f->Checked() || f->IsBlobType() || m_position[size_t(i)] == 0)
                continue;
            group << (f->Calculated() ? QString::number(m_position[size_t(i)]) : f->GetSqlExpression(m_syntax));
        }
        writeList(QStringLiteral("GROUP BY"), group);
    }

    void writeHaving()
    {
        if (m_havingList.isEmpty())
            return;
        m_out << QStringLiteral("Having");
        m_out << m_havingList;
    }

    void writeOrderBy()
    {
        const TMxQueryFieldList* fields = m_step.m_selectedFields.get();
        std::vector<int> sorted;
        for (int i = 0; i < fields->Count(); ++i)
            if (fields->Items(i)->SortRange() >= 0)
                sorted.push_back(i);
        std::stable_sort(sorted.begin(), sorted.end(),
            [&](int a, int b) { return fields->Items(a)->SortRange() < fields->Items(b)->SortRange(); });
        QStringList order;
        for (int i : sorted) {
            const TMxQueryField* f = fields->Items(i);
            QString key;
            if (f->Calculated() || !f->Total().isEmpty())
                key = m_position[size_t(i)] > 0 ? QString::number(m_position[size_t(i)])
                                                : (f->Calculated() && f->Formula().isEmpty() ? QString() : f->GetSqlExpression(m_syntax));
            else
                key = f->GetSqlExpression(m_syntax);
            if (key.isEmpty())
                continue;
            if (f->SortOrder() == sfDescending)
                key += QStringLiteral(" DESC");
            order << key;
        }
        writeList(QStringLiteral("ORDER BY"), order);
    }

    void writeRowLimit()
    {
        if (!HasCap(m_syntax.Capabilities, scLimitRows))
            return;
        try {
            const QString line = Format(m_syntax.LimitRowsSyntax, {m_syntax.LimitRowCount});
            if (!line.isEmpty())
                m_out << line;
        } catch (const EConvertError&) {
        }
    }

    // A keyword line, then one item a line, commas between them; nothing
    // for no items.
    void writeList(const QString& keyword, const QStringList& items)
    {
        if (items.isEmpty())
            return;
        m_out << keyword;
        for (int i = 0; i < items.size(); ++i)
            m_out << items[i] + (i + 1 < items.size() ? QStringLiteral(",") : QString());
    }

    QString tableText(const TMxTable* t) const
    {
        return QuoteTableName(m_syntax, m_step.m_singleDatabase ? t->Name() : t->GetQualifiedName());
    }

    TMxTable* tableById(int id) const
    {
        for (TMxTable* t : m_step.m_tables)
            if (t->Id() == id)
                return t;
        return nullptr;
    }

    QString condition(const TMxFLink* pair, const TMxLink* link) const
    {
        const TMxTable* master = tableById(link->Master());
        const TMxTable* detail = tableById(link->Detail());
        const QString ma = master ? master->GetAlias() : QStringLiteral("D") + QString::number(link->Master());
        const QString da = detail ? detail->GetAlias() : QStringLiteral("D") + QString::number(link->Detail());
        return ma + u'.' + QuoteName(m_syntax, pair->Fields()->MasterName()) + QStringLiteral(" = ") + da + u'.'
            + QuoteName(m_syntax, pair->Fields()->DetailName());
    }

    TMxQueryStep& m_step;
    const TSQLSyntaxProperties& m_syntax;
    QStringList& m_out;
    const bool m_run;
    bool m_view = false;
    QString m_viewName;
    std::vector<Column> m_columns;
    std::vector<int> m_position; // 1-based column of each selected field; 0 when not written
    QStringList m_whereList;
    QStringList m_havingList;
    bool m_grouped = false;
    std::vector<OuterLink> m_outer;
    std::vector<const TMxFLink*> m_inner;
    std::map<int, size_t> m_parent; // detail table Id -> the outer link that joins it
    std::vector<bool> m_joined;
    bool m_whereWritten = false;
};

void TMxQueryStep::BuildSQL()
{
    m_sql->Clear();
    m_databases.clear();
    TSelectStatementWriter(*this).Write();
}

} // namespace mx
