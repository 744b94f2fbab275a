#include "bdedestdrivers.h"

#include "core/exceptions.h"
#include "driver/dataset.h"
#include "driver/destfactories.h"
#include "settings/global.h"

namespace mx {

void TMxTableDestDriver::Print(TIMxDestProperties*, const QString&, TIMxDataset*) {}

void TMxTableDestDriver::Customize(TIMxDestProperties*, const QString&, TIMxDataset*) {}

void TMxTableDestDriver::View(TIMxDestProperties*, const QString&, TIMxDataset*) {}

void TMxTableDestDriver::Export(TIMxDestProperties*, const QString& fileName, TIMxDataset* dataset)
{
    if (!dataset)
        throw EMxException(TranslateFmt(QStringLiteral("Aucun résultat à écrire dans %s"), {fileName}));
    dataset->DumpTable(fileName);
}

TIMxDestDriver* CreateBdeDestDriver(const QString& destName)
{
    if (destName == u"Paradox")
        return new TMxParadoxDestDriver();
    if (destName == u"dBASE")
        return new TMxdBASEDestDriver();
    if (destName == u"Texte")
        return new TMxTextDestDriver();
    return nullptr;
}

namespace {

[[maybe_unused]] const bool g_registered = [] {
    RegisterDestDriver(QStringLiteral("MX32BDE"), &CreateBdeDestDriver);
    return true;
}();

} // namespace

} // namespace mx
