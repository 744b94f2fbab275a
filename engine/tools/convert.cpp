#include "convert.h"

#include "platform/core/numbers.h"

#include "engine/core/exceptions.h"

#include <QStringList>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace mx {
namespace {

bool allDigits(const QString& s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c.unicode() < '0' || c.unicode() > '9')
            return false;
    return true;
}

std::optional<int> smallNumber(const QString& s, int maxDigits)
{
    if (!allDigits(s) || s.size() > maxDigits)
        return std::nullopt;
    return s.toInt();
}

} // namespace

TFormatSettings& FormatSettings()
{
    static TFormatSettings s;
    return s;
}

std::optional<QDate> TryStrToDate(const QString& text)
{
    const TFormatSettings& fs = FormatSettings();
    const QStringList parts = text.trimmed().split(fs.DateSeparator);
    if (parts.size() != 2 && parts.size() != 3)
        return std::nullopt;
    std::optional<int> a = smallNumber(parts[0].trimmed(), parts.size() == 3 && fs.DateOrder == TDateOrder::YMD ? 4 : 2);
    std::optional<int> b = smallNumber(parts[1].trimmed(), 2);
    if (!a || !b)
        return std::nullopt;
    int day = 0, month = 0, year = QDate::currentDate().year();
    bool yearGiven = false;
    QString yearText;
    if (parts.size() == 3) {
        if (fs.DateOrder == TDateOrder::YMD) {
            yearText = parts[0].trimmed();
            month = *b;
            std::optional<int> c = smallNumber(parts[2].trimmed(), 2);
            if (!c)
                return std::nullopt;
            day = *c;
        } else {
            yearText = parts[2].trimmed();
            day = fs.DateOrder == TDateOrder::DMY ? *a : *b;
            month = fs.DateOrder == TDateOrder::DMY ? *b : *a;
        }
        std::optional<int> y = smallNumber(yearText, 4);
        if (!y)
            return std::nullopt;
        year = *y;
        yearGiven = true;
    } else {
        if (fs.DateOrder == TDateOrder::YMD) {
            month = *a;
            day = *b;
        } else {
            day = fs.DateOrder == TDateOrder::DMY ? *a : *b;
            month = fs.DateOrder == TDateOrder::DMY ? *b : *a;
        }
    }
    if (yearGiven && yearText.size() <= 2)
        year += year < 50 ? 2000 : 1900;
    if (year < 1)
        return std::nullopt;
    const QDate d(year, month, day);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

std::optional<QTime> TryStrToTime(const QString& text)
{
    const QStringList parts = text.trimmed().split(FormatSettings().TimeSeparator);
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    std::optional<int> h = smallNumber(parts[0].trimmed(), 2);
    std::optional<int> m = smallNumber(parts[1].trimmed(), 2);
    std::optional<int> s = parts.size() == 3 ? smallNumber(parts[2].trimmed(), 2) : std::optional<int>(0);
    if (!h || !m || !s)
        return std::nullopt;
    const QTime t(*h, *m, *s);
    if (!t.isValid())
        return std::nullopt;
    return t;
}

std::optional<QDateTime> TryStrToDateTime(const QString& text)
{
    const QString t = text.trimmed();
    const qsizetype blank = t.indexOf(u' ');
    if (blank < 0) {
        if (auto d = TryStrToDate(t))
            return QDateTime(*d, QTime(0, 0));
        return std::nullopt;
    }
    auto d = TryStrToDate(t.left(blank));
    auto tm = TryStrToTime(t.mid(blank + 1).trimmed());
    if (!d || !tm)
        return std::nullopt;
    return QDateTime(*d, *tm);
}

std::optional<double> TryStrToFloat(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const QChar dec = FormatSettings().DecimalSeparator;
    QByteArray c;
    qsizetype i = 0;
    if (t[i] == u'+' || t[i] == u'-')
        c += char(t[i++].unicode());
    bool digits = false;
    while (i < t.size() && t[i].unicode() >= '0' && t[i].unicode() <= '9') {
        c += char(t[i++].unicode());
        digits = true;
    }
    if (i < t.size() && t[i] == dec) {
        c += '.';
        ++i;
        while (i < t.size() && t[i].unicode() >= '0' && t[i].unicode() <= '9') {
            c += char(t[i++].unicode());
            digits = true;
        }
    }
    if (!digits)
        return std::nullopt;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        c += 'e';
        ++i;
        if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
            c += char(t[i++].unicode());
        bool expDigits = false;
        while (i < t.size() && t[i].unicode() >= '0' && t[i].unicode() <= '9') {
            c += char(t[i++].unicode());
            expDigits = true;
        }
        if (!expDigits)
            return std::nullopt;
    }
    if (i != t.size())
        return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(c.constData(), &end);
    if (!end || *end != '\0' || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<int> TryStrToInt(const QString& text)
{
    return platform::parseInteger(text);
}

QString FloatToDisplayText(double value)
{
    if (!std::isfinite(value))
        return std::isnan(value) ? QStringLiteral("NAN") : value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0)
        return QStringLiteral("0");
    // 15 significant digits, rounded once: the exponent is the rounded one's
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    const char* e = std::strchr(buf, 'e');
    const int exponent = e ? std::atoi(e + 1) : 0;
    QString digits = QString::fromLatin1(buf, e ? int(e - buf) : int(std::strlen(buf)));
    const bool negative = digits.startsWith(u'-');
    if (negative)
        digits.remove(0, 1);
    digits.remove(u'.'); // 15 digits, the first before the point
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);
    const QChar dec = FormatSettings().DecimalSeparator;
    QString out;
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            out = QStringLiteral("0") + dec + QString(-exponent - 1, u'0') + digits;
        } else if (digits.size() <= exponent + 1) {
            out = digits + QString(exponent + 1 - int(digits.size()), u'0');
        } else {
            out = digits.left(exponent + 1) + dec + digits.mid(exponent + 1);
        }
    } else {
        out = digits.left(1);
        if (digits.size() > 1)
            out += dec + digits.mid(1);
        out += u'E' + QString::number(exponent);
    }
    return negative ? u'-' + out : out;
}

namespace {

// The exact text form of a number: -?digits(.digits)?([eE][-+]?digits)?
bool isExactNumber(const QString& t)
{
    qsizetype i = 0;
    const qsizetype n = t.size();
    const auto digits = [&] {
        const qsizetype from = i;
        while (i < n && t[i] >= u'0' && t[i] <= u'9')
            ++i;
        return i > from;
    };
    if (i < n && t[i] == u'-')
        ++i;
    if (!digits())
        return false;
    if (i < n && t[i] == u'.') {
        ++i;
        if (!digits())
            return false;
    }
    if (i < n && (t[i] == u'e' || t[i] == u'E')) {
        ++i;
        if (i < n && (t[i] == u'-' || t[i] == u'+'))
            ++i;
        if (!digits())
            return false;
    }
    return i == n;
}

} // namespace

QString DisplayFieldText(const QString& valueText, const QString& typeName)
{
    const bool numeric = typeName == u"NUMBER" || typeName == u"MONEY" || typeName == u"BCD";
    const bool unknown = typeName == u"BLOB" || typeName == u"UNKNOWN";
    if (!numeric && !unknown)
        return valueText;
    // only decimals and exponents change; a whole number stays whole
    if (!valueText.contains(u'.') && !valueText.contains(u'e') && !valueText.contains(u'E'))
        return valueText;
    if (!isExactNumber(valueText))
        return valueText;
    // the usual case: a decimal of 15 digits at most, shown as it stands
    // with the session's separator (rounding to 15 digits changes nothing)
    if (!valueText.contains(u'e') && !valueText.contains(u'E')) {
        int digits = 0;
        bool leading = true;
        for (const QChar c : valueText) {
            if (c == u'-' || c == u'.')
                continue;
            if (leading && c == u'0')
                continue;
            leading = false;
            ++digits;
        }
        if (digits <= 15) {
            QString shown = valueText;
            shown.replace(u'.', FormatSettings().DecimalSeparator);
            return shown;
        }
    }
    bool ok = false;
    const double d = valueText.toDouble(&ok); // the exact form is the C form
    return ok ? FloatToDisplayText(d) : valueText;
}

QDate StrToDate(const QString& text)
{
    if (auto d = TryStrToDate(text))
        return *d;
    throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(text));
}

QTime StrToTime(const QString& text)
{
    if (auto t = TryStrToTime(text))
        return *t;
    throw EConvertError(QStringLiteral("'%1' is not a valid time").arg(text));
}

QDateTime StrToDateTime(const QString& text)
{
    if (auto t = TryStrToDateTime(text))
        return *t;
    throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(text));
}

double StrToFloat(const QString& text)
{
    if (auto v = TryStrToFloat(text))
        return *v;
    throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

int StrToInt(const QString& text)
{
    if (auto v = TryStrToInt(text))
        return *v;
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

} // namespace mx
