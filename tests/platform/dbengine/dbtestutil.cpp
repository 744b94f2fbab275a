#include "dbtestutil.h"

#include "platform/dbengine/dbvalue.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <sqlite3.h>

namespace dbtest {

QStringList DbTest::Files() const
{
    QStringList names = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    names.sort();
    return names;
}

void MakeDatabase(const QString& path, const QString& script)
{
    mxtest::MakeSqliteDatabase(path, script);
}

QStringList RowsText(platform::DbRowSource& rows, const platform::DbTextFormat& format)
{
    QStringList out;
    QString error;
    EXPECT_TRUE(rows.rewind(&error)) << error.toStdString();
    for (;;) {
        const platform::DbFetch f = rows.next(&error);
        EXPECT_NE(f, platform::DbFetch::Failed) << error.toStdString();
        if (f != platform::DbFetch::Row)
            break;
        QStringList cells;
        for (int i = 0; i < rows.fields().size(); ++i) {
            const QVariant v = rows.value(i);
            cells.append(v.isNull() ? QStringLiteral("\\N") : platform::valueText(v, rows.fields()[i].type, format));
        }
        out.append(cells.join(QLatin1Char('|')));
    }
    return out;
}

QString Hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex());
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

bool RunPython(const QString& script, const QStringList& args, QString* out, QString* err)
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFileInfo(python).isExecutable())
        return false;
    QProcess p;
    p.start(python, QStringList{QStringLiteral("-c"), script} + args);
    if (!p.waitForFinished(60000))
        return false;
    *out = QString::fromUtf8(p.readAllStandardOutput());
    *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace dbtest
