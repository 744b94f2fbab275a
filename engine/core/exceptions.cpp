#include "exceptions.h"

#include <cxxabi.h>
#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace mx {

QString ExceptionClassName(const std::exception& e)
{
    if (auto* ours = dynamic_cast<const Exception*>(&e))
        return ours->className();
    const char* raw = typeid(e).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(raw, nullptr, nullptr, &status), std::free);
    return QString::fromUtf8(status == 0 && demangled ? demangled.get() : raw);
}

QString ExceptionMessage(const std::exception& e)
{
    if (auto* ours = dynamic_cast<const Exception*>(&e))
        return ours->message();
    return QString::fromUtf8(e.what());
}

void RaiseListIndexError(qsizetype index)
{
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

} // namespace mx
