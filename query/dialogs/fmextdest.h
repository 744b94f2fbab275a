#pragma once
// The result options dialog of a step: its destinations and their file
// names ("Résultats"), the outer sides of its joins and the removal of
// identical rows ("Options").

#include "desteditor.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QScrollArea;
class QTableWidget;
class QTabWidget;

namespace mx {

class TfmExtDest : public QDialog {
    Q_OBJECT

public:
    explicit TfmExtDest(TMxQueryStep* step, QWidget* parent = nullptr);

    TDestinationsEditor& Editor() { return m_editor; }
    // What the controls hold, for Commit.
    TDestinationsEditor::TChoices Choices() const;
    // "Editer", "Voir", "Imprimer" on the grid's current row.
    void Act(TDestinationsEditor::TAction action);
    // The join check boxes, in their order.
    QList<QCheckBox*> JoinBoxes() const;

    QTabWidget* nbPages;
    QTableWidget* sgDest;
    QPushButton* btEdit;
    QPushButton* btView;
    QPushButton* btPrint;
    QGroupBox* gbExtract;
    QScrollArea* sb;
    QGroupBox* gbOptions;
    QCheckBox* cbDistinctSelect;
    QCheckBox* cbCreateView;
    QPushButton* btOk;
    QPushButton* btCancel;
    QPushButton* btHelp;

private:
    TDestinationsEditor m_editor;
};

// The result options of a step; true when the user pressed OK. Cancel
// leaves the step as it was.
bool EditDestinations(TMxQueryStep* step);

} // namespace mx
