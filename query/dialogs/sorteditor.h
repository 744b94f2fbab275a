#pragma once
// The rules of the sort dialog, without widgets: which fields of a step
// sort its result, in which order and direction. The two lists hold the
// step's field objects themselves, so two fields of the same name stay two
// entries. Direction changes reach the fields at once (the list shows
// them); Restore puts every field's sort back as it was when the editor
// was made, Commit writes the positions.

#include "engine/core/types.h"

#include <QString>

#include <vector>

namespace mx {

class TMxQueryField;
class TMxQueryStep;

class TSortEditor {
public:
    explicit TSortEditor(TMxQueryStep* step);

    // Fields not used for sorting, by name; the sort, in order.
    const std::vector<TMxQueryField*>& Source() const { return m_source; }
    const std::vector<TMxQueryField*>& Dest() const { return m_dest; }

    // A line of the sort list: "name (+)" or "name (-)".
    static QString DestText(const TMxQueryField* field);

    // Moves the rows selected in one list to the end of the other, walking
    // from the last row up (several arrive in reverse order); the others
    // move every row in list order. Each returns the row to select in the
    // list moved from: the first selected row, clamped to its last row (0
    // when nothing was selected; -1 when it is empty).
    int Include(const std::vector<int>& rows);
    int IncludeAll();
    int Exclude(const std::vector<int>& rows);
    int ExcludeAll();

    // Moves the sort row up or down by one; the row it went to, or -1 when
    // it cannot move (no row, the first row up, the last row down).
    int Up(int row);
    int Down(int row);
    // Turns the direction of the field of that sort row; no row does nothing.
    void Toggle(int row);

    // Every field's position in the sort (-1 when it is not there).
    void Commit();
    // Every field's direction and position as they were.
    void Restore();

private:
    struct TSaved {
        TMxQueryField* field;
        TSortType order;
        int range;
    };
    void sortSource();
    static int moveRows(std::vector<TMxQueryField*>& from, std::vector<TMxQueryField*>& to, std::vector<int> rows);

    std::vector<TSaved> m_saved;
    std::vector<TMxQueryField*> m_source;
    std::vector<TMxQueryField*> m_dest;
};

} // namespace mx
