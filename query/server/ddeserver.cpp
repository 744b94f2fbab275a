#include "ddeserver.h"

#include "designerregistry.h"
#include "enginebusy.h"

#include "query/dde/ddemacro.h"

#include "engine/core/exceptions.h"
#include "engine/core/itemptr.h"
#include "engine/driver/dataset.h"
#include "engine/query/query.h"
#include "engine/run/queryrun.h"
#include "engine/run/runoutcome.h"
#include "engine/core/translate.h"

#include <algorithm>

namespace mx {

namespace {

// What a run or a load that did not go through told, in order, each text
// once: the reasons it stopped, the errors told on the way, the steps
// that ended without their result.
QString outcomeReason(const TRunOutcome& outcome)
{
    QStringList texts;
    auto add = [&texts](const QString& text) {
        const QString t = text.trimmed();
        if (!t.isEmpty() && !texts.contains(t))
            texts << t;
    };
    for (const QString& reason : outcome.Reasons())
        add(reason);
    for (const TRunMessage& message : outcome.Messages())
        if (message.type == TMsgDlgType::mtError)
            add(message.text);
    for (const QString& failure : outcome.StepFailures())
        add(failure);
    return texts.join(u'\n');
}

// What was told, then the exception's own text when it adds to it.
QString withException(const QString& told, const QString& text)
{
    if (told.isEmpty())
        return text;
    if (text.isEmpty() || told.contains(text))
        return told;
    return told + u'\n' + text;
}

} // namespace

struct TfmOleDdeServer::TServedQuery {
    QString name;
    TMxQuery* query = nullptr;
    int step = 0; // the current step's position in the query's list
};

TDdeDataItem::TDdeDataItem(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("Data"));
}

QString TDdeDataItem::Text() const
{
    QString text;
    qsizetype size = 0;
    for (const QString& line : m_lines)
        size += line.size() + 2;
    text.reserve(size);
    for (const QString& line : m_lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}

TfmOleDdeServer::TfmOleDdeServer(TDesignerRegistry& registry, QObject* parent)
    : QObject(parent)
    , m_registry(registry)
{
    setObjectName(QStringLiteral("fmOleDdeServer"));
    // The conversation "System" keeps no state of its own: every macro
    // names its query.
    m_system = new QObject(this);
    m_system->setObjectName(QStringLiteral("System"));
    m_data = new TDdeDataItem(m_system);
}

TfmOleDdeServer::TfmOleDdeServer(QObject* parent) : TfmOleDdeServer(DesignerRegistry(), parent) {}

TfmOleDdeServer::~TfmOleDdeServer()
{
    freeAll();
}

void TfmOleDdeServer::freeAll() noexcept
{
    m_lastServed = nullptr;
    auto queries = std::move(m_queries);
    m_queries.clear();
    for (auto& served : queries)
        TMxItem::Free(std::exchange(served->query, nullptr));
}

TfmOleDdeServer::TServedQuery* TfmOleDdeServer::findServed(const QString& name) const
{
    if (name.isEmpty())
        return nullptr;
    // A walk names the same query at every call.
    if (m_lastServed && name == m_lastName)
        return m_lastServed;
    for (const auto& served : m_queries) {
        if (served->name.compare(name, Qt::CaseInsensitive) == 0) {
            m_lastName = name;
            m_lastServed = served.get();
            return served.get();
        }
    }
    return nullptr;
}

TIMxDataset* TfmOleDdeServer::currentResult(const QString& name) const
{
    const TServedQuery* served = findServed(name);
    if (!served)
        return nullptr;
    TMxQueryStepList* steps = served->query->Steps();
    if (served->step < 0 || served->step >= steps->Count())
        return nullptr;
    return steps->Items(served->step)->Dataset();
}

TMxQuery* TfmOleDdeServer::FindQuery(const QString& name) const
{
    if (const TServedQuery* served = findServed(name))
        return served->query;
    TServedDesigner* designer = m_registry.FindByQueryName(name);
    return designer ? designer->DesignerQuery() : nullptr;
}

int TfmOleDdeServer::failWith(const QString& why)
{
    m_lastError = why.isEmpty() ? Translate(QStringLiteral("Erreur inconnue")) : why;
    return 0;
}

int TfmOleDdeServer::LoadQuery(const QString& name, const QString& fileName, const QString& user, const QString& password)
{
    TEngineBusyScope busy;
    m_lastError.clear();
    if (name.isEmpty())
        return failWith(Translate(QStringLiteral("Aucun nom n'est donné à la requête.")));
    if (FindQuery(name))
        return failWith(Translate(QStringLiteral("Le nom %1 est déjà pris par une requête chargée.")).arg(name.toUpper()));
    TRunOutcome outcome;
    try {
        TItemPtr<TMxQuery> query(new TMxQuery(nullptr));
        {
            // What the load tells is kept as the reason of a refusal.
            TRunMessageTap tap(outcome, TRunPhase::Load);
            query->SetLogin(user, password);
            query->SetInteractive(true);
            query->LoadFromFile(fileName);
        }
        // The model is open: the password is of no more use.
        query->SetLogin(user, QString());
        if (query->Steps()->Count() == 0)
            throw EMxException(Translate(QStringLiteral("La requête est vide")));
        // A login asked during the load may have let another load of
        // the same name in.
        if (FindQuery(name))
            return failWith(Translate(QStringLiteral("Le nom %1 est déjà pris par une requête chargée.")).arg(name.toUpper()));
        auto served = std::make_unique<TServedQuery>();
        served->name = name.toUpper();
        served->query = query.release();
        m_queries.push_back(std::move(served));
        return 1;
    } catch (const EAbort&) {
        // A login refused ends the load with the silent abort.
        const QString told = outcomeReason(outcome);
        return failWith(told.isEmpty() ? Translate(QStringLiteral("Abandon par l'utilisateur")) : told);
    } catch (const std::exception& e) {
        return failWith(withException(outcomeReason(outcome), ExceptionMessage(e)));
    } catch (...) {
        return failWith(outcomeReason(outcome));
    }
}

int TfmOleDdeServer::RunQuery(const QString& name)
{
    TEngineBusyScope busy;
    m_lastError.clear();
    TRunOutcome outcome;
    try {
        TServedDesigner* designer = nullptr;
        TMxQuery* query = nullptr;
        if (const TServedQuery* served = findServed(name)) {
            query = served->query;
        } else if ((designer = m_registry.FindByQueryName(name))) {
            query = designer->DesignerQuery();
        }
        if (!query)
            return failWith(Translate(QStringLiteral("Aucune requête ne porte le nom %1.")).arg(name));
        if (m_running.count(query))
            return failWith(Translate(QStringLiteral("La requête %1 est déjà en cours d'exécution.")).arg(name));
        m_running.insert(query);
        struct TDone {
            std::set<const TMxQuery*>& running;
            const TMxQuery* query;
            ~TDone() { running.erase(query); }
        } done{m_running, query};
        if (designer) {
            // The designer unbinds its views, runs and binds them again:
            // nothing of it reads a result the run freed.
            designer->RunDesignerQuery();
            return 1;
        }
        ExecuteQuery(query, &outcome);
        // An error told on the way fails the run; a driver that swallowed
        // a failure leaves the step without result.
        if (outcome.End() != TRunEnd::Success) {
            const QString told = outcomeReason(outcome);
            return failWith(told.isEmpty() ? Translate(QStringLiteral("Exécution terminée avec des erreurs.")) : told);
        }
        if (currentResult(name))
            return 1;
        const QString told = outcomeReason(outcome);
        return failWith(told.isEmpty() ? Translate(QStringLiteral("L'exécution n'a donné aucun résultat à l'étape courante.")) : told);
    } catch (const EAbort&) {
        const QString told = outcomeReason(outcome);
        return failWith(told.isEmpty() ? Translate(QStringLiteral("Abandon par l'utilisateur")) : told);
    } catch (const std::exception& e) {
        return failWith(withException(outcomeReason(outcome), ExceptionMessage(e)));
    } catch (...) {
        return failWith(outcomeReason(outcome));
    }
}

int TfmOleDdeServer::CloseQuery(const QString& name)
{
    TEngineBusyScope busy;
    TServedQuery* served = findServed(name);
    if (!served || m_running.count(served->query))
        return 0;
    TMxQuery* query = served->query;
    m_lastServed = nullptr;
    for (auto it = m_queries.begin(); it != m_queries.end(); ++it) {
        if (it->get() == served) {
            m_queries.erase(it);
            break;
        }
    }
    // Its model and its steps' results go with it.
    query->Free();
    return 1;
}

int TfmOleDdeServer::FirstRecord(const QString& name)
{
    TEngineBusyScope busy;
    try {
        TIMxDataset* result = currentResult(name);
        if (!result)
            return 0;
        result->First();
        return 1;
    } catch (...) {
        return 0;
    }
}

int TfmOleDdeServer::NextRecord(const QString& name)
{
    TEngineBusyScope busy;
    try {
        TIMxDataset* result = currentResult(name);
        if (!result)
            return 0;
        result->Next();
        return 1;
    } catch (...) {
        return 0;
    }
}

bool TfmOleDdeServer::IsEof(const QString& name)
{
    TEngineBusyScope busy;
    try {
        TIMxDataset* result = currentResult(name);
        return !result || result->Eof();
    } catch (...) {
        return true;
    }
}

int TfmOleDdeServer::SelectStep(const QString& name, int index)
{
    TEngineBusyScope busy;
    TServedQuery* served = findServed(name);
    if (!served)
        return 0;
    // Position index + 1, as the callers of this interface expect.
    const long long position = static_cast<long long>(index) + 1;
    if (position < 0 || position >= served->query->Steps()->Count())
        return 0;
    served->step = int(position);
    return 1;
}

QString TfmOleDdeServer::GetRecord(const QString& name)
{
    return GetRecord(name, *m_data);
}

QString TfmOleDdeServer::GetRecord(const QString& name, TDdeDataItem& data)
{
    TEngineBusyScope busy;
    // Cleared in every case: a client never reads an earlier record as
    // the answer.
    data.Clear();
    try {
        TIMxDataset* result = currentResult(name);
        if (!result)
            return QString();
        const int count = result->GetFieldCount();
        QStringList lines;
        lines.reserve(count);
        for (int i = 0; i < count; ++i)
            lines << result->GetFieldValue(i);
        data.SetLines(std::move(lines));
        return data.Text();
    } catch (...) {
        data.Clear();
        return QString();
    }
}

int TfmOleDdeServer::NewQuery()
{
    TEngineBusyScope busy;
    try {
        if (TServedDesigner* empty = m_registry.FindEmpty()) {
            empty->ShowDesigner();
            return 1;
        }
        if (!m_registry.CreateDesigner)
            return 0;
        m_registry.CreateDesigner();
        return 1;
    } catch (...) {
        return 0;
    }
}

int TfmOleDdeServer::FieldCount(const QString& name)
{
    TEngineBusyScope busy;
    try {
        TIMxDataset* result = currentResult(name);
        return result ? std::max(0, result->GetFieldCount()) : 0;
    } catch (...) {
        return 0;
    }
}

bool TfmOleDdeServer::FieldValue(const QString& name, int index, QString& value)
{
    TEngineBusyScope busy;
    value.clear();
    try {
        TIMxDataset* result = currentResult(name);
        if (!result || index < 0 || index >= result->GetFieldCount())
            return false;
        value = result->GetFieldValue(index);
        return true;
    } catch (...) {
        value.clear();
        return false;
    }
}

QStringList TfmOleDdeServer::QueryNames() const
{
    QStringList names;
    for (const auto& served : m_queries)
        names << served->name;
    return names;
}

bool TfmOleDdeServer::ExecuteCommand(const QString& line)
{
    return ExecuteCommand(line, *m_data);
}

bool TfmOleDdeServer::ExecuteCommand(const QString& line, TDdeDataItem& data)
{
    TEngineBusyScope busy;
    dde::TMacro macro = dde::ParseMacro(line);
    const QString& c = macro.command;
    const QStringList& a = macro.args;
    if (c == u"LOAD") {
        if (a.size() < 2)
            return true;
        const bool loaded = LoadQuery(a[0].toUpper(), a[1], a.value(2), a.value(3)) == 1;
        dde::WipeText(macro);
        return loaded;
    } else if (c == u"RUN") {
        if (!a.isEmpty())
            return RunQuery(a[0]) == 1;
    } else if (c == u"CLOSE") {
        if (!a.isEmpty())
            CloseQuery(a[0]);
    } else if (c == u"FIRST") {
        if (!a.isEmpty())
            FirstRecord(a[0]);
    } else if (c == u"NEXT") {
        if (!a.isEmpty())
            NextRecord(a[0]);
    } else if (c == u"GETEOF") {
        data.Clear();
        if (!a.isEmpty())
            data.SetLines({IsEof(a[0]) ? QStringLiteral("TRUE") : QStringLiteral("FALSE")});
    } else if (c == u"GETRECORD") {
        if (!a.isEmpty())
            GetRecord(a[0], data);
        else
            data.Clear();
    } else if (c == u"NEWQUERY") {
        NewQuery();
    }
    return true;
}

} // namespace mx
