#pragma once
// The record a data channel sends the report runtime: one entry per field
// that can be carried, in field order, each with its current value.
//
// Values are strict: an integer field carries 32-bit integers, and a value
// beyond them fails the request with a message naming the field and the
// record (it is never wrapped); a value that cannot be read as its field's
// type fails likewise. A text longer than its slot is cut at the last whole
// character and always terminated.

#include "engine/driver/field.h"

#include <QByteArray>
#include <QVariant>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mx {

class TIMxRowCursor;

struct TChannelEntry {
    int field = 0;      // the cursor's field index
    int type = 0;       // the field-type number sent
    QByteArray name;    // UTF-8, at most 31 bytes
    int size = 0;       // the value's slot
    size_t offset = 0;  // of the entry in the mapping
};

struct TChannelLayout {
    std::vector<TChannelEntry> entries;
    size_t bytes = 0; // the whole record
    // The entry of that name, compared exactly; none otherwise.
    const TChannelEntry* Find(const QByteArray& name) const;
};

// The entries of the fields that can be carried.
TChannelLayout ChannelLayout(const std::vector<TIMxField>& fields);

// The name a field is sent by: at most 31 bytes of UTF-8, cut at a whole
// character.
QByteArray ChannelFieldName(const QString& name);

// Writes every entry with the cursor's current values (null ones when
// onRow is false) into map, which has room bytes; the layout must fit.
// recNo names the record in messages. Raises EMxException for a value that
// its field cannot carry.
void WriteChannelRecord(const TChannelLayout& layout, const TIMxRowCursor& cursor, bool onRow, int recNo,
    std::uint8_t* map, size_t room);

// The text a memo request reads from a value: a text's UTF-8, a blob's
// bytes, any other value's text form.
QByteArray ChannelMemoText(const QVariant& value);

} // namespace mx
