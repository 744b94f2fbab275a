// The shared controls: the tips window, the sample model's entity outline
// beside a result grid over one of its tables, and the options dialog.

#include "shots.h"

#include "engine/driver/dbengine.h"
#include "engine/driver/driver.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/field.h"
#include "engine/model/table.h"
#include "engine/tools/installation.h"

#include "ui/controls/brntips.h"
#include "ui/controls/docklayout.h"
#include "ui/controls/entityoutline.h"
#include "ui/controls/mxgrid.h"
#include "ui/controls/splitter.h"
#include "ui/options/fmoptions.h"

#include "engine/destination/destinationtype.h"
#include "engine/settings/mru.h"

#include "platform/core/inifile.h"

#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QScrollBar>

#include <memory>

namespace mx::shots {
namespace {

void shootTips(TShots& shots)
{
    ui::TBrnTips tips;
    tips.IniFileName = GetIniFileName();
    tips.SectionName = QStringLiteral("Tips.designer.Francais");
    tips.Title = QStringLiteral("Bienvenue dans le concepteur de requêtes !");
    tips.Options = ui::TBrnTips::toCanChangeAutoPopup | ui::TBrnTips::toAutoPopup;
    std::unique_ptr<ui::TBrnTipsForm> form(tips.CreateForm());
    const auto* tip = form->findChild<QLabel*>(QStringLiteral("laTip"));
    if (!tip || tip->text().isEmpty()) {
        shots.Fail(QStringLiteral("tips"), QStringLiteral("no tips in ") + tips.IniFileName);
        return;
    }
    shots.Save(form.get(), QStringLiteral("tips"));
}

// The window: the outline docked left, a splitter, the grid filling the
// rest; the grid shows the CLIENTS table with one column per field of the
// model's table, headed by the fields' readable names.
void shootOutlineGrid(TShots& shots)
{
    std::unique_ptr<TMxDataModel, void (*)(TMxDataModel*)> model(new TMxDataModel(nullptr), [](TMxDataModel* m) { m->Free(); });
    model->LoadFromFile(shots.Sample(QStringLiteral("EXEMPLE.MDD")));
    if (!model->CurrentDomain() && model->AccessibleDomains()->Count() > 0)
        model->SetDomain(model->AccessibleDomains()->Items(0));
    TMxTable* clients = model->Tables()->FindByName(QStringLiteral("CLIENTS"));
    InitDbEngine();
    TIMxDriver* driver = DbEngine();
    if (!clients || !driver) {
        shots.Fail(QStringLiteral("outline-grid"), QStringLiteral("no CLIENTS table or no database driver"));
        return;
    }
    // The fields a user would put in a step: who the client is and how to
    // reach them.
    QList<TMxField*> shown;
    QStringList names;
    for (const char* name : {"NUM_CLIENT", "NOM", "PRENOM", "SOCIETE", "TELEPHONE", "DATE_CREATION"})
        if (TMxField* f = clients->Fields()->FindField(QString::fromLatin1(name))) {
            shown << f;
            names << f->Name();
        }
    TIMxDataset* rows = driver->ExecuteQuery(
        QStringLiteral("SELECT %1 FROM CLIENTS ORDER BY NUM_CLIENT").arg(names.join(QStringLiteral(", "))), {}, {}, {},
        clients->Database());
    if (!rows) {
        shots.Fail(QStringLiteral("outline-grid"), QStringLiteral("the CLIENTS query failed"));
        return;
    }

    QWidget window;
    window.setObjectName(QStringLiteral("outline-grid"));
    window.setWindowTitle(QStringLiteral("Morvelin"));
    auto* layout = new ui::TDockLayout(&window);
    auto* outline = new ui::TEntityOutline(&window);
    layout->AddWidget(outline, ui::TAlign::alLeft, 230);
    auto* splitter = new ui::TMxSplitter(&window);
    layout->AddWidget(splitter, ui::TAlign::alLeft, 4);
    splitter->SetAlign(ui::TAlign::alLeft);
    splitter->SetLowMinSize(100);
    auto* grid = new ui::TMxGrid(&window);
    layout->AddWidget(grid, ui::TAlign::alClient);

    outline->SetEntities(model->DomainEntities());
    const QAbstractItemModel* tree = outline->model();
    for (int i = 0; i < tree->rowCount(); ++i) {
        const QModelIndex node = tree->index(i, 0);
        if (node.data().toString() != clients->FullName())
            continue;
        outline->expand(node);
        for (int j = 0; j < tree->rowCount(node); ++j)
            if (tree->index(j, 0, node).data().toString() == QStringLiteral("Nom"))
                outline->setCurrentIndex(tree->index(j, 0, node));
    }

    const QFontMetrics fm(grid->font());
    grid->SetShowHeaders(true);
    grid->SetIndicatorWidth(fm.horizontalAdvance(QStringLiteral("0000")) + 8);
    for (TMxField* f : shown)
        grid->Columns << f;
    grid->OnGetInfo = [rows, &fm](ui::TMxGrid& g, int col, ui::TMxGridDrawInfoKind kind) {
        auto* field = static_cast<TMxField*>(g.Columns[col]);
        switch (kind) {
        case ui::dikWidth: {
            // The header or the field's declared width, whichever is wider.
            const int chars = std::clamp(rows->GetFieldWidth(col), 4, 18);
            g.InfoWidth = std::max(fm.horizontalAdvance(field->FullName()), fm.horizontalAdvance(QString(chars, u'x'))) + 10;
            break;
        }
        case ui::dikColors:
            break;
        case ui::dikHeader:
            g.InfoText = field->FullName();
            break;
        case ui::dikText:
            g.InfoText = rows->GetFieldValueByName(field->Name());
            break;
        }
    };
    grid->SetDataSet(rows);
    // Wide enough for every column.
    int width = 230 + 4 + 2 + grid->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < grid->ColCount(); ++c)
        width += grid->ColWidth(c) + 1;
    window.resize(width, 440);
    window.show();
    layout->Relayout();
    grid->SetRow(4);
    shots.Save(&window, QStringLiteral("outline-grid"), width, 440);
    grid->SetDataSet(nullptr);
    driver->FreeDataset(rows);
}

// The options dialog over the pictures' own settings file, its folders
// pointing at the sample as a user's would (shown, not stored).
void shootOptions(TShots& shots)
{
    TOptionSettings settings(platform::IniFile::open(GetWindowsDir() + QStringLiteral("MORVELIN.INI")), MRUs());
    ui::TfmOptions form(settings, DestinationTypes());
    TOptionValues values = form.Values();
    values.privateQueryPath = shots.SampleDir();
    values.dmPath = shots.SampleDir();
    form.SetValues(values);
    shots.Save(&form, QStringLiteral("fmOptions"));
}

} // namespace

void ShootControls(TShots& shots)
{
    shootTips(shots);
    shootOutlineGrid(shots);
    shootOptions(shots);
}

} // namespace mx::shots
