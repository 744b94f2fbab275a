#pragma once
// Whether a run of a query file needs the report layer, told from the
// file's bytes before any application object exists: the unattended run
// starts without the GUI libraries unless a step prints a report of ours.

#include <QString>
#include <QStringList>

namespace mx {

class TDestinationList;

// The names of the destination types printed by the report layer (output
// doReport, module MXREPORT) among types; the built-in "Rapport" when
// types is null or names none.
QStringList ReportLayerTypes(const TDestinationList* types);

// True when a step destination of queryFile is of one of reportTypes
// (empty: ReportLayerTypes of the loaded destination types) and either has
// a file name (the run prints it) or holds its driver's settings (reading
// them needs the driver). A file that cannot be read gives false: the run
// then fails on its own, printing nothing. Reads the file only, without
// its data model or any other object, and says nothing.
bool QueryFileNeedsReportLayer(const QString& queryFile, const QStringList& reportTypes = {});

} // namespace mx
