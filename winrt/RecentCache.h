#pragma once
// A few recent results of a costly computation, kept by key: a lookup compares the keys in
// turn, and a new entry takes the place of the oldest.

#include <array>
#include <cstddef>
#include <utility>

namespace winrt {

template <typename Key, typename Value, std::size_t Slots = 4> class RecentCache {
public:
    // The value kept under the first key that matches (a predicate on const Key&), or null.
    template <typename Matches> const Value* find(Matches&& matches) const
    {
        for (const Slot& slot : m_slots)
            if (slot.used && matches(slot.key))
                return &slot.value;
        return nullptr;
    }

    // Keeps key in place of the oldest entry; returns its value, left as the entry had it, for
    // the caller to fill.
    Value& insert(Key key)
    {
        Slot& slot = m_slots[m_next];
        m_next = (m_next + 1) % Slots;
        slot.key = std::move(key);
        slot.used = true;
        return slot.value;
    }

    // Forgets every entry (their storage is kept for reuse).
    void clear()
    {
        for (Slot& slot : m_slots)
            slot.used = false;
    }

private:
    struct Slot {
        Key key{};
        Value value{};
        bool used = false;
    };
    std::array<Slot, Slots> m_slots{};
    std::size_t m_next = 0;
};

} // namespace winrt
