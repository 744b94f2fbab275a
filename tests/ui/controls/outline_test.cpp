// The entity outline: in step with its entity list through add, rename
// and remove; the filters; what a press selects.

#include "controlstest.h"

#include "ui/controls/entitymodel.h"
#include "ui/controls/entityoutline.h"
#include "tests/support/samplemodel.h"

#include "engine/model/datamodel.h"
#include "engine/model/entity.h"
#include "engine/model/field.h"
#include "engine/model/table.h"

using namespace mx;
using namespace mx::ui;
using namespace mxtest;

namespace {

// A table of four fields and two entities on it: "Clients" (Nom, Ville:
// entries made before the outline looks) and "Ventes" (Numéro client,
// Montant: added through AddField while the outline looks, in some tests).
struct OutlineFixture : ControlsTest {
    TMxTable* table = nullptr;
    TMxEntity* clients = nullptr;
    TMxEntity* ventes = nullptr;
    TEntityOutline outline;

    void SetUp() override
    {
        table = new TMxTable(nullptr);
        table->SetId(3);
        table->SetName(QStringLiteral("CLIENT"));
        for (auto [name, full] : {std::pair{"NUMCLI", "Numéro client"}, {"NOM", "Nom"}, {"VILLE", "Ville"}, {"MONTANT", "Montant"}}) {
            TMxField* f = table->Fields()->AddNew();
            f->SetName(QString::fromUtf8(name));
            f->SetFullName(QString::fromUtf8(full));
        }
        clients = table->Entities()->AddNew();
        clients->SetName(QStringLiteral("Clients"));
        clients->AddField(field("NOM"));
        clients->AddField(field("VILLE"));
        ventes = table->Entities()->AddNew();
        ventes->SetName(QStringLiteral("Ventes"));
        outline.resize(300, 400);
        outline.show();
    }
    void TearDown() override
    {
        outline.SetEntities(nullptr);
        TMxItem::Free(table);
    }
    TMxField* field(const char* name) const { return table->Fields()->FindField(QString::fromLatin1(name)); }

    // "Entity: field, field" for every top node.
    QStringList tree() const
    {
        QStringList out;
        for (int i = 0; i < outline.topLevelItemCount(); ++i) {
            QTreeWidgetItem* n = outline.topLevelItem(i);
            QStringList fields;
            for (int j = 0; j < n->childCount(); ++j)
                fields << n->child(j)->text(0);
            out << n->text(0) + QStringLiteral(": ") + fields.join(QStringLiteral(", "));
        }
        return out;
    }
};

TEST_F(OutlineFixture, FollowsAddRenameAndRemove)
{
    outline.SetEntities(table->Entities());
    EXPECT_EQ(tree(), QStringList({"Clients: Nom, Ville", "Ventes: "}));
    ventes->AddField(field("NUMCLI"));
    ventes->AddField(field("MONTANT"));
    EXPECT_EQ(tree(), QStringList({"Clients: Nom, Ville", "Ventes: Numéro client, Montant"}));
    // A node stands for the entity's entry, and shows the field's FullName.
    QTreeWidgetItem* numcli = outline.topLevelItem(1)->child(0);
    EXPECT_EQ(outline.ItemOf(numcli), ventes->WFields()->Items(0));
    EXPECT_EQ(TEntityOutline::FieldOfItem(outline.ItemOf(numcli)), field("NUMCLI"));

    clients->SetName(QStringLiteral("Clients fidèles"));
    // A field renamed, or an entry made to name another field: the node
    // keeps showing the FullName, never the short name.
    field("VILLE")->SetFullName(QStringLiteral("Ville de résidence"));
    ventes->SetField(1, field("NOM"));
    EXPECT_EQ(tree(), QStringList({"Clients fidèles: Nom, Ville de résidence", "Ventes: Numéro client, Nom"}));
    field("NOM")->SetFullName(QStringLiteral("Nom du client"));
    EXPECT_EQ(tree(), QStringList({"Clients fidèles: Nom du client, Ville de résidence", "Ventes: Numéro client, Nom du client"}));

    // Removing an entry, then an entity with its fields.
    ventes->WFields()->Items(0)->Free();
    EXPECT_EQ(tree(), QStringList({"Clients fidèles: Nom du client, Ville de résidence", "Ventes: Nom du client"}));
    clients->Free();
    EXPECT_EQ(tree(), QStringList({"Ventes: Nom du client"}));
    TMxEntity* autres = table->Entities()->AddNew();
    autres->SetName(QStringLiteral("Autres"));
    EXPECT_EQ(tree(), QStringList({"Ventes: Nom du client", "Autres: "}));

    // Letting the list go leaves no hook behind.
    outline.SetEntities(nullptr);
    EXPECT_EQ(outline.topLevelItemCount(), 0);
    EXPECT_EQ(table->Entities()->HookCount(), 0);
    EXPECT_EQ(ventes->HookCount(), 0);
    EXPECT_EQ(ventes->WFields()->HookCount(), 0);
    EXPECT_EQ(field("NOM")->HookCount(), 0);
}

TEST_F(OutlineFixture, NodesHoldIdentifiersNeverPointers)
{
    clients->SetId(7);
    ventes->SetId(8);
    ventes->AddField(field("NUMCLI"));
    outline.SetEntities(table->Entities());
    using M = TEntityOutlineModel;
    auto ids = [](const QTreeWidgetItem* n) {
        return QList<QVariant>{n->data(0, M::EntityIdRole), n->data(0, M::TableIdRole), n->data(0, M::FieldIdRole)};
    };
    QTreeWidgetItem* clientsNode = outline.topLevelItem(0);
    QTreeWidgetItem* ventesNumcli = outline.topLevelItem(1)->child(0);
    EXPECT_EQ(ids(clientsNode), (QList<QVariant>{7, QVariant(), -1}));
    EXPECT_EQ(ids(clientsNode->child(1)), (QList<QVariant>{7, 3, field("VILLE")->Id()}));
    EXPECT_EQ(ids(ventesNumcli), (QList<QVariant>{8, 3, field("NUMCLI")->Id()}));
    // no role of any node holds anything but a number
    for (int i = 0; i < outline.topLevelItemCount(); ++i) {
        QList<const QTreeWidgetItem*> nodes{outline.topLevelItem(i)};
        for (int j = 0; j < outline.topLevelItem(i)->childCount(); ++j)
            nodes << outline.topLevelItem(i)->child(j);
        for (const QTreeWidgetItem* n : nodes)
            for (int role = Qt::UserRole; role < Qt::UserRole + 8; ++role) {
                const QVariant v = n->data(0, role);
                EXPECT_TRUE(!v.isValid() || v.typeId() == QMetaType::Int) << n->text(0).toStdString() << " " << role;
            }
    }
    // an entry made to name another field: its node's Ids follow
    ventes->SetField(0, field("MONTANT"));
    EXPECT_EQ(ids(ventesNumcli), (QList<QVariant>{8, 3, field("MONTANT")->Id()}));
    EXPECT_EQ(outline.ItemOf(ventesNumcli), ventes->WFields()->Items(0));
    EXPECT_EQ(outline.EntityOf(ventesNumcli), ventes);
}

TEST_F(OutlineFixture, FiltersLeaveEntitiesAndFieldsOut)
{
    outline.OnEntityAdded = [&](TMxItem* e, bool& accept) { accept = e != ventes; };
    outline.OnFieldAdded = [](TMxItem* f, bool& accept) {
        auto* field = item_cast<TMxField>(f);
        accept = field && !field->FullName().startsWith(u'V');
    };
    outline.SetEntities(table->Entities());
    EXPECT_EQ(tree(), QStringList({"Clients: Nom"}));
    // A refused entity is not followed: its fields never make nodes.
    ventes->AddField(field("NUMCLI"));
    EXPECT_EQ(ventes->WFields()->HookCount(), 0);
    EXPECT_EQ(tree(), QStringList({"Clients: Nom"}));
    clients->AddField(field("MONTANT"));
    EXPECT_EQ(tree(), QStringList({"Clients: Nom, Montant"}));

    outline.OnEntityAdded = nullptr;
    outline.OnFieldAdded = nullptr;
    outline.RemoveEmptyEntities(); // nothing is empty
    EXPECT_EQ(tree(), QStringList({"Clients: Nom, Montant"}));
    outline.SetEntities(nullptr);
    ventes->WFields()->Items(0)->Free();
    outline.SetEntities(table->Entities());
    EXPECT_EQ(tree(), QStringList({"Clients: Nom, Ville, Montant", "Ventes: "}));
    outline.RemoveEmptyEntities();
    EXPECT_EQ(tree(), QStringList({"Clients: Nom, Ville, Montant"}));
    ventes->AddField(field("NOM")); // no longer followed
    EXPECT_EQ(tree(), QStringList({"Clients: Nom, Ville, Montant"}));
}

TEST_F(OutlineFixture, PressSelectsWhatIsUnderTheMouse)
{
    ventes->AddField(field("NUMCLI"));
    outline.SetEntities(table->Entities());
    QWidget* vp = outline.viewport();
    QTreeWidgetItem* clientsNode = outline.topLevelItem(0);
    const int h = outline.ItemHeight();
    EXPECT_EQ(outline.indentation(), h);
    EXPECT_EQ(outline.visualItemRect(clientsNode).height(), h);

    // On the plus sign: the node opens and shuts; nothing is selected in
    // the tree.
    const QPoint sign(h / 2, outline.visualItemRect(clientsNode).center().y());
    ASSERT_FALSE(clientsNode->isExpanded());
    Press(vp, sign);
    Release(vp, sign);
    EXPECT_TRUE(clientsNode->isExpanded());
    EXPECT_EQ(outline.SelectedEntity(), clients);
    EXPECT_EQ(outline.SelectedField(), nullptr);
    EXPECT_TRUE(outline.selectedItems().isEmpty());
    Press(vp, sign);
    Release(vp, sign);
    EXPECT_FALSE(clientsNode->isExpanded());
    Press(vp, sign);
    Release(vp, sign);

    // On a field: both selections, and the tree selects the node.
    QTreeWidgetItem* ville = clientsNode->child(1);
    const QPoint onVille = outline.visualItemRect(ville).center();
    Press(vp, onVille);
    Release(vp, onVille);
    EXPECT_EQ(outline.SelectedEntity(), clients);
    EXPECT_EQ(outline.SelectedField(), field("VILLE"));
    EXPECT_EQ(outline.currentItem(), ville);

    // On the entity's text: the entity alone, the node not toggled.
    QTreeWidgetItem* ventesNode = outline.topLevelItem(1);
    const QPoint onVentes = outline.visualItemRect(ventesNode).center();
    Press(vp, onVentes);
    Release(vp, onVentes);
    EXPECT_EQ(outline.SelectedEntity(), ventes);
    EXPECT_EQ(outline.SelectedField(), nullptr);
    EXPECT_FALSE(ventesNode->isExpanded());

    // Below every node: both cleared, the tree's selection untouched.
    Press(vp, QPoint(100, 390));
    EXPECT_EQ(outline.SelectedEntity(), nullptr);
    EXPECT_EQ(outline.SelectedField(), nullptr);
    EXPECT_EQ(outline.currentItem(), ventesNode);

    // A selected field that goes away is no longer selected.
    Press(vp, onVille);
    clients->WFields()->Items(1)->Free();
    EXPECT_EQ(outline.SelectedEntity(), clients);
    clients->Free();
    EXPECT_EQ(outline.SelectedEntity(), nullptr);
}

TEST_F(OutlineFixture, ListFreedUnderTheOutline)
{
    outline.SetEntities(table->Entities());
    TMxItem::Free(table);
    table = nullptr;
    EXPECT_EQ(outline.topLevelItemCount(), 0);
    EXPECT_EQ(outline.Entities(), nullptr);
    outline.SetEntities(nullptr);
}

TEST(Outline, SampleModelEntityView)
{
    ui::test::ScopedScriptedUi ui;
    TMxDataModel* model = MakeSampleModel();
    model->SetDomainById(SampleModel::MainSetId);
    {
        TEntityOutline outline;
        outline.SetEntities(model->DomainEntities());
        ASSERT_GT(outline.topLevelItemCount(), 0);
        QStringList names;
        for (int i = 0; i < outline.topLevelItemCount(); ++i)
            names << outline.topLevelItem(i)->text(0);
        EXPECT_TRUE(names.contains(QStringLiteral("Clients"))) << names.join(u',').toStdString();
        // Fields resolve through the model's tables: FullNames, never "".
        for (int i = 0; i < outline.topLevelItemCount(); ++i)
            for (int j = 0; j < outline.topLevelItem(i)->childCount(); ++j) {
                QTreeWidgetItem* n = outline.topLevelItem(i)->child(j);
                TMxField* f = TEntityOutline::FieldOfItem(outline.ItemOf(n));
                ASSERT_TRUE(f) << n->text(0).toStdString();
                EXPECT_EQ(n->text(0), f->FullName());
            }
        // The set changes: the view is built again under the outline.
        model->SetDomain(nullptr);
        EXPECT_EQ(outline.topLevelItemCount(), 0);
        model->SetDomainById(SampleModel::MainSetId);
        EXPECT_EQ(outline.topLevelItemCount(), names.size());
    }
    model->Free();
}

} // namespace
