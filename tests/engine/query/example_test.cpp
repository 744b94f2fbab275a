// The statement of sales in Paris by name, plain names, byte for byte, and what it gives.

#include "queryfixture.h"

#include "engine/model/formula.h"
#include "engine/model/queryfield.h"
#include "engine/query/query.h"

using namespace mx;
using namespace qtest;

namespace {

class SalesInParisExample : public QueryTest {};

TEST_F(SalesInParisExample, StatementIsExact)
{
    Open({.driver = QStringLiteral("PLAINNAMES")});
    Add(3, QStringLiteral("NOM"))->SetSortRange(0);
    SetTokens(Add(3, QStringLiteral("VILLE"))->FormulaList(), {C(QStringLiteral("Paris"))});
    Add(5, QStringLiteral("MONTANT"))->SetTotal(QStringLiteral("sum"));

    const QStringList expected = {
        QStringLiteral("SELECT "),
        QStringLiteral("D3.NOM AS Nom,"),
        QStringLiteral("D3.VILLE AS Ville,"),
        QStringLiteral("sum(D5.MONTANT) AS Montant"),
        QStringLiteral("FROM "),
        QStringLiteral(" CLIENT D3,"),
        QStringLiteral(" COMMANDE D5"),
        QStringLiteral("WHERE"),
        QStringLiteral("(D3.NUMCLI = D5.NUMCLI)"),
        QStringLiteral("AND"),
        QStringLiteral("((D3.VILLE='Paris') )"),
        QStringLiteral("GROUP BY"),
        QStringLiteral("D3.NOM,"),
        QStringLiteral("D3.VILLE"),
        QStringLiteral("ORDER BY"),
        QStringLiteral("D3.NOM"),
    };
    EXPECT_EQ(Sql(false), expected);
    // the design text is the same: nothing in it depends on the mode
    EXPECT_EQ(Sql(true), expected);

    ShopDb db;
    EXPECT_EQ(db.Rows(m_step->SQL()->Text()), (QStringList{QStringLiteral("Dupont|Paris|200"), QStringLiteral("Martin|Paris|20")}));
}

} // namespace
