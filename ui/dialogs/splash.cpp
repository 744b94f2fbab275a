#include "splash.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace mx::ui {

THookSlot<void(int)> SplashDelay;

struct TfmSplash::TUi {
    QLabel* im = nullptr;
    QLabel* laModule = nullptr;
};

TfmSplash::TfmSplash(const QPixmap& picture, const QString& moduleTitle)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), m_ui(std::make_unique<TUi>())
{
    TUi& u = *m_ui;
    setObjectName(QStringLiteral("fmSplash"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    u.im = new QLabel(this);
    u.im->setObjectName(QStringLiteral("im"));
    u.im->setPixmap(picture);
    u.im->setGeometry(1, 1, picture.width(), picture.height());
    u.laModule = new QLabel(moduleTitle, this);
    u.laModule->setObjectName(QStringLiteral("laModule"));
    u.laModule->hide();
    setFixedSize(picture.width() + 2, picture.height() + 2);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
    }
}

TfmSplash::~TfmSplash() = default;

void TfmSplash::paintEvent(QPaintEvent* e)
{
    ++m_paints;
    QWidget::paintEvent(e);
    QPainter p(this);
    p.setPen(Qt::black);
    p.drawRect(0, 0, width() - 1, height() - 1);
}

QString LogoFileName(const QString& rootDir, const QString& langCode)
{
    // An empty root would mean the working folder, where any stray file
    // would do: no splash then.
    if (rootDir.isEmpty())
        return {};
    return QDir(rootDir).filePath(QStringLiteral("LOGO") + langCode + QStringLiteral(".BMP"));
}

QSize ShowSplash(const QString& rootDir, const QString& langCode, const QString& moduleTitle)
{
    const QString file = LogoFileName(rootDir, langCode);
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return {};
    const QImage picture(file);
    if (picture.isNull())
        return {};
    TfmSplash splash(QPixmap::fromImage(picture), moduleTitle);
    splash.show();
    // A window is painted only once the window system has mapped it, which
    // a window manager may take a while to do: the events are let through
    // until the logo has been drawn (a second at most), so the wait below
    // never holds a black rectangle.
    QElapsedTimer mapping;
    mapping.start();
    while (mapping.elapsed() < 1000) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 50);
        const QWindow* window = splash.windowHandle();
        if (window && window->isExposed()) {
            if (splash.PaintCount() == 0)
                splash.repaint();
            if (splash.PaintCount() > 0)
                break;
        }
    }
    const QSize shown = splash.size();
    if (SplashDelay) {
        SplashDelay(3000);
    } else {
        // The wait lets the window repaint when it is uncovered; clicks
        // and keys wait for the windows that follow.
        QEventLoop wait;
        QTimer::singleShot(3000, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return shown;
}

} // namespace mx::ui
