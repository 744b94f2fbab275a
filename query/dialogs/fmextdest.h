#pragma once
// The result options dialog of a step: its destinations and their file
// names ("Résultats"), the outer sides of its joins and the removal of
// identical rows ("Options").

#include "desteditor.h"

#include <QDialog>

#include <memory>

class QCheckBox;

namespace mx {

class TfmExtDest : public QDialog {
    Q_OBJECT

public:
    explicit TfmExtDest(TMxQueryStep* step, QWidget* parent = nullptr);
    ~TfmExtDest() override;

    TDestinationsEditor& Editor() { return m_editor; }
    // What the controls hold, for Commit.
    TDestinationsEditor::TChoices Choices() const;
    // "Editer", "Voir", "Imprimer" on the grid's current row.
    void Act(TDestinationsEditor::TAction action);

private:
    // The join check boxes, in their order.
    QList<QCheckBox*> joinBoxes() const;

    struct TUi;
    std::unique_ptr<TUi> m_ui;
    TDestinationsEditor m_editor;
};

// The result options of a step; true when the user pressed OK. Cancel
// leaves the step as it was.
bool EditDestinations(TMxQueryStep* step);

} // namespace mx
