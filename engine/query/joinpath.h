#pragma once
// Paths of data model links between two tables. Links are directed, from
// their Master table to their Detail table.

#include <vector>

namespace mx {

class TMxLinkList;

// The ancestor chain of a table: the table, then the master of the first
// link (in list order) whose detail it is, and so on up to a table that is
// nobody's detail. The climb ends where a master is already in the chain,
// so cycles and self links end too.
std::vector<int> FindRoot(const TMxLinkList& links, int tableId);

// Where two chains meet: the first table of a that also stands in b. None
// gives -1 and leaves result as it was. Otherwise result runs from a's first
// table up to the meeting table and down b to b's first table, and the
// answer is the meeting's position in a plus its position in b, minus 1.
int FindIntersection(const std::vector<int>& a, const std::vector<int>& b, std::vector<int>& result);

} // namespace mx
