// The settings of the options dialog, read and written without a window.

#include "ui/options/optionsettings.h"

#include "tests/support/testsupport.h"

#include "engine/destination/destinationtype.h"
#include "engine/global/queryglobal.h"
#include "engine/settings/mru.h"

#include "platform/core/inifile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace mx;
using namespace mxtest;

namespace {

struct OptionSettingsTest : ::testing::Test {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("MORVELIN.INI"));
    TMRUs mrus;

    std::shared_ptr<platform::IniFile> file(const QByteArray& text)
    {
        WriteAll(path, text);
        auto ini = platform::IniFile::open(path);
        ini->reload();
        return ini;
    }
    ~OptionSettingsTest() override { QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner); }
};

TEST_F(OptionSettingsTest, ReadTable)
{
    const struct {
        const char* name;
        const char* text;
        int lang, wordLanguage, wordVersion, excelLanguage, excelVersion;
    } cases[] = {
        {"nothing stored: the French of the windows and first entries", "", 0, 0, 0, 0, 0},
        {"the stored entry", "[Options]\nLang=Francais\n", 0, 0, 0, 0, 0},
        {"accents and case do not count", "[Options]\nLang=FRANÇAIS\n", 0, 0, 0, 0, 0},
        {"an empty language is the French of the windows", "[Options]\nLang=\n", 0, 0, 0, 0, 0},
        {"an unknown language selects the first entry", "[Options]\nLang=Klingon\n", 0, 0, 0, 0, 0},
        {"stored indexes", "[MSWord]\nLang=1\nVersion=2\n[MSExcel]\nLang=1\nVersion=1\n", 0, 1, 2, 1, 1},
        {"an index that is no number selects the first entry", "[MSWord]\nLang=x\nVersion=2.5\n", 0, 0, 0, 0, 0},
        {"an index that names no entry selects the first one", "[MSWord]\nVersion=7\n[MSExcel]\nLang=-1\nVersion=3\n", 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TOptionSettings settings(file(c.text), mrus);
        const TOptionValues v = settings.Read();
        EXPECT_EQ(v.lang, c.lang);
        EXPECT_EQ(v.wordLanguage, c.wordLanguage);
        EXPECT_EQ(v.wordVersion, c.wordVersion);
        EXPECT_EQ(v.excelLanguage, c.excelLanguage);
        EXPECT_EQ(v.excelVersion, c.excelVersion);
        // Reading writes nothing.
        EXPECT_EQ(ReadAll(path), QByteArray(c.text));
    }
}

TEST_F(OptionSettingsTest, WriteRoundTripKeepsTheRestOfTheFile)
{
    mrus.SetMaxCount(5);
    auto ini = file("; mine\n[Options]\nShowTips=1\nPrivateQueryPath=/old\n\n[History_10]\n0=/q/A.MQR\n1=/q/B.MQR\n2=/q/C.MQR\n");
    TOptionSettings settings(ini, mrus);
    TOptionValues v = settings.Read();
    EXPECT_EQ(v.privateQueryPath, QStringLiteral("/old"));
    EXPECT_EQ(v.dmPath, QString());
    EXPECT_EQ(v.mruSize, 5);
    TMRU* history = mrus.GetMRU(QStringLiteral("History_10"));
    ASSERT_EQ(history->Count(), 0); // the lists have no file here

    history->Add(QStringLiteral("/q/A.MQR"));
    history->Add(QStringLiteral("/q/B.MQR"));
    v = {QStringLiteral("/home/u/requêtes"), QStringLiteral("/home/u/modèles"), 1, 0, 1, 2, 0, 1};
    settings.Write(v);
    EXPECT_EQ(mrus.MaxCount(), 1);
    EXPECT_EQ(history->Count(), 1);
    EXPECT_EQ(ReadAll(path),
        QByteArray("; mine\n[Options]\nShowTips=1\nPrivateQueryPath=/home/u/requêtes\nMRUsize=1\nDMPath=/home/u/modèles\n"
                   "Lang=Francais\n\n[History_10]\n0=/q/A.MQR\n1=/q/B.MQR\n2=/q/C.MQR\n"
                   "\n[MSWord]\nLang=1\nVersion=2\n\n[MSExcel]\nLang=0\nVersion=1\n"));
    TMRUs other;
    other.SetMaxCount(ini->readInteger(TOptionSettings::kOptions, QStringLiteral("MRUsize"), 5));
    TOptionSettings again(ini, other);
    EXPECT_EQ(again.Read(), v);
}

TEST_F(OptionSettingsTest, TheRunningProgramTakesTheNewPrivateFolder)
{
    ASSERT_FALSE(QueryGlobal());
    auto* global = new TMxQueryGlobal(nullptr);
    global->SetPrivateQueryPath(QStringLiteral("/old"));
    TOptionSettings settings(file("[Options]\nPrivateQueryPath=/old\n"), mrus);
    TOptionValues v = settings.Read();
    v.privateQueryPath = QStringLiteral("/new");
    settings.Write(v);
    EXPECT_EQ(global->PrivateQueryPath(), QStringLiteral("/new"));
    EXPECT_EQ(PrivateQueryFolder(), QStringLiteral("/new/"));
    FreeQueryGlobals();
}

TEST_F(OptionSettingsTest, LanguageKeepsItsStoredSpellingWhileSelected)
{
    const struct {
        const char* stored; // the Options section's Lang line, or none
        int chosen;
        const char* written;
    } cases[] = {
        {"Lang=Français\n", 0, "Français"},
        {"Lang=english\n", 1, "english"},
        {"Lang=Français\n", 1, "English"},
        {"Lang=Klingon\n", 0, "Francais"},
        {"", 1, "English"},
        {"Lang=\n", 1, "English"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        auto ini = file(QByteArray("[Options]\n") + c.stored);
        TOptionSettings settings(ini, mrus);
        TOptionValues v = settings.Read();
        v.lang = c.chosen;
        settings.Write(v);
        EXPECT_EQ(ini->readString(TOptionSettings::kOptions, QStringLiteral("Lang")), QString::fromUtf8(c.written));
    }
}

TEST_F(OptionSettingsTest, SizeZeroIsAccepted)
{
    auto ini = file("");
    TOptionSettings settings(ini, mrus);
    TMRU* history = mrus.GetMRU(QStringLiteral("History_11"));
    history->Add(QStringLiteral("/m/A.MDD"));
    TOptionValues v = settings.Read();
    v.mruSize = 0;
    settings.Write(v);
    EXPECT_EQ(mrus.MaxCount(), 0);
    EXPECT_EQ(history->Count(), 0);
    EXPECT_EQ(ini->readInteger(TOptionSettings::kOptions, QStringLiteral("MRUsize"), -1), 0);
}

TEST_F(OptionSettingsTest, RefusedWriteIsRaisedAndChangesNothing)
{
    const QByteArray before("[Options]\nDMPath=/dm\n");
    auto ini = file(before);
    QFile(path).setPermissions(QFile::ReadOwner);
    TOptionSettings settings(ini, mrus);
    TOptionValues v = settings.Read();
    v.dmPath = QStringLiteral("/elsewhere");
    EXPECT_THROW(settings.Write(v), EIniFileException);
    EXPECT_EQ(ReadAll(path), before);
}

TEST_F(OptionSettingsTest, PagesFollowTheDestinationTypes)
{
    EXPECT_FALSE(TOptionSettings::HasDestinationType(nullptr, QStringLiteral("Word")));
    auto* types = new TDestinationList(nullptr);
    types->AddNew()->SetName(QStringLiteral("Texte"));
    EXPECT_FALSE(TOptionSettings::HasDestinationType(types, QStringLiteral("Word")));
    types->AddNew()->SetName(QStringLiteral("Word"));
    EXPECT_TRUE(TOptionSettings::HasDestinationType(types, QStringLiteral("Word")));
    EXPECT_FALSE(TOptionSettings::HasDestinationType(types, QStringLiteral("Excel")));
    types->Free();
}

} // namespace
