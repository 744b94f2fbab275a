// What a report hands the runtime: the report file's name and the initial
// values with the program's process id.

#include "linkfixture.h"

#include "engine/core/exceptions.h"

using namespace mx;

TEST(ReportFile, GetsItsFolderSeparatorAndDefaultExtension)
{
    const struct {
        const char* dir;
        const char* name;
        const char* file;
    } cases[] = {
        {"/r", "VENTES", "/r/VENTES.rpt"},
        {"/r/", "VENTES", "/r/VENTES.rpt"},
        {"/r", "VENTES.RPT", "/r/VENTES.RPT"}, // a name with a dot is used as it is
        {"/r", "v.1", "/r/v.1"},
        {"", "VENTES", "VENTES.rpt"},
        {"/r", "", ""}, // nothing to load
    };
    for (const auto& c : cases) {
        TReport report;
        report.SetReportDir(QString::fromLatin1(c.dir));
        report.SetReportName(QString::fromLatin1(c.name));
        EXPECT_EQ(report.ReportFileName(), QString::fromLatin1(c.file)) << c.dir << " " << c.name;
    }
}

TEST(ReportInitialValues, JoinTheLinesAndEndWithTheProcessId)
{
    const struct {
        QStringList lines;
        const char* text;
    } cases[] = {
        {{"a>1", "b>2"}, R"("a>1, b>2","#ff")"},
        {{"titre", "a>1"}, R"("titrea>1","#ff")"}, // a line without ">" gets no separator
        {{"a>1", "titre", "b>2"}, R"("a>1, titreb>2","#ff")"},
        {{}, R"("","#ff")"},
        {{"a>x, y"}, R"("a>x, y","#ff")"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TReport::InitialValuesText(c.lines, 255), QString::fromUtf8(c.text)) << c.lines.join(u'|').toStdString();
    EXPECT_EQ(TReport::InitialValuesText({}, 0x1234abcd), QStringLiteral("\"\",\"#1234abcd\""));
}

TEST(ReportInitialValues, ThatDoNotFitAreRefusedNeverCut)
{
    const QString fits = QString(254, u'x') + u'>';
    EXPECT_NO_THROW(TReport::InitialValuesText({fits}, 1));
    const struct {
        const char* what;
        QStringList lines;
    } cases[] = {
        {"a line of 256 bytes", {QString(255, u'x') + u'>'}},
        {"128 accents are 256 bytes", {QString(127, u'é') + u'>' + u'x'}},
        {"the whole over 65,520 bytes", QStringList(300, QString(249, u'v') + u'>')},
    };
    for (const auto& c : cases)
        EXPECT_THROW(TReport::InitialValuesText(c.lines, 1), EMxException) << c.what;
}
