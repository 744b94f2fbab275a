#include "historydialog.h"

#include "dialogservice.h"
#include "helpsystem.h"

#include "engine/settings/global.h"
#include "engine/settings/mru.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace mx::ui {

QStringList HistoryEntries(int n)
{
    if (n < 0 || !AppGlobal())
        return {};
    TMRU* list = AppGlobal()->History(n);
    return list ? list->Items() : QStringList();
}

QString StartFolder(const QString& document, const QString& preferred)
{
    const auto folderOf = [](const QString& path) {
        if (path.isEmpty())
            return QString();
        const QFileInfo fi(path);
        const QString folder = fi.isDir() ? fi.absoluteFilePath() : fi.absolutePath();
        return QFileInfo(folder).isDir() ? folder : QString();
    };
    if (const QString folder = folderOf(document); !folder.isEmpty())
        return folder;
    if (!preferred.isEmpty() && QFileInfo(preferred).isDir())
        return QFileInfo(preferred).absoluteFilePath();
    const QString privateFolder = AppGlobal() ? AppGlobal()->GetConfigStr(csPrivateQueryPath) : QString();
    if (!privateFolder.isEmpty() && QFileInfo(privateFolder).isDir())
        return QFileInfo(privateFolder).absoluteFilePath();
    return QDir::homePath();
}

QFileDialog* CreateHistoryOpenDialog(const TFileRequest& r, QWidget* parent)
{
    // A folder that is not there would leave the dialog in the program's
    // own folder, read-only once installed.
    auto* dlg = new QFileDialog(parent, r.caption, StartFolder(QString(), r.directory));
    dlg->setObjectName(QStringLiteral("dlgFile"));
    dlg->setOption(QFileDialog::DontUseNativeDialog);
    dlg->setFileMode(QFileDialog::ExistingFile);
    dlg->setAcceptMode(QFileDialog::AcceptOpen);
    dlg->setProperty("helpContext", r.helpContext);
    if (!r.filters.isEmpty())
        dlg->setNameFilters(r.filters);
    if (!r.defaultSuffix.isEmpty())
        dlg->setDefaultSuffix(r.defaultSuffix);
    if (!r.fileName.isEmpty())
        dlg->selectFile(r.fileName);
    // Its help, as every form's: the "Aide" button and F1.
    if (auto* box = dlg->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox")); box && r.helpContext > 0) {
        QPushButton* help = box->addButton(Translate(QStringLiteral("Aide")), QDialogButtonBox::HelpRole);
        help->setObjectName(QStringLiteral("btHelp"));
        QObject::connect(help, &QPushButton::clicked, dlg, [dlg] { ShowDialogHelp(dlg); });
    }
    const QStringList history = HistoryEntries(r.history);
    auto* grid = qobject_cast<QGridLayout*>(dlg->layout());
    if (!history.isEmpty() && grid) {
        auto* label = new QLabel(Translate(QStringLiteral("Récents :")), dlg);
        auto* combo = new QComboBox(dlg);
        combo->setObjectName(QStringLiteral("cobHistory"));
        combo->addItems(history);
        combo->setPlaceholderText(Translate(QStringLiteral("Fichiers ouverts récemment")));
        combo->setCurrentIndex(-1);
        label->setBuddy(combo);
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(combo, row, 1, 1, qMax(1, grid->columnCount() - 1));
        QObject::connect(combo, &QComboBox::activated, dlg, [dlg, combo](int index) {
            const QString file = combo->itemText(index);
            if (file.isEmpty())
                return;
            const QFileInfo fi(file);
            const bool folderExists = fi.absoluteDir().exists();
            if (folderExists)
                dlg->setDirectory(fi.absolutePath());
            dlg->selectFile(fi.fileName());
            // The dialog leaves a name box that has the focus as it was:
            // the entry chosen is written there, so that "Ouvrir" opens it.
            if (auto* nameBox = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                nameBox->setText(folderExists ? fi.fileName() : file);
        });
    }
    return dlg;
}

} // namespace mx::ui
