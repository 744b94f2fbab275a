#include "driverclasses.h"

namespace mx {

static void describeDriverClassList(ClassBuilder<TMxDriverClassList>& c)
{
    c.items<TMxDriverClassItem>();
}

MX_DEFINE_CLASS(TMxDriverClassItem, TMxItem, nullptr)
MX_DEFINE_CLASS(TMxDriverClassList, TMxList, describeDriverClassList)

TMxDriverClassItem::TMxDriverClassItem(TMxItem* owner) : TMxItem(owner) {}

TMxDriverClassList::TMxDriverClassList(TMxItem* owner) : TMxTypedList<TMxDriverClassItem>(owner) {}

TMxDriverClassItem* TMxDriverClassList::GetByClassName(const QString& engineName) const
{
    for (int i = 0; i < Count(); ++i) {
        TMxDriverClassItem* entry = Items(i);
        if (entry->Accepts && entry->Accepts(engineName))
            return entry;
    }
    return nullptr;
}

const ClassInfo* TMxDriverClassList::GetClassByName(const QString& engineName) const
{
    const TMxDriverClassItem* entry = GetByClassName(engineName);
    return entry ? entry->DriverClass : nullptr;
}

TMxDriverClassList& DriverClasses()
{
    // Built-in drivers register while the program's units start; the
    // registry holds no code of a plug-in, so it may live to the end.
    static TMxDriverClassList* list = new TMxDriverClassList(nullptr);
    return *list;
}

TMxDriverClassItem* RegisterMxDriver(const ClassInfo* driverClass, TAcceptsEngine accepts, TDriverFactory create,
    TFileNameRoutine datasourceFileName, TFileNameRoutine destFileName)
{
    TMxDriverClassList& list = DriverClasses();
    TMxDriverClassItem* entry = nullptr;
    for (int i = 0; i < list.Count() && !entry; ++i)
        if (list[i]->DriverClass == driverClass)
            entry = list[i];
    if (!entry)
        entry = list.AddNew();
    entry->DriverClass = driverClass;
    entry->SetName(driverClass ? driverClass->name : QString());
    entry->Accepts = std::move(accepts);
    entry->Create = std::move(create);
    entry->DatasourceFileName = std::move(datasourceFileName);
    entry->DestFileName = std::move(destFileName);
    return entry;
}

void UnregisterMxDriver(const ClassInfo* driverClass)
{
    TMxDriverClassList& list = DriverClasses();
    for (int i = list.Count() - 1; i >= 0; --i)
        if (list[i]->DriverClass == driverClass)
            list[i]->Free();
}

} // namespace mx
