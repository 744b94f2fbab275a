// What the start-up asks before it makes its application object: whether
// a run of a query file may print a report (and so needs a GUI
// application), and so whether the run starts without windows.

#include "query/unattended/reportneed.h"
#include "query/unattended/windowless.h"

#include "engine/core/hookslot.h"
#include "engine/driver/rootdir.h"
#include "engine/stream/filer.h"

#include "tests/support/samplefiles.h"
#include "tests/support/testsupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace mx;

namespace {

class PrintNeed : public mxtest::EngineTest {};

TEST_F(PrintNeed, ToldFromTheFileAlone)
{
    // The same query, stored plain (files written elsewhere may be).
    QByteArray bytes = mxtest::ReadAll(mxtest::SampleFile(QStringLiteral("VENTES_PAR_PRODUIT.MQR")));
    ASSERT_EQ(static_cast<unsigned char>(bytes[0]), 0xFE) << "saved files are scrambled";
    ScrambleFileBytes(bytes); // scrambling twice gives the bytes back
    mxtest::WriteAll(Path(QStringLiteral("plain.MQR")), bytes);
    mxtest::WriteAll(Path(QStringLiteral("garbage.MQR")), "not a query file");
    mxtest::WriteAll(Path(QStringLiteral("cut.MQR")), bytes.left(bytes.indexOf("Rapport") + 9));

    struct Case {
        QString file;
        QStringList types;
        bool prints;
    };
    const Case cases[] = {
        {mxtest::SampleFile(QStringLiteral("VENTES_PAR_PRODUIT.MQR")), {}, true},
        {Path(QStringLiteral("plain.MQR")), {}, true},
        {mxtest::SampleFile(QStringLiteral("VENTES_PAR_PRODUIT.MQR")), {QStringLiteral("Autre")}, false},
        {mxtest::SampleFile(QStringLiteral("CLIENTS.MQR")), {}, false},      // no report destination on
        {mxtest::SampleFile(QStringLiteral("CLIENTS_FIDELES.MQR")), {}, false},
        {Path(QStringLiteral("absent.MQR")), {}, false},
        {Path(QStringLiteral("garbage.MQR")), {}, false},
        {Path(QStringLiteral("cut.MQR")), {}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QueryFileNeedsReportLayer(c.file, c.types), c.prints) << c.file.toStdString();
    EXPECT_TRUE(m_service.messages.isEmpty() && m_service.warnings.isEmpty()) << "nothing is said";
}

// The run starts without windows only when it is unattended, nobody
// watches and no report of ours prints; the report types come from the
// installation's destination file.
TEST_F(PrintNeed, TheRunStartsWithoutWindowsOnlyWhenNothingIsShownOrDrawn)
{
    const QString bin = mxtest::BinDir();
    ScopedHook<THookSlot<QString()>> root{RootDirOverride, [bin] { return bin + u'/'; }};
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    struct Case {
        const char* platform;
        QStringList args;
        bool withoutWindows;
    };
    const QString clients = mxtest::SampleFile(QStringLiteral("CLIENTS.MQR"));
    const QString sales = mxtest::SampleFile(QStringLiteral("VENTES_PAR_PRODUIT.MQR"));
    const Case cases[] = {
        {"offscreen", {QStringLiteral("/EXE"), clients}, true},
        {"minimal", {QStringLiteral("-EXE"), QStringLiteral("TRUE"), clients}, true},
        {"offscreen:fontengine=freetype", {QStringLiteral("/exe"), clients}, true},
        // the run fails on its own, saying the file is missing
        {"offscreen", {QStringLiteral("/EXE"), Path(QStringLiteral("absent.MQR"))}, true},
        {"offscreen", {QStringLiteral("/EXE"), sales}, false}, // prints its report
        {"xcb", {QStringLiteral("/EXE"), clients}, false},     // someone may answer a dialog
        {"offscreen", {clients}, false},                       // the designer
        {"offscreen", {}, false},
    };
    for (const Case& c : cases) {
        qputenv("QT_QPA_PLATFORM", c.platform);
        EXPECT_EQ(RunsWithoutWindows(c.args), c.withoutWindows) << c.platform << " " << c.args.join(u' ').toStdString();
    }
    qputenv("QT_QPA_PLATFORM", platform);
    EXPECT_TRUE(m_service.messages.isEmpty() && m_service.warnings.isEmpty()) << "nothing is said";
}

} // namespace
