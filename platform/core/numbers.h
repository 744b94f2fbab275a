#pragma once
// Integers written as the class library reads them: optional sign,
// decimal, or hexadecimal after "$" or "0x" ("$FFFFFFFF" is -1).

#include <QString>

#include <optional>

namespace platform {

std::optional<int> parseInteger(QString text);

} // namespace platform
