#include "record.h"

namespace platform::rs {

bool isTransferable(int type)
{
    return (type >= 1 && type <= 11) || type == 14 || type == 15 || type == 16 || type == 22;
}

int valueSize(int type, int declaredSize)
{
    switch (type) {
    case 1: {
        const long long size = 4LL * (declaredSize < 0 ? 0 : declaredSize) + 1;
        return int(size > 65535 ? 65535 : size);
    }
    case 2:
    case 3:
    case 4:
    case 14:
    case 5:
        return 4;
    case 6:
    case 7:
    case 8:
        return 8;
    case 9:
    case 10:
    case 11:
        return 14;
    default:
        return 0;
    }
}

double getF64(const std::uint8_t* p)
{
    std::uint64_t u = 0;
    for (int i = 7; i >= 0; --i)
        u = u << 8 | p[i];
    double d;
    std::memcpy(&d, &u, sizeof d);
    return d;
}

void putF64(std::uint8_t* p, double v)
{
    std::uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    for (int i = 0; i < 8; ++i)
        p[i] = std::uint8_t(u >> (8 * i));
}

bool readFixedText(const std::uint8_t* field, size_t fieldSize, QByteArray* out)
{
    const void* end = std::memchr(field, 0, fieldSize);
    if (!end) {
        out->clear();
        return false;
    }
    *out = QByteArray(reinterpret_cast<const char*>(field), static_cast<const std::uint8_t*>(end) - field);
    return true;
}

size_t utf8Prefix(const QByteArray& text, size_t max)
{
    if (size_t(text.size()) <= max)
        return size_t(text.size());
    size_t n = max;
    // Back off the continuation bytes of a character cut in its middle.
    while (n > 0 && (std::uint8_t(text[qsizetype(n)]) & 0xC0) == 0x80)
        --n;
    return n;
}

size_t writeText(std::uint8_t* dest, size_t room, const QByteArray& utf8)
{
    if (room == 0)
        return 0;
    const size_t n = utf8Prefix(utf8, room - 1);
    std::memcpy(dest, utf8.constData(), n);
    dest[n] = 0;
    return n;
}

} // namespace platform::rs
