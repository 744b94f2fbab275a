#include "reportmanager.h"

#include "report.h"
#include "uidispatcher.h"

#include "engine/core/exceptions.h"
#include "engine/driver/rowcursor.h"
#include "engine/core/translate.h"

#include "platform/reportlink/dataserver.h"
#include "platform/reportlink/ipc.h"
#include "platform/reportlink/record.h"
#include "platform/reportlink/rsapi.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstring>

namespace mx {

namespace rs = platform::rs;

namespace {

// How long one turn of a hand-over waits for the user-interface thread.
constexpr int kHandOverTurnMs = 100;

// A channel's mappings: at least one entry header, at most 64 MiB.
constexpr size_t kMinMapping = 1;
constexpr size_t kMaxMapping = 64u * 1024 * 1024;

// Places in a request's data area (see the request codes). Every request
// on an open channel starts with its handle, then the channel's number.
constexpr size_t kChannelAt = 4;
// Opening: the channel's number at +0, then the names of the two mappings
// and of the dataset; the answer puts the handle at +0, then the end flag
// and the number of fields.
constexpr size_t kFirstMappingAt = 4;
constexpr size_t kSecondMappingAt = kFirstMappingAt + rs::kMappingNameField;
constexpr size_t kDatasetAt = kSecondMappingAt + rs::kMappingNameField;
constexpr size_t kAtEndFlagAt = 4;
constexpr size_t kFieldCountAt = 8;
// A memo: the field's name after the channel, then the byte to start from.
constexpr size_t kMemoFieldAt = 8;
constexpr size_t kMemoOffsetAt = kMemoFieldAt + rs::kFieldNameField;

TReportManager* g_manager = nullptr;

QString channelNotAvailable()
{
    return Translate(QStringLiteral("Canal de données non disponible."));
}

QString unknownDataset()
{
    return Translate(QStringLiteral("Ensemble de données inconnu."));
}

QString recordTooLarge()
{
    return Translate(QStringLiteral("Enregistrement trop grand."));
}

QString badName()
{
    return Translate(QStringLiteral("Nom non terminé dans la requête."));
}

// A name of a fixed field; refused when it fills the field unterminated.
QString fixedName(const std::uint8_t* field, size_t size)
{
    QByteArray bytes;
    if (!rs::readFixedText(field, size, &bytes))
        throw EMxException(badName());
    return QString::fromUtf8(bytes);
}

// Writes names, each terminated, then one more zero, into the data area.
void writeNameList(std::uint8_t* data, const QList<QByteArray>& names)
{
    size_t at = 0;
    for (const QByteArray& name : names) {
        if (at + size_t(name.size()) + 2 > rs::kDataSize)
            throw EMxException(Translate(QStringLiteral("La liste ne tient pas dans la zone d'échange.")));
        std::memcpy(data + at, name.constData(), size_t(name.size()));
        at += size_t(name.size());
        data[at++] = 0;
    }
    data[at] = 0;
}

} // namespace

TReportManager::TReportManager()
{
    rs::RsApi::instance().registerWaitLoop([](int fd, int maxWaitMs) { return UiDispatcher().WaitLoop(fd, maxWaitMs); });
}

TReportManager::~TReportManager()
{
    StopServer();
    for (TReport* r : m_reports)
        r->ManagerGone();
}

void TReportManager::Register(TReport* report)
{
    if (std::find(m_reports.begin(), m_reports.end(), report) == m_reports.end())
        m_reports.push_back(report);
}

void TReportManager::Unregister(TReport* report)
{
    m_reports.erase(std::remove(m_reports.begin(), m_reports.end(), report), m_reports.end());
}

bool TReportManager::AnswersIdentify() const
{
    return !m_reports.empty() && m_reports.front()->InDesignState();
}

QStringList TReportManager::DatasetNames() const
{
    QStringList names;
    for (const TReport* r : m_reports)
        for (const TReportDataset& d : r->Datasets())
            if (!names.contains(d.name))
                names << d.name;
    return names;
}

std::shared_ptr<const TIMxRowCursor> TReportManager::findRows(const QString& name) const
{
    for (const TReport* r : m_reports)
        for (const TReportDataset& d : r->Datasets())
            if (d.name == name)
                return d.rows;
    return nullptr;
}

bool TReportManager::StartServer(QString* error)
{
    if (m_server)
        return true;
    m_notAnsweredText = Translate(QStringLiteral("Le programme n'a pas répondu à temps à la demande du moteur de rapports."));
    // Read on the server's thread: the text is fixed before it starts.
    m_server = rs::DataServer::start(
        [this](std::uint8_t* record, const std::atomic<bool>& stopping) {
            // Handed over in short turns, so that stopping the server never
            // waits for a user-interface thread that is busy stopping it: a
            // turn not taken in time is dropped and never runs.
            const std::function<void()> answer = [this, record] { Answer(record); };
            bool ran = false;
            QElapsedTimer waited;
            waited.start();
            const int timeout = m_handOverTimeoutMs;
            while (!ran && !stopping && waited.elapsed() < timeout)
                ran = UiDispatcher().Call(answer, int(std::min<qint64>(kHandOverTurnMs, timeout - waited.elapsed())));
            if (!ran) {
                SetLastError(m_notAnsweredText);
                rs::putI32(record + rs::kResultOffset, -1);
            }
        },
        // The first report's state is read on the user-interface thread.
        [this] {
            bool answers = false;
            UiDispatcher().Call([this, &answers] { answers = AnswersIdentify(); }, m_handOverTimeoutMs);
            return answers;
        },
        error);
    return bool(m_server);
}

void TReportManager::StopServer()
{
    m_server.reset();
    ReleaseChannels();
}

void TReportManager::release(Channel& c)
{
    c.first.reset();
    c.second.reset();
    c.cursor.reset();
    c.layout = TChannelLayout();
    c.handle = 0;
    c.onRow = false;
    c.recNo = 0;
}

void TReportManager::ReleaseChannels()
{
    for (Channel& c : m_channels)
        release(c);
}

const TIMxRowCursor* TReportManager::ChannelCursor(int channel) const
{
    return channel >= 0 && channel < rs::kChannelCount ? m_channels[size_t(channel)].cursor.get() : nullptr;
}

QString TReportManager::LastError() const
{
    std::lock_guard lock(m_errorMutex);
    return m_lastError;
}

void TReportManager::SetLastError(const QString& text)
{
    std::lock_guard lock(m_errorMutex);
    m_lastError = text;
}

TReportManager::Channel& TReportManager::channelOf(std::int32_t number)
{
    if (number < 0 || number >= rs::kChannelCount)
        throw EMxException(channelNotAvailable());
    return m_channels[size_t(number)];
}

TReportManager::Channel& TReportManager::openChannelOf(std::int32_t handle, std::int32_t number)
{
    if (handle == 0)
        throw EMxException(unknownDataset());
    Channel& c = channelOf(number);
    if (!c.cursor || c.handle != handle)
        throw EMxException(unknownDataset());
    return c;
}

void TReportManager::Answer(std::uint8_t* record)
{
    rs::putI32(record + rs::kResultOffset, 0);
    std::uint8_t* data = record + rs::kDataOffset;
    try {
        switch (rs::getI32(record + rs::kCodeOffset)) {
        case rs::rqOpen:
            answerOpen(data);
            break;
        case rs::rqClose:
            answerClose(data);
            break;
        case rs::rqLastError:
            rs::writeText(data, rs::kDataSize, LastError().toUtf8());
            break;
        case rs::rqDatasets:
            answerDatasets(data);
            break;
        case rs::rqFields:
            answerFields(data);
            break;
        case rs::rqNext:
            answerNext(data);
            break;
        case rs::rqMemo:
            answerMemo(data);
            break;
        default:
            throw EMxException(TranslateFmt(QStringLiteral("Requête %d inconnue."), {rs::getI32(record + rs::kCodeOffset)}));
        }
    } catch (const std::exception& e) {
        SetLastError(ExceptionMessage(e));
        rs::putI32(record + rs::kResultOffset, -1);
    } catch (...) {
        SetLastError(QStringLiteral("Unexpected error"));
        rs::putI32(record + rs::kResultOffset, -1);
    }
    // The runtime is alive and working: the call waiting for it may wait on.
    rs::RsApi::noteActivity();
}

void TReportManager::writeRecord(Channel& c)
{
    const size_t room = c.first->usableSize();
    if (c.layout.bytes > room)
        throw EMxException(recordTooLarge());
    WriteChannelRecord(c.layout, *c.cursor, c.onRow, c.recNo, c.first->data(), room);
}

void TReportManager::answerOpen(std::uint8_t* data)
{
    const std::int32_t number = rs::getI32(data);
    Channel& c = channelOf(number);
    const QString firstName = fixedName(data + kFirstMappingAt, rs::kMappingNameField);
    const QString secondName = fixedName(data + kSecondMappingAt, rs::kMappingNameField);
    const QString datasetName = fixedName(data + kDatasetAt, rs::kDatasetNameField);
    release(c);
    try {
        QString error;
        c.first = rs::SharedMemory::open(firstName.toStdString(), kMinMapping, kMaxMapping, &error);
        if (c.first)
            c.second = rs::SharedMemory::open(secondName.toStdString(), kMinMapping, kMaxMapping, &error);
        if (!c.first || !c.second)
            throw EMxException(channelNotAvailable());
        const std::shared_ptr<const TIMxRowCursor> rows = findRows(datasetName);
        if (!rows)
            throw EMxException(TranslateFmt(QStringLiteral("Ensemble de données %s introuvable."), {datasetName}));
        c.cursor = rows->Clone();
        c.layout = ChannelLayout(c.cursor->Fields());
        if (c.layout.bytes > rs::kMaxRecordBytes || c.layout.entries.size() > 0xFFFF)
            throw EMxException(recordTooLarge());
        c.onRow = c.cursor->Next();
        if (!c.onRow && !c.cursor->Error().isEmpty())
            throw EMxException(c.cursor->Error());
        c.recNo = c.onRow ? 1 : 0;
        writeRecord(c);
        if (++m_nextHandle <= 0)
            m_nextHandle = 1;
        c.handle = m_nextHandle;
    } catch (...) {
        release(c);
        throw;
    }
    rs::putI32(data, c.handle);
    rs::putI32(data + kAtEndFlagAt, c.onRow ? -1 : 0);
    rs::putU16(data + kFieldCountAt, std::uint16_t(c.layout.entries.size()));
}

void TReportManager::answerClose(std::uint8_t* data)
{
    const std::int32_t handle = rs::getI32(data);
    if (handle == 0)
        return;
    release(openChannelOf(handle, rs::getI32(data + kChannelAt)));
}

void TReportManager::answerDatasets(std::uint8_t* data)
{
    QList<QByteArray> names;
    for (const QString& n : DatasetNames())
        names << n.toUtf8();
    writeNameList(data, names);
}

void TReportManager::answerFields(std::uint8_t* data)
{
    const QString name = fixedName(data, rs::kDataSize);
    const std::shared_ptr<const TIMxRowCursor> rows = findRows(name);
    if (!rows)
        throw EMxException(unknownDataset());
    QList<QByteArray> names;
    for (const TChannelEntry& e : ChannelLayout(rows->Fields()).entries)
        names << e.name;
    writeNameList(data, names);
}

void TReportManager::answerNext(std::uint8_t* data)
{
    Channel& c = openChannelOf(rs::getI32(data), rs::getI32(data + kChannelAt));
    bool atEnd = true;
    if (c.onRow) {
        if (c.cursor->Next()) {
            ++c.recNo;
            atEnd = false;
        } else if (!c.cursor->Error().isEmpty()) {
            throw EMxException(c.cursor->Error());
        }
    }
    // At the end the last record stays, as a dataset's cursor does.
    writeRecord(c);
    rs::putI32(data, atEnd ? 0 : -1);
}

void TReportManager::answerMemo(std::uint8_t* data)
{
    Channel& c = openChannelOf(rs::getI32(data), rs::getI32(data + kChannelAt));
    const QString field = fixedName(data + kMemoFieldAt, rs::kFieldNameField);
    const std::int32_t offset = rs::getI32(data + kMemoOffsetAt);
    const size_t room = std::min<size_t>(c.second->usableSize(), size_t(rs::kMemoChunk) + 1);
    if (room == 0)
        throw EMxException(channelNotAvailable());
    c.second->data()[0] = 0;
    const TChannelEntry* entry = c.layout.Find(field.toUtf8());
    if (!entry)
        throw EMxException(TranslateFmt(QStringLiteral("Champ %s inconnu."), {field}));
    if (!c.onRow || offset < 0)
        return; // nothing, or beyond the text
    const QByteArray text = ChannelMemoText(c.cursor->Value(entry->field));
    if (offset >= text.size())
        return;
    rs::writeText(c.second->data(), room, text.mid(offset));
}

TReportManager* ReportManager()
{
    if (!g_manager)
        g_manager = new TReportManager;
    return g_manager;
}

TReportManager* ExistingReportManager()
{
    return g_manager;
}

void ShutdownReportLink() noexcept
{
    try {
        delete g_manager;
    } catch (...) {
    }
    g_manager = nullptr;
}

} // namespace mx
