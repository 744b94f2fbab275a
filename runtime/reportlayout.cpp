#include "reportlayout.h"

#include "report/pagemodel.h"
#include "report/paginator.h"
#include "report/painterrender.h"
#include "report/reportparts.h"

#include "engine/core/exceptions.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPrinter>

#include <algorithm>

namespace morvrs {

namespace rpt = mx::rpt;

QString DataRows::FieldName(int index)
{
    return index >= 0 && size_t(index) < m_data.columns.size() ? m_data.columns[size_t(index)].field : QString();
}

bool DataRows::First()
{
    m_row = 0;
    return !m_data.rows.empty();
}

bool DataRows::Next()
{
    ++m_row;
    return m_row < m_data.rows.size();
}

QString DataRows::Value(int index)
{
    return m_row < m_data.rows.size() ? m_data.rows[m_row].value(index) : QString();
}

namespace {

const QString kFamily = QStringLiteral("DejaVu Sans");
constexpr int kBodySize = 9;
constexpr int kTitleSize = 14;
constexpr double kMargin = 150; // 0.1 mm

// Text measures in 0.1 mm, taken at 600 dots per inch as the PDF is drawn.
class Measure {
public:
    Measure(int pointSize, bool bold) : m_image(1, 1, QImage::Format_RGB32)
    {
        m_image.setDotsPerMeterX(23622);
        m_image.setDotsPerMeterY(23622);
        QFont font(kFamily);
        font.setPointSize(pointSize);
        font.setBold(bold);
        m_metrics = std::make_unique<QFontMetricsF>(font, &m_image);
    }
    double width(const QString& text) const { return tenth(m_metrics->horizontalAdvance(text)); }
    double height() const { return tenth(m_metrics->height()); }

private:
    static double tenth(double dots) { return dots * 254.0 / 600.0; }
    QImage m_image;
    std::unique_ptr<QFontMetricsF> m_metrics;
};

void setFont(rpt::TQRComponent& part, int pointSize, bool bold)
{
    mx::TFontSpec* f = part.Font();
    f->SetName(kFamily);
    f->SetSize(pointSize);
    f->SetStyle(bold ? mx::FontStyle(mx::fsBold) : mx::TFontStyles(0));
    part.SetParentFont(false);
}

template <class Control>
Control* addControl(rpt::TQRBand& band, const QRectF& box, rpt::TQRAlignment alignment, bool cut)
{
    auto part = std::make_unique<Control>();
    part->SetBounds(box);
    part->SetAlignment(alignment);
    part->SetAutoSize(!cut);
    return static_cast<Control*>(band.AddPart(std::move(part)));
}

} // namespace

std::unique_ptr<rpt::TQuickRep> buildReportDesign(const ReportFile& report, const ReportData& data)
{
    auto design = std::make_unique<rpt::TQuickRep>();
    design->SetPaperSize(rpt::psA4);
    design->SetOrientation(report.landscape ? rpt::poLandscape : rpt::poPortrait);
    design->TopMargin = design->BottomMargin = design->LeftMargin = design->RightMargin = kMargin;
    design->SetReportTitle(report.expandedTitle());
    design->Font()->SetName(kFamily);
    design->Font()->SetSize(kBodySize);
    design->SetPrintIfEmpty(true);
    const double pageWidth = design->PrintableWidth();

    const Measure body(kBodySize, false);
    const Measure heading(kBodySize, true);
    const Measure title(kTitleSize, true);
    const double lineHeight = body.height() * 1.35;

    // Column widths: the widest text, at most 3/5 of the page, and a gap.
    const double gap = body.width(QStringLiteral("MM"));
    const double pad = body.width(QStringLiteral("M")) / 2;
    std::vector<double> widths;
    double total = 0;
    for (size_t c = 0; c < data.columns.size(); ++c) {
        double w = heading.width(data.columns[c].caption);
        for (const QStringList& row : data.rows)
            w = std::max(w, body.width(row.value(qsizetype(c))));
        w = std::min(w, pageWidth * 0.6) + gap;
        widths.push_back(w);
        total += w;
    }
    if (total > pageWidth && total > 0)
        for (double& w : widths)
            w *= pageWidth / total;

    design->SetHasBand(rpt::rbPageHeader, true);
    design->SetHasBand(rpt::rbColumnHeader, true);
    design->SetHasBand(rpt::rbDetail, true);
    design->SetHasBand(rpt::rbPageFooter, true);
    rpt::TQRBand* header = design->Band(rpt::rbPageHeader);
    rpt::TQRBand* columns = design->Band(rpt::rbColumnHeader);
    rpt::TQRBand* detail = design->Band(rpt::rbDetail);
    rpt::TQRBand* footer = design->Band(rpt::rbPageFooter);
    header->SetBounds(QRectF(0, 0, pageWidth, title.height() * 1.8));
    columns->SetBounds(QRectF(0, 0, pageWidth, lineHeight * 1.3));
    columns->Frame()->DrawBottom = true;
    detail->SetBounds(QRectF(0, 0, pageWidth, lineHeight));
    footer->SetBounds(QRectF(0, 0, pageWidth, lineHeight * 1.5));

    auto* titleText = addControl<rpt::TQRSysData>(*header, QRectF(0, 0, pageWidth, title.height()), rpt::taLeftJustify, false);
    titleText->SetData(rpt::qrsReportTitle);
    setFont(*titleText, kTitleSize, true);

    double x = 0;
    for (size_t c = 0; c < data.columns.size(); ++c) {
        const ReportColumn& column = data.columns[c];
        const rpt::TQRAlignment align = column.alignRight ? rpt::taRightJustify : rpt::taLeftJustify;
        const double width = std::max(0.0, widths[c] - pad);
        auto* caption = addControl<rpt::TQRLabel>(*columns, QRectF(x, 0, width, lineHeight), align, true);
        caption->SetCaption(column.caption);
        setFont(*caption, kBodySize, true);
        // A little room under the line for the first row.
        auto* value = addControl<rpt::TQRExpr>(*detail, QRectF(x, lineHeight * 0.2, width, lineHeight * 0.8), align, true);
        value->SetExpression(u'[' + column.field + u']');
        x += widths[c];
    }

    auto* pageNumber = addControl<rpt::TQRSysData>(*footer, QRectF(0, lineHeight * 0.5, pageWidth, lineHeight),
        rpt::taRightJustify, false);
    pageNumber->SetData(rpt::qrsPageOfPages);
    pageNumber->SetText(QStringLiteral("Page "));
    return design;
}

std::unique_ptr<rpt::TReportDocument> layOutReport(const ReportFile& report, const ReportData& data, QString* error)
{
    try {
        const std::unique_ptr<rpt::TQuickRep> design = buildReportDesign(report, data);
        DataRows rows(data);
        return rpt::Paginate(*design, &rows);
    } catch (const mx::Exception& e) {
        *error = e.message();
        return nullptr;
    }
}

namespace {

// The pages first..last of document, as a document of their own; the
// texts that show the page count keep the whole report's.
std::unique_ptr<rpt::TReportDocument> pagesOf(const rpt::TReportDocument& document, int first, int last)
{
    auto part = std::make_unique<rpt::TReportDocument>();
    part->PageSize = document.PageSize;
    part->Landscape = document.Landscape;
    part->Title = document.Title;
    part->ReportFont = document.ReportFont;
    for (const rpt::TReportFont& f : document.Fonts())
        part->FontIndex(f);
    for (int i = first; i <= last; ++i) {
        rpt::TReportPage page = document.Page(i - 1);
        for (rpt::TPageText& t : page.texts) {
            t.text = document.TextOf(t);
            t.pageCount = false;
        }
        part->AddPage(page);
    }
    return part;
}

bool pageRange(const rpt::TReportDocument& document, int firstPage, int lastPage, int* first, int* last, QString* error)
{
    const int count = document.PageCount();
    *first = std::max(1, firstPage);
    *last = lastPage < 1 ? count : std::min(count, lastPage);
    if (*first > *last) {
        *error = QStringLiteral("Aucune page entre %1 et %2 (le rapport en a %3).").arg(firstPage).arg(lastPage).arg(count);
        return false;
    }
    return true;
}

} // namespace

bool writeReportPdf(const rpt::TReportDocument& document, const QString& fileName, int firstPage, int lastPage,
    QString* error, int* pages)
{
    int first = 0;
    int last = 0;
    if (!pageRange(document, firstPage, lastPage, &first, &last, error))
        return false;
    try {
        if (first == 1 && last == document.PageCount())
            rpt::WritePdf(document, fileName);
        else
            rpt::WritePdf(*pagesOf(document, first, last), fileName);
    } catch (const mx::Exception& e) {
        *error = e.message();
        return false;
    }
    if (pages)
        *pages = last - first + 1;
    return true;
}

bool printReport(const rpt::TReportDocument& document, QPrinter& printer, int firstPage, int lastPage, QString* error)
{
    int first = 0;
    int last = 0;
    if (!pageRange(document, firstPage, lastPage, &first, &last, error))
        return false;
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(first, last);
    try {
        rpt::PrintDocument(document, printer);
    } catch (const mx::Exception& e) {
        *error = e.message();
        return false;
    }
    return true;
}

} // namespace morvrs
