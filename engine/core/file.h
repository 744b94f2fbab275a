#pragma once
// TMxFile: an item stored in a file of its own.

#include "item.h"

namespace mx {

class TMxFile;

// Asked for a file that does not exist; may change the name and returns
// true to try again. Filled by the user interface's relocate dialog.
extern THookSlot<bool(TMxFile* file, QString& fileName)> LocateFileHook;

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
