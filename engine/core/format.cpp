#include "format.h"
#include "escape.h"

#include "exceptions.h"

#include <cmath>

namespace mx {
namespace {

[[noreturn]] void bad(const QString& pattern)
{
    throw EConvertError(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(pattern));
}

QString groupThousands(const QString& digits)
{
    // digits: optional '-', integer part, optional '.' and decimals
    qsizetype start = digits.startsWith(u'-') ? 1 : 0;
    qsizetype dot = digits.indexOf(u'.');
    if (dot < 0)
        dot = digits.size();
    QString out = digits.left(start);
    const qsizetype n = dot - start;
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += u',';
        out += digits[start + i];
    }
    out += digits.mid(dot);
    return out;
}

} // namespace

QString Format(const QString& pattern, const std::vector<FmtArg>& args)
{
    QString out;
    out.reserve(pattern.size() + 16);
    size_t next = 0;
    const qsizetype n = pattern.size();
    // a width, precision or index taken from the arguments: bounded like
    // one written in the pattern
    auto takeInt = [&](size_t index) -> qint64 {
        if (index >= args.size())
            bad(pattern);
        if (auto* i = std::get_if<qint64>(&args[index].value())) {
            if (*i > 100000)
                bad(pattern);
            return *i;
        }
        bad(pattern);
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = pattern[i];
        if (c != u'%') {
            out += c;
            continue;
        }
        if (++i >= n)
            bad(pattern);
        if (pattern[i] == u'%') {
            out += u'%';
            continue;
        }
        // index
        qsizetype j = i;
        qint64 number = -1;
        bool star = false;
        auto readNumber = [&]() {
            number = -1;
            star = false;
            if (j < n && pattern[j] == u'*') {
                star = true;
                ++j;
                return;
            }
            qint64 v = 0;
            bool any = false;
            while (j < n && pattern[j].isDigit()) {
                v = v * 10 + pattern[j].digitValue();
                if (v > 100000)
                    bad(pattern);
                any = true;
                ++j;
            }
            if (any)
                number = v;
        };
        readNumber();
        if (j < n && pattern[j] == u':') {
            if (star)
                next = size_t(takeInt(next++));
            else if (number >= 0)
                next = size_t(number);
            else
                next = 0;
            ++j;
            readNumber();
        }
        bool left = false;
        if (j < n && pattern[j] == u'-' && number < 0 && !star) {
            left = true;
            ++j;
            readNumber();
        }
        qint64 width = -1;
        if (star)
            width = takeInt(next++);
        else
            width = number;
        qint64 prec = -1;
        if (j < n && pattern[j] == u'.') {
            ++j;
            readNumber();
            prec = star ? takeInt(next++) : (number < 0 ? 0 : number);
        }
        if (j >= n)
            bad(pattern);
        const QChar type = pattern[j].toLower();
        i = j;
        if (next >= args.size())
            bad(pattern);
        const auto& v = args[next++].value();
        QString piece;
        switch (type.unicode()) {
        case 'd':
        case 'u': {
            auto* iv = std::get_if<qint64>(&v);
            if (!iv)
                bad(pattern);
            qint64 x = *iv;
            if (type == u'u' && x < 0)
                x = qint64(quint32(x));
            piece = QString::number(x < 0 ? -x : x);
            if (prec > 0 && piece.size() < prec)
                piece = QString(prec - piece.size(), u'0') + piece;
            if (x < 0)
                piece.prepend(u'-');
            break;
        }
        case 'x': {
            auto* iv = std::get_if<qint64>(&v);
            if (!iv)
                bad(pattern);
            quint64 x = *iv < 0 ? quint64(quint32(*iv)) : quint64(*iv);
            piece = QString::number(x, 16).toUpper();
            if (prec > 0 && piece.size() < prec)
                piece = QString(prec - piece.size(), u'0') + piece;
            break;
        }
        case 'e':
        case 'f':
        case 'g':
        case 'n':
        case 'm': {
            double d;
            if (auto* dv = std::get_if<double>(&v))
                d = *dv;
            else
                bad(pattern);
            if (!std::isfinite(d)) {
                piece = std::isnan(d) ? QStringLiteral("NAN") : (d > 0 ? QStringLiteral("INF") : QStringLiteral("-INF"));
                break;
            }
            if (type == u'e') {
                piece = QString::number(d, 'E', prec < 0 ? 14 : int(std::max<qint64>(prec - 1, 0)));
                // three exponent digits, as the system writes them
                qsizetype ePos = piece.indexOf(u'E');
                if (ePos >= 0) {
                    QString mant = piece.left(ePos);
                    QString exp = piece.mid(ePos + 1);
                    QChar sign = u'+';
                    if (exp.startsWith(u'-') || exp.startsWith(u'+')) {
                        sign = exp[0];
                        exp = exp.mid(1);
                    }
                    while (exp.size() < 3)
                        exp.prepend(u'0');
                    piece = mant + u'E' + sign + exp;
                }
            } else if (type == u'f') {
                piece = QString::number(d, 'f', prec < 0 ? 2 : int(std::min<qint64>(prec, 18)));
            } else if (type == u'g') {
                piece = QString::number(d, 'g', prec < 0 ? 15 : int(std::clamp<qint64>(prec, 1, 18)));
            } else {
                piece = groupThousands(QString::number(d, 'f', prec < 0 ? 2 : int(std::min<qint64>(prec, 18))));
            }
            break;
        }
        case 'p': {
            auto* pv = std::get_if<quintptr>(&v);
            if (!pv)
                bad(pattern);
            piece = QString::number(qulonglong(*pv), 16).toUpper().rightJustified(8, u'0');
            break;
        }
        case 's': {
            auto* sv = std::get_if<QString>(&v);
            if (!sv)
                bad(pattern);
            piece = prec >= 0 ? sv->left(prec) : *sv;
            break;
        }
        default:
            bad(pattern);
        }
        if (width > piece.size())
            piece = left ? piece.leftJustified(width, u' ') : piece.rightJustified(width, u' ');
        out += piece;
    }
    return out;
}

QString EscapeControls(const QString& text, bool keepLines)
{
    auto isControl = [keepLines](char16_t c) {
        if (keepLines && (c == u'\n' || c == u'\t'))
            return false;
        return c < 0x20 || (c >= 0x7F && c <= 0x9F);
    };
    qsizetype i = 0;
    while (i < text.size() && !isControl(text[i].unicode()))
        ++i;
    if (i == text.size())
        return text;
    QString out = text.left(i);
    out.reserve(text.size() + 16);
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (isControl(c))
            out += QStringLiteral("\\x%1").arg(int(c), 2, 16, QLatin1Char('0'));
        else
            out += text[i];
    }
    return out;
}

} // namespace mx
