// The local server running a query a designer window holds: the window's
// views let go of the results before the run and show the new ones after
// it (run under the address sanitizer, a view reading a freed result
// would fail the test); while a modal dialog of the program is open, the
// requests of other programs wait for it to close.

#include "designerfixture.h"

#include "query/designer/commandlink.h"
#include "query/dialogs/fmextdest.h"
#include "query/dialogs/fmsortfields.h"
#include "query/params/parameditor.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "query/server/ddelistener.h"
#include "query/server/ddeserver.h"
#include "query/server/enginebusy.h"

#include "query/dde/ddeclient.h"
#include "ui/controls/mxgrid.h"
#include "tests/support/ui/scriptedmodal.h"

#include "ui/dialogs/logindialog.h"
#include "ui/dialogs/promptdialog.h"
#include "ui/formula/fmformula.h"
#include "ui/options/fmoptions.h"
#include "startup/startup.h"

#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>

using namespace mx;
using mxtest::SampleFile;

class DesignerServed : public mxtest::DesignerTest {};

TEST_F(DesignerServed, ARunFromAnotherProgramRebindsTheDesignersGrid)
{
    auto* w = TfmQueryDesigner::CreateFromFile(SampleFile(QStringLiteral("VENTES_PAR_PRODUIT.MQR")));
    ASSERT_NE(w->GetQuery(), nullptr);
    w->findChild<QToolButton*>(QStringLiteral("fbRun"))->click();
    auto* grid = w->findChild<ui::TMxGrid*>();
    ASSERT_NE(grid, nullptr);
    TIMxDataset* first = grid->DataSet();
    ASSERT_NE(first, nullptr) << "the window's own run shows its rows";
    const int rows = first->GetRecordCount();
    (void)w->grab();

    TfmOleDdeServer server;
    const QString name = w->GetQuery()->GetName().toLower(); // any case finds it
    ASSERT_EQ(server.FindQuery(name), w->GetQuery());
    EXPECT_EQ(server.RunQuery(name), 1);
    TIMxDataset* now = grid->DataSet();
    ASSERT_NE(now, nullptr) << "the grid shows the new result";
    EXPECT_EQ(now, w->CurrentStep()->Dataset());
    EXPECT_EQ(now->GetRecordCount(), rows);
    (void)w->grab(); // paints the grid over the new result
    EXPECT_EQ(server.CloseQuery(name), 0) << "a designer's query is never closed by the server";
    EXPECT_NE(w->GetQuery(), nullptr);
}

namespace {

// The program's hold over modal dialogs for one test, then none again.
struct ScopedEngineHold {
    ScopedEngineHold() { HoldEngineWhileModal(); }
    ~ScopedEngineHold() { ui::SetModalHold({}); }
};

} // namespace

TEST_F(DesignerServed, EveryModalDialogKeepsTheEngineBusyWhileItIsOpen)
{
    auto* w = TfmQueryDesigner::CreateFromFile(SampleFile(QStringLiteral("VENTES_PAR_PRODUIT.MQR")));
    TMxQuery* q = w->GetQuery();
    ASSERT_NE(q, nullptr);
    TMxQueryStep* step = w->CurrentStep();
    ASSERT_NE(step, nullptr);
    ASSERT_GT(step->AllFields()->Count(), 0);
    TMxQueryField* field = step->AllFields()->Items(0);
    const ScopedEngineHold hold;
    // The prompt and the login open only where someone could answer.
    ScopedHook interactive(InteractivePlatformOverride, [] { return true; });

    struct Case {
        const char* dialog;
        std::function<void()> open;
    };
    const Case cases[] = {
        {"formula", [&] { ui::EditFieldFilter(q, step->Id(), field); }},
        {"sort", [&] { EditSort(step); }},
        {"result options", [&] { EditDestinations(step); }},
        {"parameter editor",
            [&] { EditParams(QStringLiteral("Paramètres"), q->DataModel(), q->ParamControls(), q->Params()); }},
        {"prompt", [&] {
             QString value = QStringLiteral("x");
             ui::PromptStringSimple(QStringLiteral("Nom"), QStringLiteral("Le nom"), value);
         }},
        {"login", [&] {
             QString user, password;
             ui::PromptLogin(QStringLiteral("Connexion"), user, password);
         }},
        {"options", [&] { ui::ShowOptions(w); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dialog);
        ui::test::TScriptedModal modal;
        std::optional<bool> busyInside;
        modal.Reject([&](QDialog&) { busyInside = EngineBusy(); });
        ASSERT_FALSE(EngineBusy());
        c.open();
        EXPECT_EQ(modal.shown.size(), 1) << "the entry runs its dialog through the modal runner";
        EXPECT_EQ(busyInside, std::optional<bool>(true));
        EXPECT_FALSE(EngineBusy()) << "the engine is free once the dialog has closed";
    }
    CloseAll();
}

TEST_F(DesignerServed, ARunFromAnotherProgramWaitsWhileTheDesignersSortDialogIsOpen)
{
    QTemporaryDir sockets;
    const QByteArray oldRuntimeDir = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(sockets.path()));
    struct RestoreEnv {
        QByteArray old;
        ~RestoreEnv() { qputenv("XDG_RUNTIME_DIR", old); }
    } restore{oldRuntimeDir};

    auto* w = TfmQueryDesigner::CreateFromFile(SampleFile(QStringLiteral("VENTES_PAR_PRODUIT.MQR")));
    ASSERT_NE(w->GetQuery(), nullptr);
    w->findChild<QToolButton*>(QStringLiteral("fbRun"))->click();
    auto* grid = w->findChild<ui::TMxGrid*>();
    ASSERT_NE(grid, nullptr);
    ASSERT_NE(grid->DataSet(), nullptr);
    TfmOleDdeServer server;
    TDdeListener listener(&server);
    ASSERT_TRUE(listener.Listen(QStringLiteral("morv32"))) << listener.ErrorString().toStdString();
    const ScopedEngineHold hold;

    // Spins the event loop until done() holds; false after some 10 s.
    const auto spinUntil = [](const std::function<bool()>& done) {
        for (int round = 0; round < 2000 && !done(); ++round) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (!done())
                QThread::msleep(5);
        }
        return done();
    };
    const QString name = w->GetQuery()->GetName();
    std::atomic<bool> done{false};
    std::optional<QString> answer;
    std::thread client;
    int runsInside = -1;
    ui::test::TScriptedModal modal;
    modal.Reject([&](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), QStringLiteral("fmSortFields"));
        // A result is told apart by its life, not its address: a new one
        // may be given the address of the one it replaced.
        const std::weak_ptr<const void> before = grid->DataSet()->LifeToken();
        client = std::thread([&] {
            dde::TClient c;
            if (c.Connect(listener.SocketPath()))
                answer = c.Execute(QStringLiteral("RUN(%1)").arg(name), false);
            done = true;
        });
        EXPECT_TRUE(spinUntil([&] { return listener.WaitingRequests() == 1; })) << "the RUN came and waits";
        runsInside = before.expired() ? 1 : 0;
        EXPECT_FALSE(done.load()) << "no answer while the dialog is open";
    });
    EditSort(w->CurrentStep());
    EXPECT_EQ(modal.shown.size(), 1);
    EXPECT_EQ(runsInside, 0) << "the query did not run under its sort dialog";

    // Once the dialog has closed, the RUN is served.
    const std::weak_ptr<const void> beforeRun = grid->DataSet()->LifeToken();
    EXPECT_TRUE(spinUntil([&] { return done.load(); }));
    if (client.joinable())
        client.join();
    EXPECT_TRUE(answer.has_value()) << "the RUN was answered";
    EXPECT_TRUE(beforeRun.expired()) << "and it ran, the former result let go";
    ASSERT_NE(grid->DataSet(), nullptr);
    EXPECT_EQ(grid->DataSet(), w->CurrentStep()->Dataset()) << "the grid bound to the new result";
    CloseAll();
}
