#pragma once
// The programs' folder the build wrote (MORVELIN_BIN) with its definition
// files and sample, for the tests that read them.

#include "testsupport.h"

#include <QString>

namespace mxtest {

// The built programs' folder.
QString BinDir();
// A file of the sample in that folder (bin/sample/name).
QString SampleFile(const QString& name);

// EngineTest with the installation's field types, destination types and
// datasources loaded from BinDir() (the query settings object made for
// them); the engine is shut down at the end.
class SampleEngineTest : public EngineTest {
protected:
    SampleEngineTest();
    ~SampleEngineTest() override;
};

} // namespace mxtest
