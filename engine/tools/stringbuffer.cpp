#include "stringbuffer.h"

#include "messages.h"
#include "engine/core/exceptions.h"

#include <QtEndian>

#include <cstring>

namespace mx {
namespace {

constexpr qsizetype kMaxLine = 255;

// Writes what fits; failures are collected, not reported.
qsizetype writeLines(const QStringList& list, char* buffer, qsizetype size, qsizetype* used, QStringList* failures)
{
    qsizetype pos = 4;
    quint32 written = 0;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QByteArray line = list[i].toUtf8();
        if (line.size() > kMaxLine) {
            failures->append(QStringLiteral("Line %1 is %2 bytes long and was left out; at most %3 fit").arg(i).arg(line.size()).arg(kMaxLine));
            continue;
        }
        if (pos + 1 + line.size() > size) {
            failures->append(QStringLiteral("The buffer of %1 bytes holds %2 of %3 lines").arg(size).arg(written).arg(list.size()));
            break;
        }
        buffer[pos++] = char(quint8(line.size()));
        std::memcpy(buffer + pos, line.constData(), size_t(line.size()));
        pos += line.size();
        ++written;
    }
    qToLittleEndian<quint32>(written, buffer);
    if (used)
        *used = pos;
    return qsizetype(written);
}

void reportAll(const QString& proc, const QStringList& failures)
{
    if (!failures.isEmpty())
        ShowProcError(proc, EMxInternal(failures.join(u'\n')));
}

} // namespace

qsizetype StringsBufSize(const QStringList& list)
{
    qsizetype n = 4;
    for (const QString& l : list) {
        const qsizetype len = l.toUtf8().size();
        if (len <= kMaxLine)
            n += 1 + len;
    }
    return n;
}

QByteArray StringsToCreateBuf(const QStringList& list)
{
    QByteArray buf(StringsBufSize(list), '\0');
    QStringList failures;
    qsizetype used = 0;
    writeLines(list, buf.data(), buf.size(), &used, &failures);
    buf.truncate(used);
    reportAll(QStringLiteral("StringsToCreateBuf"), failures);
    return buf;
}

qsizetype StringsToBuf(const QStringList& list, char* buffer, qsizetype size)
{
    if (!buffer || size < 4) {
        ShowProcError(QStringLiteral("StringsToBuf"), EMxInternal(QStringLiteral("The buffer has no room for the line count")));
        return -1;
    }
    QStringList failures;
    const qsizetype n = writeLines(list, buffer, size, nullptr, &failures);
    reportAll(QStringLiteral("StringsToBuf"), failures);
    return n;
}

bool BufToStrings(const char* buffer, qsizetype size, QStringList& strings)
{
    strings.clear();
    auto fail = [](const QString& why) {
        ShowProcError(QStringLiteral("BufToStrings"), EReadError(why));
        return false;
    };
    if (!buffer || size < 4)
        return fail(QStringLiteral("The buffer of %1 bytes has no line count").arg(size));
    const quint32 count = qFromLittleEndian<quint32>(buffer);
    qsizetype pos = 4;
    for (quint32 i = 0; i < count; ++i) {
        if (pos >= size)
            return fail(QStringLiteral("The buffer of %1 bytes ends after %2 of %3 lines").arg(size).arg(i).arg(count));
        const qsizetype len = quint8(buffer[pos]);
        if (pos + 1 + len > size)
            return fail(QStringLiteral("The buffer of %1 bytes ends inside line %2").arg(size).arg(i));
        strings << QString::fromUtf8(buffer + pos + 1, len);
        pos += 1 + len;
    }
    return true;
}

} // namespace mx
