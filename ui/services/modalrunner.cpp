#include "modalrunner.h"

#include "engine/errors/errorhandler.h"
#include "helpsystem.h"

#include <QDialog>
#include <QEvent>
#include <QKeyEvent>

#include <utility>

namespace mx::ui {

namespace {

// F1 not taken by the widget that has the focus reaches the dialog.
class THelpKey : public QObject {
    Q_OBJECT

public:
    explicit THelpKey(QDialog* dialog) : QObject(dialog), m_dialog(dialog) { setObjectName(QStringLiteral("helpKey")); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_dialog && event->type() == QEvent::KeyPress
            && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            Guard(m_dialog, [this] { ShowDialogHelp(m_dialog); });
            return true;
        }
        return false;
    }

private:
    QDialog* m_dialog;
};

TModalRunner& installed()
{
    static TModalRunner runner;
    return runner;
}

TModalHold& hold()
{
    static TModalHold held;
    return held;
}

} // namespace

TModalHold SetModalHold(TModalHold hold_)
{
    return std::exchange(hold(), std::move(hold_));
}

TModalScope::TModalScope()
{
    if (const TModalHold& h = hold())
        m_held = h();
}

TModalScope::~TModalScope() = default;

int RunModal(QDialog& dialog)
{
    const TModalScope held;
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
    dialog->installEventFilter(new THelpKey(dialog));
}

} // namespace mx::ui

#include "modalrunner.moc"
