#include "dbvalue.h"

#include "platform/core/cp1252.h"

#include <QLocale>
#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace platform {

namespace {

const QString kSeparators = QStringLiteral("/:-.;,' ");

struct DateOrder {
    char parts[3] = {'d', 'm', 'y'};
    QChar separator = QLatin1Char('/');
};

DateOrder dateOrder(const DbTextFormat& format)
{
    DateOrder order;
    const QString editor = format.dateEditor.trimmed();
    if (editor.isEmpty())
        return order;
    QChar sep;
    QList<char> parts;
    QString current;
    auto flush = [&] {
        if (current.isEmpty())
            return;
        const QChar c = current.at(0).toLower();
        if (c == QLatin1Char('d') || c == QLatin1Char('m') || c == QLatin1Char('y'))
            parts.append(char(c.unicode()));
        else
            parts.append('?');
        current.clear();
    };
    for (QChar c : editor) {
        if (kSeparators.contains(c)) {
            if (sep.isNull())
                sep = c;
            flush();
        } else {
            current += c;
        }
    }
    flush();
    if (parts.size() != 3 || !parts.contains('d') || !parts.contains('m') || !parts.contains('y'))
        return order;
    for (int i = 0; i < 3; ++i)
        order.parts[i] = parts[i];
    if (!sep.isNull())
        order.separator = sep;
    return order;
}

// "yyyy-mm-dd", "yyyy-mm-dd hh:mm[:ss[.fff]]", "yyyy-mm-ddThh:mm..." or
// "hh:mm[:ss[.fff]]" alone.
struct IsoParts {
    bool hasDate = false, hasTime = false;
    QDate date;
    QTime time;
};

bool parseIso(const QString& text, IsoParts* out)
{
    static const QRegularExpression re(QStringLiteral(
        "^\\s*(?:(\\d{4})-(\\d{1,2})-(\\d{1,2}))?(?:(?:^|[ T])\\s*(\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,9}))?)?)?\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return false;
    IsoParts p;
    if (m.capturedLength(1)) {
        p.date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (!p.date.isValid())
            return false;
        p.hasDate = true;
    }
    if (m.capturedLength(4)) {
        int ms = 0;
        if (m.capturedLength(7)) {
            const QString frac = (m.captured(7) + QStringLiteral("00")).left(3);
            ms = frac.toInt();
        }
        p.time = QTime(m.captured(4).toInt(), m.captured(5).toInt(),
                       m.capturedLength(6) ? m.captured(6).toInt() : 0, ms);
        if (!p.time.isValid())
            return false;
        p.hasTime = true;
    }
    if (!p.hasDate && !p.hasTime)
        return false;
    *out = p;
    return true;
}

} // namespace

QString isoDate(const QDate& date)
{
    return QStringLiteral("%1-%2-%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QString isoTime(const QTime& time)
{
    QString s = QStringLiteral("%1:%2:%3")
                    .arg(time.hour(), 2, 10, QLatin1Char('0'))
                    .arg(time.minute(), 2, 10, QLatin1Char('0'))
                    .arg(time.second(), 2, 10, QLatin1Char('0'));
    if (time.msec())
        s += QStringLiteral(".%1").arg(time.msec(), 3, 10, QLatin1Char('0'));
    return s;
}

QString isoDateTime(const QDateTime& dt)
{
    return isoDate(dt.date()) + QLatin1Char(' ') + isoTime(dt.time());
}

QString formatDate(const QDate& date, const DbTextFormat& format)
{
    if (!date.isValid())
        return {};
    const DateOrder order = dateOrder(format);
    QString out;
    for (int i = 0; i < 3; ++i) {
        if (i)
            out += order.separator;
        switch (order.parts[i]) {
        case 'd':
            out += QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'));
            break;
        case 'm':
            out += QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0'));
            break;
        default:
            out += QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
            break;
        }
    }
    return out;
}

QString formatTime(const QTime& time)
{
    return time.isValid() ? isoTime(time) : QString();
}

QString formatDateTime(const QDateTime& dt, const DbTextFormat& format)
{
    if (!dt.isValid())
        return {};
    return formatDate(dt.date(), format) + QLatin1Char(' ') + isoTime(dt.time());
}

void appendNumber(double value, QByteArray* out)
{
    if (value == 0) {
        out->append('0'); // also for -0
        return;
    }
    // Plain digits in the usual range (100000, not 1e+05), exponents beyond;
    // the shortest form that reads back to the same double.
    char buf[400];
    const double a = std::fabs(value);
    const auto r = a >= 1e-5 && a < 1e16 ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed)
                                         : std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    out->append(buf, r.ptr - buf);
}

QString formatNumber(double value)
{
    QByteArray b;
    appendNumber(value, &b);
    return QString::fromLatin1(b);
}

DbDateFormatter::DbDateFormatter(const DbTextFormat& format)
{
    const DateOrder order = dateOrder(format);
    for (int i = 0; i < 3; ++i)
        m_parts[i] = order.parts[i];
    m_separator = char(order.separator.unicode() < 128 ? order.separator.unicode() : '/');
}

void DbDateFormatter::append(const QDate& date, QByteArray* out) const
{
    char buf[32];
    int n = 0;
    for (int i = 0; i < 3; ++i) {
        if (i)
            buf[n++] = m_separator;
        if (m_parts[i] == 'd')
            n += std::snprintf(buf + n, sizeof buf - size_t(n), "%02d", date.day());
        else if (m_parts[i] == 'm')
            n += std::snprintf(buf + n, sizeof buf - size_t(n), "%02d", date.month());
        else
            n += std::snprintf(buf + n, sizeof buf - size_t(n), "%04d", date.year());
    }
    out->append(buf, n);
}

bool parseDate(const QString& text, const DbTextFormat& format, QDate* out)
{
    QStringList parts;
    QString current;
    for (QChar c : text) {
        if (kSeparators.contains(c)) {
            if (!current.isEmpty())
                parts.append(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.isEmpty())
        parts.append(current);
    if (parts.size() != 3)
        return false;
    const DateOrder order = dateOrder(format);
    int d = 0, m = 0, y = 0;
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const int v = parts[i].toInt(&ok);
        if (!ok || v < 0)
            return false;
        switch (order.parts[i]) {
        case 'd': d = v; break;
        case 'm': m = v; break;
        default:
            y = v;
            if (parts[i].size() <= 2)
                y += y < 50 ? 2000 : 1900;
            break;
        }
    }
    const QDate date(y, m, d);
    if (!date.isValid())
        return false;
    *out = date;
    return true;
}

bool toInteger(const QVariant& value, qint64* out)
{
    if (value.isNull())
        return false;
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
        *out = value.toLongLong();
        return true;
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
        *out = qint64(value.toULongLong());
        return true;
    case QMetaType::ULongLong: {
        const quint64 v = value.toULongLong();
        if (v > quint64(std::numeric_limits<qint64>::max()))
            return false;
        *out = qint64(v);
        return true;
    }
    case QMetaType::Bool:
        *out = value.toBool() ? 1 : 0;
        return true;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) >= 9.2e18)
            return false;
        *out = qint64(d);
        return true;
    }
    case QMetaType::QString: {
        const QString s = value.toString().trimmed();
        bool ok = false;
        const qint64 v = s.toLongLong(&ok);
        if (ok) {
            *out = v;
            return true;
        }
        const double d = s.toDouble(&ok);
        if (!ok)
            return false;
        return toInteger(QVariant(d), out);
    }
    default:
        return false;
    }
}

bool toDouble(const QVariant& value, double* out)
{
    if (value.isNull())
        return false;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        *out = value.toDouble();
        return std::isfinite(*out);
    case QMetaType::Bool:
        *out = value.toBool() ? 1 : 0;
        return true;
    case QMetaType::QString: {
        bool ok = false;
        const double d = value.toString().trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(d))
            return false;
        *out = d;
        return true;
    }
    default:
        return false;
    }
}

bool toBoolean(const QVariant& value, bool* out)
{
    if (value.isNull())
        return false;
    if (value.typeId() == QMetaType::Bool) {
        *out = value.toBool();
        return true;
    }
    if (value.typeId() == QMetaType::QString) {
        const QString s = value.toString().trimmed().toUpper();
        static const QStringList yes = {QStringLiteral("T"), QStringLiteral("TRUE"), QStringLiteral("Y"),
                                        QStringLiteral("YES"), QStringLiteral("1"), QStringLiteral("VRAI"),
                                        QStringLiteral("O"), QStringLiteral("OUI")};
        static const QStringList no = {QStringLiteral("F"), QStringLiteral("FALSE"), QStringLiteral("N"),
                                       QStringLiteral("NO"), QStringLiteral("0"), QStringLiteral("FAUX"),
                                       QStringLiteral("NON")};
        if (yes.contains(s)) {
            *out = true;
            return true;
        }
        if (no.contains(s)) {
            *out = false;
            return true;
        }
        return false;
    }
    qint64 n = 0;
    if (!toInteger(value, &n))
        return false;
    *out = n != 0;
    return true;
}

namespace {

// What the date, time and timestamp conversions share: a value of the type
// itself, one of the other type that holds what is wanted (otherType, read
// by fromOther), or ISO text whose parts fromIso takes.
template <typename T>
bool toTemporal(const QVariant& value, T* out, int otherType, T (*fromOther)(const QVariant&),
                bool (*fromIso)(const IsoParts&, T*))
{
    if (value.isNull())
        return false;
    const int type = value.typeId();
    if (type == QMetaType::fromType<T>().id()) {
        *out = value.value<T>();
        return out->isValid();
    }
    if (type == otherType) {
        *out = fromOther(value);
        return out->isValid();
    }
    if (type == QMetaType::QString) {
        IsoParts p;
        return parseIso(value.toString(), &p) && fromIso(p, out);
    }
    return false;
}

} // namespace

bool toDate(const QVariant& value, QDate* out)
{
    return toTemporal<QDate>(
        value, out, QMetaType::QDateTime, [](const QVariant& v) { return v.toDateTime().date(); },
        [](const IsoParts& p, QDate* d) {
            if (p.hasDate)
                *d = p.date;
            return p.hasDate;
        });
}

bool toTime(const QVariant& value, QTime* out)
{
    return toTemporal<QTime>(
        value, out, QMetaType::QDateTime, [](const QVariant& v) { return v.toDateTime().time(); },
        [](const IsoParts& p, QTime* t) {
            if (p.hasTime)
                *t = p.time;
            return p.hasTime;
        });
}

bool toDateTime(const QVariant& value, QDateTime* out)
{
    return toTemporal<QDateTime>(
        value, out, QMetaType::QDate, [](const QVariant& v) { return QDateTime(v.toDate(), QTime(0, 0)); },
        [](const IsoParts& p, QDateTime* dt) {
            if (!p.hasDate)
                return false;
            *dt = QDateTime(p.date, p.hasTime ? p.time : QTime(0, 0));
            return true;
        });
}

QString toText(const QVariant& value)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QByteArray:
        return cp1252::decode(value.toByteArray());
    case QMetaType::Double:
    case QMetaType::Float:
        return formatNumber(value.toDouble());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDate:
        return isoDate(value.toDate());
    case QMetaType::QTime:
        return isoTime(value.toTime());
    case QMetaType::QDateTime:
        return isoDateTime(value.toDateTime());
    default:
        return value.toString();
    }
}

QString valueText(const QVariant& value, DbFieldType type, const DbTextFormat& format)
{
    if (value.isNull())
        return {};
    switch (valueKind(type)) {
    case DbValueKind::Integer: {
        qint64 n = 0;
        if (value.typeId() != QMetaType::Double && toInteger(value, &n))
            return QString::number(n);
        break;
    }
    case DbValueKind::Float: {
        double d = 0;
        if (value.typeId() != QMetaType::QString && toDouble(value, &d))
            return formatNumber(d);
        break;
    }
    case DbValueKind::Boolean: {
        bool b = false;
        if (toBoolean(value, &b))
            return b ? QStringLiteral("True") : QStringLiteral("False");
        break;
    }
    case DbValueKind::Date: {
        QDate d;
        if (toDate(value, &d))
            return formatDate(d, format);
        break;
    }
    case DbValueKind::Time: {
        QTime t;
        if (toTime(value, &t))
            return formatTime(t);
        break;
    }
    case DbValueKind::DateTime: {
        QDateTime dt;
        if (toDateTime(value, &dt))
            return formatDateTime(dt, format);
        break;
    }
    default:
        break;
    }
    return toText(value);
}

} // namespace platform
