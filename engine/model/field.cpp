#include "field.h"

#include "table.h"

#include "engine/core/exceptions.h"
#include "engine/core/format.h"

namespace mx {

static void describeField(ClassBuilder<TMxField>& c)
{
    c.string(QStringLiteral("FullName"), &TMxField::FullName, &TMxField::SetFullName);
    c.character(
        QStringLiteral("ShortType"), [](const TMxField* f) { return qint64(f->ShortType().unicode()); },
        [](TMxField* f, qint64 v) { f->SetShortType(QChar(char16_t(v))); });
    c.string(QStringLiteral("LongType"), &TMxField::LongType, &TMxField::SetLongType);
    c.integer(QStringLiteral("Size"), &TMxField::Size, &TMxField::SetSize);
}
MX_DEFINE_CLASS(TMxField, TMxItem, describeField)

TMxField::TMxField(TMxItem* owner) : TMxItem(owner) {}

void TMxField::SetFullName(const QString& value)
{
    if (value == m_fullName)
        return;
    m_fullName = value;
    Change();
}

void TMxField::SetShortType(QChar value)
{
    if (value == m_shortType)
        return;
    m_shortType = value;
    Change();
}

void TMxField::SetLongType(const QString& value)
{
    if (value == m_longType)
        return;
    m_longType = value;
    Change();
}

void TMxField::SetSize(int value)
{
    if (value == m_size)
        return;
    m_size = value;
    Change();
}

QString TMxField::GetSqlName(const TSQLSyntaxProperties& syntax) const
{
    QString result;
    if (HasCap(syntax.Capabilities, scPrefixSourceField)) {
        const TMxTable* table = GetTable();
        if (!table)
            throw EMxInternal(Format(QStringLiteral("The field %s belongs to no table"), {Name()}));
        result = table->GetAlias() + u'.';
    }
    result += HasCap(syntax.Capabilities, scQuoteSourceField) ? QuoteName(syntax, Name()) : Name();
    return result;
}

void TMxField::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    if (auto* f = dynamic_cast<const TMxField*>(source)) {
        SetShortType(f->m_shortType);
        SetLongType(f->m_longType);
        SetFullName(f->m_fullName);
        SetSize(f->m_size);
    }
}

MX_DEFINE_CLASS(TMxFieldList, TMxList, [](ClassBuilder<TMxFieldList>& c) { c.items<TMxField>(); })

static void describeDmField(ClassBuilder<TDmField>& c)
{
    c.integer(QStringLiteral("Idx"), &TDmField::Idx, &TDmField::SetIdx);
}
MX_DEFINE_CLASS(TDmField, TMxField, describeDmField)

TDmField::TDmField(TMxItem* owner) : TMxField(owner) {}

void TDmField::SetIdx(int value)
{
    if (value == m_idx)
        return;
    m_idx = value;
    Change();
}

TMxTable* TDmField::GetTable() const
{
    TMxList* list = OwnerList();
    return list ? item_cast<TMxTable>(list->Owner()) : nullptr;
}

int TDmField::GetTableId() const
{
    const TMxTable* table = GetTable();
    return table ? table->Id() : 0;
}

QString TDmField::GetTagName() const
{
    const TMxTable* table = GetTable();
    const QString inherited = TMxField::GetTagName();
    return table ? table->Name() + u'-' + inherited : inherited;
}

void TDmField::Assign(const TPersistent* source)
{
    TMxField::Assign(source);
    if (auto* f = dynamic_cast<const TDmField*>(source))
        SetIdx(f->m_idx);
}

MX_DEFINE_CLASS(TDmFieldList, TMxFieldList, [](ClassBuilder<TDmFieldList>& c) { c.items<TDmField>(); })

} // namespace mx
