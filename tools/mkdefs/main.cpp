// mkdefs: writes the installation's definition files (.MXF) from their
// readable text form.
//
//   mkdefs <definitions folder> <output folder>
//
// Every NAME.MXF.txt of the definitions folder becomes NAME.MXF in the
// output folder, written by the engine's own writer. All texts are read and
// checked first: on any error nothing is written. Each file is written
// beside its target and renamed over it, then read back and compared.

#include "definitionfile.h"
#include "sqlfunctionmirror.h"

#include "engine/core/exceptions.h"
#include "engine/core/list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

#include <stdio.h>

namespace {

void say(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

bool writeOne(const mkdefs::ParsedFile& file, const QDir& out)
{
    const QString target = out.filePath(file.targetName);
    const QString temporary = target + QStringLiteral(".new");
    try {
        QFile::remove(temporary);
        file.list->SaveToFile(temporary);
        // Read back: the file must give the same list.
        mx::TMxItem* check = file.list->Create(nullptr);
        QByteArray again;
        try {
            check->LoadFromFile(temporary);
            again = check->SaveToBytes();
        } catch (...) {
            check->Free();
            throw;
        }
        check->Free();
        if (again != file.list->SaveToBytes())
            throw mx::EMxException(QStringLiteral("%1 does not read back as written").arg(file.targetName));
        if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0)
            throw mx::EInOutError(QStringLiteral("cannot rename %1 to %2").arg(temporary, target));
    } catch (const std::exception& e) {
        QFile::remove(temporary);
        say(QStringLiteral("mkdefs: %1: %2").arg(file.targetName, mx::ExceptionMessage(e)));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        say(QStringLiteral("usage: mkdefs <definitions folder> <output folder>"));
        return 2;
    }
    mkdefs::EnsureSqlFunctionClasses();
    const QDir source(QFile::decodeName(argv[1]));
    const QDir out(QFile::decodeName(argv[2]));
    const QStringList names = source.entryList({QStringLiteral("*.MXF.txt")}, QDir::Files, QDir::Name);
    if (names.isEmpty()) {
        say(QStringLiteral("mkdefs: no *.MXF.txt in %1").arg(source.path()));
        return 1;
    }
    QStringList errors;
    std::vector<mkdefs::ParsedFile> files;
    for (const QString& name : names) {
        QFile f(source.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) {
            errors << QStringLiteral("%1: %2").arg(name, f.errorString());
            continue;
        }
        mkdefs::ParsedFile parsed = mkdefs::ParseDefinitionText(name, QString::fromUtf8(f.readAll()), errors);
        if (parsed.list)
            files.push_back(std::move(parsed));
    }
    if (!errors.isEmpty()) {
        for (const QString& e : errors)
            say(QStringLiteral("mkdefs: ") + e);
        return 1;
    }
    if (!out.exists() && !QDir().mkpath(out.path())) {
        say(QStringLiteral("mkdefs: cannot make %1").arg(out.path()));
        return 1;
    }
    bool ok = true;
    for (const mkdefs::ParsedFile& file : files)
        ok = writeOne(file, out) && ok;
    return ok ? 0 : 1;
}
