// The administration program's start-up: the shared start-up first, one
// data model window, the exit status; and morva32 itself, started on an
// installation that holds nothing.

#include "windowtest.h"

#include "admin/window/adminstart.h"

#include <QProcess>
#include <QTemporaryDir>

namespace admintest {
namespace {

using mx::admin::TAdminProgramParts;

class AdminStartUp : public WindowTest {};

TEST_F(AdminStartUp, AFailedStartUpOpensNoWindowAndEndsWithAFailureStatus)
{
    QStringList steps;
    TAdminProgramParts parts;
    parts.InitApplication = [&] { steps << QStringLiteral("init"); return false; };
    parts.RegisterDialogs = [&] { steps << QStringLiteral("dialogs"); };
    parts.OpenWindow = [&] { steps << QStringLiteral("window"); };
    parts.Run = [&] { steps << QStringLiteral("run"); return 0; };
    EXPECT_EQ(mx::admin::RunAdministration(parts), 1);
    EXPECT_EQ(steps, QStringList{QStringLiteral("init")});
    EXPECT_EQ(mx::admin::DataModelWindows().Count(), 0);
}

TEST_F(AdminStartUp, TheProgramOpensOneDataModelWindowAndEndsWithItsLast)
{
    TAdminProgramParts parts = mx::admin::DefaultAdminProgramParts();
    parts.InitApplication = [] { return true; };
    parts.RegisterDialogs = [] {};
    int windowsWhenRunning = -1;
    QString title;
    parts.Run = [&] {
        windowsWhenRunning = mx::admin::DataModelWindows().Count();
        QList<QPointer<mx::admin::TfmDataModel>> open;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* window = dynamic_cast<mx::admin::TfmDataModel*>(w))
                open << window;
        for (const QPointer<mx::admin::TfmDataModel>& window : open) {
            title = window->windowTitle();
            EXPECT_TRUE(window->isVisible());
            EXPECT_EQ(window->Model(), nullptr) << "nobody logs in at start";
            CloseWindow(window);
        }
        return 0;
    };
    EXPECT_EQ(mx::admin::RunAdministration(parts), 0);
    EXPECT_EQ(windowsWhenRunning, 1);
    EXPECT_EQ(title, QStringLiteral("Morvelin Administration"));
    EXPECT_EQ(mx::admin::DataModelWindows().Count(), 0);
    EXPECT_EQ(quits, 1);
}

// The program alone in a folder, without definitions, and no installation
// named anywhere: the start-up fails and says why, and the process ends
// with a failure status instead of waiting for a window.
TEST(Morva32, WithAnEmptyInstallationItEndsWithAFailureStatus)
{
    QTemporaryDir dir;
    const QDir bin(mxtest::BinDir());
    const QString install = dir.filePath(QStringLiteral("install"));
    QDir().mkpath(install);
    for (const QString& f : bin.entryList({QStringLiteral("morva32"), QStringLiteral("*.so*")}, QDir::Files))
        ASSERT_TRUE(QFile::copy(bin.filePath(f), QDir(install).filePath(f))) << f.toStdString();
    const QString program = QDir(install).filePath(QStringLiteral("morva32"));
    QFile::setPermissions(program, QFile::permissions(bin.filePath(QStringLiteral("morva32"))));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("MORVELIN_WINDIR"), dir.filePath(QStringLiteral("settings")));
    env.insert(QStringLiteral("MORVELIN_REGISTRY"), dir.filePath(QStringLiteral("registry.ini")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir.path());
    p.start(program, {});
    ASSERT_TRUE(p.waitForFinished(60000)) << "morva32 waits for something";
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(p.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("Please start install again"))) << err.toStdString();
}

} // namespace
} // namespace admintest
