#include "modeltypes.h"

namespace mx {

#define MX_MODEL_ENUM_INFO(Fn, TypeName, ...)                                            \
    const EnumInfo& Fn()                                                                \
    {                                                                                   \
        static const EnumInfo info{QStringLiteral(TypeName), QStringList{__VA_ARGS__}}; \
        return info;                                                                    \
    }

MX_MODEL_ENUM_INFO(ParamTypeInfo, "TParamType", "ptDateTime", "ptString", "ptDate", "ptLogical", "ptNumeric", "ptTime")
MX_MODEL_ENUM_INFO(UserRightInfo, "TUserRight", "urModifyDomain", "urCreateQueries", "urCreateViews")
MX_MODEL_ENUM_INFO(CaptionAlignInfo, "TCaptionAlign", "caLeft", "caRight", "caTop", "caBottom")
MX_MODEL_ENUM_INFO(FontStyleInfo, "TFontStyle", "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")
MX_MODEL_ENUM_INFO(FontPitchInfo, "TFontPitch", "fpDefault", "fpVariable", "fpFixed")

namespace {
constexpr char16_t kLetters[] = {u'@', u'A', u'D', u'L', u'N', u'T'};
}

QChar ParamTypeLetter(TParamType t)
{
    const int i = int(t);
    return (i >= 0 && i < 6) ? QChar(kLetters[i]) : QChar(u'A');
}

TParamType ParamTypeOfLetter(QChar letter)
{
    for (int i = 0; i < 6; ++i)
        if (letter == QChar(kLetters[i]))
            return TParamType(i);
    return ptString;
}

} // namespace mx
