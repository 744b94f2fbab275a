#include "values.h"

#include "convert.h"
#include "engine/core/exceptions.h"
#include "engine/core/format.h"
#include "engine/core/strings.h"
#include "engine/core/translate.h"

#include <climits>

namespace mx {

void CheckValueType(const QString& letter, const QString& value, const QString& message)
{
    const QString kind = letter.left(1).toUpper();
    QString word;
    bool ok = true;
    if (kind == u"D") {
        ok = TryStrToDate(value).has_value();
        word = Translate(QStringLiteral("une date"));
    } else if (kind == u"N") {
        ok = TryStrToFloat(value).has_value();
        word = Translate(QStringLiteral("un nombre"));
    }
    if (!ok)
        throw EMxAbort(TranslateFmt(message, {value, word}));
}

void SplitString(const QString& text, QStringList& list, const QString& separators)
{
    list.clear();
    QString piece;
    for (QChar c : text) {
        if (separators.contains(c)) {
            if (!piece.isEmpty())
                list << piece;
            piece.clear();
        } else {
            piece += c;
        }
    }
    if (!piece.isEmpty())
        list << piece;
}

void SplitString(const QString& text, TStrings& list, const QString& separators)
{
    QStringList l;
    SplitString(text, l, separators);
    list.setStringList(l);
}

int StrToIntDefault(const QString& text, int def)
{
    return TryStrToInt(text).value_or(def);
}

int RoundDownTo(int a, int b)
{
    if (b == 0)
        throw EConvertError(QStringLiteral("RoundDownTo: division by zero"));
    if (a == INT_MIN && b == -1)
        throw EIntOverflow(QStringLiteral("Integer overflow"));
    const int q = a / b;
    long long r = static_cast<long long>(q) * b;
    if (r < INT_MIN || r > INT_MAX)
        throw EIntOverflow(QStringLiteral("Integer overflow"));
    return int(r);
}

QString TrimSpaces(const QString& text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text[b].unicode() <= ' ')
        ++b;
    while (e > b && text[e - 1].unicode() <= ' ')
        --e;
    return text.mid(b, e - b);
}

QString RemoveMaskBlanks(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (c != u'_' && c != u' ')
            out += c;
    return out;
}

} // namespace mx
