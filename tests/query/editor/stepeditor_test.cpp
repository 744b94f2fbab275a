// The step editor and its panels: geometry, the totals, Delete, the
// gestures of the panels, the report tabs and the result bound after runs.

#include "editorfixture.h"

#include "tests/support/ui/scriptedpopup.h"

#include "ui/controls/splitter.h"
#include "query/editor/steprules.h"

#include "engine/model/entity.h"
#include "report/pagemodel.h"
#include "report/reportparts.h"
#include "ui/report/reportpreview.h"
#include "ui/report/reporteditor.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

using namespace mx;
using namespace mx::ui;
using namespace mxtest;

namespace edtest {
namespace {

TEST(StepRules, TotalsIndexWidthsAndAccelerators)
{
    struct {
        const char* total;
        int index;
    } totals[] = {{"", 0}, {"count", 1}, {"count all", 1}, {"average", 2}, {"sum", 3}, {"min", 4}, {"max", 5}, {"median", 0}};
    for (const auto& t : totals)
        EXPECT_EQ(TotalIndexOf(QString::fromLatin1(t.total)), t.index) << t.total;
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(TotalIndexOf(TotalOfIndex(i)), i);
    EXPECT_EQ(TotalOfIndex(0), QString());

    struct {
        int design;
        int shown;
    } widths[] = {{0, 100}, {10, 30}, {30, 30}, {200, 200}};
    for (const auto& w : widths) {
        TMxQueryField f(nullptr);
        f.SetDesignWidth(w.design);
        EXPECT_EQ(FieldDisplayWidth(&f), w.shown) << w.design;
    }
    EXPECT_EQ(FieldDisplayWidth(nullptr), 100);

    EXPECT_EQ(AccelCaption(QStringLiteral("(Tout)"), u'A'), QStringLiteral("(Tout)")); // no capital A
    EXPECT_EQ(AccelCaption(QStringLiteral("Nombre"), u'U'), QStringLiteral("Nombre"));
    EXPECT_EQ(AccelCaption(QStringLiteral("Minimum"), u'n'), QStringLiteral("Mi&nimum"));
    EXPECT_EQ(AccelCaption(QStringLiteral("Maximum"), u'x'), QStringLiteral("Ma&ximum"));
    EXPECT_EQ(AccelCaption(QStringLiteral("Somme"), u'S'), QStringLiteral("&Somme"));
}

TEST(StepRules, TotalsOfferedByTypeAndDialect)
{
    TSQLSyntaxProperties plain;
    TSQLSyntaxProperties sums;
    sums.Capabilities = SqlCap(scCalculatedSum);
    struct {
        char type;
        bool calculated;
        bool sumsCap;
        const char* enabled; // one letter per item, 1 enabled
    } cases[] = {
        {'N', false, false, "111111"},
        {'A', false, false, "110011"},
        {'D', false, false, "110011"},
        {'@', false, false, "110011"},
        {'T', false, false, "110011"},
        {'L', false, false, "110011"},
        {'N', true, false, "100000"},
        {'N', true, true, "111111"},
        {'A', true, true, "110011"},
    };
    for (const auto& c : cases) {
        TMxQueryField f(nullptr);
        f.SetFieldType(QChar(QLatin1Char(c.type)));
        f.SetCalculated(c.calculated);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(TotalEnabled(i, &f, c.sumsCap ? sums : plain), c.enabled[i] == '1')
                << c.type << " calculated " << c.calculated << " item " << i;
    }
    EXPECT_TRUE(TotalEnabled(0, nullptr, plain));
    EXPECT_FALSE(TotalEnabled(3, nullptr, sums));
}

TEST_F(EditorTest, PanelsAndColumnsFollowWidthsCollapseAndScrolling)
{
    ASSERT_EQ(editor->Step(), m_step);
    EXPECT_FALSE(m_query->Modified()); // showing writes nothing back
    EXPECT_EQ(a1->DesignWidth(), 10);
    ASSERT_EQ(editor->VEntities()->Count(), 2);
    // 36, then 30 + 100 + 200 for Clients, then 100 + 100 for Commandes,
    // each in pixels of the editor's font
    const int clients = Px(30) + Px(100) + Px(200);
    EXPECT_EQ(PanelOf(VE(0))->x(), 36);
    EXPECT_EQ(PanelOf(VF(0, 0))->x(), 36);
    EXPECT_EQ(PanelOf(VF(0, 0))->width(), Px(30) - 2);
    EXPECT_EQ(PanelOf(VF(0, 1))->x(), 36 + Px(30));
    EXPECT_EQ(PanelOf(VF(0, 2))->x(), 36 + Px(30) + Px(100));
    EXPECT_EQ(SplitterOf(VF(0, 0))->x(), 36 + Px(30) - 2);
    EXPECT_EQ(PanelOf(VE(0))->width(), clients);
    EXPECT_EQ(PanelOf(VE(0))->height(), 17);
    EXPECT_EQ(PanelOf(VE(1))->x(), 36 + clients);
    EXPECT_EQ(PanelOf(VF(1, 1))->x(), 36 + clients + Px(100));
    EXPECT_EQ(editor->IndicatorSplitter()->x(), 34);
    EXPECT_FALSE(editor->ScrollBar()->isVisible());
    EXPECT_EQ(editor->Grid()->y(), 67);

    TMxGrid* grid = editor->Grid();
    ASSERT_EQ(grid->Columns.size(), 5);
    EXPECT_EQ(Cell(0, dikHeader), a1->FullName());
    EXPECT_EQ(Cell(4, dikHeader), b2->FullName());
    // the grid's columns line up with the panels
    EXPECT_EQ(grid->ColWidth(1) + 1, Px(30));
    EXPECT_EQ(grid->ColWidth(3) + 1, Px(200));
    EXPECT_EQ(grid->viewport()->mapTo(editor, grid->CellRect(2, 1).topLeft()).x(), PanelOf(VF(0, 1))->x());

    m_step->SetDataset(MakeResult(3));
    editor->ResultChanged();
    EXPECT_EQ(Cell(1), a2->FullName() + QStringLiteral("1"));

    // collapsed: one column, the caption's width plus 20, 67 high
    QTest::mouseClick(On<QToolButton>(VE(1), "ExpandButton"), Qt::LeftButton);
    EXPECT_FALSE(VE(1)->Expanded());
    EXPECT_EQ(On<QToolButton>(VE(1), "ExpandButton")->text(), QStringLiteral("+"));
    ASSERT_EQ(grid->Columns.size(), 4);
    EXPECT_EQ(grid->Columns[3], VE(1));
    const int captionWidth = QFontMetrics(On<QLabel>(VE(1), "CaptionLabel")->font()).horizontalAdvance(QStringLiteral("Commandes")) + 20;
    EXPECT_EQ(PanelOf(VE(1))->width(), captionWidth);
    EXPECT_EQ(PanelOf(VE(1))->height(), 67);
    EXPECT_FALSE(PanelOf(VF(1, 0))->isVisible());
    EXPECT_EQ(Cell(3), QString());

    // narrower than the panels: the bar appears, panels and grid move with it
    editor->resize(300, 400);
    const int right = 36 + clients + captionWidth;
    ASSERT_TRUE(editor->ScrollBar()->isVisible());
    EXPECT_EQ(editor->ScrollBar()->maximum(), right - 300 + 16);
    EXPECT_EQ(editor->ScrollBar()->width(), 300 - 16);
    editor->ScrollBar()->setValue(50);
    EXPECT_EQ(editor->ScrollPos(), 50);
    EXPECT_EQ(PanelOf(VE(0))->x(), 36 - 50);
    EXPECT_EQ(PanelOf(VF(0, 1))->x(), 36 + Px(30) - 50);
    EXPECT_EQ(grid->x(), -50);
    EXPECT_EQ(grid->width(), 350);
    EXPECT_EQ(grid->height(), 400 - editor->TabSetHeight() - editor->ScrollBar()->height() - 67);
    // wider again: no bar, back at 0
    editor->resize(right + 50, 400);
    EXPECT_FALSE(editor->ScrollBar()->isVisible());
    EXPECT_EQ(editor->ScrollPos(), 0);
    EXPECT_EQ(PanelOf(VE(0))->x(), 36);
    EXPECT_EQ(grid->x(), 0);
    EXPECT_FALSE(m_query->Modified()); // expanding and scrolling are views
}

// Stored widths are pixels of the font the queries were drawn with: panels
// and columns are shown in proportion to the editor's font, so that a
// two-word name and a cell of twenty letters are not cut at the default
// width, and a font change rescales them without writing anything back.
TEST_F(EditorTest, WidthsFollowTheFontSoNamesAndCellsAreNotCut)
{
    a2->SetFullName(QStringLiteral("Quantité vendue"));
    ASSERT_EQ(a2->DesignWidth(), 0) << "the default width";
    m_query->SetModified(false);
    TMxGrid* grid = editor->Grid();
    const auto wordsFit = [&](const char* when) {
        SCOPED_TRACE(when);
        QLabel* name = On<QLabel>(VF(0, 1), "NameLabel");
        const QFontMetrics fm(name->font());
        EXPECT_EQ(name->text(), QStringLiteral("Quantité vendue"));
        for (const QString& word : {QStringLiteral("Quantité"), QStringLiteral("vendue")})
            EXPECT_LE(fm.horizontalAdvance(word), name->width()) << word.toStdString();
        EXPECT_LE(name->x() + name->width(), PanelOf(VF(0, 1))->width());
        const int cell = QFontMetrics(grid->font()).horizontalAdvance(QStringLiteral("Intercalaires colorés"));
        EXPECT_LT(cell + 4, grid->ColWidth(2)) << "a cell at the default width";
        // the proportions stay: panels, columns and places follow the font
        EXPECT_EQ(VF(0, 1)->Width(), Px(100));
        EXPECT_EQ(grid->ColWidth(2) + 1, Px(100));
        EXPECT_EQ(VF(0, 2)->Width(), Px(200));
        EXPECT_EQ(PanelOf(VE(0))->width(), Px(30) + Px(100) + Px(200));
        EXPECT_EQ(PanelOf(VE(1))->x(), 36 + Px(30) + Px(100) + Px(200));
        EXPECT_EQ(name->x(), Px(48));
    };
    wordsFit("the default font");

    QFont larger = editor->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.5);
    editor->setFont(larger);
    ASSERT_GT(Px(100), 100);
    wordsFit("a larger font");
    EXPECT_EQ(a2->DesignWidth(), 0);
    EXPECT_EQ(a3->DesignWidth(), 200);
    EXPECT_FALSE(m_query->Modified()) << "a font is a view";
}

// The header's rows follow the font's height as its widths follow its
// letters: a name's two lines, the formula under them, the entity's
// caption and the grid below the panels are whole at every size, and a
// collapsed entity is as high as the header.
TEST_F(EditorTest, HeightsFollowTheFontSoNoLineIsCut)
{
    a2->SetFullName(QStringLiteral("Quantité commandée"));
    VE(1)->SetExpanded(false);
    const double points = editor->font().pointSizeF();
    for (double factor : {1.0, 1.5, 2.2}) {
        SCOPED_TRACE(factor);
        QFont font = editor->font();
        font.setPointSizeF(points * factor);
        editor->setFont(font);
        const QFontMetrics fm(editor->font());
        QWidget* entity = PanelOf(VE(0));
        QWidget* panel = PanelOf(VF(0, 1));
        QLabel* name = On<QLabel>(VF(0, 1), "NameLabel");
        QLabel* formula = On<QLabel>(VF(0, 1), "FormulaLabel");
        QWidget* filter = On<QToolButton>(VF(0, 1), "FilterButton");
        QLabel* caption = On<QLabel>(VE(0), "CaptionLabel");
        ASSERT_TRUE(entity && panel && name && formula && filter && caption);
        ASSERT_GT(name->heightForWidth(name->width()), fm.height()) << "the name is on two lines";
        EXPECT_GE(name->height(), name->heightForWidth(name->width())) << "the name's second line is cut";
        EXPECT_GE(formula->height(), fm.height());
        EXPECT_LE(name->geometry().bottom(), std::min(formula->y(), filter->y()));
        EXPECT_LT(formula->geometry().bottom(), panel->height());
        EXPECT_GE(entity->height(), caption->y() + fm.height());
        EXPECT_GT(panel->y(), entity->geometry().bottom());
        EXPECT_EQ(SplitterOf(VF(0, 1))->height(), panel->height() + 1);
        EXPECT_EQ(editor->Grid()->y(), panel->y() + panel->height() + 1);
        EXPECT_EQ(PanelOf(VE(1))->height(), editor->Grid()->y()) << "a collapsed entity";
        EXPECT_EQ(PanelOf(VF(0, 2))->height(), panel->height());
    }
}

// An entity whose caption is wider than its fields keeps the caption
// whole; its last column takes the rest, so that the next entity's columns
// stay under their panels, at each relayout.
TEST_F(EditorTest, AnEntityCaptionWiderThanItsFieldsKeepsTheNextColumnsUnderTheirPanels)
{
    a2->Free();
    a3->Free();
    editor->Relayout(TMxStepEditor::rkRebuild);
    ASSERT_EQ(VE(0)->Count(), 1);
    const int captionWidth = QFontMetrics(On<QLabel>(VE(0), "CaptionLabel")->font()).horizontalAdvance(On<QLabel>(VE(0), "CaptionLabel")->text()) + 20;
    ASSERT_GT(captionWidth, VF(0, 0)->Width()) << "the caption is the wider";
    EXPECT_EQ(PanelOf(VE(0))->width(), captionWidth);
    TMxGrid* grid = editor->Grid();
    ASSERT_EQ(grid->Columns.size(), 3);
    const auto columnX = [&](int col) { return grid->viewport()->mapTo(editor, grid->CellRect(col, 1).topLeft()).x(); };
    for (int kind : {int(TMxStepEditor::rkRebuild), int(TMxStepEditor::rkWidths), int(TMxStepEditor::rkContents)}) {
        SCOPED_TRACE(kind);
        editor->Relayout(kind);
        EXPECT_EQ(columnX(1), PanelOf(VF(0, 0))->x());
        EXPECT_EQ(PanelOf(VE(1))->x(), PanelOf(VE(0))->x() + captionWidth);
        EXPECT_EQ(columnX(2), PanelOf(VF(1, 0))->x()) << "the next entity's first column";
        EXPECT_EQ(columnX(3), PanelOf(VF(1, 1))->x());
    }
}

// A computed number shows as the session writes numbers, not in the exact
// form the result keeps; texts that look like numbers stay as they are.
TEST_F(EditorTest, TheGridShowsNumbersAsTheSessionWritesThem)
{
    std::vector<TMemoryDataset::Field> fields;
    QStringList row;
    for (TMxItem* f : *m_step->AllFields()) {
        auto* field = static_cast<TMxQueryField*>(f);
        const bool number = field == b1;
        fields.push_back({field->FullName(), 10, number ? QStringLiteral("NUMBER") : QStringLiteral("ALPHA")});
        row << (number || field == a2 ? QStringLiteral("7.319999999999999") : QStringLiteral("x"));
    }
    m_step->SetDataset(new TMemoryDataset(fields, {row}));
    editor->ResultChanged();
    ASSERT_EQ(editor->Grid()->Columns.size(), 5);
    EXPECT_EQ(Cell(3), QStringLiteral("7,32")) << "the amount";
    EXPECT_EQ(Cell(1), QStringLiteral("7.319999999999999")) << "a text";
    EXPECT_EQ(m_step->Dataset()->GetFieldValue(3), QStringLiteral("7.319999999999999")) << "the result keeps every digit";
}

TEST_F(EditorTest, IndicatorSplitterRecordHintAndBackgroundPress)
{
    // the indicator splitter moves the panels and the grid's indicator
    TMxSplitter* bar = editor->IndicatorSplitter();
    const QPoint g0 = bar->mapToGlobal(QPoint(1, 30));
    Press(bar, QPoint(1, 30));
    MoveHeld(bar, bar->mapFromGlobal(g0 + QPoint(10, 0)));
    MoveHeld(bar, bar->mapFromGlobal(g0 + QPoint(20, 0)));
    Release(bar, bar->mapFromGlobal(g0 + QPoint(20, 0)));
    EXPECT_EQ(editor->IndicatorWidth(), 56);
    EXPECT_EQ(editor->Grid()->IndicatorWidth(), 56);
    EXPECT_EQ(PanelOf(VE(0))->x(), 56);
    EXPECT_EQ(editor->Grid()->viewport()->mapTo(editor, editor->Grid()->CellRect(1, 1).topLeft()).x(), 56);

    // the record count, once known, is the grid's hint
    m_step->SetDataset(MakeResult(3));
    editor->ResultChanged();
    EXPECT_EQ(editor->Grid()->property("Hint").toString(), QString());
    QTest::keyClick(editor->Grid(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(editor->Grid()->property("Hint").toString(), QStringLiteral("|3 Enregistrements"));
    EXPECT_EQ(editor->Grid()->statusTip(), QStringLiteral("3 Enregistrements"));

    // a press on the editor's own background selects nothing
    editor->Select(VF(0, 0));
    Press(editor, QPoint(590, 30));
    EXPECT_EQ(editor->Selected(), nullptr);
}

TEST_F(EditorTest, AStepWithoutEntityShowsNoColumnAndNoBar)
{
    TMxQueryStep* empty = m_query->AddStep();
    editor->SetStep(empty);
    EXPECT_EQ(editor->VEntities()->Count(), 0);
    EXPECT_EQ(editor->Grid()->Columns.size(), 0);
    EXPECT_FALSE(editor->ScrollBar()->isVisible());
    EXPECT_EQ(steps->currentIndex().row(), 1);
}

TEST_F(EditorTest, DeleteKeyRemovesTheSelectedFieldAndMarksTheQuery)
{
    const int before = sqlChanges;
    editor->Select(VF(0, 1));
    QTest::keyClick(editor->Grid(), Qt::Key_Delete);
    ASSERT_EQ(VE(0)->Count(), 2);
    EXPECT_EQ(VF(0, 0)->Field(), a1);
    EXPECT_EQ(VF(0, 1)->Field(), a3);
    EXPECT_EQ(editor->SelectedField(), VF(0, 0));
    EXPECT_TRUE(m_query->Modified());
    EXPECT_GT(sqlChanges, before);
    EXPECT_EQ(editor->Grid()->Columns.size(), 4);
    EXPECT_FALSE(StepSql().join(u' ').contains(QStringLiteral("NOM")));

    // the first field: afterwards the first field of the first entity
    editor->Select(VF(0, 0));
    QTest::keyClick(editor->Grid(), Qt::Key_Delete);
    ASSERT_EQ(VE(0)->Count(), 1);
    EXPECT_EQ(editor->SelectedField(), VF(0, 0));

    // an entity selected: nothing goes, the first field is selected
    m_query->SetModified(false);
    editor->Select(VE(1));
    QTest::keyClick(editor->Grid(), Qt::Key_Delete);
    EXPECT_EQ(m_step->AllFields()->Count(), 3);
    EXPECT_EQ(editor->SelectedField(), VF(0, 0));
    EXPECT_FALSE(m_query->Modified());

    // the last field of an entity: the entity goes with it
    editor->Select(VF(0, 0));
    QTest::keyClick(editor->Grid(), Qt::Key_Delete);
    ASSERT_EQ(editor->VEntities()->Count(), 1);
    EXPECT_EQ(VE(0)->Entity()->Name(), QStringLiteral("Commandes"));
    EXPECT_EQ(editor->SelectedField(), VF(0, 0));
}

TEST_F(EditorTest, TotalsPopupOffersByTypeAndChoosingSetsTheTotal)
{
    // a stored "count" shows as Nombre
    b2->SetTotal(QStringLiteral("count"));
    EXPECT_EQ(On<QLabel>(VF(1, 1), "TotalLabel")->text(), QString(TotalItems[1].glyph));
    EXPECT_EQ(VF(1, 1)->TotalIndex(), 1);

    // text field: no average, no sum
    editor->Select(VF(0, 1));
    editor->PrepareTotalsMenu();
    const QList<QAction*> items = editor->TotalsMenu()->actions();
    ASSERT_EQ(items.size(), 6);
    EXPECT_EQ(items[3]->text(), QStringLiteral("&Somme"));
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_TRUE(items[1]->isEnabled());
    EXPECT_FALSE(items[2]->isEnabled());
    EXPECT_FALSE(items[3]->isEnabled());

    // the real pop-up on Montant's total label, "S" for Somme
    m_query->SetModified(false);
    const int before = sqlChanges;
    QLabel* label = On<QLabel>(VF(1, 0), "TotalLabel");
    test::TScriptedPopup popup;
    popup.Key(u'S');
    emit label->customContextMenuRequested(QPoint(5, 5));
    EXPECT_EQ(popup.shown, QStringList{QStringLiteral("pmTotals")});
    EXPECT_EQ(popup.positions, QList<QPoint>{label->mapToGlobal(QPoint(5, 5))});
    EXPECT_EQ(popup.refused, 0);
    EXPECT_EQ(editor->SelectedField(), VF(1, 0));
    EXPECT_EQ(b1->Total(), QStringLiteral("sum"));
    EXPECT_TRUE(m_query->Modified());
    EXPECT_GT(sqlChanges, before);
    EXPECT_TRUE(StepSql().join(u' ').contains(QStringLiteral("SUM("), Qt::CaseInsensitive));
    EXPECT_EQ(label->text(), QString(TotalItems[3].glyph));
    editor->PrepareTotalsMenu();
    EXPECT_TRUE(items[3]->isChecked());

    // "(Tout)" clears it
    editor->ChooseTotal(0);
    EXPECT_EQ(b1->Total(), QString());

    // a calculated field in a dialect that cannot total formulas
    TMxQueryField* calc = AddCalc(QStringLiteral("Double"), {qtest::F(5, QStringLiteral("MONTANT"))});
    TVField* vcalc = nullptr;
    for (int i = 0; i < editor->VEntities()->Count(); ++i)
        if (TVField* f = VE(i)->FindField(calc))
            vcalc = f;
    ASSERT_TRUE(vcalc);
    editor->Select(vcalc);
    m_step->SetSQLSyntax(QStringLiteral("PLAINNAMES"));
    ASSERT_EQ(m_step->SQLSyntaxName(), QStringLiteral("PLAINNAMES")) << "an unknown dialect falls back to one that totals formulas";
    editor->PrepareTotalsMenu();
    EXPECT_TRUE(items[0]->isEnabled());
    for (int i = 1; i < 6; ++i)
        EXPECT_FALSE(items[i]->isEnabled()) << i;
}

TEST_F(EditorTest, FieldPanelGestures)
{
    // the check box
    TVField* ville = VF(0, 2);
    a2->SetChecked(false);
    a3->SetChecked(false);
    m_query->SetModified(false);
    QTest::mouseClick(On<QCheckBox>(ville, "CheckBox"), Qt::LeftButton);
    EXPECT_TRUE(a3->Checked());
    EXPECT_TRUE(On<QCheckBox>(ville, "CheckBox")->isChecked());
    EXPECT_TRUE(m_query->Modified());
    EXPECT_TRUE(PanelOf(ville)->toolTip().startsWith(QStringLiteral("sélectionner")));
    EXPECT_EQ(PanelOf(VF(0, 1))->toolTip(), a2->FullName() + QStringLiteral(" (Inutilisé)"));

    // renaming: the answer becomes the name; the same name changes nothing
    m_query->SetModified(false);
    editor->OnFieldRename = [](QObject*, QString& name) { name = QStringLiteral("X"); };
    QTest::mouseDClick(On<QLabel>(ville, "NameLabel"), Qt::LeftButton);
    EXPECT_EQ(a3->FullName(), QStringLiteral("X"));
    EXPECT_EQ(On<QLabel>(ville, "NameLabel")->text(), QStringLiteral("X"));
    EXPECT_TRUE(m_query->Modified());
    m_query->SetModified(false);
    editor->OnFieldRename = [](QObject*, QString&) {};
    QTest::mouseDClick(On<QLabel>(ville, "NameLabel"), Qt::LeftButton);
    EXPECT_FALSE(m_query->Modified());

    // the filter button asks OnFormulaChange with the visual field; with
    // nobody to answer it changes nothing
    m_query->SetModified(false);
    QTest::mouseClick(On<QToolButton>(VF(0, 1), "FilterButton"), Qt::LeftButton);
    EXPECT_FALSE(m_query->Modified());
    TVField* sender = nullptr;
    editor->OnFormulaChange = [&](TVField* f) { sender = f; };
    QTest::mouseClick(On<QToolButton>(VF(0, 1), "FilterButton"), Qt::LeftButton);
    EXPECT_EQ(sender, VF(0, 1));
    EXPECT_TRUE(m_query->Modified());

    // the width splitter, 40 to the right
    m_query->SetModified(false);
    TMxSplitter* bar = SplitterOf(VF(0, 1));
    const int x0 = PanelOf(VF(0, 2))->x();
    const QPoint g0 = bar->mapToGlobal(QPoint(1, 10));
    Press(bar, QPoint(1, 10));
    MoveHeld(bar, bar->mapFromGlobal(g0 + QPoint(20, 0)));
    MoveHeld(bar, bar->mapFromGlobal(g0 + QPoint(40, 0)));
    Release(bar, bar->mapFromGlobal(g0 + QPoint(40, 0)));
    // stored in the drawn font's pixels: shown again within the rounding
    const int stored = a2->DesignWidth();
    EXPECT_NEAR(Px(stored), Px(100) + 40, 1) << stored;
    EXPECT_EQ(PanelOf(VF(0, 2))->x(), x0 - Px(100) + Px(stored));
    EXPECT_EQ(editor->Grid()->ColWidth(2) + 1, Px(stored));
    EXPECT_TRUE(m_query->Modified());
}

TEST_F(EditorTest, EntitiesAndFieldsExchangeByDragging)
{
    TMxQueryEntity* clients = VE(0)->Entity();
    TMxQueryEntity* orders = VE(1)->Entity();
    QWidget* caption = On<QLabel>(VE(0), "CaptionLabel");
    TVPanel* target = PanelOf(VE(1));
    const int before = sqlChanges;
    Press(caption, QPoint(3, 3));
    auto to = [&](QWidget* w, QPoint p) { return caption->mapFromGlobal(w->mapToGlobal(p)); };
    MoveHeld(caption, to(target, QPoint(target->width() - 5, 8)));
    MoveHeld(caption, to(target, QPoint(target->width() - 4, 8)));
    Release(caption, to(target, QPoint(target->width() - 4, 8)));
    ASSERT_EQ(m_step->Entities()->Items(0), orders);
    EXPECT_EQ(m_step->Entities()->Items(1), clients);
    EXPECT_EQ(VE(0)->Entity(), orders);
    EXPECT_EQ(PanelOf(VE(0))->x(), 36);
    EXPECT_EQ(editor->Grid()->Columns[0], VF(0, 0));
    EXPECT_EQ(VF(0, 0)->Field(), b1);
    EXPECT_TRUE(m_query->Modified());
    EXPECT_GT(sqlChanges, before);
    // the statement selects in the order shown
    const QString sql = StepSql().join(u' ');
    EXPECT_LT(sql.indexOf(QStringLiteral("MONTANT")), sql.indexOf(QStringLiteral("NUMCLI"))) << sql.toStdString();

    // an entity onto itself: nothing
    m_query->SetModified(false);
    Press(On<QLabel>(VE(0), "CaptionLabel"), QPoint(3, 3));
    MoveHeld(On<QLabel>(VE(0), "CaptionLabel"), QPoint(30, 5));
    MoveHeld(On<QLabel>(VE(0), "CaptionLabel"), QPoint(31, 5));
    Release(On<QLabel>(VE(0), "CaptionLabel"), QPoint(31, 5));
    EXPECT_EQ(m_step->Entities()->Items(0), orders);
    EXPECT_FALSE(m_query->Modified());

    // a field onto a field of another entity: refused; of its own: exchanged
    QWidget* montant = PanelOf(VF(0, 0));
    auto drag = [&](QWidget* from, QWidget* onto) {
        auto at = [&](QPoint p) { return from->mapFromGlobal(onto->mapToGlobal(p)); };
        Press(from, QPoint(60, 40));
        MoveHeld(from, at(QPoint(60, 41)));
        MoveHeld(from, at(QPoint(61, 41)));
        Release(from, at(QPoint(61, 41)));
    };
    drag(montant, PanelOf(VF(1, 1)));
    EXPECT_EQ(orders->Items(0), b1);
    EXPECT_FALSE(m_query->Modified());
    drag(montant, PanelOf(VF(0, 1)));
    EXPECT_EQ(orders->Items(0), b2);
    EXPECT_EQ(VF(0, 0)->Field(), b2);
    EXPECT_EQ(editor->Grid()->Columns[0], VF(0, 0));
    EXPECT_TRUE(m_query->Modified());
}

// The panels only forward a drop: which items exchange is the step
// editor's rule, and an exchange it refuses changes nothing.
TEST_F(EditorTest, OnlyEntitiesOrFieldsOfOneEntityExchange)
{
    struct {
        const char* what;
        TMxItem* dragged;
        TMxItem* target;
        bool exchanges;
    } cases[] = {
        {"two entities", VE(0), VE(1), true},
        {"two fields of one entity", VF(0, 0), VF(0, 2), true},
        {"fields of two entities", VF(0, 0), VF(1, 0), false},
        {"a field onto an entity", VF(0, 0), VE(0), false},
        {"an entity onto a field", VE(1), VF(1, 0), false},
        {"nothing dragged", nullptr, VE(0), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(editor->CanExchange(c.dragged, c.target), c.exchanges) << c.what;
    EXPECT_TRUE(editor->CanExchange(VF(0, 1), VF(0, 1))) << "over itself: taken, and selected";

    const QList<TMxItem*> entities(m_step->Entities()->begin(), m_step->Entities()->end());
    editor->Exchange(VF(0, 0), VF(1, 0));
    editor->Exchange(VE(0), VF(1, 0));
    editor->Exchange(VE(1), VE(1));
    EXPECT_EQ(QList<TMxItem*>(m_step->Entities()->begin(), m_step->Entities()->end()), entities);
    EXPECT_EQ(VF(0, 0)->Field(), a1);
    EXPECT_EQ(VF(1, 0)->Field(), b1);
    EXPECT_FALSE(m_query->Modified());

    editor->Exchange(VF(0, 0), VF(0, 2));
    EXPECT_EQ(VE(0)->Entity()->Items(0), a3);
    EXPECT_EQ(VE(0)->Entity()->Items(2), a1);
    EXPECT_EQ(VF(0, 0)->Field(), a3);
    EXPECT_EQ(editor->Grid()->Columns[0], VF(0, 0));
    EXPECT_TRUE(m_query->Modified());
}

TEST_F(EditorTest, EntityCriteriaMenuChoosesACriterion)
{
    // Commandes has no criterion: no menu
    EXPECT_EQ(VE(1)->BuildCriteriaMenu(), nullptr);
    test::TScriptedPopup popup;
    popup.Choose(QStringLiteral("mi0"));
    Press(PanelOf(VE(0)), QPoint(2, 2), Qt::RightButton);
    ASSERT_EQ(popup.shown, QStringList{QStringLiteral("pmEntityCriterias")});
    EXPECT_EQ(popup.items.value(0), QStringList({"miEmpty", "mi0"}));
    EXPECT_EQ(popup.refused, 0);
    ASSERT_TRUE(VE(0)->Entity()->SourceItem());
    EXPECT_EQ(VE(0)->Entity()->SourceItem()->Name(), QStringLiteral("Parisiens"));
    EXPECT_EQ(On<QLabel>(VE(0), "CaptionLabel")->text(), QStringLiteral("Clients       Parisiens"));
    EXPECT_TRUE(m_query->Modified());
    m_query->SetModified(false);
    VE(0)->ChooseCriterion(-1);
    EXPECT_EQ(VE(0)->Entity()->SourceItem(), nullptr);
    EXPECT_EQ(On<QLabel>(VE(0), "CaptionLabel")->text(), QStringLiteral("Clients"));
    EXPECT_TRUE(m_query->Modified());
}

TEST_F(EditorTest, ReportTabsBuildOnceAndSwitchingStepsFreesThePreview)
{
    m_step->SetDataset(MakeResult(5));
    editor->ResultChanged();
    auto* report = dynamic_cast<rpt::TQuickRep*>(m_step->QuickReport());
    ASSERT_TRUE(report);
    editor->SetCurrentTab(TMxStepEditor::tabDesign);
    EXPECT_TRUE(editor->IsReportTab());
    ASSERT_TRUE(editor->ReportEditor());
    EXPECT_TRUE(editor->ReportEditor()->isVisible());
    EXPECT_EQ(editor->ReportEditor()->Report(), report);
    EXPECT_EQ(report->Tag(), 1);
    ASSERT_TRUE(report->Band(rpt::rbDetail));
    const size_t controls = report->Band(rpt::rbDetail)->Controls().size();
    EXPECT_EQ(controls, 5u);
    EXPECT_EQ(editor->ReportEditor()->height(), editor->height() - editor->TabSetHeight());

    editor->SetCurrentTab(TMxStepEditor::tabData);
    EXPECT_FALSE(editor->ReportEditor()->isVisible());
    editor->SetCurrentTab(TMxStepEditor::tabDesign);
    EXPECT_EQ(report->Band(rpt::rbDetail)->Controls().size(), controls); // built once

    editor->SetCurrentTab(TMxStepEditor::tabPreview);
    ASSERT_TRUE(editor->Preview());
    ASSERT_TRUE(editor->Preview()->Document());
    EXPECT_GE(editor->Preview()->Document()->PageCount(), 1);
    EXPECT_FALSE(editor->ReportEditor()->isVisible());

    // a run gives a new result: the preview is laid out again over it
    QPointer<TfmReportPreview> first = editor->Preview();
    m_step->SetDataset(MakeResult(2));
    editor->ResultChanged();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    ASSERT_TRUE(editor->Preview());

    TMxQueryStep* second = m_query->AddStep();
    QPointer<TfmReportPreview> preview = editor->Preview();
    editor->SetStep(second);
    EXPECT_EQ(editor->CurrentTab(), TMxStepEditor::tabData);
    EXPECT_EQ(editor->Preview(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(preview.isNull());
    EXPECT_FALSE(editor->ReportEditor()->isVisible());
    EXPECT_EQ(editor->ReportEditor()->Report(), nullptr);
}

TEST_F(EditorTest, TheGridFollowsEveryResultAndNeverReadsAFreedOne)
{
    TMemoryDataset* first = MakeResult(3);
    m_step->SetDataset(first);
    editor->ResultChanged();
    EXPECT_EQ(editor->Grid()->DataSet(), first);
    (void)editor->grab();
    // a run from elsewhere frees the result; the next relayout binds the new one
    TMemoryDataset* second = MakeResult(4);
    m_step->SetDataset(second);
    (void)editor->grab();
    editor->Relayout(TMxStepEditor::rkWidths);
    EXPECT_EQ(editor->Grid()->DataSet(), second);
    EXPECT_EQ(Cell(0), a1->FullName() + QStringLiteral("1"));
    m_step->FreeDataset();
    (void)editor->grab();
    editor->ResultChanged();
    EXPECT_EQ(editor->Grid()->DataSet(), nullptr);
}

TEST_F(EditorTest, APostponedRebuildBelongsToItsOwnEditor)
{
    TMxQueryStep* other = m_query->AddStep();
    Add(5, QStringLiteral("NUMCDE"), other);
    TMxStepEditor second(&window);
    second.setGeometry(150, 0, 600, 300);
    second.SetStep(other);

    m_step->BeginUpdate();
    Add(7, QStringLiteral("TRANSPORTEUR"));
    EXPECT_EQ(editor->Grid()->Columns.size(), 5); // postponed
    second.Relayout(TMxStepEditor::rkContents);
    EXPECT_EQ(second.Grid()->Columns.size(), 1);
    m_step->EndUpdate();
    EXPECT_EQ(editor->Grid()->Columns.size(), 6);
}

} // namespace
} // namespace edtest
