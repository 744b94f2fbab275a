#include "numbers.h"

#include <climits>

namespace platform {

std::optional<int> parseInteger(QString t)
{
    t = t.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool neg = false;
    if (t.startsWith(u'-') || t.startsWith(u'+')) {
        neg = t.startsWith(u'-');
        t.remove(0, 1);
    }
    int base = 10;
    if (t.startsWith(u'$')) {
        base = 16;
        t.remove(0, 1);
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        t.remove(0, 2);
    }
    if (t.isEmpty())
        return std::nullopt;
    for (QChar ch : t) {
        const char16_t u = ch.unicode();
        const bool digit = u >= '0' && u <= '9';
        const bool hex = digit || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
        if (!(base == 10 ? digit : hex))
            return std::nullopt;
    }
    if (t.size() > 18)
        return std::nullopt;
    bool ok = false;
    const qint64 v = t.toLongLong(&ok, base);
    if (!ok)
        return std::nullopt;
    const qint64 signedV = neg ? -v : v;
    if (base == 16 && !neg && v <= 0xFFFFFFFFLL)
        return int(quint32(v)); // "$FFFFFFFF" is -1, as the class library reads it
    if (signedV < INT_MIN || signedV > INT_MAX)
        return std::nullopt;
    return int(signedV);
}

} // namespace platform
