// The entity outline's item model: in step with its entity list under
// Qt's model tester, rows keyed by Ids, drags carrying Ids only; and the
// field drag payload's round trip and its refusal of damaged bytes.

#include "controlstest.h"

#include "ui/controls/entitymodel.h"
#include "ui/controls/fielddrag.h"

#include "engine/model/entity.h"
#include "engine/model/field.h"
#include "engine/model/table.h"

#include <QAbstractItemModelTester>
#include <QMimeData>

using namespace mx;
using namespace mx::ui;
using namespace mxtest;

namespace {

// A table of four fields and two entities on it: "Clients" (Nom, Ville)
// and "Ventes" (none yet).
struct EntityModelFixture : ControlsTest {
    TMxTable* table = nullptr;
    TMxEntity* clients = nullptr;
    TMxEntity* ventes = nullptr;
    TEntityOutlineModel model;
    std::unique_ptr<QAbstractItemModelTester> tester;

    void SetUp() override
    {
        table = new TMxTable(nullptr);
        table->SetId(3);
        table->SetName(QStringLiteral("CLIENT"));
        int id = 10;
        for (auto [name, full] : {std::pair{"NUMCLI", "Numéro client"}, {"NOM", "Nom"}, {"VILLE", "Ville"}, {"MONTANT", "Montant"}}) {
            TMxField* f = table->Fields()->AddNew();
            f->SetId(id++);
            f->SetName(QString::fromUtf8(name));
            f->SetFullName(QString::fromUtf8(full));
        }
        clients = table->Entities()->AddNew();
        clients->SetId(7);
        clients->SetName(QStringLiteral("Clients"));
        clients->AddField(field("NOM"));
        clients->AddField(field("VILLE"));
        ventes = table->Entities()->AddNew();
        ventes->SetId(8);
        ventes->SetName(QStringLiteral("Ventes"));
        model.SetModelFile(QStringLiteral("BOUTIQUE.MXM"));
        tester = std::make_unique<QAbstractItemModelTester>(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    }
    void TearDown() override
    {
        model.SetEntities(nullptr);
        tester.reset();
        TMxItem::Free(table);
    }
    TMxField* field(const char* name) const { return table->Fields()->FindField(QString::fromLatin1(name)); }

    // "Entity: field, field" for every top row, from the model's data.
    QStringList tree() const
    {
        QStringList out;
        for (int i = 0; i < model.rowCount(); ++i) {
            const QModelIndex e = model.index(i, 0);
            QStringList fields;
            for (int j = 0; j < model.rowCount(e); ++j)
                fields << model.index(j, 0, e).data().toString();
            out << e.data().toString() + QStringLiteral(": ") + fields.join(QStringLiteral(", "));
        }
        return out;
    }
};

TEST_F(EntityModelFixture, FollowsAddRenameAndRemoveUnderTheTester)
{
    model.SetEntities(table->Entities());
    EXPECT_EQ(tree(), QStringList({"Clients: Nom, Ville", "Ventes: "}));
    ventes->AddField(field("NUMCLI"));
    ventes->AddField(field("MONTANT"));
    EXPECT_EQ(tree(), QStringList({"Clients: Nom, Ville", "Ventes: Numéro client, Montant"}));

    clients->SetName(QStringLiteral("Clientèle"));
    field("VILLE")->SetFullName(QStringLiteral("Ville du client"));
    EXPECT_EQ(tree(), QStringList({"Clientèle: Nom, Ville du client", "Ventes: Numéro client, Montant"}));

    // an entry freed: its row goes; an entity freed: its row and its fields'
    TMxItem::Free(ventes->WFields()->Items(0));
    EXPECT_EQ(tree(), QStringList({"Clientèle: Nom, Ville du client", "Ventes: Montant"}));
    TMxItem::Free(clients);
    EXPECT_EQ(tree(), QStringList({"Ventes: Montant"}));

    // an entity made while the model looks is inserted where the list has it
    TMxEntity* more = table->Entities()->AddNew();
    more->SetId(9);
    more->SetName(QStringLiteral("Relances"));
    more->AddField(field("NOM"));
    EXPECT_EQ(tree(), QStringList({"Ventes: Montant", "Relances: Nom"}));

    model.SetEntities(nullptr);
    EXPECT_EQ(model.rowCount(), 0);
}

// The model decides which rows exist: a refused entity or field has no
// row and is not followed, rows keep the list's order among those shown
// (refused neighbours taking no place), and the entities left empty are
// dropped on request and stay dropped while they change, until the list
// reports them again.
TEST_F(EntityModelFixture, FiltersAndEmptyEntitiesDecideTheRowsUnderTheTester)
{
    TMxEntity* relances = table->Entities()->AddNew();
    relances->SetId(9);
    relances->SetName(QStringLiteral("Relances"));
    relances->AddField(field("VILLE"));
    QList<TMxItem*> asked;
    model.OnEntityAdded = [&](TMxItem* e, bool& accept) {
        asked << e;
        accept = e != clients;
    };
    model.OnFieldAdded = [&](TMxItem* f, bool& accept) { accept = f != field("VILLE"); };
    model.SetEntities(table->Entities());
    EXPECT_EQ(asked, (QList<TMxItem*>{clients, ventes, relances}));
    EXPECT_EQ(tree(), QStringList({"Ventes: ", "Relances: "}));
    // nothing of a refused entity is followed, nor a refused field's entry
    EXPECT_EQ(clients->HookCount(), 0);
    EXPECT_EQ(clients->WFields()->HookCount(), 0);
    EXPECT_EQ(relances->WFields()->Items(0)->HookCount(), 0);
    clients->AddField(field("MONTANT"));
    relances->AddField(field("NOM"));
    relances->AddField(field("MONTANT"));
    EXPECT_EQ(tree(), QStringList({"Ventes: ", "Relances: Nom, Montant"}));
    EXPECT_FALSE(model.IndexOf(clients).isValid());
    EXPECT_FALSE(model.IndexOf(relances->WFields()->Items(0)).isValid());

    // an entity and an entry taken out and put back where they were: back
    // in their places among the rows shown
    table->Entities()->Remove(ventes);
    EXPECT_EQ(tree(), QStringList({"Relances: Nom, Montant"}));
    table->Entities()->Insert(1, ventes);
    TMxItem* nom = relances->WFields()->Items(1);
    relances->WFields()->Remove(nom);
    EXPECT_EQ(tree(), QStringList({"Ventes: ", "Relances: Montant"}));
    relances->WFields()->Insert(1, nom);
    EXPECT_EQ(tree(), QStringList({"Ventes: ", "Relances: Nom, Montant"}));
    EXPECT_EQ(model.IndexOf(nom), model.index(0, 0, model.index(1, 0)));

    // the empty ones dropped, and not followed any more
    TMxEntity* prospects = table->Entities()->AddNew();
    prospects->SetId(11);
    prospects->SetName(QStringLiteral("Prospects"));
    prospects->AddField(field("VILLE"));
    EXPECT_EQ(tree(), QStringList({"Ventes: ", "Relances: Nom, Montant", "Prospects: "}));
    model.RemoveEmptyEntities();
    EXPECT_EQ(tree(), QStringList({"Relances: Nom, Montant"}));
    for (TMxEntity* e : {ventes, prospects}) {
        EXPECT_EQ(e->HookCount(), 0);
        EXPECT_EQ(e->WFields()->HookCount(), 0);
        EXPECT_FALSE(model.IndexOf(e).isValid());
    }
    prospects->AddField(field("NOM"));
    prospects->SetName(QStringLiteral("Clients possibles"));
    TMxItem::Free(ventes);
    EXPECT_EQ(tree(), QStringList({"Relances: Nom, Montant"}));
    // an entity the list reports again is asked about again
    asked.clear();
    table->Entities()->Remove(prospects);
    table->Entities()->Insert(table->Entities()->Count(), prospects);
    EXPECT_EQ(asked, (QList<TMxItem*>{prospects}));
    EXPECT_EQ(tree(), QStringList({"Relances: Nom, Montant", "Clients possibles: Nom"}));
    // filters set later change no row already made; the list set again
    // asks them anew
    model.OnEntityAdded = nullptr;
    model.OnFieldAdded = nullptr;
    EXPECT_EQ(tree(), QStringList({"Relances: Nom, Montant", "Clients possibles: Nom"}));
    model.SetEntities(nullptr);
    model.SetEntities(table->Entities());
    EXPECT_EQ(tree(), QStringList({"Clients: Nom, Ville, Montant", "Relances: Ville, Nom, Montant", "Clients possibles: Ville, Nom"}));
}

TEST_F(EntityModelFixture, RowsAreKeyedByIdsAndFoundAgainByThem)
{
    model.SetEntities(table->Entities());
    const QModelIndex clientsRow = model.index(0, 0);
    const QModelIndex ville = model.index(1, 0, clientsRow);
    struct Case {
        QModelIndex index;
        int entity, tableId, fieldId;
        TMxEntity* entityAt;
        TMxField* fieldAt;
    };
    const Case cases[] = {
        {clientsRow, 7, 0, -1, clients, nullptr},
        {ville, 7, 3, 12, clients, field("VILLE")},
        {model.index(1, 0), 8, 0, -1, ventes, nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.index.data(TEntityOutlineModel::EntityIdRole).toInt(), c.entity);
        EXPECT_EQ(c.index.data(TEntityOutlineModel::FieldIdRole).toInt(), c.fieldId);
        EXPECT_EQ(model.EntityAt(c.index), c.entityAt);
        EXPECT_EQ(model.FieldAt(c.index), c.fieldAt);
        const TFieldDragItem item = model.DragItemAt(c.index);
        EXPECT_EQ(item, (TFieldDragItem{c.entity, c.tableId, c.fieldId}));
        EXPECT_EQ(model.IndexOf(item), c.index);
        const TResolvedDragItem found = ResolveDragItem(table->Entities(), item);
        EXPECT_EQ(found.entity, c.entityAt);
        EXPECT_EQ(found.field, c.fieldAt);
    }
    // an Id that names nothing finds nothing
    EXPECT_FALSE(model.IndexOf(TFieldDragItem{7, 3, 99}).isValid());
    EXPECT_EQ(ResolveDragItem(table->Entities(), TFieldDragItem{7, 3, 99}).entity, nullptr);
    EXPECT_EQ(ResolveDragItem(table->Entities(), TFieldDragItem{42, 0, -1}).entity, nullptr);
}

TEST_F(EntityModelFixture, ADragOfRowsCarriesTheModelFileAndIdsOnly)
{
    model.SetEntities(table->Entities());
    const QModelIndex clientsRow = model.index(0, 0);
    const QModelIndex nom = model.index(0, 0, clientsRow);
    std::unique_ptr<QMimeData> mime(model.mimeData({nom, model.index(1, 0)}));
    ASSERT_TRUE(mime);
    EXPECT_EQ(mime->formats(), QStringList({QString::fromLatin1(FieldDragMimeType)}));
    const std::optional<TFieldDragPayload> payload = TFieldDragPayload::FromMimeData(mime.get());
    ASSERT_TRUE(payload);
    EXPECT_EQ(payload->modelFile, QStringLiteral("BOUTIQUE.MXM"));
    EXPECT_EQ(payload->items, (QList<TFieldDragItem>{{7, 3, 11}, {8, 0, -1}}));
    // the bytes are the identifiers and nothing more: the same payload
    // written again gives the same bytes
    TFieldDragPayload written{QStringLiteral("BOUTIQUE.MXM"), {{7, 3, 11}, {8, 0, -1}}};
    EXPECT_EQ(mime->data(QString::fromLatin1(FieldDragMimeType)), written.Encode());

    // once what it names is gone, the payload resolves to nothing
    TMxItem::Free(clients);
    EXPECT_EQ(ResolveDragItem(table->Entities(), payload->items[0]).entity, nullptr);
    EXPECT_EQ(ResolveDragItem(table->Entities(), payload->items[1]).entity, ventes);
}

TEST(FieldDragPayload, RoundTripsAndRefusesDamagedBytes)
{
    const TFieldDragPayload payload{QStringLiteral("C:/Modèles/BOUTIQUE.MXM"), {{7, 3, 11}, {8, 0, -1}, {9, 0, 4}}};
    const QByteArray bytes = payload.Encode();
    EXPECT_EQ(TFieldDragPayload::Decode(bytes), payload);
    EXPECT_EQ(TFieldDragPayload::FromVariant(payload.ToVariant()), payload);

    QByteArray later = bytes;
    later[3] = char(2); // a later version
    QByteArray trailing = bytes + QByteArray("x");
    const QByteArray damaged[] = {QByteArray(), bytes.left(bytes.size() - 1), bytes.left(6), later, trailing,
        QByteArray("application/x-qabstractitemmodeldatalist")};
    for (const QByteArray& b : damaged)
        EXPECT_FALSE(TFieldDragPayload::Decode(b)) << b.toHex().toStdString();
    // not the payload's form at all
    EXPECT_FALSE(TFieldDragPayload::FromVariant(QVariant(QStringLiteral("EntityOutline"))));
    EXPECT_FALSE(TFieldDragPayload::FromVariant(QVariant()));
    QMimeData text;
    text.setText(QStringLiteral("Nom"));
    EXPECT_FALSE(TFieldDragPayload::FromMimeData(&text));
    EXPECT_FALSE(TFieldDragPayload::FromMimeData(nullptr));
}

} // namespace
