// The shared windows of both programs.

#include "shots.h"

#include "ui/errorwindow/errorwindow.h"

namespace mx::shots {

void ShootFoundation(TShots& shots)
{
    ui::TfmErrorHandler2 error;
    error.setWindowTitle(QStringLiteral("Morvelin"));
    error.SetDetails(QStringLiteral("Un objet de classe TfmQueryDesigner a déclenché l'erreur suivante (EInOutError) :\n"
                                    "Impossible d'écrire VENTES.MQR : plus de place sur le disque."));
    shots.Save(&error, QStringLiteral("fmErrorHandler2"));
}

} // namespace mx::shots
