#include "bdedataset.h"

#include "dberror.h"

#include "engine/tools/messages.h"

namespace mx {

MX_DEFINE_CLASS(TMxBdeDataset, TMxDataset, nullptr)

TMxBdeDataset::TMxBdeDataset(TMxItem* owner) : TMxDataset(owner) {}

TMxBdeDataset::~TMxBdeDataset() = default;

void TMxBdeDataset::SetDataset(std::unique_ptr<TDbDataObject> dataSet)
{
    TMxDataset::SetDataset(std::move(dataSet));
    KeyFields().clear();
    if (Dataset() && Dataset()->kind == TDbDataObject::Table)
        GetKeyIndex();
}

QString TMxBdeDataset::GetKeyIndex()
{
    KeyFields().clear();
    const TDbDataObject* data = Dataset();
    if (!data || data->kind != TDbDataObject::Table)
        return {};
    for (const QString& name : data->keyFields)
        if (!name.isEmpty())
            KeyFields().append(name);
    return KeyFields().join(u';');
}

void TMxBdeDataset::DumpTable(const QString& fileName)
{
    try {
        platform::DbDataset* rows = Rows();
        if (!rows || !rows->isActive())
            throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
        QString error;
        if (!rows->copyTo(fileName, &error))
            throw EDBEngineError(error);
    } catch (const std::exception& e) {
        if (DbStopAsked())
            return; // stopped by the user: the run tells its cancellation
        ShowProcError(QStringLiteral("TMxBdeDataset.DumpTable"), e);
    }
}

bool TMxBdeDataset::ExpectTables(const QStringList& fileNames)
{
    if (platform::DbDataset* rows = Rows())
        rows->expectCopies(fileNames);
    return true;
}

} // namespace mx
