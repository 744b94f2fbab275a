#pragma once
// The server other programs drive the query program through: it loads
// queries under names the callers choose, runs them, walks the current
// step's result record by record and reads field values as text. The
// local socket (ddelistener.h) and the exported functions (mxi/) both
// reach it; it lives on the program's main thread.
//
// It owns the queries it loads (the named-query list) and also finds the
// queries of open designer windows (designerregistry.h), which it runs
// through the designer's own run and never closes. Names are compared
// without regard to case everywhere; LOAD stores them upper-cased.
//
// Every operation turns every failure into its result (0, true for
// IsEof, an empty record) and shows nothing itself; a load or a run that
// gives 0 keeps the reason (LastError). Each holds the engine
// busy (enginebusy.h) while it works, so that nothing another program
// sends is served inside it.

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <set>
#include <vector>

namespace mx {

class TDesignerRegistry;
class TIMxDataset;
class TMxQuery;

// The item "Data": the text the last GETEOF or GETRECORD left. Each
// connection of the socket has its own, so that clients walking at the
// same time each read their own records; the server keeps one more for
// callers without a connection.
class TDdeDataItem : public QObject {
    Q_OBJECT
public:
    explicit TDdeDataItem(QObject* parent = nullptr);
    const QStringList& Lines() const { return m_lines; }
    void SetLines(QStringList lines) { m_lines = std::move(lines); }
    void Clear() { m_lines.clear(); }
    // Every line ended by CR LF. A value holding a line break spans two
    // lines: nothing is escaped.
    QString Text() const;

private:
    QStringList m_lines;
};

class TfmOleDdeServer : public QObject {
    Q_OBJECT
public:
    // registry: the designer windows it looks queries up in.
    explicit TfmOleDdeServer(TDesignerRegistry& registry, QObject* parent = nullptr);
    explicit TfmOleDdeServer(QObject* parent = nullptr);
    ~TfmOleDdeServer() override;

    // The named-query list first, then the designers in creation order.
    TMxQuery* FindQuery(const QString& name) const;
    // Loads a query file under name (upper-cased), with the login given
    // for its model (empty user: the model asks, when it has users). 0 when
    // the name is empty or taken, the file does not load, or the query has
    // no step. The first step becomes current.
    int LoadQuery(const QString& name, const QString& fileName, const QString& user, const QString& password);
    // Asks the parameters and runs every step; a designer's query through
    // the designer's run. 0 when not found, already running, cancelled,
    // failed (an error told on the way fails it too), or when the current
    // step has no result afterwards.
    int RunQuery(const QString& name);
    // Frees a query of the list, with its model and results; a designer's
    // query is never closed (0).
    int CloseQuery(const QString& name);
    // Move the current step's result; 0 without a result.
    int FirstRecord(const QString& name);
    int NextRecord(const QString& name);
    // True unless the current step has a result that is not at its end.
    bool IsEof(const QString& name);
    // The current step becomes the step at position index + 1 of the
    // query's list: -1 the first, 0 the second. 0 when out of range (the
    // current step stays).
    int SelectStep(const QString& name, int index);
    // Clears data (the server's own Data without it), then fills it with
    // the current record's values, one a line; returns its text (empty
    // when there is no record to read).
    QString GetRecord(const QString& name);
    QString GetRecord(const QString& name, TDdeDataItem& data);
    // Shows the first designer window that holds no query, else has a new
    // one made. 0 when neither can be done.
    int NewQuery();
    // Parses one macro line and runs it; GETEOF and GETRECORD fill data
    // (the server's own Data without it). False when a LOAD or a RUN
    // failed: LastError() says why.
    bool ExecuteCommand(const QString& line);
    bool ExecuteCommand(const QString& line, TDdeDataItem& data);

    // Why the last LoadQuery or RunQuery gave 0, in the system's words;
    // empty after one that succeeded.
    const QString& LastError() const { return m_lastError; }

    // For the exported functions: the current result's field count (0
    // without result), and the text of one field of the current record
    // (false without result or for an index out of range).
    int FieldCount(const QString& name);
    bool FieldValue(const QString& name, int index, QString& value);

    TDdeDataItem* Data() const { return m_data; }
    // The names of the named-query list, in load order.
    QStringList QueryNames() const;

private:
    struct TServedQuery;
    TServedQuery* findServed(const QString& name) const;
    TIMxDataset* currentResult(const QString& name) const;
    void freeAll() noexcept;
    int failWith(const QString& why);

    TDesignerRegistry& m_registry;
    QObject* m_system = nullptr;
    TDdeDataItem* m_data = nullptr;
    std::vector<std::unique_ptr<TServedQuery>> m_queries;
    std::set<const TMxQuery*> m_running;
    QString m_lastError;
    mutable QString m_lastName;
    mutable TServedQuery* m_lastServed = nullptr;
};

} // namespace mx
