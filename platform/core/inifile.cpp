#include "inifile.h"
#include "numbers.h"

#include "cp1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <QSaveFile>
#include <QStringDecoder>

#include <map>
#include <optional>
#include <vector>

#include <sys/stat.h>

namespace platform {
namespace {

struct Line {
    bool entry = false; // key=value, else a comment, a blank or a stray line
    QString key;
    QString value;
    QString raw; // the line as read; empty for lines this program wrote
};

struct Section {
    QString name;
    QString raw; // the header as read
    std::vector<Line> lines;
};

struct Content {
    std::vector<QString> preamble; // lines before the first section
    std::vector<Section> sections;
};

// What identifies one version of the file on disk. A rename over the file
// gives it a new inode, so our own atomic writes and most editors' are seen.
struct Stamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    qint64 mtimeNs = 0;
    bool operator==(const Stamp&) const = default;
};

Stamp stampOf(const QString& path)
{
    Stamp s;
    struct stat st;
    const QByteArray p = QFile::encodeName(path);
    if (::stat(p.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return s;
    s.exists = true;
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.size = st.st_size;
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

QString decodeText(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = cp1252::decode(bytes);
    return text;
}

Content parse(const QString& text)
{
    Content c;
    Section* current = nullptr;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString raw = lines[i];
        if (raw.endsWith(u'\r'))
            raw.chop(1);
        if (i == lines.size() - 1 && raw.isEmpty())
            break; // the final line break
        const QString t = raw.trimmed();
        if (t.startsWith(u'[')) {
            const qsizetype close = t.indexOf(u']');
            if (close > 0) {
                Section s;
                s.name = t.mid(1, close - 1).trimmed();
                s.raw = raw;
                c.sections.push_back(std::move(s));
                current = &c.sections.back();
                continue;
            }
        }
        Line l;
        l.raw = raw;
        const qsizetype eq = t.indexOf(u'=');
        if (current && eq > 0 && !t.startsWith(u';')) {
            l.entry = true;
            l.key = t.left(eq).trimmed();
            l.value = t.mid(eq + 1).trimmed();
            if (l.key.isEmpty())
                l.entry = false;
        }
        if (current)
            current->lines.push_back(std::move(l));
        else
            c.preamble.push_back(raw);
    }
    return c;
}

QString render(const Content& c)
{
    QString out;
    for (const QString& l : c.preamble)
        out += l + u'\n';
    for (const Section& s : c.sections) {
        out += (s.raw.isEmpty() ? u'[' + s.name + u']' : s.raw) + u'\n';
        for (const Line& l : s.lines)
            out += (l.raw.isEmpty() && l.entry ? l.key + u'=' + l.value : l.raw) + u'\n';
    }
    return out;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// True the first time a name (without regard to case) is met: the names
// seen are kept folded, so a list of n names is walked once, not n times.
bool firstOfItsName(QSet<QString>* seen, const QString& name)
{
    const QString folded = name.toCaseFolded();
    if (seen->contains(folded))
        return false;
    seen->insert(folded);
    return true;
}

const Section* findSection(const Content& c, const QString& name)
{
    for (const Section& s : c.sections)
        if (sameName(s.name, name))
            return &s;
    return nullptr;
}

Section* findSection(Content& c, const QString& name)
{
    return const_cast<Section*>(findSection(std::as_const(c), name));
}

const Line* findEntry(const Section& s, const QString& key)
{
    for (const Line& l : s.lines)
        if (l.entry && sameName(l.key, key))
            return &l;
    return nullptr;
}

// A new section is set apart from what comes before it by a blank line.
void separateNewSection(Content& c)
{
    if (c.sections.empty()) {
        if (!c.preamble.empty() && !c.preamble.back().trimmed().isEmpty())
            c.preamble.push_back(QString());
        return;
    }
    std::vector<Line>& lines = c.sections.back().lines;
    if (lines.empty() || lines.back().entry || !lines.back().raw.trimmed().isEmpty())
        lines.push_back(Line());
}

bool hasLineBreak(const QString& s)
{
    return s.contains(u'\n') || s.contains(u'\r');
}


struct Registry {
    QMutex mutex;
    std::map<QString, std::weak_ptr<IniFile>> files;
};

// Never destroyed: INI files are still written by exit procedures that may
// run after static destruction has begun.
Registry& registry()
{
    static Registry* r = new Registry;
    return *r;
}

QString normalisedPath(const QString& path)
{
    QFileInfo fi(path);
    QString abs = QDir::cleanPath(fi.absoluteFilePath());
    const QString canon = fi.canonicalFilePath();
    if (!canon.isEmpty())
        return canon;
    // The file does not exist yet: resolve its folder when that exists.
    const QString dirCanon = QFileInfo(fi.absolutePath()).canonicalFilePath();
    if (!dirCanon.isEmpty())
        return dirCanon + u'/' + fi.fileName();
    return abs;
}

} // namespace

struct IniFile::Impl {
    QString path;
    mutable QMutex mutex;
    mutable Content content;
    mutable Stamp stamp;
    mutable bool loaded = false;
    QString error;

    void load() const
    {
        stamp = stampOf(path);
        content = Content();
        loaded = true;
        if (!stamp.exists)
            return;
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return;
        content = parse(decodeText(f.readAll()));
    }

    // The caller holds the mutex.
    const Content& current() const
    {
        if (!loaded || stampOf(path) != stamp)
            load();
        return content;
    }

    // Writes next to disk and makes it current, or leaves everything as it
    // was and says why.
    bool commit(Content next)
    {
        error.clear();
        const QFileInfo fi(path);
        if (fi.exists()) {
            if (!fi.isFile()) {
                error = QStringLiteral("%1 is not a file").arg(path);
                return false;
            }
            // The file's own read-only mark, also for the superuser.
            const auto writeBits = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
            if (!(QFile::permissions(path) & writeBits)) {
                error = QStringLiteral("%1 is read-only").arg(path);
                return false;
            }
        } else if (!QDir().mkpath(fi.absolutePath())) {
            error = QStringLiteral("cannot create the folder %1").arg(fi.absolutePath());
            return false;
        }
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly)) {
            error = out.errorString();
            return false;
        }
        const QByteArray bytes = render(next).toUtf8();
        if (out.write(bytes) != bytes.size() || !out.commit()) {
            error = out.errorString();
            out.cancelWriting();
            return false;
        }
        content = std::move(next);
        stamp = stampOf(path);
        loaded = true;
        return true;
    }

    bool invalid(const QString& why)
    {
        error = QStringLiteral("cannot write to %1: %2").arg(path, why);
        return false;
    }

    bool checkSection(const QString& section)
    {
        if (hasLineBreak(section) || section.contains(u']') || section.trimmed() != section)
            return invalid(QStringLiteral("bad section name \"%1\"").arg(section));
        return true;
    }

    bool checkKey(const QString& key)
    {
        const QString t = key.trimmed();
        if (t.isEmpty() || hasLineBreak(key) || key.contains(u'=') || t.startsWith(u'[') || t.startsWith(u';'))
            return invalid(QStringLiteral("bad key name \"%1\"").arg(key));
        return true;
    }
};

std::shared_ptr<IniFile> IniFile::open(const QString& path)
{
    const QString key = normalisedPath(path);
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    auto it = r.files.find(key);
    if (it != r.files.end()) {
        if (auto existing = it->second.lock())
            return existing;
    }
    std::shared_ptr<IniFile> f(new IniFile(key));
    r.files[key] = f;
    // Drop the entries of files no longer open.
    for (auto i = r.files.begin(); i != r.files.end();) {
        if (i->second.expired())
            i = r.files.erase(i);
        else
            ++i;
    }
    return f;
}

IniFile::IniFile(const QString& path) : d(std::make_unique<Impl>())
{
    d->path = path;
}

IniFile::~IniFile() = default;

QString IniFile::fileName() const
{
    return d->path;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const
{
    QMutexLocker lock(&d->mutex);
    const Section* s = findSection(d->current(), section);
    if (!s)
        return def;
    const Line* l = findEntry(*s, key);
    return l ? l->value : def;
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const
{
    if (!valueExists(section, key))
        return def;
    return parseInteger(readString(section, key)).value_or(def);
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    QMutexLocker lock(&d->mutex);
    if (!d->checkSection(section) || !d->checkKey(key))
        return false;
    if (hasLineBreak(value))
        return d->invalid(QStringLiteral("a value holds a line break"));
    Content next = d->current();
    const QString k = key.trimmed();
    const QString v = value.trimmed();
    Section* s = findSection(next, section);
    if (!s) {
        separateNewSection(next);
        Section ns;
        ns.name = section;
        next.sections.push_back(std::move(ns));
        s = &next.sections.back();
    }
    for (Line& l : s->lines) {
        if (l.entry && sameName(l.key, k)) {
            if (l.value == v)
                return true;
            l.value = v;
            l.raw.clear();
            return d->commit(std::move(next));
        }
    }
    // After the section's last entry, before trailing blank lines.
    qsizetype pos = qsizetype(s->lines.size());
    while (pos > 0 && !s->lines[pos - 1].entry && s->lines[pos - 1].raw.trimmed().isEmpty())
        --pos;
    Line nl;
    nl.entry = true;
    nl.key = k;
    nl.value = v;
    s->lines.insert(s->lines.begin() + pos, std::move(nl));
    return d->commit(std::move(next));
}

bool IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool IniFile::sectionExists(const QString& section) const
{
    QMutexLocker lock(&d->mutex);
    return findSection(d->current(), section) != nullptr;
}

bool IniFile::valueExists(const QString& section, const QString& key) const
{
    QMutexLocker lock(&d->mutex);
    const Section* s = findSection(d->current(), section);
    return s && findEntry(*s, key);
}

QStringList IniFile::sections() const
{
    QMutexLocker lock(&d->mutex);
    QStringList out;
    QSet<QString> seen;
    for (const Section& s : d->current().sections)
        if (firstOfItsName(&seen, s.name))
            out << s.name;
    return out;
}

QStringList IniFile::keys(const QString& section) const
{
    QStringList out;
    for (const auto& kv : sectionValues(section))
        out << kv.first;
    return out;
}

QList<QPair<QString, QString>> IniFile::sectionValues(const QString& section) const
{
    QMutexLocker lock(&d->mutex);
    QList<QPair<QString, QString>> out;
    const Section* s = findSection(d->current(), section);
    if (!s)
        return out;
    QSet<QString> seen;
    for (const Line& l : s->lines)
        if (l.entry && firstOfItsName(&seen, l.key))
            out.append({l.key, l.value});
    return out;
}

bool IniFile::eraseSection(const QString& section)
{
    QMutexLocker lock(&d->mutex);
    d->error.clear();
    Content next = d->current();
    const auto before = next.sections.size();
    std::erase_if(next.sections, [&](const Section& s) { return sameName(s.name, section); });
    if (next.sections.size() == before)
        return true;
    return d->commit(std::move(next));
}

bool IniFile::writeSection(const QString& section, const QList<QPair<QString, QString>>& values)
{
    QMutexLocker lock(&d->mutex);
    if (!d->checkSection(section))
        return false;
    for (const auto& kv : values) {
        if (!d->checkKey(kv.first))
            return false;
        if (hasLineBreak(kv.second))
            return d->invalid(QStringLiteral("a value holds a line break"));
    }
    Content next = d->current();
    // The new keys take the place of the first section of that name.
    qsizetype at = -1;
    for (qsizetype i = 0; i < qsizetype(next.sections.size()); ++i) {
        if (sameName(next.sections[size_t(i)].name, section)) {
            at = i;
            break;
        }
    }
    Section ns;
    ns.name = section;
    for (const auto& kv : values) {
        Line l;
        l.entry = true;
        l.key = kv.first.trimmed();
        l.value = kv.second.trimmed();
        ns.lines.push_back(std::move(l));
    }
    if (at >= 0) {
        Section& old = next.sections[size_t(at)];
        ns.name = old.name;
        ns.raw = old.raw;
        // keep the blank line that set the old section apart from the next
        if (!old.lines.empty() && !old.lines.back().entry && old.lines.back().raw.trimmed().isEmpty())
            ns.lines.push_back(Line());
        const bool empty = values.isEmpty();
        next.sections[size_t(at)] = std::move(ns);
        for (qsizetype i = qsizetype(next.sections.size()) - 1; i > at; --i)
            if (sameName(next.sections[size_t(i)].name, section))
                next.sections.erase(next.sections.begin() + i);
        if (empty)
            next.sections.erase(next.sections.begin() + at);
    } else {
        if (values.isEmpty())
            return true;
        separateNewSection(next);
        next.sections.push_back(std::move(ns));
    }
    return d->commit(std::move(next));
}

bool IniFile::deleteKey(const QString& section, const QString& key)
{
    QMutexLocker lock(&d->mutex);
    d->error.clear();
    Content next = d->current();
    Section* s = findSection(next, section);
    if (!s)
        return true;
    const auto before = s->lines.size();
    std::erase_if(s->lines, [&](const Line& l) { return l.entry && sameName(l.key, key); });
    if (s->lines.size() == before)
        return true;
    return d->commit(std::move(next));
}

void IniFile::reload()
{
    QMutexLocker lock(&d->mutex);
    d->load();
}

QString IniFile::lastError() const
{
    QMutexLocker lock(&d->mutex);
    return d->error;
}

} // namespace platform
