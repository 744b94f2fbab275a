#include "fieldmask.h"

#include "convert.h"
#include "values.h"
#include "engine/core/exceptions.h"

#include <QObject>
#include <QVariant>

namespace mx {

TFieldMask MaskFor(const QString& letter, int width)
{
    if (width <= 0)
        width = 250;
    const QString l = letter.left(1).toUpper();
    TFieldMask m;
    if (l == u"T") {
        m = {mkTime, QStringLiteral("!90:00:00;1;_"), 0};
    } else if (l == u"A") {
        m = {mkText, u'!' + QString(width, u'c') + QStringLiteral(";1; "), width};
    } else if (l == u"D") {
        m = {mkDate, QStringLiteral("!90/00/0000;1;_"), 0};
    } else if (l == u"L") {
        m = {mkLogical, QStringLiteral("!cccc;1; "), 0};
    } else if (l == u"N") {
        m = {mkNumber, QStringLiteral("!#9999999") + FormatSettings().DecimalSeparator + QStringLiteral("999999;1; "), 0};
    } else if (l == u"@") {
        m = {mkDateTime, QStringLiteral("!90/00/0000;1;_"), 0};
    }
    return m;
}

QString QtInputMask(const TFieldMask& mask)
{
    if (mask.kind == mkNone || mask.kind == mkText || mask.mask.isEmpty())
        return {};
    // class library "body;keepLiterals;blank" -> Qt "body;blank"
    const QStringList fields = mask.mask.split(u';');
    QString body = fields.value(0);
    const QString blank = fields.size() >= 3 ? fields[2].left(1) : QStringLiteral(" ");
    if (body.startsWith(u'!'))
        body.remove(0, 1);
    QString out;
    for (QChar c : body) {
        switch (c.unicode()) {
        case '0': out += u'9'; break; // required digit
        case '9': out += u'0'; break; // optional digit
        case 'c': out += u'x'; break; // optional character
        case 'C': out += u'X'; break; // required character
        case '#': out += u'#'; break; // optional digit or sign
        case 'L': out += u'A'; break; // required letter
        case 'l': out += u'a'; break; // optional letter
        case 'A': out += u'N'; break; // required letter or digit
        case 'a': out += u'n'; break; // optional letter or digit
        default:
            // Qt takes these as mask characters: escape them as literals.
            if (QStringLiteral("9XxAaNnHhBbDd0#>!<\\[]{}").contains(c))
                out += u'\\';
            out += c;
        }
    }
    return out + u';' + (blank.isEmpty() ? QStringLiteral(" ") : blank);
}

QString GetMaskedValue(TMaskKind kind, const QString& text)
{
    QString v = text.trimmed();
    switch (kind) {
    case mkTime:
        v = RemoveMaskBlanks(v);
        StrToTime(v);
        return v;
    case mkText:
        return v;
    case mkDate:
        v = RemoveMaskBlanks(v);
        StrToDate(v);
        return v;
    case mkLogical: {
        const QString first = v.left(1).toUpper();
        if (first == u"F" || first == u"T")
            return v;
        if (first == u"N")
            return QStringLiteral("F");
        if (first == u"O" || first == u"Y")
            return QStringLiteral("T");
        throw EConvertError(QStringLiteral("La valeur n'est pas de type logique ([Y|O|T|N|F]..)"));
    }
    case mkNumber: {
        v = RemoveMaskBlanks(v);
        if (v.endsWith(FormatSettings().DecimalSeparator))
            v.chop(1);
        StrToFloat(v);
        return v;
    }
    case mkDateTime: {
        v = RemoveMaskBlanks(v);
        const qsizetype comma = v.indexOf(u',');
        if (comma >= 0)
            v[comma] = u' ';
        if (!TryStrToDate(v))
            StrToDateTime(v);
        return v;
    }
    case mkNone:
        break;
    }
    return v;
}

void SetupFieldMask(QObject* edit, const QString& letter, int width)
{
    if (!edit)
        return;
    const TFieldMask m = MaskFor(letter, width);
    if (m.kind == mkNone) {
        edit->setProperty("inputMask", QString());
    } else {
        edit->setProperty("inputMask", QtInputMask(m));
        edit->setProperty(kMaskKindProperty, int(m.kind));
        if (m.kind == mkText)
            edit->setProperty("maxLength", m.width);
    }
    edit->setProperty("text", QString());
}

void GetMaskedValue(const QObject* edit, QString& value)
{
    if (!edit)
        return;
    const QVariant k = edit->property(kMaskKindProperty);
    const TMaskKind kind = k.isValid() ? TMaskKind(k.toInt()) : mkNone;
    value = GetMaskedValue(kind, edit->property("text").toString());
}

} // namespace mx
