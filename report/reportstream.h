#pragma once
// The stored form of the report parts, keeping what the layer does not
// know. A record is read property by property: a property the part's
// class knows is applied (from a copy of its bytes, so a value of an
// unexpected type leaves the stream in step and is kept instead); every
// property, known or not, is remembered with its bytes, in file order. A
// child record of a class the layer knows becomes a part; any other is
// kept whole, in its place among the children.
//
// Writing a part that was read gives back the properties in file order:
// unknown ones as read, known ones as read unless their value changed
// since the load (then in the layer's own form, or left out when the value
// is now the default), followed by the known properties that were not in
// the record and changed since. A record read and written unchanged is
// therefore the same bytes; a part made here is written in class order.

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

namespace mx {
class TMxReader;
class TMxWriter;
} // namespace mx

namespace mx::rpt {

class TQRComponent;

// Reads one record at the reader's position into part, its children
// included; raises EReadError for a damaged record.
void ReadPart(TMxReader& reader, TQRComponent& part);
// Takes the written form of every known property of part and of its
// children as the baseline that later writes compare with (after a load).
void TakeBaseline(TQRComponent& part);
void WritePart(TMxWriter& writer, const TQRComponent& part);

// The properties the writer gives for an object now: (name, bytes) in
// class order, custom values included.
std::vector<std::pair<QString, QByteArray>> WrittenProperties(const TQRComponent& part);

} // namespace mx::rpt
