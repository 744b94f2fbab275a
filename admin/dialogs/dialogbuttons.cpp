#include "dialogbuttons.h"

#include "ui/services/namedwidget.h"

#include <QPushButton>

namespace mx::admin {

void MakeOkCancelHelp(QWidget* parent, QPushButton*& ok, QPushButton*& cancel, QPushButton*& help)
{
    ok = ui::NamedButton(parent, "btOk", "Ok");
    ok->setDefault(true);
    cancel = ui::NamedButton(parent, "btCancel", "Annuler");
    help = ui::NamedButton(parent, "btHelp", "Aide");
    cancel->setAutoDefault(false);
    help->setAutoDefault(false);
}

} // namespace mx::admin
