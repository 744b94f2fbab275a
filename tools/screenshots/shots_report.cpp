// The report windows, over the sample's sales query: its step is run (its
// result sent nowhere) and its report, the default report of that result,
// shown in the preview and in the report editor.

#include "shots.h"

#include "engine/core/exceptions.h"
#include "report/reportparts.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "query/reports/queryreports.h"
#include "engine/run/queryrun.h"

#include "ui/report/designsurface.h"
#include "ui/report/reporteditor.h"
#include "ui/report/reportpreview.h"

#include <memory>

namespace mx::shots {

void ShootReport(TShots& shots)
{
    InstallQueryReports();
    std::unique_ptr<TMxQuery, void (*)(TMxQuery*)> query(new TMxQuery(nullptr), [](TMxQuery* q) { q->Free(); });
    query->LoadFromFile(shots.Sample(QStringLiteral("VENTES_PAR_PRODUIT.MQR")));
    query->Prepare(false);
    TMxQueryStep* step = query->Steps()->Items(0);
    if (ExecuteStepPhase(*step, soNone) != srDone || !step->Dataset()) {
        shots.Fail(QStringLiteral("report"), QStringLiteral("the sales query gave no result"));
        return;
    }
    rpt::TQuickRep* report = rpt::StepReport(step);
    if (!report) {
        shots.Fail(QStringLiteral("report"), QStringLiteral("the step has no report"));
        return;
    }

    ui::TfmReportPreview preview;
    preview.setWindowTitle(QStringLiteral("Aperçu - Ventes par produit"));
    preview.Preview(*report, step->Dataset());
    shots.Save(&preview, QStringLiteral("report-preview"), 720, 860);

    ui::TReportEditor editor;
    editor.setWindowTitle(QStringLiteral("Conception - Ventes par produit"));
    editor.SetReport(report);
    // a control selected, as the user leaves it after a click
    if (rpt::TQRBand* detail = report->Band(rpt::rbDetail); detail && detail->Controls().size() > 1)
        editor.Select(detail->Controls()[1]);
    shots.Save(&editor, QStringLiteral("report-editor"), 860, 420);
}

} // namespace mx::shots
