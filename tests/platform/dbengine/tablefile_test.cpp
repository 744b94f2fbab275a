// Table copies in the three formats: round trips through our readers and
// through independent ones, header bytes, limits, safe replacement, and
// damaged files.

#include <sys/resource.h>
#include <sys/stat.h>
#include "dbtestutil.h"

#include "platform/core/cp1252.h"
#include "platform/dbengine/dbsession.h"
#include "platform/dbengine/tablecopy.h"
#include "platform/dbengine/tablefile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <cstring>

using namespace platform;

namespace {

QString LongMemo()
{
    QString s;
    for (int i = 0; s.size() < 40 * 1024; ++i)
        s += QStringLiteral("Ligne %1 : élève, façade, cœur, «guillemets», 12,50 €.\r\n").arg(i);
    return s;
}

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

class TableFileTest : public dbtest::DbTest {
protected:
    void SetUp() override
    {
        const QString medium = QString(1000, QChar(0xE9)); // "é" x 1000: a suballocated blob
        const QString wide = QStringLiteral("Libre ") + QString(300, QLatin1Char('z')); // past 254 and 255
        dbtest::MakeDatabase(
            Path(QStringLiteral("demo.sqlite")),
            QStringLiteral(
                "CREATE TABLE VALEURS(ID INTEGER, NOM VARCHAR(40), NOTE MEMO, MONTANT MONEY, TAUX FLOAT, NE DATE,"
                " HEURE TIME, MAJ TIMESTAMP, ACTIF BOOLEAN, PETIT SMALLINT, LIBRE TEXT);"
                "INSERT INTO VALEURS VALUES (1, 'Élodie Crème brûlée « œuvre » €', '%1', 1234.56, 0.1, '2024-03-05',"
                " '14:07:09', '2024-03-05 14:07:09', 1, -12, 'court');"
                "INSERT INTO VALEURS(ID) VALUES (2);"
                "INSERT INTO VALEURS VALUES (3, 'O''Brien \"cité\", virgule', 'mémo court', -0.5, -2.5, '1900-01-01',"
                " '00:00:00', '1999-12-31 23:59:59', 0, 32767, '%2');"
                "INSERT INTO VALEURS VALUES (4, 'deux' || char(13, 10) || 'lignes', '%3', 0, 12345678.125,"
                " '2000-02-29', '23:59:59', '2000-02-29 00:00:00', 1, 0, '');")
                .arg(LongMemo(), wide, medium));
        QString error;
        m_db = m_session.openDatabase(Path(QStringLiteral("demo.sqlite")), {}, {}, &error);
        ASSERT_TRUE(m_db) << error.toStdString();
    }

    std::unique_ptr<DbDataset> Query(const QString& sql)
    {
        QString error;
        auto ds = m_db->openQuery(sql, &error);
        EXPECT_TRUE(ds) << error.toStdString();
        return ds;
    }

    // The dataset's rows in text form, with an empty string counted as NULL
    // when the format keeps no difference.
    QStringList Expected(DbDataset& ds, bool emptyIsNull, bool isoTimestamps)
    {
        auto rows = ds.rows();
        QStringList out;
        QString error;
        rows->rewind(&error);
        while (rows->next(&error) == DbFetch::Row) {
            QStringList cells;
            for (int i = 0; i < rows->fields().size(); ++i) {
                const QVariant v = rows->value(i);
                QString text = v.isNull() ? QStringLiteral("\\N") : valueText(v, rows->fields()[i].type);
                if (emptyIsNull && text.isEmpty())
                    text = QStringLiteral("\\N");
                if (isoTimestamps && !v.isNull() && rows->fields()[i].type == DbFieldType::DateTime)
                    text = v.toString();
                cells.append(text);
            }
            out.append(cells.join(QLatin1Char('|')));
        }
        return out;
    }

    QStringList ReadBack(const QString& file, QList<DbField>* fields = nullptr)
    {
        QString error;
        auto rows = openTableFile(file, {}, &error);
        EXPECT_TRUE(rows) << error.toStdString();
        if (!rows)
            return {};
        if (fields)
            *fields = rows->fields();
        return dbtest::RowsText(*rows);
    }

    DbSession m_session;
    DbDatabase* m_db = nullptr;
};

TEST_F(TableFileTest, EachFormatReadsBackWhatWasWritten)
{
    auto ds = Query(QStringLiteral("SELECT * FROM VALEURS ORDER BY ID"));
    ASSERT_TRUE(ds);
    struct Case {
        const char* file;
        bool emptyIsNull;
        bool isoTimestamps;
        QStringList companions;
    } cases[] = {
        {"COPIE.DB", true, false, {QStringLiteral("COPIE.DB"), QStringLiteral("COPIE.MB")}},
        {"copie.dbf", true, true, {QStringLiteral("copie.dbf"), QStringLiteral("copie.dbt")}},
        {"Copie.Txt", false, false, {QStringLiteral("Copie.Txt"), QStringLiteral("Copie.SCH")}},
    };
    for (const Case& c : cases) {
        const QString file = Path(QString::fromLatin1(c.file));
        QString error;
        ASSERT_TRUE(ds->copyTo(file, &error)) << c.file << ": " << error.toStdString();
        for (const QString& name : c.companions)
            EXPECT_TRUE(QFileInfo::exists(Path(name))) << name.toStdString();
        QList<DbField> fields;
        EXPECT_EQ(ReadBack(file, &fields), Expected(*ds, c.emptyIsNull, c.isoTimestamps)) << c.file;
        ASSERT_EQ(fields.size(), 11);
        EXPECT_EQ(fields[1].name, QStringLiteral("NOM"));
        EXPECT_EQ(int(fields[5].type), int(DbFieldType::Date)) << c.file;
        EXPECT_EQ(int(fields[8].type), int(DbFieldType::Boolean)) << c.file;
        EXPECT_EQ(fields[1].size, 40) << c.file << ": the declared size is kept";
    }
    // The cursor did not move and no temporary file was left.
    EXPECT_EQ(ds->recNo(), 1);
    for (const QString& name : Files())
        EXPECT_FALSE(name.startsWith(QLatin1Char('.'))) << name.toStdString();
}

TEST_F(TableFileTest, ParadoxHeaderHoldsTheDocumentedValues)
{
    auto ds = Query(QStringLiteral("SELECT ID, NOM, MONTANT, NE, ACTIF, NOTE FROM VALEURS"));
    QString error;
    ASSERT_TRUE(ds->copyTo(Path(QStringLiteral("H.DB")), &error)) << error.toStdString();
    const QByteArray b = ReadBytes(Path(QStringLiteral("H.DB")));
    ASSERT_GE(b.size(), 0x800);
    const char* p = b.constData();
    const int recordSize = getLE16(p);
    const int headerSize = getLE16(p + 2);
    EXPECT_EQ(p[4], 2) << "non-indexed table";
    const int blockSize = quint8(p[5]) * 1024;
    EXPECT_EQ(getLE32(p + 6), 4u) << "records";
    EXPECT_EQ(getLE16(p + 0x0C), 1) << "blocks";
    EXPECT_EQ(getLE16(p + 0x0E), 1) << "first block";
    EXPECT_EQ(getLE16(p + 0x21), 6) << "fields";
    EXPECT_EQ(quint8(p[0x39]), 0x0C) << "version 7";
    EXPECT_EQ(getLE16(p + 0x6A), 1252) << "code page";
    EXPECT_EQ(headerSize % 0x800, 0);
    // Long, Alpha(40: the declared size), Currency, Date, Logical, Memo(50).
    const int types[] = {0x04, 0x01, 0x05, 0x02, 0x09, 0x0C};
    const int sizes[] = {4, 40, 8, 4, 1, 50};
    int sum = 0;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(quint8(p[0x78 + 2 * i]), types[i]) << i;
        EXPECT_EQ(quint8(p[0x79 + 2 * i]), sizes[i]) << i;
        sum += sizes[i];
    }
    EXPECT_EQ(recordSize, sum);
    EXPECT_EQ(b.size(), headerSize + blockSize);
    // The first record: Long 1 is 80 00 00 01; the block holds 4 records.
    const char* block = p + headerSize;
    EXPECT_EQ(qint16(getLE16(block + 4)), 3 * recordSize);
    EXPECT_EQ(dbtest::Hex(QByteArray(block + 6, 4)), QStringLiteral("80000001"));
    EXPECT_TRUE(b.contains(QByteArray("ANSIINTL")));
}

// pxlib, as an independent reader, on a table without memos. pxlib 0.6.8
// reads the zero bytes of a NULL integer or date as -2147483648.
TEST_F(TableFileTest, PxlibReadsOurParadoxTables)
{
#ifndef MX_PXDUMP
    GTEST_SKIP() << "pxlib-dev is not installed";
#else
    auto ds = Query(QStringLiteral("SELECT ID, NOM, MONTANT, TAUX, NE, HEURE, MAJ, ACTIF FROM VALEURS ORDER BY ID"));
    QString error;
    ASSERT_TRUE(ds->copyTo(Path(QStringLiteral("PX.DB")), &error)) << error.toStdString();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(MX_PXDUMP), {Path(QStringLiteral("PX.DB"))});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QStringList lines = QString::fromLatin1(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 1 + 8 + 4);
    EXPECT_EQ(lines[0], QStringLiteral("R 4"));
    EXPECT_EQ(lines[2], QStringLiteral("F %1 1 40").arg(QString::fromLatin1(QByteArray("NOM").toHex())));
    QStringList got;
    for (int r = 0; r < 4; ++r) {
        const QStringList v = lines[9 + r].split(QLatin1Char('\t'));
        ASSERT_EQ(v.size(), 8) << lines[9 + r].toStdString();
        auto isNull = [](const QString& s) { return s == QLatin1String("\\N") || s == QLatin1String("-2147483648"); };
        QStringList cells;
        cells << (isNull(v[0]) ? QStringLiteral("\\N") : v[0]);
        cells << (isNull(v[1]) ? QStringLiteral("\\N") : cp1252::decode(QByteArray::fromHex(v[1].toLatin1())));
        cells << (isNull(v[2]) ? QStringLiteral("\\N") : formatNumber(v[2].toDouble()));
        cells << (isNull(v[3]) ? QStringLiteral("\\N") : formatNumber(v[3].toDouble()));
        cells << (isNull(v[4]) ? QStringLiteral("\\N") : formatDate(QDate::fromJulianDay(v[4].toLongLong() + 1721425)));
        cells << (isNull(v[5]) ? QStringLiteral("\\N") : formatTime(QTime::fromMSecsSinceStartOfDay(v[5].toInt())));
        if (isNull(v[6])) {
            cells << QStringLiteral("\\N");
        } else {
            const qint64 ms = qint64(v[6].toDouble());
            cells << formatDateTime(QDateTime(QDate::fromJulianDay(ms / 86400000 + 1721425),
                                              QTime::fromMSecsSinceStartOfDay(int(ms % 86400000))));
        }
        cells << (isNull(v[7]) ? QStringLiteral("\\N") : (v[7] == QLatin1String("1") ? QStringLiteral("True") : QStringLiteral("False")));
        got.append(cells.join(QLatin1Char('|')));
    }
    EXPECT_EQ(got, Expected(*ds, true, false));
#endif
}

// Debian's python3-dbf, as an independent reader, memos included.
TEST_F(TableFileTest, PythonDbfReadsOurDBaseTables)
{
    auto ds = Query(QStringLiteral("SELECT ID, NOM, NOTE, MONTANT, TAUX, NE, ACTIF, PETIT, LIBRE FROM VALEURS ORDER BY ID"));
    QString error;
    ASSERT_TRUE(ds->copyTo(Path(QStringLiteral("PY.DBF")), &error)) << error.toStdString();
    const QString script = QStringLiteral(
        "import sys, json, dbf\n"
        "t = dbf.Table(sys.argv[1]); t.open()\n"
        "print(json.dumps([f for f in t.field_names]))\n"
        "print(json.dumps(t.codepage.name))\n"
        "for r in t:\n"
        "    out = []\n"
        "    for v in r:\n"
        "        if v is None: out.append(None)\n"
        "        elif isinstance(v, bool): out.append('True' if v else 'False')\n"
        "        elif hasattr(v, 'isoformat'): out.append(v.isoformat())\n"
        "        elif isinstance(v, str): out.append(v.rstrip(' '))\n"
        "        else: out.append(repr(v))\n"
        "    print(json.dumps(out))\n");
    QString out, err;
    if (!dbtest::RunPython(QStringLiteral("import dbf"), {}, &out, &err))
        GTEST_SKIP() << "python3-dbf is not installed for /usr/bin/python3";
    ASSERT_TRUE(dbtest::RunPython(script, {Path(QStringLiteral("PY.DBF"))}, &out, &err)) << err.toStdString();
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2 + 4) << out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("[\"id\", \"nom\", \"note\", \"montant\", \"taux\", \"ne\", \"actif\", \"petit\", \"libre\"]"));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("cp1252"))) << lines[1].toStdString();
    QStringList got;
    for (int r = 0; r < 4; ++r) {
        const QJsonArray a = QJsonDocument::fromJson(lines[2 + r].toUtf8()).array();
        ASSERT_EQ(a.size(), 9);
        QStringList cells;
        for (int i = 0; i < 9; ++i) {
            const QJsonValue v = a[i];
            QString s = v.isNull() ? QStringLiteral("\\N") : v.toString();
            if (!v.isNull() && (i == 3 || i == 4))
                s = formatNumber(s.toDouble());
            if (!v.isNull() && i == 5)
                s = formatDate(QDate::fromString(s, Qt::ISODate));
            if (s.isEmpty() && (i == 1 || i == 2 || i == 8))
                s = QStringLiteral("\\N"); // python-dbf gives "" for blank text
            cells.append(s);
        }
        got.append(cells.join(QLatin1Char('|')));
    }
    EXPECT_EQ(got, Expected(*ds, true, false));
}

TEST_F(TableFileTest, ExtensionsIgnoreCaseAndUnknownOnesAreRefused)
{
    auto ds = Query(QStringLiteral("SELECT ID, NOM FROM VALEURS"));
    QString error;
    ASSERT_TRUE(ds->copyTo(Path(QStringLiteral("a.dbf")), &error));
    EXPECT_EQ(ReadBytes(Path(QStringLiteral("a.dbf")))[0], char(0x03));
    ASSERT_TRUE(ds->copyTo(Path(QStringLiteral("b.Db")), &error));
    EXPECT_EQ(quint8(ReadBytes(Path(QStringLiteral("b.Db")))[0x39]), 0x0C);
    const QStringList before = Files();
    for (const char* name : {"c.csv", "d", "e.DBX"}) {
        EXPECT_FALSE(ds->copyTo(Path(QString::fromLatin1(name)), &error)) << name;
        EXPECT_TRUE(error.contains(QStringLiteral("unknown table type"))) << error.toStdString();
    }
    EXPECT_EQ(Files(), before);
}

TEST_F(TableFileTest, TablesAreOrdinaryFilesForOtherPrograms)
{
    // made through private temporary files, they end with the umask's mode
    const mode_t old = ::umask(022);
    auto ds = Query(QStringLiteral("SELECT ID, NOTE FROM VALEURS"));
    QString error;
    for (const char* name : {"P.DB", "P.DBF", "P.TXT"}) {
        ASSERT_TRUE(ds->copyTo(Path(QString::fromLatin1(name)), &error)) << error.toStdString();
    }
    ::umask(old);
    for (const QString& f : Files()) {
        if (!f.startsWith(QLatin1String("P.")))
            continue;
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(Path(f)).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0644u) << f.toStdString();
    }
}

TEST_F(TableFileTest, AFailedCopyLeavesTheOldTableAsItWas)
{
    auto good = Query(QStringLiteral("SELECT ID, NOTE FROM VALEURS"));
    QString error;
    for (const char* name : {"OLD.DB", "OLD.DBF", "OLD.TXT"}) {
        ASSERT_TRUE(good->copyTo(Path(QString::fromLatin1(name)), &error)) << error.toStdString();
    }
    QMap<QString, QByteArray> before;
    for (const QString& f : Files())
        if (f.startsWith(QLatin1String("OLD.")))
            before.insert(f, ReadBytes(Path(f)));
    // Omega has no place in Windows-1252; it comes in the last row, after
    // the memo file has been half written.
    ASSERT_TRUE(m_db->execute(QStringLiteral("INSERT INTO VALEURS(ID, NOTE) VALUES (5, 'Ωmega')"), &error));
    auto bad = Query(QStringLiteral("SELECT ID, NOTE FROM VALEURS ORDER BY ID"));
    for (const char* name : {"OLD.DB", "OLD.DBF", "OLD.TXT"}) {
        EXPECT_FALSE(bad->copyTo(Path(QString::fromLatin1(name)), &error)) << name;
        EXPECT_EQ(error, QStringLiteral("Field NOTE, record 5: the character U+03A9 has no place in Windows-1252"))
            << name;
    }
    QMap<QString, QByteArray> after;
    for (const QString& f : Files())
        if (f != QLatin1String("demo.sqlite"))
            after.insert(f, ReadBytes(Path(f)));
    EXPECT_EQ(after.keys(), before.keys());
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        EXPECT_TRUE(after.value(it.key()) == it.value()) << it.key().toStdString();
}

TEST_F(TableFileTest, CompanionsOfTheOldTableAreRemoved)
{
    for (const char* junk : {"T.PX", "T.X01", "T.YG0", "t.mb", "T.VAL", "T.XLS", "T.TXT", "T.DBT", "T.MDX"})
        dbtest::WriteBytes(Path(QString::fromLatin1(junk)), "junk");
    auto ds = Query(QStringLiteral("SELECT ID, NOM FROM VALEURS"));
    QString error;
    ASSERT_TRUE(ds->copyTo(Path(QStringLiteral("T.DB")), &error)) << error.toStdString();
    EXPECT_EQ(Files(), (QStringList{QStringLiteral("T.DB"), QStringLiteral("T.DBT"), QStringLiteral("T.MDX"),
                                    QStringLiteral("T.TXT"), QStringLiteral("T.XLS"), QStringLiteral("demo.sqlite")}));
    ASSERT_TRUE(ds->copyTo(Path(QStringLiteral("T.DBF")), &error)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("T.DBT"))));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("T.MDX"))));
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("T.DB"))));
}

TEST_F(TableFileTest, TablesPastAFormatsLimitsAreRefusedBeforeWriting)
{
    // 125 strings of 255 characters: one record per 32 KB block, and
    // 65,536 records need one block more than a Paradox table holds.
    QStringList cols;
    for (int i = 0; i < 125; ++i)
        cols << QStringLiteral("CASE WHEN i = 1 THEN printf('%.255c', 'x') END AS C%1").arg(i);
    auto wide = Query(QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 65536)"
                                     " SELECT %1 FROM c")
                          .arg(cols.join(QStringLiteral(", "))));
    ASSERT_TRUE(wide);
    const QStringList before = Files();
    QString error;
    EXPECT_FALSE(wide->copyTo(Path(QStringLiteral("WIDE.DB")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("65536 records"))) << error.toStdString();
    auto huge = Query(QStringLiteral("SELECT 1e30 AS BIG"));
    EXPECT_FALSE(huge->copyTo(Path(QStringLiteral("HUGE.DBF")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("too large"))) << error.toStdString();
    auto time = Query(QStringLiteral("SELECT HEURE FROM VALEURS UNION ALL SELECT '10:00:00.250'"));
    time->setFields({fieldFromDeclaredType(QStringLiteral("HEURE"), QStringLiteral("TIME"))});
    EXPECT_FALSE(time->copyTo(Path(QStringLiteral("TIME.DBF")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("milliseconds"))) << error.toStdString();
    auto blob = Query(QStringLiteral("SELECT x'00ff1a' AS B"));
    EXPECT_FALSE(blob->copyTo(Path(QStringLiteral("BLOB.DBF")), &error));
    EXPECT_TRUE(blob->copyTo(Path(QStringLiteral("BLOB.DB")), &error)) << error.toStdString();
    EXPECT_EQ(ReadBack(Path(QStringLiteral("BLOB.DB"))).size(), 1);
    QStringList expected = QStringList(before) << QStringLiteral("BLOB.DB") << QStringLiteral("BLOB.MB");
    expected.sort();
    EXPECT_EQ(Files(), expected);
}

// SQLite does not hold values to their declared sizes: a copy that trusts
// the declarations measures the rows when one does not fit.
TEST_F(TableFileTest, DeclaredSizesThatDoNotHoldAreMeasured)
{
    dbtest::MakeDatabase(Path(QStringLiteral("loose.sqlite")),
                         QStringLiteral("CREATE TABLE T(S VARCHAR(3), N INTEGER, P SMALLINT, F INTEGER);"
                                        "INSERT INTO T VALUES ('abc', 1, 1, 1), ('abcdef', 5000000000, 40000, 2.5);"));
    QString error;
    DbDatabase* db = m_session.openDatabase(Path(QStringLiteral("loose.sqlite")), {}, {}, &error);
    ASSERT_TRUE(db) << error.toStdString();
    auto ds = db->openQuery(QStringLiteral("SELECT * FROM T"), &error);
    ASSERT_TRUE(ds) << error.toStdString();
    const QStringList expected{QStringLiteral("abc|1|1|1"), QStringLiteral("abcdef|5000000000|40000|2.5")};
    for (const char* name : {"L.DB", "L.DBF", "L.TXT"}) {
        const QString file = Path(QString::fromLatin1(name));
        ASSERT_TRUE(ds->copyTo(file, &error)) << name << ": " << error.toStdString();
        QList<DbField> fields;
        QStringList got = ReadBack(file, &fields);
        EXPECT_EQ(got, expected) << name;
        EXPECT_EQ(fields[0].size, 6) << name;
    }
    const QByteArray px = ReadBytes(Path(QStringLiteral("L.DB")));
    EXPECT_EQ(dbtest::Hex(px.mid(0x78, 8)), QStringLiteral("0106060804040608")) << "Alpha 6, Number, Long, Number";
}

TEST_F(TableFileTest, FieldNamesFitEachFormat)
{
    auto ds = Query(QStringLiteral("SELECT 1 AS \"Nom du client\", 2 AS \"nom du client 2\", 3 AS \"Année fiscale\","
                                   " 4 AS \"1er\", 5 AS \"A very long field name for a Paradox table\""));
    QString error;
    QList<DbField> fields;
    ASSERT_TRUE(ds->copyTo(Path(QStringLiteral("N.DBF")), &error)) << error.toStdString();
    ReadBack(Path(QStringLiteral("N.DBF")), &fields);
    QStringList names;
    for (const DbField& f : fields)
        names << f.name;
    EXPECT_EQ(names, (QStringList{QStringLiteral("NOM_DU_CLI"), QStringLiteral("NOM_DU_C_1"), QStringLiteral("ANNEE_FISC"),
                                  QStringLiteral("F1ER"), QStringLiteral("A_VERY_LON")}));
    ASSERT_TRUE(ds->copyTo(Path(QStringLiteral("N.DB")), &error)) << error.toStdString();
    ReadBack(Path(QStringLiteral("N.DB")), &fields);
    names.clear();
    for (const DbField& f : fields)
        names << f.name;
    EXPECT_EQ(names, (QStringList{QStringLiteral("Nom du client"), QStringLiteral("nom du client 2"),
                                  QStringLiteral("Année fiscale"), QStringLiteral("1er"),
                                  QStringLiteral("A very long field name fo")}));
}

TEST_F(TableFileTest, DamagedFilesGiveErrorsNotCrashes)
{
    auto ds = Query(QStringLiteral("SELECT * FROM VALEURS ORDER BY ID"));
    QString error;
    for (const char* name : {"DMG.DB", "DMG.DBF", "DMG.TXT"}) {
        const QString file = Path(QString::fromLatin1(name));
        ASSERT_TRUE(ds->copyTo(file, &error)) << error.toStdString();
        const QByteArray n(name);
        const QString memo = findCompanion(file, QString::fromLatin1(n.endsWith("DB") ? "MB" : n.endsWith("DBF") ? "DBT" : "SCH"));
        for (const QString& target : {file, memo}) {
            const QByteArray good = ReadBytes(target);
            // Cuts, and bytes of the header and the first data overwritten.
            QList<QByteArray> damaged;
            for (qsizetype cut : {qsizetype(0), qsizetype(10), qsizetype(0x60), good.size() / 3, good.size() / 2, good.size() - 1})
                damaged << good.left(cut);
            for (int at = 0; at < std::min<qsizetype>(good.size(), 0x200); at += 7) {
                for (char v : {char(0x00), char(0xFF), char(0x7F)}) {
                    QByteArray b = good;
                    b[at] = v;
                    damaged << b;
                }
            }
            for (const QByteArray& bytes : damaged) {
                dbtest::WriteBytes(target, bytes);
                auto rows = openTableFile(file, {}, &error);
                if (!rows) {
                    EXPECT_FALSE(error.isEmpty());
                    continue;
                }
                DbMemoryRows all;
                if (!readAllRows(*rows, &all, &error)) {
                    EXPECT_FALSE(error.isEmpty());
                }
            }
            dbtest::WriteBytes(target, good);
        }
        EXPECT_EQ(ReadBack(file).size(), 4);
        if (QByteArray(name).endsWith("TXT"))
            continue; // a text file has no record count to check
        // A truncated table is an error, never fewer rows without a word.
        const QByteArray good = ReadBytes(file);
        dbtest::WriteBytes(file, good.left(good.size() * 2 / 3));
        auto rows = openTableFile(file, {}, &error);
        DbMemoryRows all;
        EXPECT_FALSE(rows && readAllRows(*rows, &all, &error) && all.rowCount() == 4) << name;
        dbtest::WriteBytes(file, good);
    }
}

} // namespace

// A file size limit stands for a full disk: the write that crosses it is
// cut short, the next one fails with the system's reason. That reason, not
// "Unknown error", is the copy's error, and the old table stays whole.
TEST_F(TableFileTest, AWriteTheSystemRefusesGivesTheSystemsReason)
{
    auto rows = Query(QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 20000)"
                                     " SELECT i AS N, printf('%.60c', 'x') AS TEXTE FROM c"));
    ASSERT_TRUE(rows);
    auto small = Query(QStringLiteral("SELECT 1 AS N, 'avant' AS TEXTE"));
    QString error;
    for (const char* name : {"PLEIN.DB", "PLEIN.DBF", "PLEIN.TXT"}) {
        SCOPED_TRACE(name);
        const QString file = Path(QString::fromLatin1(name));
        ASSERT_TRUE(small->copyTo(file, &error)) << error.toStdString();
        const QByteArray before = ReadBytes(file);

        struct rlimit old {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = old;
        limited.rlim_cur = 200 * 1024;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        const bool copied = rows->copyTo(file, &error);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        EXPECT_FALSE(copied);
        EXPECT_TRUE(error.contains(QString::fromLocal8Bit(strerror(EFBIG)))) << error.toStdString();
        EXPECT_FALSE(error.contains(QStringLiteral("Unknown error"))) << error.toStdString();
        EXPECT_EQ(ReadBytes(file), before);
    }
    const QStringList left = QDir(Path(QString())).entryList({QStringLiteral("*PLEIN*")}, QDir::Files | QDir::Hidden, QDir::Name);
    EXPECT_EQ(left, (QStringList{"PLEIN.DB", "PLEIN.DBF", "PLEIN.DBT", "PLEIN.SCH", "PLEIN.TXT"})) << "no temporary file stays";
}

// A NUL inside a database value is refused alike by every format, short
// text or memo, with the field and the record named; nothing is written.
TEST_F(TableFileTest, ANulInsideAValueIsRefusedByEveryFormat)
{
    dbtest::MakeDatabase(Path(QStringLiteral("nul.sqlite")),
        QStringLiteral("CREATE TABLE T(ID INTEGER, COURT VARCHAR(10), LONG TEXT);"
                       "INSERT INTO T VALUES (1, 'bien', 'bien');"
                       "INSERT INTO T VALUES (2, 'a' || char(0) || 'b', 'bien');"
                       "INSERT INTO T VALUES (3, 'bien', 'x' || char(0) || 'y');"));
    QString error;
    DbDatabase* db = m_session.openDatabase(Path(QStringLiteral("nul.sqlite")), {}, {}, &error);
    ASSERT_TRUE(db) << error.toStdString();
    const struct {
        const char* sql;
        const char* field;
        const char* record;
    } values[] = {
        {"SELECT ID, COURT FROM T ORDER BY ID", "COURT", "2"},
        {"SELECT ID, LONG FROM T ORDER BY ID", "LONG", "3"},
    };
    for (const auto& v : values) {
        for (const char* name : {"NUL.DB", "NUL.DBF", "NUL.TXT"}) {
            SCOPED_TRACE(std::string(v.sql) + " -> " + name);
            auto ds = db->openQuery(QString::fromLatin1(v.sql), &error);
            ASSERT_TRUE(ds) << error.toStdString();
            EXPECT_FALSE(ds->copyTo(Path(QString::fromLatin1(name)), &error));
            EXPECT_TRUE(error.contains(QStringLiteral("NUL"))) << error.toStdString();
            EXPECT_TRUE(error.contains(QString::fromLatin1(v.field))) << error.toStdString();
            EXPECT_TRUE(error.contains(QString::fromLatin1(v.record))) << error.toStdString();
            EXPECT_TRUE(QDir(Path(QString())).entryList({QStringLiteral("*NUL.*")}, QDir::Files | QDir::Hidden | QDir::CaseSensitive).isEmpty());
        }
    }
}
