#include "editorseam.h"

#include "driver/dataset.h"
#include "model/datamodel.h"
#include "query/query.h"
#include "query/queryentity.h"
#include "query/querystep.h"

#include "entityoutline.h"
#include "mxgrid.h"
#include "picturelistbox.h"
#include "pictures.h"

#include <QFontMetrics>
#include <QVBoxLayout>
#include <QWidget>

namespace mx {

TPlaceholderQueryEditor::TPlaceholderQueryEditor(QWidget* parent, ui::TPictureListBox* steps, ui::TEntityOutline* outline)
    : m_steps(steps), m_outline(outline)
{
    m_editor = new QWidget(parent);
    m_editor->setObjectName(QStringLiteral("MxStepEditor"));
    auto* box = new QVBoxLayout(m_editor);
    box->setContentsMargins(0, 0, 0, 0);
    m_grid = new ui::TMxGrid(m_editor);
    m_grid->setObjectName(QStringLiteral("MxGrid"));
    box->addWidget(m_grid);
    m_grid->SetShowHeaders(true);
    m_grid->SetIndicatorWidth(m_grid->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 8);
    m_grid->OnGetInfo = [](ui::TMxGrid& g, int col, ui::TMxGridDrawInfoKind kind) {
        TIMxDataset* ds = g.DataSet();
        switch (kind) {
        case ui::dikWidth:
            g.InfoWidth = g.fontMetrics().averageCharWidth() * std::clamp(ds ? ds->GetFieldWidth(col) : 10, 6, 30) + 8;
            break;
        case ui::dikColors:
            break;
        case ui::dikHeader:
            g.InfoText = ds ? ds->GetFieldName(col) : QString();
            break;
        case ui::dikText:
            g.InfoText = ds ? ds->GetFieldValue(col) : QString();
            break;
        }
    };
    if (m_steps) {
        m_steps->SetPicture(ui::Picture(ui::TPicture::Step));
        QObject::connect(m_steps, &QListWidget::currentRowChanged, m_editor, [this](int row) {
            if (m_query && row >= 0 && row < m_query->Steps()->Count() && m_query->Steps()->Items(row) != m_step)
                SetStep(m_query->Steps()->Items(row));
        });
    }
}

TPlaceholderQueryEditor::~TPlaceholderQueryEditor()
{
    if (m_grid)
        m_grid->SetDataSet(nullptr);
    if (m_outline)
        m_outline->SetEntities(nullptr);
}

void TPlaceholderQueryEditor::SetQuery(TMxQuery* query)
{
    UnbindResults();
    if (m_outline)
        m_outline->SetEntities(nullptr);
    m_query = query;
    m_step = query && query->Steps()->Count() > 0 ? query->Steps()->Items(0) : nullptr;
    fillSteps();
    showStep();
}

void TPlaceholderQueryEditor::SetStep(TMxQueryStep* step)
{
    UnbindResults();
    m_step = step;
    fillSteps();
    showStep();
}

int TPlaceholderQueryEditor::EntityCount() const
{
    return m_step ? m_step->Entities()->Count() : 0;
}

QString TPlaceholderQueryEditor::SQLText() const
{
    return m_sql;
}

void TPlaceholderQueryEditor::UnbindResults()
{
    if (m_grid) {
        m_grid->Columns.clear();
        m_grid->SetDataSet(nullptr);
    }
}

void TPlaceholderQueryEditor::BindResults()
{
    if (!m_grid)
        return;
    TIMxDataset* ds = m_step ? m_step->Dataset() : nullptr;
    m_grid->Columns.clear();
    if (ds)
        for (int i = 0; i < ds->GetFieldCount(); ++i)
            m_grid->Columns.append(nullptr);
    m_grid->SetDataSet(ds);
}

void TPlaceholderQueryEditor::Changed()
{
    if (m_query && m_step && m_query->Steps()->IndexOf(m_step) < 0)
        m_step = m_query->Steps()->Count() > 0 ? m_query->Steps()->Items(0) : nullptr;
    fillSteps();
    prepareSQL();
    if (OnChange)
        OnChange();
}

void TPlaceholderQueryEditor::fillSteps()
{
    if (!m_steps)
        return;
    const QSignalBlocker block(m_steps);
    m_steps->clear();
    if (!m_query)
        return;
    for (int i = 0; i < m_query->Steps()->Count(); ++i)
        m_steps->addItem(m_query->Steps()->Items(i)->GetName());
    m_steps->setCurrentRow(m_step ? m_query->Steps()->IndexOf(m_step) : -1);
}

void TPlaceholderQueryEditor::showStep()
{
    if (m_outline)
        m_outline->SetEntities(m_step && m_step->DataModel() ? m_step->DataModel()->DomainEntities() : nullptr);
    if (m_steps && m_query) {
        const QSignalBlocker block(m_steps);
        m_steps->setCurrentRow(m_step ? m_query->Steps()->IndexOf(m_step) : -1);
    }
    BindResults();
    prepareSQL();
    if (OnChange)
        OnChange();
}

void TPlaceholderQueryEditor::prepareSQL()
{
    QString sql;
    if (m_query && m_step && m_step->Entities()->Count() > 0) {
        try {
            m_step->PrepareStep();
            sql = m_step->SQL()->Text();
        } catch (const std::exception&) {
            // A step that cannot be prepared yet has no SQL to show.
        }
    }
    if (sql != m_sql || sql.isEmpty()) {
        m_sql = sql;
        if (OnSQLChange)
            OnSQLChange();
    }
}

} // namespace mx
