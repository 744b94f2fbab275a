#pragma once
// What the tests of the shared dialogs share: the scripted service, the
// exception handler, someone watching the offscreen screen, and a settings
// object over a scratch folder.

#include "tests/ui/uitest.h"

#include "tests/support/ui/scriptedmodal.h"
#include "tests/support/ui/scriptedservice.h"

#include "engine/core/userservice.h"
#include "engine/errors/errorhandler.h"
#include "engine/settings/global.h"
#include "engine/settings/mru.h"
#include "engine/tools/commandline.h"
#include "engine/settings/startparams.h"
#include "startup/startup.h"

#include "tests/support/testsupport.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>

namespace mxtest {

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedWindir = qgetenv("MORVELIN_WINDIR");
        qputenv("MORVELIN_WINDIR", m_dir.filePath(QStringLiteral("win")).toLocal8Bit());
        QDir().mkpath(m_dir.filePath(QStringLiteral("win")));
        m_ui = std::make_unique<mx::ui::test::ScopedScriptedUi>();
        mx::InstallExceptionHandler();
        mx::InteractivePlatformOverride.set([] { return true; });
    }
    void TearDown() override
    {
        mx::InteractivePlatformOverride.clear();
        mx::RemoveExceptionHandler();
        mx::FreeAppGlobal();
        mx::FreeMRUs();
        m_ui.reset();
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        qputenv("MORVELIN_WINDIR", m_savedWindir);
    }
    mx::ui::test::TScriptedUiService& ui() { return m_ui->service; }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    std::unique_ptr<mx::ui::test::ScopedScriptedUi> m_ui;
    // Answers the dialogs run through the modal runner.
    mx::ui::test::TScriptedModal m_modal;
    QByteArray m_savedWindir;
};

} // namespace mxtest
