#include "tests/support/testsupport.h"

#include "engine/core/exceptions.h"
#include "engine/core/strings.h"
#include "engine/tools/commandline.h"
#include "engine/tools/convert.h"
#include "engine/tools/fieldmask.h"
#include "engine/tools/hooks.h"
#include "engine/tools/installation.h"
#include "engine/tools/messages.h"
#include "engine/tools/stringbuffer.h"
#include "engine/tools/values.h"

#include "platform/core/systempaths.h"

#include <QDir>
#include <QFile>
#include <QObject>

#include <climits>
#include <cstring>

using namespace mx;

namespace {

class Tools : public mxtest::EngineTest {
protected:
    void SetUp() override
    {
        m_registry = qgetenv("MORVELIN_REGISTRY");
        m_windir = qgetenv("MORVELIN_WINDIR");
    }
    void TearDown() override
    {
        ClearCommandLineArguments();
        ResetRootDir();
        for (auto [name, value] : {std::pair{"MORVELIN_REGISTRY", m_registry}, std::pair{"MORVELIN_WINDIR", m_windir}}) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    }
    QByteArray m_registry, m_windir;
};

} // namespace

TEST(RootDir, FindRootDirTable)
{
    const QSet<QString> marked = {"/opt/prog/", "/srv/install/"};
    auto has = [&](const QString& d) { return marked.contains(d); };
    struct Case {
        QString program, configured, root, last;
    };
    const std::vector<Case> cases = {
        {"/opt/prog", "/srv/install", "/opt/prog/", "/opt/prog/"},
        {"/opt/other", "/srv/install", "/srv/install/", "/srv/install/"},
        {"/opt/other", "/srv/install/", "/srv/install/", "/srv/install/"},
        {"/opt/other", "/srv/none", "", "/srv/none/"},
        {"/opt/other", "", "", "/opt/other/"},
    };
    for (const Case& c : cases) {
        QString last;
        EXPECT_EQ(FindRootDir(c.program, c.configured, has, &last), c.root) << c.program.toStdString() << " " << c.configured.toStdString();
        EXPECT_EQ(last, c.last);
    }
}

TEST_F(Tools, RootDirFromTheRegistryMatchesTheMarkerExactly)
{
    QDir().mkpath(Path("inst"));
    mxtest::WriteAll(Path("registry.ini"), ("[HKEY_LOCAL_MACHINE\\Software\\Brenwick\\Morvelin\\1.0]\nRootDir=" + Path("inst") + "\n").toUtf8());
    qputenv("MORVELIN_REGISTRY", Path("registry.ini").toLocal8Bit());

    mxtest::WriteAll(Path("inst/oper.mxf"), "wrong case");
    ResetRootDir();
    EXPECT_EQ(GetRootDir(), "");
    ASSERT_EQ(m_service.warnings.size(), 1);
    EXPECT_EQ(m_service.warnings[0], "Please start install again, path was " + Path("inst") + "/");
    EXPECT_EQ(PluginLibraryPath("MX32BDE.DLL"), "");

    mxtest::WriteAll(Path("inst/OPER.MXF"), "TPF0");
    ResetRootDir();
    EXPECT_EQ(GetRootDir(), Path("inst") + "/");
    EXPECT_EQ(GetIniFileName(), Path("inst") + "/MORVELIN.INI");
    EXPECT_EQ(PluginLibraryPath("MX32BDE.DLL"), Path("inst") + "/MX32BDE.so");
    EXPECT_EQ(PluginLibraryPath("MX32BDE"), Path("inst") + "/MX32BDE.so");
    QString hooked;
    ASSERT_TRUE(IniFileNameHook);
    IniFileNameHook(hooked);
    EXPECT_EQ(hooked, Path("inst") + "/MORVELIN.INI");
    EXPECT_EQ(m_service.warnings.size(), 1);
}

TEST(Paths, Backslashes)
{
    EXPECT_EQ(IncludeBackslash(""), "");
    EXPECT_EQ(IncludeBackslash("/a"), "/a/");
    EXPECT_EQ(IncludeBackslash("/a/"), "/a/");
    EXPECT_EQ(RemoveTrailingBackslash("/a/"), "/a");
    EXPECT_EQ(RemoveTrailingBackslash("/"), "/");
    QString p = "/b/";
    StripTrailingBackslash(p);
    EXPECT_EQ(p, "/b");
}

TEST_F(Tools, WindowsDirFollowsTheEnvironment)
{
    qputenv("MORVELIN_WINDIR", Path("w").toLocal8Bit());
    EXPECT_EQ(GetWindowsDir(), Path("w") + "/");
}

TEST_F(Tools, BackupAlwaysHoldsThePreviousVersion)
{
    const QString q = Path("Q.MQR");
    EXPECT_TRUE(BackupFile(q)) << "nothing to back up";
    for (const char* version : {"v1", "v2", "v3"}) {
        ASSERT_TRUE(BackupFile(q));
        mxtest::WriteAll(q, version);
    }
    EXPECT_EQ(mxtest::ReadAll(q), "v3");
    EXPECT_EQ(mxtest::ReadAll(Path("Q.~MQ")), "v2");
    mxtest::WriteAll(Path("noext"), "n");
    EXPECT_TRUE(BackupFile(Path("noext")));
    EXPECT_TRUE(QFile::exists(Path("noext.~")));
}

TEST_F(Tools, CommandParam)
{
    struct Case {
        QStringList args;
        bool byExt;
        QString name, value;
    };
    const QString launch = platform::launchDirectory();
    const std::vector<Case> cases = {
        {{"/DBENG", "x"}, false, "dbeng", "x"},
        {{"-dbeng", "x"}, false, "DBENG", "x"},
        {{"a", "/DBENG"}, false, "dbeng", ""},
        {{"xdbeng", "y"}, false, "dbeng", ""}, // only after a dash or a slash
        {{"/home/u/dbeng", "y"}, false, "home/u/dbeng", ""}, // a path is no switch
        {{"-", "/", "q"}, false, "", ""},
        {{"/EXE", "/data/file.MDD", "b.mqr"}, true, "MDD", "/data/file.MDD"},
        {{"a.mqr", "b.MQR"}, true, "mqr", QDir::cleanPath(launch + "/a.mqr")},
        {{"MDD"}, true, "MDD", ""}, // not longer than the name
        {{"x"}, true, "x", ""},     // one character: ignored
    };
    for (const Case& c : cases) {
        SetCommandLineArguments(c.args);
        QString v = "stale";
        GetCommandParam(c.byExt, c.name, v);
        EXPECT_EQ(v, c.value) << c.args.join(u' ').toStdString();
    }
}

TEST(Values, SplitStringNumbersAndBlanks)
{
    QStringList l = {"old"};
    SplitString(",a;;b,,c;", l, ",;");
    EXPECT_EQ(l, QStringList({"a", "b", "c"}));
    SplitString("", l, ",");
    EXPECT_TRUE(l.isEmpty());
    TStrings s;
    SplitString("x y", s, " ");
    EXPECT_EQ(s.toStringList(), QStringList({"x", "y"}));

    EXPECT_EQ(StrToIntDefault("42", 0), 42);
    EXPECT_EQ(StrToIntDefault(" -7 ", 0), -7);
    EXPECT_EQ(StrToIntDefault("$10", 0), 16);
    for (const char* bad : {"", "4 2", "abc", "1.5", "99999999999"})
        EXPECT_EQ(StrToIntDefault(bad, -1), -1) << bad;
    EXPECT_EQ(IMax(3, -4), 3);
    EXPECT_EQ(IMin(3, -4), -4);

    EXPECT_EQ(RoundDownTo(17, 5), 15);
    EXPECT_EQ(RoundDownTo(-17, 5), -15);
    EXPECT_THROW(RoundDownTo(17, 0), EConvertError);
    EXPECT_THROW(RoundDownTo(INT_MIN, -1), EIntOverflow);

    EXPECT_EQ(TrimSpaces("  a b \t"), "a b");
    EXPECT_EQ(RemoveMaskBlanks(" 1_2/ 3_"), "12/3");
}

TEST(Values, CheckValueType)
{
    EXPECT_NO_THROW(CheckValueType("D", "31/12/2024", "La valeur %s doit être %s"));
    EXPECT_NO_THROW(CheckValueType("N", "-12,5", "La valeur %s doit être %s"));
    EXPECT_NO_THROW(CheckValueType("A", "anything", "La valeur %s doit être %s"));
    try {
        CheckValueType("N", "12.5", "La valeur %s doit être %s");
        FAIL();
    } catch (const EMxAbort& e) {
        EXPECT_EQ(e.message(), "La valeur 12.5 doit être un nombre");
    }
    try {
        CheckValueType("D", "31/02/2024", "La constante %s doit être %s");
        FAIL();
    } catch (const EMxAbort& e) {
        EXPECT_EQ(e.message(), "La constante 31/02/2024 doit être une date");
    }
}

TEST(Convert, FrenchDefaults)
{
    EXPECT_EQ(StrToDate("1/2/2024"), QDate(2024, 2, 1));
    EXPECT_EQ(StrToDate(" 31/12/99 "), QDate(1999, 12, 31));
    EXPECT_EQ(StrToDate("01/01/49"), QDate(2049, 1, 1));
    EXPECT_EQ(StrToDate("15/06").month(), 6);
    for (const char* bad : {"", "//", "32/01/2024", "1/13/2024", "2024-01-01", "1/2/20245", "a/b/c"})
        EXPECT_FALSE(TryStrToDate(bad)) << bad;
    EXPECT_EQ(StrToTime("9:05"), QTime(9, 5));
    EXPECT_EQ(StrToTime("23:59:59"), QTime(23, 59, 59));
    EXPECT_FALSE(TryStrToTime("24:00"));
    EXPECT_FALSE(TryStrToTime("12:30:"));
    EXPECT_EQ(StrToDateTime("01/02/2024 10:30"), QDateTime(QDate(2024, 2, 1), QTime(10, 30)));
    EXPECT_DOUBLE_EQ(StrToFloat("-12,5"), -12.5);
    EXPECT_DOUBLE_EQ(StrToFloat("1,5e3"), 1500);
    EXPECT_DOUBLE_EQ(StrToFloat(",5"), 0.5);
    for (const char* bad : {"", ",", "1.5", "1 000", "1e", "--1", "inf", "nan"})
        EXPECT_FALSE(TryStrToFloat(bad)) << bad;
    EXPECT_THROW(StrToFloat("x"), EConvertError);
}

// Numbers shown in the grid and the reports: 15 significant digits at
// most and the session's decimal separator; whole numbers, texts of other
// types, and what is not a number stay as they are.
TEST(Convert, NumbersAreShownWithFifteenDigitsAndTheSessionsSeparator)
{
    struct Case {
        const char* exact;
        const char* type;
        const char* shown;
    };
    const Case cases[] = {
        {"7.319999999999999", "NUMBER", "7,32"},
        {"0.30000000000000004", "NUMBER", "0,3"},
        {"-2.5", "MONEY", "-2,5"},
        {"1234567.125", "BCD", "1234567,125"},
        {"0.00001", "NUMBER", "0,00001"},
        {"1.5e-07", "NUMBER", "1,5E-7"},
        {"1e+20", "NUMBER", "1E20"},
        {"123456789012345.6", "NUMBER", "123456789012346"},
        {"9007199254740993", "NUMBER", "9007199254740993"}, // whole: every digit stays
        {"12", "NUMBER", "12"},
        {"8.8", "BLOB", "8,8"}, // an expression of no known type
        {"7.319999999999999", "ALPHA", "7.319999999999999"}, // a text stays a text
        {"1.2.3", "UNKNOWN", "1.2.3"},
        {"", "NUMBER", ""},
        {"05/03/2024", "DATE", "05/03/2024"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DisplayFieldText(QString::fromLatin1(c.exact), QString::fromLatin1(c.type)), QString::fromUtf8(c.shown))
            << c.exact << " " << c.type;
    EXPECT_EQ(FloatToDisplayText(0.1 + 0.2), QStringLiteral("0,3"));
    const QChar old = FormatSettings().DecimalSeparator;
    FormatSettings().DecimalSeparator = u'.';
    EXPECT_EQ(FloatToDisplayText(7.319999999999999), QStringLiteral("7.32")) << "an English session";
    FormatSettings().DecimalSeparator = old;
}

TEST(FieldMask, MasksPerLetter)
{
    struct Case {
        const char* letter;
        int width;
        TMaskKind kind;
        QString mask, qt;
    };
    const std::vector<Case> cases = {
        {"T", 0, mkTime, "!90:00:00;1;_", "09:99:99;_"},
        {"A", 3, mkText, "!ccc;1; ", ""},
        {"D", 0, mkDate, "!90/00/0000;1;_", "09/99/9999;_"},
        {"L", 0, mkLogical, "!cccc;1; ", "xxxx; "},
        {"N", 0, mkNumber, "!#9999999,999999;1; ", "#0000000,000000; "},
        {"@", 0, mkDateTime, "!90/00/0000;1;_", "09/99/9999;_"},
        {"d", 0, mkDate, "!90/00/0000;1;_", "09/99/9999;_"},
        {"X", 0, mkNone, "", ""},
    };
    for (const Case& c : cases) {
        const TFieldMask m = MaskFor(c.letter, c.width);
        EXPECT_EQ(m.kind, c.kind) << c.letter;
        EXPECT_EQ(m.mask, c.mask) << c.letter;
        EXPECT_EQ(QtInputMask(m), c.qt) << c.letter;
    }
    EXPECT_EQ(MaskFor("A", 0).mask.count(u'c'), 250);
}

TEST(FieldMask, MaskedValues)
{
    struct Case {
        TMaskKind kind;
        QString text;
        QString value; // empty with raises = true
        bool raises;
    };
    const std::vector<Case> cases = {
        {mkLogical, "n", "F", false},
        {mkLogical, "N", "F", false},
        {mkLogical, "oui", "T", false},
        {mkLogical, "Y", "T", false},
        {mkLogical, " t ", "t", false},
        {mkLogical, "f", "f", false},
        {mkLogical, "x", "", true},
        {mkLogical, "", "", true},
        {mkLogical, "    ", "", true},
        {mkNumber, " 12, ", "12", false},
        {mkNumber, "1_2,5_", "12,5", false},
        {mkNumber, "12.5", "", true},
        {mkDate, "01/02/2024", "01/02/2024", false},
        {mkDate, "1_/02/2024", "1/02/2024", false},
        {mkDate, "31/02/2024", "", true},
        {mkDate, "__/__/____", "", true},
        {mkTime, "10:3_:00", "10:3:00", false},
        {mkTime, "25:00:00", "", true},
        {mkDateTime, "01/02/2024,10:30", "01/02/2024 10:30", false},
        {mkDateTime, "01/02/2024", "01/02/2024", false},
        {mkDateTime, "01/02/2024,99:00", "", true},
        {mkText, "  du texte  ", "du texte", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        if (c.raises) {
            EXPECT_THROW(GetMaskedValue(c.kind, c.text), EConvertError);
        } else {
            EXPECT_EQ(GetMaskedValue(c.kind, c.text), c.value);
        }
    }
    try {
        GetMaskedValue(mkLogical, "");
        FAIL() << "an empty logical value must raise";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), "La valeur n'est pas de type logique ([Y|O|T|N|F]..)");
    }
}

TEST(FieldMask, OnAnEditObject)
{
    QObject edit;
    edit.setProperty("text", "old");
    SetupFieldMask(&edit, "D", 0);
    EXPECT_EQ(edit.property("inputMask").toString(), "09/99/9999;_");
    EXPECT_EQ(edit.property(kMaskKindProperty).toInt(), int(mkDate));
    EXPECT_EQ(edit.property("text").toString(), "");
    edit.setProperty("text", "01/02/2024");
    QString v;
    GetMaskedValue(&edit, v);
    EXPECT_EQ(v, "01/02/2024");

    SetupFieldMask(&edit, "A", 12);
    EXPECT_EQ(edit.property("maxLength").toInt(), 12);
    EXPECT_EQ(edit.property("inputMask").toString(), "");
    SetupFieldMask(&edit, "?", 0); // no mask, the kind stays
    EXPECT_EQ(edit.property(kMaskKindProperty).toInt(), int(mkText));
}

TEST_F(Tools, StringBufferRoundTripAndBounds)
{
    const QString long300(300, u'x');
    // An empty list: 4 bytes of 0.
    EXPECT_EQ(StringsToCreateBuf({}), QByteArray(4, '\0'));

    const QStringList names = {"CUSTOMER", "", "Clients été", "ORDERS"};
    QByteArray buf = StringsToCreateBuf(names);
    EXPECT_EQ(mxtest::Hex(buf.left(14)), "04 00 00 00 08 43 55 53 54 4F 4D 45 52 00");
    QStringList back;
    EXPECT_TRUE(BufToStrings(buf, back));
    EXPECT_EQ(back, names);
    EXPECT_TRUE(m_service.messages.isEmpty());

    // A line that cannot be written is left out whole, never cut, and
    // reported; the count matches what is there.
    buf = StringsToCreateBuf({"a", long300, "b"});
    EXPECT_TRUE(BufToStrings(buf, back));
    EXPECT_EQ(back, QStringList({"a", "b"}));
    ASSERT_EQ(m_service.messages.size(), 1);
    EXPECT_TRUE(m_service.messages[0].contains("StringsToCreateBuf"));
    EXPECT_TRUE(m_service.messages[0].contains("Line 1 is 300 bytes long")) << m_service.messages[0].toStdString();
    const QString line255(255, u'y');
    EXPECT_TRUE(BufToStrings(StringsToCreateBuf({line255}), back));
    EXPECT_EQ(back, QStringList({line255}));

    // Writing into a block too small stays inside it.
    m_service.messages.clear();
    char block[32];
    std::memset(block, 0x7E, sizeof block);
    const qsizetype n = StringsToBuf({"12345", "67890", "abcdefghij"}, block, 16);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(block[16], 0x7E) << "wrote past the room given";
    EXPECT_TRUE(BufToStrings(block, 16, back));
    EXPECT_EQ(back, QStringList({"12345", "67890"}));
    EXPECT_EQ(m_service.messages.size(), 1);
    std::memset(block, 0x7E, sizeof block);
    EXPECT_EQ(StringsToBuf({"a"}, block, 3), -1);
    EXPECT_EQ(block[0], 0x7E);

    // Reading a short or lying buffer stays inside it.
    m_service.messages.clear();
    const QByteArray lying = mxtest::FromHex("FF FF FF 7F 02 41 42 05 43");
    EXPECT_FALSE(BufToStrings(lying, back));
    EXPECT_EQ(back, QStringList({"AB"}));
    EXPECT_FALSE(BufToStrings(QByteArray("\x01\x00", 2), back));
    EXPECT_TRUE(back.isEmpty());
    EXPECT_FALSE(BufToStrings(nullptr, 0, back));
    EXPECT_EQ(m_service.messages.size(), 3);
    EXPECT_TRUE(m_service.messages[0].startsWith("Erreur dans la procédure BufToStrings dans le module "));
    EXPECT_TRUE(m_service.messages[0].contains("\nMessage de type EReadError = ")) << m_service.messages[0].toStdString();
}

TEST_F(Tools, BusyCursorIsAStack)
{
    EXPECT_EQ(BusyCursorDepth(), 0);
    SetBusyCursor();
    {
        TBusyCursor inner;
        SetBusyCursor();
        RestoreCursor();
        EXPECT_EQ(m_service.busyDepth, 2);
    }
    RestoreCursor();
    EXPECT_EQ(m_service.busyDepth, 0) << "nested use ends at the normal cursor";
    RestoreCursor(); // unbalanced: nothing
    EXPECT_EQ(m_service.busyDepth, 0);
    EXPECT_EQ(BusyCursorDepth(), 0);
}

TEST_F(Tools, PromptHooks)
{
    QString v = "x";
    EXPECT_FALSE(CallPromptString("Titre", "Valeur :", v));
    EXPECT_FALSE(CallPromptStringEx("Titre", "Valeur :", nullptr, 10, v, "", "N"));
    QStringList calls;
    ScopedHook h1(PromptStringHook, [&](const QString& caption, const QString& prompt, TStrings* list, int max, QString& value,
                                        const QString& unused, const QString& kind) {
        calls << QStringLiteral("%1|%2|%3|%4|%5|%6").arg(caption, prompt).arg(max).arg(value, unused, kind);
        value = "42";
        if (list)
            list->Add(value);
        return true;
    });
    ScopedHook h2(PromptStringSimpleHook, [&](const QString&, const QString&, QString& value) {
        value = "simple";
        return true;
    });
    TStrings history;
    EXPECT_TRUE(CallPromptStringEx("Titre", "Valeur :", &history, 10, v, "unused", "N"));
    EXPECT_EQ(v, "42");
    EXPECT_EQ(calls, QStringList({"Titre|Valeur :|10|x|unused|N"}));
    EXPECT_EQ(history.toStringList(), QStringList({"42"}));
    EXPECT_TRUE(CallPromptString("T", "P", v));
    EXPECT_EQ(v, "simple");
}

TEST_F(Tools, ProcErrorText)
{
    ShowProcError("StringsToBuf", EMxInternal("trop long"));
    ASSERT_EQ(m_service.messages.size(), 1);
    EXPECT_EQ(m_service.messageTypes[0], TMsgDlgType::mtError);
    const QString module = QFileInfo(platform::programFilePath()).fileName();
    EXPECT_EQ(m_service.messages[0],
        "Erreur dans la procédure StringsToBuf dans le module " + module + "\nMessage de type EMxInternal = trop long");
}
