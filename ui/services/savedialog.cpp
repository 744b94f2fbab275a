#include "savedialog.h"

#include "dialogservice.h"
#include "historydialog.h"

#include <QRegularExpression>

namespace mx::ui {

QString FilterExtension(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([^\\s()*?]+)"));
    return pattern.match(filter).captured(1);
}

QFileDialog* CreateTypedSaveDialog(const TFileRequest& request, QWidget* parent)
{
    QFileDialog* dlg = CreateHistoryOpenDialog(request, parent);
    dlg->setFileMode(QFileDialog::AnyFile);
    dlg->setAcceptMode(QFileDialog::AcceptSave);
    if (!request.filters.isEmpty()) {
        const auto follow = [dlg](const QString& filter) {
            const QString ext = FilterExtension(filter);
            if (!ext.isEmpty())
                dlg->setDefaultSuffix(ext);
        };
        follow(dlg->selectedNameFilter());
        QObject::connect(dlg, &QFileDialog::filterSelected, dlg, follow);
    }
    return dlg;
}

int ChosenFilterIndex(const QFileDialog& dialog)
{
    return int(dialog.nameFilters().indexOf(dialog.selectedNameFilter()));
}

} // namespace mx::ui
