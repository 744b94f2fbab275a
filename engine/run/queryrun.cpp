#include "queryrun.h"

#include "engine/core/file.h"
#include "engine/core/userservice.h"
#include "engine/destination/querydestination.h"
#include "engine/driver/dbengine.h"
#include "engine/driver/dbrequest.h"
#include "engine/driver/destdriver.h"
#include "engine/driver/driver.h"
#include "engine/model/database.h"
#include "engine/model/ownedchild.h"
#include "engine/model/paramcontrol.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"
#include "engine/query/query.h"
#include "engine/settings/global.h"
#include "engine/tools/hooks.h"
#include "engine/tools/messages.h"

#include "platform/dbengine/dbfield.h"

#include <QFile>

#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace mx {
namespace {

void progress(TMxQueryStep& step, const QString& text)
{
    if (step.OnProgress)
        step.OnProgress(text);
}

TIMxDriver& driver()
{
    InitDbEngine();
    TIMxDriver* d = DbEngine();
    if (!d)
        throw EMxInternal(QStringLiteral("No database driver"));
    return *d;
}

// The destination whose table file later steps read the result from:
// the first table output that has a file name.
TQueryDestinationItem* inputTableDestination(TMxQueryStep& step)
{
    TQueryDestinationList* list = step.Destinations();
    for (int i = 0; i < list->Count(); ++i) {
        TQueryDestinationItem* d = list->Items(i);
        if (!d->HasFileName())
            continue;
        TDestinationItem* type = d->FindDestinationType();
        if (type && type->Output() == doTable)
            return d;
    }
    return nullptr;
}

// Enough of a file's identity to tell that it was written again: a file
// replaced by a new one has another inode, one rewritten in place another
// modification time.
struct TFileStamp {
    bool exists = false;
    ino_t inode = 0;
    long long seconds = 0;
    long nanoseconds = 0;
    off_t size = 0;

    static TFileStamp of(const QString& fileName)
    {
        TFileStamp s;
        struct stat st {};
        if (::stat(QFile::encodeName(fileName).constData(), &st) == 0) {
            s.exists = true;
            s.inode = st.st_ino;
            s.seconds = st.st_mtim.tv_sec;
            s.nanoseconds = st.st_mtim.tv_nsec;
            s.size = st.st_size;
        }
        return s;
    }
    bool operator==(const TFileStamp& o) const
    {
        return exists == o.exists && inode == o.inode && seconds == o.seconds && nanoseconds == o.nanoseconds
            && size == o.size;
    }
};

// The outcome the run records into: the caller's, else one of its own.
class TOutcomeRef {
public:
    explicit TOutcomeRef(TRunOutcome* given) : m_outcome(given ? *given : m_own) {}
    TRunOutcome& operator*() { return m_outcome; }
    TRunOutcome* operator->() { return &m_outcome; }

private:
    TRunOutcome m_own;
    TRunOutcome& m_outcome;
};

// The tap that records the messages told during the steps: the one the
// outcome has (the unattended run's), else one for the life of this object.
class TStepsTap {
public:
    explicit TStepsTap(TRunOutcome& outcome)
    {
        m_tap = outcome.Tap();
        if (!m_tap)
            m_tap = &m_own.emplace(outcome, TRunPhase::Steps);
        m_formerPhase = m_tap->Phase();
        m_tap->SetPhase(TRunPhase::Steps);
    }
    ~TStepsTap()
    {
        m_tap->SetStep(0);
        m_tap->SetPhase(m_formerPhase);
    }
    TRunMessageTap* operator->() { return m_tap; }

private:
    std::optional<TRunMessageTap> m_own;
    TRunMessageTap* m_tap = nullptr;
    TRunPhase m_formerPhase = TRunPhase::Steps;
};

// What an exception that ends a run says; the outcome fails with it unless
// the run was cancelled (a refused dialog, or the silent abort of a login).
void recordEnd(TRunOutcome& outcome, const std::exception& e)
{
    if (dynamic_cast<const EMxRunFailed*>(&e))
        return; // the steps' failures are in the outcome already
    if (dynamic_cast<const EAbort*>(&e)) {
        if (!outcome.WasCancelled())
            outcome.Cancel(Translate(QStringLiteral("Abandon par l'utilisateur")));
        return;
    }
    if (dynamic_cast<const EMxAbort*>(&e) && outcome.WasCancelled())
        return;
    outcome.Fail(ExceptionMessage(e));
}

template <class Fn>
void recording(TRunOutcome& outcome, Fn&& fn)
{
    try {
        fn();
    } catch (const std::exception& e) {
        recordEnd(outcome, e);
        throw;
    }
}

// One destination operation; a failure is told and the others still go.
// A driver tells its own failures and returns normally: an error told
// while it works fails the send, with the driver's words.
TSendOutcome sendOne(TMxQueryStep& step, TQueryDestinationItem* destination, bool print, TRunMessageTap& tap)
{
    TSendOutcome sent;
    sent.kind = print ? skReport : skFile;
    sent.destination = destination->GetName();
    const int mark = tap.Mark();
    try {
        sent.fileName = destination->SentFileName();
        if (print)
            destination->Print(step.Dataset());
        else
            destination->Export(step.Dataset());
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        sent.ok = false;
        sent.message = ExceptionMessage(e);
        const QString what = print
            ? TranslateFmt(QStringLiteral("%s : le rapport %s n'a pas été imprimé : %s"),
                  {step.GetName(), destination->FileName(), sent.message})
            : TranslateFmt(QStringLiteral("%s : la destination %s n'a pas été écrite : %s"),
                  {step.GetName(), destination->FileName(), sent.message});
        UserService().MessageDlg(what, TMsgDlgType::mtError, mbOK);
        return sent;
    }
    const QStringList told = tap.ErrorsSince(mark);
    if (!told.isEmpty()) {
        sent.ok = false;
        sent.message = told.join(u'\n');
    }
    return sent;
}

// The table files of the sends below that their drivers copy with the
// dataset's DumpTable, announced to the dataset so that one pass over the
// rows writes them all. False when the dataset cannot.
bool announceTableCopies(TIMxDataset* dataset, const std::vector<TQueryDestinationItem*>& sends)
{
    QStringList names;
    for (TQueryDestinationItem* item : sends) {
        try {
            TDestinationItem* type = item->FindDestinationType();
            if (type && type->GetDriver()->ExportsTableCopy())
                names << item->SentFileName();
        } catch (const std::exception&) {
            // told when the destination is sent
        }
    }
    return !names.isEmpty() && dataset->ExpectTables(names);
}

// A destination the run sends: it has a file name and its type's output
// is a file or table one (files), or a report one (not files). A
// destination of a type that no longer exists counts as a file output and
// fails where it is sent, with the destination's own error.
bool isOutput(TQueryDestinationItem* d, bool files)
{
    if (!d->HasFileName())
        return false;
    TDestinationItem* type = d->FindDestinationType();
    if (!type)
        return files;
    const TDestinationOutput out = type->Output();
    return files ? (out == doFile || out == doTable) : out == doReport;
}

// The steps whose results a step reads: its tables that stand for an
// earlier step's result (Id minus that step's Id).
std::set<int> inputStepIds(const TMxQueryStep& step)
{
    std::set<int> ids;
    for (const TMxTable* t : step.Tables())
        if (t && t->Id() < 0)
            ids.insert(-t->Id());
    return ids;
}

using platform::DbFieldType;

bool isIntegerType(DbFieldType t)
{
    return t == DbFieldType::Smallint || t == DbFieldType::Integer || t == DbFieldType::Word
        || t == DbFieldType::AutoInc;
}

// The type of a number the field holds: money and BCD fields keep theirs,
// an integer reported as such stays one, anything else is a float.
DbFieldType numberType(const TStepColumn& c, DbFieldType reported)
{
    if (c.tableType.compare(u"MONEY", Qt::CaseInsensitive) == 0)
        return DbFieldType::Currency;
    if (c.tableType.compare(u"BCD", Qt::CaseInsensitive) == 0)
        return DbFieldType::BCD;
    if (reported == DbFieldType::Currency || reported == DbFieldType::BCD)
        return reported;
    return isIntegerType(reported) ? DbFieldType::Integer : DbFieldType::Float;
}

// The type a total's column has whatever the database says of an
// expression (SQLite gives the first row's storage class, a text of 255
// for a date or a null): a count is an integer, a sum or an average a
// number, a minimum or maximum the field's own type. False: the column
// keeps the database's type (no total, or a field of no known type).
bool totalType(const TStepColumn& c, DbFieldType reported, DbFieldType* type, int* size)
{
    const QString total = c.total.trimmed().toLower();
    *size = 0;
    if (total.isEmpty())
        return false;
    if (total.startsWith(u"count")) {
        *type = DbFieldType::Integer;
        return true;
    }
    if (total == u"sum") {
        *type = numberType(c, reported);
        return true;
    }
    if (total == u"average") {
        const DbFieldType t = numberType(c, reported);
        *type = isIntegerType(t) ? DbFieldType::Float : t;
        return true;
    }
    if (total != u"min" && total != u"max")
        return false;
    switch (c.fieldType.unicode()) {
    case u'A':
        *type = DbFieldType::String;
        *size = c.size > 0 && c.size <= 0xFFFF ? c.size : 0;
        return true;
    case u'N':
        *type = numberType(c, reported);
        return true;
    case u'D':
        *type = DbFieldType::Date;
        return true;
    case u'T':
        *type = DbFieldType::Time;
        return true;
    case u'@':
        *type = DbFieldType::DateTime;
        return true;
    case u'L':
        *type = DbFieldType::Boolean;
        return true;
    case u'M':
        *type = DbFieldType::Memo;
        return true;
    default:
        return false;
    }
}

// Gives each total's column of the result its type (see totalType).
void keepTotalTypes(const TMxQueryStep& step, TIMxDataset& dataset)
{
    const std::vector<TStepColumn>& columns = step.Columns();
    const int count = std::min(int(columns.size()), dataset.FieldDescriptionCount());
    for (int i = 0; i < count; ++i) {
        const TIMxField* field = dataset.FieldDescription(i);
        DbFieldType type;
        int size = 0;
        if (totalType(columns[size_t(i)], DbFieldType(field->DataType), &type, &size))
            dataset.SetFieldType(i, std::uint8_t(type), std::uint16_t(size));
    }
}

TStepRunResult runStep(TMxQueryStep& step, TStepOutputs outputs, bool inputTable, TRunOutcome& outcome)
{
    TBusyCursor busy;
    TStepsTap tap(outcome);
    tap->SetStep(step.Id());
    TStepOutcome& record = outcome.Step(step);
    record.result = srDone;
    record.missingInput.clear();
    record.sends.clear();
    auto end = [&record](TStepRunResult result) {
        if (result != srDone)
            record.result = result;
        return record.result;
    };

    progress(step, TranslateFmt(QStringLiteral("Exécution de l'extraction phase %d"), {step.Id()}));
    TIMxDriver& d = driver();
    step.FreeDataset();

    // Each database once; a table whose database the model does not list
    // has no entry to open here (the main database is opened with the SQL).
    QStringList opened;
    for (const TMxDatabaseItem* db : step.Databases()) {
        if (!db || opened.contains(db->Name(), Qt::CaseInsensitive))
            continue;
        const TDbRequest request(TDatabaseName(db->Name()), TDbLogin(TUserName(db->UserName()), TPassword(db->Password())));
        if (!DbOpenDatabase(d, request))
            return end(srNoResult);
        opened << db->Name();
    }

    TQueryDestinationList* destinations = step.Destinations();
    const TViewName view(destinations->GenerateView() ? destinations->GetViewName() : QString());
    // The statement whole: its lines as the generator wrote them, however long.
    TIMxDataset* dataset = DbExecuteQuery(d, TDbRequest(TDatabaseName(step.MainDatabase()), TDbLogin(), view), step.SQL()->Text());
    if (!dataset)
        return end(srNoResult);
    step.SetDataset(dataset);
    keepTotalTypes(step, *dataset);

    // A later step reads this result from a table file: that file is its
    // input and is written whatever the options say, and it must be the
    // file of this run, not one left by an earlier run.
    TQueryDestinationItem* input = inputTable && !destinations->GenerateView() ? inputTableDestination(step) : nullptr;
    const QString inputFile = input ? step.GetResultName() : QString();
    const TFileStamp before = input ? TFileStamp::of(inputFile) : TFileStamp();

    std::vector<TQueryDestinationItem*> files;
    for (int i = 0; i < destinations->Count(); ++i) {
        TQueryDestinationItem* item = destinations->Items(i);
        if ((outputs != soNone && isOutput(item, true)) || item == input)
            files.push_back(item);
    }
    // The table input goes last when the options send no files.
    if (input && outputs == soNone)
        files = {input};
    const bool announced = announceTableCopies(dataset, files);
    for (TQueryDestinationItem* item : files)
        outcome.AddSend(step, sendOne(step, item, false, *tap.operator->()));
    if (announced)
        dataset->ExpectTables({});
    if (outputs == soAll) {
        for (int i = 0; i < destinations->Count(); ++i) {
            TQueryDestinationItem* item = destinations->Items(i);
            if (isOutput(item, false))
                outcome.AddSend(step, sendOne(step, item, true, *tap.operator->()));
        }
    }
    if (input) {
        const TFileStamp after = TFileStamp::of(inputFile);
        if (!after.exists || after == before) {
            UserService().MessageDlg(TranslateFmt(QStringLiteral("%s : le résultat n'a pas pu être écrit dans %s."),
                                         {step.GetName(), inputFile}),
                TMsgDlgType::mtError, mbOK);
            record.result = srInputNotWritten;
        }
    }
    return record.result;
}

void runSteps(TMxQuery& query, TRunOutcome& outcome)
{
    TStepsTap tap(outcome);
    TMxQueryStepList* steps = query.Steps();
    if (steps->Count() == 0)
        throw EMxAbort(Translate(QStringLiteral("Query is empty")));
    for (int i = 0; i < steps->Count(); ++i) {
        TMxQueryStep* step = steps->Items(i);
        bool checked = false;
        for (const TMxItem* f : *step->AllFields())
            checked = checked || static_cast<const TMxQueryField*>(f)->Checked();
        if (!checked)
            throw EMxAbort(TranslateFmt(QStringLiteral("%s: Aucun champ n'est sélectionné."), {step->GetName()}));
    }
    query.Prepare(false);
    for (int i = steps->Count() - 1; i >= 0; --i)
        DropStepView(*steps->Items(i));

    // Which steps are read by later ones.
    std::vector<std::set<int>> inputs;
    std::set<int> readByLater;
    for (int i = 0; i < steps->Count(); ++i) {
        inputs.push_back(inputStepIds(*steps->Items(i)));
        readByLater.insert(inputs.back().begin(), inputs.back().end());
    }

    const TStepOutputs outputs = StepOutputs(query.Interactive(), query.OptionsPrintAuto(), query.OptionsDumpTables());
    std::set<int> ran;
    for (int i = 0; i < steps->Count(); ++i) {
        TMxQueryStep* step = steps->Items(i);
        QString missing;
        for (int id : inputs[size_t(i)]) {
            for (const TStepOutcome& earlier : outcome.Steps()) {
                if (earlier.stepId == id && ran.count(id) && earlier.result != srDone && earlier.result != srOutputFailed)
                    missing = earlier.stepName;
            }
        }
        if (!missing.isEmpty()) {
            TStepOutcome& record = outcome.Step(*step);
            record.result = srInputFailed;
            record.missingInput = missing;
            record.sends.clear();
        } else {
            runStep(*step, outputs, readByLater.count(step->Id()) > 0, outcome);
        }
        ran.insert(step->Id());
    }

    const QStringList failures = outcome.StepFailures();
    if (!failures.isEmpty())
        throw EMxRunFailed(Translate(QStringLiteral("La requête ne s'est pas exécutée entièrement :")) + u'\n'
            + failures.join(u'\n'));
}

} // namespace

bool IsReadByLaterStep(const TMxQueryStep& step)
{
    const TMxQuery* query = step.GetQuery();
    if (!query)
        return false;
    for (const TMxItem* other : *query->Steps()) {
        if (other == &step)
            continue;
        if (inputStepIds(*static_cast<const TMxQueryStep*>(other)).count(step.Id()))
            return true;
    }
    return false;
}

bool PromptQueryParams(TMxQuery& query)
{
    TMxParamControlList* controls = query.ParamControls();
    if (!controls || controls->Count() == 0)
        return true;
    TStringList values;
    return controls->Execute(query.DataModel(), query.GetCaption(), values, false);
}

namespace {

void runQuery(TMxQuery& query, TRunOutcome& outcome)
{
    if (!PromptQueryParams(query)) {
        const QString text = Translate(QStringLiteral("Abandon par l'utilisateur"));
        outcome.Cancel(text);
        throw EMxAbort(text);
    }
    runSteps(query, outcome);
}

} // namespace

void ExecuteQuery(TMxQuery* query, TRunOutcome* given)
{
    if (!query)
        throw EMxInternal(QStringLiteral("ExecuteQuery: no query"));
    TOutcomeRef outcome(given);
    recording(*outcome, [&] { runQuery(*query, *outcome); });
}

void ExecuteQuerySteps(TMxQuery& query, TRunOutcome* given)
{
    TOutcomeRef outcome(given);
    recording(*outcome, [&] { runSteps(query, *outcome); });
}

void DropStepView(TMxQueryStep& step)
{
    TIMxDriver& d = driver();
    step.FreeDataset();
    TQueryDestinationList* destinations = step.Destinations();
    if (!destinations->GenerateView())
        return;
    const QString view = destinations->GetViewName();
    progress(step, TranslateFmt(QStringLiteral("Suppression vue %s"), {view}));
    DbDropView(d, TDbRequest(TDatabaseName(step.MainDatabase()), TDbLogin(), TViewName(view)));
}

TStepRunResult ExecuteStepPhase(TMxQueryStep& step, TStepOutputs outputs, bool inputTable, TRunOutcome* given)
{
    TOutcomeRef outcome(given);
    TStepRunResult result = srNoResult;
    recording(*outcome, [&] { result = runStep(step, outputs, inputTable, *outcome); });
    return result;
}

bool ExecuteStep(TMxQueryStep& step, TRunOutcome* outcome)
{
    const TMxQuery* query = step.GetQuery();
    const TStepOutputs outputs = query ? StepOutputs(query->Interactive(), query->OptionsPrintAuto(), query->OptionsDumpTables()) : soAll;
    return ExecuteStepPhase(step, outputs, IsReadByLaterStep(step), outcome) == srDone;
}

bool RunQueryFile(const QString& fileName, TRunOutcome* given)
{
    TOutcomeRef outcome(given);
    // What the load tells is the load's: a damaged file read in part.
    std::optional<TRunMessageTap> own;
    TRunMessageTap* tap = outcome->Tap();
    if (!tap)
        tap = &own.emplace(*outcome, TRunPhase::Load);
    tap->SetPhase(TRunPhase::Load);
    TItemPtr<TMxQuery> query(new TMxQuery(nullptr));
    recording(*outcome, [&] {
        query->LoadFromFile(fileName);
        tap->SetPhase(TRunPhase::Steps);
        query->SetInteractive(false);
        runQuery(*query, *outcome);
    });
    return outcome->End() == TRunEnd::Success;
}

} // namespace mx
