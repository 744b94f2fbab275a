#include "editorfixture.h"

#include "query/editor/steprules.h"

#include "ui/controls/splitter.h"

#include "engine/errors/errorhandler.h"
#include "query/reports/queryreports.h"

#include <QFontMetricsF>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace mx;
using namespace mx::ui;

namespace edtest {

ReportsInstalled::ReportsInstalled()
{
    static const bool reports = (InstallQueryReports(), true);
    (void)reports;
}

EditorTest::EditorTest()
{
    InstallExceptionHandler();
    m_step->SetSQLSyntax(QStringLiteral("STANDARD"));
    a1 = Add(3, QStringLiteral("NUMCLI"));
    a2 = Add(3, QStringLiteral("NOM"));
    a3 = Add(3, QStringLiteral("VILLE"));
    b1 = Add(5, QStringLiteral("MONTANT"));
    b2 = Add(5, QStringLiteral("DATECDE"));
    a1->SetChecked(true);
    b1->SetChecked(true);
    a1->SetDesignWidth(10);
    a3->SetDesignWidth(200);
    m_query->SetModified(false);

    window.setGeometry(50, 50, 1050, 400);
    steps = new QListView(&window);
    steps->setGeometry(0, 0, 150, 100);
    outline = new TEntityOutline(&window);
    outline->setGeometry(0, 100, 150, 300);
    editor = new TMxStepEditor(&window);
    editor->setGeometry(150, 0, 900, 400);
    queryEditor = new TMxQueryEditor(editor, outline, steps, &window);
    QObject::connect(queryEditor, &TMxQueryEditor::OnSQLChange, [this] { ++sqlChanges; });
    QObject::connect(queryEditor, &TMxQueryEditor::OnChange, [this] { ++changes; });
    queryEditor->SetQuery(m_query);
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
}

EditorTest::~EditorTest()
{
    delete queryEditor;
    delete editor;
    RemoveExceptionHandler();
}

QString EditorTest::Cell(int col, TMxGridDrawInfoKind kind)
{
    TMxGrid* grid = editor->Grid();
    grid->OnGetInfo(*grid, col, kind);
    return grid->InfoText;
}

mxtest::TMemoryDataset* EditorTest::MakeResult(int rows)
{
    std::vector<mxtest::TMemoryDataset::Field> fields;
    for (TMxItem* f : *m_step->AllFields())
        fields.push_back({static_cast<TMxQueryField*>(f)->FullName(), 10});
    return mxtest::MakeNumberedDataset(fields, rows);
}

QStringList EditorTest::StepSql()
{
    return m_step->SQL() ? m_step->SQL()->Lines() : QStringList();
}

TVPanel* EditorTest::PanelOf(const TVPanelOwner* item) const
{
    for (TVPanel* panel : editor->findChildren<TVPanel*>())
        if (panel->Owner() == item)
            return panel;
    ADD_FAILURE() << "no panel draws the item";
    return nullptr;
}

TMxSplitter* EditorTest::SplitterOf(const TVField* field) const
{
    const TVPanel* panel = PanelOf(field);
    return panel ? test::Child<TMxSplitter>(*editor, (panel->objectName() + QStringLiteral("Splitter")).toLatin1().constData()) : nullptr;
}

int EditorTest::Px(int stored) const
{
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const double letter = QFontMetricsF(editor->font()).horizontalAdvance(letters) / letters.size();
    return int(std::lround(stored * std::max(1.0, letter / mx::ui::kDrawnLetterWidth)));
}

} // namespace edtest
