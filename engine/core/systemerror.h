#pragma once
// The reason of a failed file operation in the session's words. The
// system's own texts ("No such file or directory") are English whatever
// the session; these give the program's French text for the error, passed
// through Translate.

#include <QString>

class QFileDevice;

namespace mx {

// The reason for an errno value.
QString ErrnoReason(int error);
// The reason for the last error of a file: its system error when the
// file's error text is one (Qt keeps only the text), else the kind of
// operation that failed.
QString FileErrorReason(const QFileDevice& file);

} // namespace mx
