#pragma once
// The designer windows' tests: the settings object over a settings folder
// of the test's own, the engine over the build's installation folder and
// its bundled sample, the scripted user-interface service, and a quit that
// only counts.

#include "query/designer/querydesigner.h"

#include "tests/support/samplefiles.h"
#include "tests/support/ui/scriptedmodal.h"
#include "tests/support/ui/scriptedservice.h"
#include "tests/ui/uitest.h"

#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

namespace mxtest {

// The designer's tool button of that name.
QToolButton* DesignerButton(mx::TfmQueryDesigner* w, const char* name);
// Adds the first count fields of the first entity of the set to the
// current step, as a drop from the outline does.
void AddFirstFields(mx::TfmQueryDesigner* w, int count);

class DesignerTest : public ::testing::Test {
protected:
    DesignerTest();
    ~DesignerTest() override;

    QString Path(const QString& name) const { return m_dir.filePath(name); }
    // The user's settings file.
    QString UserIni() const { return Path(QStringLiteral("settings/MORVELIN.INI")); }
    // The names of a recent-file list, as the settings object holds it.
    QStringList History(int n) const;

    // Lets posted events and deferred deletes run.
    static void Settle();
    // Closes every designer still open, whatever it holds.
    void CloseAll();

    QTemporaryDir m_dir;
    mx::ui::test::ScopedScriptedUi ui;
    int quits = 0;

private:
    QByteArray m_oldWinDir;
};

} // namespace mxtest
