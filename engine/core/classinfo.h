#pragma once
// Run-time class information: the one table that drives streaming, list
// item creation and tag names. Each engine class registers its exact name
// (it goes into files), its parent, a factory taking the owner, the item
// class of a list, and its published properties in order (ancestors first,
// then declaration order).

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>
#include <type_traits>
#include <vector>

namespace mx {

class TPersistent;
class TMxItem;
class TFiler;

enum class PropKind { Integer, Char, Enum, Set, Float, String, Object, Event };

// The names of an enumeration type, in ordinal order.
struct EnumInfo {
    QString typeName;
    QStringList names;
    int ordinalOf(const QString& name, Qt::CaseSensitivity cs = Qt::CaseInsensitive) const
    {
        for (int i = 0; i < names.size(); ++i)
            if (names[i].compare(name, cs) == 0)
                return i;
        return -1;
    }
};

const EnumInfo& BooleanInfo(); // "False", "True"

struct PropInfo {
    QString name;
    PropKind kind = PropKind::Integer;
    const EnumInfo* enumInfo = nullptr;                         // Enum and Set
    std::function<QVariant(const TPersistent*)> get;            // Integer/Char/Enum: qint64; Set: quint32; Float: double; String: QString
    std::function<void(TPersistent*, const QVariant&)> set;     // empty: read-only
    std::function<TPersistent*(const TPersistent*)> getObject;  // Object
    std::optional<qint64> defaultValue;                         // none: always written
    std::function<bool(const TPersistent*)> stored;             // empty: always stored

    bool isStored(const TPersistent* obj) const { return !stored || stored(obj); }
    bool hasSetter() const { return bool(set); }
};

struct ClassInfo {
    QString name;
    const ClassInfo* parent = nullptr;
    std::function<TMxItem*(TMxItem* owner)> factory; // empty: not creatable
    const ClassInfo* itemClass = nullptr;            // lists: the class of their items
    std::vector<PropInfo> ownProps;

    // Published properties, ancestors first.
    const std::vector<const PropInfo*>& props() const;
    const PropInfo* findProp(const QString& name) const; // exact, then without regard to case
    bool inheritsFrom(const ClassInfo* other) const;
    const ClassInfo* listItemClass() const; // nearest declared item class

private:
    mutable std::vector<const PropInfo*> m_all;
    mutable bool m_built = false;
};

// Name -> class, for child components and diagnostics.
namespace ClassRegistry {
void add(const ClassInfo* info);
const ClassInfo* find(const QString& name);
} // namespace ClassRegistry

// Builds the property table of a class T with typed accessors.
template <class T>
class ClassBuilder {
public:
    explicit ClassBuilder(ClassInfo& info) : m_info(info) {}

    template <class G, class S>
    ClassBuilder& integer(const QString& name, G get, S set, std::optional<qint64> def = 0)
    {
        return add(name, PropKind::Integer, nullptr, wrapGet<qint64>(get), wrapSet<qint64>(set), def);
    }
    template <class G, class S>
    ClassBuilder& character(const QString& name, G get, S set, std::optional<qint64> def = 0)
    {
        return add(name, PropKind::Char, nullptr, wrapGet<qint64>(get), wrapSet<qint64>(set), def);
    }
    template <class G, class S>
    ClassBuilder& enumeration(const QString& name, const EnumInfo& e, G get, S set, std::optional<qint64> def = 0)
    {
        return add(name, PropKind::Enum, &e, wrapGet<qint64>(get), wrapSet<qint64>(set), def);
    }
    template <class G, class S>
    ClassBuilder& boolean(const QString& name, G get, S set, std::optional<qint64> def = 0)
    {
        return add(name, PropKind::Enum, &BooleanInfo(), wrapGet<qint64>(get), wrapSet<qint64>(set), def);
    }
    template <class G, class S>
    ClassBuilder& set(const QString& name, const EnumInfo& e, G get, S set, std::optional<qint64> def = 0)
    {
        return add(name, PropKind::Set, &e, wrapGet<quint32>(get), wrapSet<quint32>(set), def);
    }
    template <class G, class S>
    ClassBuilder& floating(const QString& name, G get, S set)
    {
        return add(name, PropKind::Float, nullptr, wrapGet<double>(get), wrapSet<double>(set), std::nullopt);
    }
    template <class G, class S>
    ClassBuilder& string(const QString& name, G get, S set)
    {
        return add(name, PropKind::String, nullptr, wrapGet<QString>(get), wrapSet<QString>(set), std::nullopt);
    }
    // An object-valued property: a list (written as a child record), another
    // item (written as a reference) or a persistent object (its own records).
    template <class G>
    ClassBuilder& object(const QString& name, G get)
    {
        PropInfo p;
        p.name = name;
        p.kind = PropKind::Object;
        p.getObject = [get](const TPersistent* o) -> TPersistent* {
            return static_cast<TPersistent*>(std::invoke(get, static_cast<const T*>(o)));
        };
        p.set = [](TPersistent*, const QVariant&) {};
        m_info.ownProps.push_back(std::move(p));
        return *this;
    }
    ClassBuilder& event(const QString& name)
    {
        PropInfo p;
        p.name = name;
        p.kind = PropKind::Event;
        p.set = [](TPersistent*, const QVariant&) {};
        m_info.ownProps.push_back(std::move(p));
        return *this;
    }
    // The stored test of the last property added.
    template <class F>
    ClassBuilder& storedIf(F pred)
    {
        m_info.ownProps.back().stored = [pred](const TPersistent* o) { return bool(std::invoke(pred, static_cast<const T*>(o))); };
        return *this;
    }
    ClassBuilder& readOnly()
    {
        m_info.ownProps.back().set = nullptr;
        return *this;
    }
    template <class Item>
    ClassBuilder& items()
    {
        m_info.itemClass = &Item::staticClass();
        return *this;
    }

private:
    template <class V, class G>
    static std::function<QVariant(const TPersistent*)> wrapGet(G get)
    {
        return [get](const TPersistent* o) -> QVariant {
            return QVariant::fromValue(V(std::invoke(get, static_cast<const T*>(o))));
        };
    }
    template <class V, class S>
    static std::function<void(TPersistent*, const QVariant&)> wrapSet(S set)
    {
        if constexpr (std::is_same_v<S, std::nullptr_t>) {
            return nullptr;
        } else {
            return [set](TPersistent* o, const QVariant& v) {
                using Arg = V;
                invokeSetter(set, static_cast<T*>(o), v.value<Arg>());
            };
        }
    }
    template <class S, class V>
    static void invokeSetter(S set, T* obj, const V& v)
    {
        if constexpr (std::is_member_object_pointer_v<S>) {
            using M = std::remove_cvref_t<decltype(obj->*set)>;
            obj->*set = static_cast<M>(v);
        } else if constexpr (std::is_invocable_v<S, T*, V>) {
            std::invoke(set, obj, v);
        } else {
            // setters taking an enumeration or a narrower integer
            using Arg = typename SetterArg<S>::type;
            std::invoke(set, obj, static_cast<Arg>(v));
        }
    }
    template <class S>
    struct SetterArg;
    template <class C, class R, class A>
    struct SetterArg<R (C::*)(A)> {
        using type = std::remove_cvref_t<A>;
    };

    ClassBuilder& add(const QString& name, PropKind kind, const EnumInfo* e,
        std::function<QVariant(const TPersistent*)> get,
        std::function<void(TPersistent*, const QVariant&)> set, std::optional<qint64> def)
    {
        PropInfo p;
        p.name = name;
        p.kind = kind;
        p.enumInfo = e;
        p.get = std::move(get);
        p.set = std::move(set);
        p.defaultValue = def;
        m_info.ownProps.push_back(std::move(p));
        return *this;
    }

    ClassInfo& m_info;
};

template <class T>
ClassInfo MakeClassInfo(const char* name, const ClassInfo* parent, void (*describe)(ClassBuilder<T>&))
{
    ClassInfo info;
    info.name = QString::fromLatin1(name);
    info.parent = parent;
    if constexpr (std::is_base_of_v<TMxItem, T> && !std::is_abstract_v<T> && std::is_constructible_v<T, TMxItem*>) {
        info.factory = [](TMxItem* owner) -> TMxItem* { return new T(owner); };
    }
    if (describe) {
        ClassBuilder<T> b(info);
        describe(b);
    }
    return info;
}

} // namespace mx

// In a class body: declares the class information of T.
#define MX_CLASS(T)                                                         \
public:                                                                     \
    static const ::mx::ClassInfo& staticClass();                            \
    const ::mx::ClassInfo* classInfo() const override { return &staticClass(); }

// In a source file: defines the class information of T, derived from
// Parent, with describe (a function taking ClassBuilder<T>&, or nullptr)
// listing its published properties in declaration order.
#define MX_DEFINE_CLASS(T, Parent, describe)                                \
    const ::mx::ClassInfo& T::staticClass()                                 \
    {                                                                       \
        static const ::mx::ClassInfo info =                                 \
            ::mx::MakeClassInfo<T>(#T, &Parent::staticClass(), describe);   \
        return info;                                                        \
    }                                                                       \
    namespace {                                                             \
    [[maybe_unused]] const bool T##_registered =                           \
        (::mx::ClassRegistry::add(&T::staticClass()), true);                \
    }
