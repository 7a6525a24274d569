#include "html/HtmlTokenKind.h"

#include <array>
#include <cstdint>

namespace {

// A tag name of up to eight bytes packed into one integer, for quick lookup.
constexpr std::uint64_t PackName(std::string_view name) {
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < name.size(); ++i)
        key |= static_cast<std::uint64_t>(static_cast<unsigned char>(name[i])) << (8 * i);
    return key;
}

constexpr std::size_t kTagCount = std::size(g_htmlTagTable);

constexpr std::array<std::uint64_t, kTagCount> MakeKeys() {
    std::array<std::uint64_t, kTagCount> keys{};
    for (std::size_t i = 0; i < kTagCount; ++i) keys[i] = PackName(g_htmlTagTable[i].name);
    return keys;
}

constexpr std::array<std::uint64_t, kTagCount> kTagKeys = MakeKeys();
static_assert(kTagCount <= kHtmlTagKeyCount);

// A perfect hash of the packed names: the top 7 bits of key * multiplier give
// a slot of their own to every name. The multiplier is searched for at
// compile time.
constexpr int kSlotBits = kHtmlTagSlotBits;

constexpr std::size_t Slot(std::uint64_t key, std::uint64_t multiplier) {
    return static_cast<std::size_t>((key * multiplier) >> (64 - kSlotBits));
}

constexpr std::uint64_t FindMultiplier() {
    for (std::uint64_t m = 0x9E3779B97F4A7C15ull;; m += 0x5851F42D4C957F2Eull) {
        bool used[1 << kSlotBits] = {};
        bool unique = true;
        for (std::uint64_t key : kTagKeys) {
            const std::size_t slot = Slot(key, m | 1);
            if (used[slot]) {
                unique = false;
                break;
            }
            used[slot] = true;
        }
        if (unique) return m | 1;
    }
}

constexpr std::uint64_t kMultiplier = FindMultiplier();

// Slot -> index in the tag table + 1 (0: empty slot).
constexpr std::array<std::uint8_t, (1 << kSlotBits)> MakeSlots() {
    std::array<std::uint8_t, (1 << kSlotBits)> slots{};
    for (std::size_t i = 0; i < kTagCount; ++i) slots[Slot(kTagKeys[i], kMultiplier)] = static_cast<std::uint8_t>(i + 1);
    return slots;
}

constexpr std::array<std::uint8_t, (1 << kSlotBits)> kSlots = MakeSlots();

constexpr std::array<std::uint64_t, kHtmlTagKeyCount> MakeKeyTable() {
    std::array<std::uint64_t, kHtmlTagKeyCount> keys{};
    for (std::size_t i = 0; i < kTagCount; ++i) keys[i] = kTagKeys[i];
    return keys;
}

}  // namespace

const HtmlTagLookup g_htmlTagLookup = {kMultiplier, kSlots, MakeKeyTable()};

const HtmlTagEntry* FindTagEntry(std::string_view lowerName) {
    if (lowerName.empty() || lowerName.size() > 8) return nullptr;
    return FindTagEntryByKey(PackName(lowerName));
}


