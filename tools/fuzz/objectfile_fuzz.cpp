// Feeds arbitrary bytes to the object file reader. Any crash, leak, hang or
// sanitizer report is a fault. With MORVELIN_FUZZ_SEEDS set, the first call
// writes a few well-formed files there as the starting corpus.

#include "engine/core/exceptions.h"
#include "engine/core/list.h"
#include "engine/core/strings.h"
#include "engine/core/types.h"
#include "engine/core/userservice.h"
#include "engine/stream/filer.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace mx;

namespace {

class TFuzzItem;
class TFuzzList : public TMxTypedList<TFuzzItem> {
    MX_CLASS(TFuzzList)
public:
    using TMxTypedList::TMxTypedList;
};
class TFuzzLists : public TMxTypedList<TFuzzList> {
    MX_CLASS(TFuzzLists)
public:
    using TMxTypedList::TMxTypedList;
};

class TFuzzItem : public TMxItem {
    MX_CLASS(TFuzzItem)
public:
    explicit TFuzzItem(TMxItem* owner)
        : TMxItem(owner), Children(new TFuzzList(this)), Groups(new TFuzzLists(this)), Refs(new TMxList(this))
    {
        Refs->SetOwnsItems(false);
    }
    ~TFuzzItem() override
    {
        Refs->Free();
        Groups->Free();
        Children->Free();
    }
    qint64 Number = 0;
    int Kind = 0;
    bool Flag = false;
    quint32 Caps = 0;
    double Ratio = 0;
    QString Text;
    TStrings Lines;
    QByteArray Blob;
    TFuzzList* Children;
    TFuzzLists* Groups;
    TMxList* Refs;
    void DefineProperties(TFiler& f) override
    {
        f.DefineBinaryProperty(
            "Blob", [this](const QByteArray& b) { Blob = b; }, [this](QByteArray& b) { b = Blob; }, !Blob.isEmpty());
    }
};

void describe(ClassBuilder<TFuzzItem>& c)
{
    c.integer("Number", &TFuzzItem::Number, &TFuzzItem::Number, 0);
    c.enumeration("Kind", OperatorInfo(), &TFuzzItem::Kind, &TFuzzItem::Kind, 0);
    c.boolean("Flag", &TFuzzItem::Flag, &TFuzzItem::Flag, 0);
    c.set("Caps", SQLCapabilitiesInfo(), &TFuzzItem::Caps, &TFuzzItem::Caps, 0);
    c.floating("Ratio", &TFuzzItem::Ratio, &TFuzzItem::Ratio);
    c.string("Text", &TFuzzItem::Text, &TFuzzItem::Text);
    c.object("Lines", [](const TFuzzItem* i) { return const_cast<TStrings*>(&i->Lines); });
    c.object("Children", &TFuzzItem::Children);
    c.object("Groups", &TFuzzItem::Groups);
    c.object("Refs", &TFuzzItem::Refs);
}

class QuietService : public TUserService {
public:
    int MessageDlg(const QString&, TMsgDlgType, int) override { return mrOk; }
    void Warning(const QString&) override {}
};

void writeSeeds(const QString& dir)
{
    QDir().mkpath(dir);
    auto* root = new TFuzzItem(nullptr);
    root->SetName(QString::fromUtf8("racine é"));
    root->Number = 70000;
    root->Kind = foContaining;
    root->Flag = true;
    root->Caps = 0x15;
    root->Ratio = 2.5;
    root->Text = QString(300, u'x');
    root->Lines.setStringList({"a", "b"});
    root->Blob = "bytes";
    TFuzzItem* c = root->Children->AddNew();
    c->SetName("child");
    c->Children->AddNew()->SetName("grandchild");
    TFuzzList* g = root->Groups->AddNew();
    g->AddNew()->SetName("in group");
    root->Refs->AddItem(c);
    const QByteArray plain = root->SaveToBytes();
    root->Free();
    QByteArray scrambled = plain;
    for (char& ch : scrambled)
        ch ^= 1;
    for (auto [name, bytes] : {std::pair{"tree.plain", plain}, std::pair{"tree.scrambled", scrambled}}) {
        QFile f(dir + "/" + name);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
}

} // namespace

MX_DEFINE_CLASS(TFuzzList, TMxList, [](ClassBuilder<TFuzzList>& c) { c.items<TFuzzItem>(); })
MX_DEFINE_CLASS(TFuzzLists, TMxList, [](ClassBuilder<TFuzzLists>& c) { c.items<TFuzzList>(); })
MX_DEFINE_CLASS(TFuzzItem, TMxItem, describe)

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static QuietService service;
    SetUserService(&service);
    if (const char* seeds = std::getenv("MORVELIN_FUZZ_SEEDS"))
        writeSeeds(QString::fromLocal8Bit(seeds));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    auto* root = new TFuzzItem(nullptr);
    try {
        root->LoadFromStream(bytes);
        root->SaveToBytes();
    } catch (const Exception&) {
    }
    root->Free();
    return 0;
}
