#pragma once
// Destination drivers by module name: factories of the program's own units
// first, then plug-in libraries of that name.

#include <QString>

#include <functional>
#include <memory>

namespace mx {

class TIMxDestDriver;

// Gives a new driver for a destination-type name, or none.
using TDestDriverFactory = std::function<TIMxDestDriver*(const QString& destName)>;

// Registers (or replaces) the factory of a module; names ignore case.
void RegisterDestDriver(const QString& moduleName, TDestDriverFactory factory);
void UnregisterDestDriver(const QString& moduleName);
bool HasDestDriverFactory(const QString& moduleName);

// The driver of destination type destName in module moduleName: the
// registered factory's answer when it gives one, else the answer of the
// destination library of that module, loaded on first use. None when the
// library has none; the errors of loading the library reach the caller.
std::shared_ptr<TIMxDestDriver> GetDestDriver(const QString& moduleName, const QString& destName);

} // namespace mx
