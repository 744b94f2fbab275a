// Running queries: the order of the driver calls, the destinations each
// kind of run feeds, results chained from step to step, failures that are
// reported and never taken for success, and the life of the results.

#include "runfixture.h"

#include "tests/support/samplemodel.h"

#include "engine/core/exceptions.h"
#include "engine/destination/destinationtype.h"
#include "engine/destination/querydestination.h"
#include "engine/driver/dataset.h"
#include "engine/global/queryglobal.h"
#include "engine/model/datamodel.h"
#include "engine/model/database.h"
#include "engine/model/domain.h"
#include "engine/model/formula.h"
#include "engine/model/paramcontrol.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"
#include "engine/query/query.h"
#include "engine/run/queryrun.h"
#include "engine/tools/hooks.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace mx;
using runtest::Log;
using runtest::RunTest;
using runtest::Statements;

namespace {

constexpr int kClient = mxtest::SampleModel::ClientId;
constexpr int kOrder = mxtest::SampleModel::CommandeId;

void filterEquals(TMxQueryField* field, const QString& value)
{
    TMxFormula* f = field->FormulaList()->AddNew();
    f->SetOperator(foConst);
    f->SetFieldName(value);
    f->SetLongTypeId(u'A');
}

QStringList only(const QStringList& log, const QString& prefix)
{
    QStringList out;
    for (const QString& line : log)
        if (line.startsWith(prefix))
            out << line;
    return out;
}

} // namespace

TEST_F(RunTest, ViewsAreDroppedLastToFirstThenStepsRunFirstToLastAndTheSecondReadsTheFirst)
{
    REQUIRE_DRIVER();
    NewQuery();
    TMxQueryStep* first = m_query->Steps()->Items(0);
    Add(first, kClient, QStringLiteral("NOM"));
    Add(first, kClient, QStringLiteral("VILLE"));
    first->Destinations()->SetGenerateView(true);
    TMxQueryStep* second = AddStep();
    second->Destinations()->SetGenerateView(true);
    Add(second, -first->Id(), QStringLiteral("Nom"))->SetSortRange(0);
    filterEquals(Add(second, -first->Id(), QStringLiteral("Ville")), QStringLiteral("Paris"));

    ExecuteQuery(m_query);

    EXPECT_EQ(only(Log(), QStringLiteral("drop")), (QStringList{"drop _MX___2", "drop _MX___1"}));
    EXPECT_EQ(only(Log(), QStringLiteral("run")), (QStringList{"run _MX___1", "run _MX___2"}));
    EXPECT_LT(Log().indexOf(QStringLiteral("drop _MX___1")), Log().indexOf(QStringLiteral("run _MX___1")));
    EXPECT_EQ(Rows(second), (QStringList{"Dupré|Paris", "Lefèvre|Paris"}));
    EXPECT_EQ(Rows(first).size(), 6);
    EXPECT_TRUE(m_service.messages.isEmpty()) << m_service.messages.join(u'\n').toStdString();
}

TEST_F(RunTest, TheOptionsDecideWhatAnInteractiveRunSendsAndAnUnattendedRunSendsEverything)
{
    REQUIRE_DRIVER();
    const QStringList all{"export Fichier OUT.TXT", "export Table OUT.DBF", "print Rapport OUT.QRP"};
    const QStringList files{"export Fichier OUT.TXT", "export Table OUT.DBF"};
    struct Case {
        bool interactive, printAuto, dumpTables;
        QStringList sent;
    };
    const Case cases[] = {
        {false, false, false, all}, {false, false, true, all}, {false, true, false, all}, {false, true, true, all},
        {true, true, false, all}, {true, true, true, all}, {true, false, true, files}, {true, false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "interactive " << c.interactive << " printAuto " << c.printAuto << " dumpTables "
                                        << c.dumpTables);
        NewQuery();
        TMxQueryStep* step = m_query->Steps()->Items(0);
        Add(step, kClient, QStringLiteral("NOM"));
        for (const char* type : {"Fichier", "Table", "Rapport"})
            SendTo(step, QString::fromLatin1(type), QStringLiteral("OUT"));
        m_query->SetInteractive(c.interactive);
        m_query->SetOptionsPrintAuto(c.printAuto);
        m_query->SetOptionsDumpTables(c.dumpTables);
        Log().clear();
        ExecuteQuery(m_query);
        QStringList sent = only(Log(), QStringLiteral("export")) + only(Log(), QStringLiteral("print"));
        EXPECT_EQ(sent, c.sent);
        EXPECT_NE(step->Dataset(), nullptr) << "the result stays with the step, sent or not";
    }
    EXPECT_EQ(StepOutputs(true, false, true), soFileOutputs);
}

TEST_F(RunTest, ACancelledPromptRunsNothingAndDropsNothing)
{
    NewQuery();
    TMxQueryStep* step = m_query->Steps()->Items(0);
    Add(step, kClient, QStringLiteral("NOM"));
    step->Destinations()->SetGenerateView(true);
    m_query->ParamControls()->AddNew()->SetName(QStringLiteral("Ville"));

    // without a prompter, and with one the user cancels
    for (bool withPrompter : {false, true}) {
        SCOPED_TRACE(withPrompter);
        int asked = 0;
        decltype(ParamsPrompterHook)::Fn cancel = nullptr;
        if (withPrompter)
            cancel = [&](TMxDataModel*, const QString&, bool& ok, TStrings*, TMxParamControlList*, bool) {
                ++asked;
                ok = false;
            };
        ScopedHook prompter(ParamsPrompterHook, cancel);
        try {
            ExecuteQuery(m_query);
            ADD_FAILURE() << "the run went on";
        } catch (const EMxAbort& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Abandon par l'utilisateur"));
        }
        EXPECT_EQ(asked, withPrompter ? 1 : 0);
        EXPECT_TRUE(Log().isEmpty()) << Log().join(u", ").toStdString();
    }
}

TEST_F(RunTest, ARefusedDatabaseFailsItsStepAndTheStepsReadingItWhileTheOthersRun)
{
    REQUIRE_DRIVER();
    NewQuery();
    // CLIENT lies in a second database, which refuses the connection.
    const QString refused = Path(QStringLiteral("refus.sqlite"));
    QFile::copy(DatabaseFile(), refused);
    // The later steps' models are copies of the first step's.
    TMxDataModel* model = m_query->Steps()->Items(0)->DataModel();
    auto* db = new TMxDatabaseItem(model->Databases());
    db->SetName(refused);
    db->SetDriverName(QStringLiteral("STANDARD"));
    model->Tables()->FindById(kClient)->SetDatabase(refused);
    runtest::RefuseDatabase(QStringLiteral("refus"));

    TMxQueryStep* clients = m_query->Steps()->Items(0);
    Add(clients, kClient, QStringLiteral("NOM"));
    SendTo(clients, QStringLiteral("Table"), Path(QStringLiteral("CLIENTS")));
    TMxQueryStep* orders = AddStep();
    Add(orders, kOrder, QStringLiteral("NUMCDE"));
    SendTo(orders, QStringLiteral("Fichier"), Path(QStringLiteral("COMMANDES")));
    TMxQueryStep* reader = AddStep();
    Add(reader, -clients->Id(), QStringLiteral("Nom"));
    SendTo(reader, QStringLiteral("Fichier"), Path(QStringLiteral("LECTEUR")));

    try {
        ExecuteQuery(m_query);
        ADD_FAILURE() << "a failed run passed for a successful one";
    } catch (const EMxRunFailed& e) {
        EXPECT_TRUE(e.message().contains(u"Etape 1 : aucun résultat")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(u"Etape 3 : non exécutée")) << e.message().toStdString();
        EXPECT_FALSE(e.message().contains(u"Etape 2")) << e.message().toStdString();
    }
    EXPECT_EQ(clients->Dataset(), nullptr);
    EXPECT_EQ(reader->Dataset(), nullptr);
    ASSERT_NE(orders->Dataset(), nullptr);
    EXPECT_EQ(orders->Dataset()->GetRecordCount(), 10);
    EXPECT_EQ(only(Log(), QStringLiteral("run")).size(), 1) << Log().join(u", ").toStdString();
    EXPECT_EQ(only(Log(), QStringLiteral("export")), (QStringList{"export Fichier COMMANDES.TXT"}));
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("CLIENTS.DBF"))));
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("LECTEUR.TXT"))));
}

TEST_F(RunTest, TheTableALaterStepReadsIsWrittenWhateverTheOptionsAndNeverReadStale)
{
    REQUIRE_DRIVER();
    // A file of yesterday's run, with other rows.
    {
        NewQuery();
        TMxQueryStep* old = m_query->Steps()->Items(0);
        Add(old, kOrder, QStringLiteral("NUMCDE"))->SetFullName(QStringLiteral("Nom"));
        SendTo(old, QStringLiteral("Table"), Path(QStringLiteral("ETAPE1")));
        ExecuteQuery(m_query);
        ASSERT_TRUE(QFile::exists(Path(QStringLiteral("ETAPE1.DBF"))));
    }
    for (bool exportFails : {false, true}) {
        SCOPED_TRACE(exportFails);
        NewQuery();
        m_query->SetInteractive(true);
        m_query->SetOptionsPrintAuto(false);
        m_query->SetOptionsDumpTables(false);
        TMxQueryStep* first = m_query->Steps()->Items(0);
        Add(first, kClient, QStringLiteral("NOM"));
        filterEquals(Add(first, kClient, QStringLiteral("VILLE")), QStringLiteral("Paris"));
        SendTo(first, QStringLiteral("Table"), Path(QStringLiteral("ETAPE1")));
        SendTo(first, QStringLiteral("Fichier"), Path(QStringLiteral("ETAPE1")));
        TMxQueryStep* second = AddStep();
        Add(second, -first->Id(), QStringLiteral("Nom"))->SetSortRange(0);
        runtest::FailExports(exportFails ? QStringLiteral("Table") : QString());
        Log().clear();

        if (!exportFails) {
            ExecuteQuery(m_query);
            EXPECT_EQ(only(Log(), QStringLiteral("export")), (QStringList{"export Table ETAPE1.DBF"}))
                << "only the table the second step reads; the options send nothing else";
            EXPECT_EQ(Rows(second), (QStringList{"Dupré", "Lefèvre"}));
            // a step run on its own also writes the table a later step reads
            Log().clear();
            EXPECT_TRUE(ExecuteStep(*first));
            EXPECT_EQ(only(Log(), QStringLiteral("export")), (QStringList{"export Table ETAPE1.DBF"}));
        } else {
            EXPECT_THROW(ExecuteQuery(m_query), EMxRunFailed);
            EXPECT_EQ(only(Log(), QStringLiteral("run")).size(), 1) << "the second step does not read the old file";
            EXPECT_EQ(second->Dataset(), nullptr);
            ASSERT_FALSE(m_service.messages.isEmpty());
            EXPECT_TRUE(m_service.messages.last().contains(u"ETAPE1.DBF")) << m_service.messages.last().toStdString();
        }
    }
}

TEST_F(RunTest, DatabasesAreOpenedOnceEachAndTablesWithoutADatabaseItemAreSkipped)
{
    REQUIRE_DRIVER();
    struct Case {
        bool withItem;
        int opens;
    };
    for (const Case c : {Case{true, 1}, Case{false, 0}}) {
        SCOPED_TRACE(c.withItem);
        NewQuery();
        if (!c.withItem) {
            for (TMxItem* s : *m_query->Steps())
                static_cast<TMxQueryStep*>(s)->DataModel()->Databases()->Clear();
        }
        TMxQueryStep* step = m_query->Steps()->Items(0);
        Add(step, kClient, QStringLiteral("NOM"));
        Add(step, kOrder, QStringLiteral("MONTANT"))->SetTotal(QStringLiteral("sum"));
        Log().clear();
        ExecuteQuery(m_query);
        EXPECT_EQ(only(Log(), QStringLiteral("open")).size(), c.opens) << Log().join(u", ").toStdString();
        EXPECT_EQ(Rows(step).size(), 6) << "the main database is opened with the statement";
    }
}

TEST_F(RunTest, TheStatementReachesTheDriverWhole)
{
    REQUIRE_DRIVER();
    NewQuery();
    TMxQueryStep* step = m_query->Steps()->Items(0);
    Add(step, kClient, QStringLiteral("NOM"));
    const QString longName = QString(290, u'é') + QStringLiteral("fin");
    filterEquals(Add(step, kClient, QStringLiteral("VILLE")), longName);
    ExecuteQuery(m_query);
    ASSERT_EQ(Statements().size(), 1);
    EXPECT_TRUE(Statements()[0].contains(longName));
    ASSERT_NE(step->Dataset(), nullptr) << "the statement ran";
    EXPECT_EQ(step->Dataset()->GetRecordCount(), 0);
}

TEST_F(RunTest, AResultLivesUntilTheNextRunTheViewRemovalOrTheQueryGoes)
{
    REQUIRE_DRIVER();
    NewQuery();
    TMxQueryStep* step = m_query->Steps()->Items(0);
    Add(step, kClient, QStringLiteral("NOM"));
    ExecuteQuery(m_query);
    ASSERT_NE(step->Dataset(), nullptr);
    EXPECT_EQ(only(Log(), QStringLiteral("free")).size(), 0);

    ExecuteQuery(m_query);
    EXPECT_EQ(only(Log(), QStringLiteral("free")).size(), 1) << "the next run frees the former result";
    DropStepView(*step);
    EXPECT_EQ(step->Dataset(), nullptr);
    EXPECT_EQ(only(Log(), QStringLiteral("free")).size(), 2);

    ExecuteQuery(m_query);
    TMxItem::Free(m_query);
    m_query = nullptr;
    EXPECT_EQ(only(Log(), QStringLiteral("free")).size(), 3) << "the query's end frees its results";
}

TEST_F(RunTest, AQueryFileRunsUnattendedWithEveryDestinationAndTheChecksComeFirst)
{
    REQUIRE_DRIVER();
    NewQuery();
    const QString model = Path(QStringLiteral("DEMO.MDD"));
    // A model that loads without a word: a set naming a missing group
    // would fail the run.
    for (TMxItem* d : *m_query->DataModel()->Domains())
        if (TMxItem* gone = static_cast<TMxDomain*>(d)->Groups()->FindByName(QStringLiteral("Disparus")))
            gone->Free();
    m_query->DataModel()->SaveToFile(model);
    m_query->SetDmFilename(model);
    TMxQueryStep* step = m_query->Steps()->Items(0);
    Add(step, kClient, QStringLiteral("NOM"));
    SendTo(step, QStringLiteral("Table"), QStringLiteral("CLIENTS"));
    SendTo(step, QStringLiteral("Rapport"), QStringLiteral("CLIENTS"));
    m_query->SetInteractive(true);
    m_query->SetOptionsDumpTables(false);
    m_query->SaveToFile(Path(QStringLiteral("CLIENTS.MQR")));

    // a login is asked for: the model has users
    ScopedHook login(LoginPromptHook, [](const QString&, QString& user, QString& password) {
        user = QStringLiteral("Admin");
        password = QStringLiteral("secret");
        return true;
    });
    Log().clear();
    TRunOutcome outcome;
    EXPECT_TRUE(RunQueryFile(Path(QStringLiteral("CLIENTS.MQR")), &outcome));
    EXPECT_TRUE(outcome.Messages().empty()) << outcome.Messages().front().text.toStdString();
    EXPECT_EQ(only(Log(), QStringLiteral("export")) + only(Log(), QStringLiteral("print")),
        (QStringList{"export Table CLIENTS.DBF", "print Rapport CLIENTS.QRP"}));
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("CLIENTS.DBF")))) << "a bare name goes into the private folder";

    // No field checked: nothing runs.
    step->AllFields()->Items(0)->SetChecked(false);
    Log().clear();
    try {
        ExecuteQuery(m_query);
        ADD_FAILURE() << "ran without a field";
    } catch (const EMxAbort& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Etape 1: Aucun champ n'est sélectionné."));
    }
    EXPECT_TRUE(only(Log(), QStringLiteral("run")).isEmpty());
}

TEST_F(RunTest, AReportThatCannotBePrintedIsSaidPlainlyAndTheFilesAreStillWritten)
{
    REQUIRE_DRIVER();
    TDestinationItem* report = DestinationTypes()->AddNew();
    report->SetName(QStringLiteral("Etat"));
    report->SetOutput(doReport);
    report->SetExtension(QStringLiteral("QRP"));
    report->SetDllName(QStringLiteral("ETATS_ABSENTS"));
    NewQuery();
    TMxQueryStep* step = m_query->Steps()->Items(0);
    Add(step, kClient, QStringLiteral("NOM"));
    SendTo(step, QStringLiteral("Etat"), QStringLiteral("CLIENTS"));
    SendTo(step, QStringLiteral("Fichier"), QStringLiteral("CLIENTS"));

    try {
        ExecuteQuery(m_query);
        ADD_FAILURE() << "an unprinted report passed for a printed one";
    } catch (const EMxRunFailed& e) {
        EXPECT_TRUE(e.message().contains(u"Etape 1 : une destination n'a pas été servie")) << e.message().toStdString();
    }
    EXPECT_EQ(only(Log(), QStringLiteral("export")), (QStringList{"export Fichier CLIENTS.TXT"}));
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("CLIENTS.TXT"))));
    ASSERT_EQ(m_service.messages.size(), 1) << m_service.messages.join(u'\n').toStdString();
    EXPECT_TRUE(m_service.messages[0].startsWith(u"Etape 1 : le rapport CLIENTS n'a pas été imprimé : "))
        << m_service.messages[0].toStdString();
    EXPECT_NE(step->Dataset(), nullptr) << "the result is still there to be shown";
}

// The built-in table copy tells its failure and returns: that failure is
// its send's, its step's and the run's, with the driver's words, and the
// other destinations are still written.
TEST_F(RunTest, AFailedTableCopyFailsItsSendItsStepAndTheRun)
{
    REQUIRE_DRIVER();
    TDestinationItem* dbase = DestinationTypes()->AddNew();
    dbase->SetName(QStringLiteral("dBASE"));
    dbase->SetOutput(doTable);
    dbase->SetExtension(QStringLiteral("DBF"));
    dbase->SetDllName(QStringLiteral("MX32BDE"));
    NewQuery();
    TMxQueryStep* step = m_query->Steps()->Items(0);
    Add(step, kClient, QStringLiteral("NOM"));
    // a file stands where the copy's folder should be
    mxtest::WriteAll(Path(QStringLiteral("fichier")), "x");
    SendTo(step, QStringLiteral("dBASE"), Path(QStringLiteral("fichier/CLIENTS")));
    SendTo(step, QStringLiteral("Fichier"), QStringLiteral("CLIENTS"));

    TRunOutcome outcome;
    try {
        ExecuteQuery(m_query, &outcome);
        ADD_FAILURE() << "a failed copy passed for a written one";
    } catch (const EMxRunFailed& e) {
        EXPECT_TRUE(e.message().contains(u"Etape 1 : une destination n'a pas été servie")) << e.message().toStdString();
    }
    EXPECT_EQ(outcome.End(), TRunEnd::Failed);
    ASSERT_EQ(outcome.Steps().size(), 1u);
    const TStepOutcome& s = outcome.Steps()[0];
    EXPECT_EQ(s.result, srOutputFailed);
    ASSERT_EQ(s.sends.size(), 2u);
    EXPECT_EQ(s.sends[0].destination, QStringLiteral("Fichier"));
    EXPECT_TRUE(s.sends[0].ok);
    EXPECT_EQ(s.sends[1].destination, QStringLiteral("dBASE"));
    EXPECT_EQ(s.sends[1].fileName, Path(QStringLiteral("fichier/CLIENTS.DBF")));
    EXPECT_FALSE(s.sends[1].ok);
    EXPECT_TRUE(s.sends[1].message.contains(Path(QStringLiteral("fichier")))) << s.sends[1].message.toStdString();
    // told once, by the driver, in its words
    ASSERT_FALSE(m_service.messages.isEmpty());
    EXPECT_EQ(m_service.messages.filter(Path(QStringLiteral("fichier"))).size(), 1) << m_service.messages.join(u'\n').toStdString();
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("CLIENTS.TXT"))));
}

// A warning while the steps run is kept in the outcome and fails nothing;
// an error told on the way fails the run even when every step ended.
TEST_F(RunTest, TheOutcomeKeepsTheMessagesOfTheRunAndOnlyErrorsFailIt)
{
    REQUIRE_DRIVER();
    struct Case {
        TMsgDlgType type;
        TRunEnd end;
    };
    for (const Case c : {Case{TMsgDlgType::mtWarning, TRunEnd::Success}, Case{TMsgDlgType::mtError, TRunEnd::Failed}}) {
        NewQuery();
        TMxQueryStep* step = m_query->Steps()->Items(0);
        Add(step, kClient, QStringLiteral("NOM"));
        step->OnProgress = [type = c.type](const QString&) { UserService().MessageDlg(QStringLiteral("en route"), type, mbOK); };
        TRunOutcome outcome;
        ExecuteQuery(m_query, &outcome);
        EXPECT_EQ(outcome.End(), c.end);
        ASSERT_EQ(outcome.Messages().size(), 1u);
        EXPECT_EQ(outcome.Messages()[0].text, QStringLiteral("en route"));
        EXPECT_EQ(outcome.Messages()[0].stepId, step->Id());
        EXPECT_EQ(m_service.messages.last(), QStringLiteral("en route")) << "still told to the user";
    }
}

namespace {

// The fields of a dBASE file's header, each its type letter and length
// ("C20", "D8").
QStringList dbfFields(const QString& fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return {QStringLiteral("cannot open ") + fileName};
    const QByteArray b = f.readAll();
    QStringList out;
    for (qsizetype at = 32; at + 32 <= b.size() && b[at] != '\x0D'; at += 32)
        out << QChar(QLatin1Char(b[at + 11])) + QString::number(quint8(b[at + 16]));
    return out;
}

} // namespace

TEST_F(RunTest, ATotalKeepsItsFieldsTypeWhateverTheDatabaseSaysOfTheExpression)
{
    REQUIRE_DRIVER();
    NewQuery();
    TMxQueryStep* step = m_query->Steps()->Items(0);
    // Grouped by town: the first group (no town) has one client, without
    // a birth date, so the first row's minimum is null.
    Add(step, kClient, QStringLiteral("VILLE"));
    Add(step, kClient, QStringLiteral("DATENAIS"))->SetTotal(QStringLiteral("min"));
    Add(step, kClient, QStringLiteral("NOM"))->SetTotal(QStringLiteral("max"));
    Add(step, kClient, QStringLiteral("NUMCLI"))->SetTotal(QStringLiteral("count"));
    SendTo(step, QStringLiteral("Table"), Path(QStringLiteral("TOTAUX")));
    ExecuteQuery(m_query);

    TIMxDataset* ds = step->Dataset();
    ASSERT_TRUE(ds);
    struct Column {
        const char* typeName;
        int size;
    };
    const Column expected[] = {{"ALPHA", 20}, {"DATE", 0}, {"ALPHA", 40}, {"NUMBER", 0}};
    ASSERT_EQ(ds->GetFieldCount(), 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ds->GetFieldTypeName(i), QString::fromLatin1(expected[i].typeName));
        EXPECT_EQ(ds->GetFieldSize(i), expected[i].size);
    }
    // the copy has a date field and strings of the field's width, no memo
    EXPECT_EQ(dbfFields(Path(QStringLiteral("TOTAUX.DBF"))), (QStringList{"C20", "D8", "C40", "N11"}));
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("TOTAUX.DBT"))));
    // the grid shows the minimum as a date of the dialect, as the field itself
    const QStringList rows = Rows(step);
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0], QStringLiteral("||O'Brien|1"));
    const QStringList paris = rows.filter(QStringLiteral("Paris|"));
    ASSERT_EQ(paris.size(), 1);
    const QString minimum = paris[0].section(u'|', 1, 1);
    EXPECT_NE(minimum, QStringLiteral("1985-12-24"));
    EXPECT_TRUE(minimum.contains(u"1985") && minimum.contains(u"24")) << minimum.toStdString();
}
