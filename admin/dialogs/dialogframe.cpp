#include "dialogframe.h"

#include "engine/core/translate.h"
#include "ui/services/guarded.h"
#include "ui/services/helpsystem.h"
#include "ui/services/modalrunner.h"
#include "ui/services/namedwidget.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace mx::admin {

void FrameDialog(QDialog* dialog, const char* name, int helpContext, const char* title)
{
    dialog->setObjectName(QString::fromLatin1(name));
    dialog->setProperty("helpContext", helpContext);
    dialog->setWindowTitle(Translate(title));
    ui::InstallHelpKey(dialog);
}

void MakeOkCancelHelp(QWidget* parent, QPushButton*& ok, QPushButton*& cancel, QPushButton*& help)
{
    ok = ui::NamedButton(parent, "btOk", "Ok");
    ok->setDefault(true);
    cancel = ui::NamedButton(parent, "btCancel", "Annuler");
    help = ui::NamedButton(parent, "btHelp", "Aide");
    cancel->setAutoDefault(false);
    help->setAutoDefault(false);
}

QHBoxLayout* OkCancelHelp(QPushButton* ok, QPushButton* cancel, QPushButton* help, QWidget* extra)
{
    auto* row = new QHBoxLayout;
    if (extra)
        row->addWidget(extra);
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    row->addWidget(help);
    return row;
}

void ConnectOkCancelHelp(QDialog* dialog, QPushButton* ok, QPushButton* cancel, QPushButton* help)
{
    ui::Connect(ok, &QPushButton::clicked, dialog, [dialog] { dialog->accept(); });
    ui::Connect(cancel, &QPushButton::clicked, dialog, [dialog] { dialog->reject(); });
    ui::Connect(help, &QPushButton::clicked, dialog, [dialog] { ui::ShowDialogHelp(dialog); });
}

} // namespace mx::admin
