#include "mxdataset.h"

#include "dberror.h"

#include "engine/tools/messages.h"

#include "platform/dbengine/dbfield.h"

namespace mx {

MX_DEFINE_CLASS(TMxDataset, TIMxDataset, nullptr)

TMxDataset::TMxDataset(TMxItem* owner) : TIMxDataset(owner) {}

TMxDataset::~TMxDataset() = default;

void TMxDataset::SetDataset(std::unique_ptr<TDbDataObject> dataSet)
{
    ClearFields();
    m_data = std::move(dataSet);
    m_fetchReported = false;
    if (!m_data)
        return;
    for (const platform::DbField& f : m_data->fieldDefs) {
        const int size = f.size < 0 ? 0 : (f.size > 0xFFFF ? 0xFFFF : f.size);
        AddFieldDescription(std::make_unique<TIMxField>(f.name, std::uint8_t(f.type), std::uint16_t(size)));
    }
}

void TMxDataset::CheckFetch(const QString& procName)
{
    const platform::DbDataset* rows = Rows();
    if (!rows || m_fetchReported || rows->fetchError().isEmpty())
        return;
    m_fetchReported = true;
    // Rows the user stopped reading end there: the run tells its
    // cancellation, not the database's words.
    if (DbStopAsked())
        return;
    ShowProcError(procName, EDBEngineError(rows->fetchError()));
}

int TMxDataset::GetFieldCount()
{
    return FieldDescriptionCount();
}

QString TMxDataset::GetFieldValue(int index)
{
    try {
        const TIMxField* field = FieldDescription(index);
        const platform::DbDataset* rows = Rows();
        if (!field || !rows || !rows->isActive() || index >= rows->fieldCount())
            return {};
        return platform::valueText(rows->value(index), platform::DbFieldType(field->DataType), m_format);
    } catch (...) {
        return {};
    }
}

QString TMxDataset::GetFieldValueByName(const QString& name)
{
    for (int i = 0; i < FieldDescriptionCount(); ++i)
        if (FieldDescription(i)->Name.compare(name, Qt::CaseInsensitive) == 0)
            return GetFieldValue(i);
    return {};
}

QString TMxDataset::GetFieldName(int index)
{
    const TIMxField* field = FieldDescription(index);
    return field ? field->Name : QString();
}

int TMxDataset::GetFieldWidth(int index)
{
    const TIMxField* field = FieldDescription(index);
    if (!field)
        return 0;
    platform::DbField f;
    f.type = platform::DbFieldType(field->DataType);
    f.size = field->Size;
    return platform::fieldDisplayWidth(f);
}

int TMxDataset::GetFieldSize(int index)
{
    const TIMxField* field = FieldDescription(index);
    return field ? field->Size : 0;
}

int TMxDataset::GetRecordCount()
{
    try {
        platform::DbDataset* rows = Rows();
        if (!rows || !rows->isActive())
            return 0;
        const int count = rows->recordCount();
        CheckFetch(QStringLiteral("TMxDataset.GetRecordCount"));
        return count;
    } catch (...) {
        return 0;
    }
}

bool TMxDataset::GetActive()
{
    const platform::DbDataset* rows = Rows();
    return rows && rows->isActive();
}

QString TMxDataset::GetFieldTypeName(int index)
{
    const TIMxField* field = FieldDescription(index);
    return field ? platform::fieldTypeName(field->DataType) : QStringLiteral("UNKNOWN");
}

void TMxDataset::First()
{
    if (platform::DbDataset* rows = Rows())
        rows->first();
}

void TMxDataset::Last()
{
    if (platform::DbDataset* rows = Rows()) {
        rows->last();
        CheckFetch(QStringLiteral("TMxDataset.Last"));
    }
}

void TMxDataset::Next()
{
    if (platform::DbDataset* rows = Rows()) {
        rows->next();
        CheckFetch(QStringLiteral("TMxDataset.Next"));
    }
}

void TMxDataset::Prior()
{
    if (platform::DbDataset* rows = Rows())
        rows->prior();
}

bool TMxDataset::Bof()
{
    const platform::DbDataset* rows = Rows();
    return !rows || rows->bof();
}

bool TMxDataset::Eof()
{
    const platform::DbDataset* rows = Rows();
    return !rows || rows->eof();
}

void TMxDataset::Close()
{
    try {
        if (platform::DbDataset* rows = Rows())
            rows->close();
    } catch (const std::exception& e) {
        ShowProcError(QStringLiteral("TMxDataset.Close"), e);
    }
}

void TMxDataset::MoveBy(int distance)
{
    try {
        if (platform::DbDataset* rows = Rows()) {
            rows->moveBy(distance);
            CheckFetch(QStringLiteral("TMxDataset.MoveBy"));
        }
    } catch (const std::exception& e) {
        ShowProcError(QStringLiteral("TMxDataset.MoveBy"), e);
    }
}

int TMxDataset::GetRecNo()
{
    const platform::DbDataset* rows = Rows();
    return rows ? rows->recNo() : 0;
}

void TMxDataset::SetRecNo(int value)
{
    if (platform::DbDataset* rows = Rows()) {
        rows->setRecNo(value);
        CheckFetch(QStringLiteral("TMxDataset.SetRecNo"));
    }
}

namespace {

// A row cursor over a cursor of the database engine's dataset.
class TDbRowCursor : public TIMxRowCursor {
public:
    TDbRowCursor(std::unique_ptr<platform::DbCursor> cursor, std::vector<TIMxField> fields)
        : m_cursor(std::move(cursor)), m_fields(std::move(fields)) {}
    const std::vector<TIMxField>& Fields() const override { return m_fields; }
    bool Next() override { return m_cursor->next(); }
    QVariant Value(int field) const override { return m_cursor->value(field); }
    QString Error() const override { return m_cursor->fetchError(); }
    std::unique_ptr<TIMxRowCursor> Clone() const override
    {
        return std::make_unique<TDbRowCursor>(m_cursor->clone(), m_fields);
    }

private:
    std::unique_ptr<platform::DbCursor> m_cursor;
    std::vector<TIMxField> m_fields;
};

} // namespace

void TMxDataset::SetFieldType(int index, std::uint8_t dataType, std::uint16_t size)
{
    if (!FieldDescription(index))
        return;
    TIMxDataset::SetFieldType(index, dataType, size);
    if (!m_data || index >= m_data->fieldDefs.size())
        return;
    platform::DbField& def = m_data->fieldDefs[index];
    def.type = platform::DbFieldType(dataType);
    def.size = size;
    // The declaration a copy sizes its columns from; a string of no size
    // given has its values measured.
    const bool measured = def.type == platform::DbFieldType::String && size == 0;
    def.declaredType = measured ? QString() : platform::declaredTypeFor(def);
    if (platform::DbDataset* rows = Rows())
        rows->setField(index, def);
}

std::unique_ptr<TIMxRowCursor> TMxDataset::CreateRowCursor()
{
    const platform::DbDataset* rows = Rows();
    std::unique_ptr<platform::DbCursor> cursor = rows ? rows->cursor() : nullptr;
    if (!cursor)
        return nullptr;
    // The descriptions the dataset gives (a table's declared fields), one
    // per column of the rows.
    std::vector<TIMxField> fields;
    for (int i = 0; i < FieldDescriptionCount() && i < rows->fieldCount(); ++i) {
        const TIMxField* f = FieldDescription(i);
        fields.emplace_back(f->Name, f->DataType, f->Size);
    }
    return std::make_unique<TDbRowCursor>(std::move(cursor), std::move(fields));
}

} // namespace mx
