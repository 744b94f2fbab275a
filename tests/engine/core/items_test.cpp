// Items, lists and observers: each scenario is checked as one recorded
// event log.

#include "engine/core/exceptions.h"
#include "engine/core/file.h"
#include "engine/core/list.h"
#include "engine/core/strings.h"
#include "engine/core/translate.h"

#include "tests/support/testsupport.h"

#include <QStringList>

using namespace mx;

namespace {

// Logs every notification of the lists and items it observes.
struct Recorder {
    QStringList log;
    void observe(TMxItem* item, const QString& tag)
    {
        item->AddHook(
            this, [this, tag](TMxItem* s) { log << tag + ":change " + s->GetName(); },
            [this, tag, item](TMxItem* i) { log << tag + ":add " + describe(item, i); },
            [this, tag, item](TMxItem* i) { log << tag + ":remove " + describe(item, i); });
    }
    static QString describe(TMxItem* owner, TMxItem* i)
    {
        QString s = QString::number(i->Id()) + "/" + i->GetName();
        if (auto* l = dynamic_cast<TMxList*>(owner))
            s += QString(" count=%1 active=%2").arg(l->Count()).arg(l->ActiveCount());
        return s;
    }
    QStringList take() { return std::exchange(log, {}); }
};

TMxItem* named(TMxList* list, int id, const QString& name)
{
    auto* item = new TMxItem(list);
    item->SetId(id);
    item->SetName(name);
    return item;
}

} // namespace

TEST(Items, ListLifecycleAsEventLog)
{
    const qsizetype liveBefore = ItemManager().Count();
    auto* list = new TMxList(nullptr);
    Recorder r;

    // created with the list as owner: in the list, nobody told
    TMxItem* a = named(list, 1, "a");
    EXPECT_EQ(list->Count(), 1);
    EXPECT_EQ(a->GetIndex(), 0);

    // a late observer receives the members already there
    r.observe(list, "L");
    EXPECT_EQ(r.take(), QStringList{"L:add 1/a count=1 active=1"});

    // AddNew numbers by count after the append
    TMxItem* b = list->AddNew();
    TMxItem* c = list->AddNew();
    EXPECT_EQ(b->Id(), 2);
    EXPECT_EQ(c->Id(), 3);
    EXPECT_EQ(r.take(), (QStringList{"L:add 2/ count=2 active=2", "L:add 3/ count=3 active=3"}));

    // during OnRemove the leaving item still counts, ActiveCount does not
    list->Remove(b);
    EXPECT_EQ(r.take(), QStringList{"L:remove 2/ count=3 active=2"});
    EXPECT_EQ(list->Count(), 2);
    EXPECT_EQ(list->AddNew()->Id(), 3); // ids are unique only where callers make them so

    // a clone is announced before its values are copied
    TMxItem* cl = a->Clone(list);
    EXPECT_EQ(cl->GetName(), "a");
    EXPECT_EQ(r.take(), (QStringList{"L:add 3/ count=3 active=3", "L:add 0/ count=4 active=4"}));

    // the removed item, freed later, is announced a second time
    b->Free();
    EXPECT_EQ(r.take(), QStringList{"L:remove 2/ count=4 active=3"});

    // removing the hook replays removals, last first
    list->RemoveHook(&r);
    EXPECT_EQ(r.take(), (QStringList{"L:remove 1/a count=4 active=4", "L:remove 3/ count=4 active=4",
                            "L:remove 3/ count=4 active=4", "L:remove 1/a count=4 active=4"}));
    EXPECT_EQ(list->HookCount(), 0);

    r.observe(list, "L");
    r.take();
    list->Free();
    EXPECT_EQ(r.take(), (QStringList{"L:remove 1/a count=4 active=3", "L:remove 3/ count=3 active=2",
                            "L:remove 3/ count=2 active=1", "L:remove 1/a count=1 active=0"}));
    EXPECT_EQ(ItemManager().Count(), liveBefore);
}

TEST(Items, ReferencingListLeavesItemsAlone)
{
    auto* owner = new TMxList(nullptr);
    auto* refs = new TMxList(nullptr);
    refs->SetOwnsItems(false);
    TMxItem* x = named(owner, 1, "x");
    refs->AddItem(x);
    Recorder r;
    r.observe(refs, "R");
    r.take();
    refs->Clear();
    EXPECT_TRUE(r.take().isEmpty());
    EXPECT_EQ(owner->Count(), 1);
    EXPECT_EQ(x->GetName(), "x");

    // Assign: a referencing list shares, an owning list clones
    refs->AddItem(x);
    auto* copy = new TMxList(nullptr);
    copy->Assign(owner);
    ASSERT_EQ(copy->Count(), 1);
    EXPECT_NE(copy->Items(0), x);
    EXPECT_EQ(copy->Items(0)->GetName(), "x");
    auto* refCopy = new TMxList(nullptr);
    refCopy->SetOwnsItems(false);
    refCopy->Assign(refs);
    EXPECT_EQ(refCopy->Items(0), x);

    // assigning a list from itself keeps its items
    owner->Assign(owner);
    EXPECT_EQ(owner->Count(), 1);
    EXPECT_EQ(owner->Items(0), x);

    refCopy->Free();
    refs->Free();
    copy->Free();
    owner->Free();
}

TEST(Items, HandlerMayRemoveHooksDuringNotification)
{
    auto* item = new TMxItem(nullptr);
    QStringList log;
    int second = 0;
    TMxHook* other = nullptr;
    item->AddHook(&log, [&](TMxItem*) {
        log << "first";
        item->RemoveHook(&log);     // its own hook
        item->RemoveHook(&second);  // and one still to be called
    });
    other = item->AddHook(&second, [&](TMxItem*) { log << "second"; });
    item->AddHook(&other, [&](TMxItem*) { log << "third"; });
    item->Change();
    EXPECT_EQ(log, (QStringList{"first", "third"}));
    EXPECT_EQ(item->HookCount(), 1);
    item->Free();
}

TEST(Items, HooksOfAnotherItemAreNeverUsed)
{
    auto* a = new TMxItem(nullptr);
    auto* b = new TMxItem(nullptr);
    int calls = 0;
    TMxHook* hookOfA = a->AddHook(&calls, [&](TMxItem*) { ++calls; });
    // b does not know a's hook: not found, not freed
    EXPECT_EQ(b->FindHook(hookOfA), nullptr);
    b->RemoveHook(hookOfA);
    EXPECT_EQ(a->FindHook(hookOfA), hookOfA);
    a->Change();
    EXPECT_EQ(calls, 1);
    try {
        b->FindHook(&calls, true);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "No hooks defined for TMxItem0-");
    }
    a->Free();
    b->Free();
}

TEST(Items, FreedOwnerIsNeverCalled)
{
    auto* list = new TMxList(nullptr);
    TMxItem* x = named(list, 1, "x");
    list->Remove(x);
    list->Free();  // x was no longer in it, so it survives
    EXPECT_EQ(x->Owner(), nullptr);
    EXPECT_EQ(x->GetIndex(), -1);
    x->Free();     // must not touch the freed list (ASan would tell)
}

TEST(Items, ClearEndsWhenAnItemBelongsElsewhere)
{
    auto* home = new TMxList(nullptr);
    auto* other = new TMxList(nullptr);
    TMxItem* stranger = named(home, 1, "s");
    other->AddItem(stranger); // owned by home, listed in other too
    named(other, 2, "own");
    other->Clear();
    EXPECT_EQ(other->Count(), 0);
    EXPECT_EQ(home->Count(), 0); // the stranger was freed and left home
    home->Free();
    other->Free();
}

TEST(Items, SortFindAndUpdateCounting)
{
    auto* list = new TMxList(nullptr);
    for (const char* n : {"b", "B", "a"})
        named(list, 0, QString::fromUtf8(n));
    list->Sort();
    QStringList order;
    for (TMxItem* i : *list)
        order << i->GetName();
    EXPECT_EQ(order, (QStringList{"B", "a", "b"}));

    // byte order of the code page, not UTF-16: Œ (0x8C) before É (0xC9)
    auto* accents = new TMxList(nullptr);
    named(accents, 0, QString::fromUtf8("É"));
    named(accents, 0, QString::fromUtf8("Œ"));
    accents->Sort();
    EXPECT_EQ(accents->Items(0)->GetName(), QString::fromUtf8("Œ"));

    EXPECT_EQ(list->FindByName("A"), nullptr);
    EXPECT_EQ(list->FindByName("A", Qt::CaseInsensitive)->GetName(), "a");
    EXPECT_TRUE(CaseSensitiveNames);

    TMxItem* item = list->Items(0);
    int changes = 0;
    item->AddHook(&changes, [&](TMxItem*) { ++changes; });
    item->SetName("B");
    EXPECT_EQ(changes, 0);
    item->SetName("b");
    EXPECT_EQ(changes, 1);
    for (int i = 0; i < 255; ++i)
        item->BeginUpdate();
    EXPECT_THROW(item->BeginUpdate(), EIntOverflow);
    for (int i = 0; i < 255; ++i)
        item->EndUpdate();
    EXPECT_EQ(changes, 2); // the last EndUpdate reports one change
    item->EndUpdate();     // unmatched: nothing
    EXPECT_EQ(changes, 2);

    EXPECT_THROW(list->Items(3), EListError);
    EXPECT_EQ(list->EnsureId(7)->Id(), 7);
    EXPECT_EQ(list->NextId(), 8);
    item->RemoveHook(&changes);
    list->Free();
    accents->Free();
}

TEST(Items, AssignAndStringLists)
{
    auto* list = new TMxList(nullptr);
    named(list, 1, "one");
    named(list, 2, "two");
    TStrings s;
    list->AssignTo(&s);
    EXPECT_EQ(s.toStringList(), (QStringList{"one", "two"}));
    EXPECT_EQ(s.Objects(1), list->Items(1));
    TMxFile notAStringList(nullptr);
    try {
        list->AssignTo(&notAStringList);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), "TMxList can not assign to TMxFile");
    }
    try {
        list->Items(0)->Assign(nullptr);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "Cannot assign NIL to TMxItem");
    }
    EXPECT_EQ(list->Items(1)->GetTagName(), "TMxItem2-two");
    list->Free();
}

class FileItems : public mxtest::EngineTest {};

TEST_F(FileItems, ModifiedFollowsLoadSaveAndChange)
{
    auto* f = new TMxFile(nullptr);
    f->SetName("doc");
    EXPECT_TRUE(f->Modified());
    const QString path = Path("doc.MQR");
    f->SaveToFile(path);
    EXPECT_FALSE(f->Modified());
    EXPECT_TRUE(f->FileName().isEmpty()); // saving does not rename
    f->Change();
    EXPECT_TRUE(f->Modified());

    auto* g = new TMxFile(nullptr);
    g->LoadFromFile(path);
    EXPECT_FALSE(g->Modified());
    EXPECT_EQ(g->FileName(), path);
    EXPECT_EQ(g->GetName(), "doc");

    // the relocation hook is asked until it finds the file or gives up
    int asked = 0;
    {
        ScopedHook guard(LocateFileHook, [&](TMxFile*, QString& name) {
            ++asked;
            name = path;
            return true;
        });
        g->LoadFromFile(Path("elsewhere.MQR"));
    }
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(g->FileName(), path);
    {
        ScopedHook guard(LocateFileHook, [&](TMxFile*, QString&) { return false; });
        try {
            g->LoadFromFile(Path("gone.MQR"));
            FAIL();
        } catch (const EMxFileNotFound& e) {
            EXPECT_EQ(e.message(), "File not found " + Path("gone.MQR"));
        }
        // the message is translated once a language is there
        ScopedHook language(TranslateHook, [](const QString& text) {
            return text == u"File not found %s" ? QStringLiteral("Fichier introuvable : %s") : text;
        });
        try {
            g->LoadFromFile(Path("gone.MQR"));
            FAIL();
        } catch (const EMxFileNotFound& e) {
            EXPECT_EQ(e.message(), "Fichier introuvable : " + Path("gone.MQR"));
        }
    }
    EXPECT_FALSE(LocateFileHook);
    f->Free();
    g->Free();
}
