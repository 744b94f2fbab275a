// The user's private folder of sockets without XDG_RUNTIME_DIR: it is in
// the user's cache folder, where nobody else can make it first, and the
// local server and the report runtime's rendezvous both use it. A folder
// another user made, or one on its way, is named.

#include "tests/support/testsupport.h"

#include "platform/core/privatefolder.h"
#include "platform/reportlink/rendezvous.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Env = mxtest::ScopedEnv;

// Makes folder another user's: its owner where this user may change it
// (root), else its mode, which is refused the same way.
void makeForeign(const QString& folder)
{
    const QByteArray name = QFile::encodeName(folder);
    if (geteuid() == 0)
        ASSERT_EQ(::chown(name.constData(), 4242, 4242), 0);
    else
        ASSERT_EQ(::chmod(name.constData(), 0777), 0);
}

} // namespace

TEST(PrivateFolder, WithoutARuntimeFolderTheUsersCacheHoldsItAndWhatIsInTheWayIsNamed)
{
    QTemporaryDir scratch;
    const QString home = scratch.filePath(QStringLiteral("home"));
    const QString tmp = scratch.filePath(QStringLiteral("tmp"));
    ASSERT_TRUE(QDir().mkpath(home) && QDir().mkpath(tmp));
    Env runtime("XDG_RUNTIME_DIR", QByteArray());
    Env cacheHome("XDG_CACHE_HOME", QByteArray());
    Env homeVar("HOME", QFile::encodeName(home));
    Env tmpVar("TMPDIR", QFile::encodeName(tmp));
    const QString cache = home + QStringLiteral("/.cache");
    const QString fallback = cache + QStringLiteral("/morvelin-%1").arg(geteuid());
    // Another user's folder where the fallback used to be, in the shared
    // temporary folder, is no longer in anybody's way.
    const QString shared = tmp + QStringLiteral("/morvelin-%1").arg(geteuid());
    ASSERT_TRUE(QDir().mkpath(shared));
    ::chmod(QFile::encodeName(shared).constData(), 0700);
    makeForeign(shared);

    struct Case {
        const char* what;
        std::function<void()> prepare;
        QString inTheWay; // empty: the folder is made and used
    };
    const Case cases[] = {
        {"nothing there yet: the cache folder and the folder are made", [] {}, QString()},
        {"the folder made by another user", [&] {
             QDir(cache).removeRecursively();
             ASSERT_TRUE(QDir().mkpath(fallback));
             ::chmod(QFile::encodeName(fallback).constData(), 0700);
             makeForeign(fallback);
         },
            fallback},
        {"the cache folder made by another user", [&] {
             QDir(cache).removeRecursively();
             ASSERT_TRUE(QDir().mkpath(cache));
             ::chmod(QFile::encodeName(cache).constData(), 0755);
             makeForeign(cache);
         },
            cache},
        {"the cache folder is a file", [&] {
             QDir(cache).removeRecursively();
             QFile::remove(cache);
             mxtest::WriteAll(cache, "x");
         },
            cache},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare();
        EXPECT_EQ(platform::userRuntimeFolder(), fallback);
        QString error;
        const bool usable = platform::checkPrivateFolder(fallback, true, &error);
        QString rsError;
        const QString rsFolder = platform::rs::socketFolder(&rsError);
        if (c.inTheWay.isEmpty()) {
            EXPECT_TRUE(usable) << error.toStdString();
            EXPECT_EQ(rsFolder, fallback) << "the report runtime meets the program there too";
            struct stat st {};
            ASSERT_EQ(::lstat(QFile::encodeName(fallback).constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0700u);
            EXPECT_EQ(st.st_uid, geteuid());
        } else {
            EXPECT_FALSE(usable);
            EXPECT_TRUE(error.contains(c.inTheWay + u' ') || error.contains(c.inTheWay + u',')) << error.toStdString();
            EXPECT_TRUE(rsFolder.isEmpty());
            EXPECT_TRUE(rsError.contains(c.inTheWay)) << rsError.toStdString();
        }
    }
    QDir(cache).removeRecursively();
    QFile::remove(cache);
}
