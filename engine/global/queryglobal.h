#pragma once
// The definition lists both programs read from the installation folder at
// start, kept for the whole process: operators, formula and filter checks,
// field types, destination types and the SQL dialects of the drivers.

#include "datasource.h"
#include "fieldtype.h"
#include "filtercheck.h"
#include "formulacheck.h"
#include "formulaoperator.h"

#include "engine/core/itemptr.h"
#include "engine/core/strings.h"
#include "engine/destination/destinationtype.h"

namespace mx {

inline constexpr const char* kFieldTypesFile = "FLDTYPES.MXF";
inline constexpr const char* kOperatorsFile = "OPER.MXF";
inline constexpr const char* kFormulaChecksFile = "FORCHECK.MXF";
inline constexpr const char* kFilterChecksFile = "FILCHECK.MXF";

class TMxQueryGlobal : public TMxItem {
    MX_CLASS(TMxQueryGlobal)
public:
    // Also makes the process-wide DestinationTypes and Datasources when
    // they do not exist; the first one made becomes QueryGlobal.
    explicit TMxQueryGlobal(TMxItem* owner = nullptr);
    ~TMxQueryGlobal() override;

    TStringList* TotalList() const { return m_totalList.get(); }
    TFilterCheckList* FilterCheck() const { return m_filterCheck.get(); }
    TFormulaCheckList* FormulaCheck() const { return m_formulaCheck.get(); }
    TFormulaOperatorList* FormulaOperator() const { return m_formulaOperator.get(); }
    TFieldTypeList* FldTypes() const { return m_fldTypes.get(); }
    const QString& PrivateQueryPath() const { return m_privateQueryPath; }
    void SetPrivateQueryPath(const QString& value);

    // Fills TotalList, then loads FILCHECK.MXF, FORCHECK.MXF, OPER.MXF,
    // FLDTYPES.MXF, the engine's destination file and its datasource file
    // from the installation folder, in this order. A file that cannot be
    // loaded raises EMxException naming it.
    void LoadGlobals();

protected:
    void BeforeDestruction() override;

private:
    void freeLists() noexcept;
    std::unique_ptr<TStringList> m_totalList;
    TItemPtr<TFilterCheckList> m_filterCheck;
    TItemPtr<TFormulaCheckList> m_formulaCheck;
    TItemPtr<TFormulaOperatorList> m_formulaOperator;
    TItemPtr<TFieldTypeList> m_fldTypes;
    QString m_privateQueryPath;
};

// The process-wide objects; none before a TMxQueryGlobal was made (the
// destination types are DestinationTypes, destination/destinationtype.h).
TMxQueryGlobal* QueryGlobal();
TDbEngDatasourceList* Datasources();

// Loads one definition file of the installation folder into a list;
// raises EMxException naming the file when it cannot.
void LoadDefinitionFile(TMxItem* list, const QString& fileName);

// Frees QueryGlobal, DestinationTypes and Datasources (engine shutdown,
// tests). The destinations' settings and drivers must be released first.
void FreeQueryGlobals() noexcept;

} // namespace mx
