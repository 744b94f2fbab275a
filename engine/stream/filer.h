#pragma once
// The common base of the object writer and reader: custom values declared
// by an object's DefineProperties.

#include <QByteArray>
#include <QString>
#include <functional>

namespace mx {

class TMxReader;
class TMxWriter;

class TFiler {
public:
    virtual ~TFiler() = default;
    using ReadFn = std::function<void(TMxReader&)>;
    using WriteFn = std::function<void(TMxWriter&)>;
    using ReadBinFn = std::function<void(const QByteArray&)>;
    using WriteBinFn = std::function<void(QByteArray&)>;

    virtual void DefineProperty(const QString& name, const ReadFn& read, const WriteFn& write, bool hasData) = 0;
    virtual void DefineBinaryProperty(const QString& name, const ReadBinFn& read, const WriteBinFn& write, bool hasData) = 0;
};

// The resource header before an object stream: FF 0A 00 (a data resource
// named by number), the root's class name ended by a zero, two bytes of
// flags, and the size of the stream in four bytes. The stream starts with
// its signature.
inline constexpr char kResourceStart[3] = {'\xFF', '\x0A', '\0'};
inline constexpr char kResourceFlags[2] = {'\x30', '\x10'};
inline constexpr int kResourceSizeBytes = 4;
inline constexpr char kStreamSignature[4] = {'T', 'P', 'F', '0'};

// A file the system saves is scrambled whole: every byte XOR 1 (doing it
// twice gives the bytes back).
inline void ScrambleFileBytes(QByteArray& bytes)
{
    for (char& c : bytes)
        c = char(c ^ 1);
}

// The bytes of a file as the reader takes them: those of a file saved
// scrambled (its resource header reads XOR 1) unscrambled, any other as
// they are.
inline QByteArray PlainFileBytes(QByteArray bytes)
{
    bool scrambled = bytes.size() >= qsizetype(sizeof kResourceStart);
    for (size_t i = 0; scrambled && i < sizeof kResourceStart; ++i)
        scrambled = char(bytes[qsizetype(i)] ^ 1) == kResourceStart[i];
    if (scrambled)
        ScrambleFileBytes(bytes);
    return bytes;
}

// Value type codes of the stream.
enum TValueType : unsigned char {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
};

} // namespace mx
