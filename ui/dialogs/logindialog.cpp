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

struct TfmPassword::TUi {
    QLabel* laUser = nullptr;
    QLineEdit* edUser = nullptr;
    QLabel* laPassword = nullptr;
    QLineEdit* edPassword = nullptr;
    QLabel* im = nullptr;
    QPushButton* btOk = nullptr;
    QPushButton* btCancel = nullptr;
    QPushButton* btHelp = nullptr;
};

TfmPassword::TfmPassword(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<TUi>())
{
    TUi& u = *m_ui;
    setObjectName(QStringLiteral("fmPassword"));
    setWindowTitle(QStringLiteral("|Mot de passe"));
    setProperty("helpContext", 16);
    auto* layout = new QHBoxLayout(this);
    u.im = new QLabel(this);
    u.im->setObjectName(QStringLiteral("im"));
    u.im->setPixmap(KeyPicture());
    u.im->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    layout->addWidget(u.im);
    auto* grid = new QGridLayout;
    u.laUser = new QLabel(QStringLiteral("|&Utilisateur :"), this);
    u.laUser->setObjectName(QStringLiteral("laUser"));
    u.edUser = new QLineEdit(this);
    u.edUser->setObjectName(QStringLiteral("edUser"));
    u.laUser->setBuddy(u.edUser);
    u.laPassword = new QLabel(QStringLiteral("|&Mot de passe :"), this);
    u.laPassword->setObjectName(QStringLiteral("laPassword"));
    u.edPassword = new QLineEdit(this);
    u.edPassword->setObjectName(QStringLiteral("edPassword"));
    u.edPassword->setEchoMode(QLineEdit::Password);
    u.laPassword->setBuddy(u.edPassword);
    grid->addWidget(u.laUser, 0, 0);
    grid->addWidget(u.edUser, 0, 1);
    grid->addWidget(u.laPassword, 1, 0);
    grid->addWidget(u.edPassword, 1, 1);
    grid->setRowStretch(2, 1);
    layout->addLayout(grid, 1);
    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    u.btOk = buttons->addButton(QStringLiteral("|Ok"), QDialogButtonBox::AcceptRole);
    u.btOk->setObjectName(QStringLiteral("btOk"));
    u.btOk->setDefault(true);
    u.btCancel = buttons->addButton(QStringLiteral("|Annuler"), QDialogButtonBox::RejectRole);
    u.btCancel->setObjectName(QStringLiteral("btCancel"));
    u.btHelp = buttons->addButton(QStringLiteral("|Aide"), QDialogButtonBox::HelpRole);
    u.btHelp->setObjectName(QStringLiteral("btHelp"));
    layout->addWidget(buttons);
    Connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
    Connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
    Connect(u.btHelp, &QPushButton::clicked, this, [this] {
        if (AppGlobal())
            AppGlobal()->ShowFormHelp(this);
    });
    const int em = fontMetrics().horizontalAdvance(u'M');
    u.edUser->setMinimumWidth(em * 14);
    u.edUser->setFocus();
    LangClientLoadedOrPlain(this);
}

TfmPassword::~TfmPassword() = default;

void TfmPassword::Propose(const QString& user, const QString& password)
{
    m_ui->edUser->setText(user);
    m_ui->edPassword->setText(password);
}

QString TfmPassword::User() const
{
    return m_ui->edUser->text();
}

QString TfmPassword::Password() const
{
    return m_ui->edPassword->text();
}

bool PromptLogin(const QString& caption, QString& user, QString& password)
{
    if (!CanShowDialogs())
        throw EMxAbort(TranslateFmt(QStringLiteral("%s : le modèle demande un nom d'utilisateur et un mot de passe, "
                                                   "et aucune fenêtre ne peut s'ouvrir pour les saisir."),
            {caption}));
    TfmPassword form(QApplication::activeWindow());
    form.Propose(remembered().user, remembered().password);
    form.setWindowTitle(caption);
    const bool ok = RunModal(form) == QDialog::Accepted;
    user = form.User();
    password = form.Password();
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
