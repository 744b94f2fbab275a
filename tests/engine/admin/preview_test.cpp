// The preview files of the configuration window, as the build wrote them
// into the programs' folder: the model opens as "Admin" with an empty
// password and the query prepares to SQL that shows the dialect at work.

#include "adminfixture.h"
#include "tests/support/samplefiles.h"

#include "engine/core/itemptr.h"
#include "engine/core/strings.h"
#include "engine/global/queryglobal.h"
#include "engine/model/database.h"
#include "engine/model/datamodel.h"
#include "engine/model/link.h"
#include "engine/model/user.h"
#include "engine/model/table.h"
#include "engine/query/query.h"

namespace {

using namespace mx;
using admintest::AdminTest;

class AdminPreview : public AdminTest {
protected:
    AdminPreview() : bin(mxtest::BinDir() + u'/')
    {
        LoadDefinitionFile(Datasources(), QStringLiteral("BDEDRIV.MXF"));
    }
    QString bin;
};

TEST_F(AdminPreview, TheModelOpensAsAdminWithAnEmptyPassword)
{
    TItemPtr<TMxDataModel> model(new TMxDataModel(nullptr));
    model->Open(bin + QStringLiteral("defmodel.mxf"), QStringLiteral("Admin"), QString());
    ASSERT_NE(model->CurrentUser(), nullptr);
    EXPECT_EQ(model->CurrentUser()->Name(), QStringLiteral("Admin"));
    ASSERT_EQ(model->Tables()->Count(), 2);
    EXPECT_EQ(model->Tables()->Items(0)->Name(), QStringLiteral("CLIENTS"));
    EXPECT_EQ(model->Tables()->Items(1)->Name(), QStringLiteral("COMMANDES"));
    ASSERT_EQ(model->TLinks()->Count(), 1);
    EXPECT_EQ(model->TLinks()->Items(0)->LinkType(), ltOneToMany);
    ASSERT_EQ(model->Databases()->Count(), 1);
    EXPECT_EQ(model->Databases()->Items(0)->DriverName(), QStringLiteral("STANDARD"));
}

TEST_F(AdminPreview, TheQueryPreparesToSqlOverBothTables)
{
    TItemPtr<TMxQuery> query(new TMxQuery(nullptr));
    query->SetLogin(QStringLiteral("Admin"), QString());
    query->LoadFromFile(bin + QStringLiteral("DefQuery.mxf"));
    EXPECT_EQ(query->DmFilename(), QStringLiteral("defmodel.mxf"));
    ASSERT_NE(query->DataModel(), nullptr);
    ASSERT_EQ(query->Steps()->Count(), 1);
    query->Prepare(false);
    const QString sql = query->Steps()->Items(0)->SQL()->Text();
    ASSERT_FALSE(sql.trimmed().isEmpty());
    // The pieces each dialect option changes.
    for (const char* piece : {"\"CLIENTS\"", "\"COMMANDES\"", "\"NOM\"", "||", "sum(", "'2024-01-01'", "GROUP BY"})
        EXPECT_TRUE(sql.contains(QString::fromLatin1(piece))) << piece << "\n" << sql.toStdString();
}

} // namespace
