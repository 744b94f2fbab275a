// Feeds arbitrary bytes to the engine's own file classes: the first byte
// chooses a query (even) or a data model (odd), the rest is the stream.
// Their lists hold items that are themselves lists of items (a step's
// entities hold its fields), which the object file target's classes do
// not. Any crash, leak, hang or sanitizer report is a fault. With
// MORVELIN_FUZZ_SEEDS and MORVELIN_FUZZ_SAMPLE (the sample's folder) set,
// the first call writes the sample's query and model files there as the
// starting corpus.

#include "engine/core/exceptions.h"
#include "engine/core/hookslot.h"
#include "engine/core/userservice.h"
#include "engine/model/datamodel.h"
#include "engine/query/query.h"
#include "engine/stream/filer.h"
#include "engine/tools/hooks.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace mx;

namespace {

class QuietService : public TUserService {
public:
    int MessageDlg(const QString&, TMsgDlgType, int) override { return mrOk; }
    void Warning(const QString&) override {}
};

void writeSeeds(const QString& seeds, const QString& sample)
{
    QDir().mkpath(seeds);
    const QDir from(sample);
    for (const QString& name : from.entryList({QStringLiteral("*.MQR"), QStringLiteral("*.MDD")}, QDir::Files)) {
        QFile in(from.filePath(name));
        QFile out(QDir(seeds).filePath(name));
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
            continue;
        out.putChar(name.endsWith(QLatin1String(".MDD")) ? 1 : 0);
        out.write(PlainFileBytes(in.readAll()));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static QuietService service;
    SetUserService(&service);
    // A guarded model asks for a login nobody gives.
    LoginPromptHook.set([](const QString&, QString&, QString&) { return false; });
    const char* seeds = std::getenv("MORVELIN_FUZZ_SEEDS");
    const char* sample = std::getenv("MORVELIN_FUZZ_SAMPLE");
    if (seeds && sample)
        writeSeeds(QString::fromLocal8Bit(seeds), QString::fromLocal8Bit(sample));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    TMxItem* item = (data[0] & 1) ? static_cast<TMxItem*>(new TMxDataModel(nullptr)) : new TMxQuery(nullptr);
    try {
        item->LoadFromVariant(bytes);
        item->SaveToBytes();
    } catch (const Exception&) {
    }
    TMxItem::Free(item);
    return 0;
}
