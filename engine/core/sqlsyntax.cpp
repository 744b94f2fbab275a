#include "sqlsyntax.h"

#include "exceptions.h"

namespace mx {

QString QuoteName(const TSQLSyntaxProperties& syntax, const QString& name)
{
    return syntax.FieldQuoter + name + syntax.FieldQuoter;
}

QString QuoteTableName(const TSQLSyntaxProperties& syntax, const QString& name)
{
    return HasCap(syntax.Capabilities, scQuoteTableName) ? QuoteName(syntax, name) : name;
}

void TConcatStringList::AppendText(const QString& text)
{
    if (m_lines.isEmpty()) {
        m_lines << text;
        return;
    }
    QString& last = m_lines.last();
    if (last.size() + text.size() <= kMaxLine)
        last += text;
    else
        m_lines << text;
}

void TConcatStringList::InsertText(int index, const QString& text)
{
    if (m_lines.isEmpty()) {
        m_lines << text;
        return;
    }
    if (index < 0 || index > m_lines.size())
        RaiseListIndexError(index);
    if (index < m_lines.size() && text.size() + m_lines[index].size() <= kMaxLine)
        m_lines[index].prepend(text);
    else
        m_lines.insert(index, text);
}

QString TConcatStringList::Text() const
{
    QString t;
    for (const QString& l : m_lines) {
        t += l;
        t += QLatin1String("\r\n");
    }
    return t;
}

} // namespace mx
