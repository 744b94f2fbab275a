// The small administration helpers: names, types, dialects, table file
// names and the progress gauge.

#include "tests/support/testsupport.h"

#include "engine/admin/adminhelpers.h"
#include "engine/core/hookslot.h"
#include "engine/core/sqlsyntax.h"
#include "engine/core/translate.h"
#include "engine/global/datasource.h"
#include "engine/global/fieldtype.h"

#include <QStringList>

namespace {

using namespace mx;

TEST(AdminHelpers, CapitalizeFirst)
{
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {{"", ""}, {"CLIENTS", "Clients"}, {"fr", "Fr"}, {"éTé", "Été"}, {"x", "X"}};
    for (const auto& c : cases)
        EXPECT_EQ(CapitalizeFirst(QString::fromUtf8(c.text)), QString::fromUtf8(c.expected)) << c.text;
}

TEST(AdminHelpers, OutputFromNameTriesTheTranslationThenTheStoredName)
{
    // A translation of the names that differs from them.
    ScopedHook<THookSlot<QString(const QString&)>> translate(TranslateHook, [](const QString& text) {
        return text.startsWith(QStringLiteral("Dest_")) ? QStringLiteral("Sortie ") + text.mid(5) : text;
    });
    const struct {
        const char* name;
        TDestinationOutput expected;
    } cases[] = {
        {"Dest_Table", doTable}, {"Sortie Table", doTable}, {"Dest_CrossTab", doCrosstab}, {"Sortie Graph", doGraph},
        {"Dest_File", doFile}, {"", doReport}, {"Inconnu", doReport}, {"dest_table", doReport},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OutputFromName(QString::fromUtf8(c.name)), c.expected) << c.name;
    for (TDestinationOutput o : {doReport, doFile, doGraph, doCrosstab, doTable})
        EXPECT_EQ(OutputFromName(OutputName(o)), o);
}

TEST(AdminHelpers, FieldTypeLookups)
{
    TFieldTypeList types;
    const struct {
        const char* full;
        char shortType;
        char longType;
    } rows[] = {{"ALPHA", 'A', 'A'}, {"MEMO", 'M', 'A'}, {"NUMBER", 'N', 'N'}, {"MONEY", '$', 'N'}, {"DATE", 'D', 'D'}};
    for (const auto& r : rows) {
        TFieldTypeItem* item = types.AddNew();
        item->SetFullType(QString::fromLatin1(r.full));
        item->SetShortType(QLatin1Char(r.shortType));
        item->SetLongType(QLatin1Char(r.longType));
    }
    EXPECT_EQ(FindShortType(types, QStringLiteral("MONEY")), QChar(u'$'));
    EXPECT_EQ(FindShortType(types, QStringLiteral("money")), QChar()); // case counts
    EXPECT_EQ(FindShortType(types, QStringLiteral("VARCHAR")), QChar());

    const struct {
        char a, b;
        bool same;
    } pairs[] = {{'A', 'M', true}, {'N', '$', true}, {'A', 'N', false}, {'D', 'X', false}, {'X', 'Y', true}};
    for (const auto& p : pairs)
        EXPECT_EQ(SameLongType(types, QLatin1Char(p.a), QLatin1Char(p.b)), p.same) << p.a << p.b;
}

TEST(AdminHelpers, SetSyntaxPropertiesCopiesTheDialectButNotTheRowLimitSwitch)
{
    TDbEngDatasource datasource;
    datasource.SetSQLLimitRows(true);
    TSQLSyntaxProperties syntax;
    syntax.ConstantQuoter = QStringLiteral("'");
    syntax.FieldQuoter = QStringLiteral("`");
    syntax.ConcatOperator = QStringLiteral("+");
    syntax.SQLDateEditor = QStringLiteral("d/m/y");
    syntax.SQLDateFormater = QStringLiteral("%y-%m-%d");
    syntax.Capabilities = SqlCap(scQuoteDates) | SqlCap(scLimitRows);
    syntax.LimitRowsSyntax = QStringLiteral("LIMIT %d");
    syntax.LimitRowCount = 250;
    SetSyntaxProperties(&datasource, syntax);
    EXPECT_EQ(datasource.ConstantQuoter(), syntax.ConstantQuoter);
    EXPECT_EQ(datasource.FieldQuoter(), syntax.FieldQuoter);
    EXPECT_EQ(datasource.SQLStringConcatOperator(), syntax.ConcatOperator);
    EXPECT_EQ(datasource.SQLDateEditor(), syntax.SQLDateEditor);
    EXPECT_EQ(datasource.SQLDateFormater(), syntax.SQLDateFormater);
    EXPECT_EQ(datasource.SQLCapabilities(), syntax.Capabilities);
    EXPECT_EQ(datasource.SQLLimitRowsSyntax(), syntax.LimitRowsSyntax);
    EXPECT_EQ(datasource.SQLLimitRowCount(), 250);
    EXPECT_TRUE(datasource.SQLLimitRows());
    // What goes in comes back out as SQL generation receives it.
    const TSQLSyntaxProperties back = datasource.SyntaxProperties();
    EXPECT_EQ(back.FieldQuoter, syntax.FieldQuoter);
    EXPECT_EQ(back.LimitRowCount, syntax.LimitRowCount);
}

TEST(AdminHelpers, PlainFileNames)
{
    const struct {
        const char* text;
        bool plain;
    } cases[] = {{"MORVELIN", true}, {"", true}, {"orders.db", true}, {"/data/x", false}, {"data/x", false},
        {"C:\\DATA", false}, {":ALIAS:T", false}, {"rel\\x", false}};
    for (const auto& c : cases)
        EXPECT_EQ(IsPlainFileName(QString::fromUtf8(c.text)), c.plain) << c.text;
}

TEST(AdminHelpers, AliasAndPathSplits)
{
    const struct {
        const char* name;
        const char* aliasOrPath;
        const char* fileName;
    } cases[] = {
        {"", "", ""},
        {":ALIAS:T", "ALIAS", "T"},
        {":Ventes:CLIENTS.DB", "Ventes", "CLIENTS.DB"},
        {"::T", "", "T"},
        {":ALIAS", "ALIAS", ""},
        {"/d/x.db", "/d/", "x.db"},
        {"/Data/Ventes/Clients.DB", "/Data/Ventes/", "Clients.DB"}, // never re-cased
        {"C:\\D\\X.DB", "C:\\D\\", "X.DB"},
        {"/home/u/win\\mixed.db", "/home/u/win\\", "mixed.db"},
        {"relative/t.db", "relative/", "t.db"},
        {"T.DB", "", "T.DB"},
        {"/", "/", ""},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromUtf8(c.name);
        EXPECT_EQ(ExtractAliasOrPath(name), QString::fromUtf8(c.aliasOrPath)) << c.name;
        EXPECT_EQ(ExtractAliasFileName(name), QString::fromUtf8(c.fileName)) << c.name;
        if (!name.startsWith(u':')) {
            EXPECT_EQ(ExtractAliasOrPath(name) + ExtractAliasFileName(name), name) << c.name;
        }
    }
}

TEST(AdminHelpers, NextId)
{
    const struct {
        std::vector<int> ids;
        int next;
    } cases[] = {{{}, 1}, {{3, 7}, 8}, {{7, 3}, 8}, {{-4, -1}, 1}, {{0}, 1}, {{-2, 5}, 6}};
    for (const auto& c : cases) {
        TMxList list(nullptr);
        for (int id : c.ids)
            list.AddNew()->SetId(id);
        EXPECT_EQ(list.NextId(), c.next) << c.ids.size();
    }
}

class RecordingProgress : public TProgressService {
public:
    void Start(int maximum) override
    {
        TProgressService::Start(maximum);
        calls << QStringLiteral("start %1").arg(maximum);
    }
    void Step() override
    {
        TProgressService::Step();
        calls << QStringLiteral("step %1").arg(Position());
    }
    void End() override
    {
        TProgressService::End();
        calls << QStringLiteral("end");
    }
    QStringList calls;
};

class CountingService : public TRecordingUserService {
public:
    void ProcessMessages() override { ++processed; }
    int processed = 0;
};

TEST(AdminHelpers, ProgressGoesThroughTheInstalledServiceAndLetsEventsThrough)
{
    CountingService user;
    ScopedUserService userScope(&user);
    RecordingProgress progress;
    TProgressService* old = SetProgressService(&progress);
    ProgressStart(3);
    EXPECT_TRUE(ProgressService().Shown());
    ProgressStep();
    ProgressStep();
    ProgressEnd();
    EXPECT_EQ(SetProgressService(old), &progress);
    EXPECT_EQ(progress.calls, QStringList({QStringLiteral("start 3"), QStringLiteral("step 1"), QStringLiteral("step 2"),
                                  QStringLiteral("end")}));
    EXPECT_FALSE(progress.Shown());
    EXPECT_EQ(progress.Maximum(), 3);
    EXPECT_EQ(user.processed, 4);
    // Back to the default service, which only keeps the position.
    ProgressStart(10);
    ProgressStep();
    EXPECT_EQ(ProgressService().Position(), 1);
    ProgressEnd();
    EXPECT_FALSE(ProgressService().Shown());
}

TEST(AdminHelpers, FormatLangCodeWithoutSettingsObjectGivesAnEmptyCode)
{
    EXPECT_EQ(FormatLangCode(QStringLiteral("AIDE%s.PDF")), QStringLiteral("AIDE.PDF"));
}

} // namespace
