#include "uiservice.h"

#include "ui/langwidgets/langwidgets.h"

#include "errorwindow.h"
#include "ui/services/helpsystem.h"
#include "ui/services/historydialog.h"
#include "ui/services/savedialog.h"
#include "ui/services/modalrunner.h"
#include "engine/errors/errorhandler.h"
#include "engine/settings/global.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QFileInfo>
#include <QMessageBox>
#include <QPalette>
#include <QProcess>
#include <QProxyStyle>
#include <QThread>
#include <QUrl>

#include <memory>

namespace mx::ui {
namespace {

bool guiAvailable()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) && QThread::currentThread() == QCoreApplication::instance()->thread();
}

QMessageBox::Icon iconOf(TMsgDlgType t)
{
    switch (t) {
    case TMsgDlgType::mtWarning:
        return QMessageBox::Warning;
    case TMsgDlgType::mtError:
        return QMessageBox::Critical;
    case TMsgDlgType::mtInformation:
        return QMessageBox::Information;
    case TMsgDlgType::mtConfirmation:
        return QMessageBox::Question;
    case TMsgDlgType::mtCustom:
        break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonMap {
    int ours;
    QMessageBox::StandardButton theirs;
    int result;
    const char* text; // the program's own caption, translated
};

// Mnemonics unique within a box ("&Oui", "&Non", "&Tous").
const ButtonMap kButtons[] = {
    {mbYes, QMessageBox::Yes, mrYes, "&Oui"},
    {mbNo, QMessageBox::No, mrNo, "&Non"},
    {mbOK, QMessageBox::Ok, mrOk, "OK"},
    {mbCancel, QMessageBox::Cancel, mrCancel, "Annuler"},
    {mbAbort, QMessageBox::Abort, mrAbort, "&Abandonner"},
    {mbRetry, QMessageBox::Retry, mrRetry, "&Réessayer"},
    {mbIgnore, QMessageBox::Ignore, mrIgnore, "&Ignorer"},
    {mbAll, QMessageBox::YesToAll, mrAll, "&Tous"},
};

QString captionOf(TMsgDlgType t)
{
    // The class library's captions, which the programs translate.
    switch (t) {
    case TMsgDlgType::mtWarning:
        return Translate(QStringLiteral("Avertissement"));
    case TMsgDlgType::mtError:
        return Translate(QStringLiteral("Erreur"));
    case TMsgDlgType::mtInformation:
        return Translate(QStringLiteral("Information"));
    case TMsgDlgType::mtConfirmation:
        return Translate(QStringLiteral("Confirmation"));
    case TMsgDlgType::mtCustom:
        break;
    }
    return QCoreApplication::applicationName();
}

class TMxStyle : public QProxyStyle {
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget, QStyleHintReturn* ret) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 1000;
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
};

// Never destroyed: the shutdown list may still report through it.
TWidgetUserService& service()
{
    static auto* s = new TWidgetUserService;
    return *s;
}

} // namespace

std::unique_ptr<QMessageBox> CreateMessageBox(const QString& text, TMsgDlgType type, int buttons, QWidget* parent)
{
    QString caption;
    try {
        caption = captionOf(type);
    } catch (...) {
        caption = QCoreApplication::applicationName();
    }
    auto box = std::make_unique<QMessageBox>(iconOf(type), caption, text, QMessageBox::NoButton, parent);
    box->setObjectName(QStringLiteral("dlgMessage"));
    QMessageBox::StandardButtons std;
    for (const ButtonMap& b : kButtons)
        if (buttons & b.ours)
            std |= b.theirs;
    if (!std)
        std = QMessageBox::Ok;
    box->setStandardButtons(std);
    // The program's words for its answers, in the session's language.
    for (const ButtonMap& b : kButtons) {
        if (QAbstractButton* button = box->button(b.theirs)) {
            QString caption;
            try {
                caption = Translate(b.text);
            } catch (...) {
                caption = QString::fromUtf8(b.text);
            }
            button->setText(caption);
        }
    }
    return box;
}

int TWidgetUserService::MessageDlg(const QString& text, TMsgDlgType type, int buttons)
{
    if (!guiAvailable())
        return TUserService::MessageDlg(text, type, buttons);
    if (type == TMsgDlgType::mtError || type == TMsgDlgType::mtWarning)
        countFailure();
    const std::unique_ptr<QMessageBox> box = CreateMessageBox(text, type, buttons, QApplication::activeWindow());
    RunModal(*box);
    // The button clicked tells the answer, whichever runner ran the box.
    const QMessageBox::StandardButton chosen = box->standardButton(box->clickedButton());
    for (const ButtonMap& b : kButtons)
        if (b.theirs == chosen)
            return b.result;
    return (buttons & mbCancel) ? mrCancel : mrNone;
}

void TWidgetUserService::Warning(const QString& text)
{
    if (!guiAvailable()) {
        TUserService::Warning(text);
        return;
    }
    MessageDlg(text, TMsgDlgType::mtWarning, mbOK);
}

void TWidgetUserService::ShowException(const std::exception& e)
{
    HandleException(static_cast<const QObject*>(nullptr), e);
}

void TWidgetUserService::SetBusy(bool busy)
{
    if (!guiAvailable())
        return;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else if (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

bool TWidgetUserService::ShellOpen(const QString& target)
{
    if (target.isEmpty())
        return false;
    QUrl url(target);
    if (target.startsWith(u'/') || url.scheme().size() <= 1) { // a file name (or a drive letter)
        const QFileInfo file(QDir(QDir::currentPath()).absoluteFilePath(target));
        // A program is started; any other file goes to the desktop's
        // program for its kind.
        if (file.isFile() && file.isExecutable())
            return QProcess::startDetached(file.absoluteFilePath(), {}, file.absolutePath());
        url = QUrl::fromLocalFile(file.absoluteFilePath());
    }
    return QDesktopServices::openUrl(url);
}

void TWidgetUserService::ProcessMessages()
{
    // Painting and timers go on during a long step; clicks and keys wait,
    // so that no command is started again from inside the one that runs.
    if (guiAvailable())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

int TWidgetUserService::ErrorWindow(const QString& caption, const QString& details)
{
    if (!guiAvailable())
        return TUserService::ErrorWindow(caption, details);
    countFailure();
    QApplication::beep();
    return TfmErrorHandler2::Show(caption, details);
}

bool TWidgetUserService::ShowHelp(const QString& helpFile, int context)
{
    if (!guiAvailable())
        return TUiService::ShowHelp(helpFile, context);
    return ShowHelpPage(helpFile, context);
}

namespace {

// Non-native dialogs: the same on every desktop, and driven by tests.
QStringList runFileDialog(QWidget* parent, const TFileRequest& r, QFileDialog::FileMode mode, QFileDialog::AcceptMode accept)
{
    std::unique_ptr<QFileDialog> dlg(CreateHistoryOpenDialog(r, parent ? parent : QApplication::activeWindow()));
    dlg->setFileMode(mode);
    dlg->setAcceptMode(accept);
    if (RunModal(*dlg) != QDialog::Accepted)
        return {};
    return dlg->selectedFiles();
}

} // namespace

QString TWidgetUserService::OpenFileName(QWidget* parent, const TFileRequest& request)
{
    if (!guiAvailable())
        return TUiService::OpenFileName(parent, request);
    const QStringList files = runFileDialog(parent, request, QFileDialog::ExistingFile, QFileDialog::AcceptOpen);
    return files.value(0);
}

QStringList TWidgetUserService::OpenFileNames(QWidget* parent, const TFileRequest& request)
{
    if (!guiAvailable())
        return TUiService::OpenFileNames(parent, request);
    return runFileDialog(parent, request, QFileDialog::ExistingFiles, QFileDialog::AcceptOpen);
}

QString TWidgetUserService::SaveFileName(QWidget* parent, const TFileRequest& request)
{
    if (!guiAvailable())
        return TUiService::SaveFileName(parent, request);
    const QStringList files = runFileDialog(parent, request, QFileDialog::AnyFile, QFileDialog::AcceptSave);
    return files.value(0);
}

TSaveChoice TWidgetUserService::SaveFileAs(QWidget* parent, const TFileRequest& request)
{
    if (!guiAvailable())
        return TUiService::SaveFileAs(parent, request);
    std::unique_ptr<QFileDialog> dlg(CreateTypedSaveDialog(request, parent ? parent : QApplication::activeWindow()));
    if (RunModal(*dlg) != QDialog::Accepted)
        return {};
    return {dlg->selectedFiles().value(0), ChosenFilterIndex(*dlg)};
}

QString TWidgetUserService::BrowseDirectory(QWidget* parent, const QString& caption, const QString& start)
{
    if (!guiAvailable())
        return TUiService::BrowseDirectory(parent, caption, start);
    QFileDialog dlg(parent ? parent : QApplication::activeWindow(), caption, start);
    dlg.setObjectName(QStringLiteral("dlgDirectory"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setOption(QFileDialog::ShowDirsOnly);
    dlg.setFileMode(QFileDialog::Directory);
    if (RunModal(dlg) != QDialog::Accepted)
        return {};
    return dlg.selectedFiles().value(0);
}

bool TWidgetUserService::PickFont(QWidget* parent, QFont& font)
{
    if (!guiAvailable())
        return TUiService::PickFont(parent, font);
    QFontDialog dlg(font, parent ? parent : QApplication::activeWindow());
    dlg.setObjectName(QStringLiteral("dlgFont"));
    dlg.setOption(QFontDialog::DontUseNativeDialog);
    if (RunModal(dlg) != QDialog::Accepted)
        return false;
    font = dlg.selectedFont();
    return true;
}

bool TWidgetUserService::PrintDialog(QWidget* parent, QPrinter& printer)
{
    if (!guiAvailable())
        return TUiService::PrintDialog(parent, printer);
    QPrintDialog dlg(&printer, parent ? parent : QApplication::activeWindow());
    dlg.setObjectName(QStringLiteral("dlgPrint"));
    return RunModal(dlg) == QDialog::Accepted;
}

bool TWidgetUserService::PrinterSetup(QWidget* parent, QPrinter& printer)
{
    if (!guiAvailable())
        return TUiService::PrinterSetup(parent, printer);
    QPageSetupDialog dlg(&printer, parent ? parent : QApplication::activeWindow());
    dlg.setObjectName(QStringLiteral("dlgPrinterSetup"));
    return RunModal(dlg) == QDialog::Accepted;
}

bool TWidgetUserService::OpenUrl(const QUrl& url)
{
    if (!guiAvailable())
        return TUiService::OpenUrl(url);
    return QDesktopServices::openUrl(url);
}

void ApplyHintSettings(QApplication& app)
{
    QPalette p = QApplication::palette();
    p.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xC0)); // 0xC0FFFF is blue-green-red
    QApplication::setPalette(p);
    QPalette tip = QApplication::palette("QToolTip");
    tip.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xC0));
    tip.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xC0));
    QApplication::setPalette(tip, "QToolTip");
    if (!qobject_cast<TMxStyle*>(app.style()))
        app.setStyle(new TMxStyle(app.style()->name()));
}

void InstallUserInterface()
{
    SetUserService(&service());
    // Tab, item and header texts reach the language component too.
    InstallWidgetTranslation();
    ApplicationSetupHook.set([] {
        if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
            ApplyHintSettings(*app);
    });
}

} // namespace mx::ui

#include "uiservice.moc"
