// The administration program's dialogs over the sample: table picking,
// table properties, database parameters, the pick list and the text
// viewer.

#include "shots.h"

#include "admin/dialogs/fmdbparams.h"
#include "admin/dialogs/fmmxlistselect.h"
#include "admin/dialogs/fmselecttable.h"
#include "admin/dialogs/fmtableproperties.h"
#include "admin/dialogs/fmviewstrings.h"

#include "engine/admin/adminmodel.h"
#include "engine/core/itemptr.h"
#include "engine/core/translate.h"
#include "engine/model/datamodel.h"
#include "engine/model/table.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QTableView>

namespace mx::shots {

namespace {

// Selects the rows of a view whose text is one of names.
void SelectRows(QAbstractItemView* view, const QStringList& names)
{
    if (!view)
        return;
    const QAbstractItemModel* m = view->model();
    for (int r = 0; r < m->rowCount(); ++r)
        if (names.contains(m->index(r, 0).data().toString()))
            view->selectionModel()->select(m->index(r, 0), QItemSelectionModel::Select);
}

} // namespace

void ShootAdmin(TShots& shots)
{
    TItemPtr<TMxDataModel> model(new TMxDataModel(nullptr));
    model->LoadFromFile(shots.Sample(QStringLiteral("EXEMPLE.MDD")));
    {
        admin::TfmSelectTable form;
        if (auto* box = form.findChild<QComboBox*>(QStringLiteral("cobDatabases")))
            box->setCurrentIndex(box->findText(QStringLiteral("MORVELIN")));
        SelectRows(form.findChild<QAbstractItemView*>(QStringLiteral("lbDbTables")),
            {QStringLiteral("CLIENTS"), QStringLiteral("COMMANDES")});
        shots.Save(&form, QStringLiteral("fmSelectTable"));
    }
    {
        admin::TfmTableProperties form(model->Tables(), nullptr);
        if (auto* grid = form.findChild<QTableView*>(QStringLiteral("grdFields")))
            grid->setCurrentIndex(grid->model()->index(1, 2));
        shots.Save(&form, QStringLiteral("fmTableProperties"));
    }
    {
        BuildDatabaseList(model.get());
        admin::TfmDBParams form(model.get());
        shots.Save(&form, QStringLiteral("fmDBParams"));
    }
    {
        admin::TfmMxListSelect form(Translate("Choisissez une table"), model->Tables(), true);
        SelectRows(form.findChild<QAbstractItemView*>(QStringLiteral("lbItems")), {QStringLiteral("CLIENTS")});
        shots.Save(&form, QStringLiteral("fmMxListSelect"));
    }
    {
        const QStringList lines = {Translate("Analyse du modèle de données"), QString(),
            Translate("Analyse de la table CLIENTS"), Translate("Analyse de la table COMMANDES"),
            Translate("Analyse de la table PRODUITS"), QString(), Translate("Analyse des liens"),
            Translate("La table COMMANDES est déjà liée à la table CLIENTS")};
        admin::TfmViewStrings form(Translate("Rapport d'analyse"), lines);
        shots.Save(&form, QStringLiteral("fmViewStrings"));
    }
}

} // namespace mx::shots
