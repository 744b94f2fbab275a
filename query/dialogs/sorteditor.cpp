#include "sorteditor.h"

#include "engine/model/queryfield.h"
#include "engine/query/querystep.h"

#include <algorithm>

namespace mx {

TSortEditor::TSortEditor(TMxQueryStep* step)
{
    TMxQueryFieldList* fields = step->AllFields();
    for (int i = 0; i < fields->Count(); ++i) {
        TMxQueryField* f = fields->Items(i);
        m_saved.push_back({f, f->SortOrder(), f->SortRange()});
        if (f->SortRange() < 0)
            m_source.push_back(f);
    }
    sortSource();
    // the sort by rank; equal ranks keep the fields' order
    std::vector<TMxQueryField*> sorted;
    for (const TSaved& s : m_saved)
        if (s.range >= 0)
            sorted.push_back(s.field);
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const TMxQueryField* a, const TMxQueryField* b) { return a->SortRange() < b->SortRange(); });
    m_dest = sorted;
}

QString TSortEditor::DestText(const TMxQueryField* field)
{
    return QStringLiteral("%1 (%2)").arg(field->FullName(), field->SortOrder() == sfDescending ? QStringLiteral("-") : QStringLiteral("+"));
}

void TSortEditor::sortSource()
{
    std::stable_sort(m_source.begin(), m_source.end(), [](const TMxQueryField* a, const TMxQueryField* b) {
        return QString::compare(a->FullName(), b->FullName(), Qt::CaseInsensitive) < 0;
    });
}

int TSortEditor::moveRows(std::vector<TMxQueryField*>& from, std::vector<TMxQueryField*>& to, std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [&](int r) { return r < 0 || r >= int(from.size()); }), rows.end());
    const int first = rows.empty() ? 0 : rows.front();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        to.push_back(from[size_t(*it)]);
        from.erase(from.begin() + *it);
    }
    return from.empty() ? -1 : std::min(first, int(from.size()) - 1);
}

int TSortEditor::Include(const std::vector<int>& rows)
{
    return moveRows(m_source, m_dest, rows);
}

int TSortEditor::IncludeAll()
{
    m_dest.insert(m_dest.end(), m_source.begin(), m_source.end());
    m_source.clear();
    return -1;
}

int TSortEditor::Exclude(const std::vector<int>& rows)
{
    const int r = moveRows(m_dest, m_source, rows);
    sortSource();
    return r;
}

int TSortEditor::ExcludeAll()
{
    m_source.insert(m_source.end(), m_dest.begin(), m_dest.end());
    m_dest.clear();
    sortSource();
    return -1;
}

int TSortEditor::Up(int row)
{
    if (row <= 0 || row >= int(m_dest.size()))
        return -1;
    std::swap(m_dest[size_t(row)], m_dest[size_t(row - 1)]);
    return row - 1;
}

int TSortEditor::Down(int row)
{
    if (row < 0 || row + 1 >= int(m_dest.size()))
        return -1;
    std::swap(m_dest[size_t(row)], m_dest[size_t(row + 1)]);
    return row + 1;
}

void TSortEditor::Toggle(int row)
{
    if (row < 0 || row >= int(m_dest.size()))
        return;
    TMxQueryField* f = m_dest[size_t(row)];
    f->SetSortOrder(f->SortOrder() == sfAscending ? sfDescending : sfAscending);
}

void TSortEditor::Commit()
{
    for (const TSaved& s : m_saved) {
        const auto it = std::find(m_dest.begin(), m_dest.end(), s.field);
        s.field->SetSortRange(it == m_dest.end() ? -1 : int(it - m_dest.begin()));
    }
}

void TSortEditor::Restore()
{
    for (const TSaved& s : m_saved) {
        s.field->SetSortOrder(s.order);
        s.field->SetSortRange(s.range);
    }
}

} // namespace mx
