#include "settingsfixture.h"

using namespace mx;

namespace {

class RecentFiles : public mxtest::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        MRUs().SetIniFileName(QStringLiteral("MORVELIN.INI"));
    }
};

QStringList items(const TMRU* l)
{
    return l->Items();
}

} // namespace

TEST_F(RecentFiles, AddMovesToTopTrimsAndComparesExactly)
{
    TMRU* l = MRUs().GetMRU("History_10");
    int changes = 0;
    l->OnChange = [&](TMRU*) { ++changes; };
    for (const char* f : {"/q/a.mqr", "/q/b.mqr", "/q/c.mqr"})
        l->Add(f);
    EXPECT_EQ(items(l), QStringList({"/q/c.mqr", "/q/b.mqr", "/q/a.mqr"}));
    EXPECT_EQ(changes, 3);

    l->Add("/q/a.mqr");
    EXPECT_EQ(items(l), QStringList({"/q/a.mqr", "/q/c.mqr", "/q/b.mqr"}));
    // Linux file names differ by case: two entries, not one.
    l->Add("/Q/A.MQR");
    EXPECT_EQ(items(l), QStringList({"/Q/A.MQR", "/q/a.mqr", "/q/c.mqr", "/q/b.mqr"}));
    l->Add("");
    l->Add("   ");
    EXPECT_EQ(l->Count(), 4);

    for (const char* f : {"/q/d", "/q/e"})
        l->Add(f);
    EXPECT_EQ(items(l), QStringList({"/q/e", "/q/d", "/Q/A.MQR", "/q/a.mqr", "/q/c.mqr"})); // the sixth drops the oldest

    MRUs().SetMaxCount(2);
    EXPECT_EQ(items(l), QStringList({"/q/e", "/q/d"}));
    MRUs().SetMaxCount(-1);
    EXPECT_EQ(MRUs().MaxCount(), 0);
    EXPECT_EQ(l->Count(), 0);
    l->OnChange = nullptr; // the counter goes out of scope before the list
}

TEST_F(RecentFiles, SectionsAreFoundWithoutRegardToCase)
{
    TMRU* a = MRUs().GetMRU("History_10");
    EXPECT_EQ(MRUs().GetMRU("HISTORY_10"), a);
    EXPECT_NE(MRUs().GetMRU("History_11"), a);
    EXPECT_EQ(MRUs().Count(), 2);
}

TEST_F(RecentFiles, SavedAtCloseAndLoadedBackInKeyOrder)
{
    TMRU* l = MRUs().GetMRU("History_10");
    l->Add("/q/b.mqr");
    l->Add("/q/a.mqr");
    MRUs().SetIniFile(nullptr); // saves every list
    auto ini = OpenUserIni();
    EXPECT_EQ(ini->keys("History_10"), QStringList({"0", "1"}));
    EXPECT_EQ(ini->readString("History_10", "0"), "/q/a.mqr");
    EXPECT_EQ(ini->readString("History_10", "1"), "/q/b.mqr");

    FreeMRUs();
    MRUs().SetIniFileName(QStringLiteral("MORVELIN.INI"));
    EXPECT_EQ(items(MRUs().GetMRU("History_10")), QStringList({"/q/a.mqr", "/q/b.mqr"}));
    MRUs().SetIniFile(nullptr);
    EXPECT_EQ(ini->sectionValues("History_10"),
        (QList<QPair<QString, QString>>{{"0", "/q/a.mqr"}, {"1", "/q/b.mqr"}}));
}

TEST_F(RecentFiles, LoadingSkipsGapsEmptyValuesAndDuplicates)
{
    WriteUserIni("[History_10]\n"
                 "2=/q/c.mqr\n"
                 "0=/q/a.mqr\n"
                 "x=/q/not-a-key.mqr\n"
                 "1=\n"
                 "4=/q/e.mqr\n"
                 "5=/q/a.mqr\n"
                 "3=/q/d.mqr\n");
    FreeMRUs();
    MRUs().SetIniFileName(QStringLiteral("MORVELIN.INI"));
    MRUs().SetMaxCount(3);
    EXPECT_EQ(items(MRUs().GetMRU("History_10")), QStringList({"/q/a.mqr", "/q/c.mqr", "/q/d.mqr"}));
}

TEST_F(RecentFiles, RefusedWriteRaisesFromSaveButNeverFromDestruction)
{
    TMRU* l = MRUs().GetMRU("History_10");
    l->Add("/q/a.mqr");
    WriteUserIni("[Options]\nMRUsize=5\n");
    QFile::setPermissions(UserIni(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    try {
        l->Save();
        FAIL() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.message(), "Unable to write to " + UserIni());
    }
    // Closing saves every list; the failure comes after the file is closed.
    EXPECT_THROW(MRUs().SetIniFile(nullptr), EIniFileException);
    EXPECT_EQ(MRUs().IniFile(), nullptr);
    // A list destroyed while its file refuses reports and goes on.
    MRUs().SetIniFileName(QStringLiteral("MORVELIN.INI"));
    MRUs().GetMRU("History_11")->Add("/q/b.mqr");
    m_service.warnings.clear();
    FreeMRUs();
    EXPECT_EQ(m_service.warnings.size(), 2) << m_service.warnings.join(u'\n').toStdString();
    EXPECT_TRUE(m_service.warnings.value(0).startsWith("Unable to write to "));
    QFile::setPermissions(UserIni(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(mxtest::ReadAll(UserIni()), "[Options]\nMRUsize=5\n");
}

TEST_F(RecentFiles, MenuCaptions)
{
    MRUs().SetMaxCount(20);
    TMRU* l = MRUs().GetMRU("History_10");
    for (int i = 11; i >= 1; --i)
        l->Add(QStringLiteral("/data/FILE%1.MQR").arg(i));
    const QList<TMRUMenuEntry> e = l->MenuEntries();
    ASSERT_EQ(e.size(), 11);
    EXPECT_EQ(e[0].caption, "&1. File1");
    EXPECT_EQ(e[8].caption, "&9. File9");
    EXPECT_EQ(e[9].caption, "&0. File10");
    EXPECT_EQ(e[10].caption, "11. File11");
    EXPECT_EQ(e[10].hint, "/data/FILE11.MQR");

    const std::vector<std::pair<QString, QString>> names = {
        {"C:\\Data\\SALES.MQR", "Sales"},
        {"/data/SALES.MQR", "Sales"},
        {"/data/archive.2020.mqr", "Archive.2020"},
        {"/data/ÉTÉ.mqr", "été"}, // only a to z are upper-cased
        {"/data/.mqr", ""},
        {"/data/R&D.MQR", "R&d"},
    };
    for (const auto& [file, name] : names)
        EXPECT_EQ(TMRU::EntryName(file), name) << file.toStdString();

    TMRU* m = MRUs().GetMRU("History_11");
    m->Add("/data/R&D.MQR");
    m->Add("/data/.mqr"); // no name: no entry
    const QList<TMRUMenuEntry> f = m->MenuEntries();
    ASSERT_EQ(f.size(), 1);
    EXPECT_EQ(f[0].caption, "&2. R&&d");
}
