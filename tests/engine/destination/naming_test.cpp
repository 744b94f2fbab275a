// File names and view names of a step's destinations.

#include "destinationfixture.h"

#include "engine/core/exceptions.h"
#include "engine/global/queryglobal.h"

using namespace mx;

TEST_F(DestinationTest, FileNamesOfTheDestinations)
{
    const struct {
        const char* fileName;
        bool generateView;
        const char* privatePath;
        const char* fileNameShown; // GetFileName
        const char* fileNameSent;  // what the driver receives
    } cases[] = {
        {"result", false, "/priv", "/priv/result.DB", "/priv/result.DB"},
        {"result.", false, "/priv", "/priv/result.", "/priv/result.DB"},
        {"result.old", false, "/priv/", "/priv/result.old", "/priv/result.DB"},
        {"/data/out/result.dbx", false, "/priv", "/data/out/result.dbx", "/data/out/result.DB"},
        {"/data/my.dir/result", false, "/priv", "/data/my.dir/result.DB", "/data/my.dir/result.DB"},
        {"result", true, "/priv", "result.DB", "/priv/result.DB"},
        // No private folder: the name stays relative, never "/result".
        {"result", false, "", "result.DB", "result.DB"},
        {"", false, "/priv", "", ""},
    };
    TQueryDestinationItem* table = Dest(QStringLiteral("Table"));
    for (const auto& c : cases) {
        QueryGlobal()->SetPrivateQueryPath(QString::fromLatin1(c.privatePath));
        m_list->SetGenerateView(c.generateView);
        table->SetFileName(QString::fromLatin1(c.fileName));
        EXPECT_EQ(table->GetFileName(), QString::fromLatin1(c.fileNameShown)) << c.fileName;
        EXPECT_EQ(Type(QStringLiteral("Table"))->MakeFileName(table->GetFileName()), QString::fromLatin1(c.fileNameSent))
            << c.fileName;
    }
}

TEST_F(DestinationTest, ViewNames)
{
    // A step that generates a view names it after the two prefixes and its Id.
    m_list->SetGenerateView(true);
    m_list->SetViewPrefixes(QStringLiteral("Ventes"), QStringLiteral("u_12"));
    EXPECT_EQ(m_list->GetViewName(), QStringLiteral("_MX_Ventes_u_12_2"));
    m_list->SetViewPrefixes({}, {});
    EXPECT_EQ(m_list->GetViewName(), QStringLiteral("_MX___2"));
    // The prefixes reach CREATE VIEW and DROP VIEW: only plain names pass.
    for (const char* bad : {"x; DROP TABLE CLIENT", "a-b", "v w", "q\"", "é"}) {
        m_list->SetViewPrefixes(QString::fromUtf8(bad), {});
        EXPECT_THROW(m_list->GetViewName(), EMxException) << bad;
        m_list->SetViewPrefixes({}, QString::fromUtf8(bad));
        EXPECT_THROW(m_list->GetViewName(), EMxException) << bad;
    }

    // Without a view: the first table destination that has a file name.
    m_list->SetGenerateView(false);
    EXPECT_EQ(m_list->GetViewName(), QString());
    Dest(QStringLiteral("Fichier"))->SetFileName(QStringLiteral("export"));
    EXPECT_EQ(m_list->GetViewName(), QString());
    Dest(QStringLiteral("Table"))->SetFileName(QStringLiteral("copie"));
    EXPECT_EQ(m_list->GetViewName(), QStringLiteral("/priv/copie.DB"));
}
