#include "cp1252.h"

namespace cp1252 {
namespace {

// 0x80..0x9F; the undefined positions hold their own value.
const char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

QString decode(const char* data, qsizetype size)
{
    QString s(size, Qt::Uninitialized);
    QChar* out = s.data();
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char b = static_cast<unsigned char>(data[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return s;
}

QString decode(const QByteArray& bytes)
{
    return decode(bytes.constData(), bytes.size());
}

int byteOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == u)
            return 0x80 + i;
    return -1;
}

bool encode(const QString& text, QByteArray& out, QChar* badChar)
{
    out.resize(text.size());
    char* w = out.data();
    const QChar* r = text.constData();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = r[i].unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            w[i] = char(u);
            continue;
        }
        const int b = byteOf(r[i]);
        if (b < 0) {
            out.truncate(i);
            if (badChar)
                *badChar = r[i];
            return false;
        }
        w[i] = char(b);
    }
    return true;
}

bool canEncode(const QString& text)
{
    for (QChar c : text)
        if (byteOf(c) < 0)
            return false;
    return true;
}

int compareBytes(const QString& a, const QString& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        int x = byteOf(a[i]);
        int y = byteOf(b[i]);
        if (x < 0)
            x = 0x100 + a[i].unicode();
        if (y < 0)
            y = 0x100 + b[i].unicode();
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace cp1252
