#include "designerfixture.h"

#include "ui/controls/entityoutline.h"
#include "engine/model/datamodel.h"
#include "engine/model/entity.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "engine/driver/rootdir.h"
#include "engine/errors/errorhandler.h"
#include "engine/global/engineshutdown.h"
#include "engine/global/queryglobal.h"
#include "engine/settings/global.h"
#include "engine/settings/mru.h"

#include "tests/support/testsupport.h"

#include <QApplication>
#include <QDir>
#include <QWidget>

using namespace mx;

namespace mxtest {

QToolButton* DesignerButton(TfmQueryDesigner* w, const char* name)
{
    return w->findChild<QToolButton*>(QString::fromLatin1(name));
}

void AddFirstFields(TfmQueryDesigner* w, int count)
{
    TMxQueryStep* step = w->CurrentStep();
    ASSERT_NE(step, nullptr);
    TMxEntityList* entities = step->DataModel()->DomainEntities();
    ASSERT_GT(entities->Count(), 0);
    auto* entity = static_cast<TMxEntity*>(entities->Items(0));
    ASSERT_GE(entity->WFields()->Count(), count);
    for (int i = 0; i < count; ++i)
        step->AddFields(entity, ui::TEntityOutline::FieldOfItem(entity->WFields()->Items(i)));
    w->GetQuery()->MarkModified();
    w->Editor().Changed();
}

DesignerTest::DesignerTest()
{
    InstallExceptionHandler();
    QDir(m_dir.path()).mkpath(QStringLiteral("settings"));
    QDir(m_dir.path()).mkpath(QStringLiteral("requetes"));
    WriteAll(UserIni(), QStringLiteral("[Options]\nShowTips=0\nPrivateQueryPath=%1/\n").arg(Path(QStringLiteral("requetes"))).toUtf8());
    m_oldWinDir = qgetenv("MORVELIN_WINDIR");
    qputenv("MORVELIN_WINDIR", QFile::encodeName(Path(QStringLiteral("settings"))));
    const QString root = BinDir();
    RootDirOverride.set([root] { return root; });
    CreateAppGlobal();
    auto* global = new TMxQueryGlobal(nullptr);
    global->LoadGlobals();
    DesignerCount().Quit = [this] { ++quits; };
}

DesignerTest::~DesignerTest()
{
    CloseAll();
    DesignerCount().Quit = nullptr;
    ShutdownEngine();
    FreeAppGlobal();
    RootDirOverride.clear();
    qputenv("MORVELIN_WINDIR", m_oldWinDir);
    RemoveExceptionHandler();
}

QStringList DesignerTest::History(int n) const
{
    return AppGlobal()->History(n)->Items();
}

void DesignerTest::Settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

void DesignerTest::CloseAll()
{
    TfmQueryDesigner::FreeAll();
    Settle();
}

} // namespace mxtest
