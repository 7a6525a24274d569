// Compile-time perfect hashes of short names: a name of up to eight bytes is
// packed into one integer (byte i in bits 8i to 8i+7), and the top SlotBits
// bits of key * multiplier give every name of a table a slot of its own. The
// tag table and the element traits look names up this way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

constexpr std::size_t kPackedNameBytes = 8;

constexpr std::uint64_t PackName(std::string_view name) {
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < name.size(); ++i)
        key |= static_cast<std::uint64_t>(static_cast<unsigned char>(name[i])) << (8 * i);
    return key;
}

template <int SlotBits>
constexpr std::size_t PackedSlot(std::uint64_t key, std::uint64_t multiplier) {
    return static_cast<std::size_t>((key * multiplier) >> (64 - SlotBits));
}

// The first multiplier of a fixed sequence that gives every key a slot of
// its own; keys of 0 (no packed name) are left out.
template <int SlotBits>
constexpr std::uint64_t FindPackedMultiplier(std::span<const std::uint64_t> keys) {
    for (std::uint64_t m = 0x9E3779B97F4A7C15ull;; m += 0x5851F42D4C957F2Eull) {
        bool used[std::size_t{1} << SlotBits] = {};
        bool unique = true;
        for (std::uint64_t key : keys) {
            if (key == 0) continue;
            const std::size_t slot = PackedSlot<SlotBits>(key, m | 1);
            if (used[slot]) {
                unique = false;
                break;
            }
            used[slot] = true;
        }
        if (unique) return m | 1;
    }
}
