#pragma once
// The SQL dialect of one database driver as SQL generation receives it,
// and the SQL text list.

#include "persistent.h"
#include "types.h"

#include <QString>
#include <QStringList>

namespace mx {

struct TSQLSyntaxProperties {
    QString ConstantQuoter;
    QString FieldQuoter;
    QString ConcatOperator; // at most 5 characters
    QString SQLDateEditor;
    QString SQLDateFormater;
    TSetSQLCapabilities Capabilities = 0;
    QString LimitRowsSyntax;
    qint32 LimitRowCount = 0;
};

// FieldQuoter + Name + FieldQuoter, always; a quoter inside the name is
// doubled, so that the name stays one identifier. A name holding the NUL
// character raises EMxException: a statement cannot carry it.
QString QuoteName(const TSQLSyntaxProperties& syntax, const QString& name);
// The same, only when the dialect quotes table names.
QString QuoteTableName(const TSQLSyntaxProperties& syntax, const QString& name);
// text with each NUL character shown as "\0", for messages.
QString ShowNul(const QString& text);

// A string list that holds SQL text: a piece joins the current line while
// the line stays at most 255 characters long; a longer piece stays whole.
// Persistent: stored like a string list, as a "Strings" list of lines.
class TConcatStringList : public TPersistent {
    MX_CLASS(TConcatStringList)
public:
    static constexpr int kMaxLine = 255;
    void AppendText(const QString& text);
    void InsertText(int index, const QString& text);

    int Count() const { return int(m_lines.size()); }
    const QString& operator[](int i) const { return m_lines[i]; }
    const QStringList& Lines() const { return m_lines; }
    QStringList& Lines() { return m_lines; }
    void Add(const QString& line) { m_lines << line; }
    void Clear() { m_lines.clear(); }
    // The text: lines in order, each followed by a line break.
    QString Text() const;

    void Assign(const TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;
    bool operator==(const TConcatStringList& o) const { return m_lines == o.m_lines; }

private:
    QStringList m_lines;
};

} // namespace mx
