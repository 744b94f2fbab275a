#pragma once
// Windows-style INI files: sections and keys found without regard to case,
// values kept verbatim (no list splitting, no escaping; blanks around keys
// and values are trimmed), file order kept, comments and blank lines kept.
// One instance per file, shared by every user of that file, so two writers
// never overwrite each other's keys. Every write goes to disk at once,
// through a temporary file renamed over the old one; before every read and
// write the instance looks whether the file changed on disk (another
// process, or an editor) and reads it again if so. Files are written as
// UTF-8; a file that is not valid UTF-8 is read as Windows-1252.
//
// Writes return false when the file cannot be written (its folder cannot be
// made, the file is read-only, the disk refuses) or when the text would
// break the file's syntax (a line break anywhere, "=" in a key, "]" in a
// section name); the file and the instance are then unchanged and
// lastError() tells why.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <memory>

namespace platform {

class IniFile {
public:
    // The shared instance for this path (made absolute). A missing file is
    // an empty one; it is created on the first write, with its folder.
    static std::shared_ptr<IniFile> open(const QString& path);

    QString fileName() const;

    QString readString(const QString& section, const QString& key, const QString& def = {}) const;
    // Decimal, or hexadecimal written "$1F" or "0x1F"; def when absent or
    // not a number.
    int readInteger(const QString& section, const QString& key, int def) const;
    // An integer other than 0 is true; def when absent or not a number.
    bool readBool(const QString& section, const QString& key, bool def) const;
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInteger(const QString& section, const QString& key, int value);
    bool writeBool(const QString& section, const QString& key, bool value); // "1" / "0"

    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;
    // Section names in file order, each once.
    QStringList sections() const;
    // The keys of a section in file order, each once.
    QStringList keys(const QString& section) const;
    QList<QPair<QString, QString>> sectionValues(const QString& section) const;
    // Removes the section (every section of that name) with its keys.
    // Erasing a section that does not exist succeeds and writes nothing.
    bool eraseSection(const QString& section);
    // Replaces the section's keys by the given ones, in one write: the
    // file holds either the old section or the new one, never a half.
    // An empty list erases the section.
    bool writeSection(const QString& section, const QList<QPair<QString, QString>>& values);
    bool deleteKey(const QString& section, const QString& key);

    // Reads the file again from disk now.
    void reload();

    // Why the last write failed (empty after a successful one).
    QString lastError() const;

    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

private:
    explicit IniFile(const QString& path);
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace platform
