#pragma once
// The name lists of the database driver, whole however long they are: the
// aliases, the tables of a database (tables and views), the driver names.
// The built-in driver gives them whole inside the process; a driver of an
// engine library answers through the string-list buffer, given room for
// far more than any list of names (kDriverNamesBufferSize). Each calls
// InitDbEngine first.

#include <QString>
#include <QStringList>

namespace mx {

inline constexpr int kDriverNamesBufferSize = 1 << 20;

QStringList DriverAliasNames();
QStringList DriverTableNames(const QString& databaseName);
QStringList DriverDriverNames();

} // namespace mx
