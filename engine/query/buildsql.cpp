// The SQL statement of a step: result tables of earlier steps, the field
// collection and the statement itself, in the dialect of the step's
// database.

#include "query.h"
#include "querystep.h"

#include "core/exceptions.h"
#include "core/format.h"
#include "destination/destinationtype.h"
#include "destination/querydestination.h"
#include "global/datasource.h"
#include "model/database.h"
#include "model/datamodel.h"
#include "model/domain.h"
#include "model/entity.h"
#include "model/formula.h"
#include "model/link.h"
#include "model/table.h"
#include "model/user.h"
#include "settings/global.h"

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
            selected = static_cast<TMxQueryField*>(f->Clone(m_selectedFields));
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
    CriteriaToSQL(nullptr, m_stepCriteria, false, m_stepCriteriaSql.get());
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

void TMxQueryStep::BuildSQL()
{
    m_sql->Clear();
    m_databases.clear();
    const bool run = isRunMode();
    TMxQuery* query = GetQuery();
    QStringList& out = m_sql->Lines();

    if (m_selectedFields->Count() == 0) {
        if (run)
            throw EMxAbort(TranslateFmt(QStringLiteral("%s: Aucun champ n'est sélectionné."), {GetName()}));
        return;
    }

    // 1. databases and dialect
    m_mainDatabase.clear();
    m_singleDatabase = false;
    for (TMxTable* t : m_tables)
        if (m_model)
            if (TMxDatabaseItem* item = m_model->Databases()->FindByName(t->Database()))
                if (std::find(m_databases.begin(), m_databases.end(), item) == m_databases.end())
                    m_databases.push_back(item);
    if (!m_tables.empty()) {
        const QString first = databaseKey(m_tables.front()->Database());
        m_mainDatabase = TMxTable::IsPath(m_tables.front()->Database()) ? m_tables.front()->Database() : first;
        m_singleDatabase = true;
        for (const TMxTable* t : m_tables)
            if (databaseKey(t->Database()) != first)
                m_singleDatabase = false;
    }
    QString driver = QString::fromLatin1(kStandardDatasource);
    if (m_singleDatabase && m_model)
        if (TMxDatabaseItem* item = m_model->Databases()->FindByName(m_tables.front()->Database()))
            if (!item->DriverName().isEmpty())
                driver = item->DriverName();
    SetSQLSyntax(driver);

    if (run) {
        for (const TMxTable* t : m_tables)
            if (t->Id() < 0)
                for (const auto& [id, error] : m_resultErrors)
                    if (id == t->Id())
                        throw EMxAbort(error);
    }

    const bool view = m_destinations->GenerateView();
    QString viewName;
    if (view) {
        applyViewPrefixes();
        viewName = m_destinations->GetViewName();
    }

    // 4. columns, and the filters that go with them
    struct Column {
        QString expression;
        QString name;
    };
    std::vector<Column> columns;
    std::vector<int> position(size_t(m_selectedFields->Count()), 0); // 1-based; 0 when not emitted
    QStringList whereList;
    QStringList havingList;
    bool grouped = false;
    TMxTable* firstTable = !m_tables.empty() ? m_tables.front() : (m_model ? m_model->CalcTable() : nullptr);
    for (int i = 0; i < m_selectedFields->Count(); ++i) {
        TMxQueryField* f = m_selectedFields->Items(i);
        if (f->Calculated()) {
            if (firstTable) {
                f->SetTable(firstTable);
                f->SetQueryTable(firstTable);
            }
            FormulaToSQL(f, true);
            if (f->Formula().isEmpty())
                continue;
            if (!f->Total().isEmpty())
                grouped = true;
        } else {
            QStringList& list = f->Total().isEmpty() ? whereList : havingList;
            CriteriaToSQL(f, f->FormulaList(), true, f->SQLCriteria());
            appendList(list, *f->SQLCriteria());
            for (const auto& [index, other] : m_extraFilters)
                if (index == i) {
                    TConcatStringList extra;
                    CriteriaToSQL(f, other->FormulaList(), true, &extra);
                    appendList(list, extra);
                }
            if (!f->Total().isEmpty())
                grouped = true;
            if (!f->Checked())
                continue;
        }
        columns.push_back({f->GetSqlExpression(m_syntax), f->GetSqlFieldName(m_syntax)});
        position[size_t(i)] = int(columns.size());
    }
    // 5. entity criteria
    for (TMxEntityCriteria* c : m_entityCriteria) {
        CriteriaToSQL(nullptr, c->Criteria(), true, c->SQLCriteria());
        appendList(whereList, *c->SQLCriteria());
    }
    if (columns.empty() && run)
        throw EMxAbort(TranslateFmt(QStringLiteral("%s: Aucun champ n'est sélectionné."), {GetName()}));

    // 2, 3. view head and SELECT
    if (view) {
        out << QStringLiteral("CREATE VIEW ") + viewName;
        QStringList names;
        for (const Column& c : columns)
            names << c.name;
        out << u'(' + names.join(QStringLiteral(", ")) + QStringLiteral(") AS");
    }
    out << (m_distinctSelect ? QStringLiteral("SELECT distinct") : QStringLiteral("SELECT "));
    for (size_t i = 0; i < columns.size(); ++i)
        out << columns[i].expression + (view ? QString() : QStringLiteral(" AS ") + columns[i].name) + (i + 1 < columns.size() ? QStringLiteral(",") : QString());

    // 7. FROM, with one JOIN per chosen outer link right after its master
    out << QStringLiteral("FROM ");
    auto tableText = [&](const TMxTable* t) {
        return QuoteTableName(m_syntax, m_singleDatabase ? t->Name() : t->GetQualifiedName());
    };
    auto tableById = [&](int id) -> TMxTable* {
        for (TMxTable* t : m_tables)
            if (t->Id() == id)
                return t;
        return nullptr;
    };
    auto condition = [&](const TMxFLink* pair, const TMxLink* link) {
        const TMxTable* master = tableById(link->Master());
        const TMxTable* detail = tableById(link->Detail());
        const QString ma = master ? master->GetAlias() : QStringLiteral("D") + QString::number(link->Master());
        const QString da = detail ? detail->GetAlias() : QStringLiteral("D") + QString::number(link->Detail());
        return ma + u'.' + QuoteName(m_syntax, pair->Fields()->MasterName()) + QStringLiteral(" = ") + da + u'.'
            + QuoteName(m_syntax, pair->Fields()->DetailName());
    };
    struct OuterLink {
        TMxLink* link;
        const TMxSqlJoin* join;
        std::vector<const TMxFLink*> pairs;
    };
    std::vector<OuterLink> outer;
    std::vector<const TMxFLink*> inner;
    for (const TMxFLink* pair : m_linkPairs) {
        TMxLink* link = linkOf(pair);
        if (!link)
            continue;
        if (m_sqlJoins->IsInnerJoin(link->Master(), link->Detail())) {
            inner.push_back(pair);
            continue;
        }
        auto it = std::find_if(outer.begin(), outer.end(), [&](const OuterLink& o) { return o.link == link; });
        if (it == outer.end())
            outer.push_back({link, m_sqlJoins->FindJoin(link->Master(), link->Detail()), {pair}});
        else
            it->pairs.push_back(pair);
    }
    // Each detail is joined once, under the first outer link that reaches
    // it; any further link to it (and a link that would close a cycle) is
    // written as a join condition.
    std::map<int, size_t> parent;
    std::vector<bool> joined(outer.size(), false);
    for (size_t k = 0; k < outer.size(); ++k) {
        const TMxLink* link = outer[k].link;
        if (link->Master() == link->Detail() || parent.count(link->Detail()) || !tableById(link->Master()) || !tableById(link->Detail()))
            continue;
        bool cycle = false;
        for (int up = link->Master(), guard = 0; !cycle && guard <= int(outer.size()); ++guard) {
            auto p = parent.find(up);
            if (p == parent.end())
                break;
            up = outer[p->second].link->Master();
            cycle = up == link->Detail();
        }
        if (link->Master() == link->Detail() || cycle)
            continue;
        parent[link->Detail()] = k;
        joined[k] = true;
    }
    for (size_t k = 0; k < outer.size(); ++k)
        if (!joined[k])
            inner.insert(inner.end(), outer[k].pairs.begin(), outer[k].pairs.end());
    std::sort(inner.begin(), inner.end(), [&](const TMxFLink* a, const TMxFLink* b) {
        return std::find(m_linkPairs.begin(), m_linkPairs.end(), a) < std::find(m_linkPairs.begin(), m_linkPairs.end(), b);
    });
    std::function<void(const TMxTable*)> joinsOf = [&](const TMxTable* master) {
        for (size_t k = 0; k < outer.size(); ++k) {
            if (!joined[k] || outer[k].link->Master() != master->Id())
                continue;
            const TMxTable* detail = tableById(outer[k].link->Detail());
            out << outer[k].join->JoinKind() + QStringLiteral(" JOIN ") + tableText(detail) + u' ' + detail->GetAlias();
            QStringList conditions;
            for (const TMxFLink* pair : outer[k].pairs)
                conditions << condition(pair, outer[k].link);
            out << QStringLiteral("  ON ") + conditions.join(QStringLiteral(" AND "));
            joinsOf(detail);
        }
    };
    std::vector<const TMxTable*> items;
    for (const TMxTable* t : m_tables)
        if (!parent.count(t->Id()))
            items.push_back(t);
    for (size_t i = 0; i < items.size(); ++i) {
        out << u' ' + tableText(items[i]) + u' ' + items[i]->GetAlias();
        joinsOf(items[i]);
        if (i + 1 < items.size())
            out.last() += u',';
    }

    // 8. join conditions
    bool whereWritten = false;
    for (size_t k = 0; k < inner.size(); ++k) {
        if (!whereWritten) {
            out << QStringLiteral("WHERE");
            whereWritten = true;
        }
        TMxLink* link = linkOf(inner[k]);
        out << (k > 0 ? QStringLiteral("AND (") : QStringLiteral("(")) + condition(inner[k], link) + u')';
    }

    // 9. step criterion
    CriteriaToSQL(nullptr, m_stepCriteria, true, m_stepCriteriaSql.get());
    appendList(whereList, *m_stepCriteriaSql);

    // 10. set criterion: it limits what the users of the set may see, so
    // a run never goes on without it
    if (query) {
        TMxDomain* domain = query->GetDomain();
        TMxDataModel* model = query->DataModel();
        if (!domain && run)
            throw EMxBadDatamodel(TranslateFmt(QStringLiteral("L'ensemble %d n'existe pas dans le modèle de données."), {query->DomId()}));
        if (domain && run && model && model->CurrentUser() && model->AccessibleDomains()->IndexOf(domain) < 0)
            throw EMxAbort(TranslateFmt(QStringLiteral("L'ensemble %s n'est pas accessible à l'utilisateur %s."),
                {domain->Name(), model->CurrentUser()->Name()}));
        if (domain) {
            CriteriaToSQL(nullptr, domain->Criteria(), true, domain->SQLText());
            appendList(whereList, *domain->SQLText());
        }
    }

    // 11. WHERE list
    if (!whereList.isEmpty()) {
        out << (whereWritten ? QStringLiteral("AND") : QStringLiteral("WHERE"));
        out << whereList;
    }

    // 12. GROUP BY
    if (grouped) {
        QStringList group;
        for (int i = 0; i < m_selectedFields->Count(); ++i) {
            const TMxQueryField* f = m_selectedFields->Items(i);
            if (!f->Total().isEmpty() || !f->Checked() || f->IsBlobType() || position[size_t(i)] == 0)
                continue;
            group << (f->Calculated() ? QString::number(position[size_t(i)]) : f->GetSqlExpression(m_syntax));
        }
        if (!group.isEmpty()) {
            out << QStringLiteral("GROUP BY");
            for (int i = 0; i < group.size(); ++i)
                out << group[i] + (i + 1 < group.size() ? QStringLiteral(",") : QString());
        }
    }

    // 13. Having
    if (!havingList.isEmpty()) {
        out << QStringLiteral("Having");
        out << havingList;
    }

    // 14. ORDER BY
    {
        std::vector<int> sorted;
        for (int i = 0; i < m_selectedFields->Count(); ++i)
            if (m_selectedFields->Items(i)->SortRange() >= 0)
                sorted.push_back(i);
        std::stable_sort(sorted.begin(), sorted.end(), [&](int a, int b) {
            return m_selectedFields->Items(a)->SortRange() < m_selectedFields->Items(b)->SortRange();
        });
        QStringList order;
        for (int i : sorted) {
            const TMxQueryField* f = m_selectedFields->Items(i);
            QString key;
            if (f->Calculated() || !f->Total().isEmpty())
                key = position[size_t(i)] > 0 ? QString::number(position[size_t(i)]) : (f->Calculated() && f->Formula().isEmpty() ? QString() : f->GetSqlExpression(m_syntax));
            else
                key = f->GetSqlExpression(m_syntax);
            if (key.isEmpty())
                continue;
            if (f->SortOrder() == sfDescending)
                key += QStringLiteral(" DESC");
            order << key;
        }
        if (!order.isEmpty()) {
            out << QStringLiteral("ORDER BY");
            for (int i = 0; i < order.size(); ++i)
                out << order[i] + (i + 1 < order.size() ? QStringLiteral(",") : QString());
        }
    }

    // 15. row limit
    if (HasCap(m_syntax.Capabilities, scLimitRows)) {
        try {
            const QString line = Format(m_syntax.LimitRowsSyntax, {m_syntax.LimitRowCount});
            if (!line.isEmpty())
                out << line;
        } catch (const EConvertError&) {
        }
    }
}

} // namespace mx
