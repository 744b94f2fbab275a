// The object file format: exact bytes, round trips of every value kind,
// damaged input, and safe saving.

#include "engine/core/exceptions.h"
#include "engine/core/list.h"
#include "engine/core/strings.h"
#include "engine/core/types.h"
#include "engine/stream/extended.h"
#include "engine/stream/reader.h"
#include "engine/stream/safefile.h"
#include "engine/stream/writer.h"

#include "tests/support/testsupport.h"

#include <QtEndian>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <limits>

using namespace mx;
using mxtest::FromHex;
using mxtest::Hex;

namespace {

const QByteArray kGolden = FromHex(
    "ff 0a 00 54 4d 58 4c 49 53 54 00 30 10 3f 00 00 00 54 50 46 30 07 54 4d 78 4c 69 73 74 00 00 07"
    "54 4d 78 49 74 65 6d 00 02 49 64 02 01 04 4e 61 6d 65 06 01 41 00 00 07 54 4d 78 49 74 65 6d 00"
    "02 49 64 02 02 04 4e 61 6d 65 06 01 42 00 00 00");

QByteArray xor1(QByteArray b)
{
    for (char& c : b)
        c ^= 1;
    return b;
}

TMxList* goldenList()
{
    auto* list = new TMxList(nullptr);
    auto* a = list->AddNew();
    a->SetName("A");
    auto* b = list->AddNew();
    b->SetName("B");
    return list;
}

enum TColour { clRed, clGreen, clBlue };
const EnumInfo& ColourInfo()
{
    static const EnumInfo i{"TColour", {"clRed", "clGreen", "clBlue"}};
    return i;
}
const EnumInfo& WideSetInfo()
{
    static EnumInfo i = [] {
        EnumInfo e{"TWide", {}};
        for (int k = 0; k < 24; ++k)
            e.names << QString("w%1").arg(k);
        return e;
    }();
    return i;
}

// A class name longer than every value code: its length byte must not be
// taken for a value tag when a list looks for its end.
class TItemWithALongClassName : public TMxItem {
    MX_CLASS(TItemWithALongClassName)
public:
    using TMxItem::TMxItem;
};
class TLongNames : public TMxTypedList<TItemWithALongClassName> {
    MX_CLASS(TLongNames)
public:
    using TMxTypedList::TMxTypedList;
};

class TSample;
class TSampleList : public TMxTypedList<TSample> {
    MX_CLASS(TSampleList)
public:
    using TMxTypedList::TMxTypedList;
};

// One item with a property of every kind the streamer knows.
class TSample : public TMxItem {
    MX_CLASS(TSample)
public:
    explicit TSample(TMxItem* owner) : TMxItem(owner), Children(new TSampleList(this)) {}
    ~TSample() override { Children->Free(); }

    qint64 Count = 0;
    qint64 Letter = 'x';
    int Colour = clRed;
    bool Flag = false;
    quint32 Members = 0;
    double Ratio = 0;
    QString Text;
    TStrings Lines;
    TMxItem* Partner = nullptr;
    QByteArray Blob;
    TSampleList* Children;
    bool throwOnWrite = false;

    QString GetText() const
    {
        if (throwOnWrite)
            throw EMxInternal("cannot write");
        return Text;
    }
    void DefineProperties(TFiler& filer) override
    {
        filer.DefineBinaryProperty(
            "Blob", [this](const QByteArray& b) { Blob = b; }, [this](QByteArray& b) { b = Blob; }, !Blob.isEmpty());
    }
};

void describeSample(ClassBuilder<TSample>& c)
{
    c.integer("Count", &TSample::Count, &TSample::Count, 0);
    c.character("Letter", &TSample::Letter, &TSample::Letter, 'x');
    c.enumeration("Colour", ColourInfo(), &TSample::Colour, &TSample::Colour, clRed);
    c.boolean("Flag", &TSample::Flag, &TSample::Flag, 0);
    c.set("Members", WideSetInfo(), &TSample::Members, &TSample::Members, 0);
    c.floating("Ratio", &TSample::Ratio, &TSample::Ratio);
    c.string("Text", &TSample::GetText, &TSample::Text);
    c.object("Lines", [](const TSample* s) { return const_cast<TStrings*>(&s->Lines); });
    c.object("Partner", &TSample::Partner);
    c.object("Children", &TSample::Children);
}

class TListOfLists : public TMxTypedList<TMxList> {
    MX_CLASS(TListOfLists)
public:
    using TMxTypedList::TMxTypedList;
};

// Owns one list and references its items from another.
class TRefHolder : public TMxItem {
    MX_CLASS(TRefHolder)
public:
    explicit TRefHolder(TMxItem* owner) : TMxItem(owner), Owned(new TMxList(this)), Refs(new TRefList(this))
    {
        Refs->SetOwnsItems(false);
    }
    ~TRefHolder() override
    {
        Refs->Free();
        Owned->Free();
    }
    struct TRefList : TMxList {
        using TMxList::TMxList;
    };
    TMxList* Owned;
    TMxList* Refs;
};

} // namespace

MX_DEFINE_CLASS(TItemWithALongClassName, TMxItem, nullptr)
MX_DEFINE_CLASS(TLongNames, TMxList, [](ClassBuilder<TLongNames>& c) { c.items<TItemWithALongClassName>(); })
MX_DEFINE_CLASS(TListOfLists, TMxList, [](ClassBuilder<TListOfLists>& c) { c.items<TMxList>(); })
MX_DEFINE_CLASS(TRefHolder, TMxItem, [](ClassBuilder<TRefHolder>& c) {
    c.object("Owned", &TRefHolder::Owned);
    c.object("Refs", &TRefHolder::Refs);
})
MX_DEFINE_CLASS(TSampleList, TMxList, [](ClassBuilder<TSampleList>& c) { c.items<TSample>(); })
MX_DEFINE_CLASS(TSample, TMxItem, describeSample)

class ObjectFiles : public mxtest::EngineTest {};

TEST_F(ObjectFiles, GoldenBytesPlainAndScrambled)
{
    TMxList* list = goldenList();
    EXPECT_EQ(Hex(list->SaveToBytes()), Hex(kGolden));
    const QString path = Path("L.MXF");
    list->SaveToFile(path);
    EXPECT_EQ(Hex(mxtest::ReadAll(path)), Hex(xor1(kGolden)));
    list->Free();

    for (const QByteArray& stored : {kGolden, xor1(kGolden)}) {
        mxtest::WriteAll(path, stored);
        auto* back = new TMxList(nullptr);
        back->LoadFromFile(path);
        ASSERT_EQ(back->Count(), 2);
        EXPECT_EQ(back->Items(0)->Id(), 1);
        EXPECT_EQ(back->Items(0)->GetName(), "A");
        EXPECT_EQ(back->Items(1)->Id(), 2);
        EXPECT_EQ(back->Items(1)->GetName(), "B");
        back->Free();
    }
    // a plain header with a scrambled body reads too
    QByteArray mixed = kGolden.left(17) + xor1(kGolden.mid(17));
    auto* back = new TMxList(nullptr);
    back->LoadFromStream(mixed);
    EXPECT_EQ(back->Count(), 2);
    back->Free();
    EXPECT_TRUE(m_service.warnings.isEmpty());
}

TEST_F(ObjectFiles, IntegerAndStringEncodings)
{
    struct Case {
        qint64 value;
        const char* bytes; // the value after the property name
    };
    const Case cases[] = {
        {1, "02 01"}, {-128, "02 80"}, {127, "02 7F"}, {128, "03 80 00"}, {-129, "03 7F FF"},
        {200, "03 C8 00"}, {32767, "03 FF 7F"}, {32768, "04 00 80 00 00"}, {70000, "04 70 11 01 00"},
        {-32769, "04 FF 7F FF FF"},
    };
    for (const Case& c : cases) {
        QByteArray out;
        TMxWriter w(out);
        w.WriteInteger(c.value);
        EXPECT_EQ(Hex(out), QString(c.bytes)) << c.value;
        TMxReader r(out);
        EXPECT_EQ(r.ReadInteger(), c.value);
    }
    // no Id record for 0
    auto* item = new TMxItem(nullptr);
    EXPECT_FALSE(item->SaveToBytes().contains("Id"));
    item->Free();

    for (int len : {255, 256}) {
        QByteArray out;
        TMxWriter w(out);
        w.WriteString(QString(len, u'é'));
        EXPECT_EQ(static_cast<unsigned char>(out[0]), len == 255 ? 6 : 12);
        EXPECT_EQ(out.size(), len == 255 ? 2 + 255 : 5 + 256);
        TMxReader r(out);
        EXPECT_EQ(r.ReadString(), QString(len, u'é'));
    }
}

TEST_F(ObjectFiles, EveryValueKindRoundTrips)
{
    auto* root = new TSampleList(nullptr);
    TSample* s = root->AddNew();
    s->SetName(QString::fromUtf8("Œuvre – 10 €"));
    s->Count = -70000;
    s->Letter = u'é';
    s->Colour = clBlue;
    s->Flag = true;
    s->Members = (1u << 1) | (1u << 15) | (1u << 20); // ordinal 20 is not stored
    s->Ratio = 1.0 / 3.0;
    s->Text = QString(300, u'z');
    s->Lines.setStringList({"un", QString::fromUtf8("deux élèves"), ""});
    s->Blob = QByteArray("\x00\x01\xFF binary", 10);
    TSample* child = s->Children->AddNew();
    child->SetName("child");
    child->Ratio = -std::numeric_limits<double>::denorm_min();
    TSample* empty = root->AddNew(); // everything at its default
    s->Partner = empty;

    const QByteArray bytes = root->SaveToBytes();
    EXPECT_TRUE(bytes.contains("Lines.Strings"));
    EXPECT_TRUE(bytes.contains(QByteArray("\x07" "Partner", 8) + char(vaIdent) + char(9) + "TSample2-"));

    auto* back = new TSampleList(nullptr);
    back->LoadFromStream(bytes);
    ASSERT_EQ(back->Count(), 2);
    TSample* t = back->Items(0);
    EXPECT_EQ(t->GetName(), s->GetName());
    EXPECT_EQ(t->Count, -70000);
    EXPECT_EQ(t->Letter, u'é');
    EXPECT_EQ(t->Colour, clBlue);
    EXPECT_TRUE(t->Flag);
    EXPECT_EQ(t->Members, (1u << 1) | (1u << 15));
    EXPECT_EQ(t->Ratio, 1.0 / 3.0);
    EXPECT_EQ(t->Text, QString(300, u'z'));
    EXPECT_EQ(t->Lines.toStringList(), s->Lines.toStringList());
    EXPECT_EQ(t->Blob, s->Blob);
    EXPECT_EQ(t->Partner, nullptr); // references in properties are not restored
    ASSERT_EQ(t->Children->Count(), 1);
    EXPECT_EQ(t->Children->Items(0)->Ratio, -std::numeric_limits<double>::denorm_min());
    TSample* d = back->Items(1);
    EXPECT_EQ(d->Letter, 'x');
    EXPECT_FALSE(d->Flag);
    EXPECT_TRUE(d->Lines.Count() == 0);
    s->Partner = nullptr;
    EXPECT_EQ(Hex(back->SaveToBytes()), Hex(root->SaveToBytes()));
    root->Free();
    back->Free();
}

TEST(ExtendedFloat, DoublesSurviveExactly)
{
    const double values[] = {0.0, -0.0, 1.0, -2.5, 1e308, -1e-308, 5e-324, 0.1, 123456789.125,
        std::numeric_limits<double>::max(), std::numeric_limits<double>::infinity()};
    for (double v : values) {
        unsigned char b[10];
        DoubleToExtended(v, b);
        const double back = ExtendedToDouble(b);
        EXPECT_EQ(back, v);
        EXPECT_EQ(std::signbit(back), std::signbit(v));
    }
    unsigned char one[10];
    DoubleToExtended(1.0, one);
    EXPECT_EQ(Hex(QByteArray(reinterpret_cast<char*>(one), 10)), "00 00 00 00 00 00 00 80 FF 3F");
    DoubleToExtended(std::nan(""), one);
    EXPECT_TRUE(std::isnan(ExtendedToDouble(one)));
}

TEST_F(ObjectFiles, ListsOfListsAndReferences)
{
    auto* outer = new TListOfLists(nullptr);
    TMxList* first = outer->AddNew();
    first->SetName("i1");
    first->AddNew()->SetName("x");
    outer->AddNew()->SetName("i2");
    const QByteArray bytes = outer->SaveToBytes();
    // after the items of a list of lists: the extra marker, then the record's own
    EXPECT_TRUE(bytes.endsWith(QByteArray(3, '\0')));
    auto* back = new TListOfLists(nullptr);
    back->LoadFromStream(bytes);
    ASSERT_EQ(back->Count(), 2);
    ASSERT_EQ(back->Items(0)->Count(), 1);
    EXPECT_EQ(back->Items(0)->Items(0)->GetName(), "x");
    EXPECT_EQ(back->Items(1)->GetName(), "i2");
    EXPECT_EQ(back->SaveToBytes(), bytes);
    back->Free();
    outer->Free();

    auto* longNames = new TLongNames(nullptr);
    longNames->AddNew()->SetName(QString(200, u'n'));
    longNames->AddNew();
    auto* longBack = new TLongNames(nullptr);
    longBack->LoadFromStream(longNames->SaveToBytes());
    ASSERT_EQ(longBack->Count(), 2);
    EXPECT_EQ(longBack->Items(0)->GetName(), QString(200, u'n'));
    longBack->Free();
    longNames->Free();

    // a referencing list finds items read earlier in the same file
    auto* h = new TRefHolder(nullptr);
    TMxItem* a = h->Owned->AddNew();
    a->SetName("a");
    TMxItem* b = h->Owned->AddNew();
    b->SetName("b");
    h->Refs->AddItem(b);
    h->Refs->AddItem(a);
    QByteArray refs = h->SaveToBytes();
    auto* r = new TRefHolder(nullptr);
    r->LoadFromStream(refs);
    ASSERT_EQ(r->Refs->Count(), 2);
    EXPECT_EQ(r->Refs->Items(0), r->Owned->Items(1));
    EXPECT_EQ(r->Refs->Items(1), r->Owned->Items(0));
    EXPECT_TRUE(m_service.warnings.isEmpty());
    // a reference to nothing is skipped with a warning; the rest reads
    refs.replace(refs.indexOf("TMxItem1-a"), 10, "TMxItem9-z");
    r->LoadFromStream(refs);
    ASSERT_EQ(r->Refs->Count(), 1);
    EXPECT_EQ(r->Refs->Items(0)->GetName(), "b");
    ASSERT_EQ(m_service.warnings.size(), 1);
    // named with the reference's record: its byte and the list holding it
    const QString refAt = QString::number(refs.indexOf("TMxItem9-z") - 9);
    EXPECT_EQ(m_service.warnings[0], "Error reading byte " + refAt + ", TRefHolder / TMxList: Fixup 'TMxItem9-z' not found.");
    r->Free();
    h->Free();

    // a tag longer than a short string holds is found by its cut form
    auto* lh = new TRefHolder(nullptr);
    TMxItem* longItem = lh->Owned->AddNew();
    longItem->SetName(QString(300, u'L'));
    lh->Refs->AddItem(longItem);
    auto* lr = new TRefHolder(nullptr);
    lr->LoadFromStream(lh->SaveToBytes());
    ASSERT_EQ(lr->Refs->Count(), 1);
    EXPECT_EQ(lr->Refs->Items(0), lr->Owned->Items(0));
    EXPECT_EQ(m_service.warnings.size(), 1);
    lr->Free();
    lh->Free();
}

TEST_F(ObjectFiles, DamagedFilesGiveErrorsNeverCrashes)
{
    auto* root = new TSampleList(nullptr);
    TSample* s = root->AddNew();
    s->SetName("n");
    s->Text = "text";
    s->Lines.Add("line");
    s->Blob = "blob";
    s->Children->AddNew()->SetName("c");
    const QByteArray good = root->SaveToBytes();
    root->Free();

    // every truncation
    for (qsizetype n = 0; n < good.size(); ++n) {
        auto* t = new TSampleList(nullptr);
        EXPECT_THROW(t->LoadFromStream(good.left(n)), Exception) << "truncated at " << n;
        t->Free();
    }
    // every single byte flipped: an error or a clean load, never a crash
    for (qsizetype i = 0; i < good.size(); ++i) {
        for (unsigned char v : {0x00, 0x0E, 0xFF, 0x7F}) {
            QByteArray bad = good;
            bad[i] = char(v);
            auto* t = new TSampleList(nullptr);
            try {
                t->LoadFromStream(bad);
            } catch (const Exception&) {
            }
            t->Free();
        }
    }
    // huge lengths are refused, not allocated
    QByteArray header = good.left(good.indexOf("TPF0") + 4);
    QByteArray huge = header + QByteArray("\x0BTSampleList\x00\x04Text\x0C\xFF\xFF\xFF\x7F", 22);
    auto* t = new TSampleList(nullptr);
    try {
        t->LoadFromStream(huge);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_NE(e.message().indexOf("Stream read error"), -1) << e.message().toStdString();
    }
    // a value tag past the last one
    QByteArray badTag = header + QByteArray("\x0BTSampleList\x00\x04Text\x0E", 19);
    EXPECT_THROW(t->LoadFromStream(badTag), EReadError);
    // deep nesting is bounded
    QByteArray deep = header + QByteArray("\x0BTSampleList\x00\x04Text", 18) + QByteArray(100000, '\x01');
    EXPECT_THROW(t->LoadFromStream(deep), EReadError);
    // header and signature
    try {
        t->LoadFromStream(QByteArray("\xFE\x0A\x00", 3));
        FAIL();
    } catch (const EInvalidImage& e) {
        EXPECT_EQ(e.message(), "Invalid stream format");
    }
    try {
        t->LoadFromStream(header.left(header.size() - 4) + "TPF1");
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.message(), "Invalid stream format");
    }
    t->Free();
}

TEST_F(ObjectFiles, UnknownPropertiesInListItemsAreSkippedWithWarnings)
{
    auto* root = new TSampleList(nullptr);
    TSample* s = root->AddNew();
    s->SetName("first");
    s->Text = "kept";
    root->AddNew()->SetName("second");
    QByteArray bytes = root->SaveToBytes();
    root->Free();
    // rename the Text property of the first item to an unknown one
    const qsizetype at = bytes.indexOf("\x04Text");
    ASSERT_GT(at, 0);
    bytes.replace(at, 5, QByteArray("\x04Txet", 5));
    // and give Colour a value that is no colour
    auto* back = new TSampleList(nullptr);
    back->LoadFromStream(bytes);
    ASSERT_EQ(back->Count(), 2); // the rest of the file read right
    EXPECT_EQ(back->Items(1)->GetName(), "second");
    ASSERT_EQ(m_service.warnings.size(), 1);
    EXPECT_EQ(m_service.warnings[0],
        "Error reading byte " + QString::number(at) + ", TSampleList / TSample \"first\", property Txet: Property does not exist");
    back->Free();

    // at the root, the same damage fails the load
    auto* one = new TSample(nullptr);
    one->Text = "x";
    QByteArray single = one->SaveToBytes();
    const qsizetype singleAt = single.indexOf("\x04Text");
    single.replace(singleAt, 5, QByteArray("\x04Txet", 5));
    const QString where = "byte " + QString::number(singleAt) + ", TSample, property Txet: Property does not exist";
    try {
        one->LoadFromStream(single);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.message(), "Error reading " + where);
    }
    // a scrambled file reports its own error, not a plain retry's
    const QString path = Path("one.MQR");
    mxtest::WriteAll(path, xor1(single));
    try {
        one->LoadFromFile(path);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.message(), "Error reading " + path + ", " + where);
    }
    one->Free();
}

TEST_F(ObjectFiles, OlderFileWithoutAListKeepsIt)
{
    auto* s = new TSample(nullptr);
    s->Children->AddNew()->SetName("kept");
    QByteArray bytes = s->SaveToBytes();
    // cut the Children record: what an older writer produced
    const qsizetype at = bytes.indexOf("\x0BTSampleList");
    ASSERT_GT(at, 0);
    QByteArray older = bytes.left(at) + QByteArray(1, '\0');
    // with the header's size of what it wrote
    const qsizetype sizeAt = older.indexOf('\0', 3) + 3;
    qToLittleEndian<quint32>(quint32(older.size() - sizeAt - 4), older.data() + sizeAt);
    auto* t = new TSample(nullptr);
    t->Children->AddNew()->SetName("mine");
    t->LoadFromStream(older);
    ASSERT_EQ(t->Children->Count(), 1);
    EXPECT_EQ(t->Children->Items(0)->GetName(), "mine");
    s->Free();
    t->Free();
}

TEST_F(ObjectFiles, SavingKeepsBackupAndNeverTruncates)
{
    const QString path = Path("Q.MQR");
    auto* s = new TSample(nullptr);
    s->Text = "v1";
    s->SaveToFile(path);
    EXPECT_FALSE(QFileInfo::exists(Path("Q.~MQ")));
    const QByteArray v1 = mxtest::ReadAll(path);
    s->Text = "v2";
    s->SaveToFile(path);
    EXPECT_EQ(mxtest::ReadAll(Path("Q.~MQ")), v1);
    const QByteArray v2 = mxtest::ReadAll(path);
    s->Text = "v3";
    s->SaveToFile(path);
    EXPECT_EQ(mxtest::ReadAll(Path("Q.~MQ")), v2); // the backup is always the previous version

    // serialisation fails: the file is untouched
    const QByteArray v3 = mxtest::ReadAll(path);
    s->throwOnWrite = true;
    EXPECT_THROW(s->SaveToFile(path), EMxInternal);
    s->throwOnWrite = false;
    // a character the code page cannot hold: a clear error, nothing written
    s->Text = QString::fromUtf8("日本");
    try {
        s->SaveToFile(path);
        FAIL();
    } catch (const EMxException& e) {
        EXPECT_NE(e.message().indexOf(QString::fromUtf8("日")), -1);
    }
    EXPECT_EQ(mxtest::ReadAll(path), v3);
    EXPECT_EQ(mxtest::ReadAll(Path("Q.~MQ")), v2);
    // writing fails (read-only folder): the old file stays whole
    if (geteuid() != 0) {
        QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        s->Text = "v4";
        EXPECT_THROW(s->SaveToFile(path), EInOutError);
        QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        EXPECT_EQ(mxtest::ReadAll(path), v3);
    }
    EXPECT_FALSE(QFileInfo::exists(path + ".tmp~"));
    s->Free();

    struct Case {
        const char* file;
        const char* backup;
    };
    for (const Case& c : {Case{"/d/X.MQR", "/d/X.~MQ"}, Case{"/d/x.mqr", "/d/x.~mq"}, Case{"/d/NOEXT", "/d/NOEXT.~"},
             Case{"/d/a.b/Y.M", "/d/a.b/Y.~M"}})
        EXPECT_EQ(BackupFileName(c.file), c.backup);
}

// Each step of a save that cannot be taken leaves the file and its backup
// as they were, with nothing of the attempt left beside them.
TEST_F(ObjectFiles, AWriteThatCannotFinishLeavesTheFileAndItsBackupWhole)
{
    struct Case {
        const char* what;
        // the name a folder (holding a file) takes: file, backup, or one
        // of the temporary names
        QString (*blocked)(const QString& file);
        bool backupKept;
    };
    const Case cases[] = {
        {"the temporary file's name", [](const QString& f) { return f + ".tmp~"; }, true},
        {"the previous content's name", [](const QString& f) { return BackupFileName(f) + ".tmp~"; }, true},
        {"the backup's name", [](const QString& f) { return BackupFileName(f); }, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString dir = Path(QString::number(++n));
        ASSERT_TRUE(QDir().mkpath(dir));
        const QString file = dir + "/Q.MQR";
        WriteFileWithBackup(file, "v1");
        WriteFileWithBackup(file, "v2");
        const QString blocked = c.blocked(file);
        if (!c.backupKept) {
            ASSERT_TRUE(QFile::remove(blocked));
        }
        ASSERT_TRUE(QDir().mkpath(blocked));
        mxtest::WriteAll(blocked + "/kept", "kept");
        try {
            WriteFileWithBackup(file, "v3");
            FAIL() << "the write was said to be done";
        } catch (const EInOutError& e) {
            EXPECT_TRUE(e.message().startsWith("Impossible d'écrire le fichier " + file + " : ")) << e.message().toStdString();
        }
        EXPECT_EQ(mxtest::ReadAll(file), "v2");
        if (c.backupKept) {
            EXPECT_EQ(mxtest::ReadAll(BackupFileName(file)), "v1");
        }
        EXPECT_EQ(mxtest::ReadAll(blocked + "/kept"), "kept");
        QStringList left = QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        left.removeOne(QFileInfo(blocked).fileName());
        QStringList expected{"Q.MQR"};
        if (c.backupKept)
            expected.append("Q.~MQ");
        left.sort();
        expected.sort();
        EXPECT_EQ(left, expected);
    }
    // A folder where the file should be is refused, and stays.
    ASSERT_TRUE(QDir().mkpath(Path("F.MQR")));
    EXPECT_THROW(WriteFileWithBackup(Path("F.MQR"), "x"), EInOutError);
    EXPECT_TRUE(QFileInfo(Path("F.MQR")).isDir());
    EXPECT_FALSE(QFileInfo::exists(Path("F.MQR.tmp~")));
}

TEST_F(ObjectFiles, AWriteKeepsTheFilesRightsAndNeverFollowsALinkLeftBeside)
{
    const QString file = Path("P.MQR");
    mxtest::WriteAll(file, "v1");
    const auto privateRights = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    ASSERT_TRUE(QFile::setPermissions(file, privateRights));
    // A link standing where the temporary file is written: what it points
    // to is another file, never written through it.
    const QString other = Path("other.txt");
    mxtest::WriteAll(other, "other");
    ASSERT_TRUE(QFile::link(other, file + ".tmp~"));
    WriteFileWithBackup(file, "v2");
    EXPECT_EQ(mxtest::ReadAll(file), "v2");
    EXPECT_EQ(mxtest::ReadAll(BackupFileName(file)), "v1");
    EXPECT_EQ(mxtest::ReadAll(other), "other");
    EXPECT_FALSE(QFileInfo(file).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(file + ".tmp~"));
    for (const QString& f : {file, BackupFileName(file)}) {
        EXPECT_EQ(QFile::permissions(f) & QFileDevice::Permissions(0x7077), privateRights) << f.toStdString();
    }
}
