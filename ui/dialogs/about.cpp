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

TfmAbout::TfmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmAbout"));
    setWindowTitle(QStringLiteral("|A propos"));
    auto* layout = new QVBoxLayout(this);
    gbDrivers = new QGroupBox(QStringLiteral("|Pilotes chargés"), this);
    gbDrivers->setObjectName(QStringLiteral("gbDrivers"));
    auto* gbLayout = new QVBoxLayout(gbDrivers);
    mo = new QPlainTextEdit(gbDrivers);
    mo->setObjectName(QStringLiteral("mo"));
    mo->setReadOnly(true);
    gbLayout->addWidget(mo);
    layout->addWidget(gbDrivers, 1);

    auto* pa = new QFrame(this);
    pa->setObjectName(QStringLiteral("paInfo"));
    pa->setFrameShape(QFrame::Panel);
    pa->setFrameShadow(QFrame::Sunken);
    pa->setAutoFillBackground(true);
    QPalette pal = pa->palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::ToolTipBase));
    pa->setPalette(pal);
    auto* grid = new QGridLayout(pa);
    imProgramIcon = new QLabel(pa);
    imProgramIcon->setObjectName(QStringLiteral("imProgramIcon"));
    imProgramIcon->setPixmap(ProgramIcon());
    imProgramIcon->setCursor(Qt::PointingHandCursor);
    imProgramIcon->installEventFilter(this);
    laVersion = new QLabel(pa);
    laVersion->setObjectName(QStringLiteral("laVersion"));
    QFont bold = laVersion->font();
    bold.setBold(true);
    laVersion->setFont(bold);
    laDate = new QLabel(pa);
    laDate->setObjectName(QStringLiteral("laDate"));
    laDate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    laWebLink = new QLabel(MakerAddresses().home, pa);
    laWebLink->setObjectName(QStringLiteral("laWebLink"));
    laWebLink->setCursor(Qt::PointingHandCursor);
    QFont link = laWebLink->font();
    link.setUnderline(true);
    laWebLink->setFont(link);
    laWebLink->setStyleSheet(QStringLiteral("color: #0000C0"));
    laWebLink->installEventFilter(this);
    grid->addWidget(imProgramIcon, 0, 0, 2, 1);
    grid->addWidget(laVersion, 0, 1);
    grid->addWidget(laDate, 0, 2);
    grid->addWidget(laWebLink, 1, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addWidget(pa);

    btOk = new QPushButton(QStringLiteral("|OK"), this);
    btOk->setObjectName(QStringLiteral("btOk"));
    btOk->setDefault(true);
    layout->addWidget(btOk, 0, Qt::AlignHCenter);
    Connect(btOk, &QPushButton::clicked, this, [this] { accept(); });
    const int em = fontMetrics().horizontalAdvance(u'M');
    resize(em * 26, em * 22);
    LangClientLoadedOrPlain(this);
}

void TfmAbout::Fill(const QList<TLibraryInfo>& libraries)
{
    mo->setPlainText(LibraryLines(libraries).join(u'\n'));
    laVersion->setText(Format(QStringLiteral("Version %s"), {TGlobal::GetVersionString()}));
    laDate->setText(QStringLiteral("26/04/1998"));
}

bool TfmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && (watched == laWebLink || watched == imProgramIcon)) {
        const QString address = watched == laWebLink ? MakerAddresses().home : MakerAddresses().product;
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
