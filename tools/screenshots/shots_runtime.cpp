// The report runtime's window, over the sample's sales report.

#include "shots.h"

#include "engine/driver/dataset.h"
#include "engine/driver/dbengine.h"
#include "engine/driver/driver.h"

#include "runtime/previewwindow.h"
#include "runtime/reportdata.h"
#include "runtime/reportfile.h"
#include "runtime/reportlayout.h"

#include "report/pagemodel.h"

namespace mx::shots {

void ShootRuntime(TShots& shots)
{
    morvrs::ReportFile report;
    QString error;
    if (!report.load(shots.Sample(QStringLiteral("VENTES_PAR_PRODUIT.rpt")), &error)) {
        shots.Fail(QStringLiteral("fmRuntime"), error);
        return;
    }
    // The rows the sales query gives, as the runtime would read them.
    InitDbEngine();
    TIMxDataset* ds = DbEngine()->ExecuteQuery(
        QStringLiteral("SELECT P.FAMILLE AS \"Famille\", P.LIBELLE AS \"Libellé\", sum(L.QUANTITE) AS \"Quantité vendue\" "
                       "FROM PRODUITS P, LIGNES_COMMANDE L WHERE P.REF_PRODUIT = L.REF_PRODUIT "
                       "GROUP BY P.FAMILLE, P.LIBELLE ORDER BY P.FAMILLE, 3 DESC"),
        QString(), QString(), QString(), QStringLiteral("MORVELIN"));
    if (!ds) {
        shots.Fail(QStringLiteral("fmRuntime"), QStringLiteral("the sales query gave no result"));
        return;
    }
    morvrs::ReportData data;
    data.dataset = QStringLiteral("Ventes par produit");
    for (const QString& f : report.fields)
        data.columns.push_back({f, report.caption(f), f == u"Quantité vendue" ? 3 : 1, f == u"Quantité vendue"});
    for (ds->First(); !ds->Eof(); ds->Next()) {
        QStringList row;
        for (const QString& f : report.fields)
            row << ds->GetFieldValueByName(f);
        data.rows.push_back(row);
    }
    DbEngine()->FreeDataset(ds);

    std::shared_ptr<rpt::TReportDocument> document = morvrs::layOutReport(report, data, &error);
    if (!document) {
        shots.Fail(QStringLiteral("fmRuntime"), error);
        return;
    }
    morvrs::PreviewWindow window;
    window.showReport(report.expandedTitle(), document);
    shots.Save(&window, QStringLiteral("fmRuntime"), 900, 1000);
}

} // namespace mx::shots
