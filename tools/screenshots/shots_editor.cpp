// The query editing surface over the sample's sales query after a run: the
// step editor on each of its tabs, and the step editor, the entity outline
// and the steps list bound by the query editor.

#include "shots.h"

#include "report/reportparts.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "query/reports/queryreports.h"
#include "engine/run/queryrun.h"

#include "ui/controls/entityoutline.h"
#include "ui/controls/picturelistbox.h"
#include "ui/controls/pictures.h"

#include "query/editor/queryeditor.h"
#include "query/editor/stepeditor.h"
#include "query/editor/vpanels.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QSplitter>
#include <QVBoxLayout>

#include <memory>

namespace mx::shots {

void ShootEditor(TShots& shots)
{
    InstallQueryReports();
    std::unique_ptr<TMxQuery, void (*)(TMxQuery*)> query(new TMxQuery(nullptr), [](TMxQuery* q) { q->Free(); });
    query->LoadFromFile(shots.Sample(QStringLiteral("VENTES_PAR_PRODUIT.MQR")));
    query->Prepare(false);
    TMxQueryStep* step = query->Steps()->Items(0);
    if (ExecuteStepPhase(*step, soNone) != srDone || !step->Dataset()) {
        shots.Fail(QStringLiteral("stepeditor"), QStringLiteral("the sales query gave no result"));
        return;
    }

    {
        ui::TMxStepEditor editor;
        editor.setWindowTitle(QStringLiteral("Ventes par produit"));
        editor.resize(900, 480);
        editor.SetStep(step);
        // the first field selected, as after a click
        if (editor.VEntities()->Count() > 0 && editor.VEntities()->VEntity(0)->Count() > 0)
            editor.Select(editor.VEntities()->VEntity(0)->VField(0));
        shots.Save(&editor, QStringLiteral("stepeditor-data"), 900, 480);
        editor.SetCurrentTab(ui::TMxStepEditor::tabDesign);
        shots.Save(&editor, QStringLiteral("stepeditor-design"), 900, 480);
        editor.SetCurrentTab(ui::TMxStepEditor::tabPreview);
        shots.Save(&editor, QStringLiteral("stepeditor-preview"), 900, 620);
        editor.SetCurrentTab(ui::TMxStepEditor::tabData);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("Ventes par produit"));
    auto* left = new QWidget(&window);
    auto* steps = new ui::TPictureListView(left);
    steps->setObjectName(QStringLiteral("plbSteps"));
    steps->SetPicture(ui::Picture(ui::TPicture::Step));
    auto* outline = new ui::TEntityOutline(left);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(steps, 1);
    leftLayout->addWidget(outline, 4);
    auto* editor = new ui::TMxStepEditor(&window);
    auto* layout = new QHBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(left, 1);
    layout->addWidget(editor, 4);
    ui::TMxQueryEditor binder(editor, outline, steps);
    binder.SetQuery(query.get());
    if (outline->model()->rowCount() > 0)
        outline->expand(outline->model()->index(0, 0));
    shots.Save(&window, QStringLiteral("queryeditor"), 1100, 520);
    binder.SetQuery(nullptr);
}

} // namespace mx::shots
