// Query fields: SQL expressions, column names, sorting and list operations.

#include "modeltest.h"
#include "tests/support/testsupport.h"

#include "engine/core/exceptions.h"
#include "engine/model/formula.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"

using namespace mx;
using namespace mxtest;

namespace {

struct Fixture {
    TItemPtr<TMxTable> table{new TMxTable(nullptr)};
    TItemPtr<TMxQueryFieldList> fields{new TMxQueryFieldList(nullptr)};
    Fixture() { table->SetId(5); }
    TMxQueryField* add(const QString& name, bool calculated = false)
    {
        TMxQueryField* f = fields->AddNew();
        f->SetName(name);
        f->SetFullName(name.left(1) + name.mid(1).toLower());
        f->SetTable(table.get());
        f->SetQueryTable(table.get());
        f->SetCalculated(calculated);
        return f;
    }
};

} // namespace

TEST(QueryFields, ExpressionByTotalAndCapability)
{
    Fixture fx;
    TMxQueryField* plain = fx.add(QStringLiteral("MONTANT"));
    TMxQueryField* calc = fx.add(QStringLiteral("Formule 1"), true);
    calc->SetFormula(QStringLiteral("(D5.MONTANT * 2)"));
    const TSQLSyntaxProperties base = Dialect(SqlCap(scPrefixSourceField));
    const TSQLSyntaxProperties calcSum = Dialect(SqlCap(scPrefixSourceField) | SqlCap(scCalculatedSum));
    const struct {
        const char* total;
        const char* plain;
        const char* calcWithout; // calculated field, dialect without scCalculatedSum
        const char* calcWith;
    } cases[] = {
        {"", "D5.MONTANT", "(D5.MONTANT * 2)", "(D5.MONTANT * 2)"},
        {"sum", "sum(D5.MONTANT)", "sum(D5.Formule 1)", "sum((D5.MONTANT * 2))"},
        {" max ", "max(D5.MONTANT)", "max(D5.Formule 1)", "max((D5.MONTANT * 2))"},
        {"min", "min(D5.MONTANT)", "min(D5.Formule 1)", "min((D5.MONTANT * 2))"},
        {"average", "avg(D5.MONTANT)", "avg(D5.Formule 1)", "avg((D5.MONTANT * 2))"},
        {"count", "count(D5.MONTANT)", "count(D5.Formule 1)", "count((D5.MONTANT * 2))"},
        {"count all", "count(D5.MONTANT)", "count(D5.Formule 1)", "count((D5.MONTANT * 2))"},
        {"Sum", "D5.MONTANT", "(D5.MONTANT * 2)", "(D5.MONTANT * 2)"},
        {"bogus", "D5.MONTANT", "(D5.MONTANT * 2)", "(D5.MONTANT * 2)"},
    };
    for (const auto& c : cases) {
        plain->SetTotal(QString::fromLatin1(c.total));
        calc->SetTotal(QString::fromLatin1(c.total));
        EXPECT_EQ(plain->Total(), QString::fromLatin1(c.total).trimmed());
        EXPECT_EQ(plain->GetSqlExpression(base), QString::fromLatin1(c.plain)) << c.total;
        EXPECT_EQ(plain->GetSqlExpression(calcSum), QString::fromLatin1(c.plain)) << c.total;
        EXPECT_EQ(calc->GetSqlExpression(base), QString::fromLatin1(c.calcWithout)) << c.total;
        EXPECT_EQ(calc->GetSqlExpression(calcSum), QString::fromLatin1(c.calcWith)) << c.total;
    }
}

TEST(QueryFields, ColumnNameQuotedAndPrefixed)
{
    Fixture fx;
    TMxQueryField* f = fx.add(QStringLiteral("DATECDE"));
    const struct {
        TSetSQLCapabilities caps;
        const char* fullName;
        const char* expected;
    } cases[] = {
        // without quoting, the readable name becomes a plain identifier
        {0, "Date de commande", "Date_de_commande"},
        {0, "Total', 1); DROP TABLE CLIENT; --", "Total___1___DROP_TABLE_CLIENT____"},
        {0, "2e trimestre", "_2e_trimestre"},
        {0, "Quantité", "Quantité"},
        {SqlCap(scQuoteAsField), "Date de commande", "\"Date de commande\""},
        {SqlCap(scPrefixAsField), "Date", "D5.Date"},
        {SqlCap(scPrefixAsField) | SqlCap(scQuoteAsField), "Date", "D5.\"Date\""},
        {SqlCap(scQuoteAsField), "Le \"grand\" total", "\"Le \"\"grand\"\" total\""},
    };
    for (const auto& c : cases) {
        f->SetFullName(QString::fromUtf8(c.fullName));
        EXPECT_EQ(f->GetSqlFieldName(Dialect(c.caps, QStringLiteral("\""))), QString::fromUtf8(c.expected)) << c.fullName;
    }
    TItemPtr<TMxQueryField> unbound(new TMxQueryField(nullptr));
    EXPECT_THROW(unbound->GetSqlFieldName(Dialect(SqlCap(scPrefixAsField))), EMxInternal);
    EXPECT_THROW(unbound->GetSqlExpression(Dialect(SqlCap(scPrefixSourceField))), EMxInternal);
}

TEST(QueryFields, SortedFieldsAreStableAndNotOwned)
{
    Fixture fx;
    const int ranks[] = {2, 0, -1, 1, 0};
    for (int i = 0; i < 5; ++i)
        fx.add(QStringLiteral("F%1").arg(i))->SetSortRange(ranks[i]);
    {
        TItemPtr<TMxQueryFieldList> sorted = fx.fields->GetSortedFields();
        ASSERT_EQ(sorted->Count(), 4);
        const char* order[] = {"F1", "F4", "F3", "F0"};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(sorted->Items(i)->Name(), QString::fromLatin1(order[i])) << i;
    }
    // the fields outlive the sorted list
    EXPECT_EQ(fx.fields->Count(), 5);
    EXPECT_EQ(fx.fields->Items(4)->Name(), QStringLiteral("F4"));

    Fixture none;
    none.add(QStringLiteral("A"));
    EXPECT_EQ(none.fields->GetSortedFields()->Count(), 0);
}

TEST(QueryFields, FindByTableAndQueryTable)
{
    Fixture fx;
    TItemPtr<TMxTable> stepTable(new TMxTable(nullptr));
    stepTable->SetId(-1);
    TMxQueryField* base = fx.add(QStringLiteral("NUMCLI"));
    TMxQueryField* fromStep = fx.add(QStringLiteral("NUMCLI"));
    fromStep->SetSourceStepId(1);
    fromStep->SetQueryTable(stepTable.get());
    EXPECT_EQ(fx.fields->FindByTable(5, QStringLiteral("NUMCLI"), 0), base);
    EXPECT_EQ(fx.fields->FindByTable(5, QStringLiteral("NUMCLI"), 1), fromStep);
    EXPECT_EQ(fx.fields->FindByTable(5, QStringLiteral("numcli"), 0), nullptr);
    EXPECT_EQ(fx.fields->FindByTable(3, QStringLiteral("NUMCLI"), 0), nullptr);
    EXPECT_EQ(fx.fields->FindByQueryTable(-1, QStringLiteral("NUMCLI")), fromStep);
    EXPECT_EQ(fromStep->GetTableId(), -1);
    EXPECT_EQ(fx.fields->FindByFullName(QStringLiteral("Numcli")), base);
    EXPECT_EQ(fx.fields->FindByFullName(QStringLiteral("numcli")), nullptr);
}

TEST(QueryFields, ExchangeTellsBeforeSwapping)
{
    Fixture fx;
    TMxQueryField* a = fx.add(QStringLiteral("A"));
    TMxQueryField* b = fx.add(QStringLiteral("B"));
    QStringList log;
    fx.fields->OnExchange = [&](TMxQueryField* x, TMxQueryField* y) {
        log << x->Name() + y->Name() + QStringLiteral(" at ") + QString::number(x->GetIndex()) + QString::number(y->GetIndex());
    };
    fx.fields->Exchange(0, 1);
    EXPECT_EQ(log, QStringList{QStringLiteral("AB at 01")});
    EXPECT_EQ(fx.fields->Items(0), b);
    EXPECT_EQ(fx.fields->Items(1), a);
}

TEST(QueryFields, NewFormulaNameIsNeverTaken)
{
    Fixture fx;
    fx.add(QStringLiteral("MONTANT"));
    EXPECT_EQ(fx.fields->NewFormulaName(), QStringLiteral("Formule 1"));
    for (int i = 1; i <= 3; ++i)
        fx.add(QStringLiteral("Formule %1").arg(i), true);
    EXPECT_EQ(fx.fields->NewFormulaName(), QStringLiteral("Formule 4"));
    fx.add(QStringLiteral("Formule 4")); // taken, by a field that is not calculated
    EXPECT_EQ(fx.fields->NewFormulaName(), QStringLiteral("Formule 5"));
}

TEST(QueryFields, BindingsAssignAndStream)
{
    Fixture fx;
    EXPECT_THROW(fx.add(QStringLiteral("X"))->SetTable(nullptr), Exception);
    EXPECT_THROW(fx.fields->Items(0)->SetQueryTable(nullptr), Exception);

    TMxQueryField* f = fx.add(QStringLiteral("MONTANT"));
    f->SetShortType(u'N');
    f->SetSize(8);
    f->SetSourceName(QStringLiteral("MONTANT"));
    f->SetBaseName(QStringLiteral("Montant"));
    f->SetExtPath(QStringLiteral("CLIENT.COMMANDE"));
    f->SetChecked(true);
    f->SetStepId(2);
    f->SetFieldType(u'N');
    f->SetTotal(QStringLiteral("sum"));
    f->SetSortOrder(sfDescending);
    f->SetDesignWidth(64);
    f->SQLCriteria()->AppendText(QStringLiteral("((D5.MONTANT>100) )"));
    f->FormulaList()->AddNew()->SetOperator(foSup);

    TItemPtr<TMxQueryField> copy(new TMxQueryField(nullptr));
    copy->Assign(f);
    EXPECT_EQ(copy->GetTable(), fx.table.get());
    EXPECT_EQ(copy->QueryTable(), fx.table.get());
    EXPECT_TRUE(copy->ExtPath().isEmpty());
    EXPECT_EQ(copy->Total(), QStringLiteral("sum"));
    EXPECT_EQ(copy->SortOrder(), sfDescending);
    EXPECT_EQ(copy->SQLCriteria()->Lines(), f->SQLCriteria()->Lines());
    EXPECT_EQ(copy->FormulaList()->Count(), 1);

    TItemPtr<TMxQueryField> back = RoundTrip(f);
    EXPECT_EQ(back->TableId(), 5);
    EXPECT_EQ(back->ExtPath(), QStringLiteral("CLIENT.COMMANDE"));
    EXPECT_EQ(back->SortRange(), -1);
    EXPECT_EQ(back->FieldType(), QChar(u'N'));
    EXPECT_EQ(back->SQLCriteria()->Lines(), f->SQLCriteria()->Lines());
    ASSERT_EQ(back->FormulaList()->Count(), 1);
    EXPECT_EQ(back->FormulaList()->Items(0)->Operator(), foSup);
    EXPECT_EQ(back->GetDebugText(), QStringLiteral("5 5 Name=MONTANT FName=Montant SrcName=MONTANT Check StepId=0 N sum"));

    // a field left at its defaults writes none of them
    TItemPtr<TMxQueryField> fresh(new TMxQueryField(nullptr));
    const QByteArray bytes = fresh->SaveToBytes();
    for (const char* name : {"SortRange", "FieldType", "SortOrder", "Checked", "TableId"})
        EXPECT_FALSE(bytes.contains(name)) << name;
    TItemPtr<TMxQueryField> freshBack = RoundTrip(fresh.get());
    EXPECT_EQ(freshBack->SortRange(), -1);
    EXPECT_TRUE(freshBack->FieldType().isNull());
}
