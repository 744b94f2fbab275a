#include "reportstream.h"

#include "reportparts.h"

#include "engine/core/exceptions.h"
#include "engine/query/stepreport.h"
#include "engine/stream/reader.h"
#include "engine/stream/writer.h"

#include <QSet>

namespace mx::rpt {
namespace {

constexpr int kMaxDepth = 32;

// Collects the names of an object's custom values.
class TNameProbe : public TFiler {
public:
    QStringList names;
    void DefineProperty(const QString& name, const ReadFn&, const WriteFn&, bool) override { names << name; }
    void DefineBinaryProperty(const QString& name, const ReadBinFn&, const WriteBinFn&, bool) override { names << name; }
};

// Whether a (dotted) property name leads to a value the part's classes
// read: published values through published objects, or custom values.
bool isKnown(TPersistent* object, const QString& name)
{
    const QStringList parts = name.split(u'.');
    TPersistent* current = object;
    for (int i = 0; i + 1 < parts.size(); ++i) {
        const PropInfo* p = current->classInfo()->findProp(parts[i]);
        if (!p || p->kind != PropKind::Object || !p->getObject)
            return false;
        current = p->getObject(current);
        if (!current)
            return false;
    }
    if (const PropInfo* p = current->classInfo()->findProp(parts.last()))
        return p->hasSetter() && p->kind != PropKind::Object && p->kind != PropKind::Event;
    TNameProbe probe;
    current->DefineProperties(probe);
    return probe.names.contains(parts.last(), Qt::CaseInsensitive);
}

void readPart(TMxReader& reader, TQRComponent& part, int depth)
{
    if (depth > kMaxDepth)
        throw EReadError(QStringLiteral("Invalid stream format"));
    TKeptRecord& kept = part.Kept();
    kept = TKeptRecord();
    kept.className = reader.ReadStr();
    part.SetComponentName(reader.ReadStr());
    part.SetLoading(true);
    try {
        while (!reader.EndOfList()) {
            const qsizetype start = reader.Position();
            const QString name = reader.ReadStr();
            reader.SkipValue();
            TKeptRecord::Property property;
            property.name = name;
            property.bytes = reader.Bytes(start, reader.Position());
            if (isKnown(&part, name)) {
                // From a copy: a value the class cannot take leaves the
                // stream in step, and the property is kept as it stands.
                try {
                    TMxReader one(property.bytes);
                    one.ReadProperty(&part);
                    property.known = true;
                } catch (const std::exception&) {
                    property.known = false;
                }
            }
            kept.properties.push_back(std::move(property));
        }
        reader.ReadListEnd();
        while (!reader.EndOfList()) {
            std::unique_ptr<TQRComponent> child = CreatePart(reader.PeekStr());
            if (child && !dynamic_cast<TQuickRep*>(child.get())) {
                readPart(reader, *child, depth + 1);
                part.AddPart(std::move(child));
            } else {
                const qsizetype start = reader.Position();
                SkipComponentRecord(reader);
                part.AppendKeptRecord(reader.Bytes(start, reader.Position()));
            }
        }
        reader.ReadListEnd();
    } catch (...) {
        part.SetLoading(false);
        throw;
    }
    part.SetLoading(false);
    kept.loaded = true;
}

const QByteArray* find(const std::vector<std::pair<QString, QByteArray>>& list, const QString& name)
{
    for (const auto& [n, bytes] : list)
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return &bytes;
    return nullptr;
}

bool sameValue(const QByteArray* a, const QByteArray* b)
{
    if (!a || !b)
        return a == b;
    return *a == *b;
}

} // namespace

std::vector<std::pair<QString, QByteArray>> WrittenProperties(const TQRComponent& part)
{
    QByteArray bytes;
    TMxWriter writer(bytes);
    writer.WriteProperties(const_cast<TQRComponent*>(&part));
    std::vector<std::pair<QString, QByteArray>> list;
    TMxReader reader(bytes);
    while (reader.Position() < bytes.size()) {
        const qsizetype start = reader.Position();
        const QString name = reader.ReadStr();
        reader.SkipValue();
        list.emplace_back(name, reader.Bytes(start, reader.Position()));
    }
    return list;
}

void ReadPart(TMxReader& reader, TQRComponent& part)
{
    readPart(reader, part, 0);
}

void TakeBaseline(TQRComponent& part)
{
    part.Kept().baseline = WrittenProperties(part);
    for (TQRComponent* child : part.Parts())
        TakeBaseline(*child);
}

void WritePart(TMxWriter& writer, const TQRComponent& part)
{
    writer.WriteStr(part.StoredClassName());
    writer.WriteStr(part.ComponentName());
    const std::vector<std::pair<QString, QByteArray>> now = WrittenProperties(part);
    const TKeptRecord& kept = part.Kept();
    if (!kept.loaded) {
        for (const auto& p : now)
            writer.WriteBytes(p.second);
    } else {
        QSet<QString> seen;
        for (const TKeptRecord::Property& p : kept.properties) {
            if (!p.known) {
                writer.WriteBytes(p.bytes);
                continue;
            }
            const QString key = p.name.toUpper();
            const bool first = !seen.contains(key);
            seen.insert(key);
            const QByteArray* current = find(now, p.name);
            const QByteArray* base = find(kept.baseline, p.name);
            if (sameValue(current, base))
                writer.WriteBytes(p.bytes); // unchanged since the load: as read, every time it was there
            else if (current && first)
                writer.WriteBytes(*current); // changed: once, where it first was
            // else the value is the default now: left out
        }
        for (const auto& [name, bytes] : now) {
            if (seen.contains(name.toUpper()))
                continue;
            if (!sameValue(&bytes, find(kept.baseline, name)))
                writer.WriteBytes(bytes);
        }
    }
    writer.WriteListEnd();
    for (const TQRChild& child : part.ChildRecords()) {
        if (child.part)
            WritePart(writer, *child.part);
        else
            writer.WriteBytes(child.record);
    }
    writer.WriteListEnd();
}

} // namespace mx::rpt
