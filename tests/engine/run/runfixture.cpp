#include "runfixture.h"

#include "tests/support/samplemodel.h"

#include "engine/core/exceptions.h"
#include "engine/destination/destinationtype.h"
#include "engine/destination/querydestination.h"
#include "engine/driver/dataset.h"
#include "engine/driver/dbengine.h"
#include "engine/driver/destdriver.h"
#include "engine/driver/destfactories.h"
#include "engine/driver/driver.h"
#include "engine/driver/driverclasses.h"
#include "engine/driver/rootdir.h"
#include "engine/global/engineshutdown.h"
#include "engine/global/queryglobal.h"
#include "engine/model/datamodel.h"
#include "engine/model/entity.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"
#include "engine/query/query.h"
#include "engine/settings/startparams.h"
#include "engine/tools/commandline.h"

#include <QFileInfo>

#include <sqlite3.h>

using namespace mx;
using runtest::Log;
using runtest::Statements;

namespace {

QString g_refused;
QString g_failing;

QString shortName(const QString& fileName)
{
    return QFileInfo(fileName).fileName();
}

// The built-in driver, with every call of the run written to the log.
class TRecordingDriver : public TIMxDriver {
    MX_CLASS(TRecordingDriver)
public:
    explicit TRecordingDriver(TMxItem* owner = nullptr) : TIMxDriver(owner)
    {
        if (TMxDriverClassItem* builtIn = DriverClasses().GetByClassName(QStringLiteral("MX32BDE")))
            m_inner = builtIn->Create();
    }
    ~TRecordingDriver() override { TMxItem::Free(m_inner); }

    static bool AcceptsEngine(const QString& name) { return name.toUpper() == u"MX32TESTREC"; }

    QString GetDescription() override { return m_inner->GetDescription(); }
    QString GetVersion() override { return m_inner->GetVersion(); }
    bool OpenDatabase(const QString& databaseName, const QString& userName, const QString& password) override
    {
        Log() << QStringLiteral("open ") + shortName(databaseName);
        if (!g_refused.isEmpty() && databaseName.contains(g_refused))
            return false;
        return m_inner->OpenDatabase(databaseName, userName, password);
    }
    TIMxDataset* ExecuteQuery(const QString& sql, const QString& password, const QString& userName, const QString& viewName,
        const QString& databaseName) override
    {
        Log() << QStringLiteral("run ") + (viewName.isEmpty() ? QStringLiteral("-") : viewName);
        Statements() << sql;
        return m_inner->ExecuteQuery(sql, password, userName, viewName, databaseName);
    }
    TIMxDataset* GetFieldVar(const QString& d, const QString& t, const TSQLSyntaxProperties& s, const QString& p,
        const QString& u, const QString& f) override
    {
        return m_inner->GetFieldVar(d, t, s, p, u, f);
    }
    TIMxDataset* GetQueryField(const QString& d, const QString& t, const TSQLSyntaxProperties& s, const QString& p,
        const QString& u, const QString& f) override
    {
        return m_inner->GetQueryField(d, t, s, p, u, f);
    }
    void FreeDataset(TIMxDataset* dataset) override
    {
        if (dataset)
            Log() << QStringLiteral("free");
        m_inner->FreeDataset(dataset);
    }
    TIMxDataset* GetTable(const QString& d, const QString& t) override { return m_inner->GetTable(d, t); }
    void DropView(const QString& databaseName, const QString& viewName, const QString& password, const QString& userName) override
    {
        Log() << QStringLiteral("drop ") + viewName;
        m_inner->DropView(databaseName, viewName, password, userName);
    }
    void GetTableNames(const QString& d, char* b, int s) override { m_inner->GetTableNames(d, b, s); }
    void GetAliasNames(char* b, int s) override { m_inner->GetAliasNames(b, s); }
    void GetDriverNames(char* b, int s) override { m_inner->GetDriverNames(b, s); }
    QString GetDatabaseType(const QString& d) override { return m_inner->GetDatabaseType(d); }
    QString GetDatabasePassword(const QString& d) override { return m_inner->GetDatabasePassword(d); }
    QString GetDatabaseUserName(const QString& d) override { return m_inner->GetDatabaseUserName(d); }

private:
    TIMxDriver* m_inner = nullptr;
};

// Records each call; exports copy the result as the built-in table
// destinations do.
class TRecordingDestDriver : public TIMxDestDriver {
public:
    explicit TRecordingDestDriver(QString type) : m_type(std::move(type)) {}
    void Print(TIMxDestProperties*, const QString& fileName, TIMxDataset*) override
    {
        Log() << QStringLiteral("print %1 %2").arg(m_type, shortName(fileName));
    }
    void Customize(TIMxDestProperties*, const QString&, TIMxDataset*) override {}
    void View(TIMxDestProperties*, const QString&, TIMxDataset*) override {}
    void Export(TIMxDestProperties*, const QString& fileName, TIMxDataset* dataset) override
    {
        Log() << QStringLiteral("export %1 %2").arg(m_type, shortName(fileName));
        if (m_type != g_failing)
            dataset->DumpTable(fileName);
    }

private:
    QString m_type;
};

void makeDatabase(const QString& fileName)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(fileName).constData(), &db), SQLITE_OK);
    const char* script = R"(
        CREATE TABLE CLIENT (NUMCLI INTEGER PRIMARY KEY, NOM VARCHAR(30), VILLE VARCHAR(20), DATENAIS DATE);
        CREATE TABLE COMMANDE (NUMCDE INTEGER PRIMARY KEY, NUMCLI INTEGER, MONTANT REAL, DATECDE DATE);
        INSERT INTO CLIENT VALUES (1, 'Crêperie Le Goff', 'Quimper', '1970-03-01'), (2, 'Dupré', 'Paris', NULL),
          (3, 'Lefèvre', 'Paris', '1985-12-24'), (4, 'Müller', 'Lyon', '1990-06-30'), (5, 'O''Brien', NULL, NULL),
          (6, 'Zoé Martin', 'Besançon', '2001-01-01');
        INSERT INTO COMMANDE VALUES (1, 1, 120.5, '2024-01-05'), (2, 1, 80, '2024-02-10'), (3, 2, 15.25, '2024-02-11'),
          (4, 3, 300, '2024-03-01'), (5, 3, 42, '2024-03-02'), (6, 3, NULL, '2024-03-03'), (7, 4, 99.9, '2024-04-01'),
          (8, 5, 12, '2024-04-02'), (9, 6, 510, '2024-05-01'), (10, 6, 7.5, '2024-05-02');
    )";
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, script, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

} // namespace

static void describeRecordingDriver(ClassBuilder<TRecordingDriver>&) {}
MX_DEFINE_CLASS(TRecordingDriver, TIMxDriver, describeRecordingDriver)

namespace runtest {

QStringList& Log()
{
    static QStringList log;
    return log;
}

QStringList& Statements()
{
    static QStringList s;
    return s;
}

void RefuseDatabase(const QString& part)
{
    g_refused = part;
}

void FailExports(const QString& typeName)
{
    g_failing = typeName;
}

RunTest::RunTest()
{
    Log().clear();
    Statements().clear();
    g_refused.clear();
    g_failing.clear();
    makeDatabase(DatabaseFile());

    const QString bin = qEnvironmentVariable("MORVELIN_BIN");
    RootDirOverride.set([bin] { return bin; });
    SetCommandLineArguments({QStringLiteral("-dbeng"), QStringLiteral("TESTREC")});
    ResetStartParams();
    m_hasDriver = DriverClasses().GetByClassName(QStringLiteral("MX32BDE")) != nullptr;
    RegisterMxDriver<TRecordingDriver>([] { return QStringLiteral("BDEDRIV.MXF"); }, [] { return QStringLiteral("BDEDST32.MXF"); });
    RegisterDestDriver(QStringLiteral("TESTREC"), [](const QString& name) { return new TRecordingDestDriver(name); });

    auto* global = new TMxQueryGlobal(nullptr);
    LoadDefinitionFile(Datasources(), QStringLiteral("BDEDRIV.MXF"));
    global->SetPrivateQueryPath(m_dir.path());
    const struct {
        const char* name;
        TDestinationOutput output;
        const char* extension;
    } types[] = {{"Fichier", doFile, "TXT"}, {"Table", doTable, "DBF"}, {"Rapport", doReport, "QRP"}};
    for (const auto& t : types) {
        TDestinationItem* type = DestinationTypes()->AddNew();
        type->SetName(QString::fromLatin1(t.name));
        type->SetOutput(t.output);
        type->SetExtension(QString::fromLatin1(t.extension));
        type->SetDllName(QStringLiteral("TESTREC"));
    }
}

RunTest::~RunTest()
{
    TMxItem::Free(m_query);
    ShutdownEngine();
    UnregisterDestDriver(QStringLiteral("TESTREC"));
    UnregisterMxDriver(&TRecordingDriver::staticClass());
    RootDirOverride.clear();
    ClearCommandLineArguments();
    ResetStartParams();
}

TMxQuery* RunTest::NewQuery()
{
    TMxItem::Free(m_query);
    m_query = new TMxQuery(nullptr);
    m_query->SetDataModel(mxtest::MakeSampleModel(DatabaseFile()), true);
    m_query->SetDomId(mxtest::SampleModel::MainSetId);
    m_query->SetInteractive(false);
    m_query->AddStep();
    return m_query;
}

TMxQueryStep* RunTest::AddStep()
{
    return m_query->AddStep();
}

TMxQueryField* RunTest::Add(TMxQueryStep* step, int tableId, const QString& name)
{
    TMxTable* table = step->DataModel()->Tables()->FindById(tableId);
    if (!table) {
        ADD_FAILURE() << "no table " << tableId;
        return nullptr;
    }
    TMxField* field = table->Fields()->FindField(name);
    if (!field) {
        ADD_FAILURE() << "no field " << name.toStdString();
        return nullptr;
    }
    step->AddFields(table->Entities()->Count() ? table->Entities()->Items(0) : nullptr, field);
    TMxQueryFieldList* all = step->AllFields();
    for (int i = all->Count() - 1; i >= 0; --i)
        if (all->Items(i)->Name() == name && all->Items(i)->GetTable() == table)
            return all->Items(i);
    ADD_FAILURE() << "field not added";
    return nullptr;
}

TQueryDestinationItem* RunTest::SendTo(TMxQueryStep* step, const QString& type, const QString& fileName)
{
    auto* d = static_cast<TQueryDestinationItem*>(step->Destinations()->FindByName(type));
    if (!d) {
        ADD_FAILURE() << "no destination " << type.toStdString();
        return nullptr;
    }
    d->SetFileName(fileName);
    return d;
}

QStringList RunTest::Rows(TMxQueryStep* step)
{
    QStringList rows;
    TIMxDataset* ds = step->Dataset();
    if (!ds)
        return rows;
    for (ds->First(); !ds->Eof(); ds->Next()) {
        QStringList cells;
        for (int i = 0; i < ds->GetFieldCount(); ++i)
            cells << ds->GetFieldValue(i);
        rows << cells.join(u'|');
    }
    return rows;
}

} // namespace runtest
