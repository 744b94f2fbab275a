#pragma once
// The engine's enumerations, stored by name in object files, with their
// name tables; the field type letters and the total kinds.

#include "classinfo.h"

#include <QChar>
#include <QString>

#include <array>
#include <cstdint>

namespace mx {

enum TDlgControlKind { ckNone, ckLabel, ckEdit, ckListBox, ckCombo, ckCheck, ckRadio, ckBevel, ckImage };
enum TOperator {
    foConst, foVar, foSysVar, foField, foAnd, foOr, foNotEqual, foPlus, foMinus, foMult, foDiv, foEqual,
    foStarting, foEnding, foContaining, foBlank, foOpenPar, foClosePar, foInf, foEqualInf, foSup, foEqualSup,
    foCount, foSum, foAverage
};
enum TFormulaType { ftFormula, ftFilter, ftEntityFilter };
enum TSortType { sfAscending, sfDescending };
enum TLinkType { ltOneToOne, ltOneToMany };
enum TSQLCapability {
    scPrefixAsField, scLimitRows, scLimitTime, scQuoteTableName, scCalculatedSum, scCreateViews,
    scAgregateViews, scQuoteDates, scPrefixSourceField, scQuoteSourceField, scQuoteAsField
};
// A set of capabilities, one bit per ordinal, stored in 16 bits.
using TSetSQLCapabilities = std::uint16_t;
constexpr TSetSQLCapabilities SqlCap(TSQLCapability c) { return TSetSQLCapabilities(1u << c); }
constexpr bool HasCap(TSetSQLCapabilities set, TSQLCapability c) { return set & SqlCap(c); }

const EnumInfo& DlgControlKindInfo();
const EnumInfo& OperatorInfo();
const EnumInfo& FormulaTypeInfo();
const EnumInfo& SortTypeInfo();
const EnumInfo& LinkTypeInfo();
const EnumInfo& SQLCapabilitiesInfo();

// Field type letters, in the order of parameter types.
struct TFieldTypeName {
    QChar letter;
    const char* name; // French, shown through Translate
};
extern const std::array<TFieldTypeName, 6> FieldTypeNames;
// The index of a field type letter, or -1.
int FieldTypeIndex(QChar letter);

struct TTotalKind {
    unsigned char symbol; // drawn in the Symbol font
    const char* name;
    const char* description;
};
extern const std::array<TTotalKind, 6> TotalKinds;

} // namespace mx
