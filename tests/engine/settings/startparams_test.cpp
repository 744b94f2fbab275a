#include "settingsfixture.h"

#include "platform/core/systempaths.h"

using namespace mx;

namespace {

struct ParseCase {
    const char* title;
    QStringList args;
    QList<QPair<QString, QString>> expected; // in order
};

QList<QPair<QString, QString>> pairs(const TStartParams& p)
{
    QList<QPair<QString, QString>> out;
    for (int i = 0; i < p.Count(); ++i)
        out.append({p.Names(i), p.ValueFromIndex(i)});
    return out;
}

QString launch(const QString& rel)
{
    return QDir::cleanPath(platform::launchDirectory() + u'/' + rel);
}

} // namespace

TEST(StartParams, CommandLineTable)
{
    const std::vector<ParseCase> cases = {
        {"dash names the next plain argument, upper-cased; slash is a switch",
            {"-dbeng", "MX32BDE", "/EXE", "/srv/q/SALES.MQR"},
            {{"DBENG", "MX32BDE"}, {"EXE", "TRUE"}, {"Param0", "/srv/q/SALES.MQR"}}},
        {"a later dash name replaces a pending one", {"-x", "-y", "v"}, {{"Y", "v"}}},
        {"a pending name at the end is dropped", {"a.mqr", "-CurrentDir"}, {{"Param0", launch("a.mqr")}}},
        {"a switch leaves a pending name pending", {"-dbeng", "/NOSPLASH", "MX"}, {{"NOSPLASH", "TRUE"}, {"DBENG", "MX"}}},
        {"slash switches keep their spelling", {"/NoSplash", "A.MDD"}, {{"NoSplash", "TRUE"}, {"Param0", launch("A.MDD")}}},
        {"Linux absolute paths are files, not switches",
            {"/home/u/q/sales.mqr", "/a.mqr", "/tmp/x", "/EXE"},
            {{"Param0", "/home/u/q/sales.mqr"}, {"Param1", "/a.mqr"}, {"Param2", "/tmp/x"}, {"EXE", "TRUE"}}},
        {"relative names are made absolute against the launch folder",
            {"q/../b.mqr", "./c.MDD"}, {{"Param0", launch("b.mqr")}, {"Param1", launch("c.MDD")}}},
        {"empty arguments are ignored", {"", "-a", "", "1"}, {{"A", "1"}}},
        {"a name given twice keeps its place and its last value", {"-a", "1", "-b", "2", "-A", "3"}, {{"A", "3"}, {"B", "2"}}},
        {"a dash value may look like a path", {"-CurrentDir", "/var/tmp"}, {{"CURRENTDIR", "/var/tmp"}}},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.title);
        const TStartParams p(c.args);
        EXPECT_EQ(pairs(p), c.expected);
    }
}

TEST(StartParams, LookupIgnoresCaseAndCountsPlainArguments)
{
    const TStartParams p({"-CurrentDir", "/w/x", "x.mqr", "y.mdd", "/exe"});
    EXPECT_EQ(p.Values("currentdir"), "/w/x");
    EXPECT_EQ(p.Values("CURRENTDIR"), "/w/x");
    EXPECT_EQ(p.Values("EXE"), "TRUE");
    EXPECT_TRUE(p.Contains("Exe"));
    EXPECT_FALSE(p.Contains("dbeng"));
    EXPECT_EQ(p.Values("dbeng"), "");
    EXPECT_EQ(p.ParamCount(), 2);
    EXPECT_EQ(p.Param(1), launch("y.mdd"));
    EXPECT_EQ(p.Values("param0"), launch("x.mqr"));
}

class QuietStart : public mxtest::SettingsTest {};

TEST_F(QuietStart, SwitchesOfAQuietStart)
{
    const std::vector<std::pair<QStringList, bool>> cases = {
        {{"/NOSPLASH", "A.MDD"}, true},
        {{"/srv"}, true},
        {{"-REGSERVER", "true"}, true},
        {{"-NOSPLASH", "no"}, false},
        {{"/EXE", "q.mqr"}, false},
        {{"/srv/data/q.mqr"}, false}, // a file, not the SRV switch
    };
    for (const auto& [args, quiet] : cases) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        SetArgs(args);
        EXPECT_EQ(IsQuietStart(), quiet);
        EXPECT_EQ(StartParams().Count() > 0, true);
    }
}
