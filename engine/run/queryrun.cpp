#include "queryrun.h"

#include "core/file.h"
#include "bde/bdedataset.h"
#include "bde/bdedestdrivers.h"
#include "core/userservice.h"
#include "destination/querydestination.h"
#include "driver/dbengine.h"
#include "driver/driver.h"
#include "model/database.h"
#include "model/paramcontrol.h"
#include "model/queryfield.h"
#include "model/table.h"
#include "query/query.h"
#include "settings/global.h"
#include "tools/hooks.h"
#include "tools/messages.h"

#include <QFile>

#include <sys/stat.h>

#include <memory>
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

// One destination operation; a failure is told and the others still go.
bool sendOne(TMxQueryStep& step, TQueryDestinationItem* destination, bool print)
{
    try {
        if (print)
            destination->Print(step.Dataset());
        else
            destination->Export(step.Dataset());
        return true;
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        const QString what = print
            ? TranslateFmt(QStringLiteral("%s : le rapport %s n'a pas été imprimé : %s"),
                  {step.GetName(), destination->FileName(), ExceptionMessage(e)})
            : TranslateFmt(QStringLiteral("%s : la destination %s n'a pas été écrite : %s"),
                  {step.GetName(), destination->FileName(), ExceptionMessage(e)});
        UserService().MessageDlg(what, TMsgDlgType::mtError, mbOK);
        return false;
    }
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

struct TStepOutcome {
    TMxQueryStep* step = nullptr;
    TStepRunResult result = srDone;
    QString missingInput; // the name of the step whose result was missing
};

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

void ExecuteQuery(TMxQuery* query)
{
    if (!query)
        throw EMxInternal(QStringLiteral("ExecuteQuery: no query"));
    if (!PromptQueryParams(*query))
        throw EMxAbort(Translate(QStringLiteral("Abandon par l'utilisateur")));
    query->Execute();
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
    d.DropView(step.MainDatabase(), view, QString(), QString());
}

TStepRunResult ExecuteStepPhase(TMxQueryStep& step, TStepOutputs outputs, bool inputTable)
{
    TBusyCursor busy;
    progress(step, TranslateFmt(QStringLiteral("Exécution de l'extraction phase %d"), {step.Id()}));
    TIMxDriver& d = driver();
    step.FreeDataset();

    // Each database once; a table whose database the model does not list
    // has no entry to open here (the main database is opened with the SQL).
    QStringList opened;
    for (const TMxDatabaseItem* db : step.Databases()) {
        if (!db || opened.contains(db->Name(), Qt::CaseInsensitive))
            continue;
        if (!d.OpenDatabase(db->Name(), db->UserName(), db->Password()))
            return srNoResult;
        opened << db->Name();
    }

    TQueryDestinationList* destinations = step.Destinations();
    const QString view = destinations->GenerateView() ? destinations->GetViewName() : QString();
    // The statement whole: its lines as the generator wrote them, however long.
    TIMxDataset* dataset = d.ExecuteQuery(step.SQL()->Text(), QString(), QString(), view, step.MainDatabase());
    if (!dataset)
        return srNoResult;
    step.SetDataset(dataset);

    // A later step reads this result from a table file: that file is its
    // input and is written whatever the options say, and it must be the
    // file of this run, not one left by an earlier run.
    TQueryDestinationItem* input = inputTable && !destinations->GenerateView() ? inputTableDestination(step) : nullptr;
    const QString inputFile = input ? step.GetResultName() : QString();
    const TFileStamp before = input ? TFileStamp::of(inputFile) : TFileStamp();

    // The table files the built-in engine writes for this step, in one pass.
    auto* tables = dynamic_cast<TMxBdeDataset*>(dataset);
    if (tables) {
        QStringList names;
        for (int i = 0; i < destinations->Count(); ++i) {
            TQueryDestinationItem* item = destinations->Items(i);
            if (!((outputs != soNone && isOutput(item, true)) || item == input))
                continue;
            try {
                TDestinationItem* type = item->FindDestinationType();
                if (type && dynamic_cast<TMxTableDestDriver*>(type->GetDriver().get()))
                    names << type->MakeFileName(item->GetFileName());
            } catch (const std::exception&) {
                // told when the destination is sent
            }
        }
        tables->ExpectTables(names);
    }

    bool ok = true;
    bool inputSent = false;
    if (outputs != soNone) {
        for (int i = 0; i < destinations->Count(); ++i) {
            TQueryDestinationItem* item = destinations->Items(i);
            if (isOutput(item, true)) {
                ok = sendOne(step, item, false) && ok;
                inputSent = inputSent || item == input;
            }
        }
    }
    if (input && !inputSent)
        ok = sendOne(step, input, false) && ok;
    if (tables)
        tables->ExpectTables({});
    if (outputs == soAll) {
        for (int i = 0; i < destinations->Count(); ++i) {
            TQueryDestinationItem* item = destinations->Items(i);
            if (isOutput(item, false))
                ok = sendOne(step, item, true) && ok;
        }
    }
    if (input) {
        const TFileStamp after = TFileStamp::of(inputFile);
        if (!after.exists || after == before) {
            UserService().MessageDlg(TranslateFmt(QStringLiteral("%s : le résultat n'a pas pu être écrit dans %s."),
                                         {step.GetName(), inputFile}),
                TMsgDlgType::mtError, mbOK);
            return srInputNotWritten;
        }
    }
    return ok ? srDone : srOutputFailed;
}

void ExecuteQuerySteps(TMxQuery& query)
{
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
    std::vector<TStepOutcome> outcomes;
    for (int i = 0; i < steps->Count(); ++i) {
        TMxQueryStep* step = steps->Items(i);
        TStepOutcome outcome;
        outcome.step = step;
        for (int id : inputs[size_t(i)]) {
            for (const TStepOutcome& earlier : outcomes) {
                if (earlier.step->Id() == id && (earlier.result != srDone && earlier.result != srOutputFailed)) {
                    outcome.result = srInputFailed;
                    outcome.missingInput = earlier.step->GetName();
                }
            }
        }
        if (outcome.result != srInputFailed) {
            outcome.result = ExecuteStepPhase(*step, outputs, readByLater.count(step->Id()) > 0);
        }
        outcomes.push_back(outcome);
    }

    QStringList failures;
    for (const TStepOutcome& o : outcomes) {
        const QString name = o.step->GetName();
        switch (o.result) {
        case srDone:
            break;
        case srNoResult:
            failures << TranslateFmt(QStringLiteral("%s : aucun résultat (la base de données ou la requête a échoué)."), {name});
            break;
        case srInputFailed:
            failures << TranslateFmt(QStringLiteral("%s : non exécutée, car le résultat de %s, qu'elle lit, manque."),
                {name, o.missingInput});
            break;
        case srInputNotWritten:
            failures << TranslateFmt(QStringLiteral("%s : le résultat lu par les étapes suivantes n'a pas été écrit."), {name});
            break;
        case srOutputFailed:
            failures << TranslateFmt(QStringLiteral("%s : une destination n'a pas été servie."), {name});
            break;
        }
    }
    if (!failures.isEmpty())
        throw EMxRunFailed(Translate(QStringLiteral("La requête ne s'est pas exécutée entièrement :")) + u'\n'
            + failures.join(u'\n'));
}

bool RunQueryFile(const QString& fileName)
{
    std::unique_ptr<TMxQuery, void (*)(TMxQuery*)> query(new TMxQuery(nullptr), [](TMxQuery* q) { q->Free(); });
    query->LoadFromFile(fileName);
    query->SetInteractive(false);
    ExecuteQuery(query.get());
    return true;
}

} // namespace mx
