// Damaged copies of the sample's query and model files, read by the real
// engine classes: every truncation and every single-byte change gives an
// error or a clean load, never a crash or a use of freed memory (the
// sanitizers watch); structural damage fails the load; every error names
// the file, the place and the byte, once, with no control character of the
// file's. The program run on such files fails with status 1.

#include "engine/core/exceptions.h"
#include "engine/model/datamodel.h"
#include "engine/query/query.h"
#include "engine/stream/filer.h"
#include "engine/tools/hooks.h"

#include "tests/support/samplefiles.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QProcess>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <ostream>
#include <string>
#include <tuple>

using namespace mx;

namespace {

// The stream of a file as the reader sees it: a file saved scrambled whole
// is unscrambled.
QByteArray plainBytes(const QString& file)
{
    return PlainFileBytes(mxtest::ReadAll(file));
}

bool hasControl(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
            return true;
    return false;
}

struct SampleFile {
    const char* name;
    bool model;
};
void PrintTo(const SampleFile& f, std::ostream* os)
{
    *os << f.name;
}

const SampleFile kFiles[] = {
    {"CLIENTS.MQR", false},
    {"CLIENTS_FIDELES.MQR", false},
    {"VENTES_PAR_PRODUIT.MQR", false},
    {"EXEMPLE.MDD", true},
    {"EXEMPLE_ACCES.MDD", true},
};

class DamagedSampleTest : public mxtest::SampleEngineTest {
protected:
    DamagedSampleTest() : m_login(LoginPromptHook, [](const QString&, QString&, QString&) { return false; }) {}

    // Reads bytes into a new object of the file's class; the error's text,
    // or empty when the load went through. Only the cancelled login of the
    // guarded model is not an error of the file.
    QString Load(const SampleFile& f, const QByteArray& bytes)
    {
        TMxItem* item = f.model ? static_cast<TMxItem*>(new TMxDataModel(nullptr)) : new TMxQuery(nullptr);
        QString error;
        try {
            item->LoadFromVariant(bytes);
        } catch (const EAbort&) {
        } catch (const Exception& e) {
            error = e.message();
            if (error.isEmpty())
                error = e.className();
        }
        TMxItem::Free(item);
        return error;
    }

    ScopedHook<decltype(LoginPromptHook)> m_login;
};

} // namespace

TEST_F(DamagedSampleTest, TheSampleFilesLoadWhole)
{
    for (const SampleFile& f : kFiles) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(Load(f, plainBytes(mxtest::SampleFile(QString::fromLatin1(f.name)))), QString());
    }
    EXPECT_TRUE(m_service.messages.isEmpty()) << m_service.messages.join(u'\n').toStdString();
    EXPECT_TRUE(m_service.warnings.isEmpty()) << m_service.warnings.join(u'\n').toStdString();
}

// One sample file per test, so that the runs share the machine.
class DamagedSampleFile : public DamagedSampleTest, public ::testing::WithParamInterface<SampleFile> {};

// Any stream cut short fails its load and says where, once: reported by
// whoever catches the error, never on the way up.
TEST_P(DamagedSampleFile, EveryTruncationFailsAndSaysWhere)
{
    const SampleFile& f = GetParam();
    const QByteArray good = plainBytes(mxtest::SampleFile(QString::fromLatin1(f.name)));
    ASSERT_GT(good.size(), 100);
    for (qsizetype n = 0; n < good.size(); ++n) {
        const QString error = Load(f, good.left(n));
        ASSERT_FALSE(error.isEmpty()) << "cut at " << n << " loads";
        if (n > 40) {
            ASSERT_TRUE(error.startsWith(u"Error reading byte ")) << n << ": " << error.toStdString();
        }
    }
    EXPECT_TRUE(m_service.messages.isEmpty()) << m_service.messages.first().toStdString();
}

// Every byte set to one value (an end marker, an escape character, 0xFF),
// one test per file and value so that the runs share the machine: an error
// or a load, never a crash; the errors quote nothing unescaped.
class ChangedSampleByte : public DamagedSampleTest,
                          public ::testing::WithParamInterface<std::tuple<SampleFile, unsigned char>> {};

TEST_P(ChangedSampleByte, EverySingleByteChangeGivesAnErrorOrALoad)
{
    const SampleFile& f = std::get<0>(GetParam());
    const unsigned char v = std::get<1>(GetParam());
    const QByteArray good = plainBytes(mxtest::SampleFile(QString::fromLatin1(f.name)));
    for (qsizetype i = 0; i < good.size(); ++i) {
        if (static_cast<unsigned char>(good[i]) == v)
            continue;
        QByteArray bad = good;
        bad[i] = char(v);
        const QString error = Load(f, bad);
        ASSERT_FALSE(hasControl(error)) << i << ": " << error.toStdString();
    }
    for (const QString& w : m_service.warnings)
        ASSERT_FALSE(hasControl(w)) << w.toStdString();
    EXPECT_TRUE(m_service.messages.isEmpty()) << m_service.messages.first().toStdString();
}

std::string testName(const SampleFile& f)
{
    std::string name = f.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Sample, DamagedSampleFile, ::testing::ValuesIn(kFiles),
    [](const ::testing::TestParamInfo<SampleFile>& info) { return testName(info.param); });

INSTANTIATE_TEST_SUITE_P(Sample, ChangedSampleByte,
    ::testing::Combine(::testing::ValuesIn(kFiles), ::testing::Values<unsigned char>(0x00, 0x1B, 0xFF)),
    [](const ::testing::TestParamInfo<std::tuple<SampleFile, unsigned char>>& info) {
        return testName(std::get<0>(info.param)) + "_to_" + std::to_string(int(std::get<1>(info.param)));
    });

// Damage to the structure fails the load, naming what stands where.
TEST_F(DamagedSampleTest, StructuralDamageFailsTheLoad)
{
    struct Case {
        const char* title;
        SampleFile file;
        std::function<QByteArray(QByteArray)> damage;
        const char* says;
    };
    auto rename = [](const char* from, const char* to) {
        return [=](QByteArray b) {
            const qsizetype at = b.indexOf(from);
            EXPECT_GE(at, 0) << from;
            return b.replace(at, qsizetype(qstrlen(from)), to);
        };
    };
    auto sizeAt = [](const QByteArray& b) { return b.indexOf('\0', 3) + 3; };
    const Case cases[] = {
        {"the steps' list renamed", {"CLIENTS_FIDELES.MQR", false}, rename("TMxQueryStepList", "TMxQueryStepLisX"),
            "Unknown class TMxQueryStepLisX where the list TMxQueryStepList stands"},
        {"the links' list renamed", {"EXEMPLE.MDD", true}, rename("TMxLinkList", "TMxLinkLisX"),
            "Unknown class TMxLinkLisX where the list TMxLinkList stands"},
        {"the databases' list renamed", {"EXEMPLE.MDD", true}, rename("TMxDatabaseList", "TMxDatabaseLisX"),
            "Unknown class TMxDatabaseLisX where the list TMxDatabaseList stands"},
        {"the tables' list renamed", {"EXEMPLE_ACCES.MDD", true}, rename("TMxTableList", "TMxTableLisX"),
            "Unknown class TMxTableLisX where the list TMxTableList stands"},
        {"the sets' list renamed", {"EXEMPLE.MDD", true}, rename("TMxDomainList", "TMxDomainLisX"),
            "Unknown class TMxDomainLisX where the list TMxDomainList stands"},
        {"1,000 bytes appended", {"CLIENTS.MQR", false}, [](QByteArray b) { return b + QByteArray(1000, 'x'); },
            "1000 bytes after the end of the root object"},
        {"the header's size one more", {"CLIENTS.MQR", false},
            [&](QByteArray b) {
                const qsizetype at = sizeAt(b);
                qToLittleEndian<quint32>(qFromLittleEndian<quint32>(b.constData() + at) + 1, b.data() + at);
                return b;
            },
            "The header gives a stream of"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        const QByteArray good = plainBytes(mxtest::SampleFile(QString::fromLatin1(c.file.name)));
        const QString error = Load(c.file, c.damage(good));
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.says))) << error.toStdString();
        EXPECT_TRUE(error.startsWith(u"Error reading byte ")) << error.toStdString();
    }
    EXPECT_TRUE(m_service.messages.isEmpty()) << m_service.messages.join(u'\n').toStdString();
}

// The sample's query cut to its first 502 bytes, and a property value
// of the wrong kind: the message names the file, the byte, the objects
// from the root and the property.
TEST_F(DamagedSampleTest, ErrorsNameTheFileTheObjectsThePropertyAndTheByte)
{
    const QByteArray good = plainBytes(mxtest::SampleFile(QStringLiteral("CLIENTS.MQR")));
    const QString cut = Path(QStringLiteral("CUT.MQR"));
    mxtest::WriteAll(cut, good.left(502));
    auto* q = new TMxQuery(nullptr);
    try {
        q->LoadFromFile(cut);
        ADD_FAILURE() << "a file cut at 502 bytes loads";
    } catch (const EReadError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Error reading ") + cut + QStringLiteral(", byte ")))
            << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(u"TMxQuery")) << e.message().toStdString();
        EXPECT_TRUE(e.message().endsWith(u"Stream read error")) << e.message().toStdString();
    }
    TMxItem::Free(q);

    // A value of the wrong kind for a field's Checked, inside the first
    // step's first entity: skipped with a warning, the rest of the file read.
    ASSERT_TRUE(QFile::copy(mxtest::SampleFile(QStringLiteral("EXEMPLE.MDD")), Path(QStringLiteral("EXEMPLE.MDD"))));
    QByteArray bad = good;
    const qsizetype at = bad.indexOf("\x07" "Checked\x09");
    ASSERT_GT(at, 0);
    bad[at + 8] = char(0x0D); // nil
    const QString file = Path(QStringLiteral("BAD.MQR"));
    mxtest::WriteAll(file, bad);
    q = new TMxQuery(nullptr);
    q->LoadFromFile(file);
    TMxItem::Free(q);
    ASSERT_EQ(m_service.warnings.size(), 1) << m_service.warnings.join(u'\n').toStdString();
    EXPECT_EQ(m_service.warnings[0],
        QStringLiteral("Error reading ") + file + QStringLiteral(", byte ") + QString::number(at)
            + QStringLiteral(", TMxQuery \"Clients par ville\" / TMxQueryStepList / TMxQueryStep \"Clients par ville\" / TMxQueryEntityList / "
                             "TMxQueryEntity \"Villes\" / TMxQueryField \"REGION\", property Checked: Invalid property value"));

    // A property's name with an escape character shows it escaped.
    m_service.warnings.clear();
    QByteArray escape = good;
    escape[at + 1] = char(0x1B);
    mxtest::WriteAll(file, escape);
    q = new TMxQuery(nullptr);
    q->LoadFromFile(file);
    TMxItem::Free(q);
    ASSERT_EQ(m_service.warnings.size(), 1);
    EXPECT_FALSE(hasControl(m_service.warnings[0])) << m_service.warnings[0].toStdString();
    EXPECT_TRUE(m_service.warnings[0].endsWith(u"property \\x1bhecked: Property does not exist")) << m_service.warnings[0].toStdString();
}

namespace {

struct ProgramRun {
    int status = -1;
    QString err;
};

// morv32 /EXE on file with a fresh settings folder, no display and no
// runtime folder in the environment.
ProgramRun RunProgram(const QString& settings, const QString& file)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR", "MORVELIN_QT_MESSAGES"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("MORVELIN_WINDIR"), settings);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(settings);
    p.start(QDir(mxtest::BinDir()).filePath(QStringLiteral("morv32")), {QStringLiteral("/EXE"), file});
    ProgramRun r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << "morv32 did not end";
        return r;
    }
    r.err = QString::fromUtf8(p.readAllStandardError());
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

} // namespace

// The program on damaged copies of the sample's chained query: status 1,
// one message naming the file and the byte, nothing but the program's own
// messages on standard error; the whole file runs and says only that.
TEST_F(DamagedSampleTest, TheProgramFailsOnceWithStatusOneOnDamagedFiles)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("settings"));
    const QString settings = Path(QStringLiteral("settings"));
    const QString query = Path(QStringLiteral("CLIENTS_FIDELES.MQR"));
    ASSERT_TRUE(QFile::copy(mxtest::SampleFile(QStringLiteral("EXEMPLE.MDD")), Path(QStringLiteral("EXEMPLE.MDD"))));
    const QByteArray good = mxtest::ReadAll(mxtest::SampleFile(QStringLiteral("CLIENTS_FIDELES.MQR")));
    const QByteArray plain = plainBytes(mxtest::SampleFile(QStringLiteral("CLIENTS_FIDELES.MQR")));

    mxtest::WriteAll(query, good);
    const ProgramRun whole = RunProgram(settings, query);
    EXPECT_EQ(whole.status, 0) << whole.err.toStdString();
    EXPECT_EQ(whole.err, QStringLiteral("Impression terminée.\n")) << "only the program's messages";

    QByteArray renamed = plain;
    renamed.replace(renamed.indexOf("TMxQueryStepList"), 16, "TMxQueryStepLisX");
    struct Case {
        const char* title;
        QByteArray bytes;
        const char* says;
    };
    const Case cases[] = {
        {"cut at 502 bytes", plain.left(502), ""},
        {"the steps' list renamed", renamed, "Unknown class TMxQueryStepLisX where the list TMxQueryStepList stands"},
        {"1,000 bytes appended", plain + QByteArray(1000, '\x1B'), "1000 bytes after the end of the root object"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        mxtest::WriteAll(query, c.bytes);
        const ProgramRun r = RunProgram(settings, query);
        EXPECT_EQ(r.status, 1) << r.err.toStdString();
        const QString prefix = QStringLiteral("Error reading ") + query + QStringLiteral(", byte ");
        EXPECT_EQ(r.err.count(prefix), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(u"Impression terminée.")) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(u"QStandardPaths")) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QChar(0x1B))) << "control characters reach the terminal";
    }
}
