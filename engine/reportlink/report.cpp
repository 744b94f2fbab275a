#include "report.h"

#include "reportmanager.h"

#include "engine/core/exceptions.h"
#include "engine/driver/dataset.h"
#include "engine/driver/rootdir.h"
#include "engine/core/translate.h"
#include "engine/tools/installation.h"

#include "platform/core/registry.h"
#include "platform/reportlink/rendezvous.h"
#include "platform/reportlink/rsapi.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace mx {

namespace rs = platform::rs;

namespace {

int g_launchTimeoutMs = 15000;

// How many times a runtime that ends while it is being connected is looked
// for again.
constexpr int kConnectAttempts = 3;

constexpr qsizetype kMaxInitialLine = 255;
constexpr qsizetype kMaxInitialValues = 65520;

QString programTitle(bool runTime)
{
    return QString::fromLatin1(runTime ? rs::kRuntimeKind : rs::kFullKind);
}

QString busyText()
{
    return Translate(QStringLiteral("Le moteur de rapports est occupé par une autre demande."));
}

} // namespace

TReport::TReport()
{
    ReportManager()->Register(this);
}

TReport::~TReport()
{
    if (!m_managerGone)
        if (TReportManager* m = ExistingReportManager())
            m->Unregister(this);
    if (m_useRunTime && m_started) {
        try {
            closeEngine();
        } catch (...) {
        }
    }
}

void TReport::SetLaunchTimeout(int ms)
{
    g_launchTimeoutMs = ms;
}

int TReport::LaunchTimeout()
{
    return g_launchTimeoutMs;
}

QString TReport::RuntimeFolder()
{
    const QString dir = platform::registry::readString(QString::fromLatin1(kRootDirKey), QStringLiteral("ReportRuntimeDir"));
    return IncludeBackslash(dir.isEmpty() ? DriverRootDir() : dir);
}

QString TReport::RuntimeProgram()
{
    return RuntimeFolder() + QStringLiteral("morvrs");
}

bool TReport::OfferDataset(const QString& name, TIMxDataset* dataset)
{
    std::unique_ptr<TIMxRowCursor> rows = dataset ? dataset->CreateRowCursor() : nullptr;
    if (!rows)
        return false;
    m_datasets.push_back({name, std::shared_ptr<const TIMxRowCursor>(std::move(rows))});
    return true;
}

QString TReport::ReportFileName() const
{
    if (m_reportName.isEmpty())
        return {};
    QString name = m_reportName;
    if (!name.contains(u'.'))
        name += QStringLiteral(".rpt");
    return IncludeBackslash(m_reportDir) + name;
}

QString TReport::InitialValuesText(const QStringList& lines, std::int64_t pid)
{
    QString text = QStringLiteral("\"");
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.toUtf8().size() > kMaxInitialLine)
            throw EMxException(TranslateFmt(QStringLiteral("La valeur initiale « %s » dépasse 255 caractères."), {line}));
        text += line;
        if (i + 1 < lines.size() && line.contains(u'>'))
            text += QStringLiteral(", ");
    }
    text += QStringLiteral("\",\"#") + QString::number(pid, 16) + u'"';
    if (text.toUtf8().size() > kMaxInitialValues)
        throw EMxException(Translate(QStringLiteral("Les valeurs initiales du rapport dépassent 65 520 caractères.")));
    return text;
}

void TReport::noteApiResult(int result)
{
    if (result != 0)
        m_lastApiError = rs::RsApi::instance().lastError();
    if (result == rs::RsApi::kGone || result == rs::RsApi::kTimedOut) {
        // The runtime has ended (or is lost): what it had open is let go.
        m_found = false;
        m_started = false;
        if (TReportManager* m = ExistingReportManager())
            m->ReleaseChannels();
    }
}

bool TReport::connect()
{
    rs::RsApi& api = rs::RsApi::instance();
    const bool connected = m_found && api.isPresent() && api.kind() == (m_useRunTime ? rs::RsApi::kRunTime : rs::RsApi::kFullProgram);
    if (connected || api.isBusy())
        return !api.isBusy();
    const QString title = programTitle(m_useRunTime);
    // A runtime found may end before it is connected (its last program has
    // just gone): it is looked for, or started, again.
    for (int attempt = 1;; ++attempt) {
        m_found = rs::RsApi::findRuntime(title);
        if (!m_found) {
            const QString program = RuntimeProgram();
            const QString cannotStart = m_useRunTime
                ? TranslateFmt(QStringLiteral("Impossible de lancer le moteur d'exécution des rapports %s."), {program})
                : TranslateFmt(QStringLiteral("Impossible de lancer le générateur de rapports %s."), {program});
            QStringList args;
            if (!m_useRunTime)
                args << QStringLiteral("-design");
            else if (!m_preview)
                args << QStringLiteral("-minimized");
            std::int64_t pid = 0;
            QString error;
            if (!QFileInfo(program).isExecutable() || !rs::RsApi::launch(program, args, &pid, &error))
                throw EMxException(cannotStart);
            const bool ready = rs::RsApi::waitUntilReady(title, pid, g_launchTimeoutMs);
            m_started = true;
            m_found = ready && rs::RsApi::findRuntime(title);
            if (!m_found) {
                m_started = false;
                throw EMxException(cannotStart);
            }
        }
        api.initiate(m_useRunTime ? rs::RsApi::kRunTime : rs::RsApi::kFullProgram);
        const int r = api.connect(&m_connection, 0);
        if (r != 0) {
            const bool ended = r == rs::RsApi::kGone || r == rs::RsApi::kNotConnected;
            m_found = false;
            if (ended && attempt < kConnectAttempts) {
                api.disconnect();
                m_started = false;
                if (TReportManager* m = ExistingReportManager())
                    m->ReleaseChannels(); // what the runtime that ended had open
                continue;
            }
            noteApiResult(r);
            throw EMxException(TranslateFmt(QStringLiteral("Impossible de se connecter à %s : %s"), {title, api.lastError()}));
        }
        if (m_connection == 0) {
            if (m_started)
                api.closeRS(0);
            m_started = false;
            m_found = false;
            throw EMxException(TranslateFmt(QStringLiteral("Aucune connexion avec %s."), {title}));
        }
        return !api.isBusy();
    }
}

bool TReport::CheckPrinted(const QStringList& answer, std::int64_t sinceMs, QString* why)
{
    if (answer.value(0) == u"printer" && !answer.value(1).isEmpty())
        return true; // handed to a printer: nothing this program can read back
    if (answer.value(0) != u"pdf" || answer.value(1).isEmpty()) {
        *why = Translate(QStringLiteral("Le moteur de rapports n'a pas dit où le rapport a été imprimé."));
        return false;
    }
    const QString file = answer.value(1);
    struct stat st {};
    if (::stat(QFile::encodeName(file).constData(), &st) != 0) {
        *why = TranslateFmt(QStringLiteral("Le moteur de rapports dit avoir écrit %s, qui n'existe pas."), {file});
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        *why = TranslateFmt(QStringLiteral("Le moteur de rapports dit avoir écrit %s, qui n'est pas un fichier."), {file});
        return false;
    }
    // The file's time counts whole seconds on some file systems.
    const std::int64_t written = std::int64_t(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    QFile pdf(file);
    bool whole = written + 2000 >= sinceMs && st.st_size >= 16 && pdf.open(QIODevice::ReadOnly);
    if (whole) {
        const QByteArray head = pdf.read(5);
        const qint64 tailSize = std::min<qint64>(st.st_size, 1024);
        whole = head == "%PDF-" && pdf.seek(st.st_size - tailSize);
        const QByteArray tail = whole ? pdf.read(tailSize) : QByteArray();
        whole = whole && tail.trimmed().endsWith("%%EOF");
    }
    if (!whole) {
        *why = written + 2000 < sinceMs
            ? TranslateFmt(QStringLiteral("Le moteur de rapports dit avoir écrit %s, qui n'a pas été écrit par cette impression."), {file})
            : TranslateFmt(QStringLiteral("Le moteur de rapports dit avoir écrit %s, qui n'est pas un PDF entier."), {file});
        return false;
    }
    return true;
}

int TReport::Run()
{
    m_lastApiError.clear();
    m_printedPdf.clear();
    m_printedPages = 0;
    TReportManager* manager = ReportManager();
    QString error;
    if (!manager->StartServer(&error))
        throw EMxException(
            TranslateFmt(QStringLiteral("Le serveur de données des rapports n'a pas pu démarrer : %s"), {error}));
    if (!connect()) {
        m_lastApiError = busyText();
        return 1;
    }
    rs::RsApi& api = rs::RsApi::instance();
    int result = api.setRecordLimit(m_maxRecords);
    noteApiResult(result);
    if (result != 0)
        return result;

    const QString file = ReportFileName();
    if (file.isEmpty())
        return 0;
    if (!QFileInfo(file).isFile())
        throw EMxException(TranslateFmt(QStringLiteral("Rapport %s introuvable."), {file}));
    const QString values = InitialValuesText(m_initialValues, std::int64_t(getpid()));

    result = api.loadReport(QFileInfo(file).absoluteFilePath(), values, 0, -1, m_outputFolder);
    noteApiResult(result);
    if (result == 0 && m_useRunTime && !m_preview) {
        if (!connect()) {
            m_lastApiError = busyText();
            return 1;
        }
        const std::int64_t since = QDateTime::currentMSecsSinceEpoch();
        result = api.printReport(m_startPage, m_endPage, 0, 0, 0, m_printCopies);
        noteApiResult(result);
        // Told it printed: the report it wrote is checked before the run
        // says so.
        QString why;
        if (result == 0 && !CheckPrinted(api.lastAnswer(), since, &why)) {
            m_lastApiError = why;
            result = rs::RsApi::kBadAnswer;
        } else if (result == 0) {
            m_printedPdf = api.printedPdf();
            m_printedPages = api.printedPages();
        }
    }
    if (m_useRunTime && m_started && m_autoUnload && !m_preview)
        closeEngine();
    return result;
}

void TReport::closeEngine()
{
    rs::RsApi& api = rs::RsApi::instance();
    if (api.isBusy())
        return;
    if (!m_found || !api.isPresent())
        return;
    if (api.closeRS(1) == 0) {
        m_started = false;
        m_found = false;
    }
}

} // namespace mx
