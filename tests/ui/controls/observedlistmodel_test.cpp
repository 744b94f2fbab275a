// The list model over an engine list: in step with the list under Qt's
// model tester (additions anywhere, renames, removals, exchanges, the list
// let go), rows keyed by Id, and a row's item gone with the item.

#include "controlstest.h"

#include "ui/controls/observedlistmodel.h"

#include "engine/model/field.h"
#include "engine/model/param.h"
#include "engine/model/table.h"

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>

using namespace mx;
using namespace mx::ui;
using namespace mxtest;

namespace {

struct ObservedListFixture : ControlsTest {
    TMxParamList* params = new TMxParamList(nullptr);
    TObservedListModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};

    ObservedListFixture()
    {
        for (auto [id, name] : {std::pair{1, "Ville"}, {2, "Date"}, {4, "Montant"}})
            add(id, name);
    }
    ~ObservedListFixture() override
    {
        model.SetList(nullptr);
        params->Free();
    }
    TMxParam* add(int id, const char* name)
    {
        TMxParam* p = params->AddNew();
        p->SetId(id);
        p->SetName(QString::fromUtf8(name));
        return p;
    }
    // "Id:text" for every row.
    QStringList rows() const
    {
        QStringList out;
        for (int i = 0; i < model.rowCount(); ++i) {
            const QModelIndex at = model.index(i);
            out << QStringLiteral("%1:%2").arg(at.data(TObservedListModel::IdRole).toInt()).arg(at.data().toString());
        }
        return out;
    }
};

TEST_F(ObservedListFixture, FollowsTheListUnderTheTester)
{
    model.SetList(params);
    EXPECT_EQ(rows(), QStringList({"1:Ville", "2:Date", "4:Montant"}));
    const QPersistentModelIndex montant = model.index(2);

    params->Items(1)->SetName(QStringLiteral("Date de commande"));
    add(5, "Remise");
    auto* first = new TMxParam(nullptr);
    first->SetId(6);
    first->SetName(QStringLiteral("Client"));
    params->Insert(0, first);
    EXPECT_EQ(rows(), QStringList({"6:Client", "1:Ville", "2:Date de commande", "4:Montant", "5:Remise"}));

    params->Exchange(0, 4);
    EXPECT_EQ(rows(), QStringList({"5:Remise", "1:Ville", "2:Date de commande", "4:Montant", "6:Client"}));
    EXPECT_EQ(montant.row(), 3) << "a row kept across the exchange follows its item";

    TMxItem::Free(params->FindById(1));
    EXPECT_EQ(rows(), QStringList({"5:Remise", "2:Date de commande", "4:Montant", "6:Client"}));
    EXPECT_EQ(model.ItemAt(montant.row()), params->FindById(4));

    model.SetList(nullptr);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(montant.isValid());
}

TEST_F(ObservedListFixture, RowsAreKeyedByIdAndShowTheirOwnText)
{
    model.SetText([](const TMxItem* item) { return item->Name().toUpper(); });
    model.SetList(params);
    struct Case {
        int id, row;
        const char* text;
    };
    for (const Case& c : {Case{1, 0, "VILLE"}, Case{2, 1, "DATE"}, Case{4, 2, "MONTANT"}, Case{3, -1, ""}}) {
        EXPECT_EQ(model.RowOfId(c.id), c.row) << c.id;
        EXPECT_EQ(model.IndexOfId(c.id).data().toString(), QString::fromUtf8(c.text)) << c.id;
        EXPECT_EQ(model.ItemAt(c.row), params->FindById(c.id)) << c.id;
    }
    EXPECT_EQ(model.ItemAs<TMxParam>(0), params->FindById(1));
    EXPECT_EQ(model.ItemAt(3), nullptr);
    EXPECT_EQ(model.ItemAt(-1), nullptr);
}

TEST_F(ObservedListFixture, AListFreedUnderTheModelLeavesNoRowToItsItems)
{
    model.SetList(params);
    TMxParamList* gone = params;
    params = new TMxParamList(nullptr);
    gone->Free();
    // the list told each removal as it went; nothing names a freed item
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.List(), nullptr);
    EXPECT_EQ(model.ItemAt(0), nullptr);
    model.SetList(params);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(ObservedList, AFieldListShowsFullNames)
{
    TMxTable table(nullptr);
    for (auto [name, full] : {std::pair{"NOM", "Nom"}, {"VILLE", "Ville"}}) {
        TMxField* f = table.Fields()->AddNew();
        f->SetName(QString::fromUtf8(name));
        f->SetFullName(QString::fromUtf8(full));
    }
    TObservedListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.SetText([](const TMxItem* item) { return item_cast<TMxField>(item)->FullName(); });
    model.SetList(table.Fields());
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.index(1).data().toString(), QStringLiteral("Ville"));
    table.Fields()->Items(1)->SetName(QStringLiteral("CITE"));
    item_cast<TMxField>(table.Fields()->Items(1))->SetFullName(QStringLiteral("Ville du client"));
    EXPECT_EQ(model.index(1).data().toString(), QStringLiteral("Ville du client"));
    model.SetList(nullptr);
}

} // namespace
