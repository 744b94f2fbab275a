// The step editor's grid: the width, colours, header and text of each
// column, asked by the grid for the visual field or collapsed entity of
// the column, and the record count in the status line.

#include "stepeditor.h"

#include "steprules.h"
#include "vpanels.h"

#include "engine/core/translate.h"
#include "engine/driver/dataset.h"
#include "engine/query/queryentity.h"
#include "engine/tools/convert.h"

#include <QCoreApplication>
#include <QStatusTipEvent>

namespace mx::ui {

namespace {

int datasetIndexOf(TIMxDataset* dataset, const QString& name)
{
    const int n = dataset->GetFieldCount();
    for (int i = 0; i < n; ++i)
        if (dataset->GetFieldName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// The width an expanded entity's panel has beyond its fields (its caption
// is wider): the entity's last column takes it, so that the columns after
// it stay under their panels.
int captionExcess(const TVField* field)
{
    const TVEntity* entity = field->VEntity();
    if (!entity || !entity->Expanded() || entity->Count() == 0 || entity->VField(entity->Count() - 1) != field)
        return 0;
    int fields = 0;
    for (int i = 0; i < entity->Count(); ++i)
        fields += entity->VField(i)->Width();
    return std::max(0, entity->Width() - fields);
}

} // namespace

int TMxStepEditor::ColumnWidth(const TMxGrid& grid, int col) const
{
    TMxItem* column = grid.Columns.value(col);
    if (auto* field = dynamic_cast<TVField*>(column))
        return field->Width() + captionExcess(field);
    if (auto* entity = dynamic_cast<TVEntity*>(column))
        return entity->Width();
    return 50;
}

void TMxStepEditor::CellStyle(const TMxGrid& grid, int col, TMxGridCellStyle& style) const
{
    TMxItem* column = grid.Columns.value(col);
    if (dynamic_cast<TVEntity*>(column)) {
        style.brush = palette().color(QPalette::Button);
    } else if (auto* field = dynamic_cast<TVField*>(column)) {
        const bool checked = field->Field() && field->Field()->Checked();
        style.text = checked ? QColor(Qt::black) : QColor(0xC0, 0xC0, 0xC0);
    }
}

QString TMxStepEditor::HeaderText(const TMxGrid& grid, int col) const
{
    TMxItem* column = grid.Columns.value(col);
    if (auto* field = dynamic_cast<TVField*>(column))
        return field->Field() ? field->Field()->FullName() : QString();
    if (auto* entity = dynamic_cast<TVEntity*>(column))
        return EntityCaption(entity->Entity());
    return {};
}

QString TMxStepEditor::CellText(const TMxGrid& grid, int col) const
{
    auto* field = dynamic_cast<TVField*>(grid.Columns.value(col));
    TIMxDataset* dataset = grid.DataSet();
    if (!field || !field->Field() || !dataset)
        return {};
    const int i = datasetIndexOf(dataset, field->Field()->FullName());
    return i >= 0 ? DisplayFieldText(dataset->GetFieldValue(i), dataset->GetFieldTypeName(i)) : QString();
}

void TMxStepEditor::gridRecordCount()
{
    const int count = m_grid->RecordCount();
    QString tip;
    if (count < 0) {
        m_grid->setProperty("Hint", QString());
    } else {
        const QString hint = TranslateFmt(QStringLiteral("|%d Enregistrements"), {m_grid->LastRecord() + 1});
        m_grid->setProperty("Hint", hint);
        tip = hint.mid(hint.indexOf(u'|') + 1);
    }
    m_grid->setStatusTip(tip);
    // The status line follows the count at once (a count not known yet
    // clears it), not only when the mouse comes back over the grid.
    if (!m_destroying) {
        QStatusTipEvent event(tip);
        QCoreApplication::sendEvent(m_grid, &event);
    }
}

} // namespace mx::ui
