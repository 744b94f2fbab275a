#include "painterrender.h"

#include "pagemodel.h"
#include "reportparts.h"

#include "engine/core/exceptions.h"
#include "engine/settings/global.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <cerrno>
#include <cstring>
#include <array>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mx::rpt {

bool CanRender()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

THookSlot<void()> RenderingApplicationHook;

namespace {
constexpr double kHeightSlack = 3; // 0.1 mm
} // namespace

void RequireRendering()
{
    if (!CanRender() && RenderingApplicationHook)
        RenderingApplicationHook();
    if (!CanRender())
        throw EMxException(Translate(QStringLiteral("Le rapport ne peut pas être imprimé : le programme a démarré sans "
                                                    "interface graphique (QGuiApplication).")));
}

struct TPageRenderer::Fonts {
    struct Entry {
        QFont font;
        QColor color;
        double ascent = 0;
        double height = 0;   // ascent + descent
        double maxWidth = 0; // of the widest character
        // advances of the Latin-1 characters, measured once each (-1: not yet)
        std::array<double, 256> latin;
        std::unique_ptr<QFontMetricsF> metrics;

        // True when text surely fits width: its characters' advances,
        // summed one by one (kerning only narrows the shaped text), with a
        // margin. Shaping every text to know it is the costliest part of a
        // page, and most texts are far from their box's edge.
        bool Fits(const QString& text, double width)
        {
            if (double(text.size()) * maxWidth <= width)
                return true;
            double sum = 0;
            for (const QChar c : text) {
                const char16_t u = c.unicode();
                if (u >= 256)
                    return false;
                if (latin[u] < 0)
                    latin[u] = metrics->horizontalAdvance(c);
                sum += latin[u];
                if (sum * 1.05 > width)
                    return false;
            }
            return true;
        }
    };
    std::vector<Entry> entries;
};

TPageRenderer::TPageRenderer(QPainter& painter, const TReportDocument& document, double sx, double sy, QPointF origin,
    double fontScale)
    : m_painter(painter), m_doc(document), m_sx(sx), m_sy(sy), m_origin(origin), m_fontScale(fontScale),
      m_fonts(std::make_unique<Fonts>())
{
    for (const TReportFont& f : document.Fonts()) {
        Fonts::Entry e;
        e.font = QFont(f.family);
        e.font.setPointSizeF(f.pointSize * fontScale);
        e.font.setBold(f.bold);
        e.font.setItalic(f.italic);
        e.font.setUnderline(f.underline);
        e.font.setStrikeOut(f.strikeOut);
        e.color = QColor::fromRgb(f.color);
        e.metrics = std::make_unique<QFontMetricsF>(e.font, painter.device());
        e.ascent = e.metrics->ascent();
        e.height = e.metrics->ascent() + e.metrics->descent();
        e.maxWidth = e.metrics->maxWidth();
        e.latin.fill(-1);
        m_fonts->entries.push_back(std::move(e));
    }
}

TPageRenderer::~TPageRenderer() = default;



void TPageRenderer::Render(const TReportPage& page)
{
    QPainter& p = m_painter;
    const auto X = [&](qint32 v) { return m_origin.x() + v * m_sx; };
    const auto Y = [&](qint32 v) { return m_origin.y() + v * m_sy; };
    for (const TPageBox& b : page.boxes) {
        const QRectF r(X(b.x), Y(b.y), b.width * m_sx, b.height * m_sy);
        p.setBrush(b.filled ? QBrush(QColor::fromRgb(b.fillColor)) : QBrush(Qt::NoBrush));
        if (b.penWidth > 0)
            p.setPen(QPen(QColor::fromRgb(b.penColor), b.penWidth * m_sx));
        else
            p.setPen(Qt::NoPen);
        if (b.ellipse)
            p.drawEllipse(r);
        else
            p.drawRect(r);
    }
    p.setBrush(Qt::NoBrush);
    for (const TPageLine& l : page.lines) {
        p.setPen(QPen(QColor::fromRgb(l.color), l.width * m_sx, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(X(l.x1), Y(l.y1)), QPointF(X(l.x2), Y(l.y2)));
    }
    int currentFont = -1;
    for (const TPageText& t : page.texts) {
        if (t.font >= m_fonts->entries.size())
            continue;
        Fonts::Entry& f = m_fonts->entries[t.font];
        if (currentFont != t.font) {
            p.setFont(f.font);
            p.setPen(f.color);
            currentFont = t.font;
        }
        const QString text = m_doc.TextOf(t);
        double x = X(t.x);
        const double w = t.width * m_sx;
        // measured only when needed: to align, or to know whether a text
        // to be cut at its box may pass it (a text whose characters, each
        // as wide as the widest, fit cannot)
        double advance = 0;
        if (t.alignment != taLeftJustify || (t.clip && !f.Fits(text, w)))
            advance = f.metrics->horizontalAdvance(text);
        if (t.alignment != taLeftJustify)
            x += t.alignment == taRightJustify ? w - advance : (w - advance) / 2;
        const QPointF at(x, Y(t.y) + f.ascent);
        // A clip that would cut nothing is not set: each one costs the PDF a
        // saved state and a path around the text, and most texts fit (a
        // box measured in whole pixels may be a fraction of one lower than
        // its text: 0.3 mm is allowed).
        const bool cut = t.clip
            && (x < X(t.x) || x + advance > X(t.x) + w || f.height > (t.height + kHeightSlack) * m_sy);
        if (cut) {
            p.save();
            p.setClipRect(QRectF(X(t.x), Y(t.y), t.width * m_sx, t.height * m_sy));
            p.drawText(at, text);
            p.restore();
            p.setFont(f.font);
            p.setPen(f.color);
        } else {
            p.drawText(at, text);
        }
    }
}

namespace {

QPageLayout layoutOf(const TReportDocument& doc)
{
    // The page size is given portrait, the orientation turns it.
    QSizeF mm(doc.PageSize.width() / 10.0, doc.PageSize.height() / 10.0);
    const bool landscape = mm.width() > mm.height();
    if (landscape)
        mm.transpose();
    return QPageLayout(QPageSize(mm, QPageSize::Millimeter, QString(), QPageSize::FuzzyOrientationMatch),
        landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

[[noreturn]] void pdfFailed(const QString& fileName, const QString& why)
{
    throw EInOutError(TranslateFmt(QStringLiteral("Impossible d'écrire le fichier %s : %s"), {fileName, why}));
}

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// The mode a new file gets from the process's umask (the temporary file is
// made private; the report it becomes is an ordinary file).
mode_t ordinaryFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The PDF's temporary file, written straight through write(2) so that a
// write the system refuses (a full disk, a size limit) is told with the
// system's reason. The file is removed unless it was renamed into place.
class TPdfFile : public QIODevice {
    Q_OBJECT

public:
    explicit TPdfFile(const QString& fileName) : m_fileName(fileName) {}
    ~TPdfFile() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_tmp.isEmpty())
            ::unlink(m_tmp.constData());
    }

    // Refuses a target that is not a regular file (a link, a device, a
    // FIFO, a folder) and a missing folder, then makes the temporary file.
    void Create()
    {
        const QByteArray target = QFile::encodeName(m_fileName);
        struct stat st {};
        if (::lstat(target.constData(), &st) == 0 && !S_ISREG(st.st_mode))
            pdfFailed(m_fileName, S_ISLNK(st.st_mode)
                    ? Translate(QStringLiteral("c'est un lien symbolique, qui n'est pas remplacé"))
                    : Translate(QStringLiteral("ce n'est pas un fichier ordinaire")));
        const QString folder = QFileInfo(m_fileName).absolutePath();
        struct stat dir {};
        if (::stat(QFile::encodeName(folder).constData(), &dir) != 0 || !S_ISDIR(dir.st_mode))
            pdfFailed(m_fileName, TranslateFmt(QStringLiteral("le dossier %s n'existe pas"), {folder}));
        QByteArray pattern = QFile::encodeName(folder + u'/' + u'.' + QFileInfo(m_fileName).fileName()) + ".XXXXXX";
        m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (m_fd < 0)
            pdfFailed(m_fileName, errnoText(errno));
        m_tmp = pattern;
        open(QIODevice::WriteOnly);
    }

    // Whether a write failed, and why.
    bool Failed() const { return !m_why.isEmpty(); }
    const QString& Why() const { return m_why; }

    // Flushes the file to disk and renames it over the target.
    void Commit()
    {
        if (Failed())
            pdfFailed(m_fileName, m_why);
        if (::fchmod(m_fd, ordinaryFileMode()) != 0 || ::fsync(m_fd) != 0)
            pdfFailed(m_fileName, errnoText(errno));
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0)
            pdfFailed(m_fileName, errnoText(errno));
        // rename replaces the name itself: a link put there meanwhile is
        // replaced, never followed.
        if (::rename(m_tmp.constData(), QFile::encodeName(m_fileName).constData()) != 0)
            pdfFailed(m_fileName, errnoText(errno));
        m_tmp.clear();
    }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (Failed())
            return -1;
        qint64 done = 0;
        while (done < size) {
            const ssize_t n = ::write(m_fd, data + done, size_t(size - done));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                m_why = errnoText(errno);
                return -1;
            }
            done += n;
        }
        return done;
    }

private:
    QString m_fileName;
    QByteArray m_tmp;
    int m_fd = -1;
    QString m_why;
};

} // namespace

void WritePdf(const TReportDocument& document, const QString& fileName)
{
    RequireRendering();
    if (document.PageCount() == 0)
        throw EMxException(TranslateFmt(QStringLiteral("Le rapport n'a aucune page : %s n'est pas écrit."), {fileName}));
    TPdfFile file(fileName);
    file.Create();
    // What failed is told by the write that failed, with the system's
    // reason; an input/output error when no write says more.
    const auto failed = [&file, &fileName] {
        pdfFailed(fileName, file.Failed() ? file.Why() : errnoText(EIO));
    };
    {
        QPdfWriter writer(&file);
        writer.setResolution(600);
        writer.setPageLayout(layoutOf(document));
        writer.setTitle(document.Title.isEmpty() ? QFileInfo(fileName).completeBaseName() : document.Title);
        writer.setCreator(QStringLiteral("Morvelin"));
        QPainter painter;
        if (!painter.begin(&writer))
            failed();
        const double s = writer.resolution() / 254.0;
        TPageRenderer renderer(painter, document, s, s);
        TReportPage page;
        for (int i = 0; i < document.PageCount(); ++i) {
            if (file.Failed() || (i > 0 && !writer.newPage()))
                failed();
            document.ReadPage(i, page);
            renderer.Render(page);
        }
        if (!painter.end() || file.Failed())
            failed();
    }
    file.Commit();
}

void PrintDocument(const TReportDocument& document, QPrinter& printer)
{
    RequireRendering();
    const QString name = printer.printerName().isEmpty() ? printer.outputFileName() : printer.printerName();
    if (document.PageCount() == 0)
        return;
    printer.setFullPage(true);
    printer.setPageLayout(layoutOf(document));
    if (printer.docName().isEmpty())
        printer.setDocName(document.Title.isEmpty() ? QStringLiteral("Morvelin") : document.Title);
    int from = 1;
    int to = document.PageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = std::max(1, printer.fromPage());
        to = std::min(to, printer.toPage() > 0 ? printer.toPage() : to);
    }
    QPainter painter;
    if (!painter.begin(&printer))
        throw EMxException(TranslateFmt(QStringLiteral("L'impression sur %s ne peut pas commencer."), {name}));
    const double sx = printer.logicalDpiX() / 254.0;
    const double sy = printer.logicalDpiY() / 254.0;
    // The printable area's corner is not the paper's: full page drawing
    // puts 0 at the paper's corner.
    TPageRenderer renderer(painter, document, sx, sy);
    TReportPage page;
    for (int i = from; i <= to; ++i) {
        if (i > from && !printer.newPage()) {
            painter.end();
            throw EMxException(TranslateFmt(QStringLiteral("L'impression sur %s a échoué."), {name}));
        }
        document.ReadPage(i - 1, page);
        renderer.Render(page);
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted)
        throw EMxException(TranslateFmt(QStringLiteral("L'impression sur %s a échoué."), {name}));
}

} // namespace mx::rpt

#include "painterrender.moc"
