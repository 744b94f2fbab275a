#pragma once
// The Windows-1252 code page, the 8-bit character set of object files.
// Every byte maps to one character and back: the five bytes the code page
// leaves undefined (0x81 0x8D 0x8F 0x90 0x9D) map to the C1 controls of the
// same value, so any byte sequence survives a decode/encode round trip.

#include <QByteArray>
#include <QString>

namespace cp1252 {

// Decodes 8-bit text. Never fails.
QString decode(const QByteArray& bytes);
QString decode(const char* data, qsizetype size);

// Encodes text; returns false (and leaves out nothing: out holds the bytes
// of the characters before the first one that cannot be encoded) when a
// character has no place in the code page. badChar receives that character.
bool encode(const QString& text, QByteArray& out, QChar* badChar = nullptr);

// True when every character of text has a byte in the code page.
bool canEncode(const QString& text);

// Encodes text, replacing nothing: characters outside the code page raise
// the caller's problem. Use encode() when the caller must report it.
int byteOf(QChar c); // -1 when c has no byte

// Byte-wise comparison of the encoded forms (characters outside the code
// page sort after every byte, by code point).
int compareBytes(const QString& a, const QString& b);

} // namespace cp1252
