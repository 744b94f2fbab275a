// DumpTable: a result copied into each table format, read back through a
// query over the folder that holds the copies; the format follows the
// extension in any case; a failed copy reports itself and keeps the old
// table; steps over several databases and table files.

#include "bdefixture.h"

#include "engine/bde/bdedataset.h"

#include "platform/dbengine/tablefile.h"

#include <QDir>
#include <QFileInfo>

using namespace mx;
using bdetest::BdeTest;
using bdetest::Dataset;

namespace {

QString LongMemo()
{
    QString s;
    for (int i = 0; s.size() < 40 * 1024; ++i)
        s += QStringLiteral("Ligne %1 : élève, cœur, « guillemets », 12,50 €.\r\n").arg(i);
    return s;
}

class TableCopyTest : public BdeTest {
protected:
    void SetUp() override
    {
        m_memo = LongMemo();
        m_db = Path(QStringLiteral("values.sqlite"));
        MakeDatabase(m_db, QStringLiteral(
            "CREATE TABLE VALEURS (ID INTEGER, NOM VARCHAR(40), NOTE MEMO, PRIX MONEY, TAUX FLOAT, NE DATE,"
            " HEURE TIME, MAJ TIMESTAMP, ACTIF BOOLEAN);"
            "INSERT INTO VALEURS VALUES (1, 'Élodie « crème » ça', '%1', 1234.56, 0.125, '2024-02-29',"
            " '13:45:10', '2024-02-29 13:45:10', 1);"
            "INSERT INTO VALEURS (ID) VALUES (2);"
            "INSERT INTO VALEURS VALUES (3, 'O''Brien \"cité\", virgule', 'mémo court', -0.5, -2.5, '1900-01-01',"
            " '00:00:00', '1999-12-31 23:59:59', 0);"
            "CREATE TABLE GREC (ID INTEGER, NOM VARCHAR(10));"
            "INSERT INTO GREC VALUES (1, 'alpha'), (2, 'Ωmega');")
                .arg(m_memo));
        m_folder = Path(QStringLiteral("copies"));
        QDir().mkpath(m_folder);
    }
    Dataset Query(const QString& sql, const QString& database = QString())
    {
        return Dataset(Driver().ExecuteQuery(sql, QString(), QString(), QString(), database.isEmpty() ? m_db : database));
    }
    QString Copy(const QString& name) const { return m_folder + u'/' + name; }
    QStringList FolderFiles() const
    {
        QStringList files = QDir(m_folder).entryList(QDir::Files | QDir::Hidden);
        files.sort();
        return files;
    }

    QString m_db, m_folder, m_memo;
};

} // namespace

TEST_F(TableCopyTest, EachFormatReadsBackThroughAQueryOverTheFolder)
{
    Dataset ds = Query(QStringLiteral("SELECT * FROM VALEURS ORDER BY ID"));
    ASSERT_TRUE(ds);
    ds->Next(); // the copy does not depend on where the cursor is, nor move it
    const QStringList original = RowsOf(ds.get());
    ASSERT_EQ(original.size(), 3);
    EXPECT_TRUE(original[0].contains(m_memo));
    ds->SetRecNo(2);

    const struct {
        const char* file;
        const char* companion;
        bool isoTimestamps; // dBASE has no timestamp type: they are text there
    } cases[] = {
        {"COPIE.DB", "COPIE.MB", false},
        {"copie2.db", "copie2.mb", false},
        {"COPIE.DBF", "COPIE.DBT", true},
        {"Copie3.Dbf", "Copie3.DBT", true},
        {"COPIE.TXT", "COPIE.SCH", false},
        {"copie4.txt", "copie4.sch", false},
    };
    for (const auto& c : cases) {
        const QString file = Copy(QString::fromLatin1(c.file));
        ds->DumpTable(file);
        EXPECT_TRUE(TakeMessages().isEmpty()) << c.file;
        EXPECT_TRUE(QFileInfo::exists(file)) << c.file;
        EXPECT_TRUE(QFileInfo::exists(Copy(QString::fromLatin1(c.companion)))) << c.companion;
        EXPECT_EQ(ds->GetRecNo(), 2) << c.file;

        // Read back as a table file of a folder database.
        Dataset back = Query(QStringLiteral("SELECT * FROM \"%1\" ORDER BY ID").arg(QString::fromLatin1(c.file)), m_folder);
        ASSERT_TRUE(back) << c.file << TakeMessages().join(u'\n').toStdString();
        EXPECT_EQ(FieldNames(back.get()), FieldNames(ds.get())) << c.file;
        QStringList expected = original;
        if (c.isoTimestamps) {
            expected[0].replace(QStringLiteral("29/02/2024 13:45:10"), QStringLiteral("2024-02-29 13:45:10"));
            expected[2].replace(QStringLiteral("31/12/1999 23:59:59"), QStringLiteral("1999-12-31 23:59:59"));
        }
        EXPECT_EQ(RowsOf(back.get()), expected) << c.file;
    }
    // What the extension names, whatever its case: the file's own signature.
    const auto header = [this](const char* name) { return mxtest::ReadAll(Copy(QString::fromLatin1(name))); };
    for (const char* f : {"COPIE.DB", "copie2.db"}) {
        const QByteArray b = header(f);
        ASSERT_GT(b.size(), 0x40) << f;
        EXPECT_EQ(b[4], 2) << f << ": a Paradox table";
        EXPECT_EQ(quint8(b[0x39]), 0x0C) << f;
    }
    for (const char* f : {"COPIE.DBF", "Copie3.Dbf"})
        EXPECT_EQ(quint8(header(f)[0]), 0x83) << f << ": a dBASE III table with memos";
    EXPECT_TRUE(header("copie4.txt").startsWith("1,\"")) << "delimited text";
    // No temporary file was left behind.
    for (const QString& name : FolderFiles())
        EXPECT_FALSE(name.startsWith(u'.')) << name.toStdString();
}

TEST_F(TableCopyTest, AFailedCopyIsReportedAndKeepsTheOldTable)
{
    Dataset good = Query(QStringLiteral("SELECT ID, NOM FROM GREC WHERE ID = 1"));
    Dataset bad = Query(QStringLiteral("SELECT ID, NOM FROM GREC"));
    ASSERT_TRUE(good && bad);
    for (const char* name : {"G.DB", "G.DBF", "G.TXT"}) {
        const QString file = Copy(QString::fromLatin1(name));
        good->DumpTable(file);
        ASSERT_TRUE(TakeMessages().isEmpty()) << name;
        const QStringList before = FolderFiles();
        const QByteArray bytes = mxtest::ReadAll(file);

        // "Ω" has no place in Windows-1252: the copy fails before replacing.
        bad->DumpTable(file);
        const QStringList messages = TakeMessages();
        ASSERT_EQ(messages.size(), 1) << name;
        EXPECT_TRUE(messages[0].contains(QStringLiteral("TMxBdeDataset.DumpTable"))) << messages[0].toStdString();
        EXPECT_TRUE(messages[0].contains(QStringLiteral("EDBEngineError"))) << messages[0].toStdString();
        EXPECT_TRUE(messages[0].contains(QStringLiteral("NOM"))) << messages[0].toStdString();
        EXPECT_EQ(mxtest::ReadAll(file), bytes) << name;
        EXPECT_EQ(FolderFiles(), before) << name;
    }

    // An extension that names no format, and a closed dataset: refused,
    // nothing written.
    good->DumpTable(Copy(QStringLiteral("G.CSV")));
    good->DumpTable(Copy(QStringLiteral("G")));
    good->Close();
    good->DumpTable(Copy(QStringLiteral("H.DB")));
    const QStringList messages = TakeMessages();
    ASSERT_EQ(messages.size(), 3);
    for (const QString& m : messages)
        EXPECT_TRUE(m.contains(QStringLiteral("TMxBdeDataset.DumpTable"))) << m.toStdString();
    EXPECT_TRUE(messages[2].contains(QStringLiteral("EDatabaseError"))) << messages[2].toStdString();
    for (const char* name : {"G.CSV", "G", "H.DB"})
        EXPECT_FALSE(QFileInfo::exists(Copy(QString::fromLatin1(name)))) << name;
    // Definitions only: there are no rows to copy.
    Dataset table(Driver().GetTable(m_db, QStringLiteral("GREC")));
    ASSERT_TRUE(table);
    table->DumpTable(Copy(QStringLiteral("H.DB")));
    EXPECT_EQ(TakeMessages().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(Copy(QStringLiteral("H.DB"))));
}

TEST_F(TableCopyTest, AStepReadsTwoSqliteAliasesAndATableFile)
{
    MakeDatabase(Path(QStringLiteral("stock.sqlite")),
        QStringLiteral("CREATE TABLE ARTICLE (REF VARCHAR(8), CLIENT INTEGER);"
                       "INSERT INTO ARTICLE VALUES ('A-1', 1), ('B-2', 3), ('C-3', 1);"));
    WriteAliases(QStringLiteral("[VALEURS]\nPATH=../values.sqlite\n\n[STOCK]\nPATH=../stock.sqlite\n\n"
                                "[COPIES]\nTYPE=STANDARD\nPATH=../copies\n"));
    // An earlier step's result, as a dBASE table.
    Dataset earlier = Query(QStringLiteral("SELECT ID AS CLIENT, PRIX FROM VALEURS"), QStringLiteral("valeurs"));
    ASSERT_TRUE(earlier);
    earlier->DumpTable(Copy(QStringLiteral("PRIX.DBF")));
    ASSERT_TRUE(TakeMessages().isEmpty());

    const QString sql = QStringLiteral(
        "SELECT V.NOM, A.REF, P.PRIX FROM \":VALEURS:VALEURS\" V JOIN \":STOCK:ARTICLE\" A ON A.CLIENT = V.ID "
        "JOIN \"%1\" P ON P.CLIENT = V.ID ORDER BY A.REF").arg(Copy(QStringLiteral("PRIX.DBF")));
    const QStringList expected{QStringLiteral("Élodie « crème » ça|A-1|1234.56"),
        QStringLiteral("O'Brien \"cité\", virgule|B-2|-0.5"), QStringLiteral("Élodie « crème » ça|C-3|1234.56")};
    // From a SQLite alias, and from the folder alias.
    for (const char* database : {"STOCK", "COPIES"}) {
        Dataset step = Query(sql, QString::fromLatin1(database));
        ASSERT_TRUE(step) << database << TakeMessages().join(u'\n').toStdString();
        EXPECT_EQ(RowsOf(step.get()), expected) << database;
    }

    // The same step as a view of the folder database, read and dropped.
    Dataset view(Driver().ExecuteQuery(QStringLiteral("CREATE VIEW _MX_Q_U_2 AS ") + sql, QString(), QString(),
        QStringLiteral("_MX_Q_U_2"), QStringLiteral("COPIES")));
    ASSERT_TRUE(view) << TakeMessages().join(u'\n').toStdString();
    EXPECT_EQ(RowsOf(view.get()), expected);
    view.reset();
    Driver().DropView(QStringLiteral("COPIES"), QStringLiteral("_MX_Q_U_2"), QString(), QString());
    EXPECT_FALSE(Query(QStringLiteral("SELECT * FROM _MX_Q_U_2"), QStringLiteral("COPIES")));
    EXPECT_EQ(TakeMessages().size(), 1);

    // The earlier step runs again and writes new rows: the later one reads them.
    Dataset again = Query(QStringLiteral("SELECT ID AS CLIENT, PRIX * 2 AS PRIX FROM VALEURS"), QStringLiteral("valeurs"));
    ASSERT_TRUE(again);
    again->DumpTable(Copy(QStringLiteral("PRIX.DBF")));
    Dataset step = Query(sql, QStringLiteral("COPIES"));
    ASSERT_TRUE(step);
    EXPECT_EQ(RowsOf(step.get()).first(), QStringLiteral("Élodie « crème » ça|A-1|2469.12"));
}
