#pragma once
// What the widget tests share: one application object (ours, with its
// notify) on the offscreen platform, and a way to answer modal windows.

#include "application.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace mxtest {

class UiEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "ui-test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new mx::ui::TMxApplication(argc, argv);
    }
};

inline const bool kUiEnvironment = (::testing::AddGlobalTestEnvironment(new UiEnvironment), true);

// Runs answer once, on the next modal window that opens. A window that
// has not opened within 30 s (a loaded machine may take seconds) fails the
// test; if it opens later still (within 2 minutes), it is closed
// unanswered, so that the test's exec() returns rather than waiting for
// ever.
inline void WhenModal(std::function<void(QWidget*)> answer)
{
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    auto late = std::make_shared<bool>(false);
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, late, answer] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) {
            if (!*late && clock->elapsed() >= 30000) {
                ADD_FAILURE() << "no modal window opened within 30 s";
                *late = true;
            } else if (clock->elapsed() >= 120000) {
                timer->stop(); // none will: stop looking
                timer->deleteLater();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (*late)
            w->close();
        else
            answer(w);
    });
    timer->start();
}

} // namespace mxtest
