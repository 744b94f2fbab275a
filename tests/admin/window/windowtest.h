#pragma once
// What the tests of the data model window share: the administration
// dialogs' fixture (the sample's definitions and alias, the scripted
// service and modal runner), a settings object of its own (recent files),
// the window count's end recorded instead of quitting, and the sample
// model saved as VENTES.MDD with the administrator's login.

#include "tests/admin/dialogs/admintest.h"

#include "admin/window/datamodelwindow.h"
#include "admin/diagram/graph.h"
#include "admin/window/modeleditors.h"

#include "admin/dialogs/adminhooks.h"

#include "engine/core/hookslot.h"
#include "engine/errors/errorhandler.h"
#include "engine/model/datamodel.h"
#include "engine/settings/global.h"
#include "engine/settings/mru.h"
#include "engine/tools/hooks.h"

#include "tests/support/testsupport.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QToolButton>

#include <vector>

namespace admintest {

class WindowTest : public AdminDialogTest {
protected:
    void SetUp() override
    {
        m_savedWindir = qgetenv("MORVELIN_WINDIR");
        QDir().mkpath(Path(QStringLiteral("win")));
        qputenv("MORVELIN_WINDIR", Path(QStringLiteral("win")).toLocal8Bit());
        mx::CreateAppGlobal();
        mx::InstallExceptionHandler();
        mx::admin::DataModelWindows().Quit = [this] { ++quits; };
        mx::LoginPromptHook.set([this](const QString& caption, QString& user, QString& password) {
            logins << caption;
            user = loginUser;
            password = loginPassword;
            return !loginUser.isEmpty();
        });
    }
    void TearDown() override
    {
        for (const QPointer<mx::admin::TfmDataModel>& w : m_windows)
            delete w.data();
        m_windows.clear();
        mx::admin::DataModelWindows().Quit = nullptr;
        mx::LoginPromptHook.clear();
        mx::RemoveExceptionHandler();
        mx::FreeAppGlobal();
        mx::FreeMRUs();
        qputenv("MORVELIN_WINDIR", m_savedWindir);
    }

    // A window, freed at the end of the test when still open.
    mx::admin::TfmDataModel* NewWindow()
    {
        auto* w = new mx::admin::TfmDataModel;
        m_windows.push_back(w);
        return w;
    }

    // The sample model saved as a file (users Admin/"secret" and Marie).
    QString SampleFile(const QString& name = QStringLiteral("VENTES.MDD"))
    {
        const QString file = Path(name);
        mxtest::SaveSampleModel(file);
        return file;
    }

    // A window on the sample's file, opened as the administrator.
    mx::admin::TfmDataModel* WindowOnSample(const QString& file)
    {
        auto* w = NewWindow();
        loginUser = QStringLiteral("Admin");
        loginPassword = QStringLiteral("secret");
        w->OpenModel(file, false);
        EXPECT_NE(w->Model(), nullptr) << m_ui.service.texts(QStringLiteral("message")).join(u'\n').toStdString();
        return w;
    }

    static QByteArray FileBytes(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Closes a window as its title bar would and lets a deferred delete run.
    static void CloseWindow(QWidget* w)
    {
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static void Trigger(QWidget* w, const char* action)
    {
        QAction* a = w->findChild<QAction*>(QString::fromLatin1(action));
        ASSERT_NE(a, nullptr) << action;
        ASSERT_TRUE(a->isEnabled()) << action;
        a->trigger();
    }

    mx::ui::test::TScriptedUiService& ui() { return m_ui.service; }

    int quits = 0;
    QString loginUser;
    QString loginPassword;
    QStringList logins;
    std::vector<QPointer<mx::admin::TfmDataModel>> m_windows;

private:
    QByteArray m_savedWindir;
};

} // namespace admintest
