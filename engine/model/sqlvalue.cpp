#include "sqlvalue.h"

#include "engine/settings/global.h"

#include "engine/core/exceptions.h"
#include "engine/tools/convert.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <utility>

namespace mx {
namespace {

const QString kDateSeparators = QStringLiteral("/:-.;,' ");

QString constantQuoter(const TSQLSyntaxProperties& syntax)
{
    return syntax.ConstantQuoter.isEmpty() ? QStringLiteral("'") : syntax.ConstantQuoter;
}

QString quoteText(const QString& value, const QString& q)
{
    QString v = value;
    if (v.size() >= 2 && v.size() >= 2 * q.size() && v.startsWith(q) && v.endsWith(q))
        v = v.mid(q.size(), v.size() - 2 * q.size());
    v.replace(q, q + q);
    return q + v + q;
}

bool allDigits(const QString& s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

QStringList splitAt(const QString& text, const QString& separators)
{
    QStringList parts;
    QString piece;
    for (QChar c : text) {
        if (separators.contains(c)) {
            if (!piece.isEmpty())
                parts << piece;
            piece.clear();
        } else {
            piece += c;
        }
    }
    if (!piece.isEmpty())
        parts << piece;
    return parts;
}

// A number in canonical SQL form, or a null string.
QString canonicalNumber(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = t.size();
    QString sign;
    if (i < n && (t[i] == u'+' || t[i] == u'-')) {
        if (t[i] == u'-')
            sign = QStringLiteral("-");
        ++i;
    }
    const QChar decimal = FormatSettings().DecimalSeparator;
    QString whole, frac;
    bool separator = false;
    for (; i < n; ++i) {
        const QChar c = t[i];
        if (c >= u'0' && c <= u'9') {
            (separator ? frac : whole) += c;
        } else if ((c == decimal || c == u'.') && !separator) {
            separator = true;
        } else {
            break;
        }
    }
    if (whole.isEmpty() && frac.isEmpty())
        return {};
    QString exponent;
    if (i < n && (t[i] == u'e' || t[i] == u'E')) {
        ++i;
        QString expSign;
        if (i < n && (t[i] == u'+' || t[i] == u'-')) {
            if (t[i] == u'-')
                expSign = QStringLiteral("-");
            ++i;
        }
        QString digits;
        while (i < n && t[i] >= u'0' && t[i] <= u'9')
            digits += t[i++];
        if (digits.isEmpty())
            return {};
        exponent = u'e' + expSign + digits;
    }
    if (i != n)
        return {};
    QString out = sign + (whole.isEmpty() ? QStringLiteral("0") : whole);
    if (!frac.isEmpty())
        out += u'.' + frac;
    return out + exponent;
}

// A time of day as hh:mm:ss (fractions of a second kept), or a null string.
QString canonicalTime(const QString& text)
{
    const QStringList parts = text.trimmed().split(u':');
    if (parts.size() < 2 || parts.size() > 3)
        return {};
    QString seconds = parts.size() == 3 ? parts[2] : QStringLiteral("0");
    QString fraction;
    const qsizetype dot = seconds.indexOf(u'.');
    if (dot >= 0) {
        fraction = seconds.mid(dot + 1);
        seconds = seconds.left(dot);
        if (!allDigits(fraction))
            return {};
    }
    if (!allDigits(parts[0]) || !allDigits(parts[1]) || !allDigits(seconds))
        return {};
    if (parts[0].size() > 2 || parts[1].size() > 2 || seconds.size() > 2)
        return {};
    const int h = parts[0].toInt(), m = parts[1].toInt(), s = seconds.toInt();
    if (h > 23 || m > 59 || s > 59)
        return {};
    QString out = QStringLiteral("%1:%2:%3").arg(h, 2, 10, QChar(u'0')).arg(m, 2, 10, QChar(u'0')).arg(s, 2, 10, QChar(u'0'));
    if (!fraction.isEmpty())
        out += u'.' + fraction;
    return out;
}

[[noreturn]] void badDate(const QString& value)
{
    throw EMxException(TranslateFmt(QStringLiteral("Date incorrecte : %s "), {value}));
}

[[noreturn]] void badFormat(const QString& text)
{
    throw EMxException(QStringLiteral("Bad format : ") + text);
}

QString editorOf(const TSQLSyntaxProperties& syntax)
{
    return syntax.SQLDateEditor.isEmpty() ? QStringLiteral("d/m/y") : syntax.SQLDateEditor;
}

// The three part names of the editor, in order; a bad editor raises.
QStringList editorParts(const QString& editor)
{
    const QStringList parts = splitAt(editor, kDateSeparators);
    if (parts.size() != 3)
        badFormat(editor);
    QString seen;
    for (const QString& p : parts) {
        const QString name = p.toLower();
        if (name.size() != 1 || !QStringLiteral("dmy").contains(name) || seen.contains(name))
            badFormat(editor);
        seen += name;
    }
    return QStringList{parts[0].toLower(), parts[1].toLower(), parts[2].toLower()};
}

struct TFormattedDate {
    QString text;
    qsizetype afterLastPart = 0; // where a time part goes
};

// A date typed in editor order, written in formatter order. The formatter is
// the administrator's text: its three placeholders are replaced by position
// and every other character is left as it stands.
TFormattedDate formatDate(const QString& datePart, const QString& original, const TSQLSyntaxProperties& syntax)
{
    const QString formatter = syntax.SQLDateFormater.isEmpty() ? QStringLiteral("%d/%m/%y") : syntax.SQLDateFormater;
    const QStringList names = editorParts(editorOf(syntax));
    const QStringList values = splitAt(datePart, kDateSeparators);
    if (values.size() != 3)
        badDate(original);
    for (const QString& v : values)
        if (!allDigits(v))
            badDate(original);

    QString day, month, year;
    for (int i = 0; i < 3; ++i) {
        if (names[i] == u"d")
            day = values[i];
        else if (names[i] == u"m")
            month = values[i];
        else
            year = values[i];
    }
    if (day.size() > 2 || month.size() > 2 || year.size() > 4)
        badDate(original);
    const int d = day.toInt(), m = month.toInt();
    if (d < 1 || d > 31 || m < 1 || m > 12)
        badDate(original);
    if (year.size() == 4 && !QDate(year.toInt(), m, d).isValid())
        badDate(original);
    day = day.rightJustified(2, u'0');
    month = month.rightJustified(2, u'0');

    struct Place {
        qsizetype pos;
        QString text;
    };
    std::array<Place, 3> places;
    for (int i = 0; i < 3; ++i) {
        const QString placeholder = u'%' + names[i];
        const qsizetype pos = formatter.indexOf(placeholder, 0, Qt::CaseInsensitive);
        if (pos < 0 || formatter.indexOf(placeholder, pos + 2, Qt::CaseInsensitive) >= 0)
            badFormat(formatter);
        places[size_t(i)] = {pos, names[i] == u"d" ? day : names[i] == u"m" ? month : year};
    }
    std::sort(places.begin(), places.end(), [](const Place& a, const Place& b) { return a.pos < b.pos; });

    TFormattedDate out;
    qsizetype from = 0;
    for (const Place& p : places) {
        out.text += formatter.mid(from, p.pos - from);
        out.text += p.text;
        from = p.pos + 2;
    }
    out.afterLastPart = out.text.size();
    out.text += formatter.mid(from);
    return out;
}

QString formatLogical(const QString& value)
{
    static const QStringList yes = {QStringLiteral("T"), QStringLiteral("TRUE"), QStringLiteral("VRAI"), QStringLiteral("O"),
        QStringLiteral("OUI"), QStringLiteral("Y"), QStringLiteral("YES"), QStringLiteral("1")};
    static const QStringList no = {QStringLiteral("F"), QStringLiteral("FALSE"), QStringLiteral("FAUX"), QStringLiteral("N"),
        QStringLiteral("NON"), QStringLiteral("NO"), QStringLiteral("0")};
    const QString v = value.trimmed().toUpper();
    if (yes.contains(v))
        return QStringLiteral("TRUE");
    if (no.contains(v))
        return QStringLiteral("FALSE");
    throw EMxException(Translate(QStringLiteral("La valeur n'est pas de type logique ([Y|O|T|N|F]..)")));
}

TSystemClock& clockSlot()
{
    static TSystemClock clock;
    return clock;
}

} // namespace

QString FormatSQLValue(const QString& value, QChar typeLetter, const TSQLSyntaxProperties& syntax)
{
    // A statement ends at a NUL for the database: the rest would be lost.
    if (value.contains(QChar(0)))
        throw EMxException(TranslateFmt(QStringLiteral("La valeur %s contient le caractère nul, qu'une requête ne peut pas porter."),
            {ShowNul(value)}));
    const QString q = constantQuoter(syntax);
    switch (typeLetter.unicode()) {
    case u'N': {
        const QString number = canonicalNumber(value);
        if (number.isNull())
            throw EMxException(TranslateFmt(QStringLiteral("La valeur %s doit être %s"), {value, Translate(QStringLiteral("un nombre"))}));
        return number;
    }
    case u'L':
        return formatLogical(value);
    case u'T': {
        const QString time = canonicalTime(value);
        if (time.isNull())
            throw EMxException(TranslateFmt(QStringLiteral("Heure incorrecte : %s "), {value}));
        return q + time + q;
    }
    case u'D':
    case u'@': {
        const QString v = value.trimmed();
        QString datePart = v, timePart;
        if (typeLetter == u'@') {
            const qsizetype blank = v.indexOf(u' ');
            if (blank >= 0) {
                datePart = v.left(blank);
                const QString time = canonicalTime(v.mid(blank + 1));
                if (time.isNull())
                    badDate(value);
                timePart = time;
            }
        }
        TFormattedDate date = formatDate(datePart, value, syntax);
        QString text = date.text;
        if (!timePart.isEmpty())
            text.insert(date.afterLastPart, u' ' + timePart);
        if (HasCap(syntax.Capabilities, scQuoteDates))
            text = q + text + q;
        return text;
    }
    default:
        return quoteText(value, q);
    }
}

QString FormatSQLLikeValue(const QString& value, const QString& prefix, const QString& suffix, const TSQLSyntaxProperties& syntax)
{
    const QString quoted = FormatSQLValue(value, u'A', syntax);
    const QString q = constantQuoter(syntax);
    if (quoted.size() >= 2 * q.size() && quoted.startsWith(q) && quoted.endsWith(q))
        return q + prefix + quoted.mid(q.size(), quoted.size() - 2 * q.size()) + suffix + q;
    return FormatSQLValue(prefix + value + suffix, u'A', syntax);
}

QString SQLLikeAnything(const TSQLSyntaxProperties& syntax)
{
    return QStringLiteral(" LIKE ") + FormatSQLValue(QStringLiteral("%"), u'A', syntax);
}

QString SQLValueList(const QStringList& values)
{
    return u'(' + values.join(QStringLiteral(", ")) + u')';
}

QString SQLLikeAny(const QString& operand, const QStringList& patterns)
{
    QString s = QStringLiteral(" LIKE ") + patterns.value(0);
    for (int i = 1; i < patterns.size(); ++i)
        s += QStringLiteral(" OR ") + operand + QStringLiteral(" LIKE ") + patterns[i];
    return s;
}

TSystemClock SetSystemClock(TSystemClock clock)
{
    return std::exchange(clockSlot(), std::move(clock));
}

QDateTime SystemNow()
{
    const TSystemClock& clock = clockSlot();
    return clock ? clock() : QDateTime::currentDateTime();
}

namespace {
enum class TSysVar { None, Today, Now };
TSysVar systemVariable(const QString& name)
{
    if (name.compare(QStringLiteral("AUJOURD'HUI"), Qt::CaseInsensitive) == 0)
        return TSysVar::Today;
    if (name.compare(QStringLiteral("MAINTENANT"), Qt::CaseInsensitive) == 0)
        return TSysVar::Now;
    return TSysVar::None;
}
} // namespace

namespace {
QString settingsDate(const QDate& d)
{
    const TFormatSettings& fs = FormatSettings();
    const QString dd = d.toString(QStringLiteral("dd")), mm = d.toString(QStringLiteral("MM")), yyyy = d.toString(QStringLiteral("yyyy"));
    const QChar sep = fs.DateSeparator;
    switch (fs.DateOrder) {
    case TDateOrder::MDY:
        return mm + sep + dd + sep + yyyy;
    case TDateOrder::YMD:
        return yyyy + sep + mm + sep + dd;
    case TDateOrder::DMY:
        break;
    }
    return dd + sep + mm + sep + yyyy;
}

QString settingsTime(const QTime& t)
{
    const QChar sep = FormatSettings().TimeSeparator;
    return t.toString(QStringLiteral("hh")) + sep + t.toString(QStringLiteral("mm")) + sep + t.toString(QStringLiteral("ss"));
}
} // namespace

bool GetVarSystemValue(const QString& name, QString& value, QChar& typeLetter)
{
    const TSysVar v = systemVariable(name);
    if (v == TSysVar::None) {
        value.clear();
        return false;
    }
    const QDateTime now = SystemNow();
    if (v == TSysVar::Today) {
        value = settingsDate(now.date());
        typeLetter = u'D';
    } else {
        value = settingsDate(now.date()) + u' ' + settingsTime(now.time());
        typeLetter = u'@';
    }
    return true;
}

bool GetVarSystemValue(const QString& name, QString& value)
{
    QChar letter;
    return GetVarSystemValue(name, value, letter);
}

QString SystemVariableSQL(const QString& name, const TSQLSyntaxProperties& syntax)
{
    const TSysVar v = systemVariable(name);
    if (v == TSysVar::None)
        throw EMxException(TranslateFmt(QStringLiteral("Variable système inconnue : %s"), {name}));
    // The date is given in the order the dialect's editor expects.
    const QDateTime now = SystemNow();
    const QStringList names = editorParts(editorOf(syntax));
    QStringList parts;
    for (const QString& n : names)
        parts << (n == u"d" ? now.date().toString(QStringLiteral("dd")) : n == u"m" ? now.date().toString(QStringLiteral("MM")) : now.date().toString(QStringLiteral("yyyy")));
    QString value = parts.join(u'/');
    if (v == TSysVar::Now)
        value += u' ' + now.time().toString(QStringLiteral("hh:mm:ss"));
    return FormatSQLValue(value, v == TSysVar::Today ? QChar(u'D') : QChar(u'@'), syntax);
}

} // namespace mx
