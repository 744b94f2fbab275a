#include "about.h"

#include "dialogpictures.h"
#include "ui/services/dialogservice.h"
#include "ui/services/guarded.h"

#include "engine/driver/dbengine.h"
#include "engine/driver/dllloader.h"
#include "engine/driver/driver.h"
#include "engine/settings/global.h"
#include "engine/settings/lang.h"
#include "ui/services/modalrunner.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace mx::ui {

const TMakerAddresses& MakerAddresses()
{
    static const TMakerAddresses a{
        QStringLiteral("https://www.morvelin.org/"),
        QStringLiteral("https://www.morvelin.org/requetes/"),
        QStringLiteral("https://www.morvelin.org/telechargement/%s"),
    };
    return a;
}

QList<TLibraryInfo> LoadedLibraries()
{
    QList<TLibraryInfo> out;
    // A database driver built into the program is listed as the libraries
    // are (one from a library is among them).
    if (TIMxDriver* driver = DbEngine(); driver && !TMxDBEngDllLoader::Instance())
        out.push_back({GetEngineName(), driver->GetVersion(), driver->GetDescription()});
    TDllLoaderList* list = DllLoadersIfAny();
    if (!list)
        return out;
    for (int i = 0; i < list->Count(); ++i)
        if (auto* l = dynamic_cast<TMxDllLoader*>(list->GetItem(i)))
            out.push_back({l->GetDllName(), l->GetDllVersion(), l->GetDllDescription()});
    return out;
}

QStringList LibraryLines(const QList<TLibraryInfo>& libraries)
{
    QStringList lines;
    for (const TLibraryInfo& l : libraries)
        lines << Format(QStringLiteral("%s v%s"), {l.name, l.version}) << l.description << QString();
    return lines;
}

struct TfmAbout::TUi {
    QGroupBox* gbDrivers = nullptr;
    QPlainTextEdit* mo = nullptr;
    QLabel* imProgramIcon = nullptr;
    QLabel* laVersion = nullptr;
    QLabel* laDate = nullptr;
    QLabel* laWebLink = nullptr;
    QPushButton* btOk = nullptr;
};

TfmAbout::TfmAbout(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<TUi>())
{
    TUi& u = *m_ui;
    setObjectName(QStringLiteral("fmAbout"));
    setWindowTitle(QStringLiteral("|A propos"));
    auto* layout = new QVBoxLayout(this);
    u.gbDrivers = new QGroupBox(QStringLiteral("|Pilotes chargés"), this);
    u.gbDrivers->setObjectName(QStringLiteral("gbDrivers"));
    auto* gbLayout = new QVBoxLayout(u.gbDrivers);
    u.mo = new QPlainTextEdit(u.gbDrivers);
    u.mo->setObjectName(QStringLiteral("mo"));
    u.mo->setReadOnly(true);
    gbLayout->addWidget(u.mo);
    layout->addWidget(u.gbDrivers, 1);

    auto* pa = new QFrame(this);
    pa->setObjectName(QStringLiteral("paInfo"));
    pa->setFrameShape(QFrame::Panel);
    pa->setFrameShadow(QFrame::Sunken);
    pa->setAutoFillBackground(true);
    QPalette pal = pa->palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::ToolTipBase));
    pa->setPalette(pal);
    auto* grid = new QGridLayout(pa);
    u.imProgramIcon = new QLabel(pa);
    u.imProgramIcon->setObjectName(QStringLiteral("imProgramIcon"));
    u.imProgramIcon->setPixmap(ProgramIcon());
    u.imProgramIcon->setCursor(Qt::PointingHandCursor);
    u.imProgramIcon->installEventFilter(this);
    u.laVersion = new QLabel(pa);
    u.laVersion->setObjectName(QStringLiteral("laVersion"));
    QFont bold = u.laVersion->font();
    bold.setBold(true);
    u.laVersion->setFont(bold);
    u.laDate = new QLabel(pa);
    u.laDate->setObjectName(QStringLiteral("laDate"));
    u.laDate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    u.laWebLink = new QLabel(MakerAddresses().home, pa);
    u.laWebLink->setObjectName(QStringLiteral("laWebLink"));
    u.laWebLink->setCursor(Qt::PointingHandCursor);
    QFont link = u.laWebLink->font();
    link.setUnderline(true);
    u.laWebLink->setFont(link);
    u.laWebLink->setStyleSheet(QStringLiteral("color: #0000C0"));
    u.laWebLink->installEventFilter(this);
    grid->addWidget(u.imProgramIcon, 0, 0, 2, 1);
    grid->addWidget(u.laVersion, 0, 1);
    grid->addWidget(u.laDate, 0, 2);
    grid->addWidget(u.laWebLink, 1, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addWidget(pa);

    u.btOk = new QPushButton(QStringLiteral("|OK"), this);
    u.btOk->setObjectName(QStringLiteral("btOk"));
    u.btOk->setDefault(true);
    layout->addWidget(u.btOk, 0, Qt::AlignHCenter);
    Connect(u.btOk, &QPushButton::clicked, this, [this] { accept(); });
    const int em = fontMetrics().horizontalAdvance(u'M');
    resize(em * 26, em * 22);
    LangClientLoadedOrPlain(this);
}

TfmAbout::~TfmAbout() = default;

void TfmAbout::Fill(const QList<TLibraryInfo>& libraries)
{
    m_ui->mo->setPlainText(LibraryLines(libraries).join(u'\n'));
    m_ui->laVersion->setText(Format(QStringLiteral("Version %s"), {TGlobal::GetVersionString()}));
    m_ui->laDate->setText(QStringLiteral("26/04/1998"));
}

bool TfmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && (watched == m_ui->laWebLink || watched == m_ui->imProgramIcon)) {
        const QString address = watched == m_ui->laWebLink ? MakerAddresses().home : MakerAddresses().product;
        Guard(this, [&] { UiService().OpenUrl(QUrl(address)); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ShowAboutBox()
{
    TfmAbout form(QApplication::activeWindow());
    form.Fill(LoadedLibraries());
    RunModal(form);
}

} // namespace mx::ui
