#include "paginator.h"

#include "reportparts.h"
#include "rowsource.h"

#include "engine/core/exceptions.h"
#include "engine/settings/global.h"
#include "engine/tools/convert.h"

#include <cmath>

namespace mx::rpt {

QString FormatReportDate(const QDate& date)
{
    const TFormatSettings& fs = FormatSettings();
    const QString d = QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'));
    const QString m = QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0'));
    const QString y = QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
    const QChar s = fs.DateSeparator;
    switch (fs.DateOrder) {
    case TDateOrder::MDY:
        return m + s + d + s + y;
    case TDateOrder::YMD:
        return y + s + m + s + d;
    case TDateOrder::DMY:
        break;
    }
    return d + s + m + s + y;
}

QString FormatReportTime(const QTime& time)
{
    const QChar s = FormatSettings().TimeSeparator;
    const auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return two(time.hour()) + s + two(time.minute()) + s + two(time.second());
}

namespace {

qint32 tenth(double v)
{
    return qint32(std::lround(v));
}

// A control made ready once: what it prints and with which font.
struct TPreparedControl {
    const TQRPrintable* control = nullptr;
    enum Kind { Constant, Field, System, Shape } kind = Constant;
    QString constant;
    int field = -1;
    quint16 font = 0;
    QRect box; // 0.1 mm, relative to the band
};

struct TPreparedBand {
    const TQRBand* band = nullptr;
    qint32 height = 0;
    std::vector<TPreparedControl> controls;
};

class TPaginator {
public:
    TPaginator(const TQuickRep& report, TReportRows* rows, const TPaginateOptions& options)
        : m_report(report), m_rows(rows), m_doc(std::make_unique<TReportDocument>())
    {
        m_time = options.printTime.isValid() ? options.printTime : QDateTime::currentDateTime();
        const QSizeF page = report.PageSizeTenthMm();
        m_doc->PageSize = QSize(tenth(page.width()), tenth(page.height()));
        m_doc->Landscape = report.Orientation() == poLandscape;
        m_doc->Title = report.ReportTitle();
        m_doc->ReportFont = FontOf(report.EffectiveFont());
        m_left = tenth(report.LeftMargin);
        m_top = tenth(report.TopMargin);
        m_bottom = m_doc->PageSize.height() - tenth(report.BottomMargin);
        m_width = tenth(report.PrintableWidth());
        for (TQRBandType t : {rbTitle, rbPageHeader, rbColumnHeader, rbDetail, rbSummary, rbPageFooter})
            if (const TQRBand* b = report.Band(t))
                m_bands[t] = prepare(*b);
    }

    std::unique_ptr<TReportDocument> run()
    {
        const bool any = m_rows && m_rows->First();
        if (!any && !m_report.PrintIfEmpty())
            return std::move(m_doc);
        startPage();
        if (any) {
            do {
                ++m_recordNo;
                if (TPreparedBand* detail = band(rbDetail))
                    place(*detail);
            } while (m_rows->Next());
        }
        if (TPreparedBand* summary = band(rbSummary))
            place(*summary);
        endPage(true);
        return std::move(m_doc);
    }

private:
    TPreparedBand* band(TQRBandType t) { return m_bands[t].band ? &m_bands[t] : nullptr; }

    TPreparedBand prepare(const TQRBand& b)
    {
        TPreparedBand p;
        p.band = &b;
        p.height = std::max<qint32>(0, tenth(b.Bounds().height()));
        for (const TQRPrintable* c : b.Controls()) {
            TPreparedControl pc;
            pc.control = c;
            const QRectF r = c->Bounds();
            pc.box = QRect(tenth(r.left()), tenth(r.top()), std::max<qint32>(0, tenth(r.width())),
                std::max<qint32>(0, tenth(r.height())));
            pc.font = m_doc->FontIndex(FontOf(c->EffectiveFont()));
            switch (c->ControlKind()) {
            case qkLabel:
                pc.constant = c->EditableText().value_or(QString());
                break;
            case qkExpr: {
                const QString expression = c->EditableText().value_or(QString());
                if (std::optional<QString> text = TQRExpr::Constant(expression)) {
                    pc.constant = *text;
                } else if (!expression.trimmed().isEmpty()) {
                    const QString name = TQRExpr::FieldName(expression);
                    pc.field = m_rows ? m_rows->IndexOf(name) : -1;
                    if (pc.field < 0 && m_rows)
                        throw EMxException(TranslateFmt(QStringLiteral("Le rapport %s utilise le champ %s, qui n'est pas dans le résultat."),
                            {m_report.ComponentName(), name}));
                    pc.kind = TPreparedControl::Field;
                }
                break;
            }
            case qkSysData:
                pc.kind = TPreparedControl::System;
                break;
            case qkShape:
                pc.kind = TPreparedControl::Shape;
                break;
            case qkPlain:
                break;
            }
            p.controls.push_back(std::move(pc));
        }
        return p;
    }

    void startPage()
    {
        ++m_pageNo;
        // the former page's room is kept: a page costs no new buffers
        m_page.boxes.clear();
        m_page.lines.clear();
        m_page.texts.clear();
        m_page.number = m_pageNo;
        m_y = m_top;
        if (TPreparedBand* header = band(rbPageHeader))
            if (m_pageNo > 1 || m_report.HasOption(FirstPageHeader))
                put(*header, m_y);
        if (m_pageNo == 1)
            if (TPreparedBand* title = band(rbTitle))
                put(*title, m_y);
        if (TPreparedBand* columns = band(rbColumnHeader))
            put(*columns, m_y);
        m_pageStart = m_y;
    }

    void endPage(bool last)
    {
        if (TPreparedBand* footer = band(rbPageFooter)) {
            if (!last || m_report.HasOption(LastPageFooter)) {
                qint32 y = m_bottom - footer->height;
                put(*footer, y);
            }
        }
        m_doc->AddPage(m_page);
    }

    qint32 footerHeight() { return m_bands[rbPageFooter].band ? m_bands[rbPageFooter].height : 0; }

    // A body band: on this page when it fits, else on a new one.
    void place(TPreparedBand& b)
    {
        const bool room = m_y + b.height <= m_bottom - footerHeight();
        if ((!room || b.band->ForceNewPage()) && m_y > m_pageStart) {
            endPage(false);
            startPage();
        }
        put(b, m_y);
    }

    QString systemText(const TQRSysData& s, bool& pageCount)
    {
        pageCount = false;
        switch (s.Data()) {
        case qrsTime:
            return s.Text() + FormatReportTime(m_time.time());
        case qrsDate:
            return s.Text() + FormatReportDate(m_time.date());
        case qrsDateTime:
            return s.Text() + FormatReportDate(m_time.date()) + u' ' + FormatReportTime(m_time.time());
        case qrsPageNumber:
            return s.Text() + QString::number(m_pageNo);
        case qrsReportTitle:
            return s.Text() + m_report.ReportTitle();
        case qrsDetailCount:
            if (m_recordCount < 0)
                m_recordCount = m_rows ? std::max(0, m_rows->RecordCount()) : 0;
            return s.Text() + QString::number(m_recordCount);
        case qrsDetailNo:
            return s.Text() + QString::number(m_recordNo);
        case qrsPageOfPages: {
            pageCount = true;
            QString pattern = Translate(QStringLiteral("%d sur %d"));
            const qsizetype first = pattern.indexOf(QStringLiteral("%d"));
            if (first >= 0)
                pattern.replace(first, 2, QString::number(m_pageNo));
            const qsizetype second = pattern.indexOf(QStringLiteral("%d"));
            if (second >= 0)
                pattern.replace(second, 2, QString(TReportDocument::PageCountMark()));
            return s.Text() + pattern;
        }
        }
        return s.Text();
    }

    void frameLines(const QRect& r, const TQRFrame& f)
    {
        if (!f.Any())
            return;
        TPageLine l;
        l.width = std::max<qint32>(1, tenth(PixelsToTenthMm(f.Width)));
        l.color = RgbOfColor(f.Color);
        auto add = [&](qint32 x1, qint32 y1, qint32 x2, qint32 y2) {
            l.x1 = x1;
            l.y1 = y1;
            l.x2 = x2;
            l.y2 = y2;
            m_page.lines.push_back(l);
        };
        if (f.DrawTop)
            add(r.left(), r.top(), r.left() + r.width(), r.top());
        if (f.DrawBottom)
            add(r.left(), r.top() + r.height(), r.left() + r.width(), r.top() + r.height());
        if (f.DrawLeft)
            add(r.left(), r.top(), r.left(), r.top() + r.height());
        if (f.DrawRight)
            add(r.left() + r.width(), r.top(), r.left() + r.width(), r.top() + r.height());
    }

    void shape(const TQRShape& s, const QRect& r)
    {
        const qint32 pen = std::max<qint32>(1, tenth(PixelsToTenthMm(s.Pen()->Width)));
        const quint32 color = RgbOfColor(s.Pen()->Color);
        TPageLine l;
        l.width = pen;
        l.color = color;
        const qint32 right = r.left() + r.width();
        const qint32 bottom = r.top() + r.height();
        switch (s.Shape()) {
        case qrsRectangle:
        case qrsCircle: {
            TPageBox b;
            b.x = r.left();
            b.y = r.top();
            b.width = r.width();
            b.height = r.height();
            b.penWidth = pen;
            b.penColor = color;
            b.filled = !s.Transparent() && s.Color() != clWhite;
            b.fillColor = RgbOfColor(s.Color());
            b.ellipse = s.Shape() == qrsCircle;
            m_page.boxes.push_back(b);
            return;
        }
        case qrsHorLine:
            l.x1 = r.left();
            l.x2 = right;
            l.y1 = l.y2 = r.top() + r.height() / 2;
            m_page.lines.push_back(l);
            return;
        case qrsVertLine:
            l.y1 = r.top();
            l.y2 = bottom;
            l.x1 = l.x2 = r.left() + r.width() / 2;
            m_page.lines.push_back(l);
            return;
        case qrsTopAndBottom:
            m_page.lines.push_back({r.left(), r.top(), right, r.top(), pen, color});
            m_page.lines.push_back({r.left(), bottom, right, bottom, pen, color});
            return;
        case qrsRightAndLeft:
            m_page.lines.push_back({r.left(), r.top(), r.left(), bottom, pen, color});
            m_page.lines.push_back({right, r.top(), right, bottom, pen, color});
            return;
        }
    }

    // Puts a band at y and moves y past it.
    void put(TPreparedBand& b, qint32& y)
    {
        const QRect area(m_left, y, m_width, b.height);
        if (b.band->Color() != clWhite) {
            TPageBox box;
            box.x = area.left();
            box.y = area.top();
            box.width = area.width();
            box.height = area.height();
            box.filled = true;
            box.fillColor = RgbOfColor(b.band->Color());
            m_page.boxes.push_back(box);
        }
        frameLines(area, *b.band->Frame());
        for (const TPreparedControl& pc : b.controls) {
            const QRect r = pc.box.translated(m_left, y);
            const TQRPrintable& c = *pc.control;
            if (pc.kind == TPreparedControl::Shape) {
                shape(static_cast<const TQRShape&>(c), r);
                frameLines(r, *c.Frame());
                continue;
            }
            if (!c.Transparent() && c.Color() != clWhite) {
                TPageBox box;
                box.x = r.left();
                box.y = r.top();
                box.width = r.width();
                box.height = r.height();
                box.filled = true;
                box.fillColor = RgbOfColor(c.Color());
                m_page.boxes.push_back(box);
            }
            frameLines(r, *c.Frame());
            TPageText t;
            t.x = r.left();
            t.y = r.top();
            t.width = r.width();
            t.height = r.height();
            t.font = pc.font;
            t.alignment = quint8(c.Alignment());
            t.clip = !c.AutoSize();
            switch (pc.kind) {
            case TPreparedControl::Constant:
                t.text = pc.constant;
                break;
            case TPreparedControl::Field:
                t.text = pc.field >= 0 && m_recordNo > 0 ? m_rows->Value(pc.field) : QString();
                break;
            case TPreparedControl::System:
                t.text = systemText(static_cast<const TQRSysData&>(c), t.pageCount);
                break;
            case TPreparedControl::Shape:
                break;
            }
            // An empty value still takes its place: a text export keeps
            // its columns.
            if (!t.text.isEmpty() || pc.kind == TPreparedControl::Field)
                m_page.texts.push_back(std::move(t));
        }
        y += b.height;
    }

    const TQuickRep& m_report;
    TReportRows* m_rows;
    std::unique_ptr<TReportDocument> m_doc;
    QDateTime m_time;
    TPreparedBand m_bands[rbChild + 1];
    TReportPage m_page;
    int m_pageNo = 0;
    int m_recordNo = 0;
    int m_recordCount = -1;
    qint32 m_left = 0;
    qint32 m_top = 0;
    qint32 m_bottom = 0;
    qint32 m_width = 0;
    qint32 m_y = 0;
    qint32 m_pageStart = 0;
};

} // namespace

std::unique_ptr<TReportDocument> Paginate(const TQuickRep& report, TReportRows* rows, const TPaginateOptions& options)
{
    TPaginator p(report, rows, options);
    return p.run();
}

} // namespace mx::rpt
