#include "definitionfile.h"

#include "engine/core/classinfo.h"
#include "engine/core/list.h"

#include <QVariant>

#include <stdexcept>

namespace mkdefs {
namespace {

using namespace mx;

struct ParseError : std::runtime_error {
    explicit ParseError(const QString& m) : std::runtime_error(m.toStdString()) {}
};

[[noreturn]] void fail(const QString& message)
{
    throw ParseError(message);
}

// Cells separated by "|", blanks around them dropped; a cell in double
// quotes is taken as it stands, "" giving one quote.
QStringList splitCells(const QString& line)
{
    QStringList cells;
    QString cell;
    bool quoted = false;
    bool wasQuoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < line.size() && line[i + 1] == u'"') {
                    cell += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                cell += c;
            }
        } else if (c == u'"' && cell.trimmed().isEmpty()) {
            quoted = true;
            wasQuoted = true;
            cell.clear();
        } else if (c == u'|') {
            cells << (wasQuoted ? cell : cell.trimmed());
            cell.clear();
            wasQuoted = false;
        } else if (wasQuoted) {
            if (!c.isSpace())
                fail(QStringLiteral("text after a quoted cell"));
        } else {
            cell += c;
        }
    }
    if (quoted)
        fail(QStringLiteral("unterminated quote"));
    cells << (wasQuoted ? cell : cell.trimmed());
    return cells;
}

void setProperty(TMxItem* item, const QString& name, const QString& text)
{
    if (name == QLatin1String("Name")) {
        item->SetName(text);
        return;
    }
    const PropInfo* p = nullptr;
    for (const PropInfo* candidate : item->classInfo()->props())
        if (candidate->name == name)
            p = candidate;
    if (!p)
        fail(QStringLiteral("%1 has no property %2").arg(item->className(), name));
    if (!p->hasSetter())
        fail(QStringLiteral("%1.%2 cannot be set").arg(item->className(), name));
    if (text.isEmpty() && p->kind != PropKind::String)
        return; // the default
    switch (p->kind) {
    case PropKind::Integer: {
        bool ok = false;
        const qint64 v = text.toLongLong(&ok);
        if (!ok)
            fail(QStringLiteral("%1 is not an integer").arg(text));
        p->set(item, QVariant::fromValue(v));
        return;
    }
    case PropKind::Char:
        if (text.size() != 1)
            fail(QStringLiteral("%1 is not one character").arg(text));
        p->set(item, QVariant::fromValue(qint64(text[0].unicode())));
        return;
    case PropKind::Enum: {
        const int v = p->enumInfo->ordinalOf(text, Qt::CaseSensitive);
        if (v < 0)
            fail(QStringLiteral("%1 is not a value of %2").arg(text, p->enumInfo->typeName));
        p->set(item, QVariant::fromValue(qint64(v)));
        return;
    }
    case PropKind::Set: {
        if (!text.startsWith(u'[') || !text.endsWith(u']'))
            fail(QStringLiteral("%1 is not a set: write [a, b]").arg(text));
        quint32 bits = 0;
        const QString inner = text.mid(1, text.size() - 2).trimmed();
        if (!inner.isEmpty()) {
            for (const QString& part : inner.split(u',')) {
                const int v = p->enumInfo->ordinalOf(part.trimmed(), Qt::CaseSensitive);
                if (v < 0 || v > 31)
                    fail(QStringLiteral("%1 is not a value of %2").arg(part.trimmed(), p->enumInfo->typeName));
                bits |= 1u << v;
            }
        }
        p->set(item, QVariant::fromValue(bits));
        return;
    }
    case PropKind::Float: {
        bool ok = false;
        const double v = text.toDouble(&ok);
        if (!ok)
            fail(QStringLiteral("%1 is not a number").arg(text));
        p->set(item, QVariant::fromValue(v));
        return;
    }
    case PropKind::String:
        p->set(item, QVariant::fromValue(text));
        return;
    case PropKind::Object:
    case PropKind::Event:
        break;
    }
    fail(QStringLiteral("%1.%2 cannot be written in a definition text").arg(item->className(), name));
}

TMxList* childList(TMxItem* item, const QString& name)
{
    for (const PropInfo* p : item->classInfo()->props())
        if (p->name == name && p->kind == PropKind::Object && p->getObject)
            if (auto* list = dynamic_cast<TMxList*>(p->getObject(item)))
                return list;
    fail(QStringLiteral("%1 has no list %2").arg(item->className(), name));
}

} // namespace

ParsedFile::ParsedFile(ParsedFile&& other) noexcept
    : sourceName(std::move(other.sourceName)), targetName(std::move(other.targetName)),
      list(std::exchange(other.list, nullptr))
{
}

ParsedFile::~ParsedFile()
{
    TMxItem::Free(list);
}

ParsedFile ParseDefinitionText(const QString& sourceName, const QString& text, QStringList& errors)
{
    ParsedFile result;
    result.sourceName = sourceName;
    result.targetName = sourceName.endsWith(QLatin1String(".txt")) ? sourceName.chopped(4) : sourceName;
    QStringList columns;
    QStringList childColumns; // first: the list property
    TMxItem* lastItem = nullptr;
    TMxItem* blockItem = nullptr;
    const QStringList lines = text.split(u'\n');
    int lineNumber = 0;
    try {
        for (QString line : lines) {
            ++lineNumber;
            if (line.endsWith(u'\r'))
                line.chop(1);
            const QString trimmed = line.trimmed();
            if (trimmed.isEmpty() || trimmed.startsWith(u'#')) {
                blockItem = nullptr;
                continue;
            }
            const bool indented = line.front().isSpace();
            if (blockItem && indented) {
                const qsizetype eq = trimmed.indexOf(u'=');
                if (eq < 0)
                    fail(QStringLiteral("expected Property = value"));
                setProperty(blockItem, trimmed.left(eq).trimmed(), trimmed.mid(eq + 1).trimmed());
                continue;
            }
            blockItem = nullptr;
            const QString word = trimmed.section(u' ', 0, 0);
            const QString rest = trimmed.section(u' ', 1).trimmed();
            if (!result.list) {
                if (word != QLatin1String("list"))
                    fail(QStringLiteral("the text must begin with: list <class name>"));
                const ClassInfo* c = ClassRegistry::find(rest);
                if (!c || !c->factory)
                    fail(QStringLiteral("unknown class %1").arg(rest));
                TMxItem* made = c->factory(nullptr);
                result.list = dynamic_cast<TMxList*>(made);
                if (!result.list) {
                    TMxItem::Free(made);
                    fail(QStringLiteral("%1 is not a list").arg(rest));
                }
                continue;
            }
            if (word == QLatin1String("columns")) {
                columns = splitCells(rest);
                continue;
            }
            if (word == QLatin1String("children")) {
                childColumns = splitCells(rest);
                if (childColumns.size() < 2)
                    fail(QStringLiteral("children <list property> | <property> ..."));
                continue;
            }
            if (word == QLatin1String("item")) {
                blockItem = result.list->AddNew();
                blockItem->SetName(rest);
                lastItem = blockItem;
                continue;
            }
            if (indented && trimmed.startsWith(u'>')) {
                if (!lastItem || childColumns.isEmpty())
                    fail(QStringLiteral("a child row needs an item before it and a children line"));
                const QStringList cells = splitCells(trimmed.mid(1));
                if (cells.size() != childColumns.size() - 1)
                    fail(QStringLiteral("%1 cells where the children line names %2").arg(cells.size()).arg(childColumns.size() - 1));
                TMxItem* child = childList(lastItem, childColumns[0])->AddNew();
                for (int i = 0; i < cells.size(); ++i)
                    setProperty(child, childColumns[i + 1], cells[i]);
                continue;
            }
            if (columns.isEmpty())
                fail(QStringLiteral("a row needs a columns line before it"));
            const QStringList cells = splitCells(trimmed);
            if (cells.size() != columns.size())
                fail(QStringLiteral("%1 cells where the columns line names %2").arg(cells.size()).arg(columns.size()));
            lastItem = result.list->AddNew();
            for (int i = 0; i < cells.size(); ++i)
                setProperty(lastItem, columns[i], cells[i]);
        }
        if (!result.list)
            fail(QStringLiteral("empty text: it must begin with: list <class name>"));
    } catch (const std::exception& e) {
        errors << QStringLiteral("%1:%2: %3").arg(sourceName).arg(lineNumber).arg(QString::fromStdString(e.what()));
        TMxItem::Free(std::exchange(result.list, nullptr));
    }
    return result;
}

} // namespace mkdefs
