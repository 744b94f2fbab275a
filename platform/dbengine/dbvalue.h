#pragma once
// Values of datasets and table files, and their one text form.
//
// A value is a QVariant: null, qint64, double, bool, QString, QByteArray,
// QDate, QTime or QDateTime. SQLite hands out its storage classes only
// (integers, reals, text, blobs); the field type says how to read them, so
// a DATE column's "2024-03-05" is a date. The converters below accept
// every form a value of that kind may take and refuse the rest.
//
// Text form (grid, value lists, local server, text copies): NULL is empty;
// numbers with "." and no thousands separator, in the shortest form that
// reads back to the same double (plain digits from 1e-5 to 1e16, an
// exponent beyond); dates in the order of the dialect's date
// editor ("d/m/y" when empty) with two-digit day and month and a four-digit
// year; times "hh:mm:ss" (".zzz" when there are milliseconds); timestamps
// the date, a blank and the time; logicals "True" or "False".

#include "dbfield.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVariant>

namespace platform {

struct DbTextFormat {
    QString dateEditor; // "d/m/y", "m/d/y", "y-m-d"...; empty means "d/m/y"
};

QString valueText(const QVariant& value, DbFieldType type, const DbTextFormat& format = {});

QString formatDate(const QDate& date, const DbTextFormat& format = {});
QString formatTime(const QTime& time);
QString formatDateTime(const QDateTime& dt, const DbTextFormat& format = {});
QString formatNumber(double value);
void appendNumber(double value, QByteArray* out);

// Dates in an editor's order, fast (for copies of many rows).
class DbDateFormatter {
public:
    explicit DbDateFormatter(const DbTextFormat& format);
    void append(const QDate& date, QByteArray* out) const;

private:
    char m_parts[3] = {'d', 'm', 'y'};
    char m_separator = '/';
};

// Dates written in the editor order (any of "/:-. " between the parts).
bool parseDate(const QString& text, const DbTextFormat& format, QDate* out);

// Strict conversions; false when the value has no sound reading as that
// kind (a null value gives false too: test isNull() first).
bool toInteger(const QVariant& value, qint64* out);
bool toDouble(const QVariant& value, double* out);
bool toBoolean(const QVariant& value, bool* out);
bool toDate(const QVariant& value, QDate* out);         // QDate, QDateTime, "yyyy-mm-dd[ ...]"
bool toTime(const QVariant& value, QTime* out);         // QTime, QDateTime, "hh:mm[:ss[.zzz]]"
bool toDateTime(const QVariant& value, QDateTime* out); // QDateTime, QDate, ISO text
QString toText(const QVariant& value);                  // the plain text of any value

// The ISO forms SQLite keeps dates in ("yyyy-MM-dd", "HH:mm:ss[.zzz]",
// "yyyy-MM-dd HH:mm:ss[.zzz]").
QString isoDate(const QDate& date);
QString isoTime(const QTime& time);
QString isoDateTime(const QDateTime& dt);

} // namespace platform
