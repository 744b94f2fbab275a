#pragma once
// TMxReader: reads the binary component stream of object files into items.
// The whole stream is in memory. Damaged data gives an error, never a
// crash: lengths are checked against what remains and nesting is bounded.
// Structural damage fails the read: an unknown class where a list stands,
// bytes after the root object, a header whose size is not the stream's.
// Every error and warning names the source, the object path from the
// root, the property and the byte offset, with control characters
// escaped.

#include "filer.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace mx {

class TPersistent;
class TMxItem;
class TMxList;
class TComponent;
struct PropInfo;

class TMxReader : public TFiler {
public:
    // source names the data in messages (a file name); it may be empty.
    explicit TMxReader(const QByteArray& data, const QString& source = QString());

    void ReadRoot(TMxItem* root);
    void ReadObject(TPersistent* object);
    void ReadProperty(TPersistent* object);
    TMxItem* ReadItem(TMxList* list);
    TMxItem* ReadReference();
    void SkipValue();

    TValueType ReadValue();
    TValueType NextValue() const;
    // The next byte ends a list. Only that byte is looked at: what follows
    // may be a short string (a name of 14 characters or more has a length
    // byte above the value codes).
    bool EndOfList() const
    {
        need(1);
        return static_cast<unsigned char>(m_p[m_pos]) == vaNull;
    }
    void ReadListBegin();
    void ReadListEnd();
    qint64 ReadInteger();
    double ReadFloat();
    QString ReadString();
    QString ReadIdent();
    bool ReadBoolean();
    QByteArray ReadBinary();
    QString ReadStr();
    QString PeekStr() const;

    void DefineProperty(const QString& name, const ReadFn& read, const WriteFn& write, bool hasData) override;
    void DefineBinaryProperty(const QString& name, const ReadBinFn& read, const WriteBinFn& write, bool hasData) override;

    // A record an item's ReadItems reads after its lists is stored under
    // one of these class names: where a list is missing, the reader tells
    // such a record from a damaged list by it.
    static void AllowRecordAfterLists(const QString& className);

    // Values skipped while reading list items (damaged or unknown), one
    // line each, for the caller to report.
    const QStringList& Warnings() const { return m_warnings; }
    qsizetype Position() const { return m_pos; }
    // The plain bytes between two positions already read (a record kept
    // as it stands); empty for a range outside the data.
    QByteArray Bytes(qsizetype from, qsizetype to) const
    {
        return (from < 0 || to < from || to > m_size) ? QByteArray() : m_data.mid(from, to - from);
    }

private:
    void need(qsizetype n) const;
    unsigned char byte();
    void readBody(TPersistent* object);
    void readPropValue(TPersistent* object, const PropInfo& prop);
    void readSubItems(TMxItem* item);
    void readChildComponent(TComponent* parent);
    void skipObject(bool classNameRead);
    void skipStr();
    [[noreturn]] void invalidValue();
    void enter();
    void leave() { --m_depth; }
    // "Error reading <source>, byte <at>, <path>, property <name>: <text>"
    QString located(qsizetype at, const QString& property, const QString& text) const;
    [[noreturn]] void raiseLocated(qsizetype at, const QString& property, const QString& text) const;
    void checkListClass(TMxItem* item, const QString& expected, const QStringList& later);
    class TPathFrame;

    QString m_source;
    struct Frame {
        TPersistent* object;
        QString storedName;
    };
    std::vector<Frame> m_path;

    QByteArray m_data;
    const char* m_p = nullptr;
    qsizetype m_size = 0;
    qsizetype m_pos = 0;
    int m_depth = 0;
    int m_listDepth = 0;
    QString m_propName;  // the last part of the property being read
    bool m_consumed = false;
    std::vector<TMxItem*> m_fixups;
    QHash<QString, TMxItem*> m_tags; // tags of m_fixups[0, m_tagged)
    size_t m_tagged = 0;
    QStringList m_warnings;
};

} // namespace mx
