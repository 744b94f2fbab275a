#pragma once
// The pieces the editors of this folder are built from: list views over
// item models, the small "+" and "-" buttons, the Ok / Annuler / Aide row,
// and the yes-or-no question.

#include <QString>

class QHBoxLayout;
class QListView;
class QPushButton;
class QWidget;

namespace mx::admin {

class TItemListModel;

QListView* MakeList(QWidget* parent, const char* name, TItemListModel* model, bool multiple);
// A button as wide as two capitals and a margin, never the default.
QPushButton* SmallButton(QWidget* parent, const char* name, const char* text);
// extra (may be none) on the left, then the three buttons on the right.
QHBoxLayout* OkCancelHelp(QPushButton* ok, QPushButton* cancel, QPushButton* help, QWidget* extra = nullptr);
// The question with Yes and No; true on Yes.
bool AskYesNo(const QString& text);

} // namespace mx::admin
