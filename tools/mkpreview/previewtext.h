#pragma once
// The readable texts of the preview files (data/preview/README.md), turned
// into the data model and the query they describe.

#include <QString>

namespace mx {
class TMxDataModel;
class TMxQuery;
}

namespace mkpreview {

// A text that does not describe what it must: the message names the text
// and the line.
struct TextError {
    QString message;
};

// A new data model (the caller's) from defmodel.mxf.txt.
mx::TMxDataModel* ParseModelText(const QString& sourceName, const QString& text);
// A new query (the caller's) from DefQuery.mxf.txt over that model, which
// the query is given and does not own. The query's model file name is the
// one the text names.
mx::TMxQuery* ParseQueryText(const QString& sourceName, const QString& text, mx::TMxDataModel* model);

} // namespace mkpreview
