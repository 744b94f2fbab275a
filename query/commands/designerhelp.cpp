#include "designerhelp.h"

#include "engine/core/userservice.h"
#include "engine/settings/global.h"
#include "engine/driver/rootdir.h"

#include <QFileInfo>

namespace mx {

THookSlot<void()> AboutBoxHook;
THookSlot<void()> OptionsDialogHook;
THookSlot<QString(const QString& fileName, const QString& downloadPattern)> RunDocumentHook;

QString MakerSupportAddress()
{
    return QStringLiteral("mailto:support@morvelin.org");
}

QString MakerHomePage()
{
    return QStringLiteral("https://www.brenwick.example/");
}

QString ProductHomePage()
{
    return QStringLiteral("https://www.morvelin.org/");
}

QString MakerProductsPage()
{
    return QStringLiteral("https://www.brenwick.example/produits/");
}

QString ManualDownloadPattern()
{
    return QStringLiteral("https://www.morvelin.org/manuels/%s");
}

QString UserManualFile(const QString& rootDir, const QString& hint, const QString& langCode)
{
    return rootDir + hint.mid(1) + langCode + QStringLiteral(".pdf");
}

void ShowHelpContents()
{
    UserService().ShowHelp(AppGlobal() ? AppGlobal()->HelpFile() : QString(), 0);
}

void OpenUserManual(const QString& hint)
{
    const QString file = UserManualFile(DriverRootDir(), hint, AppGlobal() ? AppGlobal()->LangCode() : QStringLiteral("Fr"));
    // A manual that is not where it should be is looked for by the user
    // (or its download page offered).
    QString path = file;
    if (!QFileInfo::exists(file)) {
        path = RunDocumentHook ? RunDocumentHook(file, ManualDownloadPattern()) : QString();
        if (path.isEmpty()) {
            UserService().MessageDlg(TranslateFmt(QStringLiteral("Le manuel de l'utilisateur est introuvable : %s"), {file}),
                TMsgDlgType::mtWarning, mbOK);
            return;
        }
    }
    // The desktop's viewer shows it; a desktop with none says so.
    if (!UserService().ShellOpen(path))
        UserService().MessageDlg(
            TranslateFmt(QStringLiteral("Aucun programme n'est installé pour afficher le document %s."), {path}),
            TMsgDlgType::mtWarning, mbOK);
}

bool OpenAddress(const QString& address)
{
    return UserService().ShellOpen(address);
}

void ShowAbout()
{
    if (AboutBoxHook)
        AboutBoxHook();
}

void ShowGeneralOptions()
{
    if (OptionsDialogHook)
        OptionsDialogHook();
}

} // namespace mx
