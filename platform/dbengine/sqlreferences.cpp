#include "sqlreferences.h"

#include "tablefile.h"

#include <QRegularExpression>

namespace platform {

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

bool looksLikePath(const QString& s)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:[\\\\/]"));
    return s.contains(QLatin1Char('/')) || s.contains(QLatin1Char('\\')) || drive.match(s).hasMatch();
}

// Classifies the text of a quoted identifier or bare token.
bool classify(const QString& text, SqlTableReference* ref)
{
    static const QRegularExpression alias(QStringLiteral("^:([^:]+):(.+)$"));
    const auto m = alias.match(text);
    if (m.hasMatch()) {
        ref->kind = SqlTableReference::Alias;
        ref->database = m.captured(1);
        ref->name = m.captured(2);
        return true;
    }
    if (looksLikePath(text)) {
        ref->kind = SqlTableReference::Path;
        ref->name = text;
        return true;
    }
    if (isTableFileName(text)) {
        ref->kind = SqlTableReference::FileName;
        ref->name = text;
        return true;
    }
    return false;
}

} // namespace

QList<SqlTableReference> findTableReferences(const QString& sql)
{
    QList<SqlTableReference> refs;
    const qsizetype n = sql.size();
    QString lastWord;   // the last keyword-like word, upper case
    QChar lastPunct;    // the last significant punctuation, when after lastWord
    bool afterWord = false;
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            const qsizetype end = sql.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : end + 2;
            continue;
        }
        if (c == QLatin1Char('\'')) {
            ++i;
            while (i < n) {
                if (sql[i] == QLatin1Char('\'')) {
                    if (i + 1 < n && sql[i + 1] == QLatin1Char('\'')) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            afterWord = false;
            lastWord.clear();
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('[') || c == QLatin1Char('`')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            const qsizetype start = i++;
            QString content;
            while (i < n) {
                if (sql[i] == close) {
                    if (close != QLatin1Char(']') && i + 1 < n && sql[i + 1] == close) {
                        content += close;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                content += sql[i++];
            }
            SqlTableReference ref;
            if (classify(content, &ref)) {
                ref.start = start;
                ref.length = i - start;
                refs.append(ref);
            }
            afterWord = false;
            lastWord.clear();
            continue;
        }
        if (c == QLatin1Char(':')) {
            // :ALIAS:NAME
            static const QRegularExpression bare(QStringLiteral("\\G:([A-Za-z0-9_$\\-]+):([A-Za-z0-9_$.#]+)"));
            const auto m = bare.match(sql, i);
            if (m.hasMatch()) {
                SqlTableReference ref;
                ref.kind = SqlTableReference::Alias;
                ref.database = m.captured(1);
                ref.name = m.captured(2);
                ref.start = i;
                ref.length = m.capturedLength(0);
                refs.append(ref);
                i += m.capturedLength(0);
                afterWord = false;
                lastWord.clear();
                continue;
            }
        }
        const bool tablePosition = (afterWord && (lastWord == QLatin1String("FROM") || lastWord == QLatin1String("JOIN")))
                                   || lastPunct == QLatin1Char(',');
        if (tablePosition && (c == QLatin1Char('/') || c == QLatin1Char('\\')
                              || (c.isLetter() && i + 2 < n && sql[i + 1] == QLatin1Char(':')
                                  && (sql[i + 2] == QLatin1Char('\\') || sql[i + 2] == QLatin1Char('/'))))) {
            const qsizetype start = i;
            while (i < n && !sql[i].isSpace() && sql[i] != QLatin1Char(',') && sql[i] != QLatin1Char('(')
                   && sql[i] != QLatin1Char(')') && sql[i] != QLatin1Char(';') && sql[i] != QLatin1Char('"')
                   && sql[i] != QLatin1Char('\''))
                ++i;
            SqlTableReference ref;
            ref.kind = SqlTableReference::Path;
            ref.name = sql.mid(start, i - start);
            ref.start = start;
            ref.length = i - start;
            refs.append(ref);
            afterWord = false;
            lastWord.clear();
            lastPunct = QChar();
            continue;
        }
        if (isWordChar(c)) {
            const qsizetype start = i;
            while (i < n && (isWordChar(sql[i]) || (sql[i] == QLatin1Char('.') && i + 1 < n && isWordChar(sql[i + 1]))))
                ++i;
            const QString word = sql.mid(start, i - start);
            if (word.contains(QLatin1Char('.')) && isTableFileName(word)) {
                SqlTableReference ref;
                ref.kind = SqlTableReference::FileName;
                ref.name = word;
                ref.start = start;
                ref.length = i - start;
                refs.append(ref);
            }
            lastWord = word.toUpper();
            afterWord = true;
            lastPunct = QChar();
            continue;
        }
        lastPunct = c;
        afterWord = false;
        ++i;
    }
    return refs;
}

bool hasForeignReferences(const QString& sql)
{
    for (const SqlTableReference& r : findTableReferences(sql))
        if (r.kind != SqlTableReference::FileName)
            return true;
    return false;
}

qsizetype createViewTempPosition(const QString& sql)
{
    static const QRegularExpression re(
        QStringLiteral("^(?:\\s|--[^\\n]*\\n|/\\*.*?\\*/)*CREATE\\s+(VIEW)\\b"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(sql);
    return m.hasMatch() ? m.capturedStart(1) : -1;
}

bool isPlainViewName(const QString& name)
{
    if (name.isEmpty() || name.size() > 128)
        return false;
    for (QChar c : name)
        if (!((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
              || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_')))
            return false;
    return true;
}

} // namespace platform
