#include "bdedestdrivers.h"

#include "engine/core/exceptions.h"
#include "engine/destination/destinationtype.h"
#include "engine/core/userservice.h"
#include "engine/driver/dataset.h"
#include "engine/driver/destfactories.h"
#include "engine/reportlink/report.h"
#include "engine/settings/global.h"

#include <QDir>
#include <QFileInfo>

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

TMxReportSmithDestDriver::TMxReportSmithDestDriver() : m_report(std::make_unique<TReport>()) {}

TMxReportSmithDestDriver::~TMxReportSmithDestDriver() = default;

void TMxReportSmithDestDriver::Print(TIMxDestProperties*, const QString& fileName, TIMxDataset* dataset)
{
    m_report->SetUseRunTime(true);
    m_report->SetPreview(false);
    m_report->SetAutoUnload(true);
    run(fileName, dataset);
    // Printed: the runtime has read what it needed.
    m_report->ClearDatasets();
    // A report the runtime wrote as PDF (no printer, or its file says so)
    // is told where it went, as the step's own report is.
    const QString pdf = m_report->PrintedPdf();
    if (!pdf.isEmpty()) {
        const QString report = QFileInfo(m_report->ReportFileName()).fileName();
        const int pages = m_report->PrintedPages();
        UserService().MessageDlg(pages == 1
                ? TranslateFmt(QStringLiteral("%s : rapport écrit dans %s (1 page)."), {report, pdf})
                : TranslateFmt(QStringLiteral("%s : rapport écrit dans %s (%d pages)."), {report, pdf, pages}),
            TMsgDlgType::mtInformation, mbOK);
    }
}

void TMxReportSmithDestDriver::Customize(TIMxDestProperties*, const QString& fileName, TIMxDataset* dataset)
{
    m_report->SetUseRunTime(false);
    m_report->SetAutoUnload(false);
    run(fileName, dataset);
}

void TMxReportSmithDestDriver::View(TIMxDestProperties*, const QString& fileName, TIMxDataset* dataset)
{
    m_report->SetUseRunTime(true);
    m_report->SetPreview(true);
    m_report->SetAutoUnload(false);
    run(fileName, dataset);
}

void TMxReportSmithDestDriver::Export(TIMxDestProperties*, const QString&, TIMxDataset*) {}

void TMxReportSmithDestDriver::run(const QString& fileName, TIMxDataset* dataset)
{
    const QFileInfo file(fileName);
    m_report->SetReportName(file.fileName());
    m_report->SetReportDir(fileName.contains(u'/') ? file.path() : QString());
    // A relative output file of the report goes where this program puts its
    // results (its private folder, else beside the report), whichever
    // program started the runtime.
    const QString privateFolder = PrivateQueryFolder();
    m_report->SetOutputFolder(privateFolder.isEmpty() ? file.absolutePath() : QDir(privateFolder).absolutePath());
    // The rows the runtime reads are those of this run.
    m_report->ClearDatasets();
    if (dataset) {
        const QString name = dataset->GetName().isEmpty() ? Translate(QStringLiteral("Résultat")) : dataset->GetName();
        if (!m_report->OfferDataset(name, dataset))
            throw EMxException(QStringLiteral("Error : ")
                + TranslateFmt(QStringLiteral("le résultat %s ne peut pas être lu par le moteur de rapports."), {name}));
    }
    int result = 0;
    try {
        result = m_report->Run();
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        throw EMxException(QStringLiteral("Error : ") + ExceptionMessage(e));
    }
    if (result != 0) {
        const QString why = m_report->LastApiError();
        throw EMxException(QStringLiteral("Error : ")
            + TranslateFmt(QStringLiteral("le moteur de rapports a répondu %d : %s"), {result, why}));
    }
}

TIMxDestDriver* CreateBdeDestDriver(const QString& destName)
{
    if (destName == u"Paradox")
        return new TMxParadoxDestDriver();
    if (destName == u"dBASE")
        return new TMxdBASEDestDriver();
    if (destName == u"Texte")
        return new TMxTextDestDriver();
    if (destName == u"ReportSmith")
        return new TMxReportSmithDestDriver();
    return nullptr;
}

namespace {

[[maybe_unused]] const bool g_registered = [] {
    RegisterDestDriver(QStringLiteral("MX32BDE"), &CreateBdeDestDriver);
    return true;
}();

} // namespace

} // namespace mx
