#pragma once
// What the widget tests share: one application object (ours, with its
// notify) on the offscreen platform. Dialogs are answered through the
// scripted modal runner (scriptedmodal.h).

#include "ui/errorwindow/application.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

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

} // namespace mxtest
