#pragma once
// TMxList: an ordered list of items that it owns (the default) or only
// references. New items are made from the list's item class.

#include "item.h"

#include <QString>
#include <vector>

namespace mx {

class TStrings;

// The case sensitivity FindByName uses when none is given. It is True at
// start and is never toggled by the engine: callers pass what they need.
extern bool CaseSensitiveNames;

class TMxList : public TMxItem {
    MX_CLASS(TMxList)
public:
    explicit TMxList(TMxItem* owner);
    ~TMxList() override;

    // The class of the items AddNew and the reader create.
    const ClassInfo* ItemClass() const;

    bool OwnsItems() const { return m_ownsItems; }
    void SetOwnsItems(bool v) { m_ownsItems = v; }

    int Count() const { return int(m_items.size()); }
    int ActiveCount() const { return Count() - m_removingDepth; }
    TMxItem* Items(int index) const;
    TMxItem* operator[](int index) const { return Items(index); }
    TMxItem* Last() const;
    const std::vector<TMxItem*>& AsVector() const { return m_items; }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

    TMxItem* AddNew();
    int AddItem(TMxItem* item);
    void AddUnique(TMxItem* item);
    void Insert(int index, TMxItem* item);
    int IndexOf(const TMxItem* item) const;
    virtual void Remove(TMxItem* item);
    void Delete(int index);
    virtual void Exchange(int i, int j);
    virtual void Clear();
    void Sort();

    TMxItem* FindById(int id) const;
    TMxItem* FindByName(const QString& name) const { return FindByName(name, CaseSensitiveNames ? Qt::CaseSensitive : Qt::CaseInsensitive); }
    TMxItem* FindByName(const QString& name, Qt::CaseSensitivity cs) const;
    TMxItem* EnsureId(int id);
    int NextId() const; // highest Id plus 1

    void ForEach(const std::function<void(TMxItem*)>& method) const;
    void FillStrings(TStrings& strings, const std::function<void(TMxItem*, void*&)>& onItem = {}) const;

    void Assign(const TPersistent* source) override;
    void AssignTo(TPersistent* dest) const override;
    void HookAdded(TMxHook* hook) override;
    void HookRemoved(TMxHook* hook) override;
    void Destroying() override;
    void BeginUpdate() override;
    void EndUpdate() override;
    void ReadItems(TMxReader& reader) override;
    void WriteItems(TMxWriter& writer) override;

    template <class T>
    T* ItemAs(int index) const { return static_cast<T*>(Items(index)); }

protected:
    void BeforeDestruction() override;

private:
    friend class TMxItem;
    void detach(TMxItem* item); // silent removal (an item dying without Free)
    std::vector<TMxItem*> m_items;
    bool m_ownsItems = true;
    int m_removingDepth = 0;
};

// A list whose items are of class T: typed access and creation.
template <class T, class Base = TMxList>
class TMxTypedList : public Base {
public:
    using Base::Base;
    T* Items(int index) const { return static_cast<T*>(Base::Items(index)); }
    T* operator[](int index) const { return Items(index); }
    T* AddNew() { return static_cast<T*>(Base::AddNew()); }
    T* FindById(int id) const { return static_cast<T*>(Base::FindById(id)); }
    T* FindByName(const QString& n) const { return static_cast<T*>(Base::FindByName(n)); }
    T* FindByName(const QString& n, Qt::CaseSensitivity cs) const { return static_cast<T*>(Base::FindByName(n, cs)); }
    T* Last() const { return static_cast<T*>(Base::Last()); }
};

} // namespace mx
