#pragma once
// Links between tables and their field pairs.

#include "ownedchild.h"

#include "engine/core/list.h"
#include "engine/core/types.h"

namespace mx {

class TMxFLinkList;

// A link joins a master table to a detail table. Inside a field pair the
// same record carries either the two table ids or the two field names.
class TMxLink : public TMxItem {
    MX_CLASS(TMxLink)
public:
    explicit TMxLink(TMxItem* owner);
    ~TMxLink() override;

    int Master() const { return m_master; }
    void SetMaster(int value);
    int Detail() const { return m_detail; }
    void SetDetail(int value);
    const QString& MasterName() const { return m_masterName; }
    void SetMasterName(const QString& value);
    const QString& DetailName() const { return m_detailName; }
    void SetDetailName(const QString& value);
    TLinkType LinkType() const { return m_linkType; }
    void SetLinkType(TLinkType value);
    TMxFLinkList* FLinks() const;
    bool LeftOuter() const { return m_leftOuter; }
    void SetLeftOuter(bool value);
    bool LeftDefault() const { return m_leftDefault; }
    void SetLeftDefault(bool value);
    const QString& LeftCaption() const { return m_leftCaption; }
    void SetLeftCaption(const QString& value);
    bool RightOuter() const { return m_rightOuter; }
    void SetRightOuter(bool value);
    bool RightDefault() const { return m_rightDefault; }
    void SetRightDefault(bool value);
    const QString& RightCaption() const { return m_rightCaption; }
    void SetRightCaption(const QString& value);

    QString GetDebugText() const override;
    // Copies everything but Id and Name.
    void Assign(const TPersistent* source) override;

private:
    int m_master = 0;
    int m_detail = 0;
    QString m_masterName;
    QString m_detailName;
    TLinkType m_linkType = ltOneToOne;
    bool m_leftOuter = false;
    bool m_leftDefault = false;
    QString m_leftCaption;
    bool m_rightOuter = false;
    bool m_rightDefault = false;
    QString m_rightCaption;
    TOwned<TMxFLinkList> m_flinks;
};

// One field pair of a link: the tables record (Master, Detail) and the
// fields record (MasterName, DetailName). Both are stored as nested lists
// of one record each, tables first.
class TMxFLink : public TMxItem {
    MX_CLASS(TMxFLink)
public:
    explicit TMxFLink(TMxItem* owner);
    ~TMxFLink() override;

    TMxLink* Tables() const { return m_tables.get(); }
    TMxLink* Fields() const { return m_fields.get(); }

    void ReadItems(TMxReader& reader) override;
    void WriteItems(TMxWriter& writer) override;
    QString GetDebugText() const override;
    void Assign(const TPersistent* source) override;

private:
    TOwned<TMxLink> m_tables;
    TOwned<TMxLink> m_fields;
};

class TMxFLinkList : public TMxTypedList<TMxFLink> {
    MX_CLASS(TMxFLinkList)
public:
    using TMxTypedList::TMxTypedList;
};

class TMxLinkList : public TMxTypedList<TMxLink> {
    MX_CLASS(TMxLinkList)
public:
    using TMxTypedList::TMxTypedList;
    // The first link between these tables with empty field names.
    TMxLink* FindLink(int masterId, int detailId) const;
    // Same tables and same field names (compared exactly).
    static bool Matches(const TMxLink* link, const TMxLink* probe);
};

} // namespace mx
