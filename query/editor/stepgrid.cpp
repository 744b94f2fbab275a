// The step editor's grid: the width, colours, header and text of each
// column, asked by the grid for the visual field or collapsed entity of
// the column, and the record count in the status line.

#include "stepeditor.h"

#include "steprules.h"
#include "vpanels.h"

#include "core/translate.h"
#include "driver/dataset.h"
#include "query/queryentity.h"
#include "tools/convert.h"

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
    return std::max(0, entity->Panel->width() - fields);
}

} // namespace

void TMxStepEditor::gridInfo(TMxGrid& grid, int col, TMxGridDrawInfoKind kind)
{
    TMxItem* column = grid.Columns.value(col);
    auto* field = dynamic_cast<TVField*>(column);
    auto* entity = dynamic_cast<TVEntity*>(column);
    switch (kind) {
    case dikWidth:
        grid.InfoWidth = field ? field->Width() + captionExcess(field) : entity ? entity->Panel->width() : 50;
        break;
    case dikColors:
        if (entity) {
            grid.InfoStyle.brush = palette().color(QPalette::Button);
        } else if (field) {
            const bool checked = field->Field() && field->Field()->Checked();
            grid.InfoStyle.text = checked ? QColor(Qt::black) : QColor(0xC0, 0xC0, 0xC0);
        }
        break;
    case dikHeader:
        grid.InfoText = field ? (field->Field() ? field->Field()->FullName() : QString())
                              : entity ? EntityCaption(entity->Entity()) : QString();
        break;
    case dikText: {
        grid.InfoText.clear();
        TIMxDataset* dataset = grid.DataSet();
        if (field && field->Field() && dataset) {
            const int i = datasetIndexOf(dataset, field->Field()->FullName());
            if (i >= 0)
                grid.InfoText = DisplayFieldText(dataset->GetFieldValue(i), dataset->GetFieldTypeName(i));
        }
        break;
    }
    }
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
