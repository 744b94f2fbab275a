#include "desteditor.h"

#include "engine/destination/querydestination.h"
#include "engine/driver/dataset.h"
#include "engine/query/querystep.h"

namespace mx {

TDestinationsEditor::TDestinationsEditor(TMxQueryStep* step) : m_step(step)
{
    TQueryDestinationList* list = step->Destinations();
    list->BeginEdit();
    if (list->Count() == 0)
        m_added = list->AddNew();
    m_createViewEnabled = step->DestinationOptionEnabled();
    m_createView = list->GenerateView();
    m_distinct = step->DistinctSelect();
    TMxSqlJoinList* joins = step->SQLJoins();
    for (int i = 0; i < joins->Count(); ++i) {
        const TMxSqlJoin* j = joins->Items(i);
        if (j->LeftOuter())
            m_boxes.push_back({i + 1, j->LeftCaption(), j->LeftValue()});
        if (j->RightOuter())
            m_boxes.push_back({-(i + 1), j->RightCaption(), j->RightValue()});
    }
}

TDestinationsEditor::~TDestinationsEditor()
{
    if (!m_done) {
        try {
            Cancel();
        } catch (...) {
        }
    }
}

int TDestinationsEditor::DestinationCount() const
{
    return m_step->Destinations()->Count();
}

TQueryDestinationItem* TDestinationsEditor::Destination(int index) const
{
    return index >= 0 && index < DestinationCount() ? m_step->Destinations()->GetItem(index) : nullptr;
}

void TDestinationsEditor::Commit(const TChoices& choices)
{
    m_done = true;
    TMxSqlJoinList* joins = m_step->SQLJoins();
    for (const auto& [tag, checked] : choices.boxes) {
        const int index = (tag > 0 ? tag : -tag) - 1;
        if (tag == 0 || index >= joins->Count())
            continue;
        if (tag > 0)
            joins->Items(index)->SetLeftValue(checked);
        else
            joins->Items(index)->SetRightValue(checked);
    }
    TQueryDestinationList* list = m_step->Destinations();
    list->SetGenerateView(choices.createView);
    m_step->SetDistinctSelect(choices.distinct);
    for (size_t i = 0; i < choices.fileNames.size() && int(i) < list->Count(); ++i)
        list->GetItem(int(i))->SetFileName(choices.fileNames[i]);
    list->DiscardEdit();
}

void TDestinationsEditor::Cancel()
{
    m_done = true;
    TQueryDestinationList* list = m_step->Destinations();
    // a step left with no destination keeps none: the query stays as it
    // was stored
    if (m_added && list->IndexOf(m_added) >= 0) {
        TMxItem::Free(m_added);
        m_added = nullptr;
    }
    list->CommitEdit();
}

bool TDestinationsEditor::Act(TAction action, int index)
{
    TIMxDataset* result = m_step->Dataset();
    TQueryDestinationItem* destination = Destination(index);
    if (!result || !result->GetActive() || !destination)
        return false;
    switch (action) {
    case TAction::Customize:
        destination->Customize(result);
        break;
    case TAction::View:
        destination->View(result);
        break;
    case TAction::Print:
        destination->Print(result);
        break;
    }
    return true;
}

} // namespace mx
