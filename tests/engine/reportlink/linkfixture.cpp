#include "linkfixture.h"

#include "engine/bde/bdesession.h"

#include "platform/reportlink/rsapi.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace linktest {

LinkTest::LinkTest()
{
    mx::ResetBdeSession();
    m_driver = new mx::TMxBdeDriver(nullptr);
}

LinkTest::~LinkTest()
{
    mx::ShutdownReportLink();
    mx::ResetBdeSession();
    m_driver->Free();
}

QString LinkTest::LongNote()
{
    QString note;
    while (note.toUtf8().size() < 70000)
        note += QStringLiteral("Ligne %1 : été, hiver, 😀 ; ").arg(note.size());
    return note;
}

QString LinkTest::MakeDatabase(int lines)
{
    m_db = Path(QStringLiteral("link.sqlite"));
    QString script = QStringLiteral(R"(
        CREATE TABLE T (ID INTEGER, NOM VARCHAR(20), COURT CHAR(2), NOTE MEMO, NE DATE, VU TIMESTAMP,
            HEURE TIME, PRIX REAL, ACTIF BOOLEAN, DONNEE BLOB, GRAND INTEGER);
        INSERT INTO T VALUES (1, 'Dupont', 'ab', 'court', '2024-03-05', '2024-03-05 10:20:30.250', '08:15:00',
            12.5, 1, x'00ff', 7);
        INSERT INTO T VALUES (2, 'Hélène', 'éééééééééé', '%1', NULL, NULL, NULL, -0.25, 0, NULL, 2147483647);
        INSERT INTO T VALUES (3, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 4294967296);
        CREATE TABLE LIGNES (N INTEGER, LIBELLE VARCHAR(40));
    )")
                         .arg(LongNote());
    script += QStringLiteral("BEGIN;\n");
    for (int i = 1; i <= lines; ++i)
        script += QStringLiteral("INSERT INTO LIGNES VALUES (%1, 'Libellé numéro %1');\n").arg(i);
    script += QStringLiteral("COMMIT;\n");
    mxtest::MakeSqliteDatabase(m_db, script);
    return m_db;
}

Dataset LinkTest::Query(const QString& sql)
{
    Dataset ds(m_driver->ExecuteQuery(sql, QString(), QString(), QString(), m_db));
    EXPECT_TRUE(ds) << sql.toStdString() << "\n" << m_service.messages.join(u'\n').toStdString();
    return ds;
}

void RuntimeLinkTest::SetUpTestSuite()
{
    static int argc = 1;
    static char name[] = "test_engine_reportlink";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv); // lives to the end of the program
}

RuntimeLinkTest::RuntimeLinkTest()
{
    // The runtimes this test starts are its own, and so are their files.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path()));
    QDir(m_dir.path()).mkpath(QStringLiteral("settings"));
    QDir(m_dir.path()).mkpath(QStringLiteral("out"));
    mxtest::WriteAll(Path(QStringLiteral("settings/MORVELIN.INI")),
        QStringLiteral("[Options]\nPrivateQueryPath=%1/\n").arg(Out()).toUtf8());
    m_oldWindir = qgetenv("MORVELIN_WINDIR");
    qputenv("MORVELIN_WINDIR", QFile::encodeName(Path(QStringLiteral("settings"))));
    mx::TReport::SetLaunchTimeout(30000);
}

RuntimeLinkTest::~RuntimeLinkTest()
{
    // The runtime ends with its last connection.
    platform::rs::RsApi::instance().disconnect();
    qputenv("MORVELIN_WINDIR", m_oldWindir);
}

} // namespace linktest
