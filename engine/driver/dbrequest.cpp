#include "dbrequest.h"

#include "driver.h"

namespace mx {

bool DbOpenDatabase(TIMxDriver& driver, const TDbRequest& r)
{
    return driver.OpenDatabase(r.database.Text(), r.login.userName.Text(), r.login.password.Text());
}

TIMxDataset* DbExecuteQuery(TIMxDriver& driver, const TDbRequest& r, const QString& sql)
{
    return driver.ExecuteQuery(sql, r.login.password.Text(), r.login.userName.Text(), r.view.Text(), r.database.Text());
}

void DbDropView(TIMxDriver& driver, const TDbRequest& r)
{
    driver.DropView(r.database.Text(), r.view.Text(), r.login.password.Text(), r.login.userName.Text());
}

TIMxDataset* DbFieldValues(TIMxDriver& driver, const TDbRequest& r, const TTableName& table, const TFieldName& field,
    const TSQLSyntaxProperties& syntax, bool positioned)
{
    if (positioned)
        return driver.GetFieldVar(r.database.Text(), table.Text(), syntax, r.login.password.Text(), r.login.userName.Text(),
            field.Text());
    return driver.GetQueryField(r.database.Text(), table.Text(), syntax, r.login.password.Text(), r.login.userName.Text(),
        field.Text());
}

} // namespace mx
