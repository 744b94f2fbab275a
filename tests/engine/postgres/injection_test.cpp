// What user values cannot do to a statement, on the server: the shop's
// statements are generated in the PostgreSQL dialect of the definition
// file and run through the driver on a database holding the shop.

#include "pgtestserver.h"
#include "tests/engine/query/queryfixture.h"

#include "engine/bde/bdedriver.h"
#include "engine/bde/bdesession.h"
#include "engine/driver/dataset.h"
#include "engine/driver/rootdir.h"
#include "engine/global/datasource.h"
#include "engine/global/queryglobal.h"
#include "engine/model/formula.h"
#include "engine/model/param.h"
#include "engine/model/queryfield.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"

#include <QDir>

using namespace mx;
using namespace qtest;

namespace {

void LoadShop()
{
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    pgtest::Psql(QStringLiteral("CREATE DATABASE shop"), QStringLiteral("postgres"));
    pgtest::Psql(QStringLiteral(R"(
        CREATE TABLE "CLIENT" ("NUMCLI" integer PRIMARY KEY, "NOM" text, "VILLE" text, "CATEGORIE" text, "DATENAIS" date, "PHOTO" bytea);
        CREATE TABLE "COMMANDE" ("NUMCDE" integer PRIMARY KEY, "NUMCLI" integer, "MONTANT" numeric, "DATECDE" date);
        INSERT INTO "CLIENT" VALUES (1,'Dupont','Paris','A','1970-01-02',NULL),(2,'O''Brien','Lyon','B','1985-06-15',NULL),
            (3,'Martin','Paris','B','1990-03-04',NULL),(4,'Durand','Nice','A','1962-11-30',NULL),(5,'Leroy',NULL,'A','2000-01-01',NULL);
        INSERT INTO "COMMANDE" VALUES (10,1,150,'2024-01-05'),(11,1,50,'2024-02-01'),(12,2,300,'2024-02-10'),
            (13,3,20,'2024-03-01'),(14,4,500,'2024-03-15');
    )"), QStringLiteral("shop"));
}

class PgInjection : public QueryTest {
protected:
    PgInjection()
    {
        LoadShop();
        // The server's dialect as the installation's definition file gives it.
        const QString bin = qEnvironmentVariable("MORVELIN_BIN");
        RootDirOverride.set([bin] { return bin; });
        TDbEngDatasourceList shipped(nullptr);
        LoadDefinitionFile(&shipped, QStringLiteral("BDEDRIV.MXF"));
        TDbEngDatasource* pg = shipped.FindDatasource(QStringLiteral("POSTGRESQL"));
        EXPECT_NE(pg, nullptr);
        if (pg)
            Dialects()->AddNew()->Assign(pg);
        // The driver reads the test's own alias file.
        QDir().mkpath(Path(QStringLiteral("root")));
        const QString root = Path(QStringLiteral("root/"));
        mxtest::WriteAll(root + QStringLiteral("ALIASES.INI"),
            pgtest::AliasSection(QStringLiteral("VENTES")).replace(QStringLiteral("DATABASE=") + pgtest::TheServer().database,
                QStringLiteral("DATABASE=shop")).toUtf8());
        RootDirOverride.set([root] { return root; });
        ResetBdeSession();
        m_driver = new TMxBdeDriver(nullptr);
    }
    ~PgInjection() override
    {
        m_driver->Free();
        ResetBdeSession();
        RootDirOverride.clear();
    }

    void OpenPg() { Open(ShopOptions{QStringLiteral("POSTGRESQL")}); }

    QStringList ServerRows(const QString& sql)
    {
        TIMxDataset* ds = m_driver->ExecuteQuery(sql, QString(), QString(), QString(), QStringLiteral("VENTES"));
        EXPECT_NE(ds, nullptr) << m_service.messages.join(u'\n').toStdString() << "\n" << sql.toStdString();
        QStringList rows;
        if (!ds)
            return rows;
        for (ds->First(); !ds->Eof(); ds->Next()) {
            QStringList cells;
            for (int i = 0; i < ds->GetFieldCount(); ++i)
                cells << ds->GetFieldValue(i);
            rows << cells.join(u'|');
        }
        TMxItem::Free(ds);
        rows.sort();
        return rows;
    }

    static QString Snapshot()
    {
        return pgtest::Psql(QStringLiteral("SELECT string_agg(t::text, ';' ORDER BY t::text) FROM \"CLIENT\" t"), QStringLiteral("shop"))
            + pgtest::Psql(QStringLiteral("SELECT string_agg(t::text, ';' ORDER BY t::text) FROM \"COMMANDE\" t"), QStringLiteral("shop"))
            + pgtest::Psql(QStringLiteral("SELECT string_agg(relname, ',' ORDER BY relname) FROM pg_class WHERE relnamespace = 'public'::regnamespace"),
                QStringLiteral("shop"));
    }

    TMxBdeDriver* m_driver = nullptr;
};

} // namespace

TEST_F(PgInjection, ParameterValuesSelectExactlyTheirRowsOnTheServer)
{
    const struct {
        const char* value;
        QStringList rows;
    } cases[] = {
        {"O'Brien", {"O'Brien"}},
        {"'O'Brien'", {"O'Brien"}},
        {"x') OR ('1'='1", {}},
        {"'; DROP TABLE \"CLIENT\"; --", {}},
        {"Dupont' --", {}},
        {"a\\' OR 1=1 --", {}},   // a backslash is no escape on the server
        {"$$ OR 1=1 $$", {}},     // nor is dollar quoting inside a literal
    };
    const QString before = Snapshot();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        // as a parameter's value
        OpenPg();
        AddParam(1, QStringLiteral("Nom"), {QString::fromUtf8(c.value)});
        SetTokens(Add(3, QStringLiteral("NOM"))->FormulaList(), {V(1)});
        Sql(false);
        EXPECT_EQ(ServerRows(m_step->SQL()->Text()), c.rows);
        // as a criterion's constant, and after LIKE
        OpenPg();
        AddParam(1, QStringLiteral("Nom"), {QString::fromUtf8(c.value)});
        Add(3, QStringLiteral("NOM"));
        SetTokens(m_step->StepCriteria(), {F(3, QStringLiteral("NOM")), O(foEqual), C(QString::fromUtf8(c.value))});
        SetTokens(m_step->AllFields()->Items(0)->FormulaList(), {O(foStarting), V(1)});
        Sql(false);
        EXPECT_EQ(ServerRows(m_step->SQL()->Text()), c.rows);
        // one value of several
        OpenPg();
        AddParam(1, QStringLiteral("Noms"), {QString::fromUtf8(c.value), QStringLiteral("Durand")});
        SetTokens(Add(3, QStringLiteral("NOM"))->FormulaList(), {V(1)});
        Sql(false);
        QStringList expected = QStringList(c.rows) << QStringLiteral("Durand");
        expected.sort();
        EXPECT_EQ(ServerRows(m_step->SQL()->Text()), expected);
    }
    // names holding the quoter stay one name
    OpenPg();
    Add(3, QStringLiteral("NOM"))->SetFullName(QStringLiteral("Nom \"court\"; DROP TABLE \"CLIENT\""));
    Add(3, QStringLiteral("VILLE"));
    SetTokens(m_step->StepCriteria(), {F(3, QStringLiteral("NUMCLI")), O(foEqual), C(QStringLiteral("1"), 'N')});
    Sql(false);
    EXPECT_EQ(ServerRows(m_step->SQL()->Text()), QStringList{QStringLiteral("Dupont|Paris")});
    // dates and numbers reach the server only in their own form
    OpenPg();
    AddParam(1, QStringLiteral("Né"), {QStringLiteral("02/01/1970")}, ptDate);
    SetTokens(Add(3, QStringLiteral("DATENAIS"))->FormulaList(), {V(1, 'D')});
    Sql(false);
    EXPECT_EQ(ServerRows(m_step->SQL()->Text()), QStringList{QStringLiteral("02/01/1970")});
    EXPECT_EQ(Snapshot(), before);
    EXPECT_TRUE(before.contains(u"O'Brien"));
}
