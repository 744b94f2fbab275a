// The visual query editor: the steps list, the step shown, the outline,
// drags from the outline into the step; and a long run's progress window.

#include "editorfixture.h"

#include "query/editor/runprogress.h"

#include "ui/controls/fielddrag.h"
#include "ui/controls/observedlistmodel.h"

#include "engine/core/exceptions.h"
#include "engine/core/hookslot.h"
#include "engine/model/datamodel.h"
#include "engine/model/entity.h"
#include "platform/dbengine/sqliteconnection.h"

#include "tests/support/ui/scriptedmodal.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QAbstractItemModelTester>
#include <QTest>

using namespace mx;
using namespace mx::ui;
using namespace mxtest;

namespace edtest {
namespace {

TEST_F(EditorTest, StepsListFollowsTheQuery)
{
    TMxQueryStep* s2 = m_query->AddStep();
    TMxQueryStep* s3 = m_query->AddStep();
    Add(5, QStringLiteral("NUMCDE"), s2);
    ASSERT_EQ(steps->model(), queryEditor->StepsModel()) << "the list is a view over the editor's model";
    ASSERT_EQ(steps->model()->rowCount(), 3);
    const TMxQueryStep* order[] = {m_step, s2, s3};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(steps->model()->index(i, 0).data(TObservedListModel::IdRole), QVariant(order[i]->Id()));
        EXPECT_EQ(queryEditor->StepOfLine(i), order[i]);
        EXPECT_EQ(steps->model()->index(i, 0).data().toString(), order[i]->GetName());
    }
    EXPECT_EQ(editor->Step(), m_step);
    EXPECT_EQ(steps->currentIndex().row(), 0);
    EXPECT_EQ(outline->Entities(), m_step->DataModel()->DomainEntities());

    // show step 2 and rename it: its line follows, the selection stays
    queryEditor->SetStep(s2);
    EXPECT_EQ(editor->Step(), s2);
    EXPECT_EQ(steps->currentIndex().row(), 1);
    EXPECT_EQ(outline->Entities(), s2->DataModel()->DomainEntities());
    EXPECT_EQ(editor->VEntities()->Count(), 1);
    s2->SetName(QStringLiteral("Commandes seules"));
    EXPECT_EQ(steps->model()->index(1, 0).data().toString(), QStringLiteral("Commandes seules"));
    EXPECT_EQ(steps->currentIndex().row(), 1);

    // a step not shown goes: its line goes, one change
    changes = 0;
    s3->Free();
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(steps->model()->rowCount(), 2);
    EXPECT_EQ(editor->Step(), s2);

    // the shown step goes: no step is shown
    s2->Free();
    EXPECT_EQ(editor->Step(), nullptr);
    EXPECT_EQ(steps->model()->rowCount(), 1);
    EXPECT_EQ(editor->VEntities()->Count(), 0);

    // detaching the query empties everything
    queryEditor->SetQuery(nullptr);
    EXPECT_EQ(steps->model()->rowCount(), 0);
    EXPECT_EQ(m_query->OnSQLChange, nullptr);
}

TEST_F(EditorTest, DraggingFromTheOutlineAddsFields)
{
    const QAbstractItemModel* rows = outline->model();
    QModelIndex livraisons;
    for (int i = 0; i < rows->rowCount(); ++i)
        if (rows->index(i, 0).data().toString() == QStringLiteral("Livraisons"))
            livraisons = rows->index(i, 0);
    ASSERT_TRUE(livraisons.isValid());
    QWidget* viewport = outline->viewport();
    const QPoint onNode = outline->visualRect(livraisons).center();
    auto dragTo = [&](QWidget* onto, QPoint p) {
        MoveHeld(viewport, onNode + QPoint(3, 0));
        MoveHeld(viewport, viewport->mapFromGlobal(onto->mapToGlobal(p)));
        Release(viewport, viewport->mapFromGlobal(onto->mapToGlobal(p)));
    };

    // the whole entity, onto the editor's empty header
    const int before = sqlChanges;
    Press(viewport, onNode);
    ASSERT_TRUE(outline->SelectedEntity());
    dragTo(editor, QPoint(PanelOf(VE(1))->geometry().right() + 20, 30));
    ASSERT_EQ(editor->VEntities()->Count(), 3);
    EXPECT_EQ(VE(2)->Entity()->Name(), QStringLiteral("Livraisons"));
    EXPECT_EQ(VE(2)->Count(), 3);
    EXPECT_TRUE(m_query->Modified());
    EXPECT_GT(sqlChanges, before);
    EXPECT_EQ(editor->Grid()->Columns.size(), 8);

    // one field, onto the grid
    QModelIndex remises;
    for (int i = 0; i < rows->rowCount(); ++i)
        if (rows->index(i, 0).data().toString() == QStringLiteral("Remises"))
            remises = rows->index(i, 0);
    ASSERT_TRUE(remises.isValid());
    outline->expand(remises);
    QModelIndex taux;
    for (int i = 0; i < rows->rowCount(remises); ++i)
        if (rows->index(i, 0, remises).data().toString() == QStringLiteral("Taux"))
            taux = rows->index(i, 0, remises);
    ASSERT_TRUE(taux.isValid());
    const QPoint onField = outline->visualRect(taux).center();
    Press(viewport, onField);
    ASSERT_TRUE(outline->SelectedField());
    MoveHeld(viewport, onField + QPoint(3, 0));
    const QPoint inGrid = viewport->mapFromGlobal(editor->Grid()->mapToGlobal(QPoint(100, 100)));
    MoveHeld(viewport, inGrid);
    Release(viewport, inGrid);
    ASSERT_EQ(editor->VEntities()->Count(), 4);
    EXPECT_EQ(VE(3)->Count(), 1);
    EXPECT_EQ(VF(3, 0)->Field()->Name(), QStringLiteral("TAUX"));

    // a drag from anything else is refused by the editor and its grid
    m_query->SetModified(false);
    const int fields = m_step->AllFields()->Count();
    TDragManager::Instance().BeginDrag(steps, QVariant(), true, steps->mapToGlobal(QPoint(5, 5)));
    MoveHeld(steps, steps->mapFromGlobal(editor->Grid()->mapToGlobal(QPoint(100, 100))));
    EXPECT_FALSE(TDragManager::Instance().Accepted());
    Release(steps, steps->mapFromGlobal(editor->Grid()->mapToGlobal(QPoint(100, 100))));
    EXPECT_EQ(m_step->AllFields()->Count(), fields);
    EXPECT_FALSE(m_query->Modified());
}

// The query's steps as a list model keyed by step Id, under the tester:
// following additions, renames and removals.
TEST_F(EditorTest, TheStepsAsAListModelKeyedByStepId)
{
    TObservedListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.SetText([](const TMxItem* item) { return item->GetName(); });
    model.SetList(m_query->Steps());
    TMxQueryStep* s2 = m_query->AddStep();
    s2->SetName(QStringLiteral("Commandes seules"));
    TMxQueryStep* s3 = m_query->AddStep();
    auto lines = [&] {
        QStringList out;
        for (int i = 0; i < model.rowCount(); ++i)
            out << model.index(i).data().toString();
        return out;
    };
    // every step's rename shows, the shown step's or not
    EXPECT_EQ(lines(), QStringList({"Etape 1", "Commandes seules", "Etape 3"}));
    m_step->SetName(QStringLiteral("Clients"));
    EXPECT_EQ(lines(), QStringList({"Clients", "Commandes seules", "Etape 3"}));
    EXPECT_EQ(steps->model()->index(0, 0).data().toString(), QStringLiteral("Clients"));
    for (TMxQueryStep* s : {m_step, s2, s3})
        EXPECT_EQ(model.ItemAt(model.RowOfId(s->Id())), s);
    const int gone = s2->Id();
    s2->Free();
    EXPECT_EQ(model.RowOfId(gone), -1);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.ItemAt(1), s3);
    model.SetList(nullptr);
}

// The outline's drag names what was pressed by Ids only: a press
// elsewhere before the drop changes nothing of what drops, and Ids that
// name nothing in the step's model drop nothing.
TEST_F(EditorTest, AnOutlineDragCarriesIdsAndTheDropFindsThemInTheModel)
{
    auto nodeNamed = [&](const QString& name) -> QModelIndex {
        const QAbstractItemModel* rows = outline->model();
        for (int i = 0; i < rows->rowCount(); ++i)
            if (rows->index(i, 0).data().toString() == name)
                return rows->index(i, 0);
        return {};
    };
    const QModelIndex livraisons = nodeNamed(QStringLiteral("Livraisons"));
    const QModelIndex remises = nodeNamed(QStringLiteral("Remises"));
    ASSERT_TRUE(livraisons.isValid() && remises.isValid());
    QWidget* viewport = outline->viewport();
    const QPoint onNode = outline->visualRect(livraisons).center();
    Press(viewport, onNode);
    TMxEntity* entity = outline->SelectedEntity();
    ASSERT_TRUE(entity);
    MoveHeld(viewport, onNode + QPoint(3, 0));
    TDragManager& manager = TDragManager::Instance();
    ASSERT_TRUE(manager.Pending() || manager.Dragging());
    const std::optional<TFieldDragPayload> payload = TFieldDragPayload::FromVariant(manager.Drag().data);
    ASSERT_TRUE(payload);
    EXPECT_EQ(payload->modelFile, m_step->DataModel()->FileName());
    EXPECT_EQ(payload->items, (QList<TFieldDragItem>{{entity->Id(), 0, -1}}));
    EXPECT_EQ(manager.Drag().data, payload->ToVariant());

    // the drop onto the editor, as the step editor hands it over, after
    // the outline has come to select another entity
    const QPoint onRemises = outline->visualRect(remises).center();
    manager.CancelDrag();
    Press(viewport, onRemises);
    ASSERT_NE(outline->SelectedEntity(), entity);
    const TDragInfo drag{outline, payload->ToVariant()};
    ASSERT_TRUE(queryEditor->AcceptsDrag(drag));
    queryEditor->DropFields(drag);
    ASSERT_EQ(editor->VEntities()->Count(), 3);
    EXPECT_EQ(VE(2)->Entity()->Name(), QStringLiteral("Livraisons"));

    // Ids of another model, or naming nothing, or no payload: nothing drops
    const int fields = m_step->AllFields()->Count();
    m_query->SetModified(false);
    const TFieldDragPayload other{QStringLiteral("AUTRE.MXM"), payload->items};
    const TFieldDragPayload nothing{payload->modelFile, {{-5, 0, -1}}};
    for (const QVariant& data : {other.ToVariant(), nothing.ToVariant(), QVariant()})
        queryEditor->DropFields(TDragInfo{outline, data});
    EXPECT_FALSE(queryEditor->AcceptsDrag(TDragInfo{outline, QVariant()}));
    EXPECT_EQ(m_step->AllFields()->Count(), fields);
    EXPECT_FALSE(m_query->Modified());
}

// A statement that runs until it is interrupted.
void longStatement(const std::function<void(const QString&)>& setStatus)
{
    setStatus(QStringLiteral("Etape 1 : exécution"));
    QString error;
    auto connection = platform::SqliteConnection::openScratch(&error);
    ASSERT_TRUE(connection) << error.toStdString();
    connection->execute(QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 2000000000) "
                                       "SELECT count(*) FROM c"),
        &error);
}

TEST_F(EditorTest, ALongRunShowsItsProgressWindowAndCancels)
{
    bool windowStayed = false;
    QString status;
    int shown = 0;
    ScopedHook answer(RunProgressShown, [&](TfmRunProgress& progress) {
        ++shown;
        EXPECT_TRUE(progress.isModal());
        if (auto* label = test::Child<QLabel>(progress, "laStatus"))
            status = label->text();
        // the designer's window cannot be closed under the run
        window.close();
        windowStayed = window.isVisible();
        if (auto* cancel = test::Child<QPushButton>(progress, "btCancel"))
            QTest::mouseClick(cancel, Qt::LeftButton);
    });
    QElapsedTimer clock;
    clock.start();
    bool aborted = false;
    try {
        RunWithProgress(editor, longStatement);
    } catch (const EMxAbort& e) {
        aborted = true;
        EXPECT_EQ(QString::fromUtf8(e.what()), QStringLiteral("Abandon par l'utilisateur"));
    }
    EXPECT_TRUE(aborted);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(windowStayed);
    EXPECT_EQ(status, QStringLiteral("Etape 1 : exécution"));
    EXPECT_FALSE(RunInProgress());
    EXPECT_LT(clock.elapsed(), 60000);

    // afterwards everything works: the window closes, the editor edits
    RunPosted();
    editor->Select(VF(0, 1));
    QTest::keyClick(editor->Grid(), Qt::Key_Delete);
    EXPECT_EQ(VE(0)->Count(), 2);
    // a query's run: its steps' status texts go to the run for its length
    bool ran = false;
    RunQueryWithProgress(editor, *m_query, [&] {
        ASSERT_TRUE(m_step->OnProgress);
        m_step->OnProgress(QStringLiteral("Etape 1"));
        ran = true;
    });
    EXPECT_TRUE(ran);
    EXPECT_FALSE(m_step->OnProgress);
    window.close();
    EXPECT_FALSE(window.isVisible());
}

} // namespace
} // namespace edtest
