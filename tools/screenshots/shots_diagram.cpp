// The data model diagram of the sample, its link dialog and its print
// preview.

#include "shots.h"

#include "admin/diagram/fmlink.h"
#include "admin/diagram/fmprintpreview.h"
#include "admin/diagram/graph.h"

#include "engine/core/itemptr.h"
#include "engine/model/datamodel.h"
#include "engine/model/entity.h"
#include "engine/model/link.h"
#include "engine/model/table.h"

#include "ui/controls/pictures.h"

#include <QGraphicsView>

namespace mx::shots {

void ShootDiagram(TShots& shots)
{
    TItemPtr<TMxDataModel> model(new TMxDataModel(nullptr));
    model->LoadFromFile(shots.Sample(QStringLiteral("EXEMPLE.MDD")));
    QGraphicsView view;
    view.setObjectName(QStringLiteral("sbx"));
    admin::TGraph graph;
    graph.SetFieldPicture(ui::Picture(ui::TPicture::Field));
    graph.SetEntityPicture(ui::Picture(ui::TPicture::Entity));
    graph.SetDisplay(&view);
    graph.SetModel(model.release());
    // the three levels: a table with entities shows them, the last one its
    // title only
    for (int i = 0; i < graph.TableCount(); ++i)
        if (graph.GetTable(i)->Table()->Entities()->Count() > 0) {
            graph.GetTable(i)->SetDesignMode(2);
            break;
        }
    if (graph.TableCount() > 2)
        graph.GetTable(graph.TableCount() - 1)->SetDesignMode(0);
    // a detail table selected: its master and its link are highlighted
    for (int i = 0; i < graph.TableCount(); ++i)
        if (graph.GetTable(i)->MasterLink()) {
            graph.SetSelected(graph.GetTable(i));
            break;
        }
    const QPoint extent = graph.DrawingExtent();
    shots.Save(&view, QStringLiteral("diagram"), std::min(1200, extent.x() + 40), std::min(800, extent.y() + 40));

    if (graph.LinkCount() > 0) {
        admin::TGraphLink* line = graph.GetLink(0);
        if (line->MasterPanel() && line->DetailPanel()) {
            admin::TfmLink form(line->Link(), line->MasterPanel()->Table(), line->DetailPanel()->Table());
            shots.Save(&form, QStringLiteral("fmLink"));
        } else {
            shots.Fail(QStringLiteral("fmLink"), QStringLiteral("the sample's first link joins no panels"));
        }
    } else {
        shots.Fail(QStringLiteral("fmLink"), QStringLiteral("the sample has no link"));
    }
    {
        admin::TfmPrintPreview form(&graph);
        form.SetTile(2, 1);
        shots.Save(&form, QStringLiteral("fmPrintPreview"), 900, 600);
    }
    graph.SetModel(nullptr);
}

} // namespace mx::shots
