#include "file.h"

#include "exceptions.h"
#include "format.h"
#include "translate.h"

#include <QFileInfo>

namespace mx {

THookSlot<bool(TMxFile*, QString&)> LocateFileHook;

TLocateRecord& LocateRecord()
{
    static TLocateRecord record;
    return record;
}

MX_DEFINE_CLASS(TMxFile, TMxItem, nullptr)

TMxFile::TMxFile(TMxItem* owner) : TMxItem(owner) {}

void TMxFile::SetModified(bool value)
{
    if (value == m_modified)
        return;
    m_modified = value;
    const bool wasSaving = HasState(stSaving);
    SetState(stSaving, true);
    try {
        Change();
    } catch (...) {
        SetState(stSaving, wasSaving);
        throw;
    }
    SetState(stSaving, wasSaving);
}

void TMxFile::SetFileName(const QString& value)
{
    m_fileName = value;
    Change();
}

void TMxFile::Changed(TMxItem* sender)
{
    if (!HasState(stLoading) && !HasState(stSaving))
        m_modified = true;
    TMxItem::Changed(sender);
}

void TMxFile::LoadFromFile(const QString& fileName)
{
    QString name = fileName;
    if (LocateFileHook) {
        while (!QFileInfo::exists(name)) {
            if (LocateFileHook(this, name)) {
                MarkModified();
                continue;
            }
            throw EMxFileNotFound(TranslateFmt(QStringLiteral("File not found %s"), {name}));
        }
    }
    TMxItem::LoadFromFile(name);
    m_fileName = name;
    SetModified(false);
}

void TMxFile::SaveToFile(const QString& fileName)
{
    TMxItem::SaveToFile(fileName);
    SetModified(false);
}

} // namespace mx
