#include "reader.h"

#include "extended.h"

#include "engine/core/component.h"
#include "engine/core/exceptions.h"
#include "engine/core/escape.h"
#include "engine/core/format.h"
#include "engine/core/item.h"
#include "engine/core/list.h"
#include "engine/core/userservice.h"

#include "platform/core/cp1252.h"

#include <QtEndian>

#include <cstring>

namespace mx {
namespace {

constexpr int kMaxDepth = 200;

// An error whose text already says where it happened: the levels above
// pass it on as it stands.
class ELocatedReadError : public EReadError {
public:
    using EReadError::EReadError;
    QString className() const override { return QStringLiteral("EReadError"); }
};

// A property whose value was skipped: the stream is still in step, so a
// list item can go on with its next property.
class EPropertyReadError : public ELocatedReadError {
public:
    using ELocatedReadError::ELocatedReadError;
};

// Raised by property checks after the value was skipped.
class EPropertyProblem : public Exception {
public:
    using Exception::Exception;
};

// The resource header (see filer.h): its class name ends within this many
// bytes from the start.
constexpr qsizetype kHeaderNameLimit = 79;

QStringList& recordsAfterLists()
{
    static QStringList names;
    return names;
}

} // namespace

void TMxReader::AllowRecordAfterLists(const QString& className)
{
    if (!recordsAfterLists().contains(className))
        recordsAfterLists() << className;
}

// The object being read, for the place named in messages.
class TMxReader::TPathFrame {
public:
    TPathFrame(TMxReader& reader, TPersistent* object, const QString& storedName) : m_reader(reader)
    {
        m_reader.m_path.push_back({object, storedName});
    }
    ~TPathFrame() { m_reader.m_path.pop_back(); }
    TPathFrame(const TPathFrame&) = delete;
    TPathFrame& operator=(const TPathFrame&) = delete;

private:
    TMxReader& m_reader;
};

TMxReader::TMxReader(const QByteArray& data, const QString& source)
    : m_source(source), m_data(data), m_p(m_data.constData()), m_size(m_data.size())
{
}

QString TMxReader::located(qsizetype at, const QString& property, const QString& text) const
{
    QString where = QStringLiteral("Error reading ");
    if (!m_source.isEmpty())
        where += m_source + QStringLiteral(", ");
    where += QStringLiteral("byte %1").arg(at);
    QStringList path;
    for (const Frame& f : m_path) {
        QString name = f.storedName;
        if (auto* item = dynamic_cast<TMxItem*>(f.object)) {
            const QString own = item->GetName();
            if (!own.isEmpty())
                name = own;
        }
        path << (name.isEmpty() ? f.object->className() : f.object->className() + QStringLiteral(" \"") + name + u'"');
    }
    if (!path.isEmpty())
        where += QStringLiteral(", ") + path.join(QStringLiteral(" / "));
    if (!property.isEmpty())
        where += QStringLiteral(", property ") + property;
    return EscapeControls(where + QStringLiteral(": ") + text);
}

void TMxReader::raiseLocated(qsizetype at, const QString& property, const QString& text) const
{
    throw ELocatedReadError(located(at, property, text));
}

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
    // Header errors name the source when there is one.
    auto invalid = [this](qsizetype at, bool image) {
        const QString text = QStringLiteral("Invalid stream format");
        if (m_source.isEmpty()) {
            if (image)
                throw EInvalidImage(text);
            throw EReadError(text);
        }
        raiseLocated(at, QString(), text);
    };
    // resource header
    const qsizetype headerLimit = std::min<qsizetype>(kHeaderNameLimit, m_size);
    if (headerLimit < qsizetype(sizeof kResourceStart) || std::memcmp(m_p, kResourceStart, sizeof kResourceStart) != 0)
        invalid(0, true);
    qsizetype zero = -1;
    for (qsizetype i = sizeof kResourceStart; i < headerLimit; ++i)
        if (m_p[i] == 0) {
            zero = i;
            break;
        }
    if (zero < 0)
        invalid(sizeof kResourceStart, true);
    const qsizetype sizeAt = zero + 1 + qsizetype(sizeof kResourceFlags);
    m_pos = sizeAt + kResourceSizeBytes;
    const qsizetype streamStart = m_pos;
    // signature
    if (m_size - m_pos < qsizetype(sizeof kStreamSignature))
        invalid(m_pos, false);
    if (std::memcmp(m_p + m_pos, kStreamSignature, sizeof kStreamSignature) == 0) {
        m_pos += sizeof kStreamSignature;
    } else {
        bool scrambled = true;
        for (size_t i = 0; i < sizeof kStreamSignature; ++i)
            if ((m_p[m_pos + i] ^ 1) != kStreamSignature[i])
                scrambled = false;
        if (!scrambled)
            invalid(m_pos, false);
        m_pos += sizeof kStreamSignature;
        // descramble everything after the signature, in one pass
        char* w = m_data.data();
        m_p = m_data.constData();
        for (qsizetype i = m_pos; i < m_size; ++i)
            w[i] ^= 1;
    }
    m_fixups.clear();
    m_tags.clear();
    m_tagged = 0;
    m_path.clear();
    try {
        ReadObject(root);
        // An item's final marker is left to its list; the root's is here.
        if (m_pos < m_size && m_p[m_pos] == vaNull)
            ++m_pos;
        if (m_pos < m_size)
            raiseLocated(m_pos, QString(),
                Format(QStringLiteral("%d bytes after the end of the root object"), {m_size - m_pos}));
        const quint32 stored = qFromLittleEndian<quint32>(m_p + sizeAt);
        if (qsizetype(stored) != m_size - streamStart)
            raiseLocated(sizeAt, QString(),
                Format(QStringLiteral("The header gives a stream of %d bytes, the data holds %d"),
                    {qint64(stored), m_size - streamStart}));
    } catch (...) {
        m_fixups.clear();
        m_tags.clear();
        m_tagged = 0;
        throw;
    }
    m_fixups.clear();
    m_tags.clear();
    m_tagged = 0;
}

void TMxReader::ReadObject(TPersistent* object)
{
    if (!object)
        throw Exception(QStringLiteral("Not implemented : Can not read NIL item"));
    enter();
    try {
        TPathFrame frame(*this, object, QString());
        try {
            ReadStr(); // class name: checked by the reader of the owner's lists
            m_path.back().storedName = ReadStr(); // object name
            readBody(object);
        } catch (const ELocatedReadError&) {
            throw;
        } catch (const Exception& e) {
            raiseLocated(m_pos, QString(), e.message());
        }
    } catch (...) {
        leave();
        throw;
    }
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
    const qsizetype at = m_pos;
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
    } catch (const ELocatedReadError&) {
        throw;
    } catch (const EPropertyProblem& e) {
        throw EPropertyReadError(located(at, name, e.message()));
    } catch (const Exception& e) {
        raiseLocated(at, name, e.message());
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
    // The objects stored after the properties, in their order.
    std::vector<std::pair<TPersistent*, QString>> stored;
    for (const PropInfo* p : item->classInfo()->props()) {
        if (p->kind != PropKind::Object || !p->isStored(item) || !p->getObject)
            continue;
        TPersistent* value = p->getObject(item);
        if (dynamic_cast<TMxList*>(value) || dynamic_cast<TComponent*>(value))
            stored.emplace_back(value, p->name);
    }
    for (size_t i = 0; i < stored.size(); ++i) {
        TPersistent* value = stored[i].first;
        if (auto* list = dynamic_cast<TMxList*>(value)) {
            if (m_pos >= m_size || PeekStr() != list->className()) {
                QStringList later;
                for (size_t j = i + 1; j < stored.size(); ++j)
                    later << stored[j].first->className();
                checkListClass(item, list->className(), later);
                continue; // written before the list existed
            }
            ReadObject(list);
        } else if (auto* component = dynamic_cast<TComponent*>(value)) {
            ReadObject(component);
        }
    }
}

// Where a list stands but its class is not there: a file written before
// the list existed goes on with a later stored object, the end of the
// item or a record the item reads itself; any other class is damage.
void TMxReader::checkListClass(TMxItem* item, const QString& expected, const QStringList& later)
{
    if (m_pos >= m_size || static_cast<unsigned char>(m_p[m_pos]) == vaNull)
        return;
    const QString found = PeekStr();
    // a list's items follow its lists
    if (later.contains(found) || dynamic_cast<TMxList*>(item) || recordsAfterLists().contains(found))
        return;
    raiseLocated(m_pos, QString(), Format(QStringLiteral("Unknown class %s where the list %s stands"), {found, expected}));
}

void TMxReader::readChildComponent(TComponent* parent)
{
    enter();
    const qsizetype at = m_pos;
    const QString cls = ReadStr();
    if (cls == QLatin1String("TControlHandle")) {
        skipObject(true);
        leave();
        return;
    }
    TComponent* child = ComponentClasses::create(cls);
    if (!child) {
        m_warnings << located(at, QString(), Format(QStringLiteral("Class %s not found"), {cls}));
        skipObject(true);
        leave();
        return;
    }
    try {
        TPathFrame frame(*this, child, QString());
        try {
            child->SetComponentName(ReadStr());
            readBody(child);
        } catch (const ELocatedReadError&) {
            throw;
        } catch (const Exception& e) {
            raiseLocated(m_pos, QString(), e.message());
        }
    } catch (...) {
        delete child;
        leave();
        throw;
    }
    parent->InsertChild(child);
    leave();
}

TMxItem* TMxReader::ReadItem(TMxList* list)
{
    enter();
    const qsizetype at = m_pos;
    TMxItem* item = nullptr;
    try {
        ReadStr(); // class name: items are made from the list's item class
        const ClassInfo* c = list->ItemClass();
        if (!c->factory)
            throw EMxInternal(QStringLiteral("Cannot create an item of class %1").arg(c->name));
        item = c->factory(list);
        m_fixups.push_back(item);
        item->SetName(ReadStr());
    } catch (const Exception& e) {
        // told before the free: the owner may go with its last item
        const QString message = located(at, QString(), e.message());
        if (item) {
            m_fixups.pop_back();
            item->Free();
        }
        leave();
        throw ELocatedReadError(message);
    } catch (...) {
        if (item) {
            m_fixups.pop_back();
            item->Free();
        }
        leave();
        throw;
    }
    // An item may free itself when what it holds goes (an entity without
    // fields): it is freed here only while it lives.
    const std::weak_ptr<const void> alive = item->LifeToken();
    ++m_listDepth;
    try {
        TPathFrame frame(*this, item, QString());
        try {
            readBody(item);
        } catch (const ELocatedReadError&) {
            throw;
        } catch (const Exception& e) {
            raiseLocated(m_pos, QString(), e.message());
        }
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
        if (!alive.expired())
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
    const qsizetype at = m_pos;
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
    raiseLocated(at, QString(), QStringLiteral("Fixup '") + tag + QStringLiteral("' not found."));
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
        const qint16 v = qFromLittleEndian<qint16>(m_p + m_pos);
        m_pos += 2;
        return v;
    }
    case vaInt32: {
        need(4);
        const qint32 v = qFromLittleEndian<qint32>(m_p + m_pos);
        m_pos += 4;
        return v;
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
    need(kExtendedSize);
    const double v = ExtendedToDouble(reinterpret_cast<const unsigned char*>(m_p + m_pos));
    m_pos += kExtendedSize;
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
        const quint32 u = qFromLittleEndian<quint32>(m_p + m_pos);
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
    const quint32 u = qFromLittleEndian<quint32>(m_p + m_pos);
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
        need(kExtendedSize);
        m_pos += kExtendedSize;
        break;
    case vaString:
    case vaIdent:
        skipStr();
        break;
    case vaBinary:
    case vaLString: {
        need(4);
        const quint32 u = qFromLittleEndian<quint32>(m_p + m_pos);
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
    if (read)
        read(bytes);
}

} // namespace mx
