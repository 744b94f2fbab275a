#pragma once
// A window holding the steps list, the entity outline and a 900 x 400
// step editor bound through the query editor to a query over the shop
// model; its first step has Clients (Numéro client, Nom, Ville) and
// Commandes (Montant, Date commande).

#include "tests/ui/controls/controlstest.h"
#include "tests/engine/query/queryfixture.h"

#include "ui/controls/entityoutline.h"
#include "ui/controls/mxgrid.h"
#include "query/editor/queryeditor.h"
#include "query/editor/stepeditor.h"
#include "query/editor/vpanels.h"

#include "tests/support/memorydataset.h"
#include "tests/support/ui/scriptedmodal.h"

#include "engine/model/queryfield.h"
#include "engine/query/query.h"
#include "engine/query/queryentity.h"
#include "engine/query/querystep.h"

#include <QListView>

namespace edtest {

// The report classes, before the fixture's query makes its step (and the
// step its report).
struct ReportsInstalled {
    ReportsInstalled();
};

class EditorTest : private ReportsInstalled, public qtest::QueryTest {
protected:
    EditorTest();
    ~EditorTest() override;

    // The visual entity and field of the first step, by position.
    mx::ui::TVEntity* VE(int i) const { return editor->VEntities()->VEntity(i); }
    mx::ui::TVField* VF(int e, int f) const { return VE(e)->VField(f); }
    // The panel that draws a visual entity or field, among the editor's
    // children; a control on it by name ("NameLabel", "CaptionLabel", ...);
    // the width splitter beside a field's panel.
    mx::ui::TVPanel* PanelOf(const mx::ui::TVPanelOwner* item) const;
    template <class W>
    W* On(const mx::ui::TVPanelOwner* item, const char* name) const
    {
        mx::ui::TVPanel* panel = PanelOf(item);
        return panel ? mx::ui::test::Child<W>(*panel, name) : nullptr;
    }
    mx::ui::TMxSplitter* SplitterOf(const mx::ui::TVField* field) const;
    // The cell text of grid column col for the current record.
    QString Cell(int col, mx::ui::TMxGridDrawInfoKind kind = mx::ui::dikText);
    // A result with one column per field of the step, named as the fields.
    mxtest::TMemoryDataset* MakeResult(int rows);
    QStringList StepSql();
    // A stored width as the editor shows it at its font: the mean width of
    // the Latin letters over that of the font the widths were drawn with.
    int Px(int stored) const;

    mx::ui::test::ScopedScriptedUi ui;
    QWidget window;
    QListView* steps = nullptr;
    mx::ui::TEntityOutline* outline = nullptr;
    mx::ui::TMxStepEditor* editor = nullptr;
    mx::ui::TMxQueryEditor* queryEditor = nullptr;
    int sqlChanges = 0;
    int changes = 0;
    mx::TMxQueryField* a1 = nullptr;
    mx::TMxQueryField* a2 = nullptr;
    mx::TMxQueryField* a3 = nullptr;
    mx::TMxQueryField* b1 = nullptr;
    mx::TMxQueryField* b2 = nullptr;
};

} // namespace edtest
