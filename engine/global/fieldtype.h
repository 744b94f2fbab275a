#pragma once
// The field types of the database driver (FLDTYPES.MXF): the driver's type
// name (FullType), the type letter of such a field (ShortType) and the
// letter of its value type (LongType, one of @ A D L N T).
//
// Mind the names: TIMxField and the data model's fields call the driver's
// type name their "long type"; here LongType is the value-type letter.

#include "engine/core/list.h"

#include <QChar>

namespace mx {

class TFieldTypeItem : public TMxItem {
    MX_CLASS(TFieldTypeItem)
public:
    explicit TFieldTypeItem(TMxItem* owner = nullptr);

    const QString& FullType() const { return m_fullType; }
    void SetFullType(const QString& value);
    QChar ShortType() const { return m_shortType; }
    void SetShortType(QChar value);
    QChar LongType() const { return m_longType; }
    void SetLongType(QChar value);

    void Assign(const TPersistent* source) override;

private:
    QString m_fullType;
    QChar m_shortType;
    QChar m_longType;
};

class TFieldTypeList : public TMxTypedList<TFieldTypeItem> {
    MX_CLASS(TFieldTypeList)
public:
    explicit TFieldTypeList(TMxItem* owner = nullptr);
    // LongType of the first item whose ShortType is letter; character 0.
    QChar ShortToLongType(QChar letter) const;
    // ShortType of the first item whose FullType is exactly fullType;
    // character 0.
    QChar FindShortType(const QString& fullType) const;
    TFieldTypeItem* GetItem(int index) const { return Items(index); }
};

} // namespace mx
