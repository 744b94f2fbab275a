#include "dialogparts.h"

#include "admin/dialogs/itemlistmodel.h"

#include "engine/core/userservice.h"

#include "ui/services/namedwidget.h"

#include <QListView>
#include <QPushButton>

namespace mx::admin {

QListView* MakeList(QWidget* parent, const char* name, TItemListModel* model, bool multiple)
{
    auto* view = ui::Named(new QListView(parent), name);
    view->setModel(model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(multiple ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    return view;
}

QPushButton* SmallButton(QWidget* parent, const char* name, const char* text)
{
    QPushButton* b = ui::NamedButton(parent, name, text);
    b->setAutoDefault(false);
    const QFontMetrics fm(b->font());
    b->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("MM")) + fm.height());
    b->setMaximumWidth(fm.horizontalAdvance(QStringLiteral("MM")) + 2 * fm.height());
    return b;
}

bool AskYesNo(const QString& text)
{
    return UserService().MessageDlg(text, TMsgDlgType::mtConfirmation, mbYes | mbNo) == mrYes;
}

} // namespace mx::admin
