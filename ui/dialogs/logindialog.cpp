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
    setObjectName(QStringLiteral("fmPassword"));
    setWindowTitle(QStringLiteral("|Mot de passe"));
    setProperty("helpContext", 16);
    auto* layout = new QHBoxLayout(this);
    m_ui->im = new QLabel(this);
    m_ui->im->setObjectName(QStringLiteral("im"));
    m_ui->im->setPixmap(KeyPicture());
    m_ui->im->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    layout->addWidget(m_ui->im);
    auto* grid = new QGridLayout;
    m_ui->laUser = new QLabel(QStringLiteral("|&Utilisateur :"), this);
    m_ui->laUser->setObjectName(QStringLiteral("laUser"));
    m_ui->edUser = new QLineEdit(this);
    m_ui->edUser->setObjectName(QStringLiteral("edUser"));
    m_ui->laUser->setBuddy(m_ui->edUser);
    m_ui->laPassword = new QLabel(QStringLiteral("|&Mot de passe :"), this);
    m_ui->laPassword->setObjectName(QStringLiteral("laPassword"));
    m_ui->edPassword = new QLineEdit(this);
    m_ui->edPassword->setObjectName(QStringLiteral("edPassword"));
    m_ui->edPassword->setEchoMode(QLineEdit::Password);
    m_ui->laPassword->setBuddy(m_ui->edPassword);
    grid->addWidget(m_ui->laUser, 0, 0);
    grid->addWidget(m_ui->edUser, 0, 1);
    grid->addWidget(m_ui->laPassword, 1, 0);
    grid->addWidget(m_ui->edPassword, 1, 1);
    grid->setRowStretch(2, 1);
    layout->addLayout(grid, 1);
    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    m_ui->btOk = buttons->addButton(QStringLiteral("|Ok"), QDialogButtonBox::AcceptRole);
    m_ui->btOk->setObjectName(QStringLiteral("btOk"));
    m_ui->btOk->setDefault(true);
    m_ui->btCancel = buttons->addButton(QStringLiteral("|Annuler"), QDialogButtonBox::RejectRole);
    m_ui->btCancel->setObjectName(QStringLiteral("btCancel"));
    m_ui->btHelp = buttons->addButton(QStringLiteral("|Aide"), QDialogButtonBox::HelpRole);
    m_ui->btHelp->setObjectName(QStringLiteral("btHelp"));
    layout->addWidget(buttons);
    Connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
    Connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
    Connect(m_ui->btHelp, &QPushButton::clicked, this, [this] {
        if (AppGlobal())
            AppGlobal()->ShowFormHelp(this);
    });
    const int em = fontMetrics().horizontalAdvance(u'M');
    m_ui->edUser->setMinimumWidth(em * 14);
    m_ui->edUser->setFocus();
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
