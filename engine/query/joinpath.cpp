// Finding how a step's tables join: for every pair of tables, a direct, a
// reverse or a distant path of links; the tables met on the way join the
// step, each link's field pairs are collected once, and the links that allow
// an outer join get a join choice in the step.

#include "joinpath.h"

#include "querystep.h"

#include "engine/core/exceptions.h"
#include "engine/model/datamodel.h"
#include "engine/model/link.h"
#include "engine/model/table.h"
#include "engine/settings/global.h"

#include <algorithm>

namespace mx {

std::vector<int> FindRoot(const TMxLinkList& links, int tableId)
{
    std::vector<int> chain{tableId};
    int current = tableId;
    for (;;) {
        const TMxLink* up = nullptr;
        for (int i = 0; i < links.Count(); ++i)
            if (links.Items(i)->Detail() == current) {
                up = links.Items(i);
                break;
            }
        if (!up || std::find(chain.begin(), chain.end(), up->Master()) != chain.end())
            return chain;
        current = up->Master();
        chain.push_back(current);
    }
}

int FindIntersection(const std::vector<int>& a, const std::vector<int>& b, std::vector<int>& result)
{
    for (size_t i = 0; i < a.size(); ++i) {
        const auto at = std::find(b.begin(), b.end(), a[i]);
        if (at == b.end())
            continue;
        const size_t k = size_t(at - b.begin());
        result.assign(a.begin(), a.begin() + qsizetype(i) + 1);
        for (size_t j = k; j-- > 0;)
            result.push_back(b[j]);
        return int(i + k) - 1;
    }
    return -1;
}

namespace {

bool inSomeLink(const TMxLinkList& links, int tableId)
{
    for (int i = 0; i < links.Count(); ++i)
        if (links.Items(i)->Master() == tableId || links.Items(i)->Detail() == tableId)
            return true;
    return false;
}

QString tableName(const TMxDataModel* model, int id)
{
    const TMxTable* t = model->Tables()->FindById(id);
    return t ? t->Name() : QString::number(id);
}

} // namespace

void TMxQueryStep::LinkTables()
{
    m_linkPairs.clear();
    if (m_tables.size() < 2 || !m_model)
        return;
    const TMxLinkList& links = *m_model->TLinks();
    const size_t n = m_tables.size();
    for (size_t i = 0; i + 1 < n; ++i) {
        // tables appended by earlier pairs take part as the second table
        const size_t last = m_tables.size();
        for (size_t j = i + 1; j < last; ++j) {
            const int a = m_tables[i]->Id();
            const int b = m_tables[j]->Id();
            std::vector<int> path;
            if (links.FindLink(a, b)) {
                path = {a, b};
            } else if (links.FindLink(b, a)) {
                path = {b, a};
            } else if (inSomeLink(links, a) && inSomeLink(links, b)) {
                std::vector<int> candidate;
                if (FindIntersection(FindRoot(links, a), FindRoot(links, b), candidate) >= 0)
                    path = std::move(candidate);
            }
            for (size_t k = 0; k + 1 < path.size(); ++k) {
                const int x = path[k];
                const int y = path[k + 1];
                TMxLink* link = links.FindLink(x, y);
                if (!link)
                    link = links.FindLink(y, x);
                // A link without field pairs would join nothing: the tables
                // would come out as a cross product.
                if (!link || link->FLinks()->Count() == 0)
                    throw EMxBadDatamodel(TranslateFmt(QStringLiteral("Can not link %s and %s"),
                        {tableName(m_model.get(), x), tableName(m_model.get(), y)}));
                for (TMxItem* pair : *link->FLinks()) {
                    auto* flink = static_cast<TMxFLink*>(pair);
                    if (std::find(m_linkPairs.begin(), m_linkPairs.end(), flink) == m_linkPairs.end())
                        m_linkPairs.push_back(flink);
                    AddTable(m_model->Tables()->FindById(link->Master()));
                    AddTable(m_model->Tables()->FindById(link->Detail()));
                }
                if ((link->LeftOuter() || link->RightOuter()) && !m_sqlJoins->FindJoin(link->Master(), link->Detail())) {
                    auto* join = new TMxSqlJoin(m_sqlJoins.get());
                    join->SetId(m_sqlJoins->Count());
                    join->SetMaster(link->Master());
                    join->SetDetail(link->Detail());
                    join->SetLeftOuter(link->LeftOuter());
                    join->SetRightOuter(link->RightOuter());
                    join->SetLeftValue(link->LeftOuter() && link->LeftDefault());
                    join->SetRightValue(link->RightOuter() && link->RightDefault());
                    join->SetLeftCaption(link->LeftCaption());
                    join->SetRightCaption(link->RightCaption());
                    m_sqlJoins->NotifyAdd(join);
                }
            }
        }
    }
}

} // namespace mx
