// CPositionTable: finds an entry of a list the caller keeps (the targets or
// the headlines of a page's story links) by a key of the entry, in one array
// with open addressing. A page's few hundred keys then cost no node apiece,
// as they would in a std::unordered_map; the caller hashes and compares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CPositionTable {
public:
    // Empties the table and makes room for count entries without growing.
    void Reset(std::size_t count) {
        std::size_t size = 16;
        while (size < 2 * count) size *= 2;  // at most half full: the probe runs stay short
        m_slots.assign(size, Slot{});
        m_nUsed = 0;
    }

    // The position stored under hash that sameKey(position) accepts, or -1.
    template <class SameKey>
    std::ptrdiff_t Find(std::size_t hash, SameKey sameKey) const {
        if (m_slots.empty()) return -1;
        const std::size_t mask = m_slots.size() - 1;
        const std::uint32_t check = Fold(hash);
        for (std::size_t i = check & mask;; i = (i + 1) & mask) {
            const Slot& slot = m_slots[i];
            if (slot.nPosition == 0) return -1;
            if (slot.nCheck == check && sameKey(static_cast<std::size_t>(slot.nPosition - 1)))
                return static_cast<std::ptrdiff_t>(slot.nPosition - 1);
        }
    }

    // Stores position under hash; the caller has made sure no entry has
    // its key.
    void Insert(std::size_t hash, std::size_t position) {
        if (2 * (m_nUsed + 1) > m_slots.size()) Grow();
        Put(Fold(hash), static_cast<std::uint32_t>(position + 1));
        ++m_nUsed;
    }

private:
    struct Slot {
        std::uint32_t nCheck = 0;     // the folded hash
        std::uint32_t nPosition = 0;  // the position plus one; 0 for an empty slot
    };

    // The hash folded to 32 bits: its low bits pick the slot, and all of it
    // is kept in the slot, so that a table that grows can place its entries
    // again and most other keys are told apart without a comparison.
    static std::uint32_t Fold(std::size_t hash) {
        const auto wide = static_cast<std::uint64_t>(hash);
        return static_cast<std::uint32_t>(wide ^ (wide >> 32));
    }

    void Put(std::uint32_t check, std::uint32_t position) {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t i = check & mask;
        while (m_slots[i].nPosition != 0) i = (i + 1) & mask;
        m_slots[i] = Slot{check, position};
    }

    void Grow() {
        std::vector<Slot> old;
        old.swap(m_slots);
        m_slots.assign(old.empty() ? 16 : 2 * old.size(), Slot{});
        for (const Slot& slot : old)
            if (slot.nPosition != 0) Put(slot.nCheck, slot.nPosition);
    }

    std::vector<Slot> m_slots;
    std::size_t m_nUsed = 0;
};
