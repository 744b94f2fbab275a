#pragma once
// Conversions between text and values as the user writes them: one
// process-wide set of format settings (French by default: date dd/mm/yyyy,
// time hh:mm:ss, decimal comma) and strict parsers on top of it. Nothing
// here depends on the C locale or the system's locale, so every machine
// reads the same text the same way.

#include <QChar>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <optional>

namespace mx {

enum class TDateOrder { DMY, MDY, YMD };

struct TFormatSettings {
    QChar DateSeparator = u'/';
    QChar TimeSeparator = u':';
    QChar DecimalSeparator = u',';
    TDateOrder DateOrder = TDateOrder::DMY;
};

// The settings in force (writable: the start-up may change them).
TFormatSettings& FormatSettings();

// Each Try... gives no value when the text is not one; the StrTo... forms
// raise EConvertError with the class library's texts instead.
//
// Dates: day, month and year in the settings' order, separated by the date
// separator; a year of one or two digits counts from 1950 to 2049; without a
// year, the current year. Times: hours and minutes, optional seconds, each
// of one or two digits. A date and time: a date, blanks, a time. Numbers:
// optional sign, digits, the decimal separator, digits, an optional
// exponent; blanks around the number are allowed.
std::optional<QDate> TryStrToDate(const QString& text);
std::optional<QTime> TryStrToTime(const QString& text);
std::optional<QDateTime> TryStrToDateTime(const QString& text);
std::optional<double> TryStrToFloat(const QString& text);
std::optional<int> TryStrToInt(const QString& text);

// A number as the windows and the reports show it: at most 15 significant
// digits, the settings' decimal separator, no thousands separator; plain
// digits from 0.00001 up to 15 digits before the separator, an exponent
// beyond ("1,5E-7", "1E20"). 7.3199999999999994 shows as "7,32".
QString FloatToDisplayText(double value);
// A field's value as shown to the user, from its exact text form (the
// dataset's: "." before the decimals, every digit that reads back) and
// the dataset's name for its type: a number of a numeric type (NUMBER,
// MONEY, BCD), or of an expression whose type is not known (BLOB,
// UNKNOWN), as FloatToDisplayText; whole numbers and every other value as
// they stand. Stored values and copies keep the exact form.
QString DisplayFieldText(const QString& valueText, const QString& typeName);

QDate StrToDate(const QString& text);
QTime StrToTime(const QString& text);
QDateTime StrToDateTime(const QString& text);
double StrToFloat(const QString& text);
int StrToInt(const QString& text);

} // namespace mx
