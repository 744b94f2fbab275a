#pragma once
// Text from a file made safe to show on a terminal.

#include <QString>

namespace mx {

// Control characters (C0, DEL, C1) become \xNN. With keepLines, line feeds
// and tabs stay.
QString EscapeControls(const QString& text, bool keepLines = false);

} // namespace mx
