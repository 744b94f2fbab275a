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

struct TfmRunDoc::TUi {
    QLabel* laTitle = nullptr;
    QLabel* laFileCaption = nullptr;
    QLabel* laFile = nullptr;
    QLabel* laPathCaption = nullptr;
    QLineEdit* edPath = nullptr;
    QLabel* laChoice = nullptr;
    QLabel* laNote = nullptr;
    QPushButton* btBrowse = nullptr;
    QPushButton* btDownload = nullptr;
    QPushButton* btCancel = nullptr;
};

TfmRunDoc::TfmRunDoc(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<TUi>())
{
    TUi& u = *m_ui;
    setObjectName(QStringLiteral("fmRunDoc"));
    setWindowTitle(QStringLiteral("|File Missing"));
    auto* layout = new QVBoxLayout(this);
    u.laTitle = new QLabel(QStringLiteral("|The following file has not been found at the required location :"), this);
    u.laTitle->setObjectName(QStringLiteral("laTitle"));
    layout->addWidget(u.laTitle);
    auto* grid = new QGridLayout;
    u.laFileCaption = new QLabel(QStringLiteral("|File :"), this);
    u.laFileCaption->setObjectName(QStringLiteral("laFileCaption"));
    u.laFile = new QLabel(this);
    u.laFile->setObjectName(QStringLiteral("laFile"));
    u.laFile->setCursor(Qt::PointingHandCursor);
    QFont link = u.laFile->font();
    link.setUnderline(true);
    u.laFile->setFont(link);
    u.laFile->setStyleSheet(QStringLiteral("color: #0000C0"));
    u.laFile->installEventFilter(this);
    u.laPathCaption = new QLabel(QStringLiteral("|Location :"), this);
    u.laPathCaption->setObjectName(QStringLiteral("laPathCaption"));
    u.edPath = new QLineEdit(this);
    u.edPath->setObjectName(QStringLiteral("edPath"));
    u.edPath->setReadOnly(true);
    u.edPath->setFrame(false);
    u.edPath->setFocusPolicy(Qt::NoFocus);
    u.edPath->setStyleSheet(QStringLiteral("background: transparent"));
    grid->addWidget(u.laFileCaption, 0, 0);
    grid->addWidget(u.laFile, 0, 1);
    grid->addWidget(u.laPathCaption, 1, 0);
    grid->addWidget(u.edPath, 1, 1);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    u.laChoice = new QLabel(QStringLiteral("|You can either try to find the file yourself or download it directly from our website."), this);
    u.laChoice->setObjectName(QStringLiteral("laChoice"));
    u.laChoice->setWordWrap(true);
    layout->addWidget(u.laChoice);
    u.laNote = new QLabel(QStringLiteral("|Note : If the required file is located elsewhere on your computer, please make sure to move it "
                                       "to the above default directory."),
        this);
    u.laNote->setObjectName(QStringLiteral("laNote"));
    u.laNote->setWordWrap(true);
    layout->addWidget(u.laNote);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    u.btBrowse = new QPushButton(QStringLiteral("|&Browse"), this);
    u.btBrowse->setObjectName(QStringLiteral("btBrowse"));
    u.btBrowse->setDefault(true);
    u.btDownload = new QPushButton(QStringLiteral("|&Download"), this);
    u.btDownload->setObjectName(QStringLiteral("btDownload"));
    u.btCancel = new QPushButton(QStringLiteral("|&Cancel"), this);
    u.btCancel->setObjectName(QStringLiteral("btCancel"));
    buttons->addWidget(u.btBrowse);
    buttons->addWidget(u.btDownload);
    buttons->addWidget(u.btCancel);
    layout->addLayout(buttons);
    setTabOrder(u.btBrowse, u.btDownload);
    setTabOrder(u.btDownload, u.btCancel);
    Connect(u.btBrowse, &QPushButton::clicked, this, [this] { btBrowseClick(); });
    Connect(u.btDownload, &QPushButton::clicked, this, [this] { btDownloadClick(); });
    Connect(u.btCancel, &QPushButton::clicked, this, [this] { reject(); });
    const int em = fontMetrics().horizontalAdvance(u'M');
    setMinimumWidth(em * 32);
    u.btBrowse->setFocus();
    LangClientLoadedOrPlain(this);
}

TfmRunDoc::~TfmRunDoc() = default;

void TfmRunDoc::Setup(const QString& fullName, const QString& downloadAddress)
{
    m_fullName = fullName;
    m_download = downloadAddress;
    const QFileInfo fi(fullName);
    m_ui->laFile->setText(fi.fileName());
    m_ui->laFile->setToolTip(downloadAddress);
    m_ui->edPath->setText(fi.path());
    m_ui->edPath->setToolTip(fi.path());
}

bool TfmRunDoc::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui->laFile && event->type() == QEvent::MouseButtonRelease) {
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
