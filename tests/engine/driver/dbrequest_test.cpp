// The engine's driver calls take named arguments: a database given for a
// view, a password for a user name or a bare string for either does not
// compile.

#include "engine/driver/dbrequest.h"

#include <gtest/gtest.h>

#include <type_traits>

using namespace mx;

static_assert(!std::is_convertible_v<QString, TDatabaseName>, "a bare string is no database name");
static_assert(!std::is_convertible_v<TDatabaseName, TViewName>, "a database is no view");
static_assert(!std::is_convertible_v<TPassword, TUserName>, "a password is no user name");
static_assert(!std::is_constructible_v<TDbLogin, TPassword, TUserName>, "the login's parts in their order");
static_assert(!std::is_constructible_v<TDbRequest, TViewName>, "a request starts with its database");
static_assert(!std::is_constructible_v<TDbRequest, TDatabaseName, TDbLogin, TDatabaseName>, "the view is a view");
static_assert(!std::is_constructible_v<TDbRequest, TDatabaseName, TUserName, TPassword>, "the login is one argument");

TEST(DbRequest, KeepsEachNameInItsPlace)
{
    const TDbRequest r(TDatabaseName(QStringLiteral("VENTES")), TDbLogin(TUserName(QStringLiteral("marie")), TPassword(QStringLiteral("s3cret"))),
        TViewName(QStringLiteral("V1")));
    EXPECT_EQ(r.database.Text(), QStringLiteral("VENTES"));
    EXPECT_EQ(r.login.userName.Text(), QStringLiteral("marie"));
    EXPECT_EQ(r.login.password.Text(), QStringLiteral("s3cret"));
    EXPECT_EQ(r.view.Text(), QStringLiteral("V1"));
    EXPECT_TRUE(TDbRequest().view.IsEmpty());
}
