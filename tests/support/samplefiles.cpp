#include "samplefiles.h"

#include "engine/destination/destinationtype.h"
#include "engine/driver/rootdir.h"
#include "engine/global/engineshutdown.h"
#include "engine/global/queryglobal.h"

#include <QDir>

namespace mxtest {

QString BinDir()
{
    return qEnvironmentVariable("MORVELIN_BIN");
}

QString SampleFile(const QString& name)
{
    return QDir(BinDir()).filePath(QStringLiteral("sample/") + name);
}

SampleEngineTest::SampleEngineTest()
{
    const QString root = BinDir();
    mx::RootDirOverride.set([root] { return root; });
    auto* global = new mx::TMxQueryGlobal(nullptr);
    mx::LoadDefinitionFile(global->FldTypes(), QStringLiteral("FLDTYPES.MXF"));
    mx::LoadDefinitionFile(mx::DestinationTypes(), QStringLiteral("BDEDST32.MXF"));
    mx::LoadDefinitionFile(mx::Datasources(), QStringLiteral("BDEDRIV.MXF"));
}

SampleEngineTest::~SampleEngineTest()
{
    mx::ShutdownEngine();
    mx::RootDirOverride.clear();
}

} // namespace mxtest
