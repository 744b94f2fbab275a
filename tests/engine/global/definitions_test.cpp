// The installation's definition files as the build writes them.

#include "tests/support/testsupport.h"
#include "tests/engine/driver/stubdriver.h"

#include "engine/core/exceptions.h"
#include "engine/destination/destinationtype.h"
#include "engine/driver/driverclasses.h"
#include "engine/driver/rootdir.h"
#include "engine/global/engineshutdown.h"
#include "engine/global/queryglobal.h"
#include "engine/model/database.h"
#include "engine/model/sqlfunction.h"
#include "engine/settings/startparams.h"
#include "engine/tools/commandline.h"

#include <QDir>
#include <QFile>

using namespace mx;

namespace {

// Stands for the built-in engine (the engine name "MX32BDE" and its files).
class TBuiltInStandIn : public TStubDriver {
    MX_CLASS(TBuiltInStandIn)
public:
    using TStubDriver::TStubDriver;
    static bool AcceptsEngine(const QString& name) { return name.toUpper() == u"MX32BDE"; }
};

const QString kDefinitions = QStringLiteral(MX_DEFINITIONS_DIR "/");

} // namespace

MX_DEFINE_CLASS(TBuiltInStandIn, TIMxDriver, nullptr)

class DefinitionsTest : public mxtest::EngineTest {
protected:
    DefinitionsTest()
        : m_rootHook(RootDirOverride, [this] { return m_root; })
    {
        SetCommandLineArguments({});
        ResetStartParams();
        RegisterMxDriver<TBuiltInStandIn>([] { return QStringLiteral("BDEDRIV.MXF"); },
            [] { return QStringLiteral("BDEDST32.MXF"); });
        m_global = new TMxQueryGlobal(nullptr);
    }
    ~DefinitionsTest() override
    {
        ShutdownEngine();
        UnregisterMxDriver(&TBuiltInStandIn::staticClass());
        ClearCommandLineArguments();
        ResetStartParams();
    }
    // A root folder holding the generated files, but the one left out.
    void UseCopyWithout(const QString& missing, const QByteArray& replacement = {})
    {
        UseCopyWithout(QStringList{missing}, replacement);
    }
    // The same without several files (each replaced by the same bytes).
    void UseCopyWithout(const QStringList& missing, const QByteArray& replacement = {})
    {
        m_root = Path(QStringLiteral("root/"));
        QDir().mkpath(m_root);
        for (const QString& f : QDir(kDefinitions).entryList({QStringLiteral("*.MXF")}, QDir::Files)) {
            if (!missing.contains(f))
                ASSERT_TRUE(QFile::copy(kDefinitions + f, m_root + f));
            else if (!replacement.isNull())
                mxtest::WriteAll(m_root + f, replacement);
        }
    }

    QString m_root = kDefinitions;
    ScopedHook<THookSlot<QString()>> m_rootHook;
    TMxQueryGlobal* m_global = nullptr;
};

// The filter shapes the editor checks: the first token an operator, the last
// an operand, and every neighbouring pair listed. Operands and BLANK count
// as foConst.
static bool filterAccepted(const TFilterCheckList& checks, const std::vector<TOperator>& tokens)
{
    if (tokens.empty() || tokens.front() == foConst || tokens.back() != foConst)
        return false;
    for (size_t i = 0; i + 1 < tokens.size(); ++i)
        if (!checks.IsAllowed(tokens[i], tokens[i + 1]))
            return false;
    return true;
}

TEST_F(DefinitionsTest, EveryListLoads)
{
    m_global->LoadGlobals();
    EXPECT_EQ(m_global->TotalList()->toStringList(),
        (QStringList{QStringLiteral("count"), QStringLiteral("count all"), QStringLiteral("average"), QStringLiteral("sum"),
            QStringLiteral("min"), QStringLiteral("max")}));
    EXPECT_EQ(m_global->FilterCheck()->Count(), 31);
    EXPECT_EQ(m_global->FormulaCheck()->Count(), 0);
    EXPECT_EQ(m_global->FormulaCheck()->FindResult(QStringLiteral("anything")), QString());
    EXPECT_GT(m_global->FormulaOperator()->Count(), 0);
    EXPECT_EQ(m_global->FldTypes()->Count(), 11);
    EXPECT_EQ(DestinationTypes()->Count(), 5);
    EXPECT_EQ(Datasources()->Count(), 3);
    EXPECT_GT(SQLFunctions().Count(), 0); // the optional catalogue is shipped
    EXPECT_TRUE(m_service.warnings.isEmpty()) << m_service.warnings.join(u'\n').toStdString();
    // Loading again replaces, never appends.
    m_global->LoadGlobals();
    EXPECT_EQ(m_global->FilterCheck()->Count(), 31);
    EXPECT_EQ(m_global->TotalList()->Count(), 6);
}

TEST_F(DefinitionsTest, FilterShapes)
{
    m_global->LoadGlobals();
    const TFilterCheckList& checks = *m_global->FilterCheck();
    const TOperator C = foConst;
    const struct {
        const char* shape;
        std::vector<TOperator> tokens;
        bool accepted;
    } cases[] = {
        {"= 10", {foEqual, C}, true},
        {"= 10 Et < 20", {foEqual, C, foAnd, foInf, C}, true},
        {"= Paris Ou Lyon", {foEqual, C, foOr, C}, true},
        {"Contient ab Ou Commence par x", {foContaining, C, foOr, foStarting, C}, true},
        {"= Vide", {foEqual, C}, true},
        {">= 1 Et <= 9 Ou = 20", {foEqualSup, C, foAnd, foEqualInf, C, foOr, foEqual, C}, true},
        {"10", {C}, false},
        {"= Et", {foEqual, foAnd}, false},
        {"= 10 20", {foEqual, C, C}, false},
        {"= = 10", {foEqual, foEqual, C}, false},
        {"= 10 Et", {foEqual, C, foAnd}, false},
        {"= 10 + 2", {foEqual, C, foPlus, C}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(filterAccepted(checks, c.tokens), c.accepted) << c.shape;
}

TEST_F(DefinitionsTest, ThePalettesHaveEveryOperatorTheyNeed)
{
    m_global->LoadGlobals();
    const TFormulaOperatorList& ops = *m_global->FormulaOperator();
    const struct {
        TFormulaType mode;
        std::vector<TOperator> needed;
    } palettes[] = {
        {ftFormula, {foPlus, foMinus, foMult, foDiv, foOpenPar, foClosePar, foSysVar}},
        {ftFilter, {foEqual, foNotEqual, foInf, foEqualInf, foSup, foEqualSup, foStarting, foEnding, foContaining, foBlank,
                       foAnd, foOr, foSysVar}},
        {ftEntityFilter, {foOpenPar, foClosePar}},
    };
    for (const auto& p : palettes)
        for (TOperator op : p.needed)
            EXPECT_NE(ops.FindOperator(p.mode, op), nullptr) << "mode " << p.mode << " operator " << op;
    // Totals belong to the query field, not to formulas.
    for (TFormulaType mode : {ftFormula, ftFilter, ftEntityFilter})
        for (TOperator op : {foCount, foSum, foAverage})
            EXPECT_EQ(ops.FindOperator(mode, op), nullptr);
    EXPECT_EQ(ops.FindOperator(ftFilter, foContaining)->GetName(), QStringLiteral("Contient"));
    EXPECT_EQ(ops.FindOperator(ftFilter, foAnd)->GetName(), QStringLiteral("Et"));
    EXPECT_EQ(ops.FindOperator(ftFormula, foPlus)->GetDisplayName(), QStringLiteral("+"));
    // The system variables are evaluated under their names in upper case.
    QStringList sysVars;
    for (int i = 0; i < ops.Count(); ++i)
        if (ops.GetOperator(i)->Operator() == foSysVar && ops.GetOperator(i)->OpType() == ftFilter)
            sysVars << ops.GetOperator(i)->GetName().toUpper();
    EXPECT_EQ(sysVars, (QStringList{QStringLiteral("AUJOURD'HUI"), QStringLiteral("MAINTENANT")}));
}

TEST_F(DefinitionsTest, EveryTypeNameOfTheDriverHasItsLetters)
{
    m_global->LoadGlobals();
    const TFieldTypeList& types = *m_global->FldTypes();
    const struct {
        const char* name;
        char shortType;
        char valueType;
    } cases[] = {
        {"ALPHA", 'A', 'A'}, {"NUMBER", 'N', 'N'}, {"LOGICAL", 'L', 'L'}, {"MONEY", 'N', 'N'},
        {"BCD", 'N', 'N'}, {"DATE", 'D', 'D'}, {"TIME", 'T', 'T'}, {"TIMESTAMP", '@', '@'},
        {"BLOB", 'B', 'A'}, {"MEMO", 'M', 'A'}, {"GRAPHIC", 'G', 'A'},
    };
    for (const auto& c : cases) {
        const QChar letter = types.FindShortType(QString::fromLatin1(c.name));
        EXPECT_EQ(letter, QChar(c.shortType)) << c.name;
        EXPECT_EQ(types.ShortToLongType(letter), QChar(c.valueType)) << c.name;
    }
    // UNKNOWN, and names in another case, have no letter.
    EXPECT_EQ(types.FindShortType(QStringLiteral("UNKNOWN")), QChar());
    EXPECT_EQ(types.FindShortType(QStringLiteral("alpha")), QChar());
    EXPECT_EQ(types.ShortToLongType(u'X'), QChar());
}

TEST_F(DefinitionsTest, DialectsOfTheBuiltInEngine)
{
    m_global->LoadGlobals();
    TDbEngDatasourceList& list = *Datasources();
    TDbEngDatasource* standard = list.FindDatasource(QString());
    ASSERT_NE(standard, nullptr);
    EXPECT_EQ(standard->GetName(), QStringLiteral("STANDARD"));
    EXPECT_EQ(list.FindDatasource(QStringLiteral("sTaNdArD")), standard);
    EXPECT_EQ(list.FindDatasource(QStringLiteral("NOSUCH")), nullptr);
    EXPECT_EQ(list.FindDatasourceOrStandard(QStringLiteral("NOSUCH")), standard);

    const TSQLSyntaxProperties s = standard->SyntaxProperties();
    EXPECT_EQ(s.ConstantQuoter, QStringLiteral("'"));
    EXPECT_EQ(s.FieldQuoter, QStringLiteral("\""));
    EXPECT_EQ(s.ConcatOperator, QStringLiteral("||"));
    EXPECT_EQ(s.SQLDateEditor, QStringLiteral("d/m/y"));
    EXPECT_EQ(s.SQLDateFormater, QStringLiteral("%y-%m-%d"));
    EXPECT_TRUE(HasCap(s.Capabilities, scQuoteDates));
    EXPECT_TRUE(HasCap(s.Capabilities, scCreateViews));
    EXPECT_FALSE(HasCap(s.Capabilities, scLimitRows));
    EXPECT_EQ(s.LimitRowCount, 5000);

    // The server dialects limit rows; PostgreSQL's quotes as STANDARD does,
    // so names keep their case there.
    for (const char* name : {"sqlite", "PostgreSQL"}) {
        SCOPED_TRACE(name);
        TDbEngDatasource* server = list.FindDatasource(QString::fromLatin1(name));
        ASSERT_NE(server, nullptr);
        EXPECT_TRUE(server->SQLLimitRows());
        EXPECT_TRUE(HasCap(server->SQLCapabilities(), scLimitRows));
        const TSQLSyntaxProperties p = server->SyntaxProperties();
        EXPECT_EQ(p.LimitRowsSyntax, QStringLiteral("LIMIT %d"));
        EXPECT_EQ(p.Capabilities & ~SqlCap(scLimitRows), s.Capabilities);
        EXPECT_EQ(p.FieldQuoter, s.FieldQuoter);
        EXPECT_EQ(p.ConstantQuoter, s.ConstantQuoter);
        EXPECT_EQ(p.SQLDateFormater, s.SQLDateFormater);
    }

    // An unknown driver name gets STANDARD's dialect.
    EXPECT_EQ(DatasourceSyntax(QStringLiteral("NOSUCH")).Capabilities, s.Capabilities);

    // A database item of the data model gets its driver's dialect, and
    // STANDARD's for a driver the installation does not know.
    TMxDatabaseItem database(nullptr);
    TSQLSyntaxProperties got;
    database.SetDriverName(QStringLiteral("SQLITE"));
    ASSERT_TRUE(database.GetSyntax(got));
    EXPECT_TRUE(HasCap(got.Capabilities, scLimitRows));
    database.SetDriverName(QStringLiteral("NOSUCH"));
    ASSERT_TRUE(database.GetSyntax(got));
    EXPECT_EQ(got.Capabilities, s.Capabilities);

    // The concatenation operator reaches SQL generation cut to 5 characters.
    standard->SetSQLStringConcatOperator(QStringLiteral("||||||"));
    EXPECT_EQ(standard->SyntaxProperties().ConcatOperator, QStringLiteral("|||||"));
}

TEST_F(DefinitionsTest, DestinationTypesOfTheBuiltInEngine)
{
    m_global->LoadGlobals();
    const struct {
        const char* name;
        TDestinationOutput output;
        const char* extension;
    } cases[] = {{"Paradox", doTable, "DB"}, {"dBASE", doTable, "DBF"}, {"Texte", doFile, "TXT"},
        {"ReportSmith", doReport, "rpt"}};
    for (const auto& c : cases) {
        TDestinationItem* type = DestinationTypes()->FindByName(QString::fromLatin1(c.name));
        ASSERT_NE(type, nullptr) << c.name;
        EXPECT_EQ(type->Output(), c.output) << c.name;
        EXPECT_EQ(type->Extension(), QString::fromLatin1(c.extension)) << c.name;
        EXPECT_EQ(type->DllName(), QStringLiteral("MX32BDE")) << c.name;
    }
}

TEST_F(DefinitionsTest, TheFunctionCatalogueLoads)
{
    auto* functions = new TMxSQLFunctionList(nullptr);
    functions->LoadFromFile(kDefinitions + QStringLiteral("SQLFUNC.MXF"));
    TMxSQLFunction* upper = functions->FindByName(QStringLiteral("UPPER"));
    ASSERT_NE(upper, nullptr);
    EXPECT_EQ(upper->Display(), QStringLiteral("Majuscules"));
    EXPECT_EQ(upper->ReturnType(), ptString);
    ASSERT_EQ(upper->Params()->Count(), 1);
    EXPECT_FALSE(upper->Params()->Items(0)->Static());
    TMxSQLFunction* substr = functions->FindByName(QStringLiteral("SUBSTR"));
    ASSERT_NE(substr, nullptr);
    EXPECT_EQ(substr->Display(), QStringLiteral("Sous-chaîne"));
    ASSERT_EQ(substr->Params()->Count(), 5);
    EXPECT_TRUE(substr->Params()->Items(1)->Static());
    EXPECT_EQ(substr->Params()->Items(1)->SQLCode(), QStringLiteral(","));
    EXPECT_EQ(substr->Params()->Items(2)->ParamType(), ptNumeric);
    EXPECT_TRUE(m_service.warnings.isEmpty()) << m_service.warnings.join(u'\n').toStdString();
    functions->Free();
}

TEST_F(DefinitionsTest, AFileThatCannotBeLoadedIsNamed)
{
    for (const char* file : {"FILCHECK.MXF", "FORCHECK.MXF", "OPER.MXF", "FLDTYPES.MXF", "BDEDST32.MXF", "BDEDRIV.MXF"}) {
        for (const QByteArray& content : {QByteArray(), QByteArray("not an object file")}) {
            UseCopyWithout(QString::fromLatin1(file), content);
            try {
                m_global->LoadGlobals();
                ADD_FAILURE() << file << " loaded";
            } catch (const EMxException& e) {
                EXPECT_TRUE(e.message().contains(m_root + QString::fromLatin1(file))) << e.message().toStdString();
            }
            QDir(m_root).removeRecursively();
        }
    }
    // The files load in a fixed order: with a file and every later one
    // missing, the message names that file.
    const QStringList order = {QStringLiteral("FILCHECK.MXF"), QStringLiteral("FORCHECK.MXF"), QStringLiteral("OPER.MXF"),
        QStringLiteral("FLDTYPES.MXF"), QStringLiteral("BDEDST32.MXF"), QStringLiteral("BDEDRIV.MXF")};
    for (qsizetype i = 0; i < order.size(); ++i) {
        UseCopyWithout(order.mid(i));
        try {
            m_global->LoadGlobals();
            ADD_FAILURE() << "loaded without " << order[i].toStdString();
        } catch (const EMxException& e) {
            EXPECT_TRUE(e.message().contains(m_root + order[i])) << e.message().toStdString();
        }
        QDir(m_root).removeRecursively();
    }
    // The function catalogue is optional: without it everything else loads
    // and the catalogue is empty; a damaged one is named.
    UseCopyWithout(QStringLiteral("SQLFUNC.MXF"));
    EXPECT_NO_THROW(m_global->LoadGlobals());
    EXPECT_EQ(SQLFunctions().Count(), 0);
    EXPECT_EQ(m_global->FilterCheck()->Count(), 31);
    EXPECT_EQ(Datasources()->Count(), 3);
    QDir(m_root).removeRecursively();
    UseCopyWithout(QStringLiteral("SQLFUNC.MXF"), QByteArray("not an object file"));
    try {
        m_global->LoadGlobals();
        ADD_FAILURE() << "a damaged SQLFUNC.MXF loaded";
    } catch (const EMxException& e) {
        EXPECT_TRUE(e.message().contains(m_root + QStringLiteral("SQLFUNC.MXF"))) << e.message().toStdString();
    }
    QDir(m_root).removeRecursively();
    // No installation folder at all.
    m_root.clear();
    try {
        m_global->LoadGlobals();
        ADD_FAILURE() << "loaded without an installation folder";
    } catch (const EMxException& e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("FILCHECK.MXF"))) << e.message().toStdString();
    }
}
