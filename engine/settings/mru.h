#pragma once
// Recent-file lists. Each list is one section "History_<n>" of the user's
// settings file, keys "0", "1", ... holding full file names, most recent
// first. Lists are loaded when first asked for, changed in memory and
// written when the settings file is replaced or closed (at exit) and when a
// list is freed. File names are compared exactly: two names that differ
// only in case are two files.

#include "engine/core/exceptions.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace platform {
class IniFile;
}

namespace mx {

// The settings file refused a write ("Unable to write to %s").
MX_DECLARE_EXCEPTION(EIniFileException, Exception)

class TMRUs;

// One entry of a recent-file menu.
struct TMRUMenuEntry {
    QString caption;  // "&1. Sales", ..., "&0. ...", "11. ..."
    QString hint;     // the full file name
    QString fileName; // the same
    int index = 0;    // position in the list
};

class TMRU {
public:
    // A list for a section, loaded from the owner's file; joins the owner.
    TMRU(TMRUs* owner, const QString& section);
    // Saves (a failure is reported, never thrown), then leaves the owner.
    ~TMRU();
    TMRU(const TMRU&) = delete;
    TMRU& operator=(const TMRU&) = delete;

    const QString& Section() const { return m_section; }
    TMRUs* Owner() const { return m_owner; }
    int Count() const { return int(m_items.size()); }
    QString operator[](int i) const { return m_items.value(i); }
    const QStringList& Items() const { return m_items; }
    int IndexOf(const QString& fileName) const { return int(m_items.indexOf(fileName)); }

    // Puts FileName at the top (removing its older entry), then Trim. An
    // empty name is not added.
    void Add(const QString& fileName);
    void AddFile(const QString& fileName) { Add(fileName); }
    void Delete(int index);
    void Clear();
    // Drops entries from the bottom beyond the owner's MaxCount, then calls
    // OnChange.
    void Trim();
    // Writes the list into its section, replacing it; raises
    // EIniFileException when the file refuses.
    void Save();

    // The menu entries of the list, most recent first; entries whose name
    // is empty are left out.
    QList<TMRUMenuEntry> MenuEntries() const;
    // "C:/Data/SALES.MQR" gives "Sales".
    static QString EntryName(const QString& fileName);

    // Called after every change (Add, Trim, Save, a new MaxCount).
    std::function<void(TMRU*)> OnChange;
    // The menu the list is shown under, for the user interface's binding
    // (an opaque pointer the engine never touches).
    void* MenuItem = nullptr;

private:
    friend class TMRUs;
    void load();

    TMRUs* m_owner;
    QString m_section;
    QStringList m_items;
};

class TMRUs {
public:
    TMRUs() = default;
    // Frees every list (each saves; failures are reported).
    ~TMRUs();
    TMRUs(const TMRUs&) = delete;
    TMRUs& operator=(const TMRUs&) = delete;

    // A name without a folder is a file of the user's settings folder; an
    // empty name means no file.
    void SetIniFileName(const QString& name);
    // Saves every list into the file open so far (last list first) and
    // closes it, even when a save fails; then keeps File. The first failure
    // is raised after that.
    void SetIniFile(std::shared_ptr<platform::IniFile> file);
    const std::shared_ptr<platform::IniFile>& IniFile() const { return m_file; }

    int MaxCount() const { return m_maxCount; }
    // MaxCount := N (0 when N is negative), then trims every list (last
    // list first).
    void SetMaxCount(int n);

    // The list of a section (ignoring case), created and loaded on first
    // request.
    TMRU* GetMRU(const QString& section);
    int Count() const { return int(m_lists.size()); }
    TMRU* Items(int i) const { return m_lists.at(size_t(i)); }

private:
    friend class TMRU;
    std::shared_ptr<platform::IniFile> m_file;
    int m_maxCount = 5;
    std::vector<TMRU*> m_lists;
};

// The process's lists, created on first use, freed at exit.
TMRUs& MRUs();
// Frees the lists now (each saves); the next MRUs() makes new ones.
void FreeMRUs();

} // namespace mx
