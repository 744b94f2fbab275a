#include "reader.h"

#include "extended.h"

#include "../core/component.h"
#include "../core/exceptions.h"
#include "../core/format.h"
#include "../core/item.h"
#include "../core/list.h"
#include "../core/userservice.h"

#include <platform/core/cp1252.h>

#include <cstring>

namespace mx {
namespace {

constexpr int kMaxDepth = 200;

// A property whose value was skipped: the stream is still in step, so a
// list item can go on with its next property.
class EPropertyReadError : public EReadError {
public:
    using EReadError::EReadError;
    QString className() const override { return QStringLiteral("EReadError"); }
};

// Raised by property checks after the value was skipped.
class EPropertyProblem : public Exception {
public:
    using Exception::Exception;
};

const char kSignature[4] = {'T', 'P', 'F', '0'};

} // namespace

TMxReader::TMxReader(const QByteArray& data) : m_data(data), m_p(m_data.constData()), m_size(m_data.size()) {}

void TMxReader::need(qsizetype n) const
{
    if (n < 0 || n > m_size - m_pos)
        throw EReadError(QStringLiteral("Stream read error"));
}

unsigned char TMxReader::byte()
{
    need(1);
    return static_cast<unsigned char>(m_p[m_pos++]);
}

void TMxReader::enter()
{
    if (++m_depth > kMaxDepth) {
        --m_depth;
        throw EReadError(QStringLiteral("Invalid stream format"));
    }
}

void TMxReader::ReadRoot(TMxItem* root)
{
    // resource header
    const qsizetype headerLimit = std::min<qsizetype>(79, m_size);
    if (headerLimit < 3 || static_cast<unsigned char>(m_p[0]) != 0xFF || m_p[1] != 10 || m_p[2] != 0)
        throw EInvalidImage(QStringLiteral("Invalid stream format"));
    qsizetype zero = -1;
    for (qsizetype i = 3; i < headerLimit; ++i)
        if (m_p[i] == 0) {
            zero = i;
            break;
        }
    if (zero < 0)
        throw EInvalidImage(QStringLiteral("Invalid stream format"));
    m_pos = zero + 1 + 6;
    // signature
    need(4);
    if (std::memcmp(m_p + m_pos, kSignature, 4) == 0) {
        m_pos += 4;
    } else {
        bool scrambled = true;
        for (int i = 0; i < 4; ++i)
            if ((m_p[m_pos + i] ^ 1) != kSignature[i])
                scrambled = false;
        if (!scrambled)
            throw EReadError(QStringLiteral("Invalid stream format"));
        m_pos += 4;
        // descramble everything after the signature, in one pass
        char* w = m_data.data();
        m_p = m_data.constData();
        for (qsizetype i = m_pos; i < m_size; ++i)
            w[i] ^= 1;
    }
    m_fixups.clear();
    m_tags.clear();
    m_tagged = 0;
    ReadObject(root);
    m_fixups.clear();
    m_tags.clear();
    m_tagged = 0;
}

QString TMxReader::objectName(TPersistent* object) const
{
    if (auto* item = dynamic_cast<TMxItem*>(object)) {
        const QString n = item->GetName();
        if (!n.isEmpty())
            return n;
    }
    return object->className();
}

void TMxReader::ReadObject(TPersistent* object)
{
    if (!object)
        throw Exception(QStringLiteral("Not implemented : Can not read NIL item"));
    enter();
    ReadStr(); // class name: never checked against the object
    ReadStr(); // object name
    readBody(object);
    leave();
}

void TMxReader::readBody(TPersistent* object)
{
    while (!EndOfList()) {
        if (m_listDepth > 0) {
            try {
                ReadProperty(object);
            } catch (const EPropertyReadError& e) {
                m_warnings << e.message();
            }
        } else {
            ReadProperty(object);
        }
    }
    ReadListEnd();
    if (auto* item = dynamic_cast<TMxItem*>(object)) {
        readSubItems(item);
        item->ReadItems(*this);
    } else if (auto* component = dynamic_cast<TComponent*>(object)) {
        while (!EndOfList())
            readChildComponent(component);
        ReadListEnd();
    }
}

void TMxReader::ReadProperty(TPersistent* object)
{
    const QString name = ReadStr();
    TPersistent* current = object;
    try {
        // a dotted name walks through persistent objects: Font.Name
        QStringList parts;
        if (name.contains(u'.'))
            parts = name.split(u'.');
        for (int i = 0; i + 1 < parts.size(); ++i) {
            const PropInfo* p = current->classInfo()->findProp(parts[i]);
            if (!p) {
                SkipValue();
                throw EPropertyProblem(QStringLiteral("Property does not exist"));
            }
            TPersistent* next = (p->kind == PropKind::Object && p->getObject) ? p->getObject(current) : nullptr;
            if (!next) {
                SkipValue();
                throw EPropertyProblem(QStringLiteral("Invalid property path"));
            }
            current = next;
        }
        const QString last = parts.isEmpty() ? name : parts.last();
        if (const PropInfo* p = current->classInfo()->findProp(last)) {
            readPropValue(current, *p);
        } else {
            m_propName = last;
            m_consumed = false;
            current->DefineProperties(*this);
            if (!m_consumed) {
                SkipValue();
                throw EPropertyProblem(QStringLiteral("Property does not exist"));
            }
        }
    } catch (const EPropertyReadError&) {
        throw;
    } catch (const EPropertyProblem& e) {
        throw EPropertyReadError(Format(QStringLiteral("Error reading %s.%s: %s"), {objectName(object), name, e.message()}));
    } catch (const Exception& e) {
        throw EReadError(Format(QStringLiteral("Error reading %s.%s: %s"), {objectName(object), name, e.message()}));
    }
}

void TMxReader::invalidValue()
{
    throw EPropertyProblem(QStringLiteral("Invalid property value"));
}

void TMxReader::readPropValue(TPersistent* object, const PropInfo& p)
{
    if (!p.hasSetter()) {
        SkipValue();
        throw EPropertyProblem(QStringLiteral("Property is read-only"));
    }
    const TValueType t = NextValue();
    switch (p.kind) {
    case PropKind::Integer:
        if (t != vaInt8 && t != vaInt16 && t != vaInt32) {
            SkipValue();
            invalidValue();
        }
        p.set(object, QVariant::fromValue(ReadInteger()));
        return;
    case PropKind::Char: {
        if (t != vaString) {
            SkipValue();
            invalidValue();
        }
        const QString s = ReadString();
        if (s.size() != 1)
            invalidValue();
        p.set(object, QVariant::fromValue(qint64(s[0].unicode())));
        return;
    }
    case PropKind::Enum: {
        if (t != vaIdent && t != vaFalse && t != vaTrue && t != vaNil) {
            SkipValue();
            invalidValue();
        }
        const QString ident = ReadIdent();
        const int ord = p.enumInfo ? p.enumInfo->ordinalOf(ident) : -1;
        if (ord < 0)
            invalidValue();
        p.set(object, QVariant::fromValue(qint64(ord)));
        return;
    }
    case PropKind::Float:
        if (t == vaExtended) {
            p.set(object, QVariant::fromValue(ReadFloat()));
        } else if (t == vaInt8 || t == vaInt16 || t == vaInt32) {
            p.set(object, QVariant::fromValue(double(ReadInteger())));
        } else {
            SkipValue();
            invalidValue();
        }
        return;
    case PropKind::String:
        if (t != vaString && t != vaLString) {
            SkipValue();
            invalidValue();
        }
        p.set(object, QVariant::fromValue(ReadString()));
        return;
    case PropKind::Set: {
        if (t != vaSet) {
            SkipValue();
            invalidValue();
        }
        ReadValue();
        quint32 bits = 0;
        for (;;) {
            const QString member = ReadStr();
            if (member.isEmpty())
                break;
            const int ord = p.enumInfo ? p.enumInfo->ordinalOf(member) : -1;
            if (ord < 0) {
                while (!ReadStr().isEmpty()) {
                }
                invalidValue();
            }
            if (ord <= 31)
                bits |= (1u << ord);
        }
        p.set(object, QVariant::fromValue(bits));
        return;
    }
    case PropKind::Object:
    case PropKind::Event:
        // references to other items are not restored; events are not ours
        if (t != vaIdent && t != vaFalse && t != vaTrue && t != vaNil) {
            SkipValue();
            invalidValue();
        }
        ReadIdent();
        return;
    }
}

void TMxReader::readSubItems(TMxItem* item)
{
    for (const PropInfo* p : item->classInfo()->props()) {
        if (p->kind != PropKind::Object || !p->isStored(item) || !p->getObject)
            continue;
        TPersistent* value = p->getObject(item);
        if (auto* list = dynamic_cast<TMxList*>(value)) {
            if (m_pos >= m_size || PeekStr() != list->className())
                continue; // written before the list existed
            try {
                ReadObject(list);
            } catch (const std::exception& e) {
                UserService().MessageDlg(ExceptionMessage(e), TMsgDlgType::mtError, mbOK);
                throw;
            }
        } else if (auto* component = dynamic_cast<TComponent*>(value)) {
            ReadObject(component);
        }
    }
}

void TMxReader::readChildComponent(TComponent* parent)
{
    enter();
    const QString cls = ReadStr();
    if (cls == QLatin1String("TControlHandle")) {
        skipObject(true);
        leave();
        return;
    }
    TComponent* child = ComponentClasses::create(cls);
    if (!child) {
        UserService().MessageDlg(Format(QStringLiteral("Class %s not found"), {cls}), TMsgDlgType::mtError, mbOK);
        skipObject(true);
        leave();
        return;
    }
    try {
        child->SetComponentName(ReadStr());
        readBody(child);
    } catch (...) {
        delete child;
        throw;
    }
    parent->InsertChild(child);
    leave();
}

TMxItem* TMxReader::ReadItem(TMxList* list)
{
    enter();
    ReadStr(); // class name: items are made from the list's item class
    const ClassInfo* c = list->ItemClass();
    TMxItem* item = nullptr;
    try {
        if (!c->factory)
            throw EMxInternal(QStringLiteral("Cannot create an item of class %1").arg(c->name));
        item = c->factory(list);
        m_fixups.push_back(item);
        item->SetName(ReadStr());
    } catch (...) {
        if (item) {
            m_fixups.pop_back();
            item->Free();
        }
        skipObject(true);
        leave();
        throw;
    }
    ++m_listDepth;
    try {
        readBody(item);
    } catch (...) {
        --m_listDepth;
        // the item and everything read inside it are gone
        for (size_t i = 0; i < m_fixups.size(); ++i)
            if (m_fixups[i] == item) {
                m_fixups.resize(i);
                break;
            }
        if (m_tagged > m_fixups.size()) {
            m_tags.clear();
            m_tagged = 0;
        }
        item->Free();
        leave();
        throw;
    }
    --m_listDepth;
    leave();
    return item;
}

TMxItem* TMxReader::ReadReference()
{
    ReadStr(); // "TagName"
    // tags are short strings: an item's tag is compared in its stored form
    const QString tag = ReadStr();
    // tags are taken when first needed: most files hold no reference
    for (; m_tagged < m_fixups.size(); ++m_tagged) {
        const QString t = m_fixups[m_tagged]->GetTagName().left(255);
        if (!m_tags.contains(t))
            m_tags.insert(t, m_fixups[m_tagged]);
    }
    auto it = m_tags.constFind(tag);
    if (it != m_tags.constEnd())
        return *it;
    throw EReadError(QStringLiteral("Fixup '") + tag + QStringLiteral("' not found."));
}

TValueType TMxReader::NextValue() const
{
    need(1);
    const unsigned char v = static_cast<unsigned char>(m_p[m_pos]);
    if (v > vaNil)
        throw EReadError(QStringLiteral("Invalid property value"));
    return TValueType(v);
}

TValueType TMxReader::ReadValue()
{
    const TValueType t = NextValue();
    ++m_pos;
    return t;
}

void TMxReader::ReadListBegin()
{
    if (NextValue() != vaList) {
        SkipValue();
        throw EReadError(QStringLiteral("Invalid property value"));
    }
    ++m_pos;
}

void TMxReader::ReadListEnd()
{
    if (NextValue() != vaNull) {
        SkipValue();
        throw EReadError(QStringLiteral("Invalid property value"));
    }
    ++m_pos;
}

qint64 TMxReader::ReadInteger()
{
    const TValueType t = ReadValue();
    switch (t) {
    case vaInt8:
        return qint8(byte());
    case vaInt16: {
        need(2);
        const quint16 u = quint16(static_cast<unsigned char>(m_p[m_pos]) | (static_cast<unsigned char>(m_p[m_pos + 1]) << 8));
        m_pos += 2;
        return qint16(u);
    }
    case vaInt32: {
        need(4);
        quint32 u = 0;
        for (int i = 0; i < 4; ++i)
            u |= quint32(static_cast<unsigned char>(m_p[m_pos + i])) << (8 * i);
        m_pos += 4;
        return qint32(u);
    }
    default:
        --m_pos;
        SkipValue();
        throw EReadError(QStringLiteral("Invalid property value"));
    }
}

double TMxReader::ReadFloat()
{
    const TValueType t = NextValue();
    if (t != vaExtended)
        return double(ReadInteger());
    ++m_pos;
    need(10);
    const double v = ExtendedToDouble(reinterpret_cast<const unsigned char*>(m_p + m_pos));
    m_pos += 10;
    return v;
}

QString TMxReader::ReadString()
{
    const TValueType t = ReadValue();
    qsizetype n;
    if (t == vaString || t == vaIdent) {
        n = byte();
    } else if (t == vaLString) {
        need(4);
        quint32 u = 0;
        for (int i = 0; i < 4; ++i)
            u |= quint32(static_cast<unsigned char>(m_p[m_pos + i])) << (8 * i);
        m_pos += 4;
        n = qsizetype(u);
    } else {
        --m_pos;
        SkipValue();
        throw EReadError(QStringLiteral("Invalid property value"));
    }
    need(n);
    const QString s = cp1252::decode(m_p + m_pos, n);
    m_pos += n;
    return s;
}

QString TMxReader::ReadIdent()
{
    const TValueType t = ReadValue();
    switch (t) {
    case vaIdent:
        return ReadStr();
    case vaFalse:
        return QStringLiteral("False");
    case vaTrue:
        return QStringLiteral("True");
    case vaNil:
        return QStringLiteral("nil");
    default:
        --m_pos;
        SkipValue();
        throw EReadError(QStringLiteral("Invalid property value"));
    }
}

bool TMxReader::ReadBoolean()
{
    const TValueType t = ReadValue();
    if (t == vaTrue)
        return true;
    if (t == vaFalse)
        return false;
    --m_pos;
    SkipValue();
    throw EReadError(QStringLiteral("Invalid property value"));
}

QByteArray TMxReader::ReadBinary()
{
    if (ReadValue() != vaBinary) {
        --m_pos;
        SkipValue();
        throw EReadError(QStringLiteral("Invalid property value"));
    }
    need(4);
    quint32 u = 0;
    for (int i = 0; i < 4; ++i)
        u |= quint32(static_cast<unsigned char>(m_p[m_pos + i])) << (8 * i);
    m_pos += 4;
    need(qsizetype(u));
    QByteArray b(m_p + m_pos, qsizetype(u));
    m_pos += qsizetype(u);
    return b;
}

QString TMxReader::ReadStr()
{
    const qsizetype n = byte();
    need(n);
    const QString s = cp1252::decode(m_p + m_pos, n);
    m_pos += n;
    return s;
}

QString TMxReader::PeekStr() const
{
    need(1);
    const qsizetype n = static_cast<unsigned char>(m_p[m_pos]);
    if (n > m_size - m_pos - 1)
        return {};
    return cp1252::decode(m_p + m_pos + 1, n);
}

void TMxReader::skipStr()
{
    const qsizetype n = byte();
    need(n);
    m_pos += n;
}

void TMxReader::SkipValue()
{
    enter();
    const TValueType t = ReadValue();
    switch (t) {
    case vaList:
        while (!EndOfList())
            SkipValue();
        ++m_pos;
        break;
    case vaInt8:
        need(1);
        m_pos += 1;
        break;
    case vaInt16:
        need(2);
        m_pos += 2;
        break;
    case vaInt32:
        need(4);
        m_pos += 4;
        break;
    case vaExtended:
        need(10);
        m_pos += 10;
        break;
    case vaString:
    case vaIdent:
        skipStr();
        break;
    case vaBinary:
    case vaLString: {
        need(4);
        quint32 u = 0;
        for (int i = 0; i < 4; ++i)
            u |= quint32(static_cast<unsigned char>(m_p[m_pos + i])) << (8 * i);
        m_pos += 4;
        need(qsizetype(u));
        m_pos += qsizetype(u);
        break;
    }
    case vaSet:
        for (;;) {
            const qsizetype n = byte();
            if (n == 0)
                break;
            need(n);
            m_pos += n;
        }
        break;
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
        break;
    }
    leave();
}

void TMxReader::skipObject(bool classNameRead)
{
    enter();
    if (!classNameRead)
        skipStr();
    skipStr(); // object name
    while (!EndOfList()) {
        skipStr();
        SkipValue();
    }
    ++m_pos;
    while (!EndOfList())
        skipObject(false);
    ++m_pos;
    leave();
}

void TMxReader::DefineProperty(const QString& name, const ReadFn& read, const WriteFn&, bool)
{
    if (m_consumed || name.compare(m_propName, Qt::CaseInsensitive) != 0)
        return;
    m_consumed = true;
    if (read)
        read(*this);
    else
        SkipValue();
}

void TMxReader::DefineBinaryProperty(const QString& name, const ReadBinFn& read, const WriteBinFn&, bool)
{
    if (m_consumed || name.compare(m_propName, Qt::CaseInsensitive) != 0)
        return;
    m_consumed = true;
    if (NextValue() != vaBinary) {
        SkipValue();
        throw EPropertyProblem(QStringLiteral("Invalid property value"));
    }
    const QByteArray bytes = ReadBinary();
    if (read) {
        try {
            read(bytes);
        } catch (const std::exception& e) {
            UserService().MessageDlg(ExceptionMessage(e), TMsgDlgType::mtError, mbOK);
            throw;
        }
    }
}

} // namespace mx
