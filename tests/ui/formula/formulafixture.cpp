#include "formulafixture.h"

#include "engine/global/fieldtype.h"
#include "engine/global/filtercheck.h"
#include "engine/global/formulaoperator.h"
#include "engine/global/queryglobal.h"
#include "engine/model/formula.h"
#include "engine/query/query.h"

using namespace mx;

namespace formulatest {

FormulaTest::FormulaTest()
{
    const QString root = QStringLiteral(MX_DEFINITIONS_DIR "/");
    QueryGlobal()->FilterCheck()->LoadFromFile(root + QStringLiteral("FILCHECK.MXF"));
    QueryGlobal()->FormulaOperator()->LoadFromFile(root + QStringLiteral("OPER.MXF"));
    QueryGlobal()->FldTypes()->LoadFromFile(root + QStringLiteral("FLDTYPES.MXF"));
    m_uiScope = std::make_unique<ScopedUserService>(&m_ui);
}

FormulaTest::~FormulaTest() = default;

QByteArray FormulaTest::SavedBytes()
{
    const QString path = Path(QStringLiteral("saved%1.MQR").arg(++m_saves));
    m_query->SaveToFile(path);
    return mxtest::ReadAll(path);
}

std::unique_ptr<TFormulaSession> FormulaTest::Session(TFormulaType mode, TMxFormulaList* tokens, TMxQueryField* field,
    bool withQuery)
{
    if (withQuery)
        return std::make_unique<TFormulaSession>(mode, tokens, m_query->DataModel(), field, m_step->Id(), m_query);
    return std::make_unique<TFormulaSession>(mode, tokens, m_step->DataModel(), field, 0, nullptr);
}

QStringList FormulaTest::Describe(const TMxFormulaList* tokens)
{
    QStringList out;
    for (const TMxItem* item : *tokens) {
        const auto* t = static_cast<const TMxFormula*>(item);
        out << QStringLiteral("%1:%2:%3").arg(OperatorShortName(t->Operator()), t->FieldName(),
                   t->LongTypeId().isNull() ? QString() : QString(t->LongTypeId()));
    }
    return out;
}

} // namespace formulatest
