#pragma once
// The flat string-list buffer exchanged with plug-in libraries: the line
// count as a 32-bit little-endian integer, then each line as one length
// byte followed by that many bytes of UTF-8 text.
//
// A line longer than 255 bytes cannot be written: it is left out (never
// cut), the count says how many lines the buffer holds, and the failure is
// reported. Text
// that may be longer (SQL) is never passed through this buffer inside the
// process. Writing never goes past the room given, reading never past the
// size given. Failures are reported through ShowProcError under the
// routine's name, and the routine goes on with what it could do.

#include <QByteArray>
#include <QStringList>

namespace mx {

// The bytes a list needs.
qsizetype StringsBufSize(const QStringList& list);

// A buffer of exactly the size the list needs, filled by StringsToBuf.
QByteArray StringsToCreateBuf(const QStringList& list);

// Writes into buffer[0..size): the count, then the lines that fit, whole,
// in order; writing stops at the first line that does not fit.
// Returns the number of lines written (the count stored), or -1 when not
// even the count fits.
qsizetype StringsToBuf(const QStringList& list, char* buffer, qsizetype size);

// Reads a buffer of the given size into strings (emptied first). Returns
// false when the buffer is shorter than its count says (strings then holds
// the whole lines read).
bool BufToStrings(const char* buffer, qsizetype size, QStringList& strings);
inline bool BufToStrings(const QByteArray& buffer, QStringList& strings)
{
    return BufToStrings(buffer.constData(), buffer.size(), strings);
}

} // namespace mx
