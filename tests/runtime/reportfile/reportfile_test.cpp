// Report files as the runtime reads them: names found without regard to
// case, the first of a name kept, and files of many keys read in one walk
// (a file of 100,000 variables and 100,000 captions, with 10,000 initial
// values, is read here at once; read pairwise it would take hours).

#include "runtime/reportfile.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& text)
{
    const QString file = dir.filePath(name);
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    return file;
}

} // namespace

TEST(ReportFile, AFileOfManyVariablesAndCaptionsIsReadAndSetInOneWalk)
{
    constexpr int n = 100000;
    QTemporaryDir dir;
    QByteArray text = "[Report]\nTitle=Total {V99999} sur {v0}\nOutput=pdf\nFile=" + QFile::encodeName(dir.filePath("r.pdf"))
        + "\n[Captions]\n";
    for (int i = 0; i < n; ++i)
        text += "F" + QByteArray::number(i) + "=Colonne " + QByteArray::number(i) + "\n";
    text += "[Variables]\n";
    for (int i = 0; i < n; ++i)
        text += "V" + QByteArray::number(i) + "=d" + QByteArray::number(i) + "\n";
    text += "v5=doublon\n"; // the first of a name is kept
    morvrs::ReportFile report;
    QString error;
    ASSERT_TRUE(report.load(WriteFile(dir, QStringLiteral("GRAND.rpt"), text), &error)) << error.toStdString();
    ASSERT_EQ(report.variables.size(), n);
    EXPECT_EQ(report.variables[5].second, QStringLiteral("d5"));
    EXPECT_EQ(report.caption(QStringLiteral("f77777")), QStringLiteral("Colonne 77777"));
    EXPECT_EQ(report.caption(QStringLiteral("Absent")), QStringLiteral("Absent"));
    EXPECT_EQ(report.expandedTitle(), QStringLiteral("Total d99999 sur d0"));

    QList<QPair<QString, QString>> values;
    for (int i = 0; i < n; i += 10)
        values.append({QStringLiteral("v%1").arg(i), QStringLiteral("x%1").arg(i)});
    QString unknown;
    ASSERT_TRUE(report.setVariables(values, &unknown)) << unknown.toStdString();
    EXPECT_EQ(report.variables[99990].second, QStringLiteral("x99990"));
    EXPECT_EQ(report.variables[99991].second, QStringLiteral("d99991"));
    EXPECT_EQ(report.expandedTitle(), QStringLiteral("Total d99999 sur x0"));

    values = {{QStringLiteral("V1"), QStringLiteral("un")}, {QStringLiteral("Inconnue"), QStringLiteral("1")}};
    EXPECT_FALSE(report.setVariables(values, &unknown));
    EXPECT_EQ(unknown, QStringLiteral("Inconnue"));
}
