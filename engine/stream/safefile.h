#pragma once
// Writing a file so that no failure leaves it truncated and no moment finds
// the disk without a whole good copy: the new content is written whole to a
// temporary file beside it and flushed, then it takes the file's name, and
// only then does the previous content replace the old backup.

#include <QByteArray>
#include <QString>

namespace mx {

// The backup name of a file: its extension becomes "~" followed by the
// extension's first two characters (X.MQR -> X.~MQ); a name without
// extension gets ".~".
QString BackupFileName(const QString& fileName);

// Writes bytes to fileName. When the file exists, its previous content is
// kept in the backup file (replacing an older backup) and the new file has
// its access rights. A write that cannot be finished leaves the file and
// its backup as they were and raises EInOutError.
void WriteFileWithBackup(const QString& fileName, const QByteArray& bytes, bool keepBackup = true);

// The largest object file (query, model, definition file) read: a file
// held whole in memory, past this size, is refused before it is read.
inline constexpr qint64 kMaxObjectFileSize = qint64(256) << 20;

// The bytes of an object file as they stand. Only a regular file is
// opened, never waiting (a pipe or a device is refused, not read); a file
// over maxSize, or whose resource header gives a stream over maxSize, is
// refused before its data is read (a stream longer than the file is the
// reader's to tell, at the byte where it ends). Raises EInOutError (or
// EReadError for the header) with the file named.
QByteArray ReadObjectFileBytes(const QString& fileName, qint64 maxSize = kMaxObjectFileSize);

} // namespace mx
