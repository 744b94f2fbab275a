// The checks of the formula editor over token lists, without widgets: the
// filter of a field against the installation's allowed pairs, a criterion
// by parentheses, parity and precedence, and the constants' types.

#include "formulafixture.h"

#include "engine/core/exceptions.h"
#include "engine/model/datamodel.h"
#include "engine/model/field.h"
#include "engine/model/formula.h"
#include "engine/model/table.h"
#include "engine/model/queryfield.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"

using namespace mx;
using namespace qtest;

namespace formulatest {
namespace {

struct Case {
    const char* name;
    std::initializer_list<Tok> tokens;
    bool ok;
    const char* message; // the verdict, or its beginning when it ends in "..."
};

void expectVerdict(const Case& c, const TFormulaVerdict& v)
{
    SCOPED_TRACE(c.name);
    EXPECT_EQ(v.ok, c.ok) << v.message.toStdString();
    const QString expected = QString::fromUtf8(c.message);
    if (expected.endsWith(QStringLiteral("...")))
        EXPECT_TRUE(v.message.startsWith(expected.chopped(3))) << v.message.toStdString();
    else
        EXPECT_EQ(v.message, expected);
}

TEST_F(FormulaTest, FilterTable)
{
    TMxQueryField* amount = Add(5, QStringLiteral("MONTANT"));
    const Case cases[] = {
        {"empty", {}, true, "Le filtre est vide."},
        {"a comparison", {O(foEqual), C(QStringLiteral("10"), 'N')}, true, "Le filtre est correct."},
        {"two joined", {O(foSup), C(QStringLiteral("10"), 'N'), O(foAnd), O(foInf), C(QStringLiteral("20"), 'N')}, true,
            "Le filtre est correct."},
        {"a value after Ou", {O(foEqual), C(QStringLiteral("1"), 'N'), O(foOr), C(QStringLiteral("2"), 'N')}, true,
            "Le filtre est correct."},
        {"Vide", {O(foEqual), O(foBlank)}, true, "Le filtre est correct."},
        {"a lone constant", {C(QStringLiteral("10"), 'N')}, false, "Erreur: Début de formule incorrect."},
        {"begins with Et", {O(foAnd), O(foEqual), C(QStringLiteral("10"), 'N')}, false, "Erreur: Début de formule incorrect."},
        {"ends with Et", {O(foEqual), C(QStringLiteral("10"), 'N'), O(foAnd)}, false,
            "Erreur: Opérande de fin de formule manquant."},
        {"two operators", {O(foEqual), O(foEqual), C(QStringLiteral("10"), 'N')}, false,
            "Erreur: l'enchaînement '= =' est incorrect"},
        {"two values", {O(foEqual), C(QStringLiteral("1"), 'N'), C(QStringLiteral("2"), 'N')}, false,
            "Erreur: l'enchaînement '1 2' est incorrect"},
        {"not a number", {O(foEqual), C(QStringLiteral("10; DROP"), 'N')}, false, "Erreur: La constante 10; DROP..."},
    };
    for (const Case& c : cases) {
        SetTokens(amount->FormulaList(), c.tokens);
        auto s = Session(ftFilter, amount->FormulaList(), amount);
        expectVerdict(c, s->Check());
        EXPECT_EQ(s->Error(), !c.ok);
    }
}

TEST_F(FormulaTest, CriterionTable)
{
    const Tok city = F(3, QStringLiteral("VILLE"));
    const Tok amount = F(5, QStringLiteral("MONTANT"));
    const Tok born = F(3, QStringLiteral("DATENAIS"));
    const Tok paris = C(QStringLiteral("Paris"));
    const Tok hundred = C(QStringLiteral("100"));
    const Case cases[] = {
        {"empty", {}, true, "Filtre vide."},
        {"and, or", {city, O(foEqual), paris, O(foAnd), amount, O(foSup), hundred, O(foOr), city, O(foEqual), C(QStringLiteral("Lyon"))},
            true, ""},
        {"nested parentheses",
            {O(foOpenPar), O(foOpenPar), city, O(foEqual), paris, O(foClosePar), O(foOr), O(foOpenPar), amount, O(foSup), hundred,
                O(foClosePar), O(foClosePar), O(foAnd), city, O(foNotEqual), C(QStringLiteral("Nice"))},
            true, ""},
        {"Vide", {city, O(foEqual), O(foBlank)}, true, ""},
        {"chained comparisons (kept)", {amount, O(foSup), hundred, O(foSup), hundred}, true, ""},
        {"parity", {city, O(foEqual), paris, city}, false, "Erreur: Expression incohérente"},
        {"unclosed", {O(foOpenPar), city, O(foEqual), paris}, false, "Erreur: Parenthésage incomplet"},
        {"closed first", {O(foClosePar), city, O(foEqual), paris, O(foOpenPar)}, false, "Erreur: Parenthésage incohérent"},
        {"a lone field", {city}, false, "Erreur: Expression incohérente"},
        {"a field in parentheses", {O(foOpenPar), city, O(foClosePar)}, false, "Erreur: Expression incohérente"},
        {"empty parentheses", {O(foOpenPar), O(foClosePar)}, false, "Erreur: Expression incohérente"},
        {"two operators", {city, O(foEqual), O(foAnd), paris}, false, "Erreur: Expression incohérente"},
        {"an operand as operator", {city, paris, city}, false, "Erreur: Expression incohérente"},
        {"not a date", {born, O(foEqual), C(QStringLiteral("32/13/2000"))}, false, "Erreur: La constante 32/13/2000 doit être..."},
        {"not a number", {C(QStringLiteral("1 OR 1=1")), O(foEqual), amount}, false, "Erreur: La constante 1 OR 1=1 doit être..."},
    };
    for (const Case& c : cases) {
        SetTokens(m_step->StepCriteria(), c.tokens);
        auto s = Session(ftEntityFilter, m_step->StepCriteria());
        expectVerdict(c, s->Check());
    }
}

TEST_F(FormulaTest, ACriterionTypesItsConstantsFromTheOtherOperand)
{
    SetTokens(m_step->StepCriteria(),
        {F(3, QStringLiteral("DATENAIS")), O(foEqual), C(QStringLiteral("02/01/1970")), O(foAnd), C(QStringLiteral("100")),
            O(foInf), F(5, QStringLiteral("MONTANT"))});
    auto s = Session(ftEntityFilter, m_step->StepCriteria());
    ASSERT_TRUE(s->Check().ok) << s->Verdict().message.toStdString();
    EXPECT_EQ(Describe(s->Tokens()), (QStringList{QStringLiteral("FIELD:DATENAIS:A"), QStringLiteral("=::"),
                                          QStringLiteral("CONST:02/01/1970:D"), QStringLiteral("AND::"),
                                          QStringLiteral("CONST:100:N"), QStringLiteral("<::"), QStringLiteral("FIELD:MONTANT:A")}))
        << Describe(s->Tokens()).join(u' ').toStdString();
    // a field the model does not hold is named in a message, typed as text
    SetTokens(m_step->StepCriteria(), {F(3, QStringLiteral("GONE")), O(foEqual), C(QStringLiteral("x"))});
    auto gone = Session(ftEntityFilter, m_step->StepCriteria());
    EXPECT_TRUE(gone->Check().ok);
    EXPECT_EQ(m_ui.texts(QStringLiteral("message")), QStringList{QStringLiteral("Field not found tbl=3, name=GONE, step=0")});
}

TEST_F(FormulaTest, AFormulaIsNotCheckedButNeedsATokenForOk)
{
    TMxQueryField* calc = AddCalc(QStringLiteral("Double"), {});
    auto s = Session(ftFormula, calc->FormulaList(), calc);
    EXPECT_TRUE(s->Check().ok);
    EXPECT_TRUE(s->Verdict().keepLabel);
    EXPECT_FALSE(s->CanConfirm());
    TTokenSource src;
    src.op = foPlus;
    s->Insert(0, src);
    s->Check();
    EXPECT_TRUE(s->CanConfirm());
}

// Steps are found by their Id: with the middle one of three removed, the
// last step's criterion shows the last step's model, and its field tokens
// name the last step.
TEST_F(FormulaTest, StepsAreFoundById)
{
    TMxQueryStep* second = m_query->AddStep();
    TMxQueryStep* third = m_query->AddStep();
    ASSERT_EQ(third->Id(), 3);
    TMxItem::Free(second);
    ASSERT_EQ(m_query->Steps()->Count(), 2);
    TFormulaSession s(ftEntityFilter, third->StepCriteria(), third->DataModel(), nullptr, third->Id(), m_query);
    EXPECT_EQ(s.Step(), third);
    EXPECT_EQ(s.Model(), third->DataModel());
    TTokenSource src;
    src.op = foField;
    src.field = third->DataModel()->Tables()->FindById(3)->Fields()->FindField(QStringLiteral("NOM"));
    s.Insert(0, src);
    EXPECT_EQ(s.Tokens()->Items(0)->FieldStepId(), 3);
    // a step that is gone gives no step, and the model given
    TFormulaSession none(ftEntityFilter, third->StepCriteria(), m_query->DataModel(), nullptr, 2, m_query);
    EXPECT_EQ(none.Step(), nullptr);
    EXPECT_EQ(none.Model(), m_query->DataModel());
}

// A constant is refused when it is inserted unless the SQL writer takes it
// as a value of its type; the list keeps no half-made token.
TEST_F(FormulaTest, ConstantsAreCheckedWhenInserted)
{
    TMxQueryField* date = Add(5, QStringLiteral("DATECDE"));
    auto s = Session(ftFilter, date->FormulaList(), date);
    TTokenSource src;
    src.op = foConst;
    src.constantKind = mkText;
    for (const char* bad : {"32/13/2000", "1/1/2000'); DROP TABLE CLIENT; --", "hier"}) {
        SCOPED_TRACE(bad);
        src.constant = QString::fromUtf8(bad);
        EXPECT_THROW(s->Insert(0, src), Exception);
        EXPECT_EQ(s->Tokens()->Count(), 0);
    }
    src.constant = QStringLiteral("05/01/2024");
    EXPECT_EQ(s->Insert(0, src), 0);
    EXPECT_EQ(Describe(s->Tokens()), QStringList{QStringLiteral("CONST:05/01/2024:D")});
}

} // namespace
} // namespace formulatest
