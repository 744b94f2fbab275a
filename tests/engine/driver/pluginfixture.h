#pragma once
// A scratch installation folder for plug-in tests: the test plug-in
// variants are copied into it under the names a test needs, and the
// engine is shut down after every test.

#include "tests/support/testsupport.h"

#include "engine/core/hookslot.h"
#include "engine/driver/rootdir.h"

#include <QStringList>

#include <memory>

class PluginTest : public mxtest::EngineTest {
protected:
    PluginTest();
    ~PluginTest() override;

    // The root folder with a final "/".
    QString Root() const;
    // Copies the test plug-in variant ("dest", "nolang", "engine",
    // "nullengine") to folder/fileName (the root folder by default) and
    // returns the copy's absolute name.
    QString Install(const QString& variant, const QString& fileName, const QString& folder = {});
    // Whether the process has that library loaded at the moment.
    static bool IsMapped(const QString& absoluteFile);
    // Sets the command line the engine sees.
    static void SetArguments(const QStringList& args);
    // Warnings told by the plug-ins ("plugin: ..."), in order.
    QStringList PluginEvents() const;

private:
    std::unique_ptr<mx::ScopedHook<mx::THookSlot<QString()>>> m_root;
};
