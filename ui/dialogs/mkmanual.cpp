// mkmanual OUTPUT.pdf PAGE.html...: writes the user manual from the help
// pages. The contents page (index.html) comes first, then the pages in the
// order it lists them, then any other page; each page starts on a new
// sheet, and links between pages become links inside the manual.

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMap>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextDocument>

#include <cstdio>

namespace {

QString bodyOf(const QString& html)
{
    static const QRegularExpression body(QStringLiteral("<body[^>]*>(.*)</body>"),
        QRegularExpression::DotMatchesEverythingOption | QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = body.match(html);
    return m.hasMatch() ? m.captured(1) : html;
}

QString anchorOf(const QString& fileName)
{
    return QFileInfo(fileName).completeBaseName();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: mkmanual OUTPUT.pdf PAGE.html...\n");
        return 2;
    }
    QMap<QString, QString> pages; // anchor -> body
    for (const QString& file : args.mid(1)) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "mkmanual: cannot read %s\n", qPrintable(file));
            return 1;
        }
        pages.insert(anchorOf(file), bodyOf(QString::fromUtf8(f.readAll())));
    }
    // The order: the contents, what it links, the rest.
    QStringList order;
    if (pages.contains(QStringLiteral("index")))
        order << QStringLiteral("index");
    static const QRegularExpression link(QStringLiteral("href=\"([^\"#/]+)\\.html\""));
    for (auto it = link.globalMatch(pages.value(QStringLiteral("index"))); it.hasNext();) {
        const QString name = it.next().captured(1);
        if (pages.contains(name) && !order.contains(name))
            order << name;
    }
    for (auto it = pages.cbegin(); it != pages.cend(); ++it)
        if (!order.contains(it.key()))
            order << it.key();

    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body>");
    bool first = true;
    for (const QString& name : order) {
        QString body = pages.value(name);
        body.replace(link, QStringLiteral("href=\"#\\1\""));
        html += first ? QStringLiteral("<div>") : QStringLiteral("<div style=\"page-break-before: always\">");
        html += QStringLiteral("<a name=\"") + name + QStringLiteral("\"></a>") + body + QStringLiteral("</div>");
        first = false;
    }
    html += QStringLiteral("</body></html>");

    // The old manual stays until the new one is complete.
    QSaveFile out(args[0]);
    if (!out.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "mkmanual: cannot write %s\n", qPrintable(args[0]));
        return 1;
    }
    {
        QPdfWriter pdf(&out);
        pdf.setTitle(QStringLiteral("Morvelin : manuel de l'utilisateur"));
        pdf.setCreator(QStringLiteral("Morvelin"));
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20)));
        QTextDocument doc;
        doc.setHtml(html);
        doc.print(&pdf);
    }
    if (!out.commit()) {
        std::fprintf(stderr, "mkmanual: cannot write %s\n", qPrintable(args[0]));
        return 1;
    }
    return 0;
}
