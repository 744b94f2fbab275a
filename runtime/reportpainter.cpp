#include "reportpainter.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>

namespace morvrs {

namespace {

struct Layout {
    QRectF page;        // the printable area, in device units
    double lineHeight = 0;
    double titleHeight = 0;
    int rowsPerPage = 1;
    std::vector<double> widths;
    int pages = 1;
};

Layout layOut(const ReportData& data, QPainter& p, const QFont& body, const QFont& title)
{
    Layout l;
    const QRect vp = p.viewport();
    l.page = QRectF(vp);
    const QFontMetricsF fm(body, p.device());
    const QFontMetricsF tm(title, p.device());
    l.lineHeight = fm.height() * 1.35;
    l.titleHeight = tm.height() * 1.8;
    const double footer = l.lineHeight * 1.5;
    const double rowsArea = l.page.height() - l.titleHeight - l.lineHeight * 1.3 - footer;
    l.rowsPerPage = std::max(1, int(rowsArea / l.lineHeight));
    l.pages = std::max<int>(1, int((data.rows.size() + size_t(l.rowsPerPage) - 1) / size_t(l.rowsPerPage)));

    const double gap = fm.horizontalAdvance(QStringLiteral("MM"));
    double total = 0;
    for (size_t c = 0; c < data.columns.size(); ++c) {
        double w = fm.horizontalAdvance(data.columns[c].caption);
        for (const QStringList& row : data.rows)
            w = std::max(w, fm.horizontalAdvance(row.value(qsizetype(c))));
        w = std::min(w, l.page.width() * 0.6) + gap;
        l.widths.push_back(w);
        total += w;
    }
    if (total > l.page.width() && total > 0)
        for (double& w : l.widths)
            w *= l.page.width() / total;
    return l;
}

void paintCells(QPainter& p, const Layout& l, const ReportData& data, const QStringList& cells, double y)
{
    const QFontMetricsF fm(p.font(), p.device());
    double x = l.page.left();
    const double pad = fm.horizontalAdvance(u'M') / 2;
    for (size_t c = 0; c < data.columns.size(); ++c) {
        const QRectF cell(x, y, l.widths[c] - pad, l.lineHeight);
        const QString text = fm.elidedText(cells.value(qsizetype(c)), Qt::ElideRight, cell.width());
        p.drawText(cell, int(Qt::AlignVCenter | (data.columns[c].alignRight ? Qt::AlignRight : Qt::AlignLeft)), text);
        x += l.widths[c];
    }
}

} // namespace

bool paintReport(const ReportFile& report, const ReportData& data, QPagedPaintDevice* device, int firstPage,
    int lastPage, QString* error)
{
    QPainter p;
    if (!p.begin(device)) {
        *error = QStringLiteral("Impossible de dessiner le rapport.");
        return false;
    }
    const QFont body(QStringLiteral("DejaVu Sans"), 9);
    QFont title(QStringLiteral("DejaVu Sans"), 14);
    title.setBold(true);
    QFont heading = body;
    heading.setBold(true);
    const Layout l = layOut(data, p, body, title);
    const int first = std::max(1, firstPage);
    const int last = std::min(l.pages, lastPage < 1 ? l.pages : lastPage);
    if (first > last) {
        p.end();
        *error = QStringLiteral("Aucune page entre %1 et %2 (le rapport en a %3).").arg(firstPage).arg(lastPage).arg(l.pages);
        return false;
    }
    const QString titleText = report.expandedTitle();
    QStringList headings;
    for (const ReportColumn& c : data.columns)
        headings << c.caption;
    for (int page = first; page <= last; ++page) {
        if (page > first)
            device->newPage();
        double y = l.page.top();
        p.setFont(title);
        p.drawText(QRectF(l.page.left(), y, l.page.width(), l.titleHeight), int(Qt::AlignLeft | Qt::AlignTop), titleText);
        y += l.titleHeight;
        p.setFont(heading);
        paintCells(p, l, data, headings, y);
        y += l.lineHeight;
        p.drawLine(QPointF(l.page.left(), y), QPointF(l.page.right(), y));
        y += l.lineHeight * 0.3;
        p.setFont(body);
        const size_t begin = size_t(page - 1) * size_t(l.rowsPerPage);
        const size_t end = std::min(data.rows.size(), begin + size_t(l.rowsPerPage));
        for (size_t r = begin; r < end; ++r) {
            paintCells(p, l, data, data.rows[r], y);
            y += l.lineHeight;
        }
        p.drawText(QRectF(l.page.left(), l.page.bottom() - l.lineHeight, l.page.width(), l.lineHeight),
            int(Qt::AlignRight | Qt::AlignVCenter), QStringLiteral("Page %1 / %2").arg(page).arg(l.pages));
    }
    p.end();
    return true;
}

bool writeReportPdf(const ReportFile& report, const ReportData& data, const QString& fileName, int firstPage,
    int lastPage, QString* error)
{
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("Impossible d'écrire %1 : %2").arg(fileName, file.errorString());
        return false;
    }
    {
        QPdfWriter pdf(&file);
        pdf.setTitle(report.expandedTitle());
        pdf.setCreator(QStringLiteral("Morvelin"));
        pdf.setResolution(300);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
            report.landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
            QPageLayout::Millimeter));
        if (!paintReport(report, data, &pdf, firstPage, lastPage, error)) {
            file.cancelWriting();
            return false;
        }
    }
    if (!file.commit()) {
        *error = QStringLiteral("Impossible d'écrire %1 : %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}

} // namespace morvrs
