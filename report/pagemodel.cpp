#include "pagemodel.h"

#include "engine/core/exceptions.h"
#include "engine/model/fontspec.h"
#include "engine/settings/global.h"

#include <QDir>
#include <QTemporaryFile>

#include <cstring>

namespace mx::rpt {

TReportFont FontOf(const TFontSpec& spec)
{
    TReportFont f;
    f.family = spec.Name().isEmpty() ? QStringLiteral("Arial") : spec.Name();
    f.pointSize = spec.Size() >= 1 ? spec.Size() : 10;
    const TFontStyles s = spec.Style();
    f.bold = s & FontStyle(fsBold);
    f.italic = s & FontStyle(fsItalic);
    f.underline = s & FontStyle(fsUnderline);
    f.strikeOut = s & FontStyle(fsStrikeOut);
    f.color = RgbOfColor(spec.Color());
    return f;
}

quint32 RgbOfColor(qint32 color)
{
    const quint32 c = quint32(color);
    if (c & 0xFF000000u)
        return 0; // a system colour: text colour, black on paper
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// ---- page bytes ---------------------------------------------------------

namespace {

class TPageWriter {
public:
    explicit TPageWriter(QByteArray& out) : m_out(out) {}
    void i32(qint32 v)
    {
        char b[4];
        std::memcpy(b, &v, 4);
        m_out.append(b, 4);
    }
    void u8(quint8 v) { m_out.append(char(v)); }
    void text(const QString& s)
    {
        i32(qint32(s.size()));
        m_out.append(reinterpret_cast<const char*>(s.constData()), s.size() * 2);
    }

private:
    QByteArray& m_out;
};

class TPageReader {
public:
    TPageReader(const char* in, qsizetype size) : m_in(in), m_size(size) {}
    qint32 i32()
    {
        need(4);
        qint32 v;
        std::memcpy(&v, m_in + m_pos, 4);
        m_pos += 4;
        return v;
    }
    quint8 u8()
    {
        need(1);
        return quint8(m_in[m_pos++]);
    }
    QString text()
    {
        const qint32 n = i32();
        if (n < 0)
            bad();
        need(qsizetype(n) * 2);
        QString s(n, Qt::Uninitialized);
        std::memcpy(s.data(), m_in + m_pos, size_t(n) * 2);
        m_pos += qsizetype(n) * 2;
        return s;
    }
    qint32 count()
    {
        const qint32 n = i32();
        if (n < 0 || n > m_size)
            bad();
        return n;
    }
    bool atEnd() const { return m_pos == m_size; }

private:
    void need(qsizetype n) const
    {
        if (n > m_size - m_pos)
            bad();
    }
    [[noreturn]] static void bad() { throw EReadError(QStringLiteral("Invalid page data")); }
    const char* m_in;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

} // namespace

QByteArray EncodePage(const TReportPage& page)
{
    QByteArray out;
    EncodePage(page, page.number, out);
    return out;
}

void EncodePage(const TReportPage& page, int number, QByteArray& out)
{
    out.clear(); // keeps its room
    out.reserve(qsizetype(64 + page.texts.size() * 48 + page.lines.size() * 24 + page.boxes.size() * 36));
    TPageWriter w(out);
    w.i32(number);
    w.i32(qint32(page.boxes.size()));
    for (const TPageBox& b : page.boxes) {
        w.i32(b.x);
        w.i32(b.y);
        w.i32(b.width);
        w.i32(b.height);
        w.i32(b.penWidth);
        w.i32(qint32(b.penColor));
        w.i32(qint32(b.fillColor));
        w.u8(quint8((b.filled ? 1 : 0) | (b.ellipse ? 2 : 0)));
    }
    w.i32(qint32(page.lines.size()));
    for (const TPageLine& l : page.lines) {
        w.i32(l.x1);
        w.i32(l.y1);
        w.i32(l.x2);
        w.i32(l.y2);
        w.i32(l.width);
        w.i32(qint32(l.color));
    }
    w.i32(qint32(page.texts.size()));
    for (const TPageText& t : page.texts) {
        w.i32(t.x);
        w.i32(t.y);
        w.i32(t.width);
        w.i32(t.height);
        w.i32(t.font);
        w.u8(t.alignment);
        w.u8(quint8((t.clip ? 1 : 0) | (t.pageCount ? 2 : 0)));
        w.text(t.text);
    }
}

TReportPage DecodePage(const QByteArray& bytes)
{
    TReportPage page;
    DecodePage(bytes.constData(), bytes.size(), page);
    return page;
}

void DecodePage(const char* bytes, qsizetype size, TReportPage& page)
{
    TPageReader r(bytes, size);
    page.number = r.i32();
    page.boxes.resize(size_t(r.count()));
    for (TPageBox& b : page.boxes) {
        b.x = r.i32();
        b.y = r.i32();
        b.width = r.i32();
        b.height = r.i32();
        b.penWidth = r.i32();
        b.penColor = quint32(r.i32());
        b.fillColor = quint32(r.i32());
        const quint8 flags = r.u8();
        b.filled = flags & 1;
        b.ellipse = flags & 2;
    }
    page.lines.resize(size_t(r.count()));
    for (TPageLine& l : page.lines) {
        l.x1 = r.i32();
        l.y1 = r.i32();
        l.x2 = r.i32();
        l.y2 = r.i32();
        l.width = r.i32();
        l.color = quint32(r.i32());
    }
    page.texts.resize(size_t(r.count()));
    for (TPageText& t : page.texts) {
        t.x = r.i32();
        t.y = r.i32();
        t.width = r.i32();
        t.height = r.i32();
        t.font = quint16(r.i32());
        t.alignment = r.u8();
        const quint8 flags = r.u8();
        t.clip = flags & 1;
        t.pageCount = flags & 2;
        t.text = r.text();
    }
    if (!r.atEnd())
        throw EReadError(QStringLiteral("Invalid page data"));
}

// ---- the document --------------------------------------------------------

struct TReportDocument::Spool {
    QTemporaryFile file{QDir::tempPath() + QStringLiteral("/morvelin-pages-XXXXXX")};
    qint64 size = 0;
};

TReportDocument::TReportDocument() = default;
TReportDocument::~TReportDocument() = default;

quint16 TReportDocument::FontIndex(const TReportFont& font)
{
    for (size_t i = 0; i < m_fonts.size(); ++i)
        if (m_fonts[i] == font)
            return quint16(i);
    if (m_fonts.size() >= 0xFFFF)
        throw EMxInternal(QStringLiteral("Too many fonts in a report"));
    m_fonts.push_back(font);
    return quint16(m_fonts.size() - 1);
}

namespace {
[[noreturn]] void spoolFailed(const QString& why)
{
    throw EInOutError(TranslateFmt(QStringLiteral("Impossible d'écrire les pages du rapport dans un fichier temporaire : %s"), {why}));
}
} // namespace

void TReportDocument::AddPage(const TReportPage& page)
{
    if (!m_spool) {
        m_spool = std::make_unique<Spool>();
        if (!m_spool->file.open()) {
            const QString why = m_spool->file.errorString();
            m_spool.reset();
            spoolFailed(why);
        }
    }
    EncodePage(page, PageCount() + 1, m_encoded);
    if (!m_spool->file.seek(m_spool->size) || m_spool->file.write(m_encoded) != m_encoded.size())
        spoolFailed(m_spool->file.errorString());
    m_offsets.emplace_back(m_spool->size, qint64(m_encoded.size()));
    m_spool->size += m_encoded.size();
}

TReportPage TReportDocument::Page(int index) const
{
    if (index == m_cachedIndex && m_cached)
        return *m_cached;
    auto page = std::make_shared<TReportPage>();
    ReadPage(index, *page);
    m_cached = std::move(page);
    m_cachedIndex = index;
    return *m_cached;
}

void TReportDocument::ReadPage(int index, TReportPage& page) const
{
    if (index < 0 || index >= PageCount())
        throw EMxInternal(QStringLiteral("No page %1 in a report of %2").arg(index + 1).arg(PageCount()));
    const auto [offset, length] = m_offsets[size_t(index)];
    QFile& f = m_spool->file;
    if (!f.seek(offset))
        throw EInOutError(TranslateFmt(QStringLiteral("Impossible de relire la page %d du rapport : %s"), {index + 1, f.errorString()}));
    if (m_read.size() < length)
        m_read.resize(length);
    if (f.read(m_read.data(), length) != length)
        throw EInOutError(TranslateFmt(QStringLiteral("Impossible de relire la page %d du rapport : %s"), {index + 1, f.errorString()}));
    DecodePage(m_read.constData(), length, page);
}

QString TReportDocument::TextOf(const TPageText& text) const
{
    if (!text.pageCount)
        return text.text;
    QString s = text.text;
    s.replace(PageCountMark(), QString::number(PageCount()));
    return s;
}

} // namespace mx::rpt
