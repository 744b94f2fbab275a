#include "adminfixture.h"
#include "tests/support/samplefiles.h"

#include "engine/bde/bdesession.h"
#include "engine/core/strings.h"
#include "engine/driver/rootdir.h"
#include "engine/global/engineshutdown.h"
#include "engine/global/queryglobal.h"
#include "engine/model/datamodel.h"
#include "engine/model/field.h"
#include "engine/model/table.h"
#include "engine/settings/startparams.h"
#include "engine/tools/commandline.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

namespace admintest {

using namespace mx;

AdminTest::AdminTest()
    : m_root(Path(QStringLiteral("root/"))), m_rootHook(RootDirOverride, [this] { return m_root; })
{
    QDir().mkpath(m_root);
    const QDir bin(mxtest::BinDir());
    for (const char* name : {"FLDTYPES.MXF", "BDEDRIV.MXF", "BDEDST32.MXF"}) {
        const QString file = QString::fromLatin1(name);
        EXPECT_TRUE(QFile::copy(bin.filePath(file), m_root + file)) << name;
    }
    SetCommandLineArguments({});
    ResetStartParams();
    ResetBdeSession();
    auto* global = new TMxQueryGlobal(nullptr);
    LoadDefinitionFile(global->FldTypes(), QString::fromLatin1(kFieldTypesFile));
}

AdminTest::~AdminTest()
{
    ShutdownEngine();
    ResetBdeSession();
    ClearCommandLineArguments();
    ResetStartParams();
}

void AdminTest::WriteAliases(const QString& text)
{
    mxtest::WriteAll(m_root + QStringLiteral("ALIASES.INI"), text.toUtf8());
    ResetBdeSession();
}

void AdminTest::ExecSql(const QString& database, const QString& sql)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(database).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << database.toStdString();
    } else {
        char* message = nullptr;
        if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK)
            ADD_FAILURE() << (message ? message : "?") << "\n" << sql.toStdString();
        sqlite3_free(message);
    }
    sqlite3_close(db);
}

TMxTable* AdminTest::MakeTable(TMxDataModel* model, int id, const QString& name, std::initializer_list<FieldSpec> fields,
    const QString& database)
{
    auto* table = new TMxTable(model->Tables());
    table->SetId(id);
    table->SetName(name);
    table->SetFullName(name);
    table->SetDatabase(database);
    for (const FieldSpec& spec : fields) {
        auto* field = new TDmField(table->Fields());
        field->SetName(QString::fromUtf8(spec.name));
        field->SetFullName(QString::fromUtf8(spec.fullName ? spec.fullName : spec.name));
        field->SetLongType(QString::fromUtf8(spec.longType));
        field->SetIdx(spec.idx);
    }
    return table;
}

TDmField* AdminTest::Field(TMxTable* table, const QString& name)
{
    return dynamic_cast<TDmField*>(table->Fields()->FindByName(name));
}

QStringList AdminTest::ReportLines(TMxDataModel* model, int from)
{
    QStringList lines;
    for (int i = from; i < model->Report()->Count(); ++i)
        lines << model->Report()->Strings(i);
    return lines;
}

} // namespace admintest
