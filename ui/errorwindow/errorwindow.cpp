#include "errorwindow.h"

#include "engine/core/userservice.h"
#include "engine/errors/errorhandler.h"
#include "ui/services/modalrunner.h"
#include "engine/settings/lang.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

namespace mx::ui {
namespace {

// In average characters of the window's font: the width of the message
// and of the details, the most lines the details take before they scroll.
constexpr int kTextColumns = 40;
constexpr int kDetailLines = 24;

} // namespace

struct TfmErrorHandler2::Ui {
    QLabel* laUserInfo = nullptr;
    QLabel* im = nullptr;
    QScrollArea* detailArea = nullptr;
    QLabel* laDetailInfo = nullptr;
    QPushButton* bbIgnore = nullptr;
    QPushButton* bbAbort = nullptr;
    QPushButton* bbDetail = nullptr;
};

TfmErrorHandler2::TfmErrorHandler2(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui>())
{
    setObjectName(QStringLiteral("fmErrorHandler2"));
    setWindowTitle(QStringLiteral("|Erreur de l'application"));
    setModal(true);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    const QFontMetrics fm(f);
    const int textWidth = fm.averageCharWidth() * kTextColumns;
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);

    Ui& ui = *m_ui;
    ui.im = new QLabel(this);
    ui.im->setObjectName(QStringLiteral("im"));
    ui.im->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, this).pixmap(iconSize, iconSize));
    ui.im->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    ui.laUserInfo = new QLabel(QStringLiteral("|L'application a provoqué une erreur inattendue. Vous pouvez poursuivre où quitter le programme."), this);
    ui.laUserInfo->setObjectName(QStringLiteral("laUserInfo"));
    ui.laUserInfo->setWordWrap(true);
    ui.laUserInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ui.laUserInfo->setFixedWidth(textWidth);

    ui.laDetailInfo = new QLabel(this);
    ui.laDetailInfo->setObjectName(QStringLiteral("laDetailInfo"));
    ui.laDetailInfo->setWordWrap(true);
    ui.laDetailInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ui.laDetailInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ui.laDetailInfo->setTextFormat(Qt::PlainText);
    ui.detailArea = new QScrollArea(this);
    ui.detailArea->setObjectName(QStringLiteral("detailArea"));
    ui.detailArea->setFrameShape(QFrame::NoFrame);
    ui.detailArea->setWidgetResizable(true);
    ui.detailArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui.detailArea->setWidget(ui.laDetailInfo);
    ui.detailArea->hide();

    ui.bbIgnore = new QPushButton(QStringLiteral("|Ignorer"), this);
    ui.bbIgnore->setObjectName(QStringLiteral("bbIgnore"));
    ui.bbIgnore->setDefault(true);
    ui.bbAbort = new QPushButton(QStringLiteral("|&Abandon"), this);
    ui.bbAbort->setObjectName(QStringLiteral("bbAbort"));
    ui.bbDetail = new QPushButton(QStringLiteral("|&Détails..."), this);
    ui.bbDetail->setObjectName(QStringLiteral("bbDetail"));

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ui.bbIgnore);
    buttons->addWidget(ui.bbAbort);
    buttons->addWidget(ui.bbDetail);
    buttons->addStretch();

    // icon and message side by side, the details under them, the buttons
    // in a column on the right
    auto* grid = new QGridLayout(this);
    grid->addWidget(ui.im, 0, 0);
    grid->addWidget(ui.laUserInfo, 0, 1);
    grid->addWidget(ui.detailArea, 1, 0, 1, 2);
    grid->addLayout(buttons, 0, 2, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
    // the window is as large as its parts, never resized by hand
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(ui.bbIgnore, &QPushButton::clicked, this, [this] { done(mrIgnore); });
    connect(ui.bbAbort, &QPushButton::clicked, this, [this] { done(mrAbort); });
    connect(ui.bbDetail, &QPushButton::clicked, this, [this] { Guard(this, [this] { bbDetailClick(); }); });

    ui.bbIgnore->setFocus();
    // This window must come up whatever happens: without a language
    // component its texts show in French.
    LangClientLoadedOrPlain(this);
}

TfmErrorHandler2::~TfmErrorHandler2() = default;

void TfmErrorHandler2::SetDetails(const QString& details)
{
    m_ui->laDetailInfo->setText(details);
}

void TfmErrorHandler2::bbDetailClick()
{
    Ui& ui = *m_ui;
    // Long details get the room they need, within reason; past that they
    // scroll.
    const int width = ui.laUserInfo->width() + ui.im->sizeHint().width() + layout()->spacing();
    const int needed = ui.laDetailInfo->heightForWidth(width - style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    const int most = fontMetrics().lineSpacing() * kDetailLines;
    ui.detailArea->setFixedSize(width, qBound(fontMetrics().lineSpacing(), needed, most));
    ui.detailArea->show();
    ui.bbDetail->setEnabled(false);
}

int TfmErrorHandler2::Run()
{
    adjustSize();
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    m_ui->bbIgnore->setFocus();
    const int r = RunModal(*this);
    return r == mrAbort ? mrAbort : mrIgnore;
}

int TfmErrorHandler2::Show(const QString& caption, const QString& details)
{
    TfmErrorHandler2 w(QApplication::activeWindow());
    w.SetDetails(details);
    w.setWindowTitle(caption);
    return w.Run();
}

} // namespace mx::ui
