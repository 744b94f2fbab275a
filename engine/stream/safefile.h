#pragma once
// Writing a file so that no failure leaves it truncated: the new content is
// written whole to a temporary file beside it, the previous file becomes
// the backup, and the temporary file is renamed over the old name.

#include <QByteArray>
#include <QString>

namespace mx {

// The backup name of a file: its extension becomes "~" followed by the
// extension's first two characters (X.MQR -> X.~MQ); a name without
// extension gets ".~".
QString BackupFileName(const QString& fileName);

// Writes bytes to fileName. When the file exists, its previous content is
// kept in the backup file (replacing an older backup). Raises EInOutError.
void WriteFileWithBackup(const QString& fileName, const QByteArray& bytes, bool keepBackup = true);

} // namespace mx
