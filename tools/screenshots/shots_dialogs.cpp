// The shared dialogs: splash, login, prompt, document runner, about box,
// help window, the open dialog with its recent files (and one of them
// chosen), the report's save dialog and the main message boxes.

#include "shots.h"

#include "ui/dialogs/about.h"
#include "ui/dialogs/logindialog.h"
#include "ui/dialogs/logo.h"
#include "ui/dialogs/promptdialog.h"
#include "ui/dialogs/rundoc.h"
#include "ui/dialogs/splash.h"

#include "ui/services/dialogservice.h"
#include "ui/services/helpsystem.h"
#include "ui/services/historydialog.h"

#include "engine/core/systemerror.h"
#include "engine/settings/global.h"
#include "ui/errorwindow/uiservice.h"

#include "report/reportsave.h"
#include "engine/settings/mru.h"

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPixmap>

#include <cerrno>
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
        login.Propose(QStringLiteral("Admin"), QStringLiteral("admin"));
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
        // A recent file chosen in the list under the name box.
        if (auto* history = dlg->findChild<QComboBox*>(QStringLiteral("cobHistory")); history && history->count() > 0) {
            history->setCurrentIndex(0);
            emit history->activated(0);
            QCoreApplication::processEvents();
            shots.Save(dlg.get(), QStringLiteral("dlgFile-query-recent"), 760, 480);
        } else {
            shots.Fail(QStringLiteral("dlgFile-query-recent"), QStringLiteral("no recent file to choose"));
        }
    }
    {
        // The preview's export: the report saved as one of its types.
        ui::TFileRequest r;
        r.caption = Translate(QStringLiteral("Enregistrer le rapport"));
        r.directory = shots.SampleDir();
        r.fileName = QStringLiteral("VENTES_PAR_PRODUIT");
        r.filters = rpt::SaveFileFilters();
        r.defaultSuffix = QStringLiteral("PDF");
        std::unique_ptr<QFileDialog> dlg(ui::CreateHistoryOpenDialog(r));
        dlg->setAcceptMode(QFileDialog::AcceptSave);
        dlg->setFileMode(QFileDialog::AnyFile);
        shots.Save(dlg.get(), QStringLiteral("dlgFile-export"), 760, 480);
    }
    {
        // The main questions and messages, as MessageDlg shows them.
        const struct {
            const char* name;
            QString text;
            TMsgDlgType type;
            int buttons;
        } boxes[] = {
            {"msg-save", Translate(QStringLiteral("Voulez-vous sauvegarder la requête ?")) + QStringLiteral("\nVentes par produit"),
                TMsgDlgType::mtWarning, mbYes | mbNo | mbCancel},
            {"msg-load-error",
                TranslateFmt(QStringLiteral("Impossible de charger le modèle %s:"), {QStringLiteral("EXEMPLE.MDD")}) + u'\n'
                    + TranslateFmt(QStringLiteral("Impossible d'ouvrir le fichier \"%s\". %s"),
                        {QStringLiteral("/srv/modeles/EXEMPLE.MDD"), ErrnoReason(ENOENT)}),
                TMsgDlgType::mtError, mbOK},
            {"msg-param-check",
                TranslateFmt(QStringLiteral("Vous utilisez le paramètre '%s' dans votre fiche de requête."), {QStringLiteral("Début")})
                    + u'\n' + Translate(QStringLiteral("Ce paramètre n'existe plus ou a été renommé.")) + u'\n'
                    + Translate(QStringLiteral("Voulez-vous réassigner un autre paramètre ?")),
                TMsgDlgType::mtWarning, mbYes | mbNo | mbCancel},
        };
        for (const auto& b : boxes) {
            const std::unique_ptr<QMessageBox> box = ui::CreateMessageBox(b.text, b.type, b.buttons, nullptr);
            shots.Save(box.get(), QString::fromLatin1(b.name));
        }
    }
}

} // namespace mx::shots
