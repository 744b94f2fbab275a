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
    setObjectName(QStringLiteral("fmRunDoc"));
    setWindowTitle(QStringLiteral("|File Missing"));
    auto* layout = new QVBoxLayout(this);
    m_ui->laTitle = new QLabel(QStringLiteral("|The following file has not been found at the required location :"), this);
    m_ui->laTitle->setObjectName(QStringLiteral("laTitle"));
    layout->addWidget(m_ui->laTitle);
    auto* grid = new QGridLayout;
    m_ui->laFileCaption = new QLabel(QStringLiteral("|File :"), this);
    m_ui->laFileCaption->setObjectName(QStringLiteral("laFileCaption"));
    m_ui->laFile = new QLabel(this);
    m_ui->laFile->setObjectName(QStringLiteral("laFile"));
    m_ui->laFile->setCursor(Qt::PointingHandCursor);
    QFont link = m_ui->laFile->font();
    link.setUnderline(true);
    m_ui->laFile->setFont(link);
    m_ui->laFile->setStyleSheet(QStringLiteral("color: #0000C0"));
    m_ui->laFile->installEventFilter(this);
    m_ui->laPathCaption = new QLabel(QStringLiteral("|Location :"), this);
    m_ui->laPathCaption->setObjectName(QStringLiteral("laPathCaption"));
    m_ui->edPath = new QLineEdit(this);
    m_ui->edPath->setObjectName(QStringLiteral("edPath"));
    m_ui->edPath->setReadOnly(true);
    m_ui->edPath->setFrame(false);
    m_ui->edPath->setFocusPolicy(Qt::NoFocus);
    m_ui->edPath->setStyleSheet(QStringLiteral("background: transparent"));
    grid->addWidget(m_ui->laFileCaption, 0, 0);
    grid->addWidget(m_ui->laFile, 0, 1);
    grid->addWidget(m_ui->laPathCaption, 1, 0);
    grid->addWidget(m_ui->edPath, 1, 1);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    m_ui->laChoice = new QLabel(QStringLiteral("|You can either try to find the file yourself or download it directly from our website."), this);
    m_ui->laChoice->setObjectName(QStringLiteral("laChoice"));
    m_ui->laChoice->setWordWrap(true);
    layout->addWidget(m_ui->laChoice);
    m_ui->laNote = new QLabel(QStringLiteral("|Note : If the required file is located elsewhere on your computer, please make sure to move it "
                                       "to the above default directory."),
        this);
    m_ui->laNote->setObjectName(QStringLiteral("laNote"));
    m_ui->laNote->setWordWrap(true);
    layout->addWidget(m_ui->laNote);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_ui->btBrowse = new QPushButton(QStringLiteral("|&Browse"), this);
    m_ui->btBrowse->setObjectName(QStringLiteral("btBrowse"));
    m_ui->btBrowse->setDefault(true);
    m_ui->btDownload = new QPushButton(QStringLiteral("|&Download"), this);
    m_ui->btDownload->setObjectName(QStringLiteral("btDownload"));
    m_ui->btCancel = new QPushButton(QStringLiteral("|&Cancel"), this);
    m_ui->btCancel->setObjectName(QStringLiteral("btCancel"));
    buttons->addWidget(m_ui->btBrowse);
    buttons->addWidget(m_ui->btDownload);
    buttons->addWidget(m_ui->btCancel);
    layout->addLayout(buttons);
    setTabOrder(m_ui->btBrowse, m_ui->btDownload);
    setTabOrder(m_ui->btDownload, m_ui->btCancel);
    Connect(m_ui->btBrowse, &QPushButton::clicked, this, [this] { btBrowseClick(); });
    Connect(m_ui->btDownload, &QPushButton::clicked, this, [this] { btDownloadClick(); });
    Connect(m_ui->btCancel, &QPushButton::clicked, this, [this] { reject(); });
    const int em = fontMetrics().horizontalAdvance(u'M');
    setMinimumWidth(em * 32);
    m_ui->btBrowse->setFocus();
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
