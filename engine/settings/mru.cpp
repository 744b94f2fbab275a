#include "mru.h"

#include "engine/core/exitprocs.h"
#include "engine/core/userservice.h"
#include "engine/tools/installation.h"

#include "platform/core/inifile.h"

#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

#include <algorithm>
#include <map>

namespace mx {
namespace {

struct Holder {
    QMutex mutex;
    std::unique_ptr<TMRUs> mrus;
    bool exitSet = false;
};

Holder& holder()
{
    static Holder* h = new Holder;
    return *h;
}

void reportFailure(const std::exception& e)
{
    try {
        UserService().Warning(ExceptionMessage(e));
    } catch (...) {
    }
}

} // namespace

TMRU::TMRU(TMRUs* owner, const QString& section) : m_owner(owner), m_section(section)
{
    load();
    if (m_owner)
        m_owner->m_lists.push_back(this);
}

TMRU::~TMRU()
{
    try {
        Save();
    } catch (const std::exception& e) {
        reportFailure(e);
    } catch (...) {
    }
    if (m_owner)
        std::erase(m_owner->m_lists, this);
}

void TMRU::load()
{
    m_items.clear();
    if (!m_owner || !m_owner->m_file)
        return;
    // Keys in numeric order; keys that are not numbers and empty values are
    // skipped, so a gap loses nothing after it.
    std::map<long long, QString> byKey;
    for (const auto& kv : m_owner->m_file->sectionValues(m_section)) {
        bool ok = false;
        const long long k = kv.first.toLongLong(&ok);
        if (ok && k >= 0 && !kv.second.isEmpty() && !byKey.count(k))
            byKey[k] = kv.second;
    }
    for (auto it = byKey.rbegin(); it != byKey.rend(); ++it) {
        const QString& name = it->second;
        m_items.removeAll(name);
        m_items.prepend(name);
    }
    const int max = m_owner->m_maxCount;
    while (m_items.size() > max)
        m_items.removeLast();
}

void TMRU::Add(const QString& fileName)
{
    const QString name = fileName.trimmed();
    if (name.isEmpty())
        return;
    m_items.removeAll(name);
    m_items.prepend(name);
    Trim();
}

void TMRU::Delete(int index)
{
    if (index < 0 || index >= Count())
        RaiseListIndexError(index);
    m_items.removeAt(index);
    if (OnChange)
        OnChange(this);
}

void TMRU::Clear()
{
    m_items.clear();
    if (OnChange)
        OnChange(this);
}

void TMRU::Trim()
{
    const int max = m_owner ? m_owner->m_maxCount : 5;
    while (m_items.size() > max)
        m_items.removeLast();
    if (OnChange)
        OnChange(this);
}

void TMRU::Save()
{
    if (!m_owner || !m_owner->m_file)
        return;
    Trim();
    QList<QPair<QString, QString>> values;
    for (int i = 0; i < Count(); ++i)
        values.append({QString::number(i), m_items[i]});
    platform::IniFile& f = *m_owner->m_file;
    if (!f.writeSection(m_section, values))
        throw EIniFileException(QStringLiteral("Unable to write to %1").arg(f.fileName()));
}

QString TMRU::EntryName(const QString& fileName)
{
    // Names written for another system keep their folders in backslashes.
    QString base = fileName;
    const qsizetype slash = std::max(base.lastIndexOf(u'/'), base.lastIndexOf(u'\\'));
    base = base.mid(slash + 1);
    const qsizetype dot = base.lastIndexOf(u'.');
    if (dot >= 0)
        base.truncate(dot);
    base = base.toLower();
    if (!base.isEmpty() && base[0] >= u'a' && base[0] <= u'z')
        base[0] = base[0].toUpper();
    return base;
}

QList<TMRUMenuEntry> TMRU::MenuEntries() const
{
    QList<TMRUMenuEntry> out;
    for (int i = 0; i < Count(); ++i) {
        const QString name = EntryName(m_items[i]);
        if (name.isEmpty())
            continue;
        QString number;
        if (i < 9)
            number = QStringLiteral("&%1").arg(i + 1);
        else if (i == 9)
            number = QStringLiteral("&0");
        else
            number = QString::number(i + 1);
        QString shown = name;
        shown.replace(u'&', QStringLiteral("&&"));
        out.append({number + QStringLiteral(". ") + shown, m_items[i], m_items[i], i});
    }
    return out;
}

TMRUs::~TMRUs()
{
    while (!m_lists.empty())
        delete m_lists.back(); // saves and leaves the list
}

void TMRUs::SetIniFileName(const QString& name)
{
    if (name.isEmpty()) {
        SetIniFile(nullptr);
        return;
    }
    QString path = name;
    if (!name.contains(u'/'))
        path = GetWindowsDir() + name;
    SetIniFile(platform::IniFile::open(path));
}

void TMRUs::SetIniFile(std::shared_ptr<platform::IniFile> file)
{
    std::exception_ptr first;
    if (m_file) {
        for (auto it = m_lists.rbegin(); it != m_lists.rend(); ++it) {
            try {
                (*it)->Save();
            } catch (...) {
                if (!first)
                    first = std::current_exception();
            }
        }
        m_file.reset();
    }
    m_file = std::move(file);
    if (first)
        std::rethrow_exception(first);
}

void TMRUs::SetMaxCount(int n)
{
    m_maxCount = n < 0 ? 0 : n;
    for (auto it = m_lists.rbegin(); it != m_lists.rend(); ++it)
        (*it)->Trim();
}

TMRU* TMRUs::GetMRU(const QString& section)
{
    for (TMRU* l : m_lists)
        if (l->Section().compare(section, Qt::CaseInsensitive) == 0)
            return l;
    return new TMRU(this, section);
}

TMRUs& MRUs()
{
    Holder& h = holder();
    QMutexLocker lock(&h.mutex);
    if (!h.mrus) {
        h.mrus = std::make_unique<TMRUs>();
        if (!h.exitSet) {
            h.exitSet = true;
            AddExitProc(erRecentFiles, QStringLiteral("MRUs"), [] {
                {
                    Holder& hh = holder();
                    QMutexLocker l(&hh.mutex);
                    hh.exitSet = false;
                }
                FreeMRUs();
            });
        }
    }
    return *h.mrus;
}

void FreeMRUs()
{
    std::unique_ptr<TMRUs> gone;
    {
        Holder& h = holder();
        QMutexLocker lock(&h.mutex);
        gone = std::move(h.mrus);
    }
    gone.reset();
}

} // namespace mx
