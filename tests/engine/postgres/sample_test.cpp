// The sample loaded into the server by tools/pgsample.sh, and the sample's
// queries run unattended (the built morv32) through a PostgreSQL alias of
// the sample's database name: the same files, with the same rows, as on
// SQLite.

#include "pgtestserver.h"

#include "tests/support/samplefiles.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

void LoadSample()
{
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    const pgtest::Server& s = pgtest::TheServer();
    pgtest::Psql(QStringLiteral("CREATE DATABASE sample"), QStringLiteral("postgres"));
    QString out, err;
    const int rc = pgtest::Run(QStringLiteral(MX_SOURCE_DIR "/tools/pgsample.sh"),
        {QStringLiteral("-h"), s.folder, QStringLiteral("-p"), s.port, QStringLiteral("-U"), s.user,
            QStringLiteral("-d"), QStringLiteral("sample")},
        {QStringLiteral("PGPASSWORD=") + s.password}, &out, &err);
    EXPECT_EQ(rc, 0) << out.toStdString() << err.toStdString();
}

class PgSample : public mxtest::EngineTest {
protected:
    PgSample() { LoadSample(); }

    // Runs the sample query with the settings folder of that name (its
    // alias file, if any, replaces the installation's); the files written.
    QString RunQuery(const QString& settings, const QString& query, int* status, QString* err)
    {
        const QString dir = Path(settings);
        QDir().mkpath(dir + QStringLiteral("/out"));
        mxtest::WriteAll(dir + QStringLiteral("/MORVELIN.INI"),
            QStringLiteral("[Options]\nPrivateQueryPath=%1/out/\n").arg(dir).toUtf8());
        QString out;
        *status = pgtest::Run(QDir(mxtest::BinDir()).filePath(QStringLiteral("morv32")),
            {QStringLiteral("/EXE"), mxtest::SampleFile(query)},
            {QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("QT_QPA_PLATFORM"),
                QStringLiteral("MORVELIN_WINDIR=") + dir, QStringLiteral("XDG_RUNTIME_DIR=") + m_dir.path()},
            &out, err, 120000);
        return dir + QStringLiteral("/out");
    }

    // The lines of every text table of a folder, sorted (the server may
    // give rows of equal sort keys in another order), by file name.
    static QMap<QString, QStringList> TextTables(const QString& folder)
    {
        QMap<QString, QStringList> tables;
        for (const QString& f : QDir(folder).entryList(QDir::Files, QDir::Name)) {
            if (!f.endsWith(QLatin1String(".TXT"), Qt::CaseInsensitive)) {
                tables[f] = {};
                continue;
            }
            QStringList lines = QString::fromLatin1(mxtest::ReadAll(QDir(folder).filePath(f))).split(QStringLiteral("\r\n"));
            lines.sort();
            tables[f] = lines;
        }
        return tables;
    }
};

} // namespace

TEST_F(PgSample, TheSampleQueriesGiveTheSameRowsOnTheServer)
{
    const pgtest::Server& s = pgtest::TheServer();
    QDir().mkpath(Path(QStringLiteral("server")));
    mxtest::WriteAll(Path(QStringLiteral("server/ALIASES.INI")),
        pgtest::AliasSection(QStringLiteral("MORVELIN"))
            .replace(QStringLiteral("DATABASE=") + s.database, QStringLiteral("DATABASE=sample"))
            .toUtf8());
    for (const char* query : {"VENTES_PAR_PRODUIT.MQR", "CLIENTS_FIDELES.MQR", "CLIENTS.MQR"}) {
        SCOPED_TRACE(query);
        int local = -1, server = -1;
        QString localErr, serverErr;
        const QString localOut = RunQuery(QStringLiteral("local-") + QString::fromLatin1(query), QString::fromLatin1(query), &local, &localErr);
        ASSERT_EQ(local, 0) << localErr.toStdString();
        QDir().mkpath(Path(QStringLiteral("server-") + QString::fromLatin1(query)));
        QFile::copy(Path(QStringLiteral("server/ALIASES.INI")), Path(QStringLiteral("server-%1/ALIASES.INI").arg(QString::fromLatin1(query))));
        const QString serverOut = RunQuery(QStringLiteral("server-") + QString::fromLatin1(query), QString::fromLatin1(query), &server, &serverErr);
        ASSERT_EQ(server, 0) << serverErr.toStdString();
        const auto expected = TextTables(localOut);
        qsizetype lines = 0;
        for (const QStringList& t : expected)
            lines += t.size();
        EXPECT_GT(lines, 10) << "the text tables hold the rows";
        EXPECT_EQ(TextTables(serverOut), expected);
    }
}

TEST_F(PgSample, AFailedLoginOfTheUnattendedRunNeverShowsThePassword)
{
    const QString secret = QStringLiteral("Jamais-affiche-42");
    const QString dir = Path(QStringLiteral("wrong"));
    QDir().mkpath(dir);
    mxtest::WriteAll(dir + QStringLiteral("/ALIASES.INI"),
        pgtest::AliasSection(QStringLiteral("MORVELIN"), {}, false)
            .append(QStringLiteral("USERNAME=%1\nPASSWORD=%2\n").arg(pgtest::TheServer().user, secret))
            .toUtf8());
    int status = -1;
    QString err;
    const QString out = RunQuery(QStringLiteral("wrong"), QStringLiteral("CLIENTS.MQR"), &status, &err);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(err.contains(u"password authentication failed")) << err.toStdString();
    EXPECT_FALSE(err.contains(secret)) << err.toStdString();
    EXPECT_TRUE(QDir(out).entryList(QDir::Files).isEmpty());
}
