#pragma once
// The reports of the query program: what the program registers at start,
// and what its start-up asks before it makes its application object.

#include <QString>
#include <QStringList>

namespace mx {

// Registers the report classes (every step then holds a report), the
// report destination driver and the HTML and CSV export filters. Called
// once at program start, before any query is loaded.
void InstallQueryReports();

// Whether an unattended run of queryFile may print a step report, and so
// needs a QGuiApplication (printing and PDF draw text): true when a step
// destination of a report type printed by the report layer has a file
// name. reportTypes are the names of those types; empty means the
// installation's (the loaded destination types of module MXREPORT, else
// the built-in "Rapport"). A file that cannot be read gives false: the run
// then fails on its own, printing nothing. Reads the file only, without
// its data model or any other object, so it may be called before the
// application object exists.
bool QueryFilePrintsReports(const QString& queryFile, const QStringList& reportTypes = {});

} // namespace mx
