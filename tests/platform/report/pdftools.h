#pragma once
// PDF files checked with an independent reader: Debian's poppler-utils
// (pdfinfo for the page count and size, pdftotext for the text).

#include <QProcess>
#include <QRegularExpression>
#include <QString>

#include <gtest/gtest.h>

namespace rtest {

struct PdfInfo {
    int pages = -1;
    QString pageSize; // "595.276 x 841.89 pts (A4)"
    QString title;
};

inline QString RunTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << ": " << p.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline PdfInfo ReadPdfInfo(const QString& file)
{
    PdfInfo info;
    const QString out = RunTool(QStringLiteral("pdfinfo"), {file});
    const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption);
    const QRegularExpression size(QStringLiteral("^Page size:\\s+(.+)$"), QRegularExpression::MultilineOption);
    const QRegularExpression title(QStringLiteral("^Title:\\s+(.+)$"), QRegularExpression::MultilineOption);
    if (auto m = pages.match(out); m.hasMatch())
        info.pages = m.captured(1).toInt();
    if (auto m = size.match(out); m.hasMatch())
        info.pageSize = m.captured(1).trimmed();
    if (auto m = title.match(out); m.hasMatch())
        info.title = m.captured(1).trimmed();
    return info;
}

// The text of one page (from 1), as pdftotext lays it out.
inline QString PdfPageText(const QString& file, int page)
{
    return RunTool(QStringLiteral("pdftotext"),
        {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page), file,
            QStringLiteral("-")});
}

} // namespace rtest
