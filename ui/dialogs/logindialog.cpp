#include "logindialog.h"

#include "dialogs.h"
#include "dialogpictures.h"

#include "engine/core/exceptions.h"
#include "ui/services/guarded.h"
#include "engine/settings/global.h"
#include "engine/settings/lang.h"
#include "ui/services/modalrunner.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace mx::ui {
namespace {

struct Remembered {
    QString user;
    QString password;
};

Remembered& remembered()
{
    static Remembered r;
    return r;
}

} // namespace

TfmPassword::TfmPassword(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmPassword"));
    setWindowTitle(QStringLiteral("|Mot de passe"));
    setProperty("helpContext", 16);
    auto* layout = new QHBoxLayout(this);
    im = new QLabel(this);
    im->setObjectName(QStringLiteral("im"));
    im->setPixmap(KeyPicture());
    im->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    layout->addWidget(im);
    auto* grid = new QGridLayout;
    laUser = new QLabel(QStringLiteral("|&Utilisateur :"), this);
    laUser->setObjectName(QStringLiteral("laUser"));
    edUser = new QLineEdit(this);
    edUser->setObjectName(QStringLiteral("edUser"));
    laUser->setBuddy(edUser);
    laPassword = new QLabel(QStringLiteral("|&Mot de passe :"), this);
    laPassword->setObjectName(QStringLiteral("laPassword"));
    edPassword = new QLineEdit(this);
    edPassword->setObjectName(QStringLiteral("edPassword"));
    edPassword->setEchoMode(QLineEdit::Password);
    laPassword->setBuddy(edPassword);
    grid->addWidget(laUser, 0, 0);
    grid->addWidget(edUser, 0, 1);
    grid->addWidget(laPassword, 1, 0);
    grid->addWidget(edPassword, 1, 1);
    grid->setRowStretch(2, 1);
    layout->addLayout(grid, 1);
    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    btOk = buttons->addButton(QStringLiteral("|Ok"), QDialogButtonBox::AcceptRole);
    btOk->setObjectName(QStringLiteral("btOk"));
    btOk->setDefault(true);
    btCancel = buttons->addButton(QStringLiteral("|Annuler"), QDialogButtonBox::RejectRole);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btHelp = buttons->addButton(QStringLiteral("|Aide"), QDialogButtonBox::HelpRole);
    btHelp->setObjectName(QStringLiteral("btHelp"));
    layout->addWidget(buttons);
    Connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
    Connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
    Connect(btHelp, &QPushButton::clicked, this, [this] {
        if (AppGlobal())
            AppGlobal()->ShowFormHelp(this);
    });
    const int em = fontMetrics().horizontalAdvance(u'M');
    edUser->setMinimumWidth(em * 14);
    edUser->setFocus();
    LangClientLoadedOrPlain(this);
}

bool PromptLogin(const QString& caption, QString& user, QString& password)
{
    if (!CanShowDialogs())
        throw EMxAbort(TranslateFmt(QStringLiteral("%s : le modèle demande un nom d'utilisateur et un mot de passe, "
                                                   "et aucune fenêtre ne peut s'ouvrir pour les saisir."),
            {caption}));
    TfmPassword form(QApplication::activeWindow());
    form.edUser->setText(remembered().user);
    form.edPassword->setText(remembered().password);
    form.setWindowTitle(caption);
    const bool ok = RunModal(form) == QDialog::Accepted;
    user = form.edUser->text();
    password = form.edPassword->text();
    if (ok)
        remembered() = {user, password};
    return ok;
}

QString RememberedUser()
{
    return remembered().user;
}

QString RememberedPassword()
{
    return remembered().password;
}

void ForgetLogin()
{
    remembered() = {};
}

} // namespace mx::ui
