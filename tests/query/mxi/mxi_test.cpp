// The exported query functions as another program calls them: the names
// the library exports, a walk of the sample, the guards of the field
// buffer, calls from another thread, and a C program that links nothing
// but the library.
//
// The library brings up its own application object and engine on the
// first call, as it does in a program that has none.

#include "query/mxi/morvelin_mxi.h"

#include "engine/core/exceptions.h"
#include "engine/query/query.h"

#include "tests/support/samplefiles.h"
#include "tests/support/testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

#include <dlfcn.h>

using namespace mxtest;

namespace {

QString sales()
{
    return mxtest::SampleFile(QStringLiteral("VENTES_PAR_PRODUIT.MQR"));
}

QByteArray sales8()
{
    return QFile::encodeName(sales());
}

// The settings folder of this process, with a private query folder for
// the tables the sample query writes; set before the first call.
class SettingsEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkpath(QStringLiteral("out"));
        WriteAll(m_dir.filePath(QStringLiteral("MORVELIN.INI")),
            QStringLiteral("[Options]\nPrivateQueryPath=%1/\n").arg(m_dir.filePath(QStringLiteral("out"))).toUtf8());
        qputenv("MORVELIN_WINDIR", QFile::encodeName(m_dir.path()));
    }
    static QString Folder() { return s_folder; }

private:
    QTemporaryDir m_dir;
    static inline QString s_folder;

public:
    SettingsEnvironment() { s_folder = m_dir.path(); }
};

const bool kEnvironment = (::testing::AddGlobalTestEnvironment(new SettingsEnvironment), true);

QList<QStringList> expectedRows()
{
    // The first call brings up the engine the statement is made with.
    mxiEof("X");
    auto* query = new mx::TMxQuery(nullptr);
    QString sql;
    try {
        query->LoadFromFile(sales());
        query->Prepare(false);
        sql = query->Steps()->Items(0)->SQL()->Text();
    } catch (const std::exception& e) {
        ADD_FAILURE() << mx::ExceptionMessage(e).toStdString();
    }
    query->Free();
    return SqliteRows(mxtest::SampleFile(QStringLiteral("MORVELIN.DB")), sql);
}

QList<QStringList> walk(const char* name)
{
    QList<QStringList> rows;
    const int fields = mxiFieldCount(name);
    if (!mxiFirst(name))
        return rows;
    char buffer[1024];
    while (!mxiEof(name) && rows.size() < 100000) {
        QStringList row;
        for (int i = 0; i < fields; ++i) {
            EXPECT_EQ(mxiGetField(name, i, buffer, sizeof buffer), 1);
            row << QString::fromUtf8(buffer);
        }
        rows << row;
        mxiNext(name);
    }
    return rows;
}

// Loads and runs the sample query under name; closed at the end.
class LoadedQuery {
public:
    explicit LoadedQuery(const char* name) : m_name(name)
    {
        EXPECT_EQ(mxiLoadQuery(name, sales8().constData(), nullptr, nullptr), 1);
        EXPECT_EQ(mxiRunQuery(name), 1);
    }
    ~LoadedQuery() { mxiCloseQuery(m_name); }

private:
    const char* m_name;
};

} // namespace

TEST(MxiLibrary, ExportsExactlyTheQueryFunctions)
{
    const QStringList functions = {"mxiCloseQuery", "mxiEof", "mxiFieldCount", "mxiFirst", "mxiGetField", "mxiLastError",
        "mxiLoadQuery", "mxiNewQuery", "mxiNext", "mxiRunQuery", "mxiSetQueryStep"};
    QProcess nm;
    nm.start(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("--defined-only"), QStringLiteral(MXI_LIBRARY)});
    ASSERT_TRUE(nm.waitForFinished(30000));
    ASSERT_EQ(nm.exitCode(), 0) << nm.readAllStandardError().toStdString();
    QStringList exported;
    for (const QString& line : QString::fromUtf8(nm.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
        exported << line.section(u' ', -1);
    exported.sort();
    EXPECT_EQ(exported, functions) << "every other symbol stays inside the library";

    void* library = dlopen(MXI_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const QString& f : functions)
        EXPECT_NE(dlsym(library, f.toLatin1().constData()), nullptr) << f.toStdString();
    dlclose(library);
}

TEST(MxiLibrary, LoadsRunsAndWalksTheSampleThenCloses)
{
    ASSERT_EQ(mxiLoadQuery("ventes", sales8().constData(), "", ""), 1);
    EXPECT_EQ(mxiLoadQuery("VENTES", sales8().constData(), nullptr, nullptr), 0) << "the name is taken";
    EXPECT_EQ(mxiFieldCount("Ventes"), 0) << "not run yet";
    ASSERT_EQ(mxiRunQuery("Ventes"), 1);
    EXPECT_EQ(mxiFieldCount("VENTES"), 3);
    EXPECT_EQ(walk("vEnTeS"), expectedRows());
    EXPECT_EQ(mxiEof("ventes"), 1);

    EXPECT_EQ(mxiSetQueryStep("ventes", 0), 0) << "one step: index 0 is the second";
    EXPECT_EQ(mxiFieldCount("ventes"), 3);
    EXPECT_EQ(mxiSetQueryStep("ventes", -1), 1);

    EXPECT_EQ(mxiCloseQuery("VENTES"), 1);
    EXPECT_EQ(mxiCloseQuery("VENTES"), 0);
    EXPECT_EQ(mxiEof("ventes"), 1);
    EXPECT_EQ(mxiFieldCount("ventes"), 0);
}

TEST(MxiLibrary, FailuresAreResultsEvenForNullPointers)
{
    for (const char* name : {static_cast<const char*>(nullptr), "", "INCONNUE"}) {
        SCOPED_TRACE(name ? name : "null");
        EXPECT_EQ(mxiEof(name), 1);
        EXPECT_EQ(mxiFieldCount(name), 0);
        EXPECT_EQ(mxiFirst(name), 0);
        EXPECT_EQ(mxiNext(name), 0);
        EXPECT_EQ(mxiRunQuery(name), 0);
        EXPECT_EQ(mxiCloseQuery(name), 0);
        EXPECT_EQ(mxiSetQueryStep(name, -1), 0);
        EXPECT_EQ(mxiLoadQuery(name, sales8().constData(), nullptr, nullptr), name && *name ? 1 : 0);
        mxiCloseQuery(name);
    }
    EXPECT_EQ(mxiLoadQuery("Q", nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(mxiLoadQuery("Q", "/nulle/part.MQR", nullptr, nullptr), 0);
    EXPECT_EQ(mxiNewQuery(), 0) << "no designer window in this program";
}

TEST(MxiLibrary, GetFieldWritesOnlyWhereItHasRoomAndNeverHalfACharacter)
{
    LoadedQuery q("CHAMPS");
    ASSERT_EQ(mxiFirst("CHAMPS"), 1);
    // The first record whose family has an accented first letter.
    char family[64];
    while (!mxiEof("CHAMPS") && mxiGetField("CHAMPS", 0, family, sizeof family) && std::strcmp(family, "Écriture") != 0)
        mxiNext("CHAMPS");
    ASSERT_STREQ(family, "Écriture");
    char label[128];
    ASSERT_EQ(mxiGetField("CHAMPS", 1, label, sizeof label), 1);
    ASSERT_GE(std::strlen(label), 5u);

    struct Case {
        const char* what;
        const char* name;
        int index;
        bool buffer;
        int size;
        int result;
        const char* text; // none: the buffer is left untouched
    };
    const std::string first3(label, 3);
    const Case cases[] = {
        {"whole value", "champs", 1, true, 128, 1, label},
        {"room for the zero only", "CHAMPS", 1, true, 1, 1, ""},
        {"cut to three bytes", "CHAMPS", 1, true, 4, 1, first3.c_str()},
        {"room for one byte of a two-byte letter", "CHAMPS", 0, true, 2, 1, ""},
        {"room for the letter", "CHAMPS", 0, true, 3, 1, "É"},
        {"room for the letter and one more", "CHAMPS", 0, true, 4, 1, "Éc"},
        {"no buffer", "CHAMPS", 1, false, 16, 0, nullptr},
        {"size zero", "CHAMPS", 1, true, 0, 0, nullptr},
        {"negative size", "CHAMPS", 1, true, -8, 0, nullptr},
        {"index before the first field", "CHAMPS", -1, true, 16, 0, ""},
        {"index past the last field", "CHAMPS", 3, true, 16, 0, ""},
        {"unknown query", "AUTRE", 1, true, 16, 0, ""},
        {"no name", nullptr, 1, true, 16, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        char buffer[160];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(mxiGetField(c.name, c.index, c.buffer ? buffer : nullptr, c.size), c.result);
        if (c.text) {
            EXPECT_STREQ(buffer, c.text);
        } else {
            EXPECT_EQ(buffer[0], '#');
        }
        if (c.buffer && c.size > 0) {
            EXPECT_LT(std::find(buffer, buffer + sizeof buffer, '\0') - buffer, c.size) << "within the size given";
        }
    }
}

TEST(MxiLibrary, ACallFromAnotherThreadRunsOnTheServersThread)
{
    ASSERT_EQ(mxiEof("X"), 1); // the server exists, on this thread
    std::atomic<bool> done{false};
    int loaded = -1, ran = -1, fields = -1, closed = -1;
    std::thread caller([&] {
        loaded = mxiLoadQuery("FIL", sales8().constData(), nullptr, nullptr);
        ran = mxiRunQuery("FIL");
        fields = mxiFieldCount("FIL");
        closed = mxiCloseQuery("FIL");
        done = true;
    });
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    caller.join();
    EXPECT_EQ(loaded, 1);
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(fields, 3);
    EXPECT_EQ(closed, 1);
}

TEST(MxiLibrary, ACProgramWalksTheSampleWithNothingButTheLibrary)
{
    QProcess walker;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MORVELIN_WINDIR"), SettingsEnvironment::Folder());
    walker.setProcessEnvironment(env);
    walker.start(QStringLiteral(MXI_WALK_PROGRAM), {sales()});
    ASSERT_TRUE(walker.waitForFinished(60000));
    const QString err = QString::fromUtf8(walker.readAllStandardError());
    ASSERT_EQ(walker.exitStatus(), QProcess::NormalExit) << err.toStdString();
    EXPECT_EQ(walker.exitCode(), 0) << err.toStdString();
    QList<QStringList> rows;
    for (const QString& line : QString::fromUtf8(walker.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
        rows << line.split(u'\t');
    const QList<QStringList> expected = expectedRows();
    ASSERT_EQ(expected.size(), 30);
    EXPECT_EQ(rows, expected);
}

namespace {

QString lastError()
{
    char buffer[2048];
    std::memset(buffer, '#', sizeof buffer);
    mxiLastError(buffer, sizeof buffer);
    return QString::fromUtf8(buffer);
}

} // namespace

TEST(MxiLibrary, AFailedLoadOrRunSaysWhyThroughTheErrorText)
{
    QTemporaryDir dir;
    const QString acces = dir.filePath(QStringLiteral("ACCES.MQR"));
    ASSERT_TRUE(QFile::copy(mxtest::SampleFile(QStringLiteral("CLIENTS.MQR")), acces));
    ASSERT_TRUE(QFile::copy(mxtest::SampleFile(QStringLiteral("EXEMPLE_ACCES.MDD")), dir.filePath(QStringLiteral("EXEMPLE.MDD"))));
    const QByteArray file = QFile::encodeName(acces);

    EXPECT_EQ(mxiLoadQuery("C", file.constData(), "Claire", "faux"), 0);
    EXPECT_TRUE(lastError().contains(QStringLiteral("Accès refusé."))) << lastError().toStdString();
    EXPECT_EQ(mxiLoadQuery("C", QFile::encodeName(dir.filePath(QStringLiteral("ABSENT.MQR"))).constData(), nullptr, nullptr), 0);
    EXPECT_TRUE(lastError().contains(QStringLiteral("ABSENT.MQR"))) << lastError().toStdString();
    EXPECT_EQ(mxiRunQuery("PERSONNE"), 0);
    EXPECT_TRUE(lastError().contains(QStringLiteral("PERSONNE"))) << lastError().toStdString();

    // Claire sees only the clients of one region: a query over the whole
    // model loads, and its run that does nothing says why.
    ASSERT_EQ(mxiLoadQuery("C", file.constData(), "Claire", "CLAIRE"), 1) << lastError().toStdString();
    EXPECT_EQ(lastError(), QString()) << "a call that succeeds leaves no reason";
    EXPECT_EQ(mxiRunQuery("C"), 0);
    EXPECT_TRUE(lastError().contains(QStringLiteral("n'est pas accessible à l'utilisateur Claire"))) << lastError().toStdString();
    EXPECT_EQ(mxiCloseQuery("C"), 1);

    char small[4];
    std::memset(small, '#', sizeof small);
    EXPECT_EQ(mxiRunQuery("PERSONNE"), 0);
    EXPECT_EQ(mxiLastError(small, 0), 0) << "no room: nothing written";
    EXPECT_EQ(small[0], '#');
    EXPECT_EQ(mxiLastError(small, sizeof small), 1);
    EXPECT_EQ(std::strlen(small), 3u) << "cut to the buffer";
}

TEST(MxiLibrary, CallsFromAThreadThatCannotBeServedFailAtOnceAndSayWhy)
{
    struct Case {
        const char* mode;
        const char* says;
    };
    const Case cases[] = {
        {"ended", "est terminé"},
        {"waiting", "ne traite pas ses événements"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MORVELIN_WINDIR"), SettingsEnvironment::Folder());
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(MXI_MISUSE_PROGRAM), {QString::fromLatin1(c.mode), sales()});
        const bool ended = program.waitForFinished(120000);
        if (!ended) {
            program.kill();
            program.waitForFinished();
        }
        ASSERT_TRUE(ended) << "the calls wait for ever";
        const QString err = QString::fromUtf8(program.readAllStandardError());
        EXPECT_EQ(program.exitCode(), 0) << err.toStdString();
        const QStringList lines = QString::fromUtf8(program.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 3) << lines.join(u'\n').toStdString() << err.toStdString();
        EXPECT_TRUE(lines[0].startsWith(QStringLiteral("mxiEof 1"))) << lines[0].toStdString();
        EXPECT_TRUE(lines[1].startsWith(QStringLiteral("mxiLoadQuery 0 "))) << lines[1].toStdString();
        EXPECT_TRUE(lines[1].contains(QString::fromUtf8(c.says))) << lines[1].toStdString();
        EXPECT_TRUE(lines[2].startsWith(QStringLiteral("mxiEof 1 "))) << lines[2].toStdString();
        EXPECT_TRUE(lines[2].contains(QString::fromUtf8(c.says))) << lines[2].toStdString();
    }
}
