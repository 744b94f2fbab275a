#pragma once
// The outer-join choice a query step keeps for one link of the data model.

#include "engine/core/list.h"

namespace mx {

class TMxSqlJoin : public TMxItem {
    MX_CLASS(TMxSqlJoin)
public:
    explicit TMxSqlJoin(TMxItem* owner);

    // Table Ids of the link.
    int Master() const { return m_master; }
    void SetMaster(int value);
    int Detail() const { return m_detail; }
    void SetDetail(int value);
    // The link allows an outer join on that side.
    bool LeftOuter() const { return m_leftOuter; }
    void SetLeftOuter(bool value);
    bool RightOuter() const { return m_rightOuter; }
    void SetRightOuter(bool value);
    // That outer join is chosen.
    bool LeftValue() const { return m_leftValue; }
    void SetLeftValue(bool value);
    bool RightValue() const { return m_rightValue; }
    void SetRightValue(bool value);
    const QString& LeftCaption() const { return m_leftCaption; }
    void SetLeftCaption(const QString& value);
    const QString& RightCaption() const { return m_rightCaption; }
    void SetRightCaption(const QString& value);

    // An outer join is chosen on either side.
    bool IsOuter() const { return m_leftValue || m_rightValue; }
    // "FULL OUTER", "LEFT OUTER", "RIGHT OUTER", or empty for an inner join.
    QString JoinKind() const;

    void Assign(const TPersistent* source) override;

private:
    int m_master = 0;
    int m_detail = 0;
    bool m_leftOuter = false;
    bool m_rightOuter = false;
    bool m_leftValue = false;
    bool m_rightValue = false;
    QString m_leftCaption;
    QString m_rightCaption;
};

class TMxSqlJoinList : public TMxTypedList<TMxSqlJoin> {
    MX_CLASS(TMxSqlJoinList)
public:
    using TMxTypedList::TMxTypedList;

    TMxSqlJoin* GetItem(int index) const { return Items(index); }
    // The join of that link, or none.
    TMxSqlJoin* FindJoin(int master, int detail) const;
    // False when the link has a join with an outer side chosen.
    bool IsInnerJoin(int master, int detail) const;
};

} // namespace mx
