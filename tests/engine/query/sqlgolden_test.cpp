// Statements of a step, one case per row: the lines expected, and every
// run-mode statement prepared by SQLite against the shop; where the case
// names rows, the statement is run and its rows compared.

#include "queryfixture.h"

#include "engine/core/exceptions.h"
#include "engine/destination/querydestination.h"
#include "engine/model/datamodel.h"
#include "engine/model/entity.h"
#include "engine/model/formula.h"
#include "engine/model/table.h"
#include "engine/model/modeltypes.h"
#include "engine/model/queryfield.h"
#include "engine/model/sqlfunction.h"
#include "engine/model/sqlvalue.h"
#include "engine/query/query.h"

#include <functional>

using namespace mx;
using namespace qtest;

namespace {

QStringList L(const char* text)
{
    return QString::fromUtf8(text).split(u'\n');
}

struct GoldenCase {
    const char* name;
    ShopOptions options;
    std::function<void()> setup;
    bool design;
    QStringList expected;
    QStringList rows;     // compared when not empty
    bool ordered = false; // rows compared in their order
};

class SqlGolden : public QueryTest {
protected:
    SqlGolden()
    {
        // a small function catalogue: one argument, and three with fixed commas
        TMxSQLFunction* upper = SQLFunctions().AddNew();
        upper->SetName(QStringLiteral("Majuscules"));
        upper->SetSQLCode(QStringLiteral("UPPER"));
        upper->SetReturnType(ptString);
        upper->Params()->AddNew()->SetParamType(ptString);
        TMxSQLFunction* substr = SQLFunctions().AddNew();
        substr->SetName(QStringLiteral("Extrait"));
        substr->SetSQLCode(QStringLiteral("SUBSTR"));
        for (int i = 0; i < 5; ++i) {
            TMxSQLFunctionParam* p = substr->Params()->AddNew();
            p->SetParamType(i == 0 ? ptString : ptNumeric);
            if (i % 2) {
                p->SetStatic(true);
                p->SetSQLCode(QStringLiteral(","));
            }
        }
    }
    ~SqlGolden() override { SQLFunctions().Clear(); }

    TMxSqlJoin* Choose(int master, int detail, bool left, bool right)
    {
        auto* j = new TMxSqlJoin(m_step->SQLJoins());
        j->SetMaster(master);
        j->SetDetail(detail);
        j->SetLeftOuter(true);
        j->SetRightOuter(true);
        j->SetLeftValue(left);
        j->SetRightValue(right);
        return j;
    }
    void Filter(TMxQueryField* f, std::initializer_list<Tok> tokens) { SetTokens(f->FormulaList(), tokens); }
};

TEST_F(SqlGolden, Table)
{
    const QString nom = QStringLiteral("NOM");
    const QString ville = QStringLiteral("VILLE");
    const std::vector<GoldenCase> cases = {
        {"sales in Paris by name, plain names", {.driver = "PLAINNAMES"}, [&] {
             Add(3, nom)->SetSortRange(0);
             Filter(Add(3, ville), {C(QStringLiteral("Paris"))});
             Add(5, QStringLiteral("MONTANT"))->SetTotal(QStringLiteral("sum"));
         },
            false,
            L("SELECT \nD3.NOM AS Nom,\nD3.VILLE AS Ville,\nsum(D5.MONTANT) AS Montant\nFROM \n CLIENT D3,\n COMMANDE D5\nWHERE\n"
              "(D3.NUMCLI = D5.NUMCLI)\nAND\n((D3.VILLE='Paris') )\nGROUP BY\nD3.NOM,\nD3.VILLE\nORDER BY\nD3.NOM"),
            {"Dupont|Paris|200", "Martin|Paris|20"}, true},
        {"distinct", {}, [&] {
             m_step->SetDistinctSelect(true);
             Add(3, nom);
             Add(3, ville);
         },
            false, L("SELECT distinct\nD3.\"NOM\" AS \"Nom\",\nD3.\"VILLE\" AS \"Ville\"\nFROM \n \"CLIENT\" D3"),
            {"Dupont|Paris", "Durand|Nice", "Leroy|NULL", "Martin|Paris", "O'Brien|Lyon"}},
        {"two databases use STANDARD and qualified names", {.driver = "PLAINNAMES", .otherDb = "COMPTA"}, [&] {
             Add(3, nom);
             Add(5, QStringLiteral("MONTANT"));
         },
            false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\",\nD5.\"MONTANT\" AS \"Montant\"\nFROM \n \":VENTES:CLIENT\" D3,\n \":COMPTA:COMMANDE\" D5\n"
              "WHERE\n(D3.\"NUMCLI\" = D5.\"NUMCLI\")"),
            {"Dupont|150", "Dupont|50", "Durand|500", "Martin|20", "O'Brien|300"}},
        {"a directory database beside an alias", {.driver = "PLAINNAMES", .clientDb = "/data/shop/"}, [&] {
             Add(3, nom);
             Add(5, QStringLiteral("MONTANT"));
         },
            false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\",\nD5.\"MONTANT\" AS \"Montant\"\nFROM \n \"/data/shop/CLIENT\" D3,\n \":VENTES:COMMANDE\" D5\n"
              "WHERE\n(D3.\"NUMCLI\" = D5.\"NUMCLI\")"),
            {"Dupont|150", "Dupont|50", "Durand|500", "Martin|20", "O'Brien|300"}},
        {"left outer join chosen by default", {}, [&] {
             Add(5, QStringLiteral("NUMCDE"));
             Add(7, QStringLiteral("TRANSPORTEUR"));
         },
            false,
            L("SELECT \nD5.\"NUMCDE\" AS \"Commande\",\nD7.\"TRANSPORTEUR\" AS \"Transporteur\"\nFROM \n \"COMMANDE\" D5\n"
              "LEFT OUTER JOIN \"LIVRAISON\" D7\n  ON D5.\"NUMCDE\" = D7.\"NUMCDE\""),
            {"10|Poste", "11|NULL", "12|Rail", "13|NULL", "14|NULL"}},
        {"right outer join over two field pairs", {}, [&] {
             Choose(3, 9, false, true);
             Add(3, nom);
             Add(9, QStringLiteral("TAUX"));
         },
            false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\",\nD9.\"TAUX\" AS \"Taux\"\nFROM \n \"CLIENT\" D3\n"
              "RIGHT OUTER JOIN \"REMISE\" D9\n  ON D3.\"VILLE\" = D9.\"VILLE\" AND D3.\"CATEGORIE\" = D9.\"CATEGORIE\""),
            {"Dupont|5", "NULL|7", "O'Brien|10"}},
        {"full outer join", {}, [&] {
             Choose(3, 9, true, true);
             Add(3, nom);
             Add(9, QStringLiteral("TAUX"));
         },
            false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\",\nD9.\"TAUX\" AS \"Taux\"\nFROM \n \"CLIENT\" D3\n"
              "FULL OUTER JOIN \"REMISE\" D9\n  ON D3.\"VILLE\" = D9.\"VILLE\" AND D3.\"CATEGORIE\" = D9.\"CATEGORIE\""),
            {"Dupont|5", "Durand|NULL", "Leroy|NULL", "Martin|NULL", "NULL|7", "O'Brien|10"}},
        {"a chain of outer joins", {.clientOrderOuter = true}, [&] {
             Choose(3, 5, true, false);
             Add(3, nom);
             Add(5, QStringLiteral("NUMCDE"));
             Add(7, QStringLiteral("TRANSPORTEUR"));
         },
            false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\",\nD5.\"NUMCDE\" AS \"Commande\",\nD7.\"TRANSPORTEUR\" AS \"Transporteur\"\nFROM \n \"CLIENT\" D3\n"
              "LEFT OUTER JOIN \"COMMANDE\" D5\n  ON D3.\"NUMCLI\" = D5.\"NUMCLI\"\nLEFT OUTER JOIN \"LIVRAISON\" D7\n  ON D5.\"NUMCDE\" = D7.\"NUMCDE\""),
            {"Dupont|10|Poste", "Dupont|11|NULL", "Durand|14|NULL", "Leroy|NULL|NULL", "Martin|13|NULL", "O'Brien|12|Rail"}},
        {"a chain of outer joins listed from its end", {.clientOrderOuter = true}, [&] {
             Choose(3, 5, true, false);
             Add(7, QStringLiteral("TRANSPORTEUR"));
             Add(5, QStringLiteral("NUMCDE"));
             Add(3, nom);
         },
            false,
            L("SELECT \nD7.\"TRANSPORTEUR\" AS \"Transporteur\",\nD5.\"NUMCDE\" AS \"Commande\",\nD3.\"NOM\" AS \"Nom\"\nFROM \n \"CLIENT\" D3\n"
              "LEFT OUTER JOIN \"COMMANDE\" D5\n  ON D3.\"NUMCLI\" = D5.\"NUMCLI\"\nLEFT OUTER JOIN \"LIVRAISON\" D7\n  ON D5.\"NUMCDE\" = D7.\"NUMCDE\""),
            {"NULL|11|Dupont", "NULL|13|Martin", "NULL|14|Durand", "NULL|NULL|Leroy", "Poste|10|Dupont", "Rail|12|O'Brien"}},
        {"view head names the emitted columns", {}, [&] {
             m_query->SetViewPrefix(QStringLiteral("Q"));
             m_step->Destinations()->SetGenerateView(true);
             Add(3, nom);
             Filter(Add(3, ville), {C(QStringLiteral("Paris"))});
             m_step->AllFields()->Items(1)->SetChecked(false);
         },
            false, L("CREATE VIEW _MX_Q__1\n(\"Nom\") AS\nSELECT \nD3.\"NOM\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"VILLE\"='Paris') )"), {}},
        {"totals group by every other checked field but blobs", {}, [&] {
             Add(3, nom);
             Add(3, QStringLiteral("PHOTO"));
             Add(5, QStringLiteral("MONTANT"))->SetTotal(QStringLiteral("sum"));
         },
            false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\",\nD3.\"PHOTO\" AS \"Photo\",\nsum(D5.\"MONTANT\") AS \"Montant\"\nFROM \n \"CLIENT\" D3,\n"
              " \"COMMANDE\" D5\nWHERE\n(D3.\"NUMCLI\" = D5.\"NUMCLI\")\nGROUP BY\nD3.\"NOM\""),
            {"Dupont|NULL|200", "Durand|NULL|500", "Martin|NULL|20", "O'Brien|NULL|300"}},
        {"a filter on a total goes to Having", {}, [&] {
             Add(3, nom);
             Filter(Add(5, QStringLiteral("MONTANT")), {O(foSup), C(QStringLiteral("100"), 'N')});
             m_step->AllFields()->Items(1)->SetTotal(QStringLiteral("sum"));
         },
            false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\",\nsum(D5.\"MONTANT\") AS \"Montant\"\nFROM \n \"CLIENT\" D3,\n \"COMMANDE\" D5\nWHERE\n"
              "(D3.\"NUMCLI\" = D5.\"NUMCLI\")\nGROUP BY\nD3.\"NOM\"\nHaving\n((sum(D5.\"MONTANT\")> 100) )"),
            {"Dupont|200", "Durand|500", "O'Brien|300"}},
        {"ORDER BY keeps equal ranks in field order and writes DESC", {}, [&] {
             Add(3, nom)->SetSortRange(1);
             TMxQueryField* v = Add(3, ville);
             v->SetSortRange(0);
             v->SetSortOrder(sfDescending);
             TMxQueryField* m = Add(5, QStringLiteral("MONTANT"));
             m->SetTotal(QStringLiteral("sum"));
             m->SetSortRange(1);
         },
            false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\",\nD3.\"VILLE\" AS \"Ville\",\nsum(D5.\"MONTANT\") AS \"Montant\"\nFROM \n \"CLIENT\" D3,\n"
              " \"COMMANDE\" D5\nWHERE\n(D3.\"NUMCLI\" = D5.\"NUMCLI\")\nGROUP BY\nD3.\"NOM\",\nD3.\"VILLE\"\nORDER BY\nD3.\"VILLE\" DESC,\nD3.\"NOM\",\n3"),
            {"Dupont|Paris|200", "Martin|Paris|20", "Durand|Nice|500", "O'Brien|Lyon|300"}, true},
        {"positions count the columns written", {}, [&] {
             Filter(Add(3, QStringLiteral("NUMCLI")), {O(foSup), C(QStringLiteral("1"), 'N')});
             m_step->AllFields()->Items(0)->SetChecked(false);
             Add(3, nom);
             TMxQueryField* calc = AddCalc(QStringLiteral("Ville!"), {F(3, ville), O(foPlus), C(QStringLiteral("!"))});
             calc->SetSortRange(0);
             calc->SetSortOrder(sfDescending);
             Add(5, QStringLiteral("MONTANT"))->SetTotal(QStringLiteral("sum"));
         },
            false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\",\n((D3.\"VILLE\") || '!' ) AS \"Ville!\",\nsum(D5.\"MONTANT\") AS \"Montant\"\nFROM \n"
              " \"CLIENT\" D3,\n \"COMMANDE\" D5\nWHERE\n(D3.\"NUMCLI\" = D5.\"NUMCLI\")\nAND\n((D3.\"NUMCLI\"> 1) )\nGROUP BY\nD3.\"NOM\",\n2\n"
              "ORDER BY\n2 DESC"),
            {"Martin|Paris!|20", "Durand|Nice!|500", "O'Brien|Lyon!|300"}, true},
        {"row limit", {.driver = "LIMITED"}, [&] { Add(3, nom)->SetSortRange(0); }, false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\"\nFROM \n \"CLIENT\" D3\nORDER BY\nD3.\"NOM\"\nLIMIT 2"), {"Dupont", "Durand"}, true},
        {"a row limit whose format fails writes no line", {.driver = "BADLIMIT"}, [&] { Add(3, nom)->SetSortRange(0); }, false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\"\nFROM \n \"CLIENT\" D3\nORDER BY\nD3.\"NOM\""), {}},
        {"a parameter in design mode", {}, [&] {
             AddParam(1, QStringLiteral("Ville"), {QStringLiteral("Paris")});
             Filter(Add(3, ville), {V(1)});
         },
            true, L("SELECT \nD3.\"VILLE\" AS \"Ville\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"VILLE\"=[Ville]) )"), {}},
        {"a parameter with one value", {}, [&] {
             AddParam(1, QStringLiteral("Ville"), {QStringLiteral("Paris")});
             Filter(Add(3, ville), {V(1)});
             Add(3, nom);
         },
            false, L("SELECT \nD3.\"VILLE\" AS \"Ville\",\nD3.\"NOM\" AS \"Nom\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"VILLE\"='Paris') )"),
            {"Paris|Dupont", "Paris|Martin"}},
        {"a parameter with two values", {}, [&] {
             AddParam(1, QStringLiteral("Ville"), {QStringLiteral("Paris"), QStringLiteral("Lyon")});
             Filter(Add(3, ville), {V(1)});
             Add(3, nom);
         },
            false,
            L("SELECT \nD3.\"VILLE\" AS \"Ville\",\nD3.\"NOM\" AS \"Nom\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"VILLE\" in ('Paris', 'Lyon')) )"),
            {"Lyon|O'Brien", "Paris|Dupont", "Paris|Martin"}},
        {"a parameter left unanswered", {}, [&] {
             AddParam(1, QStringLiteral("Ville"), {});
             Filter(Add(3, ville), {V(1)});
         },
            false, L("SELECT \nD3.\"VILLE\" AS \"Ville\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"VILLE\" LIKE '%') )"),
            {"Lyon", "Nice", "Paris", "Paris"}},
        {"two values after <> give NOT IN", {}, [&] {
             AddParam(1, QStringLiteral("Ville"), {QStringLiteral("Paris"), QStringLiteral("Lyon")});
             Filter(Add(3, ville), {O(foNotEqual), V(1)});
         },
            false,
            L("SELECT \nD3.\"VILLE\" AS \"Ville\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"VILLE\" NOT IN ('Paris', 'Lyon')) )"), {"Nice"}},
        {"two values after starts-with give LIKEs joined by OR", {}, [&] {
             AddParam(2, QStringLiteral("Début"), {QStringLiteral("Du"), QStringLiteral("Ma")});
             Filter(Add(3, nom), {O(foStarting), V(2)});
         },
            false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"NOM\" LIKE 'Du%' OR D3.\"NOM\" LIKE 'Ma%') )"),
            {"Dupont", "Durand", "Martin"}},
        {"a criterion parameter with two values after =", {}, [&] {
             AddParam(1, QStringLiteral("Ville"), {QStringLiteral("Nice"), QStringLiteral("Lyon")});
             Add(3, nom);
             SetTokens(m_step->StepCriteria(), {F(3, ville), O(foEqual), V(1)});
         },
            false, L("SELECT \nD3.\"NOM\" AS \"Nom\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"VILLE\"  in ('Nice', 'Lyon')) )"),
            {"Durand", "O'Brien"}},
        {"a criterion parameter with two values after starts-with", {}, [&] {
             AddParam(2, QStringLiteral("Début"), {QStringLiteral("Du"), QStringLiteral("Ma")});
             Add(3, nom);
             SetTokens(m_step->StepCriteria(), {F(3, nom), O(foStarting), V(2)});
         },
            false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"NOM\"  LIKE 'Du%' OR D3.\"NOM\" LIKE 'Ma%') )"),
            {"Dupont", "Durand", "Martin"}},
        {"a criterion parameter with two values after <>", {}, [&] {
             AddParam(1, QStringLiteral("Ville"), {QStringLiteral("Paris"), QStringLiteral("Lyon")});
             Add(3, nom);
             SetTokens(m_step->StepCriteria(), {F(3, ville), O(foNotEqual), V(1)});
         },
            false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"VILLE\"  NOT IN ('Paris', 'Lyon')) )"),
            {"Durand"}},
        {"starts with", {}, [&] { Filter(Add(3, nom), {O(foStarting), C(QStringLiteral("Du"))}); }, false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"NOM\" LIKE 'Du%') )"), {"Dupont", "Durand"}},
        {"ends with and contains", {}, [&] {
             Filter(Add(3, nom), {O(foEnding), C(QStringLiteral("n"))});
             Filter(Add(3, ville), {O(foContaining), C(QStringLiteral("ar"))});
         },
            false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\",\nD3.\"VILLE\" AS \"Ville\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"NOM\" LIKE '%n') )\nAND\n"
              "((D3.\"VILLE\" LIKE '%ar%') )"),
            {"Martin|Paris"}},
        {"LIKE on a number compares text", {}, [&] { Filter(Add(3, QStringLiteral("NUMCLI")), {O(foContaining), C(QStringLiteral("2"), 'N')}); },
            false, L("SELECT \nD3.\"NUMCLI\" AS \"Numéro client\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"NUMCLI\" LIKE '%2%') )"), {"2"}},
        {"IS NULL or a value", {}, [&] { Filter(Add(3, ville), {O(foBlank), O(foOr), C(QStringLiteral("Nice"))}); }, false,
            L("SELECT \nD3.\"VILLE\" AS \"Ville\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"VILLE\" IS NULL) OR (D3.\"VILLE\"='Nice') )"), {"NULL", "Nice"}},
        {"a chain of <>", {}, [&] { Filter(Add(3, nom), {O(foNotEqual), C(QStringLiteral("Dupont")), O(foNotEqual), C(QStringLiteral("Martin"))}); },
            false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"NOM\" <>  'Dupont')  AND (D3.\"NOM\" <>  'Martin') )"),
            {"Durand", "Leroy", "O'Brien"}},
        {"<> empty is IS NOT NULL", {}, [&] { Filter(Add(3, ville), {O(foNotEqual), O(foBlank)}); }, false,
            L("SELECT \nD3.\"VILLE\" AS \"Ville\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"VILLE\" IS NOT NULL) )"), {"Lyon", "Nice", "Paris", "Paris"}},
        {"the set criterion, joining the table it names", {}, [&] {
             m_query->SetDomId(2);
             Add(3, nom);
         },
            false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\"\nFROM \n \"CLIENT\" D3,\n \"COMMANDE\" D5\nWHERE\n(D3.\"NUMCLI\" = D5.\"NUMCLI\")\nAND\n"
              "((D5.\"MONTANT\" > 100) )"),
            {"Dupont", "Durand", "O'Brien"}},
        {"an entity criterion", {}, [&] {
             Add(3, nom);
             TMxEntity* clients = m_step->DataModel()->Tables()->FindById(3)->Entities()->Items(0);
             m_step->Entities()->Items(0)->SetSourceItem(clients->Criterias()->Items(0));
         },
            false, L("SELECT \nD3.\"NOM\" AS \"Nom\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"VILLE\" = 'Paris') )"), {"Dupont", "Martin"}},
        {"<> after a field of a criterion", {}, [&] {
             Add(3, nom);
             SetTokens(m_step->StepCriteria(), {F(3, nom), O(foNotEqual), C(QStringLiteral("Dupont"))});
         },
            false, L("SELECT \nD3.\"NOM\" AS \"Nom\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"NOM\"  <>  'Dupont') )"),
            {"Durand", "Leroy", "Martin", "O'Brien"}},
        {"a total of a calculated field groups the step", {}, [&] {
             Add(3, nom);
             AddCalc(QStringLiteral("Double"), {F(5, QStringLiteral("MONTANT")), O(foMult), C(QStringLiteral("2"), 'N')})->SetTotal(QStringLiteral("sum"));
         },
            false,
            L("SELECT \nD3.\"NOM\" AS \"Nom\",\nsum(((D5.\"MONTANT\")  *  2 )) AS \"Double\"\nFROM \n \"CLIENT\" D3,\n \"COMMANDE\" D5\n"
              "WHERE\n(D3.\"NUMCLI\" = D5.\"NUMCLI\")\nGROUP BY\nD3.\"NOM\""),
            {"Dupont|400", "Durand|1000", "Martin|40", "O'Brien|600"}},
        {"a step criterion comparing two fields", {}, [&] {
             Add(5, QStringLiteral("NUMCDE"));
             SetTokens(m_step->StepCriteria(), {F(5, QStringLiteral("MONTANT")), O(foEqualSup), F(5, QStringLiteral("NUMCDE")), O(foAnd),
                                                   F(5, QStringLiteral("MONTANT")), O(foInf), C(QStringLiteral("100"), 'N')});
         },
            false,
            L("SELECT \nD5.\"NUMCDE\" AS \"Commande\"\nFROM \n \"COMMANDE\" D5\nWHERE\n"
              "((D5.\"MONTANT\" >= D5.\"NUMCDE\") AND (D5.\"MONTANT\" < 100) )"),
            {"11", "13"}},
        {"a field standing twice keeps both filters", {}, [&] {
             Filter(Add(3, ville), {O(foNotEqual), C(QStringLiteral("Nice"))});
             Filter(AddAgain(3, ville), {C(QStringLiteral("Paris"))});
             m_step->AllFields()->Items(1)->SetChecked(false);
         },
            false,
            L("SELECT \nD3.\"VILLE\" AS \"Ville\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"VILLE\" <>  'Nice') )\nAND\n((D3.\"VILLE\"='Paris') )"),
            {"Paris", "Paris"}},
        {"a filter of the second occurrence of a column", {}, [&] {
             Add(3, ville);
             Filter(AddAgain(3, ville), {C(QStringLiteral("Paris"))});
             m_step->AllFields()->Items(1)->SetChecked(false);
         },
            false, L("SELECT \nD3.\"VILLE\" AS \"Ville\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"VILLE\"='Paris') )"), {"Paris", "Paris"}},
        {"a date in the dialect's order", {}, [&] {
             Add(3, nom);
             Filter(Add(3, QStringLiteral("DATENAIS")), {O(foSup), C(QStringLiteral("15/06/1985"), 'D')});
             m_step->AllFields()->Items(1)->SetChecked(false);
         },
            false, L("SELECT \nD3.\"NOM\" AS \"Nom\"\nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"DATENAIS\"> '1985-06-15') )"), {"Leroy", "Martin"}},
        {"today in a criterion is a date constant", {}, [&] {
             SetSystemClock([] { return QDateTime(QDate(2024, 2, 5), QTime(9, 0)); });
             Filter(Add(5, QStringLiteral("NUMCDE")), {});
             Filter(Add(5, QStringLiteral("DATECDE")), {O(foInf), S(QStringLiteral("AUJOURD'HUI"))});
             m_step->AllFields()->Items(1)->SetChecked(false);
         },
            false, L("SELECT \nD5.\"NUMCDE\" AS \"Commande\"\nFROM \n \"COMMANDE\" D5\nWHERE\n((D5.\"DATECDE\"< '2024-02-05') )"), {"10", "11"}},
        {"SQL functions with one argument and with fixed commas", {}, [&] {
             AddCalc(QStringLiteral("Grand"), {Fn(QStringLiteral("Majuscules")), F(3, nom)})->SetFieldType(u'A');
             AddCalc(QStringLiteral("Début"), {Fn(QStringLiteral("Extrait")), F(3, nom), C(QStringLiteral("1"), 'N'), C(QStringLiteral("2"), 'N')});
         },
            false,
            L("SELECT \n(UPPER((D3.\"NOM\") ) ) AS \"Grand\",\n(SUBSTR((D3.\"NOM\")  ,1  ,2 ) ) AS \"Début\"\nFROM \n \"CLIENT\" D3"),
            {"DUPONT|Du", "DURAND|Du", "LEROY|Le", "MARTIN|Ma", "O'BRIEN|O'"}},
        {"a calculated field of text joins with the dialect's operator", {}, [&] {
             Add(3, nom);
             AddCalc(QStringLiteral("Nom complet"), {F(3, nom), O(foPlus), C(QStringLiteral(" de ")), O(foPlus), F(3, ville)});
         },
            true, L("SELECT \nD3.\"NOM\" AS \"Nom\",\n((D3.\"NOM\") || ' de ' || (D3.\"VILLE\") ) AS \"Nom complet\"\nFROM \n \"CLIENT\" D3"), {}},
        {"a step with no column still shows its SELECT line in design", {}, [&] {
             Filter(Add(3, ville), {C(QStringLiteral("Paris"))});
             m_step->AllFields()->Items(0)->SetChecked(false);
         },
            true, L("SELECT \nFROM \n \"CLIENT\" D3\nWHERE\n((D3.\"VILLE\"='Paris') )"), {}},
    };

    for (const GoldenCase& c : cases) {
        SCOPED_TRACE(c.name);
        Open(c.options);
        c.setup();
        QStringList lines;
        try {
            lines = Sql(c.design);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "raised: " << ExceptionMessage(e).toStdString();
            continue;
        }
        EXPECT_EQ(lines, c.expected) << Joined(lines).toStdString();
        if (!c.design) {
            ShopDb db;
            EXPECT_EQ(db.PrepareError(m_step->SQL()->Text()), QString());
            if (!c.rows.isEmpty()) {
                QStringList rows = db.Rows(m_step->SQL()->Text());
                QStringList expected = c.rows;
                if (!c.ordered) {
                    rows.sort();
                    expected.sort();
                }
                EXPECT_EQ(rows, expected);
            }
        }
        SetSystemClock([] { return QDateTime(QDate(2024, 12, 10), QTime(10, 20, 30)); });
    }
}

TEST_F(SqlGolden, DirectoriesKeepTheirSpelling)
{
    Open({.clientDb = QStringLiteral("/data/Shop/"), .otherDb = QStringLiteral("/data/Shop")});
    Add(3, QStringLiteral("NOM"));
    Add(5, QStringLiteral("MONTANT"));
    const QStringList lines = Sql(false);
    EXPECT_TRUE(m_step->SingleDatabase());
    EXPECT_EQ(m_step->MainDatabase(), QStringLiteral("/data/Shop/"));
    EXPECT_EQ(lines.mid(4, 2), (QStringList{QStringLiteral(" \"CLIENT\" D3,"), QStringLiteral(" \"COMMANDE\" D5")}));
    // another case is another folder
    Open({.clientDb = QStringLiteral("/data/Shop"), .otherDb = QStringLiteral("/data/shop")});
    Add(3, QStringLiteral("NOM"));
    Add(5, QStringLiteral("MONTANT"));
    Sql(false);
    EXPECT_FALSE(m_step->SingleDatabase());
    // aliases compare without regard to case, and are named in capitals
    Open({.clientDb = QStringLiteral("Ventes"), .otherDb = QStringLiteral("VENTES")});
    Add(3, QStringLiteral("NOM"));
    Add(5, QStringLiteral("MONTANT"));
    Sql(false);
    EXPECT_TRUE(m_step->SingleDatabase());
    EXPECT_EQ(m_step->MainDatabase(), QStringLiteral("VENTES"));
}

TEST_F(SqlGolden, EmptyStepHasNoTextInDesign)
{
    EXPECT_EQ(Sql(true), QStringList());
}

TEST_F(SqlGolden, LongCriterionSurvivesWhole)
{
    const QString longText = QString(300, u'x');
    Filter(Add(3, QStringLiteral("NOM")), {C(longText)});
    const QStringList lines = Sql(false);
    bool whole = false;
    for (const QString& line : lines)
        whole = whole || line.contains(u'\'' + longText + u'\'');
    EXPECT_TRUE(whole) << Joined(lines).toStdString();
    ShopDb db;
    EXPECT_EQ(db.PrepareError(m_step->SQL()->Text()), QString());
    EXPECT_EQ(db.Rows(m_step->SQL()->Text()), QStringList());
}

} // namespace
