#include "translate.h"

#include "exceptions.h"

namespace mx {

THookSlot<QString(const QString&)> TranslateHook;

QString Translate(const QString& text)
{
    return TranslateHook ? TranslateHook(text) : text;
}

QString TranslateFmt(const QString& pattern, const std::vector<FmtArg>& args)
{
    const QString translated = Translate(pattern);
    if (translated == pattern)
        return Format(pattern, args);
    try {
        return Format(translated, args);
    } catch (const EConvertError&) {
        return Format(pattern, args);
    }
}

} // namespace mx
