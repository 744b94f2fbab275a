#include "mxdriver.h"

#include "dberror.h"

#include "engine/tools/messages.h"

namespace mx {

MX_DEFINE_CLASS(TMxDriver, TIMxDriver, nullptr)

TMxDriver::TMxDriver(TMxItem* owner) : TIMxDriver(owner) {}

TMxDriver::~TMxDriver() = default;

bool TMxDriver::OpenDatabase(const QString& databaseName, const QString& userName, const QString& password)
{
    try {
        return DoOpenDatabase(databaseName, userName, password) != nullptr;
    } catch (const std::exception& e) {
        AbortIfStopAsked();
        ShowProcError(QStringLiteral("TMxDataset.OpenDatabase"), e);
        return false;
    }
}

void TMxDriver::FreeDataset(TIMxDataset* dataset)
{
    if (!dataset)
        return;
    try {
        dataset->Close();
        dataset->Free();
    } catch (const std::exception& e) {
        ShowProcError(QStringLiteral("TMxDataset.FreeDataset"), e);
    }
}

QString TMxDriver::BuildDistinctSql(const QString& fieldName, const QString& tableName,
    const TSQLSyntaxProperties& syntax)
{
    const bool prefix = HasCap(syntax.Capabilities, scPrefixSourceField);
    QString sql = QStringLiteral("SELECT DISTINCT ");
    if (prefix)
        sql += QStringLiteral("D.");
    sql += HasCap(syntax.Capabilities, scQuoteSourceField) ? QuoteName(syntax, fieldName) : fieldName;
    sql += QStringLiteral(" FROM ");
    sql += QuoteTableName(syntax, tableName);
    if (prefix)
        sql += QStringLiteral(" D");
    return sql;
}

} // namespace mx
