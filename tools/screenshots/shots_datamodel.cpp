// The administration program's main window over the sample model: its
// diagram, tool bar with large icons, menus and status bar.

#include "shots.h"

#include "admin/window/datamodelwindow.h"

#include "engine/core/itemptr.h"
#include "engine/model/datamodel.h"

#include <QLabel>

namespace mx::shots {

void ShootDataModel(TShots& shots)
{
    TItemPtr<TMxDataModel> model(new TMxDataModel(nullptr));
    model->LoadFromFile(shots.Sample(QStringLiteral("EXEMPLE.MDD")));
    auto* w = new admin::TfmDataModel;
    w->SetModel(model.release());
    if (auto* status = w->findChild<QLabel*>(QStringLiteral("paMiddle")))
        status->setText(QStringLiteral(" Ouvrir un modèle de données"));
    shots.Save(w, QStringLiteral("fmDataModel"), 1000, 640);
    delete w;
}

} // namespace mx::shots
