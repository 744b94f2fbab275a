#include "writer.h"

#include "extended.h"

#include "engine/core/component.h"
#include "engine/core/exceptions.h"
#include "engine/core/format.h"
#include "engine/core/item.h"
#include "engine/core/list.h"

#include "platform/core/cp1252.h"

#include <QtEndian>

namespace mx {
namespace {

template <class T>
void appendLittleEndian(QByteArray& out, T value)
{
    char b[sizeof(T)];
    qToLittleEndian<T>(value, b);
    out.append(b, qsizetype(sizeof(T)));
}

} // namespace

QByteArray TMxWriter::Encode(const QString& text)
{
    QByteArray out;
    EncodeInto(text, out);
    return out;
}

void TMxWriter::EncodeInto(const QString& text, QByteArray& out)
{
    QChar bad;
    if (!cp1252::encode(text, out, &bad)) {
        QString shown = text.left(60);
        throw EMxException(Format(QStringLiteral("Le caractère \"%s\" (U+%s) du texte \"%s\" ne peut pas être enregistré dans le fichier."),
            {QString(bad), QString::number(bad.unicode(), 16).toUpper().rightJustified(4, u'0'), shown}));
    }
}

void TMxWriter::writeInt32At(qsizetype pos, qint32 v)
{
    qToLittleEndian<qint32>(v, m_out.data() + pos);
}

void TMxWriter::WriteRoot(TMxItem* root)
{
    m_out.append(kResourceStart, sizeof kResourceStart);
    QByteArray name = Encode(root->className().toUpper()).left(63);
    m_out.append(name);
    m_out.append(char(0));
    m_out.append(kResourceFlags, sizeof kResourceFlags);
    m_out.append(QByteArray(kResourceSizeBytes, '\0'));
    const qsizetype p = m_out.size();
    m_out.append(kStreamSignature, sizeof kStreamSignature);
    WriteObject(root);
    writeInt32At(p - kResourceSizeBytes, qint32(m_out.size() - p));
}

void TMxWriter::WriteObject(TPersistent* object)
{
    auto* component = dynamic_cast<TComponent*>(object);
    auto* item = dynamic_cast<TMxItem*>(object);
    WriteStr(object->className());
    WriteStr(component ? component->ComponentName() : QString());
    const QString savedPrefix = m_prefix;
    m_prefix.clear();
    WriteProperties(object);
    m_prefix = savedPrefix;
    WriteListEnd();
    if (item) {
        WriteSubItems(item);
        item->WriteItems(*this);
    } else if (component && component->IsWindowControl()) {
        for (TComponent* child : component->Children())
            WriteObject(child);
    }
    WriteListEnd();
}

void TMxWriter::WriteProperties(TPersistent* object)
{
    for (const PropInfo* p : object->classInfo()->props()) {
        if (!p->hasSetter() || !p->isStored(object))
            continue;
        WriteProperty(object, *p);
    }
    object->DefineProperties(*this);
}

void TMxWriter::WriteProperty(TPersistent* object, const PropInfo& p)
{
    const QString name = m_prefix + p.name;
    switch (p.kind) {
    case PropKind::Integer: {
        const qint64 v = p.get(object).toLongLong();
        if (p.defaultValue && *p.defaultValue == v)
            return;
        WriteStr(name);
        WriteInteger(v);
        return;
    }
    case PropKind::Char: {
        const qint64 v = p.get(object).toLongLong();
        if (p.defaultValue && *p.defaultValue == v)
            return;
        WriteStr(name);
        const QByteArray b = Encode(QString(QChar(char16_t(v))));
        WriteValue(vaString);
        m_out.append(char(1));
        m_out.append(b);
        return;
    }
    case PropKind::Enum: {
        const qint64 v = p.get(object).toLongLong();
        if (p.defaultValue && *p.defaultValue == v)
            return;
        if (!p.enumInfo || v < 0 || v >= p.enumInfo->names.size())
            throw EMxInternal(Format(QStringLiteral("Invalid value %d for property %s"), {v, name}));
        WriteStr(name);
        WriteIdent(p.enumInfo->names[int(v)]);
        return;
    }
    case PropKind::Set: {
        const quint32 v = p.get(object).toUInt();
        if (p.defaultValue && quint32(*p.defaultValue) == v)
            return;
        WriteStr(name);
        WriteValue(vaSet);
        for (int i = 0; i < 16 && p.enumInfo && i < p.enumInfo->names.size(); ++i)
            if (v & (1u << i))
                WriteStr(p.enumInfo->names[i]);
        WriteStr(QString());
        return;
    }
    case PropKind::Float: {
        const double v = p.get(object).toDouble();
        if (v == 0.0)
            return;
        WriteStr(name);
        WriteFloat(v);
        return;
    }
    case PropKind::String: {
        const QString v = p.get(object).toString();
        if (v.isEmpty())
            return;
        WriteStr(name);
        WriteString(v);
        return;
    }
    case PropKind::Object: {
        TPersistent* value = p.getObject ? p.getObject(object) : nullptr;
        if (!value || dynamic_cast<TMxList*>(value) || dynamic_cast<TComponent*>(value))
            return;
        if (auto* ref = dynamic_cast<TMxItem*>(value)) {
            WriteStr(name);
            WriteIdent(ref->GetTagName());
            return;
        }
        const QString saved = m_prefix;
        m_prefix = name + u'.';
        WriteProperties(value);
        m_prefix = saved;
        return;
    }
    case PropKind::Event:
        return;
    }
}

void TMxWriter::WriteSubItems(TMxItem* item)
{
    for (const PropInfo* p : item->classInfo()->props()) {
        if (p->kind != PropKind::Object || !p->isStored(item) || !p->getObject)
            continue;
        TPersistent* value = p->getObject(item);
        if (dynamic_cast<TMxList*>(value) || dynamic_cast<TComponent*>(value))
            WriteObject(value);
    }
}

void TMxWriter::WriteInteger(qint64 v)
{
    if (v >= -128 && v <= 127) {
        WriteValue(vaInt8);
        m_out.append(char(qint8(v)));
    } else if (v >= -32768 && v <= 32767) {
        WriteValue(vaInt16);
        appendLittleEndian(m_out, qint16(v));
    } else {
        WriteValue(vaInt32);
        appendLittleEndian(m_out, qint32(v));
    }
}

void TMxWriter::WriteFloat(double value)
{
    WriteValue(vaExtended);
    unsigned char b[kExtendedSize];
    DoubleToExtended(value, b);
    m_out.append(reinterpret_cast<const char*>(b), kExtendedSize);
}

void TMxWriter::WriteString(const QString& value)
{
    m_scratch.clear();
    EncodeInto(value, m_scratch);
    const QByteArray& b = m_scratch;
    if (b.size() < 256) {
        WriteValue(vaString);
        m_out.append(char(b.size()));
    } else {
        WriteValue(vaLString);
        appendLittleEndian(m_out, quint32(b.size()));
    }
    m_out.append(b);
}

void TMxWriter::WriteIdent(const QString& value)
{
    if (value == QLatin1String("False")) {
        WriteValue(vaFalse);
        return;
    }
    if (value == QLatin1String("True")) {
        WriteValue(vaTrue);
        return;
    }
    WriteValue(vaIdent);
    WriteStr(value);
}

void TMxWriter::WriteBinary(const QByteArray& bytes)
{
    WriteValue(vaBinary);
    appendLittleEndian(m_out, quint32(bytes.size()));
    m_out.append(bytes);
}

void TMxWriter::WriteStr(const QString& value)
{
    EncodeInto(value, m_scratch);
    const qsizetype n = std::min<qsizetype>(m_scratch.size(), 255);
    m_out.append(char(n));
    m_out.append(m_scratch.constData(), n);
}

void TMxWriter::DefineProperty(const QString& name, const ReadFn&, const WriteFn& write, bool hasData)
{
    if (!hasData || !write)
        return;
    WriteStr(m_prefix + name);
    const QString saved = m_prefix;
    m_prefix.clear();
    write(*this);
    m_prefix = saved;
}

void TMxWriter::DefineBinaryProperty(const QString& name, const ReadBinFn&, const WriteBinFn& write, bool hasData)
{
    if (!hasData || !write)
        return;
    WriteStr(m_prefix + name);
    QByteArray bytes;
    write(bytes);
    WriteBinary(bytes);
}

} // namespace mx
