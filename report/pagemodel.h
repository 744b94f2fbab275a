#pragma once
// The pages of a laid-out report: positioned texts, lines and boxes in
// 0.1 mm from the page's top left corner, which every renderer reads (the
// preview, the printer, PDF, the export filters) and tests check.
//
// A document keeps its pages in a temporary file, not in memory: the
// paginator hands each finished page over and forgets it, a renderer reads
// one page at a time, so memory stays flat however many pages there are.
// A text that shows the number of pages holds a mark in its place until
// the last page is known; TextOf gives the text as printed.

#include <QByteArray>
#include <QSize>
#include <QString>

#include <memory>
#include <vector>

namespace mx {
class TFontSpec;
}

namespace mx::rpt {

struct TReportFont {
    QString family;
    int pointSize = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    quint32 color = 0; // 0xRRGGBB
    bool operator==(const TReportFont&) const = default;
};
// The report font of a stored font; a size below 1 point is 10 points.
TReportFont FontOf(const TFontSpec& spec);
// 0xRRGGBB of a stored colour (0x00BBGGRR); system colours give black.
quint32 RgbOfColor(qint32 color);

struct TPageText {
    qint32 x = 0; // the text's box, 0.1 mm
    qint32 y = 0;
    qint32 width = 0;
    qint32 height = 0;
    QString text;
    quint16 font = 0;      // index in the document's fonts
    quint8 alignment = 0;  // TQRAlignment within the box
    bool clip = false;     // cut at the box
    bool pageCount = false; // holds the page-count mark
};

struct TPageLine {
    qint32 x1 = 0;
    qint32 y1 = 0;
    qint32 x2 = 0;
    qint32 y2 = 0;
    qint32 width = 3; // 0.1 mm
    quint32 color = 0;
};

struct TPageBox {
    qint32 x = 0;
    qint32 y = 0;
    qint32 width = 0;
    qint32 height = 0;
    qint32 penWidth = 0; // 0: no outline
    quint32 penColor = 0;
    bool filled = false;
    quint32 fillColor = 0xFFFFFF;
    bool ellipse = false;
};

struct TReportPage {
    int number = 0; // from 1
    // Drawn in this order: boxes, lines, texts.
    std::vector<TPageBox> boxes;
    std::vector<TPageLine> lines;
    std::vector<TPageText> texts;
};

class TReportDocument {
public:
    TReportDocument();
    ~TReportDocument();
    TReportDocument(const TReportDocument&) = delete;
    TReportDocument& operator=(const TReportDocument&) = delete;

    // The page as printed (orientation applied), 0.1 mm.
    QSize PageSize{2100, 2970};
    bool Landscape = false;
    QString Title;
    // The report's own font: the export filters take their character
    // width and line height from it.
    TReportFont ReportFont;

    const std::vector<TReportFont>& Fonts() const { return m_fonts; }
    quint16 FontIndex(const TReportFont& font);

    // Stores a finished page; its number is the next one. Raises
    // EInOutError when the temporary file cannot take it.
    void AddPage(const TReportPage& page);
    int PageCount() const { return int(m_offsets.size()); }
    // Page index (from 0), read back; raises EInOutError on a read failure.
    TReportPage Page(int index) const;
    // The same into page, whose room is reused: a renderer going through
    // the pages reads them all into one, so no page costs new buffers.
    void ReadPage(int index, TReportPage& page) const;

    // The mark a page-count text holds until the count is known.
    static QChar PageCountMark() { return QChar(0xE000); }
    // The text as printed: the page count in place of its mark.
    QString TextOf(const TPageText& text) const;

private:
    std::vector<TReportFont> m_fonts;
    struct Spool;
    std::unique_ptr<Spool> m_spool;
    std::vector<std::pair<qint64, qint64>> m_offsets; // (offset, length)
    QByteArray m_encoded;          // the last page written, its room kept
    mutable QByteArray m_read;     // the last page read, likewise
    mutable int m_cachedIndex = -1;
    mutable std::shared_ptr<TReportPage> m_cached;
};

// The bytes of a page, and back; decoding raises EReadError on damage.
QByteArray EncodePage(const TReportPage& page);
TReportPage DecodePage(const QByteArray& bytes);
// The same into buffers whose room is reused: out is replaced by the
// page's bytes (numbered number), page by the page read.
void EncodePage(const TReportPage& page, int number, QByteArray& out);
void DecodePage(const char* bytes, qsizetype size, TReportPage& page);

} // namespace mx::rpt
