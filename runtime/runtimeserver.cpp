#include "runtimeserver.h"

#include "previewwindow.h"
#include "reportlayout.h"

#include <platform/report/pagemodel.h>

#include <platform/reportlink/dataclient.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>

#include <sys/socket.h>
#include <unistd.h>

namespace morvrs {

namespace rs = platform::rs;

namespace {

enum ErrorNumber { errReport = 10, errData = 11, errPrint = 12, errNotLoaded = 13, errCommand = 14 };

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

// The channel each kind reads through, so that the runtime and the full
// program never meet on one.
int channelOf(bool design)
{
    return design ? 5 : 0;
}

} // namespace

RuntimeServer::RuntimeServer(bool design, bool shown) : m_design(design), m_shown(shown) {}

RuntimeServer::~RuntimeServer()
{
    for (auto& [fd, c] : m_connections) {
        delete c->notifier;
        ::close(fd);
    }
    delete m_listener;
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        ::unlink(QFile::encodeName(m_path).constData());
    }
}

QString RuntimeServer::kind() const
{
    return QString::fromLatin1(m_design ? rs::kFullKind : rs::kRuntimeKind);
}

bool RuntimeServer::listen(QString* error)
{
    m_path = rs::socketPath(kind(), error);
    if (m_path.isEmpty())
        return false;
    m_listenFd = rs::listenSocket(m_path, error);
    if (m_listenFd < 0)
        return false;
    m_listener = new QSocketNotifier(m_listenFd, QSocketNotifier::Read);
    QObject::connect(m_listener, &QSocketNotifier::activated, this, [this] { accept(); });
    m_idle = new QTimer(this);
    m_idle->setSingleShot(true);
    QObject::connect(m_idle, &QTimer::timeout, this, [this] {
        if (!programConnected())
            QCoreApplication::quit();
    });
    endWhenIdle();
    return true;
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

void RuntimeServer::accept()
{
    const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    auto c = std::make_unique<Connection>();
    c->fd = fd;
    c->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    Connection* raw = c.get();
    QObject::connect(c->notifier, &QSocketNotifier::activated, this, [this, raw] { readFrom(raw); });
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
    if (program && !programConnected() && headless())
        QCoreApplication::quit();
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
            = rs::decodeLine(line, &request) ? answer(c, request) : err(errCommand, QStringLiteral("Ligne mal formée"));
        if (!rs::sendAll(c->fd, rs::encodeLine(reply), 10000)) {
            drop(c);
            return;
        }
        if (m_ending) {
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

QStringList RuntimeServer::answer(Connection* c, const QStringList& request)
{
    const QString command = request.value(0);
    if (command == u"CONNECT") {
        c->program = true;
        return ok(QString::number(getpid()));
    }
    if (command == u"LIMIT") {
        bool isNumber = false;
        const int n = request.value(1).toInt(&isNumber);
        if (!isNumber || n < 0)
            return err(errCommand, QStringLiteral("Limite invalide"));
        m_maxRecords = n;
        return ok();
    }
    if (command == u"LOAD")
        return load(request.value(1), request.value(2));
    if (command == u"PRINT")
        return print(request.value(1).toInt(), request.value(2).toInt(), std::max(1, request.value(6).toInt()));
    if (command == u"CLOSE") {
        m_ending = true;
        return ok();
    }
    return err(errCommand, QStringLiteral("Commande inconnue : %1").arg(command));
}

QStringList RuntimeServer::load(const QString& file, const QString& initialValues)
{
    Loaded loaded;
    QString error;
    if (!loaded.report.load(file, &error))
        return err(errReport, error);
    QList<QPair<QString, QString>> values;
    qint64 pid = 0;
    if (!parseInitialValues(initialValues, &values, &pid, &error))
        return err(errReport, error);
    for (const auto& [name, value] : values)
        if (!loaded.report.setVariable(name, value))
            return err(errReport, QStringLiteral("%1 : le rapport n'a pas de variable %2.").arg(file, name));
    rs::DataClient* client = clientFor(pid, &error);
    if (!client)
        return err(errData, QStringLiteral("Le programme %1 ne répond pas : %2").arg(pid).arg(error));
    ReportData data;
    if (!readReportData(*client, loaded.report, m_maxRecords, channelOf(m_design), &data, &error)) {
        // The program may be gone: the next load looks again.
        m_clients.erase(pid);
        return err(errData, error);
    }
    std::unique_ptr<mx::rpt::TReportDocument> document = layOutReport(loaded.report, data, &error);
    if (!document)
        return err(errReport, error);
    loaded.document = std::move(document);
    m_loaded = std::move(loaded);
    if (!headless()) {
        if (!m_window)
            m_window = std::make_unique<PreviewWindow>();
        m_window->showReport(m_loaded->report.expandedTitle(), m_loaded->document);
        if (m_shown)
            m_window->showNormal();
        else
            m_window->showMinimized();
    }
    return ok();
}

QStringList RuntimeServer::print(int first, int last, int copies)
{
    if (!m_loaded)
        return err(errNotLoaded, QStringLiteral("Aucun rapport n'est chargé."));
    const ReportFile& report = m_loaded->report;
    QString error;
    const QPrinterInfo printer = report.toPdf ? QPrinterInfo() : QPrinterInfo::defaultPrinter();
    if (printer.isNull()) {
        if (!report.toPdf)
            std::fprintf(stderr, "morvrs: %s\n",
                qPrintable(QStringLiteral("pas d'imprimante : le rapport est écrit dans %1").arg(report.pdfFile)));
        int pages = 0;
        if (!writeReportPdf(*m_loaded->document, report.pdfFile, first, last, &error, &pages))
            return err(errPrint, error);
        // the program says where its report went
        return {QStringLiteral("OK"), QStringLiteral("PDF"), QFileInfo(report.pdfFile).absoluteFilePath(), QString::number(pages)};
    }
    QPrinter device(printer, QPrinter::HighResolution);
    device.setCopyCount(copies);
    device.setDocName(report.expandedTitle());
    if (!printReport(*m_loaded->document, device, first, last, &error))
        return err(errPrint, error);
    return ok();
}

} // namespace morvrs
