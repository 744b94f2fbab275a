#pragma once
// Translation of the system's French texts. The language component lives
// above the core: the settings object fills the hook when it is made.
// Without it a text stays as it is.

#include "format.h"
#include "hookslot.h"

#include <QString>

#include <initializer_list>
#include <vector>

namespace mx {

extern THookSlot<QString(const QString& text)> TranslateHook;

QString Translate(const QString& text);
// The same for a text of the program's own written as a UTF-8 literal.
inline QString Translate(const char* text)
{
    return Translate(QString::fromUtf8(text));
}
// The pattern is translated, then formatted. A translation that does not
// fit the arguments falls back to the untranslated pattern.
QString TranslateFmt(const QString& pattern, const std::vector<FmtArg>& args);
inline QString TranslateFmt(const QString& pattern, std::initializer_list<FmtArg> args)
{
    return TranslateFmt(pattern, std::vector<FmtArg>(args));
}

} // namespace mx
