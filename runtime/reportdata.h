#pragma once
// The rows of a report, read from the program through its data server:
// the dataset named by the report (or the first offered), its fields
// checked against the report's, then every record through one channel, the
// memo texts in chunks, and the channel closed.

#include "reportfile.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace platform::rs {
class DataClient;
}

namespace morvrs {

struct ReportColumn {
    QString field;
    QString caption;
    int type = 0;
    bool alignRight = false;
};

struct ReportData {
    QString dataset;
    std::vector<ReportColumn> columns;
    std::vector<QStringList> rows; // the cells' texts, column order
};

// Reads the report's data; maxRecords 0 reads every record. channel is the
// data channel used. False with *error set.
bool readReportData(platform::rs::DataClient& client, const ReportFile& report, int maxRecords, int channel,
    ReportData* out, QString* error);

// The text a value is printed as: dates dd/mm/yyyy, times hh:mm:ss,
// numbers with a decimal comma, logicals Oui/Non, null empty.
QString cellText(int type, const QVariant& value);

} // namespace morvrs
