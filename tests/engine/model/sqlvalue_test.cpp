// Constant values written as SQL, system variables, formula tokens and the
// SQL function catalogue.

#include "modeltest.h"
#include "tests/support/testsupport.h"

#include "engine/core/exceptions.h"
#include "engine/model/formula.h"
#include "engine/model/sqlfunction.h"
#include "engine/model/sqlvalue.h"

#include <QFile>

using namespace mx;
using namespace mxtest;

namespace {

struct ValueCase {
    const char* value;
    const char* letter;
    const char* expected; // nullptr: must raise EMxException
    const char* errorPart = nullptr;
};

void checkTable(const TSQLSyntaxProperties& syntax, std::initializer_list<ValueCase> cases, const char* dialect)
{
    for (const ValueCase& c : cases) {
        const QString value = QString::fromUtf8(c.value);
        const QChar letter = QChar(QLatin1Char(c.letter[0]));
        SCOPED_TRACE(std::string(dialect) + " [" + c.letter + "] " + c.value);
        if (c.expected) {
            try {
                EXPECT_EQ(FormatSQLValue(value, letter, syntax), QString::fromUtf8(c.expected));
            } catch (const Exception& e) {
                ADD_FAILURE() << "raised " << e.message().toStdString();
            }
        } else {
            try {
                const QString r = FormatSQLValue(value, letter, syntax);
                ADD_FAILURE() << "accepted as " << r.toStdString();
            } catch (const EMxException& e) {
                if (c.errorPart) {
                    EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.errorPart))) << e.message().toStdString();
                }
            }
        }
    }
}

TSQLSyntaxProperties dateDialect(const char* editor, const char* formatter, bool quoteDates)
{
    TSQLSyntaxProperties s = Dialect(quoteDates ? SqlCap(scQuoteDates) : 0);
    s.SQLDateEditor = QString::fromLatin1(editor);
    s.SQLDateFormater = QString::fromLatin1(formatter);
    return s;
}

} // namespace

TEST(SqlValues, TextIsAlwaysOneQuotedLiteral)
{
    checkTable(Dialect(), {
        {"Paris", "A", "'Paris'"},
        {"'Paris'", "A", "'Paris'"},            // already quoted: not twice
        {"O'Brien", "A", "'O''Brien'"},
        {"'t Hooft", "A", "'''t Hooft'"},       // a leading quoter alone stays
        {"Hooft'", "A", "'Hooft'''"},
        {"'", "A", "''''"},                     // only a quoter: a quoted quoter
        {"''", "A", "''"},
        {"", "A", "''"},
        {"%Paris%", "A", "'%Paris%'"},
        // what would end the literal early is doubled, so it stays text
        {"x'; DROP TABLE CLIENT; --", "A", "'x''; DROP TABLE CLIENT; --'"},
        {"' OR '1'='1", "A", "''' OR ''1''=''1'"},
        {"'a' || 'b'", "A", "'a'' || ''b'"},
        {"/* comment */ x", "A", "'/* comment */ x'"},
        // a letter with no rules of its own is text too
        {"1); DELETE FROM CLIENT", "M", "'1); DELETE FROM CLIENT'"},
    }, "quote");
    checkTable(Dialect(0, QString(), QString()), {
        {"O'Brien", "A", "'O''Brien'"}, // an empty quoter means "'"
        {"", "A", "''"},
    }, "empty quoter");
    checkTable(Dialect(0, QString(), QStringLiteral("\"")), {
        {"O'Brien", "A", "\"O'Brien\""},
        {"dit \"non\"", "A", "\"dit \"\"non\"\"\""},
        {"\"oui\"", "A", "\"oui\""},
    }, "double quote");
}

TEST(SqlValues, LikePatternsKeepTheWildcardsInsideOneLiteral)
{
    const TSQLSyntaxProperties quote = Dialect();
    const TSQLSyntaxProperties dquote = Dialect(0, QString(), QStringLiteral("\""));
    struct LikeCase {
        const TSQLSyntaxProperties& syntax;
        const char* value;
        const char* prefix;
        const char* suffix;
        const char* expected;
    };
    const LikeCase cases[] = {
        {quote, "Paris", "%", "%", "'%Paris%'"},
        {quote, "Paris", "", "%", "'Paris%'"},
        {quote, "'Paris'", "%", "", "'%Paris'"},      // typed with its quotes: not twice
        {quote, "O'Brien", "%", "%", "'%O''Brien%'"}, // the quoter doubled, the wildcards outside it
        {quote, "'", "%", "%", "'%''%'"},
        {quote, "%' OR 1=1 --", "", "%", "'%'' OR 1=1 --%'"},
        {dquote, "dit \"non\"", "%", "", "\"%dit \"\"non\"\"\""},
    };
    for (const LikeCase& c : cases)
        EXPECT_EQ(FormatSQLLikeValue(QString::fromUtf8(c.value), QString::fromUtf8(c.prefix), QString::fromUtf8(c.suffix), c.syntax),
            QString::fromUtf8(c.expected))
            << c.value;
    EXPECT_THROW(FormatSQLLikeValue(QStringLiteral("a") + QChar(0), QStringLiteral("%"), QStringLiteral("%"), quote), EMxException);

    EXPECT_EQ(SQLLikeAnything(quote), QStringLiteral(" LIKE '%'"));
    EXPECT_EQ(SQLLikeAnything(dquote), QStringLiteral(" LIKE \"%\""));
    EXPECT_EQ(SQLValueList({QStringLiteral("1"), QStringLiteral("'a'")}), QStringLiteral("(1, 'a')"));
    EXPECT_EQ(SQLLikeAny(QStringLiteral("C.NOM"), {QStringLiteral("'a%'"), QStringLiteral("'%b'"), QStringLiteral("'%c%'")}),
        QStringLiteral(" LIKE 'a%' OR C.NOM LIKE '%b' OR C.NOM LIKE '%c%'"));
}

TEST(SqlValues, NumbersLogicalsAndTimes)
{
    checkTable(Dialect(), {
        {"12", "N", "12"},
        {"12,5", "N", "12.5"},
        {"12.5", "N", "12.5"},
        {"-0,25", "N", "-0.25"},
        {"+3", "N", "3"},
        {",5", "N", "0.5"},
        {" 42 ", "N", "42"},
        {"1,5e3", "N", "1.5e3"},
        {"12,5,3", "N", nullptr, "un nombre"}, // two columns in a select list
        {"1 234", "N", nullptr},
        {"douze", "N", nullptr, "douze"},
        {"1; DROP TABLE CLIENT", "N", nullptr},
        {"", "N", nullptr},
        {"1e", "N", nullptr},
        {"T", "L", "TRUE"},
        {"f", "L", "FALSE"},
        {"O", "L", "TRUE"},
        {"Non", "L", "FALSE"},
        {"1", "L", "TRUE"},
        {"peut-être", "L", nullptr},
        {"", "L", nullptr},
        {"10:30:00", "T", "'10:30:00'"},
        {"9:05", "T", "'09:05:00'"},
        {"25:00", "T", nullptr, "Heure incorrecte"},
        {"10:30'; --", "T", nullptr},
    }, "default");
}

TEST(SqlValues, DatesReorderedToTheFormatter)
{
    checkTable(dateDialect("", "", false), {
        {"5/3/2024", "D", "05/03/2024"},
        {"05-03-2024", "D", "05/03/2024"},
        {"5/3", "D", nullptr, "Date incorrecte : 5/3 "},
        {"5/3/2024/1", "D", nullptr, "Date incorrecte : 5/3/2024/1 "},
        {"1/2/3=3", "D", nullptr, "Date incorrecte"},  // parts must be digits
        {"31/02/2024", "D", nullptr, "Date incorrecte"},
        {"5/13/2024", "D", nullptr, "Date incorrecte"},
        {"05/03/2024 10:30:00", "D", nullptr, "Date incorrecte"},
        {"05/03/2024 10:30:00", "@", "05/03/2024 10:30:00"},
        {"5/3/2024 9:05", "@", "05/03/2024 09:05:00"},
        {"05/03/2024", "@", "05/03/2024"},
        {"05/03/2024 10h30", "@", nullptr, "Date incorrecte"},
    }, "default");
    checkTable(dateDialect("d/m/y", "%m/%d/%y", false), {
        {"5/3/2024", "D", "03/05/2024"},
    }, "month first");
    checkTable(dateDialect("d/m/y", "%y-%m-%d", true), {
        {"5/3/2024", "D", "'2024-03-05'"},
        {"5/3/2024 10:30", "@", "'2024-03-05 10:30:00'"},
    }, "iso quoted");
    checkTable(dateDialect("m/d/y", "#%Y-%M-%D#", false), {
        {"3/5/2024", "D", "#2024-03-05#"},            // placeholders found in any case
        {"3/5/2024 10:30:00", "@", "#2024-03-05 10:30:00#"}, // the time goes after the last part
    }, "hash");
    // the administrator's text is never a format string: only the three
    // placeholders are replaced, everything else stays as it is
    checkTable(dateDialect("d/m/y", "TO_DATE('%d/%m/%y %s %n','DD/MM/YYYY')", false), {
        {"5/3/2024", "D", "TO_DATE('05/03/2024 %s %n','DD/MM/YYYY')"},
    }, "printf text");
    checkTable(dateDialect("d/m/y", "%d/%m", false), {{"5/3/2024", "D", nullptr, "Bad format : %d/%m"}}, "no year");
    checkTable(dateDialect("d/m/y", "%d/%m/%y %d", false), {{"5/3/2024", "D", nullptr, "Bad format : "}}, "twice");
    checkTable(dateDialect("d/m", "%d/%m/%y", false), {{"5/3/2024", "D", nullptr, "Bad format : d/m"}}, "short editor");
    checkTable(dateDialect("d/m/y/h", "%d/%m/%y", false), {{"5/3/2024", "D", nullptr, "Bad format : d/m/y/h"}}, "long editor");
    checkTable(dateDialect("d/d/y", "%d/%m/%y", false), {{"5/3/2024", "D", nullptr, "Bad format : d/d/y"}}, "repeated editor");
}

TEST(SqlValues, TimesAndQuotedDatesUseTheConstantQuoter)
{
    TSQLSyntaxProperties noQuoter = dateDialect("d/m/y", "%y-%m-%d", true);
    noQuoter.ConstantQuoter.clear(); // an empty quoter means "'" here too
    checkTable(noQuoter, {
        {"10:30", "T", "'10:30:00'"},
        {"5/3/2024", "D", "'2024-03-05'"},
        {"5/3/2024 10:30", "@", "'2024-03-05 10:30:00'"},
        {"12,5", "N", "12.5"},
    }, "empty quoter");
    TSQLSyntaxProperties hash = dateDialect("d/m/y", "%y-%m-%d", true);
    hash.ConstantQuoter = QStringLiteral("#");
    checkTable(hash, {
        {"10:30", "T", "#10:30:00#"},
        {"5/3/2024", "D", "#2024-03-05#"},
        {"12", "N", "12"}, // numbers are never quoted
        {"O#Brien", "A", "#O##Brien#"},
    }, "hash quoter");
    // nothing but digits and the time's own separators reaches the literal
    checkTable(dateDialect("d/m/y", "%y-%m-%d", true), {
        {"5/3/2024 10:30'; DROP TABLE CLIENT; --", "@", nullptr, "Date incorrecte"},
        {"5/3/2024 10:30:00.5x", "@", nullptr, "Date incorrecte"},
        {"5/3/2024'", "D", "'2024-03-05'"}, // the quote is only a separator
        {"5/3/2024 or 1=1", "D", nullptr, "Date incorrecte"},
        {"10:30:00; --", "T", nullptr, "Heure incorrecte"},
        {"10:30:00.25", "T", "'10:30:00.25'"},
    }, "injection");
}

TEST(SqlValues, SystemVariablesFromTheClock)
{
    SetSystemClock([] { return QDateTime(QDate(2024, 3, 5), QTime(10, 30, 15)); });
    QString value;
    QChar letter;
    ASSERT_TRUE(GetVarSystemValue(QStringLiteral("AUJOURD'HUI"), value, letter));
    EXPECT_EQ(value, QStringLiteral("05/03/2024"));
    EXPECT_EQ(letter, QChar(u'D'));
    ASSERT_TRUE(GetVarSystemValue(QStringLiteral("MAINTENANT"), value, letter));
    EXPECT_EQ(value, QStringLiteral("05/03/2024 10:30:15"));
    EXPECT_EQ(letter, QChar(u'@'));
    EXPECT_FALSE(GetVarSystemValue(QStringLiteral("DEMAIN"), value));
    EXPECT_TRUE(value.isEmpty());

    // as SQL: through the dialect, whatever its editor order
    EXPECT_EQ(SystemVariableSQL(QStringLiteral("AUJOURD'HUI"), dateDialect("", "", false)), QStringLiteral("05/03/2024"));
    EXPECT_EQ(SystemVariableSQL(QStringLiteral("AUJOURD'HUI"), dateDialect("y-m-d", "%y-%m-%d", true)), QStringLiteral("'2024-03-05'"));
    EXPECT_EQ(SystemVariableSQL(QStringLiteral("MAINTENANT"), dateDialect("m/d/y", "%y%m%d", false)), QStringLiteral("20240305 10:30:15"));
    EXPECT_THROW(SystemVariableSQL(QStringLiteral("DEMAIN"), Dialect()), EMxException);
    SetSystemClock({});
}

TEST(Formulas, CheckConstantByType)
{
    TItemPtr<TMxFormula> f(new TMxFormula(nullptr));
    const struct {
        const char* letter;
        const char* value;
        const char* word; // nullptr: accepted
    } cases[] = {
        {"D", "05/03/2024", nullptr},
        {"D", "demain", "une date"},
        {"N", "12,5", nullptr},
        {"N", "douze", "un nombre"},
        {"A", "n'importe quoi", nullptr},
    };
    for (const auto& c : cases) {
        f->SetLongTypeId(QChar(QLatin1Char(c.letter[0])));
        f->SetFieldName(QString::fromUtf8(c.value));
        if (!c.word) {
            EXPECT_NO_THROW(f->CheckConstant()) << c.value;
            continue;
        }
        try {
            f->CheckConstant();
            ADD_FAILURE() << c.value << " accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.message(), QStringLiteral("La constante %1 doit être %2").arg(QString::fromUtf8(c.value), QString::fromUtf8(c.word)));
        }
    }
}

TEST(Formulas, TokenListSurvivesTheObjectFile)
{
    TItemPtr<TMxFormulaList> list(new TMxFormulaList(nullptr));
    list->SetLine(QStringLiteral("Ville = Paris "));
    TMxFormula* field = list->AddNew();
    field->SetOperator(foField);
    field->SetFieldTblId(3);
    field->SetFieldName(QStringLiteral("VILLE"));
    field->SetFieldFullName(QStringLiteral("Ville"));
    field->SetFieldStepId(2);
    field->SetLongTypeId(u'A');
    list->AddNew()->SetOperator(foEqual);
    TMxFormula* var = list->AddNew();
    var->SetOperator(foVar);
    var->SetDomId(2);
    var->SetVarId(7);
    var->SetFunctionName(QStringLiteral("upper"));

    TItemPtr<TMxFormulaList> back = RoundTrip(list.get());
    EXPECT_EQ(back->Line(), QStringLiteral("Ville = Paris "));
    ASSERT_EQ(back->Count(), 3);
    EXPECT_EQ(back->Items(0)->GetDebugText(), QStringLiteral("TMxFormula : Type=FIELD Var=0 Nom=Ville LongType=A"));
    EXPECT_EQ(back->Items(0)->FieldTblId(), 3);
    EXPECT_EQ(back->Items(0)->FieldStepId(), 2);
    EXPECT_EQ(back->Items(1)->Operator(), foEqual);
    EXPECT_EQ(back->Items(2)->DomId(), 2);
    EXPECT_EQ(back->Items(2)->VarId(), 7);
    EXPECT_EQ(back->Items(2)->FunctionName(), QStringLiteral("upper"));
    EXPECT_EQ(back->SaveToBytes(), list->SaveToBytes());

    const char* shortNames[] = {"CONST", "VAR", "SYSV", "FIELD", "AND", "OR", "NOT", "+", "-", "*", "/", "=", "START",
        "END", "CONT", "BLANK", "(", ")", "<", "<=", ">", ">=", "COUNT", "SUM", "AVERAGE"};
    for (int i = 0; i < 25; ++i)
        EXPECT_EQ(OperatorShortName(TOperator(i)), QString::fromLatin1(shortNames[i])) << i;
}

class SqlFunctionCatalogue : public EngineTest {};

TEST_F(SqlFunctionCatalogue, LoadsFromItsFileAndStaysEmptyWithout)
{
    SQLFunctions().Clear();
    EXPECT_FALSE(LoadSQLFunctions(Path(SQLFunctionsFileName())));
    EXPECT_EQ(SQLFunctions().Count(), 0);

    TItemPtr<TMxSQLFunctionList> file(new TMxSQLFunctionList(nullptr));
    TMxSQLFunction* substr = file->AddNew();
    substr->SetName(QStringLiteral("SousChaine"));
    substr->SetSQLCode(QStringLiteral("substr"));
    substr->SetDisplay(QStringLiteral("Sous-chaîne"));
    substr->SetReturnType(ptString);
    const struct {
        TParamType type;
        bool isStatic;
        const char* code;
    } params[] = {{ptString, false, ""}, {ptString, true, ","}, {ptNumeric, false, ""}, {ptString, true, ","}, {ptNumeric, false, ""}};
    for (const auto& p : params) {
        TMxSQLFunctionParam* param = substr->Params()->AddNew();
        param->SetParamType(p.type);
        param->SetStatic(p.isStatic);
        param->SetSQLCode(QString::fromLatin1(p.code));
    }
    file->SaveToFile(Path(SQLFunctionsFileName()));

    EXPECT_TRUE(LoadSQLFunctions(Path(SQLFunctionsFileName())));
    ASSERT_EQ(SQLFunctions().Count(), 1);
    TMxSQLFunction* f = SQLFunctions().FindByName(QStringLiteral("SousChaine"));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Display(), QStringLiteral("Sous-chaîne"));
    ASSERT_EQ(f->Params()->Count(), 5);
    EXPECT_TRUE(f->Params()->Items(1)->Static());
    EXPECT_EQ(f->Params()->Items(1)->SQLCode(), QStringLiteral(","));
    EXPECT_EQ(f->Params()->Items(4)->ParamType(), ptNumeric);

    // a damaged file raises and leaves the catalogue as it was
    WriteAll(Path(QStringLiteral("BAD.MXF")), QByteArray("not an object file"));
    EXPECT_ANY_THROW(LoadSQLFunctions(Path(QStringLiteral("BAD.MXF"))));
    EXPECT_EQ(SQLFunctions().Count(), 1);

    // the file taken away: loading again empties the catalogue
    ASSERT_TRUE(QFile::remove(Path(SQLFunctionsFileName())));
    EXPECT_FALSE(LoadSQLFunctions(Path(SQLFunctionsFileName())));
    EXPECT_EQ(SQLFunctions().Count(), 0);
}
