#pragma once
// The reports of the query program: what the program registers at start.

namespace mx {

// Registers the report classes (every step then holds a report), the
// report destination driver and the HTML and CSV export filters. Called
// once at program start, before any query is loaded.
void InstallQueryReports();

} // namespace mx
