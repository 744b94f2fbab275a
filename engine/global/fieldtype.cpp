#include "fieldtype.h"

namespace mx {

static void describeFieldTypeItem(ClassBuilder<TFieldTypeItem>& c)
{
    c.string(QStringLiteral("FullType"), &TFieldTypeItem::FullType, &TFieldTypeItem::SetFullType);
    c.character(
        QStringLiteral("ShortType"), [](const TFieldTypeItem* i) { return qint64(i->ShortType().unicode()); },
        [](TFieldTypeItem* i, qint64 v) { i->SetShortType(QChar(char16_t(v))); });
    c.character(
        QStringLiteral("LongType"), [](const TFieldTypeItem* i) { return qint64(i->LongType().unicode()); },
        [](TFieldTypeItem* i, qint64 v) { i->SetLongType(QChar(char16_t(v))); });
}

static void describeFieldTypeList(ClassBuilder<TFieldTypeList>& c)
{
    c.items<TFieldTypeItem>();
}

MX_DEFINE_CLASS(TFieldTypeItem, TMxItem, describeFieldTypeItem)
MX_DEFINE_CLASS(TFieldTypeList, TMxList, describeFieldTypeList)

TFieldTypeItem::TFieldTypeItem(TMxItem* owner) : TMxItem(owner) {}

void TFieldTypeItem::SetFullType(const QString& value)
{
    if (value == m_fullType)
        return;
    m_fullType = value;
    Change();
}

void TFieldTypeItem::SetShortType(QChar value)
{
    if (value == m_shortType)
        return;
    m_shortType = value;
    Change();
}

void TFieldTypeItem::SetLongType(QChar value)
{
    if (value == m_longType)
        return;
    m_longType = value;
    Change();
}

void TFieldTypeItem::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    if (auto* s = dynamic_cast<const TFieldTypeItem*>(source)) {
        SetFullType(s->FullType());
        SetShortType(s->ShortType());
        SetLongType(s->LongType());
    }
}

TFieldTypeList::TFieldTypeList(TMxItem* owner) : TMxTypedList<TFieldTypeItem>(owner) {}

QChar TFieldTypeList::ShortToLongType(QChar letter) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->ShortType() == letter)
            return Items(i)->LongType();
    return QChar();
}

QChar TFieldTypeList::FindShortType(const QString& fullType) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->FullType() == fullType)
            return Items(i)->ShortType();
    return QChar();
}

} // namespace mx
