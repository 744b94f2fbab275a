#include "rundoc.h"

#include "dialogs.h"
#include "ui/services/dialogservice.h"
#include "ui/services/guarded.h"

#include "engine/settings/global.h"
#include "engine/settings/lang.h"
#include "ui/services/modalrunner.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace mx::ui {

TfmRunDoc::TfmRunDoc(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmRunDoc"));
    setWindowTitle(QStringLiteral("|File Missing"));
    auto* layout = new QVBoxLayout(this);
    laTitle = new QLabel(QStringLiteral("|The following file has not been found at the required location :"), this);
    laTitle->setObjectName(QStringLiteral("laTitle"));
    layout->addWidget(laTitle);
    auto* grid = new QGridLayout;
    laFileCaption = new QLabel(QStringLiteral("|File :"), this);
    laFileCaption->setObjectName(QStringLiteral("laFileCaption"));
    laFile = new QLabel(this);
    laFile->setObjectName(QStringLiteral("laFile"));
    laFile->setCursor(Qt::PointingHandCursor);
    QFont link = laFile->font();
    link.setUnderline(true);
    laFile->setFont(link);
    laFile->setStyleSheet(QStringLiteral("color: #0000C0"));
    laFile->installEventFilter(this);
    laPathCaption = new QLabel(QStringLiteral("|Location :"), this);
    laPathCaption->setObjectName(QStringLiteral("laPathCaption"));
    edPath = new QLineEdit(this);
    edPath->setObjectName(QStringLiteral("edPath"));
    edPath->setReadOnly(true);
    edPath->setFrame(false);
    edPath->setFocusPolicy(Qt::NoFocus);
    edPath->setStyleSheet(QStringLiteral("background: transparent"));
    grid->addWidget(laFileCaption, 0, 0);
    grid->addWidget(laFile, 0, 1);
    grid->addWidget(laPathCaption, 1, 0);
    grid->addWidget(edPath, 1, 1);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    laChoice = new QLabel(QStringLiteral("|You can either try to find the file yourself or download it directly from our website."), this);
    laChoice->setObjectName(QStringLiteral("laChoice"));
    laChoice->setWordWrap(true);
    layout->addWidget(laChoice);
    laNote = new QLabel(QStringLiteral("|Note : If the required file is located elsewhere on your computer, please make sure to move it "
                                       "to the above default directory."),
        this);
    laNote->setObjectName(QStringLiteral("laNote"));
    laNote->setWordWrap(true);
    layout->addWidget(laNote);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    btBrowse = new QPushButton(QStringLiteral("|&Browse"), this);
    btBrowse->setObjectName(QStringLiteral("btBrowse"));
    btBrowse->setDefault(true);
    btDownload = new QPushButton(QStringLiteral("|&Download"), this);
    btDownload->setObjectName(QStringLiteral("btDownload"));
    btCancel = new QPushButton(QStringLiteral("|&Cancel"), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    buttons->addWidget(btBrowse);
    buttons->addWidget(btDownload);
    buttons->addWidget(btCancel);
    layout->addLayout(buttons);
    setTabOrder(btBrowse, btDownload);
    setTabOrder(btDownload, btCancel);
    Connect(btBrowse, &QPushButton::clicked, this, [this] { btBrowseClick(); });
    Connect(btDownload, &QPushButton::clicked, this, [this] { btDownloadClick(); });
    Connect(btCancel, &QPushButton::clicked, this, [this] { reject(); });
    const int em = fontMetrics().horizontalAdvance(u'M');
    setMinimumWidth(em * 32);
    btBrowse->setFocus();
    LangClientLoadedOrPlain(this);
}

void TfmRunDoc::Setup(const QString& fullName, const QString& downloadAddress)
{
    m_fullName = fullName;
    m_download = downloadAddress;
    const QFileInfo fi(fullName);
    laFile->setText(fi.fileName());
    laFile->setToolTip(downloadAddress);
    edPath->setText(fi.path());
    edPath->setToolTip(fi.path());
}

bool TfmRunDoc::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == laFile && event->type() == QEvent::MouseButtonRelease) {
        Guard(this, [this] { btDownloadClick(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfmRunDoc::btBrowseClick()
{
    const QFileInfo fi(m_fullName);
    TFileRequest r;
    r.caption = Translate(QStringLiteral("Find File"));
    r.directory = fi.path();
    r.fileName = fi.fileName();
    r.filters = {Translate(QStringLiteral("All Files (*)"))};
    const QString picked = UiService().OpenFileName(this, r);
    if (picked.isEmpty())
        return;
    m_fullName = picked;
    accept();
}

void TfmRunDoc::btDownloadClick()
{
    if (!m_download.isEmpty())
        UiService().OpenUrl(QUrl(m_download));
}

QString DownloadAddress(const QString& pattern, const QString& fileName)
{
    QString address = pattern;
    address.replace(QStringLiteral("%s"), QString::fromLatin1(QUrl::toPercentEncoding(fileName)));
    return address;
}

QString RunDocument(const QString& fullName, const QString& downloadPattern, bool noRun)
{
    QString path = fullName;
    if (!QFileInfo::exists(fullName)) {
        // Nobody could look for it.
        if (!CanShowDialogs())
            return {};
        TfmRunDoc form(QApplication::activeWindow());
        form.Setup(fullName, DownloadAddress(downloadPattern, QFileInfo(fullName).fileName()));
        // Closing the window is Cancel.
        if (RunModal(form) != QDialog::Accepted)
            return {};
        path = form.FullName();
    }
    if (!noRun)
        UiService().ShellOpen(path);
    return path;
}

} // namespace mx::ui
