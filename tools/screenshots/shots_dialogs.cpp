// The shared dialogs: splash, login, prompt, document runner, about box,
// help window and the open dialog with its recent files.

#include "shots.h"

#include "ui/dialogs/about.h"
#include "ui/dialogs/logindialog.h"
#include "ui/dialogs/logo.h"
#include "ui/dialogs/promptdialog.h"
#include "ui/dialogs/rundoc.h"
#include "ui/dialogs/splash.h"

#include "dialogservice.h"
#include "helpsystem.h"
#include "historydialog.h"

#include "settings/global.h"
#include "settings/mru.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPixmap>

#include <memory>

namespace mx::shots {

void ShootDialogs(TShots& shots)
{
    {
        ui::TfmSplash splash(QPixmap::fromImage(ui::DrawLogo(QStringLiteral("Fr"))), QStringLiteral("Morvelin"));
        shots.Save(&splash, QStringLiteral("fmSplash"));
    }
    {
        ui::TfmPassword login;
        login.setWindowTitle(QStringLiteral("Accès à EXEMPLE_ACCES.MDD"));
        login.edUser->setText(QStringLiteral("Admin"));
        login.edPassword->setText(QStringLiteral("admin"));
        shots.Save(&login, QStringLiteral("fmPassword"));
    }
    {
        ui::TfmPromptString prompt;
        prompt.Setup(QStringLiteral("Nouvelle étape"), QStringLiteral("Nom de l'étape :"), 255, QStringLiteral("Ventes par client"),
            QStringLiteral("A"));
        shots.Save(&prompt, QStringLiteral("fmPromptString"));
    }
    {
        ui::TfmRunDoc runDoc;
        runDoc.Setup(QStringLiteral("/opt/morvelin/doc/Manuel Morvelin.pdf"),
            ui::DownloadAddress(ui::MakerAddresses().download, QStringLiteral("Manuel Morvelin.pdf")));
        shots.Save(&runDoc, QStringLiteral("fmRunDoc"));
    }
    {
        ui::TfmAbout about;
        about.Fill(ui::LoadedLibraries());
        shots.Save(&about, QStringLiteral("fmAbout"));
    }
    {
        const QString help = QCoreApplication::applicationDirPath() + QStringLiteral("/MorveFr.HLP");
        if (ui::ShowHelpPage(help, 16, nullptr)) {
            shots.Save(ui::HelpWindow(), QStringLiteral("fmHelp"), 560, 420);
            ui::HelpWindow()->close();
        } else {
            shots.Fail(QStringLiteral("fmHelp"), QStringLiteral("no help page"));
        }
    }
    {
        // The recent queries of a user who opened the sample's.
        if (AppGlobal()) {
            AppGlobal()->History(10)->Add(shots.Sample(QStringLiteral("CLIENTS.MQR")));
            AppGlobal()->History(10)->Add(shots.Sample(QStringLiteral("VENTES_PAR_PRODUIT.MQR")));
        }
        ui::TFileRequest r;
        r.caption = Translate(QStringLiteral("Ouvrir une requête"));
        r.directory = shots.SampleDir();
        r.filters = {QStringLiteral("Requêtes (*.MQR *.mqr)")};
        r.history = 10;
        r.helpContext = 2;
        std::unique_ptr<QFileDialog> dlg(ui::CreateHistoryOpenDialog(r));
        shots.Save(dlg.get(), QStringLiteral("dlgFile-query"), 760, 480);
        // A recent query chosen: its name in the name box.
        if (auto* recent = dlg->findChild<QComboBox*>(QStringLiteral("cobHistory")); recent && recent->count() > 0) {
            recent->setCurrentIndex(0);
            emit recent->activated(0);
            shots.Save(dlg.get(), QStringLiteral("dlgFile-query-recent"), 760, 480);
        }
    }
}

} // namespace mx::shots
