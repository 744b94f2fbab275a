#include "historydialog.h"

#include "dialogservice.h"

#include "settings/global.h"
#include "settings/mru.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>

namespace mx::ui {

QStringList HistoryEntries(int n)
{
    if (n < 0 || !AppGlobal())
        return {};
    TMRU* list = AppGlobal()->History(n);
    return list ? list->Items() : QStringList();
}

QFileDialog* CreateHistoryOpenDialog(const TFileRequest& r, QWidget* parent)
{
    auto* dlg = new QFileDialog(parent, r.caption, r.directory);
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
            if (fi.absoluteDir().exists())
                dlg->setDirectory(fi.absolutePath());
            dlg->selectFile(fi.fileName());
        });
    }
    return dlg;
}

} // namespace mx::ui
