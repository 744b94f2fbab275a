#pragma once
// TMxFile: an item stored in a file of its own.

#include "item.h"

namespace mx {

class TMxFile;

// Asked for a file that does not exist; may change the name and returns
// true to try again. Filled by the user interface's relocate dialog.
extern THookSlot<bool(TMxFile* file, QString& fileName)> LocateFileHook;

// Where the relocation looks first for a missing file: the folder of the
// file that names it (a query loading its model sets it for that load
// only), whether to look there, and whether relocation is offered at all.
struct TLocateRecord {
    QString alternativeDir; // ends with "/" when set
    bool useAlternativeDir = false;
    bool enabled = true;
};
TLocateRecord& LocateRecord();

// Sets the record for the life of the object and puts the former one back
// after, whatever happens: a later load never looks in a folder that an
// earlier one set.
class ScopedLocateRecord {
public:
    explicit ScopedLocateRecord(TLocateRecord record) : m_saved(LocateRecord()) { LocateRecord() = std::move(record); }
    ~ScopedLocateRecord() { LocateRecord() = m_saved; }
    ScopedLocateRecord(const ScopedLocateRecord&) = delete;
    ScopedLocateRecord& operator=(const ScopedLocateRecord&) = delete;

private:
    TLocateRecord m_saved;
};

class TMxFile : public TMxItem {
    MX_CLASS(TMxFile)
public:
    explicit TMxFile(TMxItem* owner);

    bool Modified() const { return m_modified; }
    void SetModified(bool value);
    void MarkModified() { SetModified(true); }
    const QString& FileName() const { return m_fileName; }
    void SetFileName(const QString& value);

    void Changed(TMxItem* sender) override;
    void LoadFromFile(const QString& fileName) override;
    void SaveToFile(const QString& fileName) override;

private:
    bool m_modified = false;
    QString m_fileName;
};

} // namespace mx
