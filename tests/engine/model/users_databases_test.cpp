// Users, groups and database items.

#include "modeltest.h"
#include "tests/support/testsupport.h"

#include "engine/core/hookslot.h"
#include "engine/model/database.h"
#include "engine/model/modelhooks.h"
#include "engine/model/user.h"

using namespace mx;
using namespace mxtest;

TEST(Users, LevelAndRightsSurviveTheObjectFile)
{
    TItemPtr<TMxUserList> users(new TMxUserList(nullptr));
    const struct {
        int level;
        int stored;
        TUserRights rights;
    } cases[] = {
        {0, 0, UserRight(urCreateQueries)},
        {1, 1, 0},
        {5, 1, UserRight(urModifyDomain) | UserRight(urCreateViews)},
        {-1, 1, UserRight(urModifyDomain) | UserRight(urCreateQueries) | UserRight(urCreateViews)},
    };
    for (const auto& c : cases) {
        TMxUser* u = users->AddNew();
        u->SetName(QStringLiteral("U%1").arg(c.level));
        u->SetLevel(c.level);
        u->SetRights(c.rights);
        EXPECT_EQ(u->Level(), c.stored) << c.level;
    }
    TItemPtr<TMxUserList> back = RoundTrip(users.get());
    ASSERT_EQ(back->Count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(back->Items(i)->Level(), cases[i].stored) << i;
        EXPECT_EQ(back->Items(i)->Rights(), cases[i].rights) << i;
    }
}

TEST(Users, NameFoundInAnyCasePasswordNeverInDebugText)
{
    TItemPtr<TMxUserList> users(new TMxUserList(nullptr));
    TMxUser* marie = users->AddNew();
    marie->SetName(QStringLiteral("Marie"));
    marie->SetPassword(QStringLiteral("Marie1"));
    EXPECT_EQ(users->FindByName(QStringLiteral("MARIE")), marie);
    EXPECT_EQ(users->FindByName(QStringLiteral("marie")), marie);
    EXPECT_EQ(users->FindByName(QStringLiteral("Mari")), nullptr);
    EXPECT_FALSE(marie->GetDebugText().contains(QStringLiteral("Marie1")));
}

TEST(Databases, LookupByNameAndPath)
{
    TItemPtr<TMxDatabaseList> dbs(new TMxDatabaseList(nullptr));
    auto add = [&](const char* name) {
        TMxDatabaseItem* d = dbs->AddNew();
        d->SetName(QString::fromLatin1(name));
        return d;
    };
    TMxDatabaseItem* alias = add("Ventes");
    TMxDatabaseItem* path = add("/home/u/Ventes/");
    TMxDatabaseItem* winPath = add("C:\\DATA");
    const struct {
        const char* probe;
        TMxDatabaseItem* expected;
    } cases[] = {
        {"Ventes", alias},
        {"VENTES", alias},
        {"ventes\\", alias},
        {"/home/u/Ventes", path},
        {"/home/u/Ventes/", path},
        {"/home/u/VENTES", nullptr}, // a path keeps its spelling
        {"c:\\data\\", winPath},
        {"Achats", nullptr},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dbs->FindByName(QString::fromLatin1(c.probe)), c.expected) << c.probe;
    // the spelling used to open the database is never altered
    EXPECT_EQ(path->Name(), QStringLiteral("/home/u/Ventes/"));
}

TEST(Databases, ServerAndDialect)
{
    const struct {
        const char* driver;
        bool server;
    } cases[] = {{"", false}, {"STANDARD", false}, {"standard", true}, {"SQLITE", true}};
    for (const auto& c : cases) {
        TItemPtr<TMxDatabaseItem> d(new TMxDatabaseItem(nullptr));
        d->SetDriverName(QString::fromLatin1(c.driver));
        EXPECT_EQ(d->IsServer(), c.server) << c.driver;
    }

    // dialects: a driver without one of its own falls back to STANDARD
    ScopedHook guard(ModelDatasourceHook, [](const QString& name, TSQLSyntaxProperties& s) {
        const QString n = name.isEmpty() ? QStringLiteral("STANDARD") : name.toUpper();
        if (n == u"STANDARD") {
            s = Dialect(0, QString(), QStringLiteral("'"));
            return true;
        }
        if (n == u"SERVEUR") {
            s = Dialect(SqlCap(scQuoteDates), QStringLiteral("\""));
            return true;
        }
        return false;
    });
    TItemPtr<TMxDatabaseItem> d(new TMxDatabaseItem(nullptr));
    TSQLSyntaxProperties s;
    d->SetDriverName(QStringLiteral("serveur"));
    ASSERT_TRUE(d->GetSyntax(s));
    EXPECT_EQ(s.FieldQuoter, QStringLiteral("\""));
    d->SetDriverName(QStringLiteral("INCONNU"));
    ASSERT_TRUE(d->GetSyntax(s));
    EXPECT_TRUE(s.FieldQuoter.isEmpty());
}
