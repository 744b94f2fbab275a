// The built program, run as a script or a scheduler runs it: no display,
// a settings folder of its own, the bundled sample.

#include "engine/core/userservice.h"
#include "engine/destination/querydestination.h"
#include "engine/driver/driverclasses.h"
#include "engine/driver/rootdir.h"
#include "engine/global/engineshutdown.h"
#include "engine/global/queryglobal.h"
#include "engine/model/datamodel.h"
#include "engine/model/entity.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"
#include "engine/query/query.h"
#include "engine/stream/filer.h"

#include "tests/platform/report/pdftools.h"
#include "tests/support/samplefiles.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QtEndian>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace mx;

namespace {

struct Outcome {
    int status = -1;
    QString err;
};

class Morv32Test : public mxtest::EngineTest {
protected:
    void SetUp() override
    {
        ASSERT_NE(DriverClasses().GetByClassName(QStringLiteral("MX32BDE")), nullptr)
            << "the built-in database driver is not registered";
    }

    Morv32Test()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("settings"));
        QDir(m_dir.path()).mkpath(QStringLiteral("out"));
        mxtest::WriteAll(Path(QStringLiteral("settings/MORVELIN.INI")),
            QStringLiteral("[Options]\nPrivateQueryPath=%1/\n").arg(Out()).toUtf8());
    }

    QString Out() const { return Path(QStringLiteral("out")); }
    QStringList OutFiles() const { return QDir(Out()).entryList(QDir::Files, QDir::Name); }

    // Runs the program with no display and the test's settings folder.
    Outcome Run(const QStringList& args, const QStringList& extraEnv = {})
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "MORVELIN_PRINT_PDF"})
            env.remove(QString::fromLatin1(name));
        for (const QString& e : extraEnv)
            env.insert(e.section(u'=', 0, 0), e.section(u'=', 1));
        env.insert(QStringLiteral("MORVELIN_WINDIR"), Path(QStringLiteral("settings")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(m_dir.path());
        p.start(QDir(mxtest::BinDir()).filePath(QStringLiteral("morv32")), args);
        Outcome o;
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            ADD_FAILURE() << "morv32 did not end: it waits for something";
            return o;
        }
        o.err = QString::fromUtf8(p.readAllStandardError());
        o.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        return o;
    }

    // The rows of a dBASE table, read by Debian's python3-dbf.
    QStringList DbfRows(const QString& file, QStringList* fieldNames)
    {
        const QString script = QStringLiteral(
            "import sys, json, dbf\n"
            "t = dbf.Table(sys.argv[1]); t.open()\n"
            "print(json.dumps(list(t.field_names)))\n"
            "for r in t:\n"
            "    print(json.dumps([None if v is None else str(v).rstrip(' ') for v in r]))\n");
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, file});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            ADD_FAILURE() << "python3-dbf: " << p.readAllStandardError().toStdString();
            return {};
        }
        QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        if (lines.isEmpty())
            return {};
        for (const QJsonValue& v : QJsonDocument::fromJson(lines.takeFirst().toUtf8()).array())
            *fieldNames << v.toString();
        QStringList rows;
        for (const QString& line : lines) {
            QStringList cells;
            for (const QJsonValue& v : QJsonDocument::fromJson(line.toUtf8()).array())
                cells << (v.isNull() ? QStringLiteral("NULL") : v.toString());
            rows << cells.join(u'|');
        }
        return rows;
    }
};

bool hasPythonDbf()
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import dbf")});
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

TEST_F(Morv32Test, RunsTheSampleQueryWritesEveryTableAndSaysSo)
{
    const Outcome o = Run({QStringLiteral("/EXE"), mxtest::SampleFile(QStringLiteral("CLIENTS.MQR"))});
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(u"Impression terminée.")) << o.err.toStdString();
    for (const char* f : {"CLIENTS.DB", "CLIENTS.DBF", "CLIENTS.TXT"})
        EXPECT_TRUE(OutFiles().contains(QString::fromLatin1(f))) << f << " in " << OutFiles().join(u' ').toStdString();

    if (!hasPythonDbf())
        GTEST_SKIP() << "python3-dbf is not installed for /usr/bin/python3";
    QStringList fields;
    const QStringList rows = DbfRows(QDir(Out()).filePath(QStringLiteral("CLIENTS.DBF")), &fields);
    EXPECT_EQ(fields.size(), 8) << fields.join(u',').toStdString();
    EXPECT_EQ(rows.size(), 487) << "the 13 clients without a town are left out by the link";
    ASSERT_FALSE(rows.isEmpty());
    // Sorted by region, town, name: Papeete, whose region is not known,
    // comes first, its region empty; accents come through.
    EXPECT_TRUE(rows.first().startsWith(u"|Papeete|98714|")) << rows.first().toStdString();
    EXPECT_EQ(rows.filter(QRegularExpression(QStringLiteral("^Auvergne-Rhône-Alpes\\|Saint-Étienne\\|42000\\|"))).size(), 24)
        << rows.mid(0, 5).join(u'\n').toStdString();
}

// The text of a PDF file, read by poppler's pdftotext.
QString PdfText(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext " << file.toStdString() << ": " << p.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST_F(Morv32Test, PrintsTheSalesReportThroughTheReportRuntime)
{
    const Outcome o = Run({QStringLiteral("/EXE"), mxtest::SampleFile(QStringLiteral("VENTES_PAR_PRODUIT.MQR"))});
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(u"Impression terminée.")) << o.err.toStdString();
    // No printer here: the runtime writes the report beside the other results.
    for (const char* f : {"VENTES_PAR_PRODUIT.TXT", "VENTES_PAR_PRODUIT.DBF", "RAPPORT_VENTES.pdf"})
        EXPECT_TRUE(OutFiles().contains(QString::fromLatin1(f))) << f << " in " << OutFiles().join(u' ').toStdString();
    const QString runtimePdf = QDir(Out()).filePath(QStringLiteral("RAPPORT_VENTES.pdf"));
    // both PDFs of the run are told, each where it went
    const qsizetype said = o.err.indexOf(QStringLiteral("VENTES_PAR_PRODUIT.rpt : rapport écrit dans %1 (1 page).").arg(runtimePdf));
    EXPECT_GE(said, 0) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(QStringLiteral("Ventes par produit : rapport écrit dans %1 (1 page).")
                                   .arg(QDir(Out()).filePath(QStringLiteral("VENTES_PAR_PRODUIT.PDF")))))
        << o.err.toStdString();
    EXPECT_GT(o.err.indexOf(u"Impression terminée."), said) << "said once every report was printed";
    const QString text = PdfText(runtimePdf);
    EXPECT_TRUE(text.contains(u"Ventes par produit (toutes les commandes)")) << text.left(300).toStdString();
    EXPECT_TRUE(text.contains(u"Quantité")) << "the report's caption";
    EXPECT_TRUE(QRegularExpression(QStringLiteral("Crayon à papier HB +4461")).match(text).hasMatch()) << text.toStdString();
}

TEST_F(Morv32Test, AReportTheRuntimeCannotPrintFailsTheRun)
{
    // The sales query beside its model, with a report naming a field the
    // result does not have.
    mxtest::WriteAll(Path(QStringLiteral("FAUX.rpt")),
        QStringLiteral("[Report]\nFields=Famille;Marge\nOutput=pdf\nFile=FAUX.pdf\n").toUtf8());
    ASSERT_TRUE(QFile::copy(mxtest::SampleFile(QStringLiteral("EXEMPLE.MDD")), Path(QStringLiteral("EXEMPLE.MDD"))));
    {
        const QString root = mxtest::BinDir();
        RootDirOverride.set([root] { return root; });
        new TMxQueryGlobal(nullptr);
        LoadDefinitionFile(DestinationTypes(), QStringLiteral("BDEDST32.MXF"));
        LoadDefinitionFile(Datasources(), QStringLiteral("BDEDRIV.MXF"));
        auto* q = new TMxQuery(nullptr);
        q->LoadFromFile(mxtest::SampleFile(QStringLiteral("VENTES_PAR_PRODUIT.MQR")));
        TMxQueryStep* step = q->Steps()->Items(0);
        static_cast<TQueryDestinationItem*>(step->Destinations()->FindByName(QStringLiteral("ReportSmith")))
            ->SetFileName(Path(QStringLiteral("FAUX.rpt")));
        q->SaveToFile(Path(QStringLiteral("VENTES.MQR")));
        q->Free();
        ShutdownEngine();
        RootDirOverride.clear();
    }
    const Outcome o = Run({QStringLiteral("/EXE"), Path(QStringLiteral("VENTES.MQR"))});
    EXPECT_EQ(o.status, 1) << o.err.toStdString();
    EXPECT_FALSE(o.err.contains(u"Impression terminée.")) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(u"n'a pas été imprimé") && o.err.contains(u"Marge")) << o.err.toStdString();
    EXPECT_TRUE(OutFiles().contains(QStringLiteral("VENTES_PAR_PRODUIT.TXT"))) << "the other destinations are still sent";
    EXPECT_FALSE(OutFiles().contains(QStringLiteral("FAUX.pdf")));
}

TEST_F(Morv32Test, RunsTheChainedQuery)
{
    const Outcome o = Run({QStringLiteral("-EXE"), QStringLiteral("TRUE"), mxtest::SampleFile(QStringLiteral("CLIENTS_FIDELES.MQR"))});
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(u"Impression terminée.")) << o.err.toStdString();
    EXPECT_TRUE(OutFiles().contains(QStringLiteral("QUANTITES_PAR_CLIENT.DB"))) << OutFiles().join(u' ').toStdString();
    ASSERT_TRUE(OutFiles().contains(QStringLiteral("CLIENTS_FIDELES.TXT"))) << OutFiles().join(u' ').toStdString();
    const QStringList lines = QString::fromLatin1(mxtest::ReadAll(QDir(Out()).filePath(QStringLiteral("CLIENTS_FIDELES.TXT"))))
                                  .split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 38) << "38 clients ordered more than 250 items";
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.first().trimmed().endsWith(u",320")) << "the best first: " << lines.first().toStdString();
}

TEST_F(Morv32Test, AMissingDatabaseFailsWithTheDriversMessageAndWritesNothing)
{
    // The user's alias file replaces the installation's.
    mxtest::WriteAll(Path(QStringLiteral("settings/ALIASES.INI")),
        QStringLiteral("[MORVELIN]\nTYPE=SQLITE\nPATH=%1\n").arg(Path(QStringLiteral("absente/MORVELIN.DB"))).toUtf8());
    const Outcome o = Run({QStringLiteral("/EXE"), mxtest::SampleFile(QStringLiteral("CLIENTS.MQR"))});
    EXPECT_EQ(o.status, 1) << o.err.toStdString();
    EXPECT_FALSE(o.err.contains(u"Impression terminée.")) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(u"absente")) << "the driver says which database: " << o.err.toStdString();
    EXPECT_TRUE(OutFiles().isEmpty()) << OutFiles().join(u' ').toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("absente")))) << "opening creates nothing";
}

TEST_F(Morv32Test, ALoginNobodyCanGiveCancelsAtOnce)
{
    // A query over the model with users, written in the test's folder.
    {
        const QString root = mxtest::BinDir();
        RootDirOverride.set([root] { return root; });
        new TMxQueryGlobal(nullptr);
        LoadDefinitionFile(DestinationTypes(), QStringLiteral("BDEDST32.MXF"));
        LoadDefinitionFile(Datasources(), QStringLiteral("BDEDRIV.MXF"));
        auto* model = new TMxDataModel(nullptr);
        model->Open(mxtest::SampleFile(QStringLiteral("EXEMPLE_ACCES.MDD")), QStringLiteral("Admin"), QStringLiteral("admin"));
        auto* q = new TMxQuery(nullptr);
        q->SetDataModel(model, true);
        q->SetDomId(1);
        TMxQueryStep* step = q->AddStep();
        TMxTable* villes = step->DataModel()->Tables()->FindById(1);
        step->AddFields(villes->Entities()->Items(0), villes->Fields()->FindField(QStringLiteral("NOM")));
        static_cast<TQueryDestinationItem*>(step->Destinations()->FindByName(QStringLiteral("Texte")))->SetFileName(QStringLiteral("VILLES"));
        q->SaveToFile(Path(QStringLiteral("VILLES.MQR")));
        q->Free();
        ShutdownEngine();
        RootDirOverride.clear();
    }
    const Outcome o = Run({QStringLiteral("/EXE"), Path(QStringLiteral("VILLES.MQR"))});
    EXPECT_EQ(o.status, 2) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(u"Accès à EXEMPLE_ACCES.MDD : le modèle demande un nom d'utilisateur")) << o.err.toStdString();
    EXPECT_FALSE(o.err.contains(u"Impression terminée."));
    EXPECT_TRUE(OutFiles().isEmpty());
}

TEST_F(Morv32Test, WithoutAQueryItSaysWhyAndFails)
{
    struct Case {
        QStringList args;
        const char* says;
    };
    const Case cases[] = {
        {{QStringLiteral("/EXE")}, "/EXE"},
        {{QStringLiteral("/EXE"), QStringLiteral("absente.MQR")}, "absente.MQR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const Outcome o = Run(c.args);
        EXPECT_EQ(o.status, 1) << o.err.toStdString();
        EXPECT_TRUE(o.err.contains(QString::fromUtf8(c.says))) << o.err.toStdString();
        EXPECT_FALSE(o.err.contains(u"Impression terminée."));
    }
    EXPECT_TRUE(OutFiles().isEmpty());
}

// What is not a query file of a bounded size is refused before it is read:
// a pipe nobody writes to, a device that never ends, a sparse file of
// 3 GB. Each says why with status 1; none waits or runs out of memory.
TEST_F(Morv32Test, APipeADeviceOrAHugeFileIsRefusedWithoutBeingRead)
{
    const QString fifo = Path(QStringLiteral("TUBE.MQR"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString big = Path(QStringLiteral("GROS.MQR"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(3) << 30));
    }
    // A small file whose header says its stream holds 3 GB.
    QByteArray claims = mxtest::ReadAll(mxtest::SampleFile(QStringLiteral("CLIENTS.MQR")));
    ScrambleFileBytes(claims);
    const qsizetype sizeAt = claims.indexOf('\0', 3) + 3;
    qToLittleEndian<quint32>(quint32(3) << 30, claims.data() + sizeAt);
    ScrambleFileBytes(claims);
    const QString half = Path(QStringLiteral("ANNONCE.MQR"));
    mxtest::WriteAll(half, claims);
    struct Case {
        QString file;
        const char* says;
    };
    const Case cases[] = {
        {fifo, "pas un fichier ordinaire"},
        {QStringLiteral("/dev/zero"), "pas un fichier ordinaire"},
        {big, "3221225472 octets"},
        {half, "The header gives a stream of 3221225472 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const Outcome o = Run({QStringLiteral("/EXE"), c.file});
        EXPECT_EQ(o.status, 1) << o.err.toStdString();
        EXPECT_TRUE(o.err.contains(c.file)) << o.err.toStdString();
        EXPECT_TRUE(o.err.contains(QString::fromUtf8(c.says))) << o.err.toStdString();
        EXPECT_FALSE(o.err.contains(u"Impression terminée."));
    }
    EXPECT_TRUE(OutFiles().isEmpty());
}

// A new user has no PrivateQueryPath: the outputs named without a folder go
// beside the query file, and the chained step reads its input there,
// whatever folder the program is started from.
TEST_F(Morv32Test, WithoutAPrivateFolderTheResultsGoBesideTheQueryAndTheChainedStepFindsThem)
{
    QFile::remove(Path(QStringLiteral("settings/MORVELIN.INI")));
    QDir(m_dir.path()).mkpath(QStringLiteral("requetes"));
    for (const char* name : {"CLIENTS_FIDELES.MQR", "EXEMPLE.MDD"})
        ASSERT_TRUE(QFile::copy(mxtest::SampleFile(QString::fromLatin1(name)), Path(QStringLiteral("requetes/") + QString::fromLatin1(name))));

    const Outcome o = Run({QStringLiteral("/EXE"), Path(QStringLiteral("requetes/CLIENTS_FIDELES.MQR"))});
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(u"Impression terminée.")) << o.err.toStdString();
    const QStringList beside = QDir(Path(QStringLiteral("requetes"))).entryList(QDir::Files, QDir::Name);
    EXPECT_TRUE(beside.contains(QStringLiteral("QUANTITES_PAR_CLIENT.DB"))) << beside.join(u' ').toStdString();
    ASSERT_TRUE(beside.contains(QStringLiteral("CLIENTS_FIDELES.TXT"))) << beside.join(u' ').toStdString();
    const QStringList lines
        = QString::fromLatin1(mxtest::ReadAll(Path(QStringLiteral("requetes/CLIENTS_FIDELES.TXT")))).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 38);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList()) << "nothing in the folder the program started from";
}

// A query that cannot run as its author meant fails (1); only a cancel is 2.
TEST_F(Morv32Test, AnEmptyQueryOrAStepWithoutFieldsFailsWithStatusOne)
{
    {
        const QString root = mxtest::BinDir();
        RootDirOverride.set([root] { return root; });
        new TMxQueryGlobal(nullptr);
        LoadDefinitionFile(DestinationTypes(), QStringLiteral("BDEDST32.MXF"));
        LoadDefinitionFile(Datasources(), QStringLiteral("BDEDRIV.MXF"));
        QFile::copy(mxtest::SampleFile(QStringLiteral("EXEMPLE.MDD")), Path(QStringLiteral("EXEMPLE.MDD")));
        for (bool withStep : {false, true}) {
            auto* model = new TMxDataModel(nullptr);
            model->LoadFromFile(Path(QStringLiteral("EXEMPLE.MDD")));
            auto* q = new TMxQuery(nullptr);
            q->SetDataModel(model, true);
            q->SetDomId(1);
            if (withStep) {
                TMxQueryStep* step = q->AddStep();
                TMxTable* villes = step->DataModel()->Tables()->FindById(1);
                step->AddFields(villes->Entities()->Items(0), villes->Fields()->FindField(QStringLiteral("NOM")));
                step->AllFields()->Items(0)->SetChecked(false);
                static_cast<TQueryDestinationItem*>(step->Destinations()->FindByName(QStringLiteral("Texte")))
                    ->SetFileName(QStringLiteral("VILLES"));
            }
            q->SaveToFile(Path(withStep ? QStringLiteral("SANSCHAMP.MQR") : QStringLiteral("VIDE.MQR")));
            q->Free();
        }
        ShutdownEngine();
        RootDirOverride.clear();
    }
    struct Case {
        const char* file;
        const char* says;
    };
    for (const Case& c : {Case{"VIDE.MQR", "La requête est vide"}, Case{"SANSCHAMP.MQR", "Aucun champ n'est sélectionné"}}) {
        SCOPED_TRACE(c.file);
        const Outcome o = Run({QStringLiteral("/EXE"), Path(QString::fromLatin1(c.file))});
        EXPECT_EQ(o.status, 1) << o.err.toStdString();
        EXPECT_TRUE(o.err.contains(QString::fromUtf8(c.says))) << o.err.toStdString();
        EXPECT_FALSE(o.err.contains(u"Impression terminée."));
    }
    EXPECT_TRUE(OutFiles().isEmpty());
}

// A query of the test's over the sample model: every client's name and
// first name, written to a text file and printed by the step's report,
// which nobody designed (so the default report of the result prints).
QString WriteClientListQuery(const QString& path)
{
    const QString root = mxtest::BinDir();
    RootDirOverride.set([root] { return root; });
    new TMxQueryGlobal(nullptr);
    LoadDefinitionFile(DestinationTypes(), QStringLiteral("BDEDST32.MXF"));
    LoadDefinitionFile(Datasources(), QStringLiteral("BDEDRIV.MXF"));
    auto* model = new TMxDataModel(nullptr);
    model->LoadFromFile(mxtest::SampleFile(QStringLiteral("EXEMPLE.MDD")));
    auto* q = new TMxQuery(nullptr);
    q->SetDataModel(model, true);
    q->SetDomId(1);
    TMxQueryStep* step = q->AddStep();
    TMxTable* clients = step->DataModel()->Tables()->FindById(2);
    for (const char* f : {"NOM", "PRENOM"})
        step->AddFields(clients->Entities()->Items(0), clients->Fields()->FindField(QString::fromLatin1(f)));
    for (const char* type : {"Texte", "Rapport"})
        static_cast<TQueryDestinationItem*>(step->Destinations()->FindByName(QString::fromLatin1(type)))
            ->SetFileName(QStringLiteral("LISTE_CLIENTS"));
    q->SaveToFile(path);
    q->Free();
    ShutdownEngine();
    RootDirOverride.clear();
    return path;
}

TEST_F(Morv32Test, TheSampleQueryWritesItsReportAsAPdfBesideItsTextFile)
{
    const Outcome o = Run({QStringLiteral("/EXE"), mxtest::SampleFile(QStringLiteral("VENTES_PAR_PRODUIT.MQR"))});
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    const QString pdf = QDir(Out()).filePath(QStringLiteral("VENTES_PAR_PRODUIT.PDF"));
    ASSERT_TRUE(QFileInfo::exists(pdf)) << OutFiles().join(u' ').toStdString();
    EXPECT_TRUE(OutFiles().contains(QStringLiteral("VENTES_PAR_PRODUIT.TXT")));
    const qsizetype said = o.err.indexOf(QStringLiteral("Ventes par produit : rapport écrit dans %1 (1 page).").arg(pdf));
    EXPECT_GE(said, 0) << o.err.toStdString();
    EXPECT_GT(o.err.indexOf(u"Impression terminée."), said) << "said once every report was printed";
    const rtest::PdfInfo info = rtest::ReadPdfInfo(pdf);
    EXPECT_EQ(info.pages, 1);
    EXPECT_EQ(info.title, QStringLiteral("Ventes par produit"));
    const QString text = rtest::PdfPageText(pdf, 1);
    for (const char* s : {"Famille", "Libellé", "Quantité vendue", "Ramette papier A4 80 g"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(s))) << s << "\n" << text.toStdString();
}

// What the program loads: a run nobody watches that prints no report of
// ours starts without the GUI libraries (or the local server's network
// library); one that prints loads the program's windows and draws.
TEST_F(Morv32Test, AnUnattendedRunLoadsTheGuiLibrariesOnlyToPrintAReport)
{
    struct Case {
        const char* query;
        bool drawn;
    };
    for (const Case c : {Case{"CLIENTS.MQR", false}, Case{"VENTES_PAR_PRODUIT.MQR", true}}) {
        const QString trace = Path(QStringLiteral("loaded-%1").arg(QString::fromLatin1(c.query)));
        const Outcome o = Run({QStringLiteral("/EXE"), mxtest::SampleFile(QString::fromLatin1(c.query))},
            {QStringLiteral("LD_DEBUG=files"), QStringLiteral("LD_DEBUG_OUTPUT=") + trace});
        EXPECT_EQ(o.status, 0) << c.query << "\n" << o.err.toStdString();
        QString loaded;
        for (const QFileInfo& f : QDir(m_dir.path()).entryInfoList({QFileInfo(trace).fileName() + QStringLiteral(".*")}, QDir::Files))
            loaded += QString::fromUtf8(mxtest::ReadAll(f.filePath()));
        ASSERT_TRUE(loaded.contains(u"libmorvelin_engine")) << c.query << ": no trace of the loader";
        for (const char* library : {"libQt6Gui", "libQt6Widgets", "libQt6Network", "libmorvelin_querywindows"})
            EXPECT_EQ(loaded.contains(QString::fromLatin1(library)), c.drawn) << c.query << " " << library;
    }
}

TEST_F(Morv32Test, AReportOfManyPagesGoesWhereTheVariableSays)
{
    const QString query = WriteClientListQuery(Path(QStringLiteral("LISTE.MQR")));
    QDir(m_dir.path()).mkpath(QStringLiteral("pdf"));
    const Outcome o = Run({QStringLiteral("/EXE"), query}, {QStringLiteral("MORVELIN_PRINT_PDF=") + Path(QStringLiteral("pdf"))});
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(u"Impression terminée.")) << o.err.toStdString();
    EXPECT_EQ(OutFiles(), (QStringList{QStringLiteral("LISTE_CLIENTS.SCH"), QStringLiteral("LISTE_CLIENTS.TXT")})) << "the PDF is not beside the text file";
    const QString pdf = Path(QStringLiteral("pdf/LISTE_CLIENTS.PDF"));
    // 500 clients; the default report holds 48 records a page on A4
    // (detail band 20 pixels, header and footer 40, margins 10 mm)
    EXPECT_EQ(rtest::ReadPdfInfo(pdf).pages, 11);
    EXPECT_TRUE(o.err.contains(QStringLiteral("rapport écrit dans %1 (11 pages).").arg(pdf))) << o.err.toStdString();
}

TEST_F(Morv32Test, AReportThatCannotBeWrittenFailsTheRunAndSaysWhy)
{
    const QString query = WriteClientListQuery(Path(QStringLiteral("LISTE.MQR")));
    const QString missing = Path(QStringLiteral("absent"));
    const Outcome o = Run({QStringLiteral("/EXE"), query}, {QStringLiteral("MORVELIN_PRINT_PDF=") + missing});
    EXPECT_EQ(o.status, 1) << o.err.toStdString();
    EXPECT_FALSE(o.err.contains(u"Impression terminée.")) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(QStringLiteral("le rapport LISTE_CLIENTS n'a pas été imprimé : Le dossier %1 n'existe pas").arg(missing)))
        << o.err.toStdString();
    EXPECT_EQ(OutFiles(), (QStringList{QStringLiteral("LISTE_CLIENTS.SCH"), QStringLiteral("LISTE_CLIENTS.TXT")})) << "the other outputs are still written";
    EXPECT_FALSE(QFileInfo::exists(missing));
}

// An installation missing a definition file: the start-up says which, once,
// and the program ends with a failure status, whatever was asked of it.
TEST_F(Morv32Test, AStartUpThatFailsEndsWithAFailureStatus)
{
    const QDir bin(mxtest::BinDir());
    const QString install = Path(QStringLiteral("install"));
    QDir().mkpath(install);
    for (const QString& f : bin.entryList({QStringLiteral("morv32"), QStringLiteral("*.so*"), QStringLiteral("*.MXF"), QStringLiteral("*.INI")}, QDir::Files))
        if (f != u"FLDTYPES.MXF")
            ASSERT_TRUE(QFile::copy(bin.filePath(f), QDir(install).filePath(f))) << f.toStdString();
    QFile::setPermissions(QDir(install).filePath(QStringLiteral("morv32")), QFile::permissions(bin.filePath(QStringLiteral("morv32"))));
    for (const QStringList& args : {QStringList{QStringLiteral("/EXE"), mxtest::SampleFile(QStringLiteral("CLIENTS.MQR"))}, QStringList{}}) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("MORVELIN_WINDIR"), Path(QStringLiteral("settings")));
        // No registry: the copy's own folder is the only installation.
        env.insert(QStringLiteral("MORVELIN_REGISTRY"), Path(QStringLiteral("registry.ini")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(m_dir.path());
        p.start(QDir(install).filePath(QStringLiteral("morv32")), args);
        ASSERT_TRUE(p.waitForFinished(60000)) << "morv32 waits for something";
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 1) << err.toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("FLDTYPES.MXF"))) << err.toStdString();
        EXPECT_EQ(err.trimmed().count(u'\n'), 0) << "one message: " << err.toStdString();
        EXPECT_FALSE(err.contains(u"Impression terminée."));
    }
}

// Runs of one user at the same time (as cron jobs of the same minute)
// share the user's report runtime; each prints its own report, with its
// own title, into its own folder, and says so only then.
TEST_F(Morv32Test, ConcurrentRunsEachPrintTheirOwnReport)
{
    constexpr int runs = 4;
    const QByteArray sampleReport = mxtest::ReadAll(mxtest::SampleFile(QStringLiteral("VENTES_PAR_PRODUIT.rpt")));
    ASSERT_TRUE(sampleReport.contains("Title=Ventes par produit"));
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < runs; ++i) {
        const QString folder = Path(QStringLiteral("passage%1").arg(i));
        QDir().mkpath(folder + QStringLiteral("/settings"));
        QDir().mkpath(folder + QStringLiteral("/out"));
        mxtest::WriteAll(folder + QStringLiteral("/settings/MORVELIN.INI"),
            QStringLiteral("[Options]\nPrivateQueryPath=%1/out/\n").arg(folder).toUtf8());
        for (const char* f : {"VENTES_PAR_PRODUIT.MQR", "EXEMPLE.MDD"})
            ASSERT_TRUE(QFile::copy(mxtest::SampleFile(QString::fromLatin1(f)), folder + u'/' + QString::fromLatin1(f)));
        QByteArray report = sampleReport;
        report.replace("Title=Ventes par produit", "Title=Passage " + QByteArray::number(i));
        mxtest::WriteAll(folder + QStringLiteral("/VENTES_PAR_PRODUIT.rpt"), report);

        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "MORVELIN_PRINT_PDF"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("MORVELIN_WINDIR"), folder + QStringLiteral("/settings"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path()); // one runtime for all
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(folder);
        processes.push_back(std::move(p));
    }
    for (int i = 0; i < runs; ++i)
        processes[i]->start(QDir(mxtest::BinDir()).filePath(QStringLiteral("morv32")),
            {QStringLiteral("/EXE"), Path(QStringLiteral("passage%1/VENTES_PAR_PRODUIT.MQR").arg(i))});
    for (int i = 0; i < runs; ++i) {
        SCOPED_TRACE(i);
        QProcess& p = *processes[i];
        ASSERT_TRUE(p.waitForFinished(180000)) << "the run waits for something";
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
        EXPECT_TRUE(err.contains(u"Impression terminée.")) << err.toStdString();
        const QString pdf = Path(QStringLiteral("passage%1/out/RAPPORT_VENTES.pdf").arg(i));
        ASSERT_TRUE(QFileInfo::exists(pdf)) << QDir(QFileInfo(pdf).path()).entryList(QDir::Files).join(u' ').toStdString();
        const QString text = PdfText(pdf);
        EXPECT_TRUE(text.contains(QStringLiteral("Passage %1 (toutes les commandes)").arg(i))) << text.left(200).toStdString();
        for (int j = 0; j < runs; ++j)
            if (j != i)
                EXPECT_FALSE(text.contains(QStringLiteral("Passage %1 ").arg(j))) << "another run's report";
    }
}
