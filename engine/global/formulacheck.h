#pragma once
// The results formula tests yield (FORCHECK.MXF).

#include "engine/core/list.h"

namespace mx {

class TFormulaCheckItem : public TMxItem {
    MX_CLASS(TFormulaCheckItem)
public:
    explicit TFormulaCheckItem(TMxItem* owner = nullptr);

    const QString& Test() const { return m_test; }
    void SetTest(const QString& value);
    const QString& Result() const { return m_result; }
    void SetResult(const QString& value);

    void Assign(const TPersistent* source) override;

private:
    QString m_test;
    QString m_result;
};

class TFormulaCheckList : public TMxTypedList<TFormulaCheckItem> {
    MX_CLASS(TFormulaCheckList)
public:
    explicit TFormulaCheckList(TMxItem* owner = nullptr);
    // The Result of the first item whose Test is exactly test; empty.
    QString FindResult(const QString& test) const;
};

} // namespace mx
