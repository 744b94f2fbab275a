#pragma once
// The enumerations of the data model's objects, stored by name in files.

#include "engine/core/classinfo.h"

#include <QChar>
#include <cstdint>

namespace mx {

// Value types of parameters and SQL functions, in the order of the field
// type letters "@", "A", "D", "L", "N", "T".
enum TParamType { ptDateTime, ptString, ptDate, ptLogical, ptNumeric, ptTime };
const EnumInfo& ParamTypeInfo();
QChar ParamTypeLetter(TParamType t);
// The parameter type of a field type letter; ptString for any other letter.
TParamType ParamTypeOfLetter(QChar letter);

enum TUserRight { urModifyDomain, urCreateQueries, urCreateViews };
using TUserRights = std::uint32_t; // one bit per TUserRight
constexpr TUserRights UserRight(TUserRight r) { return TUserRights(1u << r); }
const EnumInfo& UserRightInfo();

enum TCaptionAlign { caLeft, caRight, caTop, caBottom };
const EnumInfo& CaptionAlignInfo();

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = std::uint32_t; // one bit per TFontStyle
constexpr TFontStyles FontStyle(TFontStyle s) { return TFontStyles(1u << s); }
const EnumInfo& FontStyleInfo();

enum TFontPitch { fpDefault, fpVariable, fpFixed };
const EnumInfo& FontPitchInfo();

} // namespace mx
