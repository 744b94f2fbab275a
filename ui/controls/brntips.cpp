#include "brntips.h"

#include "ui/services/guarded.h"
#include "pictures.h"

#include "engine/settings/global.h"
#include "engine/settings/lang.h"
#include "engine/tools/installation.h"
#include "ui/services/modalrunner.h"

#include "platform/core/inifile.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace mx::ui {
namespace {

const QString kIndexKey = QStringLiteral("Index");

} // namespace

TBrnTips::TBrnTips(QObject* owner) : QObject(owner) {}

TBrnTips::~TBrnTips() = default;

void TBrnTips::Loaded()
{
    if (IniFileName.isEmpty())
        IniFileName = GetWindowsDir() + QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + QStringLiteral(".ini");
    if (Options.testFlag(toAutoPopup))
        ShowTips();
}

void TBrnTips::open()
{
    if (m_tips)
        return;
    m_tips = OnGetIniFile ? OnGetIniFile() : nullptr;
    if (!m_tips) {
        if (IniFileName.isEmpty())
            IniFileName = GetWindowsDir() + QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + QStringLiteral(".ini");
        m_tips = platform::IniFile::open(IniFileName);
    }
    QString indexFile = IndexFileName;
    if (indexFile.isEmpty())
        indexFile = AppGlobal() ? AppGlobal()->IniFileName() : GetWindowsDir() + QStringLiteral("MORVELIN.INI");
    m_index = platform::IniFile::open(indexFile);
    m_next = m_index->valueExists(SectionName, kIndexKey) ? m_index->readInteger(SectionName, kIndexKey, 0)
                                                           : m_tips->readInteger(SectionName, kIndexKey, 0);
}

QString TBrnTips::NextTip()
{
    open();
    const auto read = [&] { return m_tips->readString(SectionName, QString::number(m_next)).replace(u'|', u'\n'); };
    QString tip = m_next >= 0 ? read() : QString();
    if (tip.isEmpty()) {
        m_next = 0;
        tip = read();
    }
    ++m_next;
    // The rotation is a convenience: a settings file that cannot be
    // written only means the same tip comes again next time.
    m_index->writeInteger(SectionName, kIndexKey, m_next);
    return tip;
}

TBrnTipsForm* TBrnTips::CreateForm(QWidget* parent)
{
    auto* form = new TBrnTipsForm(*this, parent);
    form->laTip->setText(NextTip());
    form->cbStartTip->setVisible(Options.testFlag(toCanChangeAutoPopup));
    form->cbStartTip->setChecked(!Options.testFlag(toAutoPopup));
    form->laTitle->setText(Title);
    return form;
}

void TBrnTips::ShowTips()
{
    std::unique_ptr<TBrnTipsForm> form(CreateForm(QApplication::activeWindow()));
    RunModal(*form);
}

TBrnTipsForm::TBrnTipsForm(TBrnTips& tips, QWidget* parent) : QDialog(parent), m_tips(tips)
{
    setObjectName(QStringLiteral("fmBrnTips"));
    setWindowTitle(QStringLiteral("|Astuce du jour"));

    shape = new QFrame(this);
    shape->setObjectName(QStringLiteral("shape"));
    shape->setAutoFillBackground(true);
    QPalette pal = shape->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    shape->setPalette(pal);
    im = new QLabel(shape);
    im->setObjectName(QStringLiteral("im"));
    im->setPixmap(Picture(TPicture::Tip));
    auto* shapeLayout = new QVBoxLayout(shape);
    shapeLayout->setContentsMargins(12, 12, 12, 12);
    shapeLayout->addWidget(im, 0, Qt::AlignHCenter | Qt::AlignTop);
    shapeLayout->addStretch();

    laTitle = new QLabel(this);
    laTitle->setObjectName(QStringLiteral("laTitle"));
    QFont titleFont = laTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    laTitle->setFont(titleFont);
    laTip = new QLabel(this);
    laTip->setObjectName(QStringLiteral("laTip"));
    laTip->setWordWrap(true);
    laTip->setTextFormat(Qt::PlainText);
    laTip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    laTip->setMinimumSize(320, 110);
    auto* bevel1 = new QFrame(this);
    bevel1->setObjectName(QStringLiteral("Bevel1"));
    bevel1->setFrameShape(QFrame::HLine);
    bevel1->setFrameShadow(QFrame::Sunken);
    auto* bevel2 = new QFrame(this);
    bevel2->setObjectName(QStringLiteral("Bevel2"));
    bevel2->setFrameShape(QFrame::HLine);
    bevel2->setFrameShadow(QFrame::Sunken);

    cbStartTip = new QCheckBox(QStringLiteral("|&Ne plus afficher cette boîte au démarrage"), this);
    cbStartTip->setObjectName(QStringLiteral("cbStartTip"));
    btNextTip = new QPushButton(QStringLiteral("|&Astuce suivante"), this);
    btNextTip->setObjectName(QStringLiteral("btNextTip"));
    btNextTip->setAutoDefault(false);
    btOk = new QPushButton(QStringLiteral("|OK"), this);
    btOk->setObjectName(QStringLiteral("btOk"));
    btOk->setDefault(true);

    auto* text = new QVBoxLayout;
    text->addWidget(laTitle);
    text->addWidget(bevel1);
    text->addWidget(laTip, 1);
    auto* top = new QHBoxLayout;
    top->setSpacing(12);
    top->addWidget(shape);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cbStartTip);
    buttons->addStretch();
    buttons->addWidget(btNextTip);
    buttons->addWidget(btOk);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top, 1);
    main->addWidget(bevel2);
    main->addLayout(buttons);

    Connect(btOk, &QPushButton::clicked, this, [this] { accept(); });
    Connect(btNextTip, &QPushButton::clicked, this, [this] { laTip->setText(m_tips.NextTip()); });
    Connect(cbStartTip, &QCheckBox::toggled, this, [this](bool checked) {
        m_tips.Options.setFlag(TBrnTips::toAutoPopup, !checked);
    });
    LangClientLoadedOrPlain(this);
}

} // namespace mx::ui
