#include "strings.h"

#include "exceptions.h"

namespace mx {

MX_DEFINE_CLASS(TStrings, TPersistent, nullptr)

TStrings::TStrings(std::initializer_list<QString> lines)
{
    for (const QString& l : lines)
        Add(l);
}

const QString& TStrings::operator[](int i) const
{
    if (i < 0 || i >= Count())
        RaiseListIndexError(i);
    return m_lines[size_t(i)].text;
}

void TStrings::SetStrings(int i, const QString& s)
{
    if (i < 0 || i >= Count())
        RaiseListIndexError(i);
    m_lines[size_t(i)].text = s;
    Changed();
}

void* TStrings::Objects(int i) const
{
    if (i < 0 || i >= Count())
        RaiseListIndexError(i);
    return m_lines[size_t(i)].object;
}

void TStrings::SetObjects(int i, void* o)
{
    if (i < 0 || i >= Count())
        RaiseListIndexError(i);
    m_lines[size_t(i)].object = o;
}

int TStrings::AddObject(const QString& s, void* o)
{
    m_lines.push_back({s, o});
    Changed();
    return Count() - 1;
}

void TStrings::Insert(int index, const QString& s)
{
    if (index < 0 || index > Count())
        RaiseListIndexError(index);
    m_lines.insert(m_lines.begin() + index, Line{s, nullptr});
    Changed();
}

void TStrings::Delete(int index)
{
    if (index < 0 || index >= Count())
        RaiseListIndexError(index);
    m_lines.erase(m_lines.begin() + index);
    Changed();
}

void TStrings::Clear()
{
    m_lines.clear();
    Changed();
}

int TStrings::IndexOf(const QString& s, Qt::CaseSensitivity cs) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_lines[size_t(i)].text.compare(s, cs) == 0)
            return i;
    return -1;
}

int TStrings::IndexOfObject(const void* o) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_lines[size_t(i)].object == o)
            return i;
    return -1;
}

QStringList TStrings::toStringList() const
{
    QStringList l;
    l.reserve(Count());
    for (const Line& line : m_lines)
        l << line.text;
    return l;
}

void TStrings::setStringList(const QStringList& l)
{
    m_lines.clear();
    for (const QString& s : l)
        m_lines.push_back({s, nullptr});
    Changed();
}

QString TStrings::Text() const
{
    QString t;
    for (const Line& line : m_lines) {
        t += line.text;
        t += QLatin1String("\r\n");
    }
    return t;
}

void TStrings::SetText(const QString& text)
{
    m_lines.clear();
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype i = start;
        while (i < n && text[i] != u'\r' && text[i] != u'\n')
            ++i;
        m_lines.push_back({text.mid(start, i - start), nullptr});
        if (i < n && text[i] == u'\r')
            ++i;
        if (i < n && text[i] == u'\n')
            ++i;
        start = i;
    }
    Changed();
}

QString TStrings::Names(int i) const
{
    const QString& s = (*this)[i];
    const qsizetype eq = s.indexOf(u'=');
    return eq < 0 ? QString() : s.left(eq);
}

QString TStrings::Values(const QString& name) const
{
    for (const Line& line : m_lines) {
        const qsizetype eq = line.text.indexOf(u'=');
        if (eq >= 0 && line.text.left(eq).compare(name, Qt::CaseInsensitive) == 0)
            return line.text.mid(eq + 1);
    }
    return {};
}

void TStrings::SetValues(const QString& name, const QString& value)
{
    for (int i = 0; i < Count(); ++i) {
        const QString& t = m_lines[size_t(i)].text;
        const qsizetype eq = t.indexOf(u'=');
        if (eq >= 0 && t.left(eq).compare(name, Qt::CaseInsensitive) == 0) {
            if (value.isEmpty())
                Delete(i);
            else
                SetStrings(i, name + u'=' + value);
            return;
        }
    }
    if (!value.isEmpty())
        Add(name + u'=' + value);
}

void TStrings::Assign(const TPersistent* source)
{
    if (source == this)
        return;
    if (auto* s = dynamic_cast<const TStrings*>(source)) {
        m_lines = s->m_lines;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

bool TStrings::operator==(const TStrings& o) const
{
    if (Count() != o.Count())
        return false;
    for (int i = 0; i < Count(); ++i)
        if (m_lines[size_t(i)].text != o.m_lines[size_t(i)].text)
            return false;
    return true;
}


} // namespace mx
