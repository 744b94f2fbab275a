// The sample generator: the bundled sample's database, data models and
// queries, written with the engine's own classes into the programs' folder.
//
//   mksample SCRIPT.sql ROOTDIR
//       ROOTDIR/sample/: MORVELIN.DB from the script, EXEMPLE.MDD,
//       EXEMPLE_ACCES.MDD, the sample queries and the report files (.rpt)
//       found beside the script; the alias MORVELIN in ROOTDIR/ALIASES.INI
//   mksample --bench ROOTDIR FOLDER
//       the benchmark's queries over the sample model, into FOLDER
//   mksample --sql ROOTDIR QUERY.MQR
//       the SQL of every step of a query, as a run would send it

#include "sampledatabase.h"
#include "samplemodels.h"
#include "samplequeries.h"

#include "engine/core/exceptions.h"
#include "engine/destination/destinationtype.h"
#include "engine/driver/dbengine.h"
#include "engine/driver/rootdir.h"
#include "engine/global/engineshutdown.h"
#include "engine/global/queryglobal.h"
#include "engine/model/datamodel.h"
#include "engine/query/query.h"

#include "report/reportparts.h"

#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <stdexcept>

using namespace mx;

namespace {

// The definition lists the queries need, from the root directory. The
// sample is made for the built-in engine, whose files these are.
void loadDefinitions(const QString& rootDir)
{
    RootDirOverride.set([rootDir] { return rootDir; });
    auto* global = new TMxQueryGlobal(nullptr);
    if (FindEngineDriverClass()) {
        global->LoadGlobals();
        return;
    }
    LoadDefinitionFile(global->FilterCheck(), QString::fromLatin1(kFilterChecksFile));
    LoadDefinitionFile(global->FormulaCheck(), QString::fromLatin1(kFormulaChecksFile));
    LoadDefinitionFile(global->FormulaOperator(), QString::fromLatin1(kOperatorsFile));
    LoadDefinitionFile(global->FldTypes(), QString::fromLatin1(kFieldTypesFile));
    LoadDefinitionFile(DestinationTypes(), QStringLiteral("BDEDST32.MXF"));
    LoadDefinitionFile(Datasources(), QStringLiteral("BDEDRIV.MXF"));
}

// The report files of the runtime, as they stand.
void copyReports(const QDir& from, const QDir& to)
{
    for (const char* name : {mksample::kSalesReport, mksample::kClientsReport}) {
        const QString target = to.filePath(QString::fromLatin1(name));
        QFile::remove(target);
        if (!QFile::copy(from.filePath(QString::fromLatin1(name)), target))
            throw std::runtime_error(("Cannot copy " + from.filePath(QString::fromLatin1(name))).toStdString());
    }
}

void makeSample(const QString& script, const QString& rootDir)
{
    const QDir root(rootDir);
    if (!root.mkpath(QStringLiteral("sample")))
        throw std::runtime_error(("Cannot make " + root.filePath(QStringLiteral("sample"))).toStdString());
    const QDir sample(root.filePath(QStringLiteral("sample")));
    loadDefinitions(root.absolutePath());

    mksample::BuildDatabase(script, sample.filePath(QString::fromLatin1(mksample::kDatabaseFile)));
    mksample::WriteAlias(root.absolutePath(), QStringLiteral("sample/") + QString::fromLatin1(mksample::kDatabaseFile));

    const QString modelFile = sample.filePath(QString::fromLatin1(mksample::kModelFile));
    for (bool withUsers : {false, true}) {
        TMxDataModel* model = mksample::MakeModel(withUsers);
        try {
            mksample::SaveModel(model, withUsers ? sample.filePath(QString::fromLatin1(mksample::kModelWithUsersFile)) : modelFile);
        } catch (...) {
            model->Free();
            throw;
        }
        model->Free();
    }
    mksample::WriteSampleQueries(sample.absolutePath(), modelFile);
    copyReports(QFileInfo(script).absoluteDir(), sample);
}

void makeBench(const QString& rootDir, const QString& folder)
{
    loadDefinitions(QDir(rootDir).absolutePath());
    const QDir dir(folder);
    const QString modelFile = QDir(rootDir).filePath(QStringLiteral("sample/") + QString::fromLatin1(mksample::kModelFile));
    mksample::WriteBenchQuery(dir.filePath(QStringLiteral("BENCH_TXT.MQR")), modelFile, QStringLiteral("BENCH_TXT"), true, false);
    mksample::WriteBenchQuery(dir.filePath(QStringLiteral("BENCH_DBF.MQR")), modelFile, QStringLiteral("BENCH_DBF"), false, true);
    mksample::WriteBenchQuery(dir.filePath(QStringLiteral("BENCH_BOTH.MQR")), modelFile, QStringLiteral("BENCH_BOTH"), true, true);
}

void printSql(const QString& rootDir, const QString& queryFile)
{
    loadDefinitions(QDir(rootDir).absolutePath());
    auto* query = new TMxQuery(nullptr);
    try {
        query->LoadFromFile(queryFile);
        query->Prepare(false);
        for (int i = 0; i < query->Steps()->Count(); ++i)
            std::fputs(query->Steps()->Items(i)->SQL()->Text().toUtf8().constData(), stdout);
    } catch (...) {
        query->Free();
        throw;
    }
    query->Free();
}

int usage()
{
    std::fprintf(stderr,
        "usage: mksample SCRIPT.sql ROOTDIR\n"
        "       mksample --bench ROOTDIR FOLDER\n"
        "       mksample --sql ROOTDIR QUERY.MQR\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    // Reports are measured with fonts: a GUI application, on no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    rpt::RegisterReportClasses();
    const QStringList args = app.arguments().mid(1);
    int status = 0;
    try {
        if (args.size() == 3 && args[0] == u"--bench")
            makeBench(args[1], args[2]);
        else if (args.size() == 3 && args[0] == u"--sql")
            printSql(args[1], args[2]);
        else if (args.size() == 2 && !args[0].startsWith(u'-'))
            makeSample(args[0], args[1]);
        else
            status = usage();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mksample: %s\n", ExceptionMessage(e).toUtf8().constData());
        status = 1;
    }
    ShutdownEngine();
    return status;
}
