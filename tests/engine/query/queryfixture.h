#pragma once
// A shop data model built in code, queries over it, and the same shop as
// an SQLite database in memory, so that generated statements can be
// prepared and run.
//
//   CLIENT (3)     NUMCLI N, NOM A, VILLE A, CATEGORIE A, DATENAIS D, PHOTO B
//   COMMANDE (5)   NUMCDE N, NUMCLI N, MONTANT N, DATECDE D
//   LIVRAISON (7)  NUMLIV N, NUMCDE N, TRANSPORTEUR A
//   REMISE (9)     VILLE A, CATEGORIE A, TAUX N
//   links          CLIENT -> COMMANDE on NUMCLI (left outer allowed when asked)
//                  COMMANDE -> LIVRAISON on NUMCDE (left outer, chosen by default)
//                  CLIENT -> REMISE on VILLE and CATEGORIE (left and right outer)
//   entity         "Clients" has the criterion "Parisiens" (VILLE = 'Paris')
//   sets           1 "Ensemble principal"; 2 "Grosses commandes" (criterion
//                  MONTANT > 100)

#include "tests/support/testsupport.h"

#include "engine/core/types.h"
#include "engine/model/modeltypes.h"

#include <QStringList>

#include <sqlite3.h>

#include <initializer_list>

namespace mx {
class TDbEngDatasourceList;
class TMxDataModel;
class TMxFormulaList;
class TMxParam;
class TMxQuery;
class TMxQueryField;
class TMxQueryStep;
class TMxSqlJoin;
class TQueryDestinationItem;
} // namespace mx

namespace qtest {

// One formula token.
struct Tok {
    mx::TOperator op = mx::foConst;
    QString text; // constant, field name, system variable
    QChar type;
    int table = 0;
    int var = 0;
    int dom = 0;
    QString function;
};
Tok C(const QString& value, char type = 'A');
Tok V(int varId, char type = 'A', int domId = 0);
Tok S(const QString& name);
Tok F(int tableId, const QString& name);
Tok O(mx::TOperator op);
Tok Fn(const QString& name);
void SetTokens(mx::TMxFormulaList* list, std::initializer_list<Tok> tokens);

struct ShopOptions {
    QString driver = QStringLiteral("STANDARD"); // the database item's driver
    QString clientDb = QStringLiteral("VENTES");  // Database of CLIENT
    QString otherDb = QStringLiteral("VENTES");   // Database of the other tables
    bool clientOrderOuter = false;               // CLIENT -> COMMANDE allows a left outer join
};

mx::TDbEngDatasourceList* Dialects(); // the process's list, filled by the fixture
mx::TMxDataModel* MakeShopModel(const ShopOptions& options = {});

// A query over the shop model with one step. The process has its globals:
// destination types "Rapport" (report), "Fichier" (file, TXT) and "Table"
// (table, DB) of module TESTMOD, and the dialects
//   PLAINNAMES no field quoter, "'", scPrefixSourceField only
//   STANDARD  '"' and "'", "||", d/m/y to %y-%m-%d, quoted names and dates,
//             views, views of totals, totals of formulas
//   LIMITED   STANDARD with "LIMIT %d" and 2 rows
//   BADLIMIT  STANDARD with a row limit whose format does not fit
class QueryTest : public mxtest::EngineTest {
protected:
    QueryTest();
    ~QueryTest() override;

    // A new model and query (the query owns the model) with one step.
    void Open(const ShopOptions& options = {});
    // Adds a table field to a step (the current one by default), through
    // the table's entity in the step's model; the step's field.
    mx::TMxQueryField* Add(int tableId, const QString& name, mx::TMxQueryStep* step = nullptr);
    // The same field again in the entity of fields without a table.
    mx::TMxQueryField* AddAgain(int tableId, const QString& name, mx::TMxQueryStep* step = nullptr);
    // A checked calculated field.
    mx::TMxQueryField* AddCalc(const QString& fullName, std::initializer_list<Tok> tokens, mx::TMxQueryStep* step = nullptr);
    // A query parameter with a control holding these answers.
    mx::TMxParam* AddParam(int id, const QString& name, const QStringList& answers, mx::TParamType type = mx::ptString);
    // Prepares the query; the step's SQL lines.
    QStringList Sql(bool design = false, mx::TMxQueryStep* step = nullptr);
    mx::TMxSqlJoin* Join(int master, int detail, mx::TMxQueryStep* step = nullptr);

    mx::TMxQuery* m_query = nullptr;
    mx::TMxQueryStep* m_step = nullptr;
};

// The shop in SQLite, in memory.
class ShopDb {
public:
    ShopDb();
    ~ShopDb();
    ShopDb(const ShopDb&) = delete;
    ShopDb& operator=(const ShopDb&) = delete;
    // Empty when the text prepares as exactly one statement, else why not.
    QString PrepareError(const QString& sql);
    // The rows of a statement, each "a|b|c" with NULL as "NULL".
    QStringList Rows(const QString& sql);
    // Every row of every table: nothing may change them.
    QString Snapshot();
    void Exec(const char* sql);

private:
    sqlite3* m_db = nullptr;
};

QString Joined(const QStringList& lines);

// The text the test destination driver's settings store.
void SetSettingsText(mx::TQueryDestinationItem* destination, const QString& text);
QString SettingsText(mx::TQueryDestinationItem* destination);

} // namespace qtest
