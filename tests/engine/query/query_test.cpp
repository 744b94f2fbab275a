// Queries and steps: captions, steps and fields, the view option, and the
// query file with its fix-ups.

#include "queryfixture.h"

#include "engine/core/exceptions.h"
#include "engine/core/file.h"
#include "engine/destination/destinationtype.h"
#include "engine/destination/querydestination.h"
#include "engine/global/datasource.h"
#include "engine/global/queryglobal.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/formula.h"
#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"
#include "engine/model/user.h"
#include "engine/query/query.h"
#include "engine/query/stepreport.h"
#include "engine/stream/reader.h"
#include "engine/stream/writer.h"

#include <QDir>
#include <QFile>

using namespace mx;
using namespace qtest;

namespace {

class QueryFile : public QueryTest {
protected:
    // The model saved beside where the query will be, with users.
    QString SaveModel(const QString& folder, const QString& name = QStringLiteral("BOUTIQUE.MDD"))
    {
        QDir().mkpath(folder);
        const QString path = QDir(folder).filePath(name);
        m_query->DataModel()->SaveToFile(path);
        m_query->DataModel()->SetFileName(path);
        return path;
    }
    // A new query loaded from a file, logging in as Admin.
    TMxQuery* Load(const QString& path)
    {
        auto* q = new TMxQuery(nullptr);
        q->SetLogin(QStringLiteral("Admin"), QString());
        try {
            q->LoadFromFile(path);
        } catch (...) {
            q->Free();
            throw;
        }
        return q;
    }
    using QueryPtr = std::unique_ptr<TMxQuery, void (*)(TMxQuery*)>;
    static QueryPtr Own(TMxQuery* q)
    {
        return QueryPtr(q, [](TMxQuery* p) { TMxItem::Free(p); });
    }
};

TEST_F(QueryFile, Captions)
{
    EXPECT_EQ(m_query->GetCaption(), QStringLiteral("Nouvelle Requête"));
    m_query->SetFileName(QStringLiteral("/q/ventes.mqr"));
    EXPECT_EQ(m_query->GetCaption(), QStringLiteral("/q/ventes.mqr"));
    m_query->SetName(QStringLiteral("Ventes"));
    EXPECT_EQ(m_query->GetCaption(), QStringLiteral("Ventes"));
    EXPECT_EQ(m_step->GetName(), QStringLiteral("Etape 1"));
    EXPECT_EQ(m_query->AddStep()->GetName(), QStringLiteral("Etape 2"));
    m_step->SetName(QStringLiteral("Extraction"));
    EXPECT_EQ(m_step->GetName(), QStringLiteral("Extraction"));
    EXPECT_EQ(m_step->GetQuery(), m_query);
}

TEST_F(QueryFile, StepsNeedAModelAndKeepUniqueIds)
{
    TMxQuery bare(nullptr);
    try {
        bare.AddStep();
        ADD_FAILURE() << "no error";
    } catch (const EMxInternal& e) {
        EXPECT_EQ(e.message(), QStringLiteral("DataModel not assigned"));
    }
    EXPECT_EQ(bare.Steps()->Count(), 0);

    TMxQueryStep* second = m_query->AddStep();
    TMxQueryStep* third = m_query->AddStep();
    EXPECT_EQ(second->Id(), 2);
    EXPECT_EQ(third->Id(), 3);
    // each step has a model of its own, reduced to the query's set
    EXPECT_NE(second->DataModel(), m_step->DataModel());
    EXPECT_EQ(second->DataModel()->CurrentDomain()->Id(), 1);
    // after a step in the middle went, a new step does not take the Id
    // (and so the view name) of the last one
    second->Free();
    EXPECT_EQ(m_query->AddStep()->Id(), 4);
}

TEST_F(QueryFile, AddingFields)
{
    TMxTable* client = m_step->DataModel()->Tables()->FindById(3);
    TMxEntity* clients = client->Entities()->Items(0);
    // a field added twice stands once
    Add(3, QStringLiteral("NOM"));
    Add(3, QStringLiteral("NOM"));
    EXPECT_EQ(m_step->Entities()->Count(), 1);
    EXPECT_EQ(m_step->Entities()->Items(0)->Count(), 1);
    // fields without an entity go to "Autres champs", made once
    AddAgain(3, QStringLiteral("VILLE"));
    AddAgain(5, QStringLiteral("MONTANT"));
    TMxQueryEntity* others = m_step->Entities()->FindById(-1);
    ASSERT_TRUE(others);
    EXPECT_EQ(others->Name(), QStringLiteral("Autres champs"));
    EXPECT_EQ(others->Count(), 2);
    EXPECT_EQ(m_step->Entities()->Count(), 2);
    // a whole entity: its fields in order, checked, of this step
    TMxQueryStep* second = m_query->AddStep();
    second->AddFields(second->DataModel()->Tables()->FindById(3)->Entities()->Items(0), nullptr);
    TMxQueryEntity* e = second->Entities()->Items(0);
    EXPECT_EQ(e->Name(), clients->Name());
    ASSERT_EQ(e->Count(), client->Fields()->Count());
    for (int i = 0; i < e->Count(); ++i) {
        EXPECT_EQ(e->Items(i)->Name(), client->Fields()->Items(i)->Name());
        EXPECT_TRUE(e->Items(i)->Checked());
        EXPECT_EQ(e->Items(i)->StepId(), 2);
        EXPECT_EQ(e->Items(i)->BaseName(), client->Fields()->Items(i)->FullName());
    }
    EXPECT_EQ(second->AllFields()->Count(), client->Fields()->Count());
    // removing the last field of an entity removes the entity
    others->Items(0)->Free();
    EXPECT_EQ(m_step->AllFields()->Count(), 2);
    others->Items(0)->Free();
    EXPECT_EQ(m_step->Entities()->Count(), 1);
    EXPECT_EQ(m_step->Entities()->FindById(-1), nullptr);
    EXPECT_EQ(m_step->AllFields()->Count(), 1);
}

TEST_F(QueryFile, SwappedEntitiesAndFieldsKeepTheSelectListInTheirOrder)
{
    Add(3, QStringLiteral("NOM"));
    Add(3, QStringLiteral("VILLE"));
    Add(5, QStringLiteral("MONTANT"));
    auto names = [this] {
        QStringList out;
        for (TMxItem* f : *m_step->AllFields())
            out << f->Name();
        return out;
    };
    ASSERT_EQ(names(), QStringList({"NOM", "VILLE", "MONTANT"}));
    m_step->Entities()->Exchange(0, 1);
    EXPECT_EQ(names(), QStringList({"MONTANT", "NOM", "VILLE"}));
    m_step->Entities()->Items(1)->Exchange(0, 1);
    EXPECT_EQ(names(), QStringList({"MONTANT", "VILLE", "NOM"}));
    // the statement selects in that order, as after a save and a load
    const QString sql = Sql().join(u' ');
    EXPECT_LT(sql.indexOf(QStringLiteral("MONTANT")), sql.indexOf(QStringLiteral("VILLE")));
    EXPECT_LT(sql.indexOf(QStringLiteral("VILLE")), sql.indexOf(QStringLiteral("NOM")));
}

TEST_F(QueryFile, ViewOptionTruthTable)
{
    // users with and without the right, with and without a prefix
    TMxDataModel* model = m_query->DataModel();
    m_query->SetDataModel(model, false); // kept while the cases replace it
    const struct {
        const char* name;
        bool right;
        const char* prefix;
    } users[] = {{"Vue", true, "PV"}, {"SansPrefixe", true, ""}, {"SansDroit", false, "PD"}};
    for (const auto& u : users) {
        auto* user = new TMxUser(model->Users());
        user->SetId(model->Users()->NextId());
        user->SetName(QString::fromLatin1(u.name));
        user->SetRights(u.right ? UserRight(urCreateViews) : 0);
        user->SetViewPrefix(QString::fromLatin1(u.prefix));
    }
    const QString path = Path(QStringLiteral("views.mdd"));
    model->SaveToFile(path);
    const TSetSQLCapabilities views = SqlCap(scCreateViews);
    for (const auto& [name, caps] : {std::pair{"NOVIEW", TSetSQLCapabilities(0)}, std::pair{"VIEWS", views},
             std::pair{"ALLVIEWS", TSetSQLCapabilities(views | SqlCap(scAgregateViews))}}) {
        TDbEngDatasource* d = Dialects()->AddNew();
        d->SetName(QString::fromLatin1(name));
        d->SetSQLCapabilities(caps);
    }
    const struct {
        const char* user; // empty: no one logged in
        const char* dialect;
        bool total;
        bool enabled;
    } cases[] = {
        {"Vue", "VIEWS", false, true},
        {"Vue", "VIEWS", true, false},
        {"Vue", "ALLVIEWS", true, true},
        {"Vue", "NOVIEW", false, false},
        {"SansPrefixe", "ALLVIEWS", false, false},
        {"SansDroit", "ALLVIEWS", false, false},
        {"", "ALLVIEWS", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.user) + " " + c.dialect + (c.total ? " total" : ""));
        auto* m = new TMxDataModel(nullptr);
        if (*c.user) {
            m->Open(path, QString::fromLatin1(c.user), QString());
        } else {
            m->Assign(model);
            m->BuildAllFields();
        }
        m_query->SetDataModel(m, true);
        m_query->Steps()->Clear();
        m_step = m_query->AddStep();
        Add(5, QStringLiteral("MONTANT"))->SetTotal(c.total ? QStringLiteral("sum") : QString());
        m_step->SetSQLSyntax(QString::fromLatin1(c.dialect));
        EXPECT_EQ(m_step->DestinationOptionEnabled(), c.enabled);
    }
    model->Free();
}

TEST_F(QueryFile, SaveAndLoadKeepTheQuery)
{
    const QString folder = Path(QStringLiteral("a"));
    // two steps, fields, a filter, a join choice, destinations, parameters
    m_query->SetName(QStringLiteral("Ventes"));
    m_query->SetViewPrefix(QStringLiteral("V"));
    m_query->Informations()->Add(QStringLiteral("Chiffre par client"));
    AddParam(1, QStringLiteral("Ville"), {QStringLiteral("Paris")});
    m_query->ParamControls()->Items(0)->SetCaption(QStringLiteral("Quelle ville ?"));
    m_step->SetDistinctSelect(true);
    Add(3, QStringLiteral("NOM"))->SetSortRange(0);
    SetTokens(Add(3, QStringLiteral("VILLE"))->FormulaList(), {V(1)});
    Add(5, QStringLiteral("NUMCDE"));
    Add(7, QStringLiteral("TRANSPORTEUR"));
    SetTokens(m_step->StepCriteria(), {F(5, QStringLiteral("MONTANT")), O(foSup), C(QStringLiteral("10"), 'N')});
    m_step->Destinations()->FindByName(QStringLiteral("Fichier"))->SetFileName(QStringLiteral("ventes"));
    SetSettingsText(m_step->Destinations()->FindByName(QStringLiteral("Fichier")), QStringLiteral("séparateur ;"));
    TMxQueryStep* second = m_query->AddStep();
    second->SetName(QStringLiteral("Détail"));
    Add(5, QStringLiteral("MONTANT"), second)->SetTotal(QStringLiteral("sum"));
    Sql(false);
    Join(5, 7)->SetLeftValue(false);
    const QStringList sql1 = Sql(false);
    const QStringList sql2 = second->SQL()->Lines();

    SaveModel(folder);
    const QString queryPath = QDir(folder).filePath(QStringLiteral("ventes.mqr"));
    m_query->SaveToFile(queryPath);
    EXPECT_EQ(m_query->DmFilename(), QStringLiteral("BOUTIQUE.MDD")); // the model lies beside it
    EXPECT_FALSE(m_query->Modified());

    QueryPtr loaded = Own(Load(queryPath));
    TMxQuery* q = loaded.get();
    EXPECT_FALSE(q->Modified());
    EXPECT_TRUE(q->OwnsDataModel());
    EXPECT_EQ(q->Name(), QStringLiteral("Ventes"));
    EXPECT_EQ(q->ViewPrefix(), QStringLiteral("V"));
    EXPECT_EQ(q->DomId(), 1);
    EXPECT_TRUE(q->OptionsDumpTables());
    EXPECT_EQ(q->Informations()->toStringList(), QStringList{QStringLiteral("Chiffre par client")});
    ASSERT_EQ(q->Params()->Count(), 1);
    EXPECT_EQ(q->Params()->Items(0)->Name(), QStringLiteral("Ville"));
    ASSERT_EQ(q->ParamControls()->Count(), 1);
    EXPECT_EQ(q->ParamControls()->Items(0)->Caption(), QStringLiteral("Quelle ville ?"));
    ASSERT_EQ(q->Steps()->Count(), 2);
    TMxQueryStep* s1 = q->Steps()->GetItem(0);
    TMxQueryStep* s2 = q->Steps()->GetItem(1);
    EXPECT_EQ(s1->Id(), 1);
    EXPECT_EQ(s2->GetName(), QStringLiteral("Détail"));
    EXPECT_TRUE(s1->DistinctSelect());
    EXPECT_EQ(s1->AllFields()->Count(), 4);
    EXPECT_EQ(s1->Entities()->Count(), 3);
    ASSERT_TRUE(s1->SQLJoins()->FindJoin(5, 7));
    EXPECT_FALSE(s1->SQLJoins()->FindJoin(5, 7)->LeftValue());
    EXPECT_EQ(s1->SQLJoins()->FindJoin(5, 7)->LeftCaption(), QStringLiteral("Toutes les commandes"));
    TQueryDestinationItem* file = s1->Destinations()->FindByName(QStringLiteral("Fichier"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->FileName(), QStringLiteral("ventes"));
    EXPECT_EQ(SettingsText(file), QStringLiteral("séparateur ;"));
    EXPECT_EQ(s1->Destinations()->Count(), 3);
    // the fields are bound to each step's own model
    for (TMxItem* f : *s1->AllFields())
        EXPECT_EQ(static_cast<TMxQueryField*>(f)->GetTable()->OwnerList()->Owner(), s1->DataModel());
    // and the statements are the same, once the parameter is answered again
    q->ParamControls()->Items(0)->LoadedValues()->Add(QStringLiteral("Paris"));
    q->Prepare(false);
    EXPECT_EQ(s1->SQL()->Lines(), sql1);
    EXPECT_EQ(s2->SQL()->Lines(), sql2);

    // the query and its model moved together still open, unchanged
    const QString other = Path(QStringLiteral("b"));
    QDir().mkpath(other);
    QFile::copy(queryPath, QDir(other).filePath(QStringLiteral("ventes.mqr")));
    QFile::copy(QDir(folder).filePath(QStringLiteral("BOUTIQUE.MDD")), QDir(other).filePath(QStringLiteral("BOUTIQUE.MDD")));
    QFile::remove(QDir(folder).filePath(QStringLiteral("BOUTIQUE.MDD")));
    QueryPtr moved = Own(Load(QDir(other).filePath(QStringLiteral("ventes.mqr"))));
    EXPECT_FALSE(moved->Modified());
    EXPECT_EQ(moved->DmFilename(), QStringLiteral("BOUTIQUE.MDD"));
    EXPECT_EQ(QFileInfo(moved->DataModel()->FileName()).absolutePath(), QFileInfo(other).absoluteFilePath());
}

TEST_F(QueryFile, ModelInAnotherFolderKeepsItsPath)
{
    const QString model = SaveModel(Path(QStringLiteral("models")));
    Add(3, QStringLiteral("NOM"));
    m_query->SaveToFile(Path(QStringLiteral("q.mqr")));
    EXPECT_EQ(m_query->DmFilename(), model);
    QueryPtr q = Own(Load(Path(QStringLiteral("q.mqr"))));
    EXPECT_EQ(q->DataModel()->FileName(), model);
    EXPECT_FALSE(q->Modified());
}

TEST_F(QueryFile, DestinationFixUpsAndTheDefaultQuery)
{
    SaveModel(m_dir.path());
    TMxQueryStep* second = m_query->AddStep();
    m_step->Destinations()->FindByName(QStringLiteral("Table"))->SetFileName(QStringLiteral("T1"));
    second->Destinations()->FindByName(QStringLiteral("Table"))->SetFileName(QStringLiteral("T2"));
    m_query->SaveToFile(Path(QStringLiteral("q.mqr")));
    // a destination type that came after the query was saved
    TDestinationItem* graph = DestinationTypes()->AddNew();
    graph->SetName(QStringLiteral("Graphe"));
    graph->SetOutput(doGraph);
    QueryPtr q = Own(Load(Path(QStringLiteral("q.mqr"))));
    for (TMxItem* s : *q->Steps()) {
        TQueryDestinationList* d = static_cast<TMxQueryStep*>(s)->Destinations();
        ASSERT_EQ(d->Count(), 4);
        EXPECT_EQ(d->Items(3)->Name(), QStringLiteral("Graphe"));
        EXPECT_EQ(d->Items(3)->FileName(), QString());
    }
    EXPECT_EQ(q->Steps()->GetItem(1)->Destinations()->FindByName(QStringLiteral("Table"))->FileName(), QStringLiteral("T2"));
    EXPECT_FALSE(q->Modified());

    // the default query of the configuration preview is stored without the
    // first step's destinations
    m_query->SetName(QStringLiteral("Default Morvelin Query"));
    m_query->SaveToFile(Path(QStringLiteral("default.mqr")));
    DestinationTypes()->Clear(); // no fix-up: what the file holds
    QueryPtr d = Own(Load(Path(QStringLiteral("default.mqr"))));
    EXPECT_EQ(d->Steps()->GetItem(0)->Destinations()->Count(), 0);
    EXPECT_EQ(d->Steps()->GetItem(1)->Destinations()->Count(), 3);
}

TEST_F(QueryFile, EveryQueryValueIsWritten)
{
    m_query->SetDomId(0);
    m_query->SetOptionsDumpTables(false);
    const QByteArray bytes = m_query->SaveToBytes();
    for (const char* name : {"DomId", "User", "OptionsDumpTables", "OptionsPrintAuto"})
        EXPECT_TRUE(bytes.contains(name)) << name;
}

TEST_F(QueryFile, ModelProblemsOnLoadAreClearErrors)
{
    SaveModel(m_dir.path());
    Add(3, QStringLiteral("NOM"));
    m_query->SaveToFile(Path(QStringLiteral("q.mqr")));
    QFile::remove(Path(QStringLiteral("BOUTIQUE.MDD")));
    EXPECT_THROW(Load(Path(QStringLiteral("q.mqr"))), EMxFileNotFound);

    // a query naming no model
    m_query->SetDataModel(nullptr);
    m_query->SetDmFilename(QString());
    TMxQuery empty(nullptr);
    empty.SaveToFile(Path(QStringLiteral("empty.mqr")));
    EXPECT_THROW(Load(Path(QStringLiteral("empty.mqr"))), EMxBadDatamodel);
    // saving a query without model keeps the name it has
    m_query->SetDmFilename(QStringLiteral("AILLEURS.MDD"));
    m_query->SaveToFile(Path(QStringLiteral("q2.mqr")));
    EXPECT_EQ(m_query->DmFilename(), QStringLiteral("AILLEURS.MDD"));
}

TEST_F(QueryFile, ASetTheUserCannotUseIsRefusedInRunMode)
{
    TMxDataModel* model = m_query->DataModel();
    auto* marie = new TMxUser(model->Users());
    marie->SetId(model->Users()->NextId());
    marie->SetName(QStringLiteral("Marie"));
    model->Domains()->FindById(2)->Groups()->Clear(); // set 2 is nobody's
    const QString path = Path(QStringLiteral("m.mdd"));
    model->SaveToFile(path);
    auto* logged = new TMxDataModel(nullptr);
    logged->Open(path, QStringLiteral("Marie"), QString());
    m_query->SetDataModel(logged, true);
    m_query->SetDomId(2);
    m_query->Steps()->Clear();
    m_step = m_query->AddStep();
    Add(3, QStringLiteral("NOM"));
    try {
        Sql(false);
        ADD_FAILURE() << "no error";
    } catch (const EMxAbort& e) {
        EXPECT_EQ(e.message(), QStringLiteral("L'ensemble Grosses commandes n'est pas accessible à l'utilisateur Marie."));
    }
    EXPECT_NO_THROW(Sql(true));
}

// A report record the engine cannot read comes back byte for byte.
TEST_F(QueryFile, UnknownReportRecordsAreKept)
{
    QByteArray record;
    {
        TMxWriter w(record);
        w.WriteStr(QStringLiteral("TQuickRep"));
        w.WriteStr(QStringLiteral("QuickRep1"));
        w.WriteStr(QStringLiteral("Page.Values"));
        w.WriteListBegin();
        w.WriteValue(vaExtended); // an extended value no double holds
        w.WriteBytes(QByteArray::fromHex("0180c3b5d4e9f7a3ff3f"));
        w.WriteInteger(2970);
        w.WriteListEnd();
        w.WriteStr(QStringLiteral("ReportTitle"));
        w.WriteString(QStringLiteral("Ventes été"));
        w.WriteListEnd();
        w.WriteStr(QStringLiteral("TQRBand"));
        w.WriteStr(QStringLiteral("Titre"));
        w.WriteStr(QStringLiteral("Height"));
        w.WriteInteger(40);
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd();
    }
    SaveModel(m_dir.path());
    Add(3, QStringLiteral("NOM"));
    SetTokens(m_step->StepCriteria(), {F(3, QStringLiteral("NOM")), O(foEqual), C(QStringLiteral("Dupont"))});
    auto* report = dynamic_cast<TNullStepReport*>(m_step->QuickReport());
    ASSERT_TRUE(report);
    report->SetRecord(record);
    m_query->SaveToFile(Path(QStringLiteral("r.mqr")));
    const QByteArray first = mxtest::ReadAll(Path(QStringLiteral("r.mqr")));

    QueryPtr q = Own(Load(Path(QStringLiteral("r.mqr"))));
    auto* loaded = dynamic_cast<TNullStepReport*>(q->Steps()->GetItem(0)->QuickReport());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(mxtest::Hex(loaded->Record()), mxtest::Hex(record));
    EXPECT_EQ(q->Steps()->GetItem(0)->StepCriteria()->Count(), 3); // read after the report
    q->SaveToFile(Path(QStringLiteral("r2.mqr")));
    EXPECT_EQ(mxtest::ReadAll(Path(QStringLiteral("r2.mqr"))), first);

    // a new step writes an empty report record that reads back
    QueryPtr fresh = Own(Load(Path(QStringLiteral("r.mqr"))));
    TMxQueryStep* s = fresh->AddStep();
    EXPECT_TRUE(dynamic_cast<TNullStepReport*>(s->QuickReport())->Record().isEmpty());
    fresh->SaveToFile(Path(QStringLiteral("r3.mqr")));
    QueryPtr again = Own(Load(Path(QStringLiteral("r3.mqr"))));
    EXPECT_EQ(again->Steps()->Count(), 2);
}

// The report layer's report is read and written as an object.
class TTitledReport : public TComponent {
    MX_CLASS(TTitledReport)
public:
    QString Title;
};
void describeTitled(ClassBuilder<TTitledReport>& c)
{
    c.string(QStringLiteral("Title"), &TTitledReport::Title, &TTitledReport::Title);
}
} // namespace
MX_DEFINE_CLASS(TTitledReport, TComponent, describeTitled)
namespace {

TEST_F(QueryFile, TheReportFactoryMakesEachStepsReport)
{
    ScopedHook hook(StepReportFactoryHook, [](TMxQueryStep*) { return std::make_unique<TTitledReport>(); });
    Open();
    SaveModel(m_dir.path());
    Add(3, QStringLiteral("NOM"));
    auto* report = dynamic_cast<TTitledReport*>(m_step->QuickReport());
    ASSERT_TRUE(report);
    report->Title = QStringLiteral("Clients");
    m_query->SaveToFile(Path(QStringLiteral("t.mqr")));
    QueryPtr q = Own(Load(Path(QStringLiteral("t.mqr"))));
    auto* loaded = dynamic_cast<TTitledReport*>(q->Steps()->GetItem(0)->QuickReport());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->Title, QStringLiteral("Clients"));
    // a copy of a step copies its report
    TMxQueryStep copy(nullptr);
    copy.Assign(q->Steps()->GetItem(0));
    EXPECT_EQ(dynamic_cast<TTitledReport*>(copy.QuickReport())->Title, QStringLiteral("Clients"));
    EXPECT_EQ(copy.AllFields()->Count(), 1);
}

} // namespace

// A model that moved with its query but changed case is looked for by the
// relocation, which is told the query's folder for that load only.
TEST_F(QueryFile, TheRelocationLooksBesideTheQueryForItsModelOnly)
{
    const QString folder = Path(QStringLiteral("a"));
    SaveModel(folder);
    Add(3, QStringLiteral("NOM"));
    m_query->SaveToFile(QDir(folder).filePath(QStringLiteral("ventes.mqr")));
    const QString other = Path(QStringLiteral("b"));
    QDir().mkpath(other);
    QFile::copy(QDir(folder).filePath(QStringLiteral("ventes.mqr")), QDir(other).filePath(QStringLiteral("ventes.mqr")));
    QFile::rename(QDir(folder).filePath(QStringLiteral("BOUTIQUE.MDD")), QDir(other).filePath(QStringLiteral("boutique.mdd")));

    QStringList asked;
    TLocateRecord seen;
    ScopedHook locate(LocateFileHook, [&](TMxFile*, QString& name) {
        asked << name;
        seen = LocateRecord();
        name = seen.alternativeDir + QStringLiteral("boutique.mdd");
        return true;
    });
    QueryPtr moved = Own(Load(QDir(other).filePath(QStringLiteral("ventes.mqr"))));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(seen.alternativeDir, QFileInfo(other).canonicalFilePath() + u'/');
    EXPECT_TRUE(seen.useAlternativeDir);
    EXPECT_TRUE(seen.enabled);
    EXPECT_EQ(moved->DmFilename(), QStringLiteral("boutique.mdd"));
    EXPECT_TRUE(moved->Modified()) << "the corrected name is to be saved";
    // Once the query is loaded, no later load looks in its folder.
    EXPECT_TRUE(LocateRecord().alternativeDir.isEmpty());
    EXPECT_FALSE(LocateRecord().useAlternativeDir);
}
