// The socket through which the program finds the runtime, and the lines
// both speak.

#include "platform/reportlink/rendezvous.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace platform::rs;

TEST(Lines, FieldsWithEveryAwkwardCharacterComeBackWhole)
{
    const QStringList fields = {QStringLiteral("LOAD"), QStringLiteral("/tmp/a b\\c.rpt"),
        QStringLiteral("\"Titre>Ventes\tfin\nsuite\r\",\"#1a\""), QString(), QStringLiteral("é€😀")};
    const QByteArray line = encodeLine(fields);
    EXPECT_EQ(line.count('\n'), 1);
    EXPECT_TRUE(line.endsWith('\n'));
    QStringList back;
    ASSERT_TRUE(decodeLine(line.chopped(1), &back));
    EXPECT_EQ(back, fields);

    for (const char* bad : {"a\\", "a\\x", "\xC3"}) {
        EXPECT_FALSE(decodeLine(QByteArray(bad), &back)) << bad;
    }

    LineBuffer buffer;
    buffer.append("OK\tx\nER", 7);
    QByteArray got;
    ASSERT_TRUE(buffer.takeLine(&got));
    EXPECT_EQ(got, QByteArray("OK\tx"));
    EXPECT_FALSE(buffer.takeLine(&got));
    buffer.append("R\n", 2);
    ASSERT_TRUE(buffer.takeLine(&got));
    EXPECT_EQ(got, QByteArray("ERR"));
}

TEST(Rendezvous, TheFolderIsPrivateAndALiveRuntimeIsNotReplaced)
{
    QTemporaryDir dir;
    qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
    QString error;
    const QString folder = socketFolder(&error);
    ASSERT_FALSE(folder.isEmpty()) << error.toStdString();
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(folder).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    const QString path = socketPath(QString::fromLatin1(kRuntimeKind), &error);
    EXPECT_FALSE(socketAnswers(path));
    const int first = listenSocket(path, &error);
    ASSERT_GE(first, 0) << error.toStdString();
    EXPECT_TRUE(socketAnswers(path));
    EXPECT_LT(listenSocket(path, &error), 0) << "a second runtime of the kind";
    ::close(first);
    // The socket file of a runtime that is gone is taken over.
    EXPECT_FALSE(socketAnswers(path));
    const int second = listenSocket(path, &error);
    EXPECT_GE(second, 0) << error.toStdString();
    ::close(second);

    chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_TRUE(socketFolder(&error).isEmpty()) << "others may enter it";
    EXPECT_TRUE(error.contains(u"private")) << error.toStdString();
    qunsetenv("XDG_RUNTIME_DIR");
}
