#pragma once
// The texts of one page grouped into rows, as the HTML and CSV filters
// write them. A text's column is its X over the character width times 1.5,
// its line its Y over the line height; both measures are the report
// font's size times 3.5277... (0.1 mm per point). A text joins the first
// row whose line is at most 1.5 from its own, else starts a row after the
// last; within a row texts keep ascending column order, and a text goes
// before the row's first text only when its column is strictly smaller
// (it then gives the row its line).

#include "report/exportfilter.h"

#include <QString>

#include <vector>

namespace mx {

struct TExportText {
    double column = 0;
    QString text;
};

struct TExportRow {
    double line = 0;
    std::vector<TExportText> texts;
};

class TExportRows {
public:
    void Add(double column, double line, const QString& text);
    const std::vector<TExportRow>& Rows() const { return m_rows; }
    void Clear() { m_rows.clear(); }

private:
    std::vector<TExportRow> m_rows;
};

// The part both filters share: the measures, the rows of the page, and
// each row's kind when the page ends (0 one text; 1 several texts, first
// or after a row of one; 2 several texts after a row of several).
class TQRTextExportFilter : public rpt::TReportExportFilter {
public:
    void TextOut(double x, double y, const rpt::TReportFont& font, const QColor& background, int alignment,
        const QString& text) override;
    void EndPage() override;

    // 0.1 mm per character and per line: the font size times 3.5277...; a
    // size below 1 point counts as 10.
    static double Measure(int pointSize);

protected:
    void OnStart(double paperWidth, double paperHeight, const rpt::TReportFont& font) override;
    // Writes one row, line break included; last: the page's last row.
    virtual void WriteRow(const TExportRow& row, int kind, int previousKind, bool last) = 0;

private:
    TExportRows m_rows;
    double m_charWidth = 0;
    double m_lineHeight = 0;
};

// Each page as HTML: single texts as lines ending in <BR>, rows of several
// texts as a table. Texts are HTML-escaped; the file says it is UTF-8.
class TQRHtmlExportFilter : public TQRTextExportFilter {
protected:
    void OnStart(double paperWidth, double paperHeight, const rpt::TReportFont& font) override;
    void WriteRow(const TExportRow& row, int kind, int previousKind, bool last) override;
    void OnFinish() override;
};

// Each row as one line of texts separated by ";"; a text holding ";", a
// quote, CR or LF is quoted, its quotes doubled.
class TQRCSVExportFilter : public TQRTextExportFilter {
public:
    static QString Field(const QString& text);

protected:
    void WriteRow(const TExportRow& row, int kind, int previousKind, bool last) override;
};

// Adds the HTML then the CSV filter to the export filter library. Called
// once at program start.
void RegisterStandardFilters();

} // namespace mx
