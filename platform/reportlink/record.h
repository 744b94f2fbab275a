#pragma once
// The request record that the report runtime and the program share, its
// data areas by request code, and the field entries of a channel's first
// mapping. All numbers are little-endian.
//
// Request record (the first kRecordSize bytes of the program's block):
//   +0 process id of the program the request is meant for
//   +4 request code (1 to 8)
//   +8 result: 0 done, -1 failed (the text is then fetched with code 4)
//   +12 data area, laid out per request code (see the codes below)
// After it the block holds the exchange's own bookkeeping (RecordControl):
// the sequence numbers that pair each answer with its request, and the
// lock that lets one request be in flight at a time.
//
// Texts are UTF-8. Names in fixed fields are zero-terminated within their
// field; one that fills the field without a terminator is refused. A text
// written into a slot is cut at the last whole character that fits and
// always terminated.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include <pthread.h>

namespace platform::rs {

inline constexpr size_t kRecordSize = 65536;
inline constexpr size_t kPidOffset = 0;
inline constexpr size_t kCodeOffset = 4;
inline constexpr size_t kResultOffset = 8;
inline constexpr size_t kDataOffset = 12;
inline constexpr size_t kDataSize = kRecordSize - kDataOffset;

enum RequestCode : std::int32_t {
    rqIdentify = 1,    // out: +0 process id (answered only in design state)
    rqOpen = 2,        // in: +0 channel, +4 first mapping (20), +24 second mapping (20), +44 dataset (64)
                       // out: +0 handle, +4 -1 while not at end else 0, +8 16-bit field count
    rqClose = 3,       // in: +0 handle, +4 channel
    rqLastError = 4,   // out: +0 the text
    rqDatasets = 5,    // out: +0 names, each terminated, then one more zero
    rqFields = 6,      // in: +0 dataset name, terminated; out: as code 5
    rqNext = 7,        // in: +0 handle, +4 channel; out: +0 -1 while not at end else 0
    rqMemo = 8,        // in: +0 handle, +4 channel, +8 field name (32), +40 byte offset
};

inline constexpr size_t kMappingNameField = 20;
inline constexpr size_t kDatasetNameField = 64;
inline constexpr size_t kFieldNameField = 32;
inline constexpr int kChannelCount = 10;
// A memo request gives at most this many bytes of text, then a zero.
inline constexpr int kMemoChunk = 32767;
// The largest record of field entries: the sum of 42 + size over the fields.
inline constexpr size_t kMaxRecordBytes = 65534;

// One field entry: +0 type, +4 name (32), +36 16-bit value size, +38 null
// flag (-1 null, else 0), +42 the value.
inline constexpr size_t kEntryHeader = 42;
inline constexpr size_t kEntryType = 0;
inline constexpr size_t kEntryName = 4;
inline constexpr size_t kEntrySize = 36;
inline constexpr size_t kEntryNull = 38;

// The field types a channel carries (the class library's type numbers).
// True for 1 to 11, 14, 15, 16 and 22; the others get no entry.
bool isTransferable(int type);
// The value size of a field of that type and declared size: a string takes
// 4 bytes per declared character and a terminator (a text of its declared
// width fits whatever its letters), capped at 65535; integers and logicals
// 4, numbers 8, dates and times 14, memos and blobs 0.
int valueSize(int type, int declaredSize);

// The exchange's bookkeeping, right after the request record.
struct RecordControl {
    std::uint32_t magic;
    std::uint32_t requestSeq;  // the last request posted
    std::uint32_t answeredSeq; // the last request answered
    std::uint32_t reserved;
    pthread_mutex_t lock;      // process-shared and robust
};
inline constexpr std::uint32_t kControlMagic = 0x4D585251; // "MXRQ"
inline constexpr size_t kControlOffset = kRecordSize;
inline constexpr size_t kBlockSize = kRecordSize + 4096;
static_assert(sizeof(RecordControl) <= kBlockSize - kControlOffset);

// Little-endian numbers at p.
inline std::int32_t getI32(const std::uint8_t* p)
{
    return std::int32_t(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16
        | std::uint32_t(p[3]) << 24);
}
inline void putI32(std::uint8_t* p, std::int32_t v)
{
    const auto u = std::uint32_t(v);
    p[0] = std::uint8_t(u);
    p[1] = std::uint8_t(u >> 8);
    p[2] = std::uint8_t(u >> 16);
    p[3] = std::uint8_t(u >> 24);
}
inline std::uint16_t getU16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | p[1] << 8);
}
inline void putU16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
double getF64(const std::uint8_t* p);
void putF64(std::uint8_t* p, double v);

// The zero-terminated text of a field of fieldSize bytes. False (and out
// left empty) when the field holds no terminator.
bool readFixedText(const std::uint8_t* field, size_t fieldSize, QByteArray* out);
// Writes text into room bytes: cut at the last whole UTF-8 character that
// fits in room - 1 bytes, then a zero. Returns the bytes of text written
// (without the zero); room 0 writes nothing.
size_t writeText(std::uint8_t* dest, size_t room, const QByteArray& utf8);
// The length of the longest start of text, at most max bytes, that ends on
// a whole UTF-8 character.
size_t utf8Prefix(const QByteArray& text, size_t max);

} // namespace platform::rs
