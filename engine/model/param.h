#pragma once
// Parameters: named, typed values that formulas refer to (a set's
// variables are parameters too).

#include "modeltypes.h"
#include "ownedchild.h"

#include "engine/core/list.h"
#include "engine/core/strings.h"

#include <memory>

namespace mx {

class TMxParamValue : public TMxItem {
    MX_CLASS(TMxParamValue)
public:
    explicit TMxParamValue(TMxItem* owner);

    const QString& Caption1() const { return m_caption1; }
    void SetCaption1(const QString& value);
    const QString& Caption2() const { return m_caption2; }
    void SetCaption2(const QString& value);

    // Copies the two captions only.
    void Assign(const TPersistent* source) override;

private:
    QString m_caption1;
    QString m_caption2;
};

class TMxParamValueList : public TMxTypedList<TMxParamValue> {
    MX_CLASS(TMxParamValueList)
public:
    using TMxTypedList::TMxTypedList;
};

class TMxParam : public TMxItem {
    MX_CLASS(TMxParam)
public:
    explicit TMxParam(TMxItem* owner);
    ~TMxParam() override;

    QChar Entry() const { return m_entry; }
    void SetEntry(QChar value);
    int Size() const { return m_size; }
    void SetSize(int value);
    TStrings* Prompt() const { return m_prompt.get(); }
    TParamType ParamType() const { return m_paramType; }
    void SetParamType(TParamType value);
    int TblId() const { return m_tblId; }
    void SetTblId(int value);
    const QString& FldName() const { return m_fldName; }
    void SetFldName(const QString& value);
    int ExtId() const { return m_extId; }
    void SetExtId(int value);
    TMxParamValueList* VarVal() const { return m_varVal.get(); }

    // The name with only A-Z, a-z, 0-9 and "_" kept.
    QString GetIdentifier() const;

    void Assign(const TPersistent* source) override;

private:
    QChar m_entry = u'S';
    int m_size = 0;
    std::unique_ptr<TStrings> m_prompt;
    TParamType m_paramType = ptString;
    int m_tblId = 0;
    QString m_fldName;
    int m_extId = 0;
    TOwned<TMxParamValueList> m_varVal;
};

class TMxParamList : public TMxTypedList<TMxParam> {
    MX_CLASS(TMxParamList)
public:
    using TMxTypedList::TMxTypedList;
    TMxParam* GetItem(int index) const { return Items(index); }
};

} // namespace mx
