// Feeds arbitrary bytes to the reader of report records. Besides crashes,
// leaks and hangs, a fault is a record read without error that is not
// written back as the same bytes: what the layer does not change it keeps.

#include "report/reportparts.h"
#include "engine/stream/reader.h"
#include "engine/stream/writer.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>

namespace {

using namespace mx::rpt;

// Two reports as the layer writes them: every band kind and control class,
// and one read back after an edit.
void writeSeeds(const QString& folder)
{
    TQuickRep report;
    report.SetComponentName(QStringLiteral("qrpt1"));
    report.SetReportTitle(QStringLiteral("Ventes"));
    report.SetOrientation(poLandscape);
    for (TQRBandType t : {rbTitle, rbPageHeader, rbColumnHeader, rbDetail, rbSummary, rbPageFooter})
        report.SetHasBand(t, true);
    auto label = std::make_unique<TQRLabel>();
    label->SetCaption(QStringLiteral("Titre"));
    label->Frame()->DrawBottom = true;
    report.Band(rbTitle)->AddPart(std::move(label));
    auto expr = std::make_unique<TQRExpr>();
    expr->SetExpression(QStringLiteral("NOM"));
    expr->Font()->SetSize(12);
    report.Band(rbDetail)->AddPart(std::move(expr));
    auto sys = std::make_unique<TQRSysData>();
    sys->SetData(qrsPageOfPages);
    report.Band(rbPageFooter)->AddPart(std::move(sys));
    auto shape = std::make_unique<TQRShape>();
    shape->SetShape(qrsHorLine);
    report.Band(rbSummary)->AddPart(std::move(shape));
    for (int i = 0; i < 2; ++i) {
        QByteArray bytes;
        mx::TMxWriter writer(bytes);
        report.WriteReport(writer);
        QFile f(QDir(folder).filePath(QStringLiteral("report%1").arg(i)));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        mx::TMxReader reader(bytes);
        report.ReadReport(reader);
        report.Band(rbDetail)->SetHeight(33);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool registered = [] {
        RegisterReportClasses();
        if (const char* seeds = std::getenv("MORVELIN_FUZZ_SEEDS"))
            writeSeeds(QString::fromLocal8Bit(seeds));
        return true;
    }();
    (void)registered;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    mx::rpt::TQuickRep report;
    qsizetype read = 0;
    try {
        mx::TMxReader reader(bytes);
        report.ReadReport(reader);
        read = reader.Position();
    } catch (const std::exception&) {
        return 0;
    }
    QByteArray written;
    mx::TMxWriter writer(written);
    try {
        report.WriteReport(writer);
    } catch (const std::exception&) {
        std::abort(); // what was read can be written
    }
    if (written != bytes.left(read))
        std::abort();
    return 0;
}
