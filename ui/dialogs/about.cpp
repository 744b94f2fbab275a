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
    setObjectName(QStringLiteral("fmAbout"));
    setWindowTitle(QStringLiteral("|A propos"));
    auto* layout = new QVBoxLayout(this);
    m_ui->gbDrivers = new QGroupBox(QStringLiteral("|Pilotes chargés"), this);
    m_ui->gbDrivers->setObjectName(QStringLiteral("gbDrivers"));
    auto* gbLayout = new QVBoxLayout(m_ui->gbDrivers);
    m_ui->mo = new QPlainTextEdit(m_ui->gbDrivers);
    m_ui->mo->setObjectName(QStringLiteral("mo"));
    m_ui->mo->setReadOnly(true);
    gbLayout->addWidget(m_ui->mo);
    layout->addWidget(m_ui->gbDrivers, 1);

    auto* pa = new QFrame(this);
    pa->setObjectName(QStringLiteral("paInfo"));
    pa->setFrameShape(QFrame::Panel);
    pa->setFrameShadow(QFrame::Sunken);
    pa->setAutoFillBackground(true);
    QPalette pal = pa->palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::ToolTipBase));
    pa->setPalette(pal);
    auto* grid = new QGridLayout(pa);
    m_ui->imProgramIcon = new QLabel(pa);
    m_ui->imProgramIcon->setObjectName(QStringLiteral("imProgramIcon"));
    m_ui->imProgramIcon->setPixmap(ProgramIcon());
    m_ui->imProgramIcon->setCursor(Qt::PointingHandCursor);
    m_ui->imProgramIcon->installEventFilter(this);
    m_ui->laVersion = new QLabel(pa);
    m_ui->laVersion->setObjectName(QStringLiteral("laVersion"));
    QFont bold = m_ui->laVersion->font();
    bold.setBold(true);
    m_ui->laVersion->setFont(bold);
    m_ui->laDate = new QLabel(pa);
    m_ui->laDate->setObjectName(QStringLiteral("laDate"));
    m_ui->laDate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_ui->laWebLink = new QLabel(MakerAddresses().home, pa);
    m_ui->laWebLink->setObjectName(QStringLiteral("laWebLink"));
    m_ui->laWebLink->setCursor(Qt::PointingHandCursor);
    QFont link = m_ui->laWebLink->font();
    link.setUnderline(true);
    m_ui->laWebLink->setFont(link);
    m_ui->laWebLink->setStyleSheet(QStringLiteral("color: #0000C0"));
    m_ui->laWebLink->installEventFilter(this);
    grid->addWidget(m_ui->imProgramIcon, 0, 0, 2, 1);
    grid->addWidget(m_ui->laVersion, 0, 1);
    grid->addWidget(m_ui->laDate, 0, 2);
    grid->addWidget(m_ui->laWebLink, 1, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addWidget(pa);

    m_ui->btOk = new QPushButton(QStringLiteral("|OK"), this);
    m_ui->btOk->setObjectName(QStringLiteral("btOk"));
    m_ui->btOk->setDefault(true);
    layout->addWidget(m_ui->btOk, 0, Qt::AlignHCenter);
    Connect(m_ui->btOk, &QPushButton::clicked, this, [this] { accept(); });
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
