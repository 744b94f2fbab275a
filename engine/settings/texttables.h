#pragma once
// The program's own translation tables, consulted when the language library
// gives no translation of a text. The windows are written in French, but a
// few of their texts are English words kept from the original forms
// ("General options", "Browse...", the missing-file dialog); in a French
// session those are shown in French. In an English session the French
// reasons of system errors (core/systemerror.h) are shown in English.

#include <QString>

namespace mx {

// The translation of text for the language code ("Fr", "En"...); a null
// string when the table has none.
QString BuiltInTranslation(const QString& langCode, const QString& text);

} // namespace mx
