#include "tests/support/testsupport.h"

#include "platform/core/inifile.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <sys/stat.h>

using platform::IniFile;

namespace {

class Ini : public ::testing::Test {
protected:
    QString Path(const QString& n) const { return m_dir.filePath(n); }
    QTemporaryDir m_dir;
};

using Pairs = QList<QPair<QString, QString>>;

} // namespace

TEST_F(Ini, ReadsWithoutRegardToCaseAndKeepsValuesVerbatim)
{
    mxtest::WriteAll(Path("a.ini"),
        "; a comment\r\n"
        "[Options]\r\n"
        "  MRUsize = 7  \r\n"
        "List=a, b, c\r\n"
        "Path=C:\\Q\\%s \"quoted\"\r\n"
        "Empty=\r\n"
        "Eq=a=b\r\n"
        "[General]\r\n"
        "Key=general is a section like any other\r\n"
        "[options]\r\n"
        "MRUsize=99\r\n");
    auto f = IniFile::open(Path("a.ini"));
    EXPECT_EQ(f->readString("OPTIONS", "mrusize"), "7");
    EXPECT_EQ(f->readInteger("options", "MRUSIZE", 0), 7) << "the first section of a name wins";
    EXPECT_EQ(f->readString("Options", "List"), "a, b, c");
    EXPECT_EQ(f->readString("Options", "Path"), "C:\\Q\\%s \"quoted\"");
    EXPECT_EQ(f->readString("Options", "Empty", "def"), "");
    EXPECT_EQ(f->readString("Options", "Missing", "def"), "def");
    EXPECT_EQ(f->readString("Options", "Eq"), "a=b");
    EXPECT_EQ(f->readString("general", "key"), "general is a section like any other");
    EXPECT_EQ(f->sections(), QStringList({"Options", "General"}));
    EXPECT_EQ(f->keys("options"), QStringList({"MRUsize", "List", "Path", "Empty", "Eq"}));
    EXPECT_TRUE(f->valueExists("OPTIONS", "empty"));
    EXPECT_FALSE(f->valueExists("Options", "; a comment"));
}

TEST_F(Ini, NumbersAndBooleans)
{
    mxtest::WriteAll(Path("n.ini"), "[N]\nd=42\nneg=-5\nhex=$1F\nhex2=0x10\nbad=12abc\nbig=99999999999\nblank=\none=1\ntwo=2\nzero=0\nword=yes\n");
    auto f = IniFile::open(Path("n.ini"));
    const std::vector<std::pair<const char*, int>> ints = {
        {"d", 42}, {"neg", -5}, {"hex", 31}, {"hex2", 16}, {"bad", -1}, {"big", -1}, {"blank", -1}, {"missing", -1}};
    for (const auto& [k, v] : ints)
        EXPECT_EQ(f->readInteger("N", k, -1), v) << k;
    EXPECT_TRUE(f->readBool("N", "one", false));
    EXPECT_TRUE(f->readBool("N", "two", false));
    EXPECT_FALSE(f->readBool("N", "zero", true));
    EXPECT_TRUE(f->readBool("N", "word", true)) << "not a number: the default";
    EXPECT_FALSE(f->readBool("N", "word", false));
}

TEST_F(Ini, WritesKeepOrderCommentsAndSpelling)
{
    mxtest::WriteAll(Path("w.ini"), "; top\n[Options]\nLang=Français\n; keep me\nShowTips=0\n\n[History_10]\n0=/q/a.mqr\n");
    auto f = IniFile::open(Path("w.ini"));
    EXPECT_TRUE(f->writeString("OPTIONS", "showtips", "1"));
    EXPECT_TRUE(f->writeString("Options", "MRUsize", "3"));
    EXPECT_TRUE(f->writeBool("New", "Flag", false));
    EXPECT_TRUE(f->writeInteger("New", "N", -4));
    EXPECT_EQ(mxtest::ReadAll(Path("w.ini")),
        "; top\n[Options]\nLang=Français\n; keep me\nShowTips=1\nMRUsize=3\n\n[History_10]\n0=/q/a.mqr\n\n[New]\nFlag=0\nN=-4\n");
    EXPECT_TRUE(f->deleteKey("options", "LANG"));
    EXPECT_TRUE(f->eraseSection("history_10"));
    EXPECT_EQ(mxtest::ReadAll(Path("w.ini")), "; top\n[Options]\n; keep me\nShowTips=1\nMRUsize=3\n\n[New]\nFlag=0\nN=-4\n");
}

TEST_F(Ini, WriteSectionReplacesInOneStep)
{
    mxtest::WriteAll(Path("s.ini"), "[History_10]\n0=/old/a\n1=/old/b\n2=/old/c\n\n[history_10]\n9=/dup\n\n[Options]\nMRUsize=5\n");
    auto f = IniFile::open(Path("s.ini"));
    EXPECT_TRUE(f->writeSection("HISTORY_10", {{"0", "/new/x"}, {"1", "/new/y"}}));
    EXPECT_EQ(mxtest::ReadAll(Path("s.ini")), "[History_10]\n0=/new/x\n1=/new/y\n\n[Options]\nMRUsize=5\n");
    EXPECT_TRUE(f->writeSection("History_11", {{"0", "/m.mdd"}}));
    EXPECT_TRUE(f->writeSection("History_10", {}));
    EXPECT_EQ(mxtest::ReadAll(Path("s.ini")), "[Options]\nMRUsize=5\n\n[History_11]\n0=/m.mdd\n");
}

TEST_F(Ini, OneInstancePerFileSoWritersNeverOverwriteEachOther)
{
    auto a = IniFile::open(Path("shared.ini"));
    auto b = IniFile::open(Path("sub/../shared.ini"));
    EXPECT_EQ(a.get(), b.get());
    a->writeString("Options", "MRUsize", "2");
    b->writeSection("History_10", {{"0", "/q/a.mqr"}});
    a->writeString("Options", "Lang", "English");
    auto fresh = IniFile::open(Path("shared.ini"));
    fresh->reload();
    EXPECT_EQ(fresh->readString("Options", "MRUsize"), "2");
    EXPECT_EQ(fresh->readString("History_10", "0"), "/q/a.mqr");
    EXPECT_EQ(fresh->readString("Options", "Lang"), "English");
}

TEST_F(Ini, SeesChangesMadeByOthersBeforeReadingAndWriting)
{
    auto f = IniFile::open(Path("ext.ini"));
    EXPECT_EQ(f->readString("Options", "Lang", "none"), "none");
    mxtest::WriteAll(Path("ext.ini"), "[Options]\nLang=Deutsch\n");
    EXPECT_EQ(f->readString("Options", "Lang"), "Deutsch");
    // Another program rewrites the file; our next write keeps its change.
    QFile::remove(Path("ext.ini"));
    mxtest::WriteAll(Path("ext.ini"), "[Options]\nLang=Deutsch\nDMPath=/models\n");
    EXPECT_TRUE(f->writeString("Options", "ShowTips", "1"));
    EXPECT_EQ(mxtest::ReadAll(Path("ext.ini")), "[Options]\nLang=Deutsch\nDMPath=/models\nShowTips=1\n");
}

TEST_F(Ini, CreatesTheFileAndItsFolderOnTheFirstWriteOnly)
{
    auto f = IniFile::open(Path("deep/er/new.ini"));
    EXPECT_EQ(f->readString("A", "b", "x"), "x");
    EXPECT_TRUE(f->eraseSection("A"));
    EXPECT_FALSE(QFileInfo::exists(Path("deep"))) << "reading and no-op erasing create nothing";
    EXPECT_TRUE(f->writeString("A", "b", "c"));
    EXPECT_EQ(mxtest::ReadAll(Path("deep/er/new.ini")), "[A]\nb=c\n");
}

TEST_F(Ini, RefusedWritesChangeNothing)
{
    mxtest::WriteAll(Path("ro.ini"), "[A]\nb=1\n");
    auto f = IniFile::open(Path("ro.ini"));
    QFile::setPermissions(Path("ro.ini"), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    EXPECT_FALSE(f->writeString("A", "b", "2"));
    EXPECT_TRUE(f->lastError().contains("read-only")) << f->lastError().toStdString();
    EXPECT_FALSE(f->eraseSection("A"));
    EXPECT_EQ(f->readString("A", "b"), "1") << "the instance keeps what the file holds";
    QFile::setPermissions(Path("ro.ini"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(mxtest::ReadAll(Path("ro.ini")), "[A]\nb=1\n");

    // Text that would break the file's syntax.
    struct Bad {
        QString section, key, value;
    };
    const std::vector<Bad> bad = {
        {"A", "b", "two\nlines"}, {"A", "b=c", "v"}, {"A]", "b", "v"}, {"A", "", "v"}, {"A", "[x", "v"}, {"A", ";x", "v"}, {"A\nB", "b", "v"}};
    for (const Bad& b : bad) {
        EXPECT_FALSE(f->writeString(b.section, b.key, b.value)) << b.section.toStdString() << "/" << b.key.toStdString();
        EXPECT_FALSE(f->writeSection(b.section, {{b.key, b.value}}));
    }
    EXPECT_EQ(mxtest::ReadAll(Path("ro.ini")), "[A]\nb=1\n");

    // A folder where the file should be, and a file where its folder should be.
    QDir().mkpath(Path("isdir.ini"));
    EXPECT_FALSE(IniFile::open(Path("isdir.ini"))->writeString("A", "b", "c"));
    mxtest::WriteAll(Path("plain"), "x");
    EXPECT_FALSE(IniFile::open(Path("plain/sub.ini"))->writeString("A", "b", "c"));
}

TEST_F(Ini, Encodings)
{
    // UTF-8 with and without a byte order mark; Windows-1252 otherwise.
    mxtest::WriteAll(Path("u.ini"), "[Options]\nLang=Fran\xC3\xA7" "ais\n");
    mxtest::WriteAll(Path("bom.ini"), "\xEF\xBB\xBF[Options]\nLang=Fran\xC3\xA7" "ais\n");
    mxtest::WriteAll(Path("w.ini"), "[Options]\nLang=Fran\xE7" "ais\nEuro=\x80\n");
    EXPECT_EQ(IniFile::open(Path("u.ini"))->readString("Options", "Lang"), "Français");
    EXPECT_EQ(IniFile::open(Path("bom.ini"))->readString("options", "Lang"), "Français");
    auto w = IniFile::open(Path("w.ini"));
    EXPECT_EQ(w->readString("Options", "Lang"), "Français");
    EXPECT_EQ(w->readString("Options", "Euro"), "€");
    // Written back as UTF-8.
    w->writeString("Options", "DMPath", "/données");
    EXPECT_EQ(mxtest::ReadAll(Path("w.ini")), "[Options]\nLang=Fran\xC3\xA7" "ais\nEuro=\xE2\x82\xAC\nDMPath=/donn\xC3\xA9" "es\n");
}

TEST_F(Ini, ConcurrentWritersOnOneFile)
{
    auto f = IniFile::open(Path("c.ini"));
    std::vector<std::unique_ptr<QThread>> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back(QThread::create([this, t] {
            auto mine = IniFile::open(Path("c.ini"));
            for (int i = 0; i < 25; ++i)
                mine->writeInteger(QStringLiteral("T%1").arg(t), QString::number(i), i);
        }));
        threads.back()->start();
    }
    for (auto& th : threads)
        th->wait();
    f->reload();
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(f->keys(QStringLiteral("T%1").arg(t)).size(), 25);
}
