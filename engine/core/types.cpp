#include "types.h"

namespace mx {

#define MX_ENUM_INFO(Fn, TypeName, ...)                                                  \
    const EnumInfo& Fn()                                                                \
    {                                                                                   \
        static const EnumInfo info{QStringLiteral(TypeName), QStringList{__VA_ARGS__}}; \
        return info;                                                                    \
    }

MX_ENUM_INFO(DlgControlKindInfo, "TDlgControlKind", "ckNone", "ckLabel", "ckEdit", "ckListBox", "ckCombo", "ckCheck",
    "ckRadio", "ckBevel", "ckImage")
MX_ENUM_INFO(OperatorInfo, "TOperator", "foConst", "foVar", "foSysVar", "foField", "foAnd", "foOr", "foNotEqual",
    "foPlus", "foMinus", "foMult", "foDiv", "foEqual", "foStarting", "foEnding", "foContaining", "foBlank",
    "foOpenPar", "foClosePar", "foInf", "foEqualInf", "foSup", "foEqualSup", "foCount", "foSum", "foAverage")
MX_ENUM_INFO(FormulaTypeInfo, "TFormulaType", "ftFormula", "ftFilter", "ftEntityFilter")
MX_ENUM_INFO(SortTypeInfo, "TSortType", "sfAscending", "sfDescending")
MX_ENUM_INFO(LinkTypeInfo, "TLinkType", "ltOneToOne", "ltOneToMany")
MX_ENUM_INFO(SQLCapabilitiesInfo, "TSQLCapabilities", "scPrefixAsField", "scLimitRows", "scLimitTime",
    "scQuoteTableName", "scCalculatedSum", "scCreateViews", "scAgregateViews", "scQuoteDates",
    "scPrefixSourceField", "scQuoteSourceField", "scQuoteAsField")

const std::array<TFieldTypeName, 6> FieldTypeNames = {{
    {u'@', "Date Heure"},
    {u'A', "Chaîne"},
    {u'D', "Date"},
    {u'L', "Logique"},
    {u'N', "Numérique"},
    {u'T', "Heure"},
}};

int FieldTypeIndex(QChar letter)
{
    for (size_t i = 0; i < FieldTypeNames.size(); ++i)
        if (FieldTypeNames[i].letter == letter)
            return int(i);
    return -1;
}

const std::array<TTotalKind, 6> TotalKinds = {{
    {84, "(Tout)", "toutes les valeurs du champ"},
    {204, "Nombre", "le nombre de valeurs du champ"},
    {64, "Moyenne", "la moyenne des valeurs du champ"},
    {229, "Somme", "la somme des valeurs du champ"},
    {113, "Minimum", "la valeur minimum du champ"},
    {165, "Maximum", "la valeur maximum du champ"},
}};

} // namespace mx
