#include "queryfield.h"

#include "formula.h"
#include "engine/settings/global.h"
#include "storevalue.h"
#include "table.h"

#include "engine/core/exceptions.h"
#include "engine/core/format.h"

namespace mx {

static void describeQueryField(ClassBuilder<TMxQueryField>& c)
{
    using F = TMxQueryField;
    c.integer(QStringLiteral("TableId"), &F::TableId, &F::SetTableId);
    c.integer(QStringLiteral("QueryTableId"), &F::QueryTableId, &F::SetQueryTableId);
    c.string(QStringLiteral("SourceName"), &F::SourceName, &F::SetSourceName);
    c.string(QStringLiteral("BaseName"), &F::BaseName, &F::SetBaseName);
    c.string(QStringLiteral("ExtPath"), &F::ExtPath, &F::SetExtPath);
    c.boolean(QStringLiteral("Checked"), &F::Checked, &F::SetChecked);
    c.boolean(QStringLiteral("Calculated"), &F::Calculated, &F::SetCalculated);
    c.integer(QStringLiteral("StepId"), &F::StepId, &F::SetStepId);
    c.integer(QStringLiteral("SourceStepId"), &F::SourceStepId, &F::SetSourceStepId);
    c.character(
        QStringLiteral("FieldType"), [](const F* f) { return qint64(f->FieldType().unicode()); },
        [](F* f, qint64 v) { f->SetFieldType(QChar(char16_t(v))); });
    c.string(QStringLiteral("Total"), &F::Total, &F::SetTotal);
    c.string(QStringLiteral("Formula"), &F::Formula, &F::SetFormula);
    c.object(QStringLiteral("SQLCriteria"), &F::SQLCriteria);
    c.enumeration(QStringLiteral("SortOrder"), SortTypeInfo(), &F::SortOrder, &F::SetSortOrder);
    c.integer(QStringLiteral("SortRange"), &F::SortRange, &F::SetSortRange, -1);
    c.integer(QStringLiteral("DesignWidth"), &F::DesignWidth, &F::SetDesignWidth);
    c.object(QStringLiteral("FormulaList"), &F::FormulaList);
}
MX_DEFINE_CLASS(TMxQueryField, TMxField, describeQueryField)

TMxQueryField::TMxQueryField(TMxItem* owner)
    : TMxField(owner), m_sqlCriteria(std::make_unique<TConcatStringList>()), m_formulaList(this)
{
}

TMxQueryField::~TMxQueryField() = default;

TMxFormulaList* TMxQueryField::FormulaList() const
{
    return m_formulaList.get();
}

void TMxQueryField::SetTableId(int value)
{
    if (StoreIfChanged(m_tableId, value))
        Change();
}
void TMxQueryField::SetQueryTableId(int value)
{
    if (StoreIfChanged(m_queryTableId, value))
        Change();
}

void TMxQueryField::ReadsTableField(const TMxField* field)
{
    SetName(field->Name());
    SetFieldType(field->ShortType());
    SetFullName(field->FullName());
    SetBaseName(field->FullName());
    SetSourceName(field->Name());
    SetExtPath(QString());
    SetCalculated(false);
}

void TMxQueryField::SetSourceName(const QString& value)
{
    if (StoreIfChanged(m_sourceName, value))
        Change();
}
void TMxQueryField::SetBaseName(const QString& value)
{
    if (StoreIfChanged(m_baseName, value))
        Change();
}
void TMxQueryField::SetExtPath(const QString& value)
{
    if (StoreIfChanged(m_extPath, value))
        Change();
}
void TMxQueryField::SetChecked(bool value)
{
    if (StoreIfChanged(m_checked, value))
        Change();
}
void TMxQueryField::SetCalculated(bool value)
{
    if (StoreIfChanged(m_calculated, value))
        Change();
}
void TMxQueryField::SetStepId(int value)
{
    if (StoreIfChanged(m_stepId, value))
        Change();
}
void TMxQueryField::SetSourceStepId(int value)
{
    if (StoreIfChanged(m_sourceStepId, value))
        Change();
}
void TMxQueryField::SetFieldType(QChar value)
{
    if (StoreIfChanged(m_fieldType, value))
        Change();
}
void TMxQueryField::SetTotal(const QString& value)
{
    if (StoreIfChanged(m_total, value.trimmed()))
        Change();
}
void TMxQueryField::SetFormula(const QString& value)
{
    if (StoreIfChanged(m_formula, value))
        Change();
}
void TMxQueryField::SetSortOrder(TSortType value)
{
    if (StoreIfChanged(m_sortOrder, value))
        Change();
}
void TMxQueryField::SetSortRange(int value)
{
    if (StoreIfChanged(m_sortRange, value))
        Change();
}
void TMxQueryField::SetDesignWidth(int value)
{
    if (StoreIfChanged(m_designWidth, value))
        Change();
}

void TMxQueryField::SetTable(TMxTable* table)
{
    if (!table)
        throw Exception(QStringLiteral("A field must belong to a table"));
    m_table = table;
    SetTableId(table->Id());
}

void TMxQueryField::SetQueryTable(TMxTable* table)
{
    if (!table)
        throw Exception(QStringLiteral("A field must belong to a table"));
    m_queryTable = table;
    SetQueryTableId(table->Id());
}

void TMxQueryField::BindTables(TMxTable* table, TMxTable* queryTable)
{
    m_table = table;
    m_queryTable = queryTable;
}

int TMxQueryField::GetTableId() const
{
    return m_queryTable ? m_queryTable->Id() : m_queryTableId;
}

bool TMxQueryField::IsBlobType() const
{
    return m_fieldType == u'B' || m_fieldType == u'F' || m_fieldType == u'M' || m_fieldType == u'G';
}

QString TMxQueryField::GetSqlFieldName(const TSQLSyntaxProperties& syntax) const
{
    QString result;
    if (HasCap(syntax.Capabilities, scPrefixAsField)) {
        if (!m_queryTable)
            throw EMxInternal(Format(QStringLiteral("The field %s belongs to no query table"), {FullName()}));
        result = m_queryTable->GetAlias() + u'.';
    }
    if (HasCap(syntax.Capabilities, scQuoteAsField)) {
        result += QuoteName(syntax, FullName());
        return result;
    }
    // A dialect that cannot quote column names gets a plain identifier: the
    // readable name is the user's text and never goes into SQL as it stands.
    QString plain;
    for (QChar c : FullName())
        plain += (c.isLetterOrNumber() || c == u'_') ? c : u'_';
    if (plain.isEmpty() || plain[0].isDigit())
        plain.prepend(u'_');
    result += plain;
    return result;
}

QString TMxQueryField::GetSqlExpression(const TSQLSyntaxProperties& syntax) const
{
    QString prefix;
    if (m_total == u"sum")
        prefix = QStringLiteral("sum(");
    else if (m_total == u"min")
        prefix = QStringLiteral("min(");
    else if (m_total == u"max")
        prefix = QStringLiteral("max(");
    else if (m_total == u"average")
        prefix = QStringLiteral("avg(");
    else if (m_total == u"count" || m_total == u"count all")
        prefix = QStringLiteral("count(");
    if (!prefix.isEmpty()) {
        if (m_calculated && HasCap(syntax.Capabilities, scCalculatedSum))
            return prefix + m_formula + u')';
        return prefix + GetSqlName(syntax) + u')';
    }
    return m_calculated ? m_formula : GetSqlName(syntax);
}

QString TMxQueryField::GetDebugText() const
{
    QString t = QString::number(m_tableId) + u' ' + QString::number(m_queryTableId) + QStringLiteral(" Name=") + Name()
        + QStringLiteral(" FName=") + FullName() + QStringLiteral(" SrcName=") + m_sourceName;
    if (m_checked)
        t += QStringLiteral(" Check");
    if (m_calculated)
        t += QStringLiteral(" Calc");
    t += QStringLiteral(" StepId=") + QString::number(m_sourceStepId) + u' ' + (m_fieldType.isNull() ? QString() : QString(m_fieldType))
        + u' ' + m_total;
    return t;
}

void TMxQueryField::Assign(const TPersistent* source)
{
    TMxField::Assign(source);
    auto* f = dynamic_cast<const TMxQueryField*>(source);
    if (!f || f == this)
        return;
    m_table = f->m_table;
    m_queryTable = f->m_queryTable;
    SetTableId(f->m_tableId);
    SetQueryTableId(f->m_queryTableId);
    SetChecked(f->m_checked);
    SetCalculated(f->m_calculated);
    SetSourceName(f->m_sourceName);
    SetBaseName(f->m_baseName);
    SetStepId(f->m_stepId);
    SetSourceStepId(f->m_sourceStepId);
    SetTotal(f->m_total);
    SetFieldType(f->m_fieldType);
    SetFormula(f->m_formula);
    SetSortOrder(f->m_sortOrder);
    SetSortRange(f->m_sortRange);
    SetDesignWidth(f->m_designWidth);
    m_sqlCriteria->Assign(f->SQLCriteria());
    m_formulaList->Assign(f->FormulaList());
}

MX_DEFINE_CLASS(TMxQueryFieldList, TMxList, [](ClassBuilder<TMxQueryFieldList>& c) { c.items<TMxQueryField>(); })

TMxQueryField* TMxQueryFieldList::FindByFullName(const QString& text) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->FullName() == text)
            return Items(i);
    return nullptr;
}

namespace {
int boundId(const TMxTable* table, int storedId)
{
    return table ? table->Id() : storedId;
}
} // namespace

TMxQueryField* TMxQueryFieldList::FindByTable(int tableId, const QString& name, int sourceStepId) const
{
    for (int i = 0; i < Count(); ++i) {
        TMxQueryField* f = Items(i);
        if (boundId(f->GetTable(), f->TableId()) == tableId && f->Name() == name && f->SourceStepId() == sourceStepId)
            return f;
    }
    return nullptr;
}

TMxQueryField* TMxQueryFieldList::FindByQueryTable(int queryTableId, const QString& name) const
{
    for (int i = 0; i < Count(); ++i) {
        TMxQueryField* f = Items(i);
        if (boundId(f->QueryTable(), f->QueryTableId()) == queryTableId && f->Name() == name)
            return f;
    }
    return nullptr;
}

QString TMxQueryFieldList::NewFormulaName() const
{
    int calculated = 0;
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Calculated())
            ++calculated;
    for (int n = calculated + 1;; ++n) {
        const QString name = TranslateFmt(QStringLiteral("Formule %d"), {n});
        bool used = false;
        for (int i = 0; i < Count() && !used; ++i)
            used = Items(i)->Name().compare(name, Qt::CaseInsensitive) == 0
                || Items(i)->FullName().compare(name, Qt::CaseInsensitive) == 0;
        if (!used)
            return name;
    }
}

TItemPtr<TMxQueryFieldList> TMxQueryFieldList::GetSortedFields() const
{
    std::vector<TMxQueryField*> fields;
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->SortRange() >= 0)
            fields.push_back(Items(i));
    // neighbours swap only when strictly out of order: equal ranks keep
    // their list order
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (size_t i = 0; i + 1 < fields.size(); ++i)
            if (fields[i + 1]->SortRange() < fields[i]->SortRange()) {
                std::swap(fields[i], fields[i + 1]);
                swapped = true;
            }
    }
    TItemPtr<TMxQueryFieldList> sorted(new TMxQueryFieldList(nullptr));
    sorted->SetOwnsItems(false);
    for (TMxQueryField* f : fields)
        sorted->AddItem(f);
    return sorted;
}

void TMxQueryFieldList::Exchange(int i, int j)
{
    if (OnExchange)
        OnExchange(Items(i), Items(j));
    TMxList::Exchange(i, j);
}

} // namespace mx
