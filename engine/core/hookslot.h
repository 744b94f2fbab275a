#pragma once
// Process-wide slots through which the engine calls code of the layers
// above it. An empty slot means the feature is absent.

#include <functional>
#include <utility>

namespace mx {

template <class Sig>
class THookSlot {
public:
    using Fn = std::function<Sig>;
    explicit operator bool() const { return bool(m_fn); }
    template <class... A>
    decltype(auto) operator()(A&&... args) const { return m_fn(std::forward<A>(args)...); }
    Fn exchange(Fn fn) { return std::exchange(m_fn, std::move(fn)); }
    void set(Fn fn) { m_fn = std::move(fn); }
    void clear() { m_fn = nullptr; }
    const Fn& get() const { return m_fn; }

private:
    Fn m_fn;
};

// Fills a slot for the life of the guard, then puts the old routine back.
template <class Slot>
class ScopedHook {
public:
    ScopedHook(Slot& slot, typename Slot::Fn fn) : m_slot(slot), m_old(slot.exchange(std::move(fn))) {}
    ~ScopedHook() { m_slot.exchange(std::move(m_old)); }
    ScopedHook(const ScopedHook&) = delete;
    ScopedHook& operator=(const ScopedHook&) = delete;

private:
    Slot& m_slot;
    typename Slot::Fn m_old;
};

} // namespace mx
