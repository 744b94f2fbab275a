#include "textexportfilter.h"

#include <cmath>

namespace mx {

void TExportRows::Add(double column, double line, const QString& text)
{
    for (TExportRow& row : m_rows) {
        if (std::abs(row.line - line) > 1.5)
            continue;
        if (column < row.texts.front().column) {
            row.texts.insert(row.texts.begin(), TExportText{column, text});
            row.line = line;
            return;
        }
        auto it = row.texts.begin() + 1;
        while (it != row.texts.end() && it->column < column)
            ++it;
        row.texts.insert(it, TExportText{column, text});
        return;
    }
    m_rows.push_back(TExportRow{line, {TExportText{column, text}}});
}

double TQRTextExportFilter::Measure(int pointSize)
{
    return (pointSize >= 1 ? pointSize : 10) * 3.5277777777777777778;
}

void TQRTextExportFilter::OnStart(double, double, const rpt::TReportFont& font)
{
    m_rows.Clear();
    m_charWidth = m_lineHeight = Measure(font.pointSize);
}

void TQRTextExportFilter::TextOut(double x, double y, const rpt::TReportFont&, const QColor&, int, const QString& text)
{
    m_rows.Add(x / m_charWidth * 1.5, y / m_lineHeight, text);
}

void TQRTextExportFilter::EndPage()
{
    // The rows of a page stand alone: its first row has none before it,
    // and its last one closes any table.
    const std::vector<TExportRow>& rows = m_rows.Rows();
    int previous = -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        const bool several = rows[i].texts.size() > 1;
        const int kind = !several ? 0 : (previous == 1 || previous == 2) ? 2 : 1;
        WriteRow(rows[i], kind, previous, i + 1 == rows.size());
        previous = kind;
    }
    m_rows.Clear();
}

void TQRHtmlExportFilter::OnStart(double paperWidth, double paperHeight, const rpt::TReportFont& font)
{
    TQRTextExportFilter::OnStart(paperWidth, paperHeight, font);
    Write(QStringLiteral("<html>\n<meta charset=\"utf-8\">\n"));
}

void TQRHtmlExportFilter::WriteRow(const TExportRow& row, int kind, int previousKind, bool last)
{
    QString out;
    if (kind == 0) {
        if (previousKind == 1 || previousKind == 2)
            out += QStringLiteral("</TABLE>");
        out += row.texts.front().text.toHtmlEscaped() + QStringLiteral("<BR>");
    } else {
        out += kind == 1 ? QStringLiteral("<TABLE BORDER=1 WIDTH=100%><TD>") : QStringLiteral("<TR><TD>");
        out += row.texts.front().text.toHtmlEscaped();
        for (size_t i = 1; i < row.texts.size(); ++i)
            out += QStringLiteral("<TD>") + row.texts[i].text.toHtmlEscaped();
        if (last)
            out += QStringLiteral("</TABLE>");
    }
    Write(out + u'\n');
}

void TQRHtmlExportFilter::OnFinish()
{
    Write(QStringLiteral("</HTML>\n"));
}

QString TQRCSVExportFilter::Field(const QString& text)
{
    if (!text.contains(u';') && !text.contains(u'"') && !text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

void TQRCSVExportFilter::WriteRow(const TExportRow& row, int, int, bool)
{
    QString out = Field(row.texts.front().text);
    for (size_t i = 1; i < row.texts.size(); ++i)
        out += u';' + Field(row.texts[i].text);
    Write(out + u'\n');
}

void RegisterStandardFilters()
{
    rpt::ExportFilters().Add({QStringLiteral("Export to HTML format"), QStringLiteral("HTML document"), QStringLiteral("HTM"),
        [] { return std::make_unique<TQRHtmlExportFilter>(); }});
    rpt::ExportFilters().Add({QStringLiteral("Export to CSV format"), QStringLiteral("CSV comma separated"), QStringLiteral("CSV"),
        [] { return std::make_unique<TQRCSVExportFilter>(); }});
}

} // namespace mx
