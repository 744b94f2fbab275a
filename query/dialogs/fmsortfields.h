#pragma once
// The sort dialog of a step: the fields not used for sorting on the left,
// the sort on the right, moved across with the arrow buttons, reordered
// with up and down; "Changer tri" turns a field's direction.

#include "sorteditor.h"

#include <QDialog>

#include <memory>

namespace mx::ui {
class TPictureListBox;
}

namespace mx {

class TfmSortFields : public QDialog {
    Q_OBJECT

public:
    explicit TfmSortFields(TMxQueryStep* step, QWidget* parent = nullptr);
    ~TfmSortFields() override;

    TSortEditor& Editor() { return m_editor; }

    // The buttons' actions, as the buttons run them.
    void Include();
    void IncludeAll();
    void Exclude();
    void ExcludeAll();
    void MoveUp();
    void MoveDown();
    void SwapSortOrder();

private:
    void fill(ui::TPictureListBox* focus, int select);
    void updateButtons();

    struct TUi;
    std::unique_ptr<TUi> m_ui;

    TSortEditor m_editor;
};

// The sort dialog on a step; true when the user pressed OK (the fields'
// positions are then written; Cancel puts every field back as it was).
bool EditSort(TMxQueryStep* step);

} // namespace mx
