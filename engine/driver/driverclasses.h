#pragma once
// The registry of the database drivers built into the program. A built-in
// driver registers its class at start, with the names of its engine's
// definition files (the datasource file and the destination-type file).

#include "driver.h"

#include "engine/core/list.h"

#include <functional>

namespace mx {

using TDriverFactory = std::function<TIMxDriver*()>;
using TAcceptsEngine = std::function<bool(const QString& engineName)>;
using TFileNameRoutine = std::function<QString()>;

class TMxDriverClassItem : public TMxItem {
    MX_CLASS(TMxDriverClassItem)
public:
    explicit TMxDriverClassItem(TMxItem* owner = nullptr);

    const ClassInfo* DriverClass = nullptr;
    TAcceptsEngine Accepts;
    TDriverFactory Create;
    TFileNameRoutine DatasourceFileName;
    TFileNameRoutine DestFileName;
};

class TMxDriverClassList : public TMxTypedList<TMxDriverClassItem> {
    MX_CLASS(TMxDriverClassList)
public:
    explicit TMxDriverClassList(TMxItem* owner = nullptr);
    // The first registered class that accepts the engine name; none.
    const ClassInfo* GetClassByName(const QString& engineName) const;
    // The entry of that class; none.
    TMxDriverClassItem* GetByClassName(const QString& engineName) const;
    TMxDriverClassItem* Get(int index) const { return Items(index); }
};

// The registry, made on first use; it lives as long as the process.
TMxDriverClassList& DriverClasses();

// Registers a driver class with its engine's file-name routines. A class
// registered again replaces its entry.
TMxDriverClassItem* RegisterMxDriver(const ClassInfo* driverClass, TAcceptsEngine accepts, TDriverFactory create,
    TFileNameRoutine datasourceFileName, TFileNameRoutine destFileName);
// The same for a driver class T with T::AcceptsEngine and T(TMxItem* owner).
template <class T>
TMxDriverClassItem* RegisterMxDriver(TFileNameRoutine datasourceFileName, TFileNameRoutine destFileName)
{
    return RegisterMxDriver(&T::staticClass(), &T::AcceptsEngine, [] { return new T(nullptr); },
        std::move(datasourceFileName), std::move(destFileName));
}
void UnregisterMxDriver(const ClassInfo* driverClass);

} // namespace mx
