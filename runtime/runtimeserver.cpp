#include "runtimeserver.h"

#include "previewwindow.h"
#include "reportlayout.h"

#include "report/pagemodel.h"

#include "platform/reportlink/dataclient.h"

#include "engine/core/escape.h"
#include "engine/core/exceptions.h"
#include "engine/errors/errorhandler.h"
#include "ui/services/guarded.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <exception>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morvrs {

namespace rs = platform::rs;

namespace {

enum ErrorNumber { errReport = 10, errData = 11, errPrint = 12, errNotLoaded = 13, errCommand = 14, errFailure = 15 };

QStringList ok(const QString& value = {})
{
    return value.isEmpty() ? QStringList {QStringLiteral("OK")} : QStringList {QStringLiteral("OK"), value};
}

QStringList err(int number, const QString& text)
{
    return {QStringLiteral("ERR"), QString::number(number), text};
}

bool headless()
{
    const QString name = QGuiApplication::platformName();
    return name == u"offscreen" || name == u"minimal";
}

// The runtime's own messages on standard error: what comes from a report
// file (its paths, its texts) is shown with its control characters escaped,
// as the program shows them.
void say(const QString& text)
{
    std::fprintf(stderr, "morvrs: %s\n", mx::EscapeControls(text).toLocal8Bit().constData());
}

// The channel each kind reads through, so that the runtime and the full
// program never meet on one.
int channelOf(bool design)
{
    return design ? 5 : 0;
}

} // namespace

RuntimeServer::RuntimeServer(bool design, bool shown) : m_design(design), m_shown(shown)
{
    m_readData = [this](qint64 pid, const ReportFile& report, int maxRecords, ReportData* data, QString* error) {
        return readFromProgram(pid, report, maxRecords, data, error);
    };
}

RuntimeServer::~RuntimeServer()
{
    for (auto& [fd, c] : m_connections) {
        delete c->notifier;
        ::close(fd);
    }
    stopListening();
    if (m_lockFd >= 0)
        ::close(m_lockFd); // after the socket is gone: the next runtime may take it now
}

void RuntimeServer::stopListening()
{
    delete m_listener;
    m_listener = nullptr;
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        // Ours to remove: nobody binds there while this runtime holds the lock.
        ::unlink(QFile::encodeName(m_path).constData());
    }
    m_listenFd = -1;
}

QString RuntimeServer::kind() const
{
    return QString::fromLatin1(m_design ? rs::kFullKind : rs::kRuntimeKind);
}

RuntimeServer::Listening RuntimeServer::listen(QString* error)
{
    m_path = rs::socketPath(kind(), error);
    if (m_path.isEmpty())
        return Failed;
    const QString lockPath = m_path + QStringLiteral(".lock");
    m_lockFd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lockFd < 0) {
        *error = QStringLiteral("%1: %2").arg(lockPath, QString::fromLocal8Bit(std::strerror(errno)));
        return Failed;
    }
    // Another runtime holds the lock: it is starting, serving or ending.
    // Once it answers, it serves this user; when it ends instead, this one
    // takes its place.
    QElapsedTimer waited;
    waited.start();
    while (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            *error = QStringLiteral("%1: %2").arg(lockPath, QString::fromLocal8Bit(std::strerror(errno)));
            return Failed;
        }
        if (rs::socketAnswers(m_path))
            return Served;
        if (waited.elapsed() > kLockWaitMs) {
            *error = QStringLiteral("Another runtime holds %1 and does not answer").arg(lockPath);
            return Failed;
        }
        QThread::msleep(20);
    }
    m_listenFd = rs::listenSocket(m_path, error);
    if (m_listenFd < 0)
        return Failed;
    rs::DataClient::removeLeftovers();
    m_listener = new QSocketNotifier(m_listenFd, QSocketNotifier::Read);
    mx::ui::Connect(m_listener, &QSocketNotifier::activated, this, [this] { accept(); });
    m_idle = new QTimer(this);
    m_idle->setSingleShot(true);
    mx::ui::Connect(m_idle, &QTimer::timeout, this, [this] {
        if (!programConnected()) {
            stopListening();
            QCoreApplication::quit();
        }
    });
    m_grace = new QTimer(this);
    m_grace->setSingleShot(true);
    mx::ui::Connect(m_grace, &QTimer::timeout, this, [this] { endIfUnused(); });
    endWhenIdle();
    return Listens;
}

bool RuntimeServer::programConnected() const
{
    for (const auto& [fd, c] : m_connections)
        if (c->program)
            return true;
    return false;
}

void RuntimeServer::endWhenIdle()
{
    if (headless())
        m_idle->start(kIdleMs);
}

void RuntimeServer::endIfUnused()
{
    if (programConnected())
        return; // the last of them to go looks again
    // A connection still open may be a program that has just found the
    // runtime and is about to call CONNECT: wait for it to say.
    if (!m_connections.empty()) {
        m_grace->start(kGraceMs);
        return;
    }
    stopListening();
    QCoreApplication::quit();
}

void RuntimeServer::accept()
{
    const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    auto c = std::make_unique<Connection>();
    c->fd = fd;
    c->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    Connection* raw = c.get();
    mx::ui::Connect(c->notifier, &QSocketNotifier::activated, this, [this, raw] { readFrom(raw); });
    m_connections[fd] = std::move(c);
}

void RuntimeServer::drop(Connection* c)
{
    const int fd = c->fd;
    const bool program = c->program;
    c->notifier->setEnabled(false);
    c->notifier->deleteLater();
    ::close(fd);
    m_connections.erase(fd);
    if (programConnected())
        return;
    bool waiting = false; // a connection that may still say CONNECT
    for (const auto& [other, oc] : m_connections)
        waiting = waiting || !oc->closed;
    if (m_endWhenUnused && !waiting) {
        stopListening();
        QCoreApplication::quit();
        return;
    }
    if ((program || m_endWhenUnused) && headless())
        m_grace->start(kGraceMs);
}

void RuntimeServer::readFrom(Connection* c)
{
    char chunk[4096];
    const ssize_t n = ::recv(c->fd, chunk, sizeof chunk, MSG_DONTWAIT);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        drop(c);
        return;
    }
    if (n > 0)
        c->buffer.append(chunk, n);
    if (c->buffer.pending() > 1024 * 1024) {
        drop(c); // no line is that long
        return;
    }
    QByteArray line;
    while (c->buffer.takeLine(&line)) {
        QStringList request;
        const QStringList reply
            = rs::decodeLine(line, &request) ? answerGuarded(c, request) : err(errCommand, QStringLiteral("Ligne mal formée"));
        if (!rs::sendAll(c->fd, rs::encodeLine(reply), 10000)) {
            drop(c);
            return;
        }
        if (m_ending) {
            stopListening();
            QCoreApplication::quit();
            return;
        }
    }
}

rs::DataClient* RuntimeServer::clientFor(qint64 pid, QString* error)
{
    auto it = m_clients.find(pid);
    if (it != m_clients.end())
        return it->second.get();
    auto client = rs::DataClient::connect(std::int32_t(pid), error);
    if (!client)
        return nullptr;
    client->setTimeout(40000);
    return (m_clients[pid] = std::move(client)).get();
}

QStringList RuntimeServer::answerGuarded(Connection* c, const QStringList& request)
{
    std::exception_ptr caught;
    try {
        return answer(c, request);
    } catch (...) {
        caught = std::current_exception();
    }
    // The caller hears why at once, rather than waiting for an answer that
    // never comes; the error handler is called from the event loop once the
    // answer is sent, as it may open a window.
    QString text;
    try {
        std::rethrow_exception(caught);
    } catch (const std::exception& e) {
        text = mx::ExceptionMessage(e);
    } catch (...) {
        text = QStringLiteral("Erreur inconnue");
    }
    QMetaObject::invokeMethod(this, [this, caught] { mx::HandleException(this, caught); }, Qt::QueuedConnection);
    return err(errFailure, QStringLiteral("%1 : %2").arg(request.value(0), text));
}

bool RuntimeServer::readFromProgram(qint64 pid, const ReportFile& report, int maxRecords, ReportData* data, QString* error)
{
    rs::DataClient* client = clientFor(pid, error);
    if (!client) {
        *error = QStringLiteral("Le programme %1 ne répond pas : %2").arg(pid).arg(*error);
        return false;
    }
    bool read = false;
    try {
        read = readReportData(*client, report, maxRecords, channelOf(m_design), data, error);
    } catch (...) {
        m_clients.erase(pid); // its channel may be left half read
        throw;
    }
    // The program may be gone: the next load looks again.
    if (!read)
        m_clients.erase(pid);
    return read;
}

QStringList RuntimeServer::answer(Connection* c, const QStringList& request)
{
    const QString command = request.value(0);
    if (command == u"CONNECT") {
        c->program = true;
        c->closed = false;
        m_endWhenUnused = false;
        m_grace->stop();
        return ok(QString::number(getpid()));
    }
    if (command == u"LIMIT") {
        bool isNumber = false;
        const int n = request.value(1).toInt(&isNumber);
        if (!isNumber || n < 0)
            return err(errCommand, QStringLiteral("Limite invalide"));
        c->maxRecords = n;
        return ok();
    }
    if (command == u"LOAD")
        return load(c, request.value(1), request.value(2), request.value(5));
    if (command == u"PRINT")
        return print(c, request.value(1).toInt(), request.value(2).toInt(), std::max(1, request.value(6).toInt()));
    if (command == u"CLOSE") {
        // Other programs still use the runtime: only the caller's report
        // goes, and the caller no longer counts as one of them.
        c->loaded.reset();
        c->program = false;
        c->closed = true;
        // A connection that has said neither CONNECT nor CLOSE counts: it
        // may be a program that found the runtime a moment ago.
        bool others = false;
        for (const auto& [fd, other] : m_connections)
            others = others || (other.get() != c && (other->program || !other->closed));
        m_ending = !others;
        m_endWhenUnused = others && !programConnected();
        return ok();
    }
    return err(errCommand, QStringLiteral("Commande inconnue : %1").arg(command));
}

QStringList RuntimeServer::load(Connection* c, const QString& file, const QString& initialValues, const QString& outputFolder)
{
    // A failed load leaves nothing loaded: a PRINT after it never prints
    // what this connection loaded before.
    c->loaded.reset();
    Loaded loaded;
    QString error;
    if (!loaded.report.load(file, &error, outputFolder))
        return err(errReport, error);
    QList<QPair<QString, QString>> values;
    qint64 pid = 0;
    if (!parseInitialValues(initialValues, &values, &pid, &error))
        return err(errReport, error);
    QString unknown;
    if (!loaded.report.setVariables(values, &unknown))
        return err(errReport, QStringLiteral("%1 : le rapport n'a pas de variable %2.").arg(file, unknown));
    ReportData data;
    if (!m_readData(pid, loaded.report, c->maxRecords, &data, &error))
        return err(errData, error);
    std::unique_ptr<mx::rpt::TReportDocument> document = layOutReport(loaded.report, data, &error);
    if (!document)
        return err(errReport, error);
    loaded.document = std::move(document);
    c->loaded = std::move(loaded);
    if (!headless()) {
        if (!m_window)
            m_window = std::make_unique<PreviewWindow>();
        m_window->showReport(c->loaded->report.expandedTitle(), c->loaded->document);
        if (m_shown)
            m_window->showNormal();
        else
            m_window->showMinimized();
    }
    return ok();
}

QStringList RuntimeServer::print(Connection* c, int first, int last, int copies)
{
    if (!c->loaded)
        return err(errNotLoaded, QStringLiteral("Aucun rapport n'est chargé."));
    const Loaded& loaded = *c->loaded;
    const ReportFile& report = loaded.report;
    QString error;
    const QPrinterInfo printer = report.toPdf ? QPrinterInfo() : QPrinterInfo::defaultPrinter();
    if (printer.isNull()) {
        if (!report.toPdf)
            say(QStringLiteral("pas d'imprimante : le rapport est écrit dans %1").arg(report.pdfFile));
        int pages = 0;
        if (!writeReportPdf(*loaded.document, report.pdfFile, first, last, &error, &pages))
            return err(errPrint, error);
        // The program says where its report went and checks the file.
        return {QStringLiteral("OK"), QStringLiteral("pdf"), QFileInfo(report.pdfFile).absoluteFilePath(), QString::number(pages)};
    }
    QPrinter device(printer, QPrinter::HighResolution);
    device.setCopyCount(copies);
    device.setDocName(report.expandedTitle());
    if (!printReport(*loaded.document, device, first, last, &error))
        return err(errPrint, error);
    return {QStringLiteral("OK"), QStringLiteral("printer"), printer.printerName()};
}

} // namespace morvrs
