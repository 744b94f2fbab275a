#include "formulacheck.h"

namespace mx {

static void describeFormulaCheckItem(ClassBuilder<TFormulaCheckItem>& c)
{
    c.string(QStringLiteral("Test"), &TFormulaCheckItem::Test, &TFormulaCheckItem::SetTest);
    c.string(QStringLiteral("Result"), &TFormulaCheckItem::Result, &TFormulaCheckItem::SetResult);
}

static void describeFormulaCheckList(ClassBuilder<TFormulaCheckList>& c)
{
    c.items<TFormulaCheckItem>();
}

MX_DEFINE_CLASS(TFormulaCheckItem, TMxItem, describeFormulaCheckItem)
MX_DEFINE_CLASS(TFormulaCheckList, TMxList, describeFormulaCheckList)

TFormulaCheckItem::TFormulaCheckItem(TMxItem* owner) : TMxItem(owner) {}

void TFormulaCheckItem::SetTest(const QString& value)
{
    if (value == m_test)
        return;
    m_test = value;
    Change();
}

void TFormulaCheckItem::SetResult(const QString& value)
{
    if (value == m_result)
        return;
    m_result = value;
    Change();
}

void TFormulaCheckItem::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    if (auto* s = dynamic_cast<const TFormulaCheckItem*>(source)) {
        SetTest(s->Test());
        SetResult(s->Result());
    }
}

TFormulaCheckList::TFormulaCheckList(TMxItem* owner) : TMxTypedList<TFormulaCheckItem>(owner) {}

QString TFormulaCheckList::FindResult(const QString& test) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Test() == test)
            return Items(i)->Result();
    return {};
}

} // namespace mx
