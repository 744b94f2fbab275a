#pragma once
// Opens a document, a folder or an address with the desktop's program for
// it (xdg-open), without waiting for it.

#include <QString>

namespace platform {

// True when the opener could be started. A local file name is passed as
// it stands; anything with a scheme ("https:", "mailto:") as an address.
bool shellOpen(const QString& target);

} // namespace platform
