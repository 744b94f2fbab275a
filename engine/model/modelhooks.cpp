#include "modelhooks.h"

#include "engine/driver/dbengine.h"
#include "engine/driver/dbrequest.h"
#include "engine/driver/driver.h"

namespace mx {

THookSlot<bool(const QString&, TSQLSyntaxProperties&)> ModelDatasourceHook;
THookSlot<std::unique_ptr<TFieldValueCursor>(const TFieldValuesRequest&)> ModelFieldValuesHook;

namespace {

// A dataset of the driver, handed back to it when done.
class TDriverValueCursor : public TFieldValueCursor {
public:
    TDriverValueCursor(TIMxDriver* driver, TIMxDataset* dataset) : m_driver(driver), m_dataset(dataset) {}
    ~TDriverValueCursor() override { m_driver->FreeDataset(m_dataset); }
    void First() override { m_dataset->First(); }
    bool Eof() const override { return m_dataset->Eof(); }
    QString FirstColumn() const override { return m_dataset->GetFieldValue(0); }
    void Next() override { m_dataset->Next(); }

private:
    TIMxDriver* m_driver;
    TIMxDataset* m_dataset;
};

} // namespace

std::unique_ptr<TFieldValueCursor> ReadFieldValues(const TFieldValuesRequest& r)
{
    if (ModelFieldValuesHook)
        return ModelFieldValuesHook(r);
    InitDbEngine();
    TIMxDriver* driver = DbEngine();
    if (!driver)
        return nullptr;
    const TDbRequest request(TDatabaseName(r.DatabaseName), TDbLogin(TUserName(r.UserName), TPassword(r.Password)));
    TIMxDataset* dataset
        = DbFieldValues(*driver, request, TTableName(r.TableName), TFieldName(r.FieldName), r.Syntax, false);
    if (!dataset)
        return nullptr;
    return std::make_unique<TDriverValueCursor>(driver, dataset);
}

} // namespace mx
