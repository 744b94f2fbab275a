#include "sqlsyntax.h"

#include "exceptions.h"
#include "format.h"

namespace mx {

MX_DEFINE_CLASS(TConcatStringList, TPersistent, nullptr)

QString ShowNul(const QString& text)
{
    QString shown = text;
    shown.replace(QChar(0), QStringLiteral("\\0"));
    return shown;
}

QString QuoteName(const TSQLSyntaxProperties& syntax, const QString& name)
{
    // A statement ends at a NUL for the database: the rest would be lost.
    if (name.contains(QChar(0)))
        throw EMxException(
            Format(QStringLiteral("Le nom %s contient le caractère nul, qu'une requête ne peut pas porter."), {ShowNul(name)}));
    const QString& q = syntax.FieldQuoter;
    if (q.isEmpty())
        return name;
    QString inner = name;
    inner.replace(q, q + q);
    return q + inner + q;
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

void TConcatStringList::Assign(const TPersistent* source)
{
    if (source == this)
        return;
    if (auto* s = dynamic_cast<const TConcatStringList*>(source)) {
        m_lines = s->m_lines;
        return;
    }
    TPersistent::Assign(source);
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
