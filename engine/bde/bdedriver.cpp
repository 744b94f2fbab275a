#include "bdedriver.h"

#include "bdedataset.h"
#include "bdesession.h"
#include "dberror.h"

#include "engine/core/itemptr.h"
#include "engine/core/userservice.h"
#include "engine/driver/driverclasses.h"
#include "engine/global/datasource.h"
#include "engine/settings/global.h"
#include "engine/tools/messages.h"
#include "engine/tools/stringbuffer.h"

#include "platform/dbengine/dbsession.h"
#include "platform/dbengine/sqlreferences.h"

namespace mx {
namespace {

// The text form of a database's values: the date order of its dialect.
platform::DbTextFormat textFormatOf(const platform::DbDatabase* db)
{
    return platform::DbTextFormat{DatasourceSyntax(db ? db->type() : QString()).SQLDateEditor};
}

void checkViewName(const QString& viewName)
{
    if (!platform::isPlainViewName(viewName))
        throw EDatabaseError(
            QStringLiteral("Invalid view name: \"%1\" (letters, digits and \"_\" only)").arg(viewName));
}

} // namespace

MX_DEFINE_CLASS(TMxBdeDriver, TMxDriver, nullptr)

TMxBdeDriver::TMxBdeDriver(TMxItem* owner) : TMxDriver(owner) {}

TMxBdeDriver::~TMxBdeDriver() = default;

QString TMxBdeDriver::GetDescription()
{
    return QStringLiteral("Borland Database Engine Driver");
}

QString TMxBdeDriver::GetVersion()
{
    return QStringLiteral("0.99b");
}

bool TMxBdeDriver::AcceptsEngine(const QString& engineName)
{
    const QString name = engineName.toUpper();
    return name == u"MX32BDE" || name == u"MXDBBDE";
}

platform::DbDatabase* TMxBdeDriver::FindOrOpenDatabase(const QString& databaseName, const QString& userName,
    const QString& password)
{
    QString error;
    platform::DbDatabase* db = BdeSession().openDatabase(databaseName, userName, password, &error);
    if (!db)
        throw EDBEngineError(error);
    return db;
}

platform::DbDatabase* TMxBdeDriver::DoOpenDatabase(const QString& databaseName, const QString& userName,
    const QString& password)
{
    return FindOrOpenDatabase(databaseName, userName, password);
}

TIMxDataset* TMxBdeDriver::ExecuteQuery(const QString& sql, const QString& password, const QString& userName,
    const QString& viewName, const QString& databaseName)
{
    try {
        platform::DbDatabase* db = DoOpenDatabase(databaseName, userName, password);
        TItemPtr<TMxBdeDataset> dataset(new TMxBdeDataset(nullptr)); // freed unless handed out
        dataset->SetTextFormat(textFormatOf(db));
        QString error;
        if (viewName.isEmpty()) {
            std::unique_ptr<platform::DbDataset> rows = db->openQuery(sql, &error);
            if (!rows)
                throw EDBEngineError(error);
            dataset->SetDataset(TDbDataObject::FromQuery(std::move(rows)));
            return dataset.release();
        }
        QString dropError;
        try {
            checkViewName(viewName);
            QString why;
            if (!db->dropView(viewName, &why))
                dropError = QStringLiteral("Drop view error = ") + why;
            if (!db->execute(sql, &error))
                throw EDBEngineError(error);
            std::unique_ptr<platform::DbDataset> rows = db->openTable(viewName, &error);
            if (!rows) {
                // SQLite checks a view's columns only when it is read: a
                // view that cannot be opened is not left in the database.
                QString ignored;
                db->dropView(viewName, &ignored);
                throw EDBEngineError(error);
            }
            dataset->SetDataset(TDbDataObject::FromTable(viewName, std::move(rows)));
        } catch (const std::exception& e) {
            throw EDatabaseError(QStringLiteral("Error : ") + ExceptionMessage(e) + u'\n' + dropError);
        }
        return dataset.release();
    } catch (const std::exception& e) {
        AbortIfStopAsked();
        UserService().MessageDlg(
            Translate(QStringLiteral("Erreur lors de l'éxecution de la requête : ")) + ExceptionMessage(e),
            TMsgDlgType::mtError, mbOK);
        return nullptr;
    }
}

TIMxDataset* TMxBdeDriver::distinctValues(const QString& procName, const QString& databaseName,
    const QString& tableName, const TSQLSyntaxProperties& syntax, const QString& password, const QString& userName,
    const QString& fieldName, bool positioned)
{
    try {
        platform::DbDatabase* db = DoOpenDatabase(databaseName, userName, password);
        TItemPtr<TMxBdeDataset> dataset(new TMxBdeDataset(nullptr));
        // The values go back into SQL as constants: they are written in the
        // order the dialect reads them back.
        dataset->SetTextFormat(platform::DbTextFormat{syntax.SQLDateEditor});
        QString error;
        std::unique_ptr<platform::DbDataset> rows = db->openQuery(BuildDistinctSql(fieldName, tableName, syntax), &error);
        if (!rows)
            throw EDBEngineError(error);
        dataset->SetDataset(TDbDataObject::FromQuery(std::move(rows)));
        if (positioned)
            dataset->First();
        return dataset.release();
    } catch (const std::exception& e) {
        AbortIfStopAsked();
        ShowProcError(procName, e);
        return nullptr;
    }
}

TIMxDataset* TMxBdeDriver::GetFieldVar(const QString& databaseName, const QString& tableName,
    const TSQLSyntaxProperties& syntax, const QString& password, const QString& userName, const QString& fieldName)
{
    return distinctValues(QStringLiteral("TMxBdeDataset.GetFieldVar"), databaseName, tableName, syntax, password,
        userName, fieldName, true);
}

TIMxDataset* TMxBdeDriver::GetQueryField(const QString& databaseName, const QString& tableName,
    const TSQLSyntaxProperties& syntax, const QString& password, const QString& userName, const QString& fieldName)
{
    return distinctValues(QStringLiteral("TMxBdeDataset.GetQueryField"), databaseName, tableName, syntax, password,
        userName, fieldName, false);
}

TIMxDataset* TMxBdeDriver::GetTable(const QString& databaseName, const QString& tableName)
{
    try {
        platform::DbDatabase* db = DoOpenDatabase(databaseName, QString(), QString());
        TItemPtr<TMxBdeDataset> dataset(new TMxBdeDataset(nullptr));
        dataset->SetTextFormat(textFormatOf(db));
        if (tableName.isEmpty()) {
            dataset->SetDataset(TDbDataObject::FromDefinitions(QString(), {}, {}));
        } else {
            platform::DbTableInfo info;
            QString error;
            if (!db->tableInfo(tableName, &info, &error))
                throw EDBEngineError(error);
            dataset->SetDataset(TDbDataObject::FromDefinitions(tableName, info.fields, info.keyFields));
        }
        return dataset.release();
    } catch (const std::exception& e) {
        AbortIfStopAsked();
        ShowProcError(QStringLiteral("TMxBdeDriver.GetTable"), e);
        return nullptr;
    }
}

void TMxBdeDriver::DropView(const QString& databaseName, const QString& viewName, const QString& password,
    const QString& userName)
{
    try {
        platform::DbDatabase* db = DoOpenDatabase(databaseName, userName, password);
        QString ignored;
        db->dropView(viewName, &ignored); // refuses a name that is not plain
    } catch (...) {
    }
}

QStringList TMxBdeDriver::TableNameList(const QString& databaseName)
{
    QStringList names;
    try {
        platform::DbDatabase* db = DoOpenDatabase(databaseName, QString(), QString());
        QString error;
        names = db->tableNames(&error);
        if (!error.isEmpty())
            throw EDBEngineError(error);
    } catch (const std::exception& e) {
        AbortIfStopAsked();
        UserService().MessageDlg(ExceptionMessage(e), TMsgDlgType::mtError, mbOK);
    }
    return names;
}

QStringList TMxBdeDriver::AliasNameList()
{
    return BdeSession().aliasNames();
}

QStringList TMxBdeDriver::DriverNameList()
{
    return BdeSession().driverNames();
}

void TMxBdeDriver::GetTableNames(const QString& databaseName, char* buffer, int bufferSize)
{
    StringsToBuf(TableNameList(databaseName), buffer, bufferSize);
}

void TMxBdeDriver::GetAliasNames(char* buffer, int bufferSize)
{
    StringsToBuf(AliasNameList(), buffer, bufferSize);
}

void TMxBdeDriver::GetDriverNames(char* buffer, int bufferSize)
{
    StringsToBuf(DriverNameList(), buffer, bufferSize);
}

QString TMxBdeDriver::GetDatabaseType(const QString& databaseName)
{
    try {
        QString error;
        return BdeSession().databaseType(databaseName, &error).left(63);
    } catch (...) {
        return {};
    }
}

QString TMxBdeDriver::GetDatabasePassword(const QString& databaseName)
{
    try {
        return FindOrOpenDatabase(databaseName, QString(), QString())->password();
    } catch (...) {
        return {};
    }
}

QString TMxBdeDriver::GetDatabaseUserName(const QString& databaseName)
{
    try {
        return FindOrOpenDatabase(databaseName, QString(), QString())->userName();
    } catch (...) {
        return {};
    }
}

namespace {

// The built-in engine, with its datasource and destination-type files.
[[maybe_unused]] const bool g_registered = [] {
    RegisterMxDriver<TMxBdeDriver>([] { return QStringLiteral("BDEDRIV.MXF"); },
        [] { return QStringLiteral("BDEDST32.MXF"); });
    return true;
}();

} // namespace

} // namespace mx
