// The bundled sample, as the build wrote it: its models load back with
// their login and sets, its queries with their steps and destinations, and
// the statements the queries generate run on the sample database.

#include "engine/core/exceptions.h"
#include "engine/core/itemptr.h"
#include "engine/core/userservice.h"
#include "engine/destination/querydestination.h"
#include "engine/model/database.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/formula.h"
#include "engine/model/link.h"
#include "engine/model/table.h"
#include "engine/model/user.h"
#include "engine/query/query.h"
#include "engine/tools/hooks.h"

#include "platform/core/inifile.h"

#include "tests/support/samplefiles.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <memory>

using namespace mx;

namespace {

template <class T>
TItemPtr<T> own(T* item)
{
    return TItemPtr<T>(item);
}

// The number of rows a statement gives on the sample database.
int countRows(const QString& sql, QString* error)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(mxtest::SampleFile(QStringLiteral("MORVELIN.DB"))).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    int rows = -1;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK) {
        rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW)
            ++rows;
    } else {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

class SampleTest : public mxtest::SampleEngineTest {};

} // namespace

TEST_F(SampleTest, TheModelWithoutUsersOpensWithoutLoginAndTheOtherAsksForOne)
{
    int asked = 0;
    ScopedHook login(LoginPromptHook, [&](const QString&, QString&, QString&) {
        ++asked;
        return false;
    });

    auto open = own(new TMxDataModel(nullptr));
    open->LoadFromFile(mxtest::SampleFile(QStringLiteral("EXEMPLE.MDD")));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(open->Users()->Count(), 0);
    EXPECT_EQ(open->Tables()->Count(), 5);
    EXPECT_EQ(open->TLinks()->Count(), 4);
    ASSERT_EQ(open->Databases()->Count(), 1);
    EXPECT_EQ(open->Databases()->Items(0)->Name(), QStringLiteral("MORVELIN"));
    EXPECT_EQ(open->AccessibleDomains()->Count(), 2) << "without users every set is open";

    auto guarded = own(new TMxDataModel(nullptr));
    EXPECT_THROW(guarded->LoadFromFile(mxtest::SampleFile(QStringLiteral("EXEMPLE_ACCES.MDD"))), EAbort);
    EXPECT_EQ(asked, 1);
    EXPECT_THROW(guarded->Open(mxtest::SampleFile(QStringLiteral("EXEMPLE_ACCES.MDD")), QStringLiteral("Claire"), QStringLiteral("faux")),
        Exception);
}

TEST_F(SampleTest, TheUserOfLevelOneSeesOnlyTheRestrictedSet)
{
    struct Case {
        const char* user;
        const char* password;
        int level;
        QList<int> sets;
    };
    const Case cases[] = {
        {"Admin", "admin", 0, {1, 2}},
        {"claire", "CLAIRE", 1, {2}}, // names and passwords ignore case
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user);
        auto m = own(new TMxDataModel(nullptr));
        m->Open(mxtest::SampleFile(QStringLiteral("EXEMPLE_ACCES.MDD")), QString::fromLatin1(c.user), QString::fromLatin1(c.password));
        ASSERT_NE(m->CurrentUser(), nullptr);
        EXPECT_EQ(m->CurrentUser()->Level(), c.level);
        QList<int> sets;
        for (TMxItem* d : *m->AccessibleDomains())
            sets << d->Id();
        EXPECT_EQ(sets, c.sets);
    }

    auto m = own(new TMxDataModel(nullptr));
    m->Open(mxtest::SampleFile(QStringLiteral("EXEMPLE_ACCES.MDD")), QStringLiteral("Claire"), QStringLiteral("claire"));
    m->SetDomainById(2);
    QStringList fields;
    for (TMxItem* e : *m->DomainEntities()) {
        auto* entity = static_cast<TMxEntity*>(e);
        for (int i = 0; i < entity->WFields()->Count(); ++i)
            if (TMxField* f = entity->GetField(i))
                fields << f->FullName();
    }
    EXPECT_TRUE(fields.contains(QStringLiteral("Région")));
    EXPECT_FALSE(fields.contains(QStringLiteral("Téléphone"))) << "outside the set";
    TMxDomain* region = m->Domains()->FindById(2);
    EXPECT_GT(region->Criteria()->Count(), 0) << "the set is limited by a criterion";
}

TEST_F(SampleTest, TheQueriesLoadWithTheirStepsAndTheirStatementsRun)
{
    struct Case {
        const char* file;
        QStringList steps;
        QStringList destinations; // "step:type=name"
        QList<int> rows;          // per step, on the sample database; -1: reads an earlier step
    };
    const Case cases[] = {
        {"VENTES_PAR_PRODUIT.MQR", {"Ventes par produit"},
            {"1:dBASE=VENTES_PAR_PRODUIT", "1:Texte=VENTES_PAR_PRODUIT", "1:ReportSmith=VENTES_PAR_PRODUIT",
                "1:Rapport=VENTES_PAR_PRODUIT"},
            {30}},
        {"CLIENTS_FIDELES.MQR", {"Quantités par client", "Clients fidèles"},
            {"1:Paradox=QUANTITES_PAR_CLIENT", "2:Texte=CLIENTS_FIDELES"}, {500, -1}},
        // 13 of the 500 clients have no town
        {"CLIENTS.MQR", {"Clients par ville"}, {"1:Paradox=CLIENTS", "1:dBASE=CLIENTS", "1:Texte=CLIENTS"}, {487}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        auto q = own(new TMxQuery(nullptr));
        q->LoadFromFile(mxtest::SampleFile(QString::fromLatin1(c.file)));
        EXPECT_EQ(q->DmFilename(), QStringLiteral("EXEMPLE.MDD")) << "the model lies beside the query";
        QStringList steps, destinations;
        for (int i = 0; i < q->Steps()->Count(); ++i) {
            TMxQueryStep* step = q->Steps()->Items(i);
            steps << step->GetName();
            for (int j = 0; j < step->Destinations()->Count(); ++j) {
                TQueryDestinationItem* d = step->Destinations()->Items(j);
                if (d->HasFileName())
                    destinations << QStringLiteral("%1:%2=%3").arg(step->Id()).arg(d->Name(), d->FileName());
            }
        }
        EXPECT_EQ(steps, c.steps);
        EXPECT_EQ(destinations, c.destinations);

        q->Prepare(false);
        for (int i = 0; i < q->Steps()->Count(); ++i) {
            TMxQueryStep* step = q->Steps()->Items(i);
            bool readsEarlier = false;
            for (const TMxTable* t : step->Tables())
                readsEarlier = readsEarlier || t->Id() < 0;
            EXPECT_EQ(readsEarlier, c.rows[i] < 0);
            if (c.rows[i] < 0)
                continue;
            QString error;
            EXPECT_EQ(countRows(step->SQL()->Text(), &error), c.rows[i]) << error.toStdString() << "\n"
                                                                         << step->SQL()->Text().toStdString();
        }
    }
}

TEST_F(SampleTest, TheAliasNamesTheSampleDatabase)
{
    const auto ini = platform::IniFile::open(QDir(mxtest::BinDir()).filePath(QStringLiteral("ALIASES.INI")));
    EXPECT_EQ(ini->readString(QStringLiteral("MORVELIN"), QStringLiteral("TYPE")), QStringLiteral("SQLITE"));
    const QString path = ini->readString(QStringLiteral("MORVELIN"), QStringLiteral("PATH"));
    EXPECT_TRUE(QFileInfo::exists(QDir(mxtest::BinDir()).filePath(path))) << path.toStdString();
}
