// mkpreview: writes the configuration window's preview files from their
// readable text form (data/preview/README.md).
//
//   mkpreview <preview folder> <output folder>
//
// defmodel.mxf.txt becomes defmodel.mxf and DefQuery.mxf.txt DefQuery.mxf,
// written by the engine's own writer. Both texts are read and checked
// first: on any error nothing is written. Both files are written into a
// scratch folder inside the output folder, read back there (the query
// opens its model beside it) and compared, then renamed over their
// targets.

#include "previewtext.h"

#include "engine/core/exceptions.h"
#include "engine/core/itemptr.h"
#include "engine/model/datamodel.h"
#include "engine/query/query.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

#include <stdio.h>

namespace {

using namespace mx;

constexpr const char* kModelFile = "defmodel.mxf";
constexpr const char* kQueryFile = "DefQuery.mxf";
// The preview opens the model as this user, with an empty password.
constexpr const char* kUser = "Admin";

void say(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

struct Failure {
    QString message;
};

QString readText(const QDir& source, const QString& name)
{
    QFile f(source.filePath(name));
    if (!f.open(QIODevice::ReadOnly))
        throw Failure{QStringLiteral("%1: %2").arg(name, f.errorString())};
    return QString::fromUtf8(f.readAll());
}

void renameOver(const QString& from, const QString& to)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw Failure{QStringLiteral("cannot rename %1 to %2").arg(from, to)};
}

void write(const QDir& source, const QDir& out)
{
    const QString modelName = QString::fromLatin1(kModelFile);
    const QString queryName = QString::fromLatin1(kQueryFile);
    const QString modelText = readText(source, modelName + QStringLiteral(".txt"));
    const QString queryText = readText(source, queryName + QStringLiteral(".txt"));

    // Checked in memory first.
    TItemPtr<TMxDataModel> model(mkpreview::ParseModelText(modelName + QStringLiteral(".txt"), modelText));
    {
        TItemPtr<TMxQuery> probe(mkpreview::ParseQueryText(queryName + QStringLiteral(".txt"), queryText, model.get()));
        if (probe->DmFilename() != modelName)
            throw Failure{QStringLiteral("%1.txt: the query must name the model %2").arg(queryName, modelName)};
    }

    if (!out.exists() && !QDir().mkpath(out.path()))
        throw Failure{QStringLiteral("cannot make %1").arg(out.path())};
    const QString scratchPath = out.filePath(QStringLiteral(".mkpreview"));
    QDir(scratchPath).removeRecursively();
    if (!QDir().mkpath(scratchPath))
        throw Failure{QStringLiteral("cannot make %1").arg(scratchPath)};
    const QDir scratch(scratchPath);
    struct Cleanup {
        QString path;
        ~Cleanup() { QDir(path).removeRecursively(); }
    } cleanup{scratchPath};

    // The model, read back as the preview opens it.
    const QString modelFile = scratch.filePath(modelName);
    model->SaveToFile(modelFile);
    TItemPtr<TMxDataModel> opened(new TMxDataModel(nullptr));
    opened->Open(modelFile, QString::fromLatin1(kUser), QString());
    if (opened->SaveToBytes() != model->SaveToBytes())
        throw Failure{QStringLiteral("%1 does not read back as written").arg(modelName)};

    // The query over the model read back, then read back itself.
    const QString queryFile = scratch.filePath(queryName);
    TItemPtr<TMxQuery> query(mkpreview::ParseQueryText(queryName + QStringLiteral(".txt"), queryText, opened.get()));
    query->SaveToFile(queryFile);
    TItemPtr<TMxQuery> again(new TMxQuery(nullptr));
    again->SetLogin(QString::fromLatin1(kUser), QString());
    again->LoadFromFile(queryFile);
    if (again->SaveToBytes() != query->SaveToBytes())
        throw Failure{QStringLiteral("%1 does not read back as written").arg(queryName)};
    again.reset();
    query.reset();

    renameOver(modelFile, out.filePath(modelName));
    renameOver(queryFile, out.filePath(queryName));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        say(QStringLiteral("usage: mkpreview <preview folder> <output folder>"));
        return 2;
    }
    try {
        write(QDir(QFile::decodeName(argv[1])), QDir(QFile::decodeName(argv[2])));
    } catch (const mkpreview::TextError& e) {
        say(QStringLiteral("mkpreview: ") + e.message);
        return 1;
    } catch (const Failure& e) {
        say(QStringLiteral("mkpreview: ") + e.message);
        return 1;
    } catch (const std::exception& e) {
        say(QStringLiteral("mkpreview: ") + ExceptionMessage(e));
        return 1;
    }
    return 0;
}
