// Loading and saving items: the stream operations of TMxItem and TMxList.

#include "reader.h"
#include "writer.h"

#include "engine/core/exceptions.h"
#include "engine/core/format.h"
#include "engine/core/item.h"
#include "engine/core/list.h"
#include "engine/core/systemerror.h"
#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "safefile.h"

#include <QFile>

namespace mx {

void TMxItem::ReadItems(TMxReader&) {}
void TMxItem::WriteItems(TMxWriter&) {}

void TMxItem::ReadComponent(TMxReader& reader)
{
    reader.ReadObject(this);
}

void TMxItem::WriteComponent(TMxWriter& writer)
{
    writer.WriteObject(this);
}

void TMxList::WriteItems(TMxWriter& w)
{
    for (TMxItem* item : m_items) {
        if (m_ownsItems) {
            w.WriteObject(item);
        } else {
            w.WriteStr(QStringLiteral("TagName"));
            w.WriteStr(item->GetTagName());
            w.WriteListEnd();
            w.WriteListEnd();
        }
    }
    if (!m_items.empty() && dynamic_cast<TMxList*>(m_items.front()))
        w.WriteListEnd();
}

void TMxList::ReadItems(TMxReader& r)
{
    Clear();
    while (!r.EndOfList()) {
        if (m_ownsItems) {
            r.ReadItem(this);
            if (m_items.empty() || !dynamic_cast<TMxList*>(m_items.front()))
                r.ReadListEnd();
        } else {
            TMxItem* found = nullptr;
            QString missing;
            try {
                found = r.ReadReference();
            } catch (const EReadError& e) {
                missing = e.message();
            }
            r.ReadListEnd();
            r.ReadListEnd();
            if (found)
                AddItem(found);
            else
                UserService().Warning(missing);
        }
    }
    if (!m_items.empty() && dynamic_cast<TMxList*>(m_items.front()))
        r.ReadListEnd();
    r.ReadListEnd();
}

namespace {

// source names the data in the messages of a damaged read.
void loadStream(TMxItem& item, const QByteArray& data, const QString& source)
{
    const bool was = item.HasState(stLoading);
    item.SetState(stLoading, true);
    QStringList warnings;
    try {
        TMxReader reader(data, source);
        reader.ReadRoot(&item);
        warnings = reader.Warnings();
    } catch (...) {
        item.SetState(stLoading, was);
        throw;
    }
    item.SetState(stLoading, was);
    for (const QString& w : warnings)
        UserService().Warning(w);
}

} // namespace

void TMxItem::LoadFromStream(const QByteArray& data)
{
    loadStream(*this, data, QString());
}

QByteArray TMxItem::SaveToBytes()
{
    QByteArray out;
    out.reserve(4096);
    TMxWriter writer(out);
    writer.WriteRoot(this);
    return out;
}

void TMxItem::LoadFromVariant(const QByteArray& bytes)
{
    LoadFromStream(bytes);
}

void TMxItem::LoadFromFile(const QString& fileName)
{
    // A file the system saved is scrambled whole. Only when its header does
    // not read as scrambled is it read plainly: the error of a damaged
    // scrambled file is then its own, not that of a plain second attempt.
    const QByteArray bytes = PlainFileBytes(ReadObjectFileBytes(fileName));
    loadStream(*this, bytes, fileName);
}

void TMxItem::SaveToFile(const QString& fileName)
{
    const bool was = HasState(stSaving);
    SetState(stSaving, true);
    try {
        QByteArray bytes = SaveToBytes();
        ScrambleFileBytes(bytes);
        WriteFileWithBackup(fileName, bytes);
    } catch (...) {
        SetState(stSaving, was);
        throw;
    }
    SetState(stSaving, was);
}

} // namespace mx
