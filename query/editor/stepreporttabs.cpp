// The step editor's report tabs: "Conception" shows the step's report in
// the report editor (the default report is made the first time the step
// has a result), "Prévisualisation" its preview, laid out again after each
// run; the record shown in the grid is kept while a report tab is open.

#include "stepeditor.h"

#include "ui/services/guarded.h"
#include "ui/report/reporteditor.h"
#include "ui/report/reportpreview.h"

#include "engine/driver/dataset.h"
#include "engine/query/querystep.h"
#include "report/defaultreport.h"
#include "report/reportparts.h"

#include <QTabBar>

namespace mx::ui {

void TMxStepEditor::tabChanged(int index)
{
    if (m_lastTab == tabPreview && index != tabPreview)
        closePreview();
    m_lastTab = index;
    if (QWidget* w = window())
        w->update();
    if (m_reportEditor)
        m_reportEditor->setVisible(index == tabDesign);
    TMxQueryStep* step = Step();
    TIMxDataset* result = step ? step->Dataset() : nullptr;
    switch (index) {
    case tabData:
        if (result && m_savedRecord > 0 && result->GetActive())
            result->SetRecNo(m_savedRecord);
        m_savedRecord = 0;
        break;
    case tabDesign:
        if (!step)
            break;
        if (result && m_savedRecord == 0 && result->GetActive())
            m_savedRecord = result->GetRecNo();
        design();
        break;
    case tabPreview:
        if (!step)
            break;
        if (result && m_savedRecord == 0 && result->GetActive())
            m_savedRecord = result->GetRecNo();
        preview();
        break;
    default:
        break;
    }
    PlaceControls();
}

void TMxStepEditor::design()
{
    TMxQueryStep* step = Step();
    rpt::TQuickRep* report = rpt::StepReport(step);
    if (!report)
        return;
    if (!m_reportEditor) {
        m_reportEditor = new TReportEditor(this);
        m_reportEditor->setObjectName(QStringLiteral("ReportEditor"));
        m_reportEditor->setAutoFillBackground(true);
    }
    // A report built by the rule, or designed by someone (a file's), is
    // only shown again; an undesigned one gets the default report once.
    TIMxDataset* result = step->Dataset();
    bool built = false;
    if (result && report->Tag() != 1 && rpt::IsUndesigned(*report)) {
        rpt::BuildDefaultReport(*report, step->Id(), rpt::ResultColumns(*result));
        built = true;
    }
    // The editor shows the report again once it has been made, though it
    // showed the same (then empty) report before.
    if (m_reportEditor->Report() != report || built)
        m_reportEditor->SetReport(report);
    PlaceControls();
    m_reportEditor->show();
    m_reportEditor->raise();
    if (m_tabSet->currentIndex() != tabDesign)
        m_reportEditor->hide();
}

void TMxStepEditor::preview()
{
    TMxQueryStep* step = Step();
    if (m_destroying || !step || !step->Dataset() || m_preview)
        return;
    rpt::TQuickRep* report = rpt::StepReport(step);
    if (!report)
        return;
    // The report is made (the default one when nobody designed it) as the
    // design tab makes it.
    if (!m_reportEditor || m_reportEditor->Report() != report)
        design();
    if (m_reportEditor)
        m_reportEditor->hide();
    m_preview = new TfmReportPreview(this);
    m_preview->setObjectName(QStringLiteral("fmReportPreview"));
    m_preview->setAutoFillBackground(true);
    Connect(m_preview.data(), &TfmReportPreview::closed, this, [this] { m_tabSet->setCurrentIndex(tabData); });
    PlaceControls();
    m_preview->Preview(*report, step->Dataset());
    m_preview->show();
    m_preview->raise();
    repaint();
}

void TMxStepEditor::closePreview()
{
    if (m_preview) {
        TfmReportPreview* p = m_preview;
        m_preview = nullptr;
        p->hide();
        p->deleteLater();
    }
}

} // namespace mx::ui
