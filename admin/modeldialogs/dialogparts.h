#pragma once
// The pieces the editors of this folder are built from: list views over
// item models, the small "+" and "-" buttons, the yes-or-no question, and the
// run of an editor over a copy.

#include "ui/services/modalrunner.h"

#include <QDialog>
#include <QString>

class QListView;
class QPushButton;
class QWidget;

namespace mx::admin {

class TItemListModel;

QListView* MakeList(QWidget* parent, const char* name, TItemListModel* model, bool multiple);
// A button as wide as two capitals and a margin, never the default.
QPushButton* SmallButton(QWidget* parent, const char* name, const char* text);
// The question with Yes and No; true on Yes.
bool AskYesNo(const QString& text);

// Shows form, an editor over a copy of item; on Ok, item takes every
// property of the edited copy (form.Working()) but keeps its Id. True on Ok.
template <class TForm, class TItem>
bool RunEditor(TForm& form, TItem* item)
{
    if (ui::RunModal(form) != QDialog::Accepted)
        return false;
    const int id = item->Id();
    item->Assign(form.Working());
    item->SetId(id);
    return true;
}

} // namespace mx::admin
