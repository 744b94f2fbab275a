#include "errorwindow.h"

#include "core/userservice.h"
#include "errors/errorhandler.h"
#include "settings/lang.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace mx::ui {
namespace {

constexpr int kClientWidth = 409;
constexpr int kClientHeight = 110;
constexpr int kMaxHeight = 400;

} // namespace

TfmErrorHandler2::TfmErrorHandler2(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmErrorHandler2"));
    setWindowTitle(QStringLiteral("|Erreur de l'application"));
    setModal(true);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);

    laUserInfo = new QLabel(QStringLiteral("|L'application a provoqué une erreur inattendue. Vous pouvez poursuivre où quitter le programme."), this);
    laUserInfo->setObjectName(QStringLiteral("laUserInfo"));
    laUserInfo->setWordWrap(true);
    laUserInfo->setGeometry(64, 16, 233, 33);

    im = new QLabel(this);
    im->setObjectName(QStringLiteral("im"));
    im->setGeometry(16, 16, 32, 32);
    im->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));

    laDetailInfo = new QLabel(this);
    laDetailInfo->setObjectName(QStringLiteral("laDetailInfo"));
    laDetailInfo->setWordWrap(true);
    laDetailInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    laDetailInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    laDetailInfo->setTextFormat(Qt::PlainText);
    laDetailInfo->setGeometry(8, 50, 297, 55);
    laDetailInfo->hide();

    bbIgnore = new QPushButton(QStringLiteral("|Ignorer"), this);
    bbIgnore->setObjectName(QStringLiteral("bbIgnore"));
    bbIgnore->setGeometry(324, 8, 77, 27);
    bbIgnore->setDefault(true);
    bbAbort = new QPushButton(QStringLiteral("|&Abandon"), this);
    bbAbort->setObjectName(QStringLiteral("bbAbort"));
    bbAbort->setGeometry(324, 40, 77, 27);
    bbDetail = new QPushButton(QStringLiteral("|&Détails..."), this);
    bbDetail->setObjectName(QStringLiteral("bbDetail"));
    bbDetail->setGeometry(324, 72, 77, 27);

    connect(bbIgnore, &QPushButton::clicked, this, [this] { done(mrIgnore); });
    connect(bbAbort, &QPushButton::clicked, this, [this] { done(mrAbort); });
    connect(bbDetail, &QPushButton::clicked, this, [this] { Guard(this, [this] { bbDetailClick(); }); });

    setFixedSize(kClientWidth, kClientHeight);
    bbIgnore->setFocus();
    // This window must come up whatever happens: without a language
    // component its texts show in French.
    LangClientLoadedOrPlain(this);
}

void TfmErrorHandler2::SetDetails(const QString& details)
{
    laDetailInfo->setText(details);
}

void TfmErrorHandler2::bbDetailClick()
{
    laDetailInfo->show();
    bbDetail->setEnabled(false);
    // Long details get the room they need, within reason.
    const int needed = laDetailInfo->heightForWidth(laDetailInfo->width());
    const int height = qBound(kClientHeight, laDetailInfo->y() + needed + 4, kMaxHeight);
    if (height != this->height())
        setFixedSize(kClientWidth, height);
    FormResize();
}

void TfmErrorHandler2::FormResize()
{
    laDetailInfo->resize(laDetailInfo->width(), qMax(0, height() - laDetailInfo->y() - 4));
}

void TfmErrorHandler2::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    FormResize();
}

int TfmErrorHandler2::Run()
{
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    bbIgnore->setFocus();
    const int r = exec();
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
