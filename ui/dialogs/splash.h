#pragma once
// The splash window fmSplash: the installation's logo picture of the
// current language in a borderless white window with a one-pixel frame,
// centred on the screen, shown while the start-up goes on and then held
// for the splash delay (3000 ms).

#include "engine/core/hookslot.h"

#include <QWidget>

#include <memory>

namespace mx::ui {

class TfmSplash : public QWidget {
    Q_OBJECT

public:
    explicit TfmSplash(const QPixmap& picture, const QString& moduleTitle);
    ~TfmSplash() override;
    // How many times the window was painted.
    int PaintCount() const { return m_paints; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    int m_paints = 0;
};

// "<root>LOGO<lang>.BMP"; empty when the root folder is empty.
QString LogoFileName(const QString& rootDir, const QString& langCode);

// The wait after the splash is painted, in ms; by default an event loop
// that repaints the window and holds user input back. Tests replace it.
extern THookSlot<void(int ms)> SplashDelay;

// Shows the splash of the installation's logo (nothing when there is no
// picture), lets it be painted, waits through SplashDelay(3000), and
// closes it. Returns the
// window's size when it was shown.
QSize ShowSplash(const QString& rootDir, const QString& langCode, const QString& moduleTitle);

} // namespace mx::ui
