#pragma once
// The shop query of the query tests, with the installation's operators,
// filter checks and field types loaded, and a scripted dialog service.

#include "tests/engine/query/queryfixture.h"
#include "tests/support/ui/scriptedservice.h"

#include "ui/formula/formulasession.h"

#include <QByteArray>

#include <memory>

namespace formulatest {

class FormulaTest : public qtest::QueryTest {
protected:
    FormulaTest();
    ~FormulaTest() override;

    // The query as its file stores it.
    QByteArray SavedBytes();
    // A session over the query's step (its Id) or, without a query, over
    // the model alone.
    std::unique_ptr<mx::TFormulaSession> Session(mx::TFormulaType mode, mx::TMxFormulaList* tokens,
        mx::TMxQueryField* field = nullptr, bool withQuery = true);
    // The token list as "op:text:type" entries.
    static QStringList Describe(const mx::TMxFormulaList* tokens);

    mx::ui::test::TScriptedUiService m_ui;

private:
    std::unique_ptr<mx::ScopedUserService> m_uiScope;
    int m_saves = 0;
};

} // namespace formulatest
