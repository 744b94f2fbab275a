// What user values cannot do to a statement, and the errors a preparation
// raises instead of writing a statement that would be wrong.

#include "queryfixture.h"

#include "engine/core/exceptions.h"
#include "engine/global/datasource.h"
#include "engine/model/formula.h"
#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/model/queryfield.h"
#include "engine/model/sqlfunction.h"
#include "engine/query/query.h"

using namespace mx;
using namespace qtest;

namespace {

class SqlSafety : public QueryTest {
protected:
    // The message of what Sql raises, with the class it must be of.
    template <class E>
    QString Raised(bool design = false)
    {
        try {
            Sql(design);
        } catch (const E& e) {
            return e.message();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "other exception: " << ExceptionMessage(e).toStdString();
            return {};
        }
        ADD_FAILURE() << "nothing raised:\n" << Joined(m_step->SQL()->Lines()).toStdString();
        return {};
    }
};

TEST_F(SqlSafety, ParameterValuesSelectExactlyTheirRows)
{
    const struct {
        const char* value;
        QStringList rows;
    } cases[] = {
        {"O'Brien", {"O'Brien"}},
        {"'O'Brien'", {"O'Brien"}}, // an enclosing pair of quoters is taken off
        {"x') OR ('1'='1", {}},
        {"'; DROP TABLE CLIENT; --", {}},
        {"Dupont' --", {}},
    };
    ShopDb db;
    const QString before = db.Snapshot();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Open();
        AddParam(1, QStringLiteral("Nom"), {QString::fromUtf8(c.value)});
        SetTokens(Add(3, QStringLiteral("NOM"))->FormulaList(), {V(1)});
        Sql(false);
        const QString sql = m_step->SQL()->Text();
        EXPECT_EQ(db.PrepareError(sql), QString()) << sql.toStdString();
        EXPECT_EQ(db.Rows(sql), c.rows);
        // the same value as a constant of a criterion, and after LIKE
        Open();
        AddParam(1, QStringLiteral("Nom"), {QString::fromUtf8(c.value)});
        Add(3, QStringLiteral("NOM"));
        SetTokens(m_step->StepCriteria(), {F(3, QStringLiteral("NOM")), O(foEqual), C(QString::fromUtf8(c.value))});
        SetTokens(m_step->AllFields()->Items(0)->FormulaList(), {O(foStarting), V(1)});
        Sql(false);
        EXPECT_EQ(db.Rows(m_step->SQL()->Text()), c.rows);
        // one value of several: IN, NOT IN and LIKEs joined by OR
        const struct {
            TOperator op; // foConst: none
            QStringList rows;
        } forms[] = {
            {foConst, QStringList(c.rows) << QStringLiteral("Durand")},
            {foNotEqual, [&] {
                 QStringList r{QStringLiteral("Dupont"), QStringLiteral("Leroy"), QStringLiteral("Martin"), QStringLiteral("O'Brien")};
                 for (const QString& name : c.rows)
                     r.removeAll(name);
                 return r;
             }()},
            {foStarting, QStringList(c.rows) << QStringLiteral("Durand")},
        };
        for (const auto& form : forms) {
            SCOPED_TRACE(int(form.op));
            Open();
            AddParam(1, QStringLiteral("Noms"), {QString::fromUtf8(c.value), QStringLiteral("Durand")});
            if (form.op == foConst)
                SetTokens(Add(3, QStringLiteral("NOM"))->FormulaList(), {V(1)});
            else
                SetTokens(Add(3, QStringLiteral("NOM"))->FormulaList(), {O(form.op), V(1)});
            Sql(false);
            const QString several = m_step->SQL()->Text();
            EXPECT_EQ(db.PrepareError(several), QString()) << several.toStdString();
            QStringList rows = db.Rows(several);
            QStringList expected = form.rows;
            rows.sort();
            expected.sort();
            EXPECT_EQ(rows, expected) << several.toStdString();
        }
    }
    EXPECT_EQ(db.Snapshot(), before);
}

TEST_F(SqlSafety, ValuesOfOtherTypesMustBeOfTheirType)
{
    const struct {
        const char* field;
        TParamType type;
        char letter;
        const char* value;
        const char* message;
    } cases[] = {
        {"NUMCLI", ptNumeric, 'N', "1 OR 1=1", "La valeur 1 OR 1=1 doit être un nombre"},
        {"NUMCLI", ptNumeric, 'N', "1; DELETE FROM CLIENT", "La valeur 1; DELETE FROM CLIENT doit être un nombre"},
        {"DATENAIS", ptDate, 'D', "1)OR(1=1/2/3", "Date incorrecte : 1)OR(1=1/2/3 "},
        {"DATENAIS", ptDate, 'D', "01/01/1970' OR '1'='1", "Date incorrecte : 01/01/1970' OR '1'='1 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Open();
        AddParam(1, QStringLiteral("P"), {QString::fromUtf8(c.value)}, c.type);
        SetTokens(Add(3, QString::fromLatin1(c.field))->FormulaList(), {V(1, c.letter)});
        EXPECT_EQ(Raised<EMxException>(), QString::fromUtf8(c.message));
        // a constant of the same shape is refused the same way
        SetTokens(m_step->AllFields()->Items(0)->FormulaList(), {C(QString::fromUtf8(c.value), c.letter)});
        EXPECT_EQ(Raised<EMxException>(), QString::fromUtf8(c.message));
        // and so is one value among several
        Open();
        AddParam(1, QStringLiteral("P"), {QString::fromLatin1(c.letter == 'N' ? "2" : "01/02/2003"), QString::fromUtf8(c.value)}, c.type);
        SetTokens(Add(3, QString::fromLatin1(c.field))->FormulaList(), {V(1, c.letter)});
        EXPECT_EQ(Raised<EMxException>(), QString::fromUtf8(c.message));
    }
    // and well-formed values pass
    Open();
    AddParam(1, QStringLiteral("P"), {QStringLiteral("2,0")}, ptNumeric);
    SetTokens(Add(3, QStringLiteral("NUMCLI"))->FormulaList(), {V(1, 'N')});
    Sql(false);
    ShopDb db;
    EXPECT_EQ(db.Rows(m_step->SQL()->Text()), QStringList{QStringLiteral("2")});
}

TEST_F(SqlSafety, NamesHoldingTheQuoterStayOneName)
{
    Add(3, QStringLiteral("NOM"))->SetFullName(QStringLiteral("Nom \"court\""));
    const QStringList lines = Sql(false);
    EXPECT_EQ(lines.value(1), QStringLiteral("D3.\"NOM\" AS \"Nom \"\"court\"\"\""));
    ShopDb db;
    EXPECT_EQ(db.PrepareError(m_step->SQL()->Text()), QString());
}

TEST_F(SqlSafety, ParameterErrorsInRunModeShowPlaceholdersInDesign)
{
    // several values after a comparison that takes one
    AddParam(1, QStringLiteral("Seuil"), {QStringLiteral("1"), QStringLiteral("2")}, ptNumeric);
    SetTokens(Add(3, QStringLiteral("NUMCLI"))->FormulaList(), {O(foSup), V(1, 'N')});
    EXPECT_EQ(Raised<EMxAbort>(), QStringLiteral("Le paramètre Seuil a plusieurs valeurs : il ne peut pas suivre l'opérateur >."));
    EXPECT_EQ(Sql(true).value(5), QStringLiteral("((D3.\"NUMCLI\"> [Seuil]) )"));

    // a parameter nobody is asked for
    Open();
    auto* p = new TMxParam(m_query->Params());
    p->SetId(4);
    p->SetName(QStringLiteral("Oublié"));
    SetTokens(Add(3, QStringLiteral("NOM"))->FormulaList(), {V(4)});
    EXPECT_TRUE(Raised<EMxAbort>().contains(QStringLiteral("Oublié")));
    EXPECT_EQ(Sql(true).value(5), QStringLiteral("((D3.\"NOM\"=[Oublié]) )"));

    // a parameter that does not exist
    SetTokens(m_step->AllFields()->Items(0)->FormulaList(), {V(99)});
    EXPECT_EQ(Raised<EMxAbort>(), QStringLiteral("[Paramètre inexistant]"));
    EXPECT_EQ(Sql(true).value(5), QStringLiteral("((D3.\"NOM\"=[Paramètre inexistant]) )"));
}

TEST_F(SqlSafety, SeveralValuesOnlyWhereTheComparisonTakesThem)
{
    const struct {
        TOperator op;
        const char* keyword;
    } comparisons[] = {{foInf, "<"}, {foEqualInf, "<="}, {foSup, ">"}, {foEqualSup, ">="}};
    for (const auto& c : comparisons) {
        SCOPED_TRACE(c.keyword);
        const QString expected = QStringLiteral("Le paramètre Seuil a plusieurs valeurs : il ne peut pas suivre l'opérateur %1.")
                                     .arg(QString::fromLatin1(c.keyword));
        // in a field filter
        Open();
        AddParam(1, QStringLiteral("Seuil"), {QStringLiteral("1"), QStringLiteral("2")}, ptNumeric);
        SetTokens(Add(3, QStringLiteral("NUMCLI"))->FormulaList(), {O(c.op), V(1, 'N')});
        EXPECT_EQ(Raised<EMxAbort>(), expected);
        EXPECT_EQ(Sql(true).value(5), QStringLiteral("((D3.\"NUMCLI\"%1 [Seuil]) )").arg(QString::fromLatin1(c.keyword)));
        // in a step criterion
        Open();
        AddParam(1, QStringLiteral("Seuil"), {QStringLiteral("1"), QStringLiteral("2")}, ptNumeric);
        Add(3, QStringLiteral("NOM"));
        SetTokens(m_step->StepCriteria(), {F(3, QStringLiteral("NUMCLI")), O(c.op), V(1, 'N')});
        EXPECT_EQ(Raised<EMxAbort>(), expected);
        // one value is a comparison like any other
        m_query->ParamControls()->Items(0)->LoadedValues()->Clear();
        m_query->ParamControls()->Items(0)->LoadedValues()->Add(QStringLiteral("3"));
        Sql(false);
        ShopDb db;
        EXPECT_EQ(db.PrepareError(m_step->SQL()->Text()), QString());
    }
    // a LIKE of several values needs the field it compares
    Open();
    AddParam(2, QStringLiteral("Début"), {QStringLiteral("Du"), QStringLiteral("Ma")});
    Add(3, QStringLiteral("NOM"));
    SetTokens(m_step->StepCriteria(), {O(foStarting), V(2)});
    EXPECT_EQ(Raised<EMxAbort>(), QStringLiteral("Le paramètre Début a plusieurs valeurs : il doit suivre un champ."));
}

TEST_F(SqlSafety, FormulaParametersNeedAnAnswer)
{
    AddParam(1, QStringLiteral("Taux"), {}, ptNumeric);
    AddCalc(QStringLiteral("Remise"), {F(5, QStringLiteral("MONTANT")), O(foMult), V(1, 'N')});
    EXPECT_EQ(Raised<EMxAbort>(), QStringLiteral("Le paramètre Taux n'a pas de valeur."));
    EXPECT_EQ(Sql(true).value(1), QStringLiteral("((D5.\"MONTANT\")  *  [Taux] ) AS \"Remise\""));
    m_query->ParamControls()->Items(0)->LoadedValues()->Add(QStringLiteral("0,5"));
    EXPECT_EQ(Sql(false).value(1), QStringLiteral("((D5.\"MONTANT\")  *  0.5 ) AS \"Remise\""));
    ShopDb db;
    EXPECT_EQ(db.Rows(m_step->SQL()->Text()).size(), 5);
}

TEST_F(SqlSafety, StructuralErrors)
{
    // no column at all in run mode; design keeps "SELECT " whole
    SetTokens(Add(3, QStringLiteral("VILLE"))->FormulaList(), {C(QStringLiteral("Paris"))});
    m_step->AllFields()->Items(0)->SetChecked(false);
    EXPECT_EQ(Raised<EMxAbort>(), QStringLiteral("Etape 1: Aucun champ n'est sélectionné."));
    EXPECT_EQ(Sql(true).value(0), QStringLiteral("SELECT "));

    // a step with no field
    Open();
    EXPECT_EQ(Raised<EMxAbort>(), QStringLiteral("Etape 1: Aucun champ n'est sélectionné."));

    // a function the catalogue lacks, and one short of an argument
    Open();
    AddCalc(QStringLiteral("X"), {Fn(QStringLiteral("Inconnue")), F(3, QStringLiteral("NOM"))});
    EXPECT_EQ(Raised<EMxInternal>(), QStringLiteral("SQL function Inconnue not found"));
    TMxSQLFunction* upper = SQLFunctions().AddNew();
    upper->SetName(QStringLiteral("Majuscules"));
    upper->SetSQLCode(QStringLiteral("UPPER"));
    upper->Params()->AddNew();
    Open();
    AddCalc(QStringLiteral("X"), {Fn(QStringLiteral("Majuscules"))});
    EXPECT_EQ(Raised<EMxInternal>(), QStringLiteral("SQL function Majuscules: an argument is missing"));
    SQLFunctions().Clear();

    // a criterion naming a field the model does not hold
    Open();
    Add(3, QStringLiteral("NOM"));
    SetTokens(m_step->StepCriteria(), {F(3, QStringLiteral("NOPE")), O(foEqual), C(QStringLiteral("1"))});
    EXPECT_EQ(Raised<EMxInternal>(true), QStringLiteral("Field not found in domain :\rFieldTblId = 3\rFieldName = NOPE\rFieldStepId = 0"));

    // a set the model no longer has: run mode refuses, design shows the rest
    Open();
    Add(3, QStringLiteral("NOM"));
    m_query->SetDomId(42);
    EXPECT_EQ(Raised<EMxBadDatamodel>(), QStringLiteral("L'ensemble 42 n'existe pas dans le modèle de données."));
    EXPECT_EQ(Sql(true), (QStringList{QStringLiteral("SELECT "), QStringLiteral("D3.\"NOM\" AS \"Nom\""), QStringLiteral("FROM "), QStringLiteral(" \"CLIENT\" D3")}));

    // no default dialect
    Open();
    Add(3, QStringLiteral("NOM"));
    Dialects()->Clear();
    EXPECT_EQ(Raised<EMxInternal>(true), QStringLiteral("Default driver not found : STANDARD"));
}

} // namespace

// The database reads a statement up to its first NUL: a typed value or a
// caption holding one is refused, never cut.
TEST_F(SqlSafety, ANulCharacterInATypedValueOrACaptionIsRefused)
{
    const QString withNul = QStringLiteral("Dup") + QChar(0) + QStringLiteral("') OR 1=1 --");
    const QString says = QStringLiteral("contient le caractère nul");
    // a parameter's value, a criterion's constant, a caption
    Open();
    AddParam(1, QStringLiteral("Nom"), {withNul});
    SetTokens(Add(3, QStringLiteral("NOM"))->FormulaList(), {V(1)});
    EXPECT_TRUE(Raised<EMxException>().contains(says));
    Open();
    SetTokens(Add(3, QStringLiteral("NOM"))->FormulaList(), {C(withNul)});
    const QString message = Raised<EMxException>();
    EXPECT_TRUE(message.contains(says)) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("Dup\\0')"))) << "the NUL is shown, not sent: " << message.toStdString();
    Open();
    Add(3, QStringLiteral("NOM"))->SetFullName(QStringLiteral("Nom") + QChar(0) + QStringLiteral("\" FROM CLIENT --"));
    EXPECT_TRUE(Raised<EMxException>().contains(says));
}
