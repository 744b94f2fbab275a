#pragma once
// TIMxRowCursor: a forward reading of a dataset's rows of its own. It never
// moves the dataset's record, so the grid and the local server keep seeing
// theirs, and it stays valid after the dataset is closed or freed (it keeps
// the rows it reads). Values are typed: null, qint64, double, bool,
// QString, QByteArray, QDate, QTime or QDateTime, read as the field's type
// says (see platform/dbengine/dbvalue.h).

#include "field.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace mx {

class TIMxRowCursor {
public:
    TIMxRowCursor() = default;
    virtual ~TIMxRowCursor();
    TIMxRowCursor(const TIMxRowCursor&) = delete;
    TIMxRowCursor& operator=(const TIMxRowCursor&) = delete;

    // The fields, as the dataset describes them.
    virtual const std::vector<TIMxField>& Fields() const = 0;
    // Moves to the next row; false when there is none, and the current row,
    // when there is one, stays.
    virtual bool Next() = 0;
    // The current row's value; null before the first row.
    virtual QVariant Value(int field) const = 0;
    // Why the rows ended early (a runtime error of the statement), if so.
    virtual QString Error() const = 0;
    // A new cursor over the same rows, before the first.
    virtual std::unique_ptr<TIMxRowCursor> Clone() const = 0;
};

} // namespace mx
