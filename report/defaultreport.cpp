#include "defaultreport.h"

#include "painterrender.h"
#include "reportparts.h"

#include "engine/driver/dataset.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>

namespace mx::rpt {

std::vector<TReportColumn> ResultColumns(TIMxDataset& dataset)
{
    std::vector<TReportColumn> columns;
    const int n = dataset.GetFieldCount();
    for (int i = 0; i < n; ++i)
        columns.push_back({dataset.GetFieldName(i), dataset.GetFieldWidth(i)});
    return columns;
}

namespace {

// Font metrics on a surface of 96 dots per inch, whatever the screen.
class TScreenMetrics {
public:
    explicit TScreenMetrics(const TFontSpec& spec) : m_image(1, 1, QImage::Format_RGB32)
    {
        m_image.setDotsPerMeterX(3780);
        m_image.setDotsPerMeterY(3780);
        QFont font(spec.Name());
        font.setPointSize(spec.Size() > 0 ? spec.Size() : 10);
        font.setBold(spec.Style() & FontStyle(fsBold));
        font.setItalic(spec.Style() & FontStyle(fsItalic));
        m_metrics = std::make_unique<QFontMetrics>(font, &m_image);
    }
    int TextWidth(const QString& text) const { return m_metrics->horizontalAdvance(text); }
    int TextHeight() const { return m_metrics->height(); }

private:
    QImage m_image;
    std::unique_ptr<QFontMetrics> m_metrics;
};

TQRExpr* addExpression(TQRBand& band, const QString& expression, int left, int top, int width, int height)
{
    auto expr = std::make_unique<TQRExpr>();
    expr->SetExpression(expression);
    expr->SetLeft(left);
    expr->SetTop(top);
    expr->SetWidth(width);
    expr->SetHeight(height);
    // Columns sit side by side: a text wider than its column is cut at its
    // edge, never drawn over the next one.
    expr->SetAutoSize(false);
    // QRExpr1, QRExpr2... across the whole report
    return static_cast<TQRExpr*>(band.AddPart(std::move(expr)));
}

} // namespace

void BuildDefaultReport(TQuickRep& report, int stepId, const std::vector<TReportColumn>& columns)
{
    RequireRendering();
    report.Font()->SetSize(8);
    report.SetComponentName(QStringLiteral("qrpt") + QString::number(stepId));
    report.SetTag(1);
    report.SetHasBand(rbPageHeader, true);
    report.SetHasBand(rbDetail, true);
    report.SetHasBand(rbPageFooter, true);
    TQRBand* header = report.Band(rbPageHeader);
    TQRBand* detail = report.Band(rbDetail);

    header->Font()->Assign(report.Font());
    header->Font()->SetSize(9);
    header->Font()->SetStyle(header->Font()->Style() | FontStyle(fsBold));
    header->SetParentFont(false);

    const TScreenMetrics metrics(report.EffectiveFont());
    const TScreenMetrics headerMetrics(header->EffectiveFont());
    if (metrics.TextHeight() < detail->Height())
        detail->SetHeight(detail->Height() / 2);

    // Control names go on from the ones the report already has.
    int number = 0;
    for (TQRBand* b : report.Bands())
        number += int(b->Controls().size());

    int left = 20;
    int right = 0;
    for (const TReportColumn& c : columns) {
        const int width = metrics.TextWidth(QString(std::max(1, c.width), u'X')) * 3 / 5;
        TQRExpr* title = addExpression(*header, TQRExpr::Quote(c.name), left, 5, width, headerMetrics.TextHeight());
        title->SetComponentName(QStringLiteral("QRExpr") + QString::number(++number));
        TQRExpr* value = addExpression(*detail, c.name, left, 0, width, metrics.TextHeight());
        value->SetComponentName(QStringLiteral("QRExpr") + QString::number(++number));
        right = left + width;
        left += width + 30;
    }
    // The printable width of the portrait page, in pixels.
    report.SetOrientation(poPortrait);
    if (right > TenthMmToPixels(report.PrintableWidth()))
        report.SetOrientation(poLandscape);
    // Bands span the printable width of the page chosen.
    for (TQRBand* b : report.Bands()) {
        QRectF r = b->Bounds();
        r.setWidth(report.PrintableWidth());
        b->SetBounds(r);
    }
}

bool IsUndesigned(const TQuickRep& report)
{
    if (report.Tag() == 1)
        return false;
    for (TQRBand* b : report.Bands())
        if (!b->Controls().empty())
            return false;
    return true;
}

} // namespace mx::rpt
