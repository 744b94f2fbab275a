// The designer window: empty, over the sample's sales query after a run
// (the rows in the grid and the SQL under them, with small and with large
// buttons), and over a query of two steps with the second one shown.

#include "shots.h"

#include "engine/query/query.h"

#include "query/designer/querydesigner.h"

#include <QAbstractItemView>
#include <QPointer>

namespace mx::shots {

void ShootDesigner(TShots& shots)
{
    DesignerCount().Quit = [] {};
    {
        QPointer<TfmQueryDesigner> empty = TfmQueryDesigner::CreateFromFile(QString());
        shots.Save(empty, QStringLiteral("fmQueryDesigner-empty"), 1000, 700);
        delete empty.data();
    }
    {
        QPointer<TfmQueryDesigner> steps = TfmQueryDesigner::CreateFromFile(shots.Sample(QStringLiteral("CLIENTS_FIDELES.MQR")));
        auto* list = steps ? steps->findChild<QAbstractItemView*>(QStringLiteral("plbSteps")) : nullptr;
        if (list && steps->GetQuery() && list->model()->rowCount() > 1) {
            // The second step, chosen in the steps list as a user would.
            list->setCurrentIndex(list->model()->index(1, 0));
            list->setFocus();
            shots.Save(steps, QStringLiteral("fmQueryDesigner-step2"), 1000, 700);
        } else {
            shots.Fail(QStringLiteral("fmQueryDesigner-step2"), QStringLiteral("the sample query of several steps did not load"));
        }
        delete steps.data();
    }
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

    QPointer<TfmQueryDesigner> empty = new TfmQueryDesigner;
    shots.Save(empty, QStringLiteral("fmQueryDesigner-empty"), 1000, 700);
    delete empty.data();

    QPointer<TfmQueryDesigner> two = TfmQueryDesigner::CreateFromFile(shots.Sample(QStringLiteral("CLIENTS_FIDELES.MQR")));
    auto* twoSteps = two->findChild<QAbstractItemView*>(QStringLiteral("plbSteps"));
    if (two->GetQuery() && twoSteps && twoSteps->model()->rowCount() > 1) {
        twoSteps->setCurrentIndex(twoSteps->model()->index(1, 0));
        two->RunQuery();
        shots.Save(two, QStringLiteral("fmQueryDesigner-step2"), 1000, 700);
    } else {
        shots.Fail(QStringLiteral("fmQueryDesigner-step2"), QStringLiteral("the two-step sample query did not load"));
    }
    delete two.data();
    DesignerCount().Quit = nullptr;
}

} // namespace mx::shots
