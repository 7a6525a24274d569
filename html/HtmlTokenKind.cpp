#include "html/HtmlTokenKind.h"

#include <array>
#include <cstdint>

#include "html/PackedNameHash.h"

namespace {

constexpr std::size_t kTagCount = std::size(g_htmlTagTable);

constexpr std::array<std::uint64_t, kTagCount> MakeKeys() {
    std::array<std::uint64_t, kTagCount> keys{};
    for (std::size_t i = 0; i < kTagCount; ++i) keys[i] = PackName(g_htmlTagTable[i].name);
    return keys;
}

constexpr std::array<std::uint64_t, kTagCount> kTagKeys = MakeKeys();
static_assert(kTagCount <= kHtmlTagKeyCount);

// The top kHtmlTagSlotBits bits of key * kMultiplier give every name a slot of its own.
constexpr std::uint64_t kMultiplier = FindPackedMultiplier<kHtmlTagSlotBits>(kTagKeys);

// Slot -> index in the tag table + 1 (0: empty slot).
constexpr std::array<std::uint8_t, (1 << kHtmlTagSlotBits)> MakeSlots() {
    std::array<std::uint8_t, (1 << kHtmlTagSlotBits)> slots{};
    for (std::size_t i = 0; i < kTagCount; ++i)
        slots[PackedSlot<kHtmlTagSlotBits>(kTagKeys[i], kMultiplier)] = static_cast<std::uint8_t>(i + 1);
    return slots;
}

constexpr std::array<std::uint8_t, (1 << kHtmlTagSlotBits)> kSlots = MakeSlots();

constexpr std::array<std::uint64_t, kHtmlTagKeyCount> MakeKeyTable() {
    std::array<std::uint64_t, kHtmlTagKeyCount> keys{};
    for (std::size_t i = 0; i < kTagCount; ++i) keys[i] = kTagKeys[i];
    return keys;
}

}  // namespace

const HtmlTagLookup g_htmlTagLookup = {kMultiplier, kSlots, MakeKeyTable()};

const HtmlTagEntry* FindTagEntry(std::string_view lowerName) {
    if (lowerName.empty() || lowerName.size() > kPackedNameBytes) return nullptr;
    return FindTagEntryByKey(PackName(lowerName));
}


