// What the operations ask of the database driver: the database opened for
// each table is the table's own Database with its item's credentials, and
// every dataset the driver gives is given back to it.

#include "adminfixture.h"

#include "engine/admin/adminmodel.h"
#include "engine/core/classinfo.h"
#include "engine/core/itemptr.h"
#include "engine/driver/dbengine.h"
#include "engine/driver/driverclasses.h"
#include "engine/global/engineshutdown.h"
#include "engine/model/database.h"
#include "engine/model/datamodel.h"
#include "engine/model/table.h"
#include "engine/settings/startparams.h"
#include "engine/tools/commandline.h"

namespace {

using namespace mx;

struct DriverLog {
    QStringList opened;
    int given = 0;
    int freed = 0;
};

DriverLog& Log()
{
    static DriverLog log;
    return log;
}

// The built-in driver, with its calls recorded.
class TAdminRecordingDriver : public TIMxDriver {
    MX_CLASS(TAdminRecordingDriver)
public:
    explicit TAdminRecordingDriver(TMxItem* owner = nullptr) : TIMxDriver(owner)
    {
        if (TMxDriverClassItem* builtIn = DriverClasses().GetByClassName(QStringLiteral("MX32BDE")))
            m_inner = builtIn->Create();
    }
    ~TAdminRecordingDriver() override { TMxItem::Free(m_inner); }
    static bool AcceptsEngine(const QString& name) { return name.toUpper() == u"MX32ADMREC"; }

    QString GetDescription() override { return m_inner->GetDescription(); }
    QString GetVersion() override { return m_inner->GetVersion(); }
    bool OpenDatabase(const QString& databaseName, const QString& userName, const QString& password) override
    {
        Log().opened << QStringLiteral("%1 %2 %3").arg(databaseName, userName, password);
        return m_inner->OpenDatabase(databaseName, userName, password);
    }
    TIMxDataset* ExecuteQuery(const QString& sql, const QString& password, const QString& userName,
        const QString& viewName, const QString& databaseName) override
    {
        return counted(m_inner->ExecuteQuery(sql, password, userName, viewName, databaseName));
    }
    TIMxDataset* GetFieldVar(const QString& d, const QString& t, const TSQLSyntaxProperties& s, const QString& p,
        const QString& u, const QString& f) override
    {
        return counted(m_inner->GetFieldVar(d, t, s, p, u, f));
    }
    TIMxDataset* GetQueryField(const QString& d, const QString& t, const TSQLSyntaxProperties& s, const QString& p,
        const QString& u, const QString& f) override
    {
        return counted(m_inner->GetQueryField(d, t, s, p, u, f));
    }
    void FreeDataset(TIMxDataset* dataset) override
    {
        if (dataset)
            ++Log().freed;
        m_inner->FreeDataset(dataset);
    }
    TIMxDataset* GetTable(const QString& databaseName, const QString& tableName) override
    {
        return counted(m_inner->GetTable(databaseName, tableName));
    }
    void DropView(const QString& d, const QString& v, const QString& p, const QString& u) override { m_inner->DropView(d, v, p, u); }
    void GetTableNames(const QString& d, char* b, int n) override { m_inner->GetTableNames(d, b, n); }
    void GetAliasNames(char* b, int n) override { m_inner->GetAliasNames(b, n); }
    void GetDriverNames(char* b, int n) override { m_inner->GetDriverNames(b, n); }
    QString GetDatabaseType(const QString& d) override { return m_inner->GetDatabaseType(d); }
    QString GetDatabasePassword(const QString& d) override { return m_inner->GetDatabasePassword(d); }
    QString GetDatabaseUserName(const QString& d) override { return m_inner->GetDatabaseUserName(d); }

private:
    static TIMxDataset* counted(TIMxDataset* dataset)
    {
        if (dataset)
            ++Log().given;
        return dataset;
    }
    TIMxDriver* m_inner = nullptr;
};

void describeAdminRecordingDriver(ClassBuilder<TAdminRecordingDriver>&) {}

} // namespace

MX_DEFINE_CLASS(TAdminRecordingDriver, TIMxDriver, describeAdminRecordingDriver)

namespace {

class AdminDriver : public admintest::AdminTest {
protected:
    AdminDriver()
    {
        Log() = {};
        RegisterMxDriver<TAdminRecordingDriver>([] { return QStringLiteral("BDEDRIV.MXF"); },
            [] { return QStringLiteral("BDEDST32.MXF"); });
        SetCommandLineArguments({QStringLiteral("-dbeng"), QStringLiteral("ADMREC")});
        ResetStartParams();
        m_db = Path(QStringLiteral("ventes.sqlite"));
        mxtest::MakeSqliteDatabase(m_db, QStringLiteral(
            "CREATE TABLE CLIENT (NUMERO INTEGER PRIMARY KEY, NOM VARCHAR(30));"
            "CREATE TABLE COMMANDE (NUMCDE INTEGER PRIMARY KEY, NUMERO INTEGER);"));
        WriteAliases(QStringLiteral("[Ventes]\nTYPE=SQLITE\nPATH=%1\nUSERNAME=marie\nPASSWORD=s3cret\n").arg(m_db));
    }
    ~AdminDriver() override
    {
        ShutdownEngine();
        UnregisterMxDriver(&TAdminRecordingDriver::staticClass());
    }
    QString m_db;
    TItemPtr<TMxDataModel> model{new TMxDataModel(nullptr)};
};

TEST_F(AdminDriver, EachTableOpensItsOwnDatabaseWithItsItemsCredentials)
{
    ASSERT_NE(AddTable(model.get(), QStringLiteral("Ventes"), QStringLiteral("CLIENT")), nullptr);
    ASSERT_NE(AddTable(model.get(), m_db, QStringLiteral("COMMANDE")), nullptr);
    EXPECT_EQ(DbEngine()->className(), QStringLiteral("TAdminRecordingDriver"));
    model->Databases()->Clear();
    EXPECT_EQ(BuildDatabaseList(model.get()), 2);
    TMxDatabaseItem* alias = model->Databases()->Items(0);
    EXPECT_EQ(alias->Name(), QStringLiteral("VENTES"));
    alias->SetUserName(QStringLiteral("paul"));
    alias->SetPassword(QStringLiteral("autre"));
    model->Databases()->Items(1)->SetUserName(QStringLiteral("nobody"));

    AnalyseTables(model.get());
    // The alias as the table spells it, the folder's file as written.
    EXPECT_EQ(Log().opened, QStringList({QStringLiteral("Ventes paul autre"), m_db + QStringLiteral(" nobody ")}));
    EXPECT_EQ(model->Tables()->Items(0)->Fields()->Count(), 2);
}

TEST_F(AdminDriver, EveryDatasetGoesBackToTheDriver)
{
    TMxTable* client = AddTable(model.get(), QStringLiteral("Ventes"), QStringLiteral("CLIENT"));
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(AddTable(model.get(), QStringLiteral("Ventes"), QString()), nullptr); // no fields
    EXPECT_EQ(AddTable(model.get(), QStringLiteral("Ventes"), QStringLiteral("NOPE")), nullptr);
    AnalyseTable(model.get(), client);
    ExecSql(m_db, QStringLiteral("DROP TABLE CLIENT"));
    AnalyseTable(model.get(), client);
    EXPECT_TRUE(ReportLines(model.get()).contains(QStringLiteral("Analyse de la table CLIENT impossible")));
    EXPECT_EQ(Log().given, 3);
    EXPECT_EQ(Log().freed, Log().given);
}

} // namespace
