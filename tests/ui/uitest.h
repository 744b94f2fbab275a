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

// Runs answer once, on the next modal window that opens (within 5 s); a
// window that never opens fails the test.
inline void WhenModal(std::function<void(QWidget*)> answer)
{
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, answer] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w && clock->elapsed() < 5000)
            return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (!w) {
            ADD_FAILURE() << "no modal window opened";
            return;
        }
        answer(w);
    });
    timer->start();
}

} // namespace mxtest
