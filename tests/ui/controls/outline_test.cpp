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

#include <QAbstractItemModelTester>

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
    // Whatever a test does to the outline, its model stays sound.
    QAbstractItemModelTester tester{outline.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal};

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

    // "Entity: field, field" for every top row, as the view shows them.
    QStringList tree() const
    {
        const QAbstractItemModel* m = outline.model();
        QStringList out;
        for (int i = 0; i < m->rowCount(); ++i) {
            const QModelIndex n = m->index(i, 0);
            QStringList fields;
            for (int j = 0; j < m->rowCount(n); ++j)
                fields << m->index(j, 0, n).data().toString();
            out << n.data().toString() + QStringLiteral(": ") + fields.join(QStringLiteral(", "));
        }
        return out;
    }
    // The row of entity i, or of its field j.
    QModelIndex row(int i, int j = -1) const
    {
        const QModelIndex top = outline.model()->index(i, 0);
        return j < 0 ? top : outline.model()->index(j, 0, top);
    }
    int rows() const { return outline.model()->rowCount(); }
};

TEST_F(OutlineFixture, FollowsAddRenameAndRemove)
{
    outline.SetEntities(table->Entities());
    EXPECT_EQ(tree(), QStringList({"Clients: Nom, Ville", "Ventes: "}));
    ventes->AddField(field("NUMCLI"));
    ventes->AddField(field("MONTANT"));
    EXPECT_EQ(tree(), QStringList({"Clients: Nom, Ville", "Ventes: Numéro client, Montant"}));
    // A row stands for the entity's entry, and shows the field's FullName.
    const QModelIndex numcli = row(1, 0);
    EXPECT_EQ(outline.ItemAt(numcli), ventes->WFields()->Items(0));
    EXPECT_EQ(TEntityOutline::FieldOfItem(outline.ItemAt(numcli)), field("NUMCLI"));
    EXPECT_EQ(outline.IndexOf(ventes->WFields()->Items(0)), numcli);

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
    EXPECT_EQ(rows(), 0);
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
    auto ids = [](const QModelIndex& n) {
        return QList<QVariant>{n.data(M::EntityIdRole), n.data(M::TableIdRole), n.data(M::FieldIdRole)};
    };
    const QPersistentModelIndex clientsNode = row(0);
    const QPersistentModelIndex ventesNumcli = row(1, 0);
    EXPECT_EQ(ids(clientsNode), (QList<QVariant>{7, QVariant(), -1}));
    EXPECT_EQ(ids(row(0, 1)), (QList<QVariant>{7, 3, field("VILLE")->Id()}));
    EXPECT_EQ(ids(ventesNumcli), (QList<QVariant>{8, 3, field("NUMCLI")->Id()}));
    // no role of any row holds anything but a number
    for (int i = 0; i < rows(); ++i) {
        QList<QModelIndex> nodes{row(i)};
        for (int j = 0; j < outline.model()->rowCount(row(i)); ++j)
            nodes << row(i, j);
        for (const QModelIndex& n : nodes)
            for (int role = Qt::UserRole; role < Qt::UserRole + 8; ++role) {
                const QVariant v = n.data(role);
                EXPECT_TRUE(!v.isValid() || v.typeId() == QMetaType::Int) << n.data().toString().toStdString() << " " << role;
            }
    }
    // an entry made to name another field: its row's Ids follow
    ventes->SetField(0, field("MONTANT"));
    EXPECT_EQ(ids(ventesNumcli), (QList<QVariant>{8, 3, field("MONTANT")->Id()}));
    EXPECT_EQ(outline.ItemAt(ventesNumcli), ventes->WFields()->Items(0));
    EXPECT_EQ(outline.EntityAt(ventesNumcli), ventes);
    EXPECT_EQ(outline.EntityAt(clientsNode), clients);
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
    const QModelIndex clientsNode = row(0);
    const int h = outline.ItemHeight();
    EXPECT_EQ(outline.indentation(), h);
    EXPECT_EQ(outline.visualRect(clientsNode).height(), h);

    // On the plus sign: the row opens and shuts; nothing is selected in
    // the tree.
    const QPoint sign(h / 2, outline.visualRect(clientsNode).center().y());
    ASSERT_FALSE(outline.isExpanded(clientsNode));
    Press(vp, sign);
    Release(vp, sign);
    EXPECT_TRUE(outline.isExpanded(clientsNode));
    EXPECT_EQ(outline.SelectedEntity(), clients);
    EXPECT_EQ(outline.SelectedField(), nullptr);
    EXPECT_TRUE(outline.selectionModel()->selectedIndexes().isEmpty());
    Press(vp, sign);
    Release(vp, sign);
    EXPECT_FALSE(outline.isExpanded(clientsNode));
    Press(vp, sign);
    Release(vp, sign);

    // On a field: both selections, and the tree selects the row.
    const QModelIndex ville = row(0, 1);
    const QPoint onVille = outline.visualRect(ville).center();
    Press(vp, onVille);
    Release(vp, onVille);
    EXPECT_EQ(outline.SelectedEntity(), clients);
    EXPECT_EQ(outline.SelectedField(), field("VILLE"));
    EXPECT_EQ(outline.currentIndex(), ville);

    // On the entity's text: the entity alone, the row not toggled.
    const QModelIndex ventesNode = row(1);
    const QPoint onVentes = outline.visualRect(ventesNode).center();
    Press(vp, onVentes);
    Release(vp, onVentes);
    EXPECT_EQ(outline.SelectedEntity(), ventes);
    EXPECT_EQ(outline.SelectedField(), nullptr);
    EXPECT_FALSE(outline.isExpanded(ventesNode));

    // Below every row: both cleared, the tree's selection untouched.
    Press(vp, QPoint(100, 390));
    EXPECT_EQ(outline.SelectedEntity(), nullptr);
    EXPECT_EQ(outline.SelectedField(), nullptr);
    EXPECT_EQ(outline.currentIndex(), ventesNode);

    // A selected field that goes away is no longer selected.
    Press(vp, onVille);
    clients->WFields()->Items(1)->Free();
    EXPECT_EQ(outline.SelectedEntity(), clients);
    clients->Free();
    EXPECT_EQ(outline.SelectedEntity(), nullptr);
}

// The outline shows its model's rows and holds none of its own: what is
// done to the model shows in the outline, what is asked of the outline
// is the model's, another model is refused, and what a press selected
// goes with its row whoever removes it.
TEST_F(OutlineFixture, TheOutlineIsAViewOverItsModelAlone)
{
    TEntityOutlineModel* m = outline.Model();
    ASSERT_TRUE(m);
    EXPECT_EQ(outline.model(), m);
    TEntityOutlineModel other;
    outline.setModel(&other);
    EXPECT_EQ(outline.model(), m);

    // the list and the filters are the model's
    outline.OnFieldAdded = [&](TMxItem* f, bool& accept) { accept = f != field("VILLE"); };
    m->SetEntities(table->Entities());
    EXPECT_EQ(outline.Entities(), table->Entities());
    EXPECT_EQ(tree(), QStringList({"Clients: Nom", "Ventes: "}));
    ASSERT_TRUE(m->OnFieldAdded);
    EXPECT_FALSE(outline.OnEntityAdded);

    // every row of the model is where the view draws it, and the members
    // of the outline name the model's rows
    outline.expandAll();
    struct Case {
        QModelIndex index;
        TMxItem* item;
        TMxEntity* entity;
    };
    const Case cases[] = {
        {row(0), clients, clients},
        {row(0, 0), clients->WFields()->Items(0), clients},
        {row(1), ventes, ventes},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.index.isValid());
        EXPECT_EQ(c.index.model(), m);
        EXPECT_EQ(outline.indexAt(outline.visualRect(c.index).center()), c.index);
        EXPECT_EQ(outline.ItemAt(c.index), c.item);
        EXPECT_EQ(outline.EntityAt(c.index), c.entity);
        EXPECT_EQ(outline.IndexOf(c.item), c.index);
    }
    // a row the model does not have is no row of the outline
    EXPECT_FALSE(outline.IndexOf(clients->WFields()->Items(1)).isValid());
    other.SetEntities(table->Entities());
    ASSERT_TRUE(other.index(0, 0).isValid());
    EXPECT_EQ(outline.ItemAt(other.index(0, 0)), nullptr);
    EXPECT_EQ(outline.EntityAt(other.index(0, 0)), nullptr);

    // the model drops the empty entity: the outline's row and the
    // selection made on it go
    QWidget* vp = outline.viewport();
    const QPoint onVentes = outline.visualRect(row(1)).center();
    Press(vp, onVentes);
    Release(vp, onVentes);
    ASSERT_EQ(outline.SelectedEntity(), ventes);
    m->RemoveEmptyEntities();
    EXPECT_EQ(tree(), QStringList({"Clients: Nom"}));
    EXPECT_EQ(outline.SelectedEntity(), nullptr);
    EXPECT_FALSE(outline.indexAt(onVentes).isValid());

    // the model set to nothing: the outline empty, nothing selected
    const QPoint onNom = outline.visualRect(row(0, 0)).center();
    Press(vp, onNom);
    ASSERT_EQ(outline.SelectedField(), field("NOM"));
    m->SetEntities(nullptr);
    EXPECT_EQ(outline.Entities(), nullptr);
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(outline.SelectedEntity(), nullptr);
    EXPECT_EQ(outline.SelectedField(), nullptr);
}

// Every row is the outline's height, also after the font changes, and the
// sign of an entity stays left of that height.
TEST_F(OutlineFixture, RowsFollowTheFont)
{
    outline.SetEntities(table->Entities());
    const int before = outline.ItemHeight();
    QFont big = outline.font();
    big.setPointSizeF(big.pointSizeF() * 3);
    outline.setFont(big);
    const int after = outline.ItemHeight();
    ASSERT_GT(after, before);
    EXPECT_EQ(after, std::max(outline.iconSize().height(), QFontMetrics(big).height()) + 2);
    EXPECT_EQ(outline.indentation(), after);
    EXPECT_EQ(outline.visualRect(row(0)).height(), after);
    const QPoint sign(after - 2, outline.visualRect(row(0)).center().y());
    Press(outline.viewport(), sign);
    Release(outline.viewport(), sign);
    EXPECT_TRUE(outline.isExpanded(row(0)));
    EXPECT_TRUE(outline.selectionModel()->selectedIndexes().isEmpty());
}

TEST_F(OutlineFixture, ListFreedUnderTheOutline)
{
    outline.SetEntities(table->Entities());
    TMxItem::Free(table);
    table = nullptr;
    EXPECT_EQ(rows(), 0);
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
        const QAbstractItemModel* m = outline.model();
        ASSERT_GT(m->rowCount(), 0);
        QStringList names;
        for (int i = 0; i < m->rowCount(); ++i)
            names << m->index(i, 0).data().toString();
        EXPECT_TRUE(names.contains(QStringLiteral("Clients"))) << names.join(u',').toStdString();
        // Fields resolve through the model's tables: FullNames, never "".
        for (int i = 0; i < m->rowCount(); ++i)
            for (int j = 0; j < m->rowCount(m->index(i, 0)); ++j) {
                const QModelIndex n = m->index(j, 0, m->index(i, 0));
                TMxField* f = TEntityOutline::FieldOfItem(outline.ItemAt(n));
                ASSERT_TRUE(f) << n.data().toString().toStdString();
                EXPECT_EQ(n.data().toString(), f->FullName());
            }
        // The set changes: the view is built again under the outline.
        model->SetDomain(nullptr);
        EXPECT_EQ(m->rowCount(), 0);
        model->SetDomainById(SampleModel::MainSetId);
        EXPECT_EQ(m->rowCount(), names.size());
    }
    model->Free();
}

} // namespace
