#include "reportdestination.h"

#include "defaultreport.h"
#include "painterrender.h"
#include "paginator.h"
#include "reportparts.h"
#include "rowsource.h"

#include "engine/core/exceptions.h"
#include "engine/core/userservice.h"
#include "engine/destination/destinationtype.h"
#include "engine/destination/querydestination.h"
#include "engine/driver/dataset.h"
#include "engine/driver/destdriver.h"
#include "engine/driver/destfactories.h"
#include "engine/driver/stepreportdriver.h"
#include "engine/query/querystep.h"
#include "engine/settings/global.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>

namespace mx::rpt {

TPrintTarget ChoosePrintTarget(const QString& pdfFolder, const QString& printer, const QString& storedName,
    const QString& typeFileName, const QStringList& outputFiles)
{
    TPrintTarget target;
    const QString pdfName = ChangeFileNameExtension(typeFileName, QStringLiteral(".PDF"));
    const QString bareName = QFileInfo(pdfName).fileName();
    if (!pdfFolder.isEmpty()) {
        target.kind = TPrintTarget::Pdf;
        target.pdfFile = QDir(pdfFolder).filePath(bareName);
        return target;
    }
    if (!printer.isEmpty()) {
        target.kind = TPrintTarget::Printer;
        target.printer = printer;
        return target;
    }
    target.kind = TPrintTarget::Pdf;
    if (FileNameHasFolder(storedName) || outputFiles.isEmpty()) {
        target.pdfFile = pdfName;
        return target;
    }
    target.pdfFile = QDir(QFileInfo(outputFiles.first()).path()).filePath(bareName);
    return target;
}

QString AvailablePrinter()
{
    const QPrinterInfo def = QPrinterInfo::defaultPrinter();
    if (!def.isNull())
        return def.printerName();
    const QList<QPrinterInfo> all = QPrinterInfo::availablePrinters();
    return all.isEmpty() ? QString() : all.first().printerName();
}

namespace {

// The files the step's file and table outputs write, in list order.
QStringList stepOutputFiles(TMxQueryStep& step)
{
    QStringList files;
    TQueryDestinationList* list = step.Destinations();
    for (int i = 0; i < list->Count(); ++i) {
        TQueryDestinationItem* d = list->Items(i);
        if (!d->HasFileName())
            continue;
        TDestinationItem* type = d->FindDestinationType();
        if (!type || (type->Output() != doFile && type->Output() != doTable))
            continue;
        try {
            files << d->SentFileName();
        } catch (const std::exception&) {
        }
    }
    return files;
}

class TReportDestDriver : public TIMxDestDriver, public TIMxStepReportDriver {
public:
    void Print(TIMxDestProperties*, const QString& fileName, TIMxDataset*) override
    {
        // Only a step's own report prints here, and it comes with its step.
        throw EMxException(TranslateFmt(QStringLiteral("Le rapport %s n'appartient à aucune étape."), {fileName}));
    }
    void Customize(TIMxDestProperties*, const QString&, TIMxDataset*) override {}
    void View(TIMxDestProperties*, const QString&, TIMxDataset*) override {}
    void Export(TIMxDestProperties*, const QString&, TIMxDataset*) override {}
    void PrintStepReport(TIMxDestProperties*, const QString& fileName, TQueryDestinationItem& destination,
        TIMxDataset* dataset) override
    {
        TMxList* list = destination.OwnerList();
        TMxQueryStep* step = list ? item_cast<TMxQueryStep>(list->Owner()) : nullptr;
        if (!step)
            throw EMxException(TranslateFmt(QStringLiteral("Le rapport %s n'appartient à aucune étape."), {fileName}));
        rpt::PrintStepReport(*step, destination, fileName, dataset);
    }
};

} // namespace

void PrintStepReport(TMxQueryStep& step, TQueryDestinationItem& destination, const QString& fileName, TIMxDataset* dataset)
{
    RequireRendering();
    TQuickRep* report = StepReport(&step);
    if (!report)
        throw EMxException(TranslateFmt(QStringLiteral("%s : l'étape n'a pas de rapport."), {step.GetName()}));
    if (!dataset)
        throw EMxException(TranslateFmt(QStringLiteral("%s : l'étape n'a pas de résultat à imprimer."), {step.GetName()}));

    // A report nobody designed prints as the default report of the result;
    // the step's own report is left as it is.
    std::unique_ptr<TQuickRep> built;
    const TQuickRep* design = report;
    if (IsUndesigned(*report)) {
        built = report->CloneReport();
        BuildDefaultReport(*built, step.Id(), ResultColumns(*dataset));
        design = built.get();
    }

    const TPrintTarget target = ChoosePrintTarget(qEnvironmentVariable(kPrintPdfVariable), AvailablePrinter(),
        destination.FileName(), fileName, stepOutputFiles(step));

    std::unique_ptr<TReportDocument> doc;
    {
        TDatasetRows rows(*dataset);
        doc = Paginate(*design, &rows);
    }
    if (doc->Title.isEmpty())
        doc->Title = step.GetName();
    if (doc->PageCount() == 0) {
        UserService().MessageDlg(TranslateFmt(QStringLiteral("%s : le rapport est vide, rien n'est imprimé."), {step.GetName()}),
            TMsgDlgType::mtInformation, mbOK);
        return;
    }
    if (target.kind == TPrintTarget::Pdf) {
        const QString folder = QFileInfo(target.pdfFile).absolutePath();
        if (!QFileInfo(folder).isDir())
            throw EMxException(TranslateFmt(QStringLiteral("Le dossier %s n'existe pas : le rapport %s n'est pas écrit."),
                {folder, target.pdfFile}));
        WritePdf(*doc, target.pdfFile);
        const QString where = QFileInfo(target.pdfFile).absoluteFilePath();
        UserService().MessageDlg(doc->PageCount() == 1
                ? TranslateFmt(QStringLiteral("%s : rapport écrit dans %s (1 page)."), {step.GetName(), where})
                : TranslateFmt(QStringLiteral("%s : rapport écrit dans %s (%d pages)."), {step.GetName(), where, doc->PageCount()}),
            TMsgDlgType::mtInformation, mbOK);
        return;
    }
    QPrinter printer(QPrinterInfo::printerInfo(target.printer), QPrinter::HighResolution);
    printer.setDocName(doc->Title);
    PrintDocument(*doc, printer);
}

void RegisterReportDestination()
{
    RegisterDestDriver(QString::fromLatin1(kReportModule), [](const QString& name) -> TIMxDestDriver* {
        Q_UNUSED(name);
        return new TReportDestDriver;
    });
}

} // namespace mx::rpt
