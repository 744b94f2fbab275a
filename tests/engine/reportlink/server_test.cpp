// The program's data server, with this test's thread playing the runtime
// and a thread of the dispatcher playing the user-interface thread: every
// request code over a real result, and every malformed request a runtime
// could send.

#include "linkfixture.h"

#include "platform/reportlink/dataclient.h"
#include "platform/reportlink/ipc.h"
#include "platform/reportlink/record.h"

#include <QDate>
#include <QElapsedTimer>
#include <QDateTime>
#include <QTime>

#include <climits>
#include <cstring>
#include <functional>
#include <thread>

#include <unistd.h>

using namespace mx;
using namespace platform::rs;

namespace {

class ServerTest : public linktest::LinkTest {
protected:
    void SetUp() override
    {
        MakeDatabase();
        m_all = Query(QStringLiteral("SELECT ID, NOM, COURT, NOTE, NE, VU, HEURE, PRIX, ACTIF, DONNEE FROM T WHERE ID < 3"));
        m_big = Query(QStringLiteral("SELECT ID, GRAND FROM T ORDER BY ID"));
        ASSERT_TRUE(m_all && m_big);
        m_report = std::make_unique<TReport>();
        ASSERT_TRUE(m_report->OfferDataset(QStringLiteral("Tout"), m_all.get()));
        ASSERT_TRUE(m_report->OfferDataset(QStringLiteral("Grands"), m_big.get()));
        QString error;
        ASSERT_TRUE(ReportManager()->StartServer(&error)) << error.toStdString();
        m_client = DataClient::connect(getpid(), &error);
        ASSERT_TRUE(m_client) << error.toStdString();
        m_client->setTimeout(10000);
    }
    void TearDown() override
    {
        m_client.reset();
        m_report.reset();
        ShutdownReportLink();
    }

    // One raw request: the result, and the last error when it failed.
    std::int32_t Raw(std::int32_t code, const std::function<void(std::uint8_t*)>& fill, QString* lastError = nullptr)
    {
        std::int32_t result = 0;
        QString error;
        EXPECT_TRUE(m_client->request(code, fill, nullptr, &result, &error)) << error.toStdString();
        if (lastError)
            *lastError = result == 0 ? QString() : m_client->lastError();
        return result;
    }

    std::unique_ptr<Channel> Open(int channel, const QString& dataset, size_t first = Channel::kFirstSize,
        size_t second = Channel::kSecondSize)
    {
        QString error;
        auto c = Channel::open(*m_client, channel, dataset, &error, first, second);
        EXPECT_TRUE(c) << error.toStdString();
        return c;
    }

    static QVariant ValueOf(const Channel& c, const char* field)
    {
        for (const FieldEntry& e : c.record())
            if (e.name == QString::fromUtf8(field))
                return e.null ? QVariant() : e.value;
        ADD_FAILURE() << "no entry " << field;
        return {};
    }

    mxtest::TTestDispatcher m_dispatcher {mxtest::TTestDispatcher::OwnThread};
    ScopedUiDispatcher m_scope {&m_dispatcher};
    linktest::Dataset m_all;
    linktest::Dataset m_big;
    std::unique_ptr<TReport> m_report;
    std::unique_ptr<DataClient> m_client;
};

} // namespace

TEST_F(ServerTest, ListsTheOfferedDatasetsAndTheirTransferableFields)
{
    QStringList names;
    QString error;
    ASSERT_TRUE(m_client->datasets(&names, &error)) << error.toStdString();
    EXPECT_EQ(names, (QStringList {"Tout", "Grands"}));
    ASSERT_TRUE(m_client->fields(QStringLiteral("Tout"), &names, &error)) << error.toStdString();
    // The blob is carried (as a memo-like field without value).
    EXPECT_EQ(names, (QStringList {"ID", "NOM", "COURT", "NOTE", "NE", "VU", "HEURE", "PRIX", "ACTIF", "DONNEE"}));
    EXPECT_FALSE(m_client->fields(QStringLiteral("Absent"), &names, &error));
    EXPECT_EQ(error, QStringLiteral("Ensemble de données inconnu."));
}

TEST_F(ServerTest, AChannelCarriesEachTypeAsItsEntrySays)
{
    auto c = Open(0, QStringLiteral("Tout"));
    ASSERT_TRUE(c);
    const struct {
        const char* name;
        int type;
        int size;
    } entries[] = {{"ID", 3, 4}, {"NOM", 1, 81}, {"COURT", 1, 9}, {"NOTE", 16, 0}, {"NE", 9, 14}, {"VU", 11, 14},
        {"HEURE", 10, 14}, {"PRIX", 6, 8}, {"ACTIF", 5, 4}, {"DONNEE", 15, 0}};
    ASSERT_EQ(c->record().size(), std::size(entries));
    for (size_t i = 0; i < std::size(entries); ++i) {
        EXPECT_EQ(c->record()[i].name, QString::fromLatin1(entries[i].name));
        EXPECT_EQ(c->record()[i].type, entries[i].type) << entries[i].name;
        EXPECT_EQ(c->record()[i].size, entries[i].size) << entries[i].name;
    }
    EXPECT_FALSE(c->atEnd());
    EXPECT_EQ(ValueOf(*c, "ID"), QVariant(1));
    EXPECT_EQ(ValueOf(*c, "NOM"), QVariant(QStringLiteral("Dupont")));
    EXPECT_EQ(ValueOf(*c, "NE"), QVariant(QDate(2024, 3, 5)));
    EXPECT_EQ(ValueOf(*c, "VU"), QVariant(QDateTime(QDate(2024, 3, 5), QTime(10, 20, 30, 250))));
    EXPECT_EQ(ValueOf(*c, "HEURE"), QVariant(QTime(8, 15)));
    EXPECT_EQ(ValueOf(*c, "PRIX"), QVariant(12.5));
    EXPECT_EQ(ValueOf(*c, "ACTIF"), QVariant(true));

    QString error;
    ASSERT_TRUE(c->next(&error)) << error.toStdString();
    EXPECT_FALSE(c->atEnd());
    EXPECT_EQ(ValueOf(*c, "NOM"), QVariant(QStringLiteral("Hélène")));
    // Ten "é" in a field declared two wide: cut to its slot of 9 bytes at a
    // whole character, terminated (the entry would not read otherwise).
    EXPECT_EQ(ValueOf(*c, "COURT"), QVariant(QStringLiteral("éééé")));
    EXPECT_FALSE(ValueOf(*c, "NE").isValid()) << "null";
    EXPECT_EQ(ValueOf(*c, "ACTIF"), QVariant(false));

    // Past the last record: at the end, the last record stays.
    ASSERT_TRUE(c->next(&error)) << error.toStdString();
    EXPECT_TRUE(c->atEnd());
    EXPECT_EQ(ValueOf(*c, "ID"), QVariant(2));
    ASSERT_TRUE(c->close(&error)) << error.toStdString();
}

TEST_F(ServerTest, MemoTextsComeInChunksWhateverTheMappingsSize)
{
    for (size_t second : {Channel::kSecondSize, size_t(100)}) {
        SCOPED_TRACE(second);
        auto c = Open(1, QStringLiteral("Tout"), Channel::kFirstSize, second);
        ASSERT_TRUE(c);
        QByteArray text;
        QString error;
        ASSERT_TRUE(c->memo(QStringLiteral("NOTE"), &text, &error)) << error.toStdString();
        EXPECT_EQ(text, QByteArray("court"));
        ASSERT_TRUE(c->next(&error));
        ASSERT_TRUE(c->memo(QStringLiteral("NOTE"), &text, &error)) << error.toStdString();
        EXPECT_EQ(QString::fromUtf8(text), LongNote());
    }

    // Offsets at and beyond the end, and negative ones, read as empty.
    auto c = Open(2, QStringLiteral("Tout"));
    ASSERT_TRUE(c);
    const struct {
        std::int32_t offset;
        const char* text;
    } offsets[] = {{0, "court"}, {2, "urt"}, {4, "t"}, {5, ""}, {6, ""}, {1000000, ""}, {-1, ""}, {INT_MIN, ""}};
    for (const auto& o : offsets) {
        QByteArray chunk("stale");
        QString error;
        ASSERT_TRUE(c->memoChunk(QStringLiteral("NOTE"), o.offset, &chunk, &error)) << o.offset << error.toStdString();
        EXPECT_EQ(chunk, QByteArray(o.text)) << o.offset;
    }
}

TEST_F(ServerTest, MalformedRequestsFailWithTheirReason)
{
    auto open = Open(3, QStringLiteral("Tout"));
    ASSERT_TRUE(open);
    const std::int32_t handle = open->handle();
    // Mappings that exist, for the requests that get past them.
    QString made;
    const std::string first = "/mxtest." + std::to_string(getpid()) + "a";
    auto mapping = SharedMemory::create(first, Channel::kFirstSize, &made);
    ASSERT_TRUE(mapping) << made.toStdString();
    auto fullOf = [](std::uint8_t* field, size_t size) { std::memset(field, 'x', size); };
    const QString noChannel = QStringLiteral("Canal de données non disponible.");
    const QString unknown = QStringLiteral("Ensemble de données inconnu.");
    const QString unterminated = QStringLiteral("Nom non terminé dans la requête.");

    const struct Case {
        const char* what;
        std::int32_t code;
        std::function<void(std::uint8_t*)> fill;
        QString error;
    } cases[] = {
        {"open on channel 10", rqOpen, [&](std::uint8_t* d) { putI32(d, 10); }, noChannel},
        {"open on channel -1", rqOpen, [&](std::uint8_t* d) { putI32(d, -1); }, noChannel},
        {"open on INT_MAX", rqOpen, [&](std::uint8_t* d) { putI32(d, INT_MAX); }, noChannel},
        {"mapping name unterminated", rqOpen,
            [&](std::uint8_t* d) {
                putI32(d, 4);
                fullOf(d + 4, kMappingNameField);
                writeText(d + 24, kMappingNameField, "/b");
                writeText(d + 44, kDatasetNameField, "Tout");
            },
            unterminated},
        {"mapping that does not exist", rqOpen,
            [&](std::uint8_t* d) {
                putI32(d, 4);
                writeText(d + 4, kMappingNameField, "/mxcabsente");
                writeText(d + 24, kMappingNameField, "/mxcabsente");
                writeText(d + 44, kDatasetNameField, "Tout");
            },
            noChannel},
        {"mapping name with a folder", rqOpen,
            [&](std::uint8_t* d) {
                putI32(d, 4);
                writeText(d + 4, kMappingNameField, "/../../etc/passwd");
                writeText(d + 24, kMappingNameField, "/x");
                writeText(d + 44, kDatasetNameField, "Tout");
            },
            noChannel},
        {"dataset name unterminated", rqOpen,
            [&](std::uint8_t* d) {
                putI32(d, 4);
                writeText(d + 4, kMappingNameField, QByteArray::fromStdString(first));
                writeText(d + 24, kMappingNameField, QByteArray::fromStdString(first));
                fullOf(d + 44, kDatasetNameField);
            },
            unterminated},
        {"unknown dataset", rqOpen,
            [&](std::uint8_t* d) {
                putI32(d, 4);
                writeText(d + 4, kMappingNameField, QByteArray::fromStdString(first));
                writeText(d + 24, kMappingNameField, QByteArray::fromStdString(first));
                writeText(d + 44, kDatasetNameField, "Absent");
            },
            QStringLiteral("Ensemble de données Absent introuvable.")},
        {"next without handle", rqNext, [&](std::uint8_t* d) { putI32(d + 4, 3); }, unknown},
        {"next with another handle", rqNext,
            [&](std::uint8_t* d) {
                putI32(d, handle + 1);
                putI32(d + 4, 3);
            },
            unknown},
        {"next on a channel never opened", rqNext,
            [&](std::uint8_t* d) {
                putI32(d, handle);
                putI32(d + 4, 5);
            },
            unknown},
        {"next on channel 11", rqNext,
            [&](std::uint8_t* d) {
                putI32(d, handle);
                putI32(d + 4, 11);
            },
            noChannel},
        {"close on channel -3", rqClose,
            [&](std::uint8_t* d) {
                putI32(d, handle);
                putI32(d + 4, -3);
            },
            noChannel},
        {"memo field name unterminated", rqMemo,
            [&](std::uint8_t* d) {
                putI32(d, handle);
                putI32(d + 4, 3);
                fullOf(d + 8, kFieldNameField);
            },
            unterminated},
        {"memo of an unknown field", rqMemo,
            [&](std::uint8_t* d) {
                putI32(d, handle);
                putI32(d + 4, 3);
                writeText(d + 8, kFieldNameField, "ABSENT");
            },
            QStringLiteral("Champ ABSENT inconnu.")},
        {"fields of a name filling the data area", rqFields, [&](std::uint8_t* d) { fullOf(d, kDataSize); },
            unterminated},
        {"unknown request code", 9, nullptr, QStringLiteral("Requête 9 inconnue.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QString error;
        EXPECT_EQ(Raw(c.code, c.fill, &error), -1);
        EXPECT_EQ(error, c.error);
    }
    // None of them disturbed the open channel.
    QString error;
    EXPECT_TRUE(open->next(&error)) << error.toStdString();
    EXPECT_EQ(ValueOf(*open, "ID"), QVariant(2));
    // Closing without a handle succeeds at once, whatever the channel.
    EXPECT_EQ(Raw(rqClose, [](std::uint8_t* d) { putI32(d + 4, 99); }), 0);
}

TEST_F(ServerTest, ARecordLargerThanItsMappingIsRefusedAndNothingIsWritten)
{
    QString error;
    auto small = Channel::open(*m_client, 6, QStringLiteral("Tout"), &error, 64);
    EXPECT_FALSE(small);
    EXPECT_EQ(error, QStringLiteral("Enregistrement trop grand."));
    EXPECT_EQ(ReportManager()->ChannelCursor(6), nullptr) << "the channel is released";
}

TEST_F(ServerTest, AnIntegerBeyond32BitsFailsTheRequestNamingFieldAndRecord)
{
    auto c = Open(0, QStringLiteral("Grands"));
    ASSERT_TRUE(c);
    QString error;
    EXPECT_EQ(ValueOf(*c, "GRAND"), QVariant(7));
    ASSERT_TRUE(c->next(&error)) << error.toStdString();
    EXPECT_EQ(ValueOf(*c, "GRAND"), QVariant(INT_MAX));
    EXPECT_FALSE(c->next(&error));
    EXPECT_TRUE(error.contains(u"GRAND") && error.contains(u"enregistrement 3") && error.contains(u"4294967296"))
        << error.toStdString();
}

TEST_F(ServerTest, EachChannelReadsOnItsOwnAndNeverMovesTheStepsDataset)
{
    m_all->SetRecNo(2);
    auto a = Open(0, QStringLiteral("Tout"));
    auto b = Open(1, QStringLiteral("Tout"));
    ASSERT_TRUE(a && b);
    QString error;
    ASSERT_TRUE(a->next(&error));
    EXPECT_EQ(ValueOf(*a, "ID"), QVariant(2));
    EXPECT_EQ(ValueOf(*b, "ID"), QVariant(1)) << "the other channel stays where it was";
    ASSERT_TRUE(a->close(&error));
    EXPECT_TRUE(m_all->GetActive()) << "closing a channel leaves the step's result open";
    EXPECT_EQ(m_all->GetRecNo(), 2);
    EXPECT_EQ(m_all->GetFieldValueByName(QStringLiteral("NOM")), QStringLiteral("Hélène"));

    // The rows stay readable when the step lets its result go.
    m_report->ClearDatasets();
    Driver().FreeDataset(m_all.release());
    ASSERT_TRUE(b->next(&error)) << error.toStdString();
    EXPECT_EQ(ValueOf(*b, "NOM"), QVariant(QStringLiteral("Hélène")));
}

TEST_F(ServerTest, ARequestTheUserInterfaceDoesNotTakeInTimeFails)
{
    ReportManager()->SetHandOverTimeout(100);
    m_dispatcher.Hold(true);
    std::int32_t result = 0;
    QString error;
    ASSERT_TRUE(m_client->request(rqDatasets, nullptr, nullptr, &result, &error)) << error.toStdString();
    EXPECT_EQ(result, -1);
    m_dispatcher.Hold(false);
    EXPECT_TRUE(m_client->lastError().startsWith(u"Le programme n'a pas répondu à temps")) << m_client->lastError().toStdString();
}

TEST_F(ServerTest, StoppingTheServerDoesNotWaitForARequestThatWaitsForTheUserInterface)
{
    ReportManager()->SetHandOverTimeout(60000);
    m_dispatcher.Hold(true);
    std::int32_t result = 0;
    std::thread runtime([&] {
        QString error;
        m_client->request(rqDatasets, nullptr, nullptr, &result, &error);
    });
    while (m_dispatcher.CallsMade() == 0)
        std::this_thread::yield();
    QElapsedTimer stopping;
    stopping.start();
    ShutdownReportLink();
    EXPECT_LT(stopping.elapsed(), 5000);
    runtime.join();
    EXPECT_EQ(result, -1) << "the request is answered as failed, not left waiting";
}

TEST_F(ServerTest, IdentifyIsNotAnsweredAtRunTime)
{
    std::int32_t result = 0;
    QString error;
    ASSERT_TRUE(m_client->request(rqIdentify, nullptr, nullptr, &result, &error));
    EXPECT_EQ(result, -1);
}
