#include "modalrunner.h"

#include "guarded.h"
#include "helpsystem.h"

#include <QDialog>
#include <QKeySequence>
#include <QShortcut>

#include <utility>

namespace mx::ui {

namespace {

TModalRunner& installed()
{
    static TModalRunner runner;
    return runner;
}

} // namespace

int RunModal(QDialog& dialog)
{
    if (const TModalRunner& runner = installed())
        return runner(dialog);
    return dialog.exec();
}

TModalRunner SetModalRunner(TModalRunner runner)
{
    return std::exchange(installed(), std::move(runner));
}

void InstallHelpKey(QDialog* dialog)
{
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), dialog);
    key->setObjectName(QStringLiteral("scHelp"));
    key->setContext(Qt::WindowShortcut);
    Connect(key, &QShortcut::activated, dialog, [dialog] { ShowDialogHelp(dialog); });
}

} // namespace mx::ui
