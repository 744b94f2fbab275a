// The start-up dispatch of the query program and the unattended run's
// outcome, with the shared start-up, the run and the designer replaced.

#include "query/unattended/commandlinerun.h"
#include "query/startup/querystart.h"

#include "engine/core/exceptions.h"
#include "engine/core/file.h"
#include "engine/core/userservice.h"
#include "engine/run/queryrun.h"
#include "engine/settings/startparams.h"
#include "engine/tools/commandline.h"
#include "engine/tools/hooks.h"

#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

using namespace mx;

namespace {

// Counts failures as the unattended service does, and records the texts.
class CountingService : public TUserService {
public:
    int MessageDlg(const QString& text, TMsgDlgType type, int buttons) override
    {
        messages << text;
        types << type;
        if (type == TMsgDlgType::mtError || type == TMsgDlgType::mtWarning)
            countFailure();
        return buttons & mbCancel ? mrCancel : mrOk;
    }
    QStringList messages;
    QList<TMsgDlgType> types;
};

class CommandLine {
public:
    explicit CommandLine(const QStringList& args)
    {
        SetCommandLineArguments(args);
        ResetStartParams();
    }
    ~CommandLine()
    {
        ClearCommandLineArguments();
        ResetStartParams();
    }
};

struct Calls {
    int init = 0;
    int server = 0;
    int serving = 0;
    int runs = 0;
    int designers = 0;
    QString model;
    QString query;
};

TQueryProgramParts recordingParts(Calls& calls, bool initOk = true)
{
    TQueryProgramParts p;
    p.InitApplication = [&calls, initOk] {
        ++calls.init;
        return initOk;
    };
    p.CreateServer = [&calls] { ++calls.server; };
    p.StartServer = [&calls] { ++calls.serving; };
    p.RunCommandLineQuery = [&calls] {
        ++calls.runs;
        calls.query = StartParams().Values(QStringLiteral("Param0"));
        return 0;
    };
    p.OpenDesigner = [&calls](const QString& model, const QString& query) {
        ++calls.designers;
        calls.model = model;
        calls.query = query;
        return 0;
    };
    return p;
}

QString bare(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

} // namespace

TEST(QueryDispatch, ChoosesTheModeFromTheCommandLine)
{
    struct Case {
        QStringList args;
        bool unattended;
        QString model; // file name without folder
        QString query;
    };
    const Case cases[] = {
        {{"/EXE", "q.MQR"}, true, "", "q.MQR"},
        {{"/EXE", "/tmp/requetes/q.MQR"}, true, "", "q.MQR"}, // an absolute path is a file, not a switch
        {{"-EXE", "TRUE", "/tmp/requetes/q.MQR"}, true, "", "q.MQR"},
        {{"/exe", "q.MQR"}, true, "", "q.MQR"},
        {{"-EXE", "TRUE", "q.MQR"}, true, "", "q.MQR"},
        {{"-EXE", "true", "q.MQR"}, true, "", "q.MQR"},
        {{"-EXE", "FALSE", "q.MQR"}, false, "", "q.MQR"},
        {{"a.MDD", "b.MQR"}, false, "a.MDD", ""},
        {{"b.mqr"}, false, "", "b.mqr"},
        {{}, false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        CommandLine line(c.args);
        Calls calls;
        EXPECT_EQ(StartQueryProgram(recordingParts(calls)), 0);
        EXPECT_EQ(calls.init, 1);
        EXPECT_EQ(calls.server, 1) << "the server window exists in every mode";
        EXPECT_EQ(calls.serving, c.unattended ? 0 : 1) << "a one-shot run never takes the socket of a running program";
        EXPECT_EQ(calls.runs, c.unattended ? 1 : 0);
        EXPECT_EQ(calls.designers, c.unattended ? 0 : 1);
        EXPECT_EQ(bare(calls.model), c.model);
        EXPECT_EQ(bare(calls.query), c.query);
        if (!c.query.isEmpty()) {
            EXPECT_TRUE(calls.query.startsWith(u'/')) << "file arguments are made absolute";
        }
    }
}

TEST(QueryDispatch, AFailedStartUpEndsAtOnceWithAFailureStatus)
{
    CommandLine line({"/EXE", "q.MQR"});
    Calls calls;
    EXPECT_EQ(StartQueryProgram(recordingParts(calls, false)), rsFailed);
    EXPECT_EQ(calls.server + calls.runs + calls.designers, 0);
}

// ---- the outcome of an unattended run -----------------------------------

TEST(UnattendedRun, TellsSuccessOnlyWhenNothingFailed)
{
    auto steps = [](TRunOutcome& o) { o.Tap()->SetPhase(TRunPhase::Steps); };
    struct Case {
        const char* what;
        std::function<void(TRunOutcome&)> run;
        int status;
    };
    const Case cases[] = {
        {"success", [](TRunOutcome&) {}, rsSuccess},
        {"cancelled prompt",
            [](TRunOutcome& o) {
                o.Cancel(QStringLiteral("Abandon par l'utilisateur"));
                throw EMxAbort(QStringLiteral("Abandon par l'utilisateur"));
            },
            rsCancelled},
        {"silent abort of a login", [](TRunOutcome&) { throw EAbort(QStringLiteral("Operation aborted")); }, rsCancelled},
        {"a step without result", [](TRunOutcome&) { throw EMxRunFailed(QStringLiteral("Etape 1 : aucun résultat")); }, rsFailed},
        {"missing file", [](TRunOutcome&) { throw EMxFileNotFound(QStringLiteral("File not found x.MQR")); }, rsFailed},
        {"other error", [](TRunOutcome&) { throw std::runtime_error("boom"); }, rsFailed},
        // The run raises these with the class of a cancel; nobody cancelled.
        {"an empty query", [](TRunOutcome&) { throw EMxAbort(QStringLiteral("Query is empty")); }, rsFailed},
        {"no field checked",
            [](TRunOutcome&) { throw EMxAbort(QStringLiteral("Etape 1: Aucun champ n'est sélectionné.")); }, rsFailed},
        {"an error reported on the way",
            [steps](TRunOutcome& o) {
                steps(o);
                UserService().MessageDlg(QStringLiteral("Erreur lors de l'éxecution de la requête : x"), TMsgDlgType::mtError, mbOK);
            },
            rsFailed},
        {"a warning while the file loads: read in part",
            [](TRunOutcome&) { UserService().Warning(QStringLiteral("Invalid property value")); }, rsFailed},
        {"a warning while the steps run", [steps](TRunOutcome& o) {
             steps(o);
             UserService().Warning(QStringLiteral("Le champ X n'existe pas dans le modèle de données"));
         },
            rsSuccess},
        // A damaged model that asks for a login nobody can give has failed.
        {"a login refused after a load read in part",
            [](TRunOutcome& o) {
                UserService().Warning(QStringLiteral("Invalid property value"));
                o.Cancel(QStringLiteral("Accès à X.MDD : le modèle demande un nom d'utilisateur"));
                throw EMxAbort(QStringLiteral("Accès à X.MDD : le modèle demande un nom d'utilisateur"));
            },
            rsFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CountingService service;
        ScopedUserService scope(&service);
        int calls = 0;
        const int status = RunCommandLineQuery(QStringLiteral("/tmp/q.MQR"), [&](const QString& file, TRunOutcome& outcome) {
            ++calls;
            EXPECT_EQ(file, QStringLiteral("/tmp/q.MQR"));
            c.run(outcome);
        });
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(status, c.status);
        const bool success = service.messages.contains(QStringLiteral("Impression terminée."));
        EXPECT_EQ(success, c.status == rsSuccess) << service.messages.join(u" | ").toStdString();
        if (c.status != rsSuccess) {
            ASSERT_FALSE(service.messages.isEmpty());
            EXPECT_EQ(service.types.last(), TMsgDlgType::mtError);
            EXPECT_FALSE(service.messages.last().isEmpty()) << "a failure always says why";
            EXPECT_FALSE(service.messages.last().contains(u"Operation aborted")) << "the silent abort's text is nobody's";
        }
    }
}

TEST(UnattendedRun, WithoutAQueryFileSaysSoAndRunsNothing)
{
    for (const QString& name : {QString(), QStringLiteral("  ")}) {
        CountingService service;
        ScopedUserService scope(&service);
        bool ran = false;
        EXPECT_EQ(RunCommandLineQuery(name, [&](const QString&, TRunOutcome&) { ran = true; }), rsFailed);
        EXPECT_FALSE(ran);
        ASSERT_EQ(service.messages.size(), 1);
        EXPECT_TRUE(service.messages[0].contains(u"/EXE"));
    }
}

TEST(UnattendedRun, DialogsNobodyCanAnswerRefuseAtOnceAndComeBackAfterwards)
{
    // The user interface's dialogs, as a program with windows fills them.
    int asked = 0;
    ScopedHook login(LoginPromptHook, [&](const QString&, QString&, QString&) {
        ++asked;
        return true;
    });
    ScopedHook prompter(ParamsPrompterHook, [&](TMxDataModel*, const QString&, bool&, TStrings*, TMxParamControlList*, bool) { ++asked; });
    ScopedHook locate(LocateFileHook, [&](TMxFile*, QString&) {
        ++asked;
        return false;
    });

    struct Case {
        const char* what;
        std::function<void()> ask;
        const char* says;
    };
    const Case cases[] = {
        {"login",
            [] {
                QString user, password;
                LoginPromptHook(QStringLiteral("Accès à EXEMPLE.MDD"), user, password);
            },
            "Accès à EXEMPLE.MDD : le modèle demande un nom d'utilisateur"},
        {"parameters",
            [] {
                bool ok = true;
                ParamsPrompterHook(nullptr, QStringLiteral("Ventes"), ok, nullptr, nullptr, false);
            },
            "Ventes : la requête demande des paramètres"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CountingService service;
        ScopedUserService scope(&service);
        bool locateEmpty = false;
        const int status = RunCommandLineQuery(QStringLiteral("/tmp/q.MQR"), [&](const QString&, TRunOutcome&) {
            locateEmpty = !LocateFileHook;
            c.ask();
        });
        EXPECT_EQ(status, rsCancelled);
        EXPECT_TRUE(locateEmpty) << "no one can relocate a missing file";
        ASSERT_FALSE(service.messages.isEmpty());
        EXPECT_TRUE(service.messages.last().startsWith(QString::fromUtf8(c.says))) << service.messages.last().toStdString();
    }
    EXPECT_EQ(asked, 0);
    // The program's own dialogs are back once the run is over.
    QString user, password;
    EXPECT_TRUE(LoginPromptHook(QString(), user, password));
    EXPECT_EQ(asked, 1);
}
