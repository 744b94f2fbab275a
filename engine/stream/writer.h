#pragma once
// TMxWriter: writes items as the binary component stream of object files.
// Everything goes to memory; files are written from the finished buffer.

#include "filer.h"

#include <QByteArray>
#include <QString>

namespace mx {

class TPersistent;
class TMxItem;
struct PropInfo;

class TMxWriter : public TFiler {
public:
    explicit TMxWriter(QByteArray& out) : m_out(out) {}

    void WriteRoot(TMxItem* root);
    void WriteObject(TPersistent* object);
    void WriteProperties(TPersistent* object);
    void WriteProperty(TPersistent* object, const PropInfo& prop);
    void WriteSubItems(TMxItem* item);

    void WriteValue(TValueType type) { m_out.append(char(type)); }
    void WriteListBegin() { WriteValue(vaList); }
    void WriteListEnd() { WriteValue(vaNull); }
    void WriteInteger(qint64 value);
    void WriteFloat(double value);
    void WriteString(const QString& value); // code 6 or 12
    void WriteIdent(const QString& value);  // code 7, 8 or 9
    void WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }
    void WriteBinary(const QByteArray& bytes);
    void WriteStr(const QString& value); // a short string, no type byte
    void WriteBytes(const QByteArray& b) { m_out.append(b); }
    qsizetype Position() const { return m_out.size(); }

    void DefineProperty(const QString& name, const ReadFn& read, const WriteFn& write, bool hasData) override;
    void DefineBinaryProperty(const QString& name, const ReadBinFn& read, const WriteBinFn& write, bool hasData) override;

    // Encodes text for the file; raises EMxException for a character the
    // code page cannot hold.
    static QByteArray Encode(const QString& text);
    static void EncodeInto(const QString& text, QByteArray& out);

private:
    void writeInt32At(qsizetype pos, qint32 v);
    QByteArray& m_out;
    QByteArray m_scratch;
    QString m_prefix;
};

} // namespace mx
