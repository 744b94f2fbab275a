#include "tests/support/testsupport.h"
#include "bdefixture.h"

#include "engine/bde/bdesession.h"
#include "engine/driver/rootdir.h"
#include "engine/tools/stringbuffer.h"

#include "platform/dbengine/dbsession.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

namespace bdetest {

BdeTest::BdeTest()
    : m_root(Path(QStringLiteral("root/"))), m_rootHook(mx::RootDirOverride, [this] { return m_root; })
{
    QDir().mkpath(m_root);
    mx::ResetBdeSession();
    m_driver = new mx::TMxBdeDriver(nullptr);
}

BdeTest::~BdeTest()
{
    mx::ResetBdeSession();
    m_driver->Free();
}

void BdeTest::WriteAliases(const QString& text)
{
    mxtest::WriteAll(m_root + QStringLiteral("ALIASES.INI"), text.toUtf8());
    mx::ResetBdeSession();
}

void BdeTest::MakeDatabase(const QString& path, const QString& script)
{
    mxtest::MakeSqliteDatabase(path, script);
}

QString BdeTest::MakeDemo(const QString& name)
{
    const QString path = Path(name);
    MakeDatabase(path, QStringLiteral(R"(
        CREATE TABLE CLIENT (ID INTEGER PRIMARY KEY, NOM VARCHAR(30), VILLE VARCHAR(20), NE DATE, SOLDE MONEY);
        INSERT INTO CLIENT VALUES (1, 'Dupont', 'Lyon', '1970-03-05', 120.5);
        INSERT INTO CLIENT VALUES (2, 'Müller', 'Genève', '1985-12-31', -3.25);
        INSERT INTO CLIENT VALUES (3, 'Martin', 'Lyon', NULL, NULL);
        CREATE TABLE COMMANDE (NUM INTEGER PRIMARY KEY, CLIENT INTEGER, JOUR DATE);
        INSERT INTO COMMANDE VALUES (10, 1, '2024-01-15'), (11, 1, '2024-02-01'), (12, 2, '2024-02-03');
        CREATE TABLE LIGNE (CMD INTEGER, QTE INTEGER, NUM SMALLINT, PRIMARY KEY (NUM, CMD));
        CREATE TABLE CODE (A INTEGER, B INTEGER, C INTEGER);
        CREATE INDEX CODE_A ON CODE (A);
        CREATE UNIQUE INDEX CODE_CB ON CODE (C, B);
        CREATE UNIQUE INDEX CODE_AU ON CODE (A);
        CREATE TABLE NOTE (TXT TEXT);
    )"));
    return path;
}

QStringList BdeTest::RowsOf(mx::TIMxDataset* dataset)
{
    QStringList rows;
    if (!dataset)
        return rows;
    dataset->First();
    while (!dataset->Eof()) {
        QStringList values;
        for (int i = 0; i < dataset->GetFieldCount(); ++i)
            values << dataset->GetFieldValue(i);
        rows << values.join(u'|');
        dataset->Next();
    }
    return rows;
}

QStringList BdeTest::FieldNames(mx::TIMxDataset* dataset)
{
    QStringList names;
    for (int i = 0; i < dataset->GetFieldCount(); ++i)
        names << dataset->GetFieldName(i);
    return names;
}

QStringList BdeTest::KeyNames(mx::TIMxDataset* dataset)
{
    QStringList names;
    for (int i = 0; i < dataset->GetKeyFieldCount(); ++i)
        names << dataset->GetKeyFieldName(i);
    return names;
}

QStringList BdeTest::FromBuffer(const QByteArray& buffer)
{
    QStringList list;
    mx::BufToStrings(buffer, list);
    return list;
}

QStringList BdeTest::TakeMessages()
{
    return std::exchange(m_service.messages, {});
}

} // namespace bdetest
