#pragma once
// A string list with an object attached to each line, as the class
// library's. Persistent: streamed as a "Strings" list of lines.

#include "persistent.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace mx {

class TStrings : public TPersistent {
    MX_CLASS(TStrings)
public:
    TStrings() = default;
    TStrings(std::initializer_list<QString> lines);

    int Count() const { return int(m_lines.size()); }
    const QString& operator[](int i) const;
    QString Strings(int i) const { return (*this)[i]; }
    void SetStrings(int i, const QString& s);
    void* Objects(int i) const;
    void SetObjects(int i, void* o);
    int Add(const QString& s) { return AddObject(s, nullptr); }
    int AddObject(const QString& s, void* o);
    void Insert(int index, const QString& s);
    void Delete(int index);
    void Clear();
    int IndexOf(const QString& s, Qt::CaseSensitivity cs = Qt::CaseInsensitive) const;
    int IndexOfObject(const void* o) const;
    void BeginUpdate() { ++m_updateCount; }
    void EndUpdate()
    {
        if (m_updateCount > 0)
            --m_updateCount;
    }
    bool IsUpdating() const { return m_updateCount > 0; }

    QStringList toStringList() const;
    void setStringList(const QStringList& l);
    // Lines joined by "\r\n"-free newlines, as Text.
    QString Text() const;
    void SetText(const QString& text);
    // NAME=VALUE access
    QString Values(const QString& name) const;
    void SetValues(const QString& name, const QString& value);
    QString Names(int i) const;

    void Assign(const TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;
    bool operator==(const TStrings& o) const;

protected:
    virtual void Changed() {}

private:
    struct Line {
        QString text;
        void* object = nullptr;
    };
    std::vector<Line> m_lines;
    int m_updateCount = 0;
};

using TStringList = TStrings;

} // namespace mx
