// The local server running a query a designer window holds: the window's
// views let go of the results before the run and show the new ones after
// it (run under the address sanitizer, a view reading a freed result
// would fail the test).

#include "designerfixture.h"

#include "query/query.h"
#include "query/querystep.h"
#include "server/ddeserver.h"

#include "mxgrid.h"

#include <QToolButton>

using namespace mx;
using mxtest::SampleFile;

class DesignerServed : public mxtest::DesignerTest {};

TEST_F(DesignerServed, ARunFromAnotherProgramRebindsTheDesignersGrid)
{
    auto* w = TfmQueryDesigner::CreateFromFile(SampleFile(QStringLiteral("VENTES_PAR_PRODUIT.MQR")));
    ASSERT_NE(w->GetQuery(), nullptr);
    w->findChild<QToolButton*>(QStringLiteral("fbRun"))->click();
    auto* grid = w->findChild<ui::TMxGrid*>();
    ASSERT_NE(grid, nullptr);
    TIMxDataset* first = grid->DataSet();
    ASSERT_NE(first, nullptr) << "the window's own run shows its rows";
    const int rows = first->GetRecordCount();
    (void)w->grab();

    TfmOleDdeServer server;
    const QString name = w->GetQuery()->GetName().toLower(); // any case finds it
    ASSERT_EQ(server.FindQuery(name), w->GetQuery());
    EXPECT_EQ(server.RunQuery(name), 1);
    TIMxDataset* now = grid->DataSet();
    ASSERT_NE(now, nullptr) << "the grid shows the new result";
    EXPECT_EQ(now, w->CurrentStep()->Dataset());
    EXPECT_EQ(now->GetRecordCount(), rows);
    (void)w->grab(); // paints the grid over the new result
    EXPECT_EQ(server.CloseQuery(name), 0) << "a designer's query is never closed by the server";
    EXPECT_NE(w->GetQuery(), nullptr);
}
