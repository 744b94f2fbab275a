// The driver's name lists reach the administration windows whole, however
// many names there are.

#include "adminfixture.h"

#include "engine/admin/drivernames.h"

namespace {

using admintest::AdminTest;

TEST_F(AdminTest, NameListsAreWholeHoweverLong)
{
    const QString db = Path(QStringLiteral("many.sqlite"));
    // Some hundreds of tables whose names fill far more than the 4 KB the
    // driver's buffers were once given.
    QString script;
    QStringList expected;
    for (int i = 0; i < 300; ++i) {
        const QString name = QStringLiteral("TABLE_AU_NOM_ASSEZ_LONG_%1").arg(i, 3, 10, QLatin1Char('0'));
        script += QStringLiteral("CREATE TABLE %1 (X INTEGER);").arg(name);
        expected << name;
    }
    script += QStringLiteral("CREATE VIEW VUE AS SELECT X FROM TABLE_AU_NOM_ASSEZ_LONG_000;");
    mxtest::MakeSqliteDatabase(db, script);
    const QStringList tables = mx::DriverTableNames(db);
    EXPECT_EQ(tables.size(), 301);
    for (const QString& name : expected)
        EXPECT_TRUE(tables.contains(name)) << name.toStdString();
    EXPECT_TRUE(tables.contains(QStringLiteral("VUE")));

    WriteAliases(QStringLiteral("[Ventes]\nTYPE=SQLITE\nPATH=%1\n\n[Stock]\nTYPE=SQLITE\nPATH=%1\n").arg(db));
    const QStringList aliases = mx::DriverAliasNames();
    EXPECT_TRUE(aliases.contains(QStringLiteral("Ventes"))) << aliases.join(u',').toStdString();
    EXPECT_TRUE(aliases.contains(QStringLiteral("Stock"))) << aliases.join(u',').toStdString();
    EXPECT_TRUE(mx::DriverDriverNames().contains(QStringLiteral("STANDARD")));
}

} // namespace
