// The server's operations on the bundled sample: loading under a name,
// running, walking the current step, choosing the step, closing; and the
// designer windows it finds through the registry, with a designer stand-in
// whose grid reads the result it is bound to.

#include "serverfixture.h"

#include "query/server/designerregistry.h"
#include "query/server/enginebusy.h"

#include "engine/core/hookslot.h"
#include "engine/core/item.h"
#include "engine/driver/dataset.h"
#include "engine/global/queryglobal.h"
#include "engine/model/datamodel.h"
#include "engine/model/paramcontrol.h"
#include "engine/query/query.h"
#include "engine/run/queryrun.h"
#include "engine/tools/hooks.h"

#include <gtest/gtest.h>

#include <QFile>

#include <climits>

using namespace mx;
using namespace mxtest;

namespace {

// A parameter control that asks nothing, so that a run goes through the
// parameter prompt.
void addPromptedControl(TMxQuery* query)
{
    auto* control = new TMxParamControl(query->ParamControls());
    control->SetKind(ckLabel);
}

// A designer window as the server sees it: its grid holds the result it
// is bound to and reads it when painted, as the real grid does.
class FakeDesigner : public TServedDesigner {
public:
    FakeDesigner(TDesignerRegistry& registry, const QString& file) : m_registration(this, registry)
    {
        if (file.isEmpty())
            return;
        m_query = new TMxQuery(nullptr);
        m_query->SetInteractive(true);
        m_query->LoadFromFile(file);
    }
    ~FakeDesigner() { TMxItem::Free(m_query); }

    TMxQuery* DesignerQuery() override { return m_query; }
    void RunDesignerQuery() override
    {
        ++runs;
        TEngineBusyScope busy;
        m_grid = nullptr;
        ExecuteQuery(m_query);
        m_grid = m_query->Steps()->Items(0)->Dataset();
    }
    void ShowDesigner() override { ++shown; }

    // What painting the grid's first row reads.
    QString Paint()
    {
        if (!m_grid)
            return QString();
        m_grid->First();
        return m_grid->GetFieldValue(1);
    }

    int runs = 0;
    int shown = 0;

private:
    TMxQuery* m_query = nullptr;
    TIMxDataset* m_grid = nullptr;
    TDesignerRegistration m_registration; // left first, before the query goes
};

} // namespace

TEST_F(ServerTest, LoadedQueryRunsAndWalksToTheRowsOfItsStatement)
{
    ASSERT_EQ(m_server->LoadQuery(QStringLiteral("ventes"), Sales(), QString(), QString()), 1);
    EXPECT_EQ(m_server->QueryNames(), QStringList{QStringLiteral("VENTES")}) << "names are kept upper-cased";
    ASSERT_EQ(m_server->RunQuery(QStringLiteral("Ventes")), 1) << "any case finds it";
    EXPECT_EQ(m_server->FieldCount(QStringLiteral("VENTES")), 3);

    const QList<QStringList> expected = SqliteRows(StepSql(Sales()));
    ASSERT_EQ(expected.size(), 30);
    EXPECT_EQ(Walk(QStringLiteral("vEnTeS")), expected);
    EXPECT_TRUE(m_server->IsEof(QStringLiteral("VENTES")));

    // A second run starts on the new result.
    ASSERT_EQ(m_server->RunQuery(QStringLiteral("VENTES")), 1);
    EXPECT_EQ(Walk(QStringLiteral("VENTES")), expected);
}

TEST_F(ServerTest, LoadRefusesTakenNamesAndFilesThatGiveNoQuery)
{
    ASSERT_EQ(m_server->LoadQuery(QStringLiteral("V"), Sales(), QString(), QString()), 1);

    auto* empty = new TMxQuery(nullptr);
    auto* model = new TMxDataModel(nullptr);
    model->LoadFromFile(SampleFile(QStringLiteral("EXEMPLE.MDD")));
    empty->SetDataModel(model, true);
    empty->SaveToFile(Path(QStringLiteral("VIDE.MQR")));
    empty->Free();
    WriteAll(Path(QStringLiteral("ABIME.MQR")), QByteArray("TPF0\x07garbage", 12));

    const qsizetype items = ItemManager().Count();
    struct Case {
        QString name;
        QString file;
    };
    const Case cases[] = {
        {QStringLiteral("v"), Loyal()},               // taken, whatever the case
        {QString(), Loyal()},                         // no name
        {QStringLiteral("E"), Path(QStringLiteral("VIDE.MQR"))}, // no step
        {QStringLiteral("M"), Path(QStringLiteral("ABSENT.MQR"))},
        {QStringLiteral("D"), Path(QStringLiteral("ABIME.MQR"))},
        {QStringLiteral("A"), SampleFile(QStringLiteral("EXEMPLE_ACCES.MDD"))}, // not a query
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString() + " " + c.file.toStdString());
        EXPECT_EQ(m_server->LoadQuery(c.name, c.file, QString(), QString()), 0);
    }
    EXPECT_EQ(m_server->QueryNames(), QStringList{QStringLiteral("V")});
    EXPECT_EQ(m_server->FindQuery(QStringLiteral("V"))->Steps()->Count(), 1) << "the first query stays";
    EXPECT_EQ(ItemManager().Count(), items) << "a refused load frees what it made";
}

TEST_F(ServerTest, LoadOpensAModelWithUsersWithTheLoginGiven)
{
    // The sales query beside the model that has users, under the name the
    // query gives its model.
    ASSERT_TRUE(QFile::copy(Sales(), Path(QStringLiteral("ACCES.MQR"))));
    ASSERT_TRUE(QFile::copy(SampleFile(QStringLiteral("EXEMPLE_ACCES.MDD")), Path(QStringLiteral("EXEMPLE.MDD"))));

    int asked = 0;
    ScopedHook login(LoginPromptHook, [&](const QString&, QString&, QString&) {
        ++asked;
        return false;
    });
    const QString file = Path(QStringLiteral("ACCES.MQR"));
    EXPECT_EQ(m_server->LoadQuery(QStringLiteral("A"), file, QStringLiteral("Admin"), QStringLiteral("faux")), 0);
    EXPECT_EQ(m_server->LoadQuery(QStringLiteral("A"), file, QString(), QString()), 0) << "the login asked was cancelled";
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(m_server->LoadQuery(QStringLiteral("A"), file, QStringLiteral("admin"), QStringLiteral("ADMIN")), 1);
    EXPECT_EQ(asked, 1);
}

TEST_F(ServerTest, MacrosRunOnlyWithTheirArguments)
{
    const QString file = Sales();
    struct Case {
        QString macros; // run in order, after a clean start
        QStringList loaded;
        bool ran;
    };
    const Case cases[] = {
        {QStringLiteral("LOAD(V)"), {}, false},
        {QStringLiteral("LOAD(,%1)").arg(file), {}, false},
        {QStringLiteral("load(v, '%1')").arg(file), {QStringLiteral("V")}, false},
        {QStringLiteral("LOAD(V,%1)\nRUN(V").arg(file), {QStringLiteral("V")}, false},
        {QStringLiteral("LOAD(V,%1)\n RUN(V)").arg(file), {QStringLiteral("V")}, false},
        {QStringLiteral("LOAD(V,%1)\nRUN\nRUN()").arg(file), {QStringLiteral("V")}, false},
        {QStringLiteral("LOAD(V,%1)\nrun(v)").arg(file), {QStringLiteral("V")}, true},
        {QStringLiteral("LOAD(V,%1)\nRUN(V)\nCLOSE\nCLOSE(W)").arg(file), {QStringLiteral("V")}, true},
        {QStringLiteral("LOAD(V,%1)\nRUN(V)\nCLOSE(v)").arg(file), {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.macros.toStdString());
        m_server = std::make_unique<TfmOleDdeServer>();
        for (const QString& line : c.macros.split(u'\n'))
            m_server->ExecuteCommand(line);
        EXPECT_EQ(m_server->QueryNames(), c.loaded);
        EXPECT_EQ(m_server->FirstRecord(QStringLiteral("V")), c.ran ? 1 : 0);
    }
}

TEST_F(ServerTest, DataHoldsOnlyTheAnswerOfTheLastMacro)
{
    TDdeDataItem* data = m_server->Data();
    EXPECT_EQ(data->objectName(), QStringLiteral("Data"));
    m_server->ExecuteCommand(QStringLiteral("LOAD(V,%1)").arg(Sales()));

    struct Step {
        QString macro;
        QString text;
    };
    const QList<QStringList> rows = SqliteRows(StepSql(Sales()));
    const QString first = rows[0].join(QLatin1String("\r\n")) + QLatin1String("\r\n");
    const Step steps[] = {
        {QStringLiteral("GETEOF(V)"), QStringLiteral("TRUE\r\n")}, // not run yet: nothing to read
        {QStringLiteral("GETRECORD(V)"), QString()},
        {QStringLiteral("RUN(V)"), QString()},
        {QStringLiteral("FIRST(V)"), QString()},
        {QStringLiteral("GETEOF(V)"), QStringLiteral("FALSE\r\n")},
        {QStringLiteral("GETEOF"), QString()},                  // cleared, nothing written
        {QStringLiteral("GETRECORD(V)"), first},
        {QStringLiteral("NEXT(V)"), first},                     // other macros leave it alone
        {QStringLiteral("GETRECORD(INCONNUE)"), QString()},     // never the previous query's record
        {QStringLiteral("GETRECORD(V)"), rows[1].join(QLatin1String("\r\n")) + QLatin1String("\r\n")},
        {QStringLiteral("GETRECORD"), QString()},
        {QStringLiteral("GETEOF(INCONNUE)"), QStringLiteral("TRUE\r\n")},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.macro.toStdString());
        m_server->ExecuteCommand(s.macro);
        EXPECT_EQ(data->Text(), s.text);
    }
}

TEST_F(ServerTest, RecordOperationsFailWithoutAResult)
{
    ASSERT_EQ(m_server->LoadQuery(QStringLiteral("V"), Sales(), QString(), QString()), 1);
    for (const QString& name : {QStringLiteral("V"), QStringLiteral("INCONNUE"), QString()}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(m_server->FirstRecord(name), 0);
        EXPECT_EQ(m_server->NextRecord(name), 0);
        EXPECT_TRUE(m_server->IsEof(name));
        EXPECT_EQ(m_server->FieldCount(name), 0);
        EXPECT_EQ(m_server->GetRecord(name), QString());
        QString value = QStringLiteral("avant");
        EXPECT_FALSE(m_server->FieldValue(name, 0, value));
        EXPECT_EQ(value, QString());
        EXPECT_EQ(m_server->RunQuery(name), name == u"V" ? 1 : 0);
    }
    QString value;
    EXPECT_TRUE(m_server->FieldValue(QStringLiteral("V"), 2, value));
    EXPECT_FALSE(m_server->FieldValue(QStringLiteral("V"), 3, value)) << "no fourth field";
    EXPECT_FALSE(m_server->FieldValue(QStringLiteral("V"), -1, value));
}

TEST_F(ServerTest, SelectStepTakesThePositionAfterTheIndex)
{
    ASSERT_EQ(m_server->LoadQuery(QStringLiteral("F"), Loyal(), QString(), QString()), 1);
    ASSERT_EQ(m_server->LoadQuery(QStringLiteral("V"), Sales(), QString(), QString()), 1);
    ASSERT_EQ(m_server->RunQuery(QStringLiteral("F")), 1);
    ASSERT_EQ(m_server->RunQuery(QStringLiteral("V")), 1);
    const int firstStepFields = m_server->FieldCount(QStringLiteral("F"));
    ASSERT_EQ(firstStepFields, 4);

    struct Case {
        const char* name;
        int index;
        int result;
        int fields; // of the current step afterwards
    };
    const Case cases[] = {
        {"F", 0, 1, 3},   // the second step
        {"F", 1, 0, 3},   // no third step: unchanged
        {"F", -1, 1, 4},  // the first
        {"F", -2, 0, 4},
        {"F", INT_MAX, 0, 4},
        {"F", INT_MIN, 0, 4},
        {"V", 0, 0, 3},   // one step: 0 is out of range
        {"V", -1, 1, 3},
        {"X", -1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.index));
        const QString name = QString::fromLatin1(c.name);
        EXPECT_EQ(m_server->SelectStep(name, c.index), c.result);
        EXPECT_EQ(m_server->FieldCount(name), c.fields);
    }
    ASSERT_EQ(m_server->SelectStep(QStringLiteral("F"), 0), 1);
    int loyal = 0;
    for (const QStringList& row : SqliteRows(StepSql(Loyal(), 0)))
        loyal += row.value(3).toDouble() > 250 ? 1 : 0;
    ASSERT_GT(loyal, 0);
    EXPECT_EQ(Walk(QStringLiteral("F")).size(), loyal) << "the second step keeps the clients of more than 250 articles";
}

TEST_F(ServerTest, RunFailuresGiveZeroAndTheQueryStaysUsable)
{
    ASSERT_EQ(m_server->LoadQuery(QStringLiteral("V"), Sales(), QString(), QString()), 1);
    addPromptedControl(m_server->FindQuery(QStringLiteral("V")));

    {
        ScopedHook noPrompter(ParamsPrompterHook, nullptr);
        EXPECT_EQ(m_server->RunQuery(QStringLiteral("V")), 0) << "parameters nobody can answer";
    }
    int asked = 0;
    bool answer = false;
    ScopedHook prompter(ParamsPrompterHook, [&](TMxDataModel*, const QString&, bool& ok, TStrings*, TMxParamControlList*, bool) {
        ++asked;
        ok = answer;
    });
    EXPECT_EQ(m_server->RunQuery(QStringLiteral("V")), 0) << "cancelled";
    EXPECT_EQ(m_server->FirstRecord(QStringLiteral("V")), 0);
    answer = true;
    EXPECT_EQ(m_server->RunQuery(QStringLiteral("V")), 1);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(Walk(QStringLiteral("V")).size(), 30);

    // The tables it writes cannot be written: the run failed, its result
    // is still there to read.
    QueryGlobal()->SetPrivateQueryPath(Path(QStringLiteral("absent/dossier")));
    EXPECT_EQ(m_server->RunQuery(QStringLiteral("V")), 0);
    EXPECT_FALSE(m_service.messages.isEmpty()) << "the driver told why";
    EXPECT_EQ(Walk(QStringLiteral("V")).size(), 30);
}

TEST_F(ServerTest, ARunInsideARunIsRefused)
{
    ASSERT_EQ(m_server->LoadQuery(QStringLiteral("V"), Sales(), QString(), QString()), 1);
    addPromptedControl(m_server->FindQuery(QStringLiteral("V")));
    int inner = -1;
    int closeInside = -1;
    ScopedHook prompter(ParamsPrompterHook, [&](TMxDataModel*, const QString&, bool& ok, TStrings*, TMxParamControlList*, bool) {
        if (inner < 0) {
            inner = m_server->RunQuery(QStringLiteral("v"));
            closeInside = m_server->CloseQuery(QStringLiteral("V"));
        }
        ok = true;
    });
    EXPECT_EQ(m_server->RunQuery(QStringLiteral("V")), 1);
    EXPECT_EQ(inner, 0);
    EXPECT_EQ(closeInside, 0) << "a query is never freed under its own run";
    EXPECT_EQ(Walk(QStringLiteral("V")).size(), 30);
}

TEST_F(ServerTest, CloseFreesTheQueryWithItsModelAndResults)
{
    auto cycle = [this] {
        ASSERT_EQ(m_server->LoadQuery(QStringLiteral("V"), Sales(), QString(), QString()), 1);
        ASSERT_EQ(m_server->RunQuery(QStringLiteral("V")), 1);
        ASSERT_EQ(m_server->FirstRecord(QStringLiteral("V")), 1);
        EXPECT_EQ(m_server->CloseQuery(QStringLiteral("v")), 1);
    };
    cycle(); // the driver and its session are made on the first run
    const qsizetype items = ItemManager().Count();
    cycle();
    EXPECT_EQ(ItemManager().Count(), items);
    EXPECT_EQ(m_server->CloseQuery(QStringLiteral("V")), 0);
    EXPECT_TRUE(m_server->IsEof(QStringLiteral("V")));
    EXPECT_EQ(m_server->FindQuery(QStringLiteral("V")), nullptr);
}

TEST_F(ServerTest, DesignersQueriesAreFoundWhateverTheCaseAndRunThroughTheDesigner)
{
    TDesignerRegistry registry;
    FakeDesigner empty(registry, QString());
    FakeDesigner designer(registry, Sales());
    TfmOleDdeServer server(registry);
    EXPECT_EQ(registry.Count(), 2);

    // The name of the query, not a name a client gave.
    EXPECT_EQ(server.FindQuery(QStringLiteral("ventes PAR produit")), designer.DesignerQuery());
    EXPECT_EQ(server.FindQuery(QStringLiteral("Ventes")), nullptr);

    designer.RunDesignerQuery();
    const QString painted = designer.Paint();
    ASSERT_FALSE(painted.isEmpty());
    // The grid is bound to the first run's result when the server runs
    // the query: the designer lets go of it first.
    EXPECT_EQ(server.RunQuery(QStringLiteral("VENTES PAR PRODUIT")), 1);
    EXPECT_EQ(designer.runs, 2);
    EXPECT_EQ(designer.Paint(), painted);
    server.ExecuteCommand(QStringLiteral("RUN(Ventes par produit)"));
    EXPECT_EQ(designer.runs, 3);
    EXPECT_EQ(designer.Paint(), painted);

    // The server walks only its own queries, and never closes a designer's.
    EXPECT_EQ(server.FirstRecord(QStringLiteral("Ventes par produit")), 0);
    EXPECT_TRUE(server.IsEof(QStringLiteral("Ventes par produit")));
    EXPECT_EQ(server.CloseQuery(QStringLiteral("Ventes par produit")), 0);
    EXPECT_NE(designer.DesignerQuery(), nullptr);
    EXPECT_EQ(server.LoadQuery(QStringLiteral("ventes par produit"), Loyal(), QString(), QString()), 0) << "the name is taken";

    // A query of the server's own list comes first.
    ASSERT_EQ(server.LoadQuery(QStringLiteral("Clients fidèles"), Loyal(), QString(), QString()), 1);
    FakeDesigner later(registry, Loyal());
    EXPECT_EQ(server.FindQuery(QStringLiteral("clients FIDÈLES")), server.FindQuery(QStringLiteral("CLIENTS FIDÈLES")));
    EXPECT_NE(server.FindQuery(QStringLiteral("clients fidèles")), later.DesignerQuery());
    EXPECT_EQ(server.RunQuery(QStringLiteral("clients fidèles")), 1);
    EXPECT_EQ(later.runs, 0);
}

TEST_F(ServerTest, ADesignersFailedRunGivesZero)
{
    TDesignerRegistry registry;
    FakeDesigner designer(registry, Sales());
    TfmOleDdeServer server(registry);
    addPromptedControl(designer.DesignerQuery());
    ScopedHook prompter(ParamsPrompterHook, [](TMxDataModel*, const QString&, bool& ok, TStrings*, TMxParamControlList*, bool) {
        ok = false;
    });
    EXPECT_EQ(server.RunQuery(QStringLiteral("Ventes par produit")), 0);
    EXPECT_EQ(designer.runs, 1);
    EXPECT_EQ(designer.Paint(), QString()) << "the grid stays unbound after a failed run";
}

TEST_F(ServerTest, NewQueryShowsTheFirstEmptyDesignerElseHasOneMade)
{
    TDesignerRegistry registry;
    TfmOleDdeServer server(registry);
    EXPECT_EQ(server.NewQuery(), 0) << "no designer and no way to make one";

    int made = 0;
    registry.CreateDesigner = [&] { ++made; };
    EXPECT_EQ(server.NewQuery(), 1);
    EXPECT_EQ(made, 1);

    FakeDesigner holding(registry, Sales());
    FakeDesigner first(registry, QString());
    FakeDesigner second(registry, QString());
    registry.Add(&first); // already there: keeps its place
    server.ExecuteCommand(QStringLiteral("NEWQUERY"));
    EXPECT_EQ(first.shown, 1);
    EXPECT_EQ(second.shown, 0);
    EXPECT_EQ(holding.shown, 0);
    EXPECT_EQ(made, 1);

    registry.Remove(&first);
    registry.Remove(&second);
    registry.CreateDesigner = [] { throw std::runtime_error("no window"); };
    EXPECT_EQ(server.NewQuery(), 0);
    EXPECT_EQ(registry.Designers(), QList<TServedDesigner*>{&holding});
}
