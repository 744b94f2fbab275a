// The designer window over the sample's sales query after a run: the rows
// in the grid and the SQL under them, with small and with large buttons.

#include "shots.h"

#include "query/query.h"

#include "designer/querydesigner.h"

#include <QPointer>

namespace mx::shots {

void ShootDesigner(TShots& shots)
{
    DesignerCount().Quit = [] {};
    QPointer<TfmQueryDesigner> w = TfmQueryDesigner::CreateFromFile(shots.Sample(QStringLiteral("VENTES_PAR_PRODUIT.MQR")));
    if (!w->GetQuery()) {
        shots.Fail(QStringLiteral("fmQueryDesigner"), QStringLiteral("the sample query did not load"));
        delete w.data();
        return;
    }
    w->SetLargeIcons(false);
    w->RunQuery();
    shots.Save(w, QStringLiteral("fmQueryDesigner"), 1000, 700);
    w->SetLargeIcons(true);
    shots.Save(w, QStringLiteral("fmQueryDesigner-large"), 1000, 700);
    delete w.data();
    DesignerCount().Quit = nullptr;
}

} // namespace mx::shots
