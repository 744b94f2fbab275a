#include "helpsystem.h"

#include "engine/core/userservice.h"
#include "engine/settings/global.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace mx::ui {
namespace {

QPointer<QDialog>& window()
{
    static QPointer<QDialog> w;
    return w;
}

QDialog* makeWindow(QWidget* parent)
{
    auto* w = new QDialog(parent, Qt::Window);
    w->setObjectName(QStringLiteral("fmHelp"));
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setWindowTitle(Translate(QStringLiteral("Aide")));
    auto* layout = new QVBoxLayout(w);
    auto* browser = new QTextBrowser(w);
    browser->setObjectName(QStringLiteral("tbPage"));
    browser->setOpenExternalLinks(true);
    layout->addWidget(browser);
    auto* close = new QPushButton(Translate(QStringLiteral("Fermer")), w);
    close->setObjectName(QStringLiteral("btClose"));
    QObject::connect(close, &QPushButton::clicked, w, &QDialog::close);
    layout->addWidget(close, 0, Qt::AlignRight);
    const int em = w->fontMetrics().horizontalAdvance(u'M');
    w->resize(em * 50, em * 40);
    return w;
}

} // namespace

QString HelpFolder(const QString& helpFile)
{
    const QFileInfo fi(helpFile);
    return QDir(fi.path()).filePath(fi.completeBaseName());
}

QString HelpPage(const QString& helpFile, int context)
{
    if (helpFile.isEmpty())
        return {};
    const QDir folder(HelpFolder(helpFile));
    const QString page = folder.filePath(QString::number(context) + QStringLiteral(".html"));
    if (context > 0 && QFileInfo(page).isFile())
        return page;
    const QString index = folder.filePath(QStringLiteral("index.html"));
    return QFileInfo(index).isFile() ? index : QString();
}

bool ShowHelpPage(const QString& helpFile, int context, QWidget* parent)
{
    const QString page = HelpPage(helpFile, context);
    if (page.isEmpty())
        return false;
    if (!parent)
        parent = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    // A window of a modal dialog stays usable while the dialog runs; one
    // of another window is made again over the new one.
    if (window() && window()->parentWidget() != parent)
        delete window().data();
    if (!window())
        window() = makeWindow(parent);
    auto* browser = window()->findChild<QTextBrowser*>(QStringLiteral("tbPage"));
    browser->setSource(QUrl::fromLocalFile(page));
    window()->show();
    window()->raise();
    window()->activateWindow();
    return true;
}

void ShowDialogHelp(QObject* dialog)
{
    if (AppGlobal())
        AppGlobal()->ShowFormHelp(dialog);
    else
        UserService().ShowHelp(QString(), dialog->property("helpContext").toInt());
}

QObject* HelpForm(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (w->property("helpContext").toInt() > 0)
            return w;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

namespace {

class THelpKey : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        QObject* form = HelpForm(static_cast<QWidget*>(watched));
        if (!form)
            return false;
        ShowDialogHelp(form);
        return true;
    }
};

} // namespace

void InstallHelpKey()
{
    static QPointer<QObject> installed;
    auto* app = QCoreApplication::instance();
    if (!app || installed)
        return;
    installed = new THelpKey(app);
    app->installEventFilter(installed);
}

QWidget* HelpWindow()
{
    return window();
}

} // namespace mx::ui

#include "helpsystem.moc"
