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
    return new TBrnTipsForm(*this, parent);
}

void TBrnTips::ShowTips()
{
    std::unique_ptr<TBrnTipsForm> form(CreateForm(QApplication::activeWindow()));
    RunModal(*form);
}

struct TBrnTipsForm::TUi {
    QWidget* shape = nullptr;
    QLabel* im = nullptr;
    QLabel* laTitle = nullptr;
    QLabel* laTip = nullptr;
    QPushButton* btOk = nullptr;
    QPushButton* btNextTip = nullptr;
    QCheckBox* cbStartTip = nullptr;
};

TBrnTipsForm::TBrnTipsForm(TBrnTips& tips, QWidget* parent) : QDialog(parent), m_ui(std::make_unique<TUi>()), m_tips(tips)
{
    TUi& u = *m_ui;
    setObjectName(QStringLiteral("fmBrnTips"));
    setWindowTitle(QStringLiteral("|Astuce du jour"));

    u.shape = new QFrame(this);
    u.shape->setObjectName(QStringLiteral("shape"));
    u.shape->setAutoFillBackground(true);
    QPalette pal = u.shape->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    u.shape->setPalette(pal);
    u.im = new QLabel(u.shape);
    u.im->setObjectName(QStringLiteral("im"));
    u.im->setPixmap(Picture(TPicture::Tip));
    auto* shapeLayout = new QVBoxLayout(u.shape);
    shapeLayout->setContentsMargins(12, 12, 12, 12);
    shapeLayout->addWidget(u.im, 0, Qt::AlignHCenter | Qt::AlignTop);
    shapeLayout->addStretch();

    u.laTitle = new QLabel(this);
    u.laTitle->setObjectName(QStringLiteral("laTitle"));
    QFont titleFont = u.laTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    u.laTitle->setFont(titleFont);
    u.laTip = new QLabel(this);
    u.laTip->setObjectName(QStringLiteral("laTip"));
    u.laTip->setWordWrap(true);
    u.laTip->setTextFormat(Qt::PlainText);
    u.laTip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    u.laTip->setMinimumSize(320, 110);
    auto* bevel1 = new QFrame(this);
    bevel1->setObjectName(QStringLiteral("Bevel1"));
    bevel1->setFrameShape(QFrame::HLine);
    bevel1->setFrameShadow(QFrame::Sunken);
    auto* bevel2 = new QFrame(this);
    bevel2->setObjectName(QStringLiteral("Bevel2"));
    bevel2->setFrameShape(QFrame::HLine);
    bevel2->setFrameShadow(QFrame::Sunken);

    u.cbStartTip = new QCheckBox(QStringLiteral("|&Ne plus afficher cette boîte au démarrage"), this);
    u.cbStartTip->setObjectName(QStringLiteral("cbStartTip"));
    u.btNextTip = new QPushButton(QStringLiteral("|&Astuce suivante"), this);
    u.btNextTip->setObjectName(QStringLiteral("btNextTip"));
    u.btNextTip->setAutoDefault(false);
    u.btOk = new QPushButton(QStringLiteral("|OK"), this);
    u.btOk->setObjectName(QStringLiteral("btOk"));
    u.btOk->setDefault(true);

    auto* text = new QVBoxLayout;
    text->addWidget(u.laTitle);
    text->addWidget(bevel1);
    text->addWidget(u.laTip, 1);
    auto* top = new QHBoxLayout;
    top->setSpacing(12);
    top->addWidget(u.shape);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(u.cbStartTip);
    buttons->addStretch();
    buttons->addWidget(u.btNextTip);
    buttons->addWidget(u.btOk);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top, 1);
    main->addWidget(bevel2);
    main->addLayout(buttons);

    Connect(u.btOk, &QPushButton::clicked, this, [this] { accept(); });
    Connect(u.btNextTip, &QPushButton::clicked, this, [this] { m_ui->laTip->setText(m_tips.NextTip()); });
    Connect(u.cbStartTip, &QCheckBox::toggled, this, [this](bool checked) {
        m_tips.Options.setFlag(TBrnTips::toAutoPopup, !checked);
    });
    LangClientLoadedOrPlain(this);
    // the title and the tip are the tips file's own words: set after the
    // form's texts are translated
    u.laTip->setText(tips.NextTip());
    u.cbStartTip->setVisible(tips.Options.testFlag(TBrnTips::toCanChangeAutoPopup));
    u.cbStartTip->setChecked(!tips.Options.testFlag(TBrnTips::toAutoPopup));
    u.laTitle->setText(tips.Title);
}

TBrnTipsForm::~TBrnTipsForm() = default;

} // namespace mx::ui
