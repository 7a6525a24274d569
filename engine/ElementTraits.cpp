#include "engine/ElementTraits.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstring>

namespace {

struct Entry {
    std::string_view name;
    std::uint16_t traits;
};

constexpr std::uint16_t kBlockClosing = kElementBlock | kElementClosesItsLike;

constexpr Entry kEntries[] = {
    {"br", kElementVoid}, {"img", kElementVoid}, {"input", kElementVoid}, {"meta", kElementVoid},
    {"link", kElementVoid}, {"hr", kElementVoid | kElementBreaksText}, {"wbr", kElementVoid},
    {"source", kElementVoid}, {"area", kElementVoid}, {"base", kElementVoid}, {"col", kElementVoid},
    {"embed", kElementVoid}, {"param", kElementVoid}, {"track", kElementVoid}, {"frame", kElementVoid},
    {"keygen", kElementVoid},
    {"p", kBlockClosing}, {"li", kBlockClosing}, {"dt", kBlockClosing}, {"dd", kBlockClosing},
    {"tr", kBlockClosing}, {"td", kBlockClosing}, {"th", kBlockClosing},
    {"div", kElementBlock}, {"blockquote", kElementBlock}, {"table", kElementBlock}, {"center", kElementBlock},
    {"address", kElementBlock},
    {"h1", kElementBlock | kElementHeading}, {"h2", kElementBlock | kElementHeading},
    {"h3", kElementBlock | kElementHeading}, {"h4", kElementBlock | kElementHeading},
    {"h5", kElementBlock | kElementHeading}, {"h6", kElementBlock | kElementHeading},
    {"ul", kElementBlock | kElementList}, {"ol", kElementBlock | kElementList}, {"dl", kElementBlock | kElementList},
    {"article", kElementBlock | kElementSectioning | kElementArticle},
    {"section", kElementBlock | kElementSectioning},
    {"aside", kElementBlock | kElementSectioning | kElementFurniture},
    {"nav", kElementBlock | kElementNav | kElementSectioning | kElementFurniture},
    {"main", kElementBlock | kElementSectioning | kElementPage},
    {"header", kElementBlock | kElementPageEdge},
    {"footer", kElementBlock | kElementPageEdge | kElementFurniture},
    {"figure", kElementBlock | kElementFurniture}, {"figcaption", kElementBlock | kElementFurniture},
    {"form", kElementBlock | kElementForm}, {"body", kElementBlock | kElementPage}, {"html", kElementPage},
    {"pre", kElementBreaksText}, {"caption", kElementBreaksText}, {"details", kElementBreaksText},
    {"summary", kElementBreaksText}, {"fieldset", kElementBreaksText}, {"legend", kElementBreaksText},
    {"dialog", kElementBreaksText | kElementFurniture}, {"menu", kElementBreaksText | kElementFurniture},
    {"option", kElementBreaksText | kElementClosesItsLike | kElementHidden},
    {"select", kElementBreaksText | kElementHidden}, {"textarea", kElementBreaksText | kElementHidden},
    {"button", kElementBreaksText | kElementHidden}, {"noscript", kElementBreaksText | kElementHidden},
    {"template", kElementBreaksText | kElementHidden}, {"svg", kElementHidden}, {"style", kElementHidden},
};

// Names of up to eight bytes are looked up as one integer (byte i of the
// name in bits 8i to 8i+7) in a perfect hash: the top kSlotBits bits of
// key * multiplier give each name a slot of its own, holding its index in
// kEntries + 1. The multiplier is searched for at compile time.
constexpr std::size_t kLongest = 10;
constexpr std::size_t kPacked = 8;
constexpr int kSlotBits = 9;
constexpr std::size_t kEntryCount = std::size(kEntries);

constexpr std::uint64_t PackName(std::string_view name) {
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < name.size(); ++i)
        key |= static_cast<std::uint64_t>(static_cast<unsigned char>(name[i])) << (8 * i);
    return key;
}

constexpr std::size_t Slot(std::uint64_t key, std::uint64_t multiplier) {
    return static_cast<std::size_t>((key * multiplier) >> (64 - kSlotBits));
}

constexpr std::uint64_t FindMultiplier() {
    for (std::uint64_t m = 0x9E3779B97F4A7C15ull;; m += 0x5851F42D4C957F2Eull) {
        bool used[1 << kSlotBits] = {};
        bool unique = true;
        for (const Entry& e : kEntries) {
            if (e.name.size() > kPacked) continue;
            const std::size_t slot = Slot(PackName(e.name), m | 1);
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

struct Lookup {
    std::array<std::uint8_t, (1 << kSlotBits)> slots{};
    std::array<std::uint64_t, kEntryCount> keys{};
};

constexpr Lookup MakeLookup() {
    Lookup l;
    for (std::size_t i = 0; i < kEntryCount; ++i) {
        if (kEntries[i].name.size() > kPacked) continue;
        l.keys[i] = PackName(kEntries[i].name);
        l.slots[Slot(l.keys[i], kMultiplier)] = static_cast<std::uint8_t>(i + 1);
    }
    return l;
}

static_assert(kEntryCount < 256);
constexpr Lookup kLookup = MakeLookup();

}  // namespace

std::uint16_t ElementTraitsOf(std::string_view name) {
    if (name.empty() || name.size() > kLongest) return 0;
    if (name.size() > kPacked) {
        for (const Entry& e : kEntries)
            if (e.name == name) return e.traits;
        return 0;
    }
    // PackName without a loop: two overlapping words of four bytes, or the
    // first, middle and last of up to three bytes.
    const char* const p = name.data();
    const std::size_t n = name.size();
    std::uint64_t key;
    if (n >= 4) {
        std::uint32_t low, high;
        std::memcpy(&low, p, 4);
        std::memcpy(&high, p + n - 4, 4);
        if constexpr (std::endian::native == std::endian::little)
            key = low | (static_cast<std::uint64_t>(high) << (8 * (n - 4)));
        else
            key = PackName(name);
    } else {
        const auto byte = [p](std::size_t i) { return static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i); };
        key = byte(0) | byte(n / 2) | byte(n - 1);
    }
    const std::uint8_t entry = kLookup.slots[Slot(key, kMultiplier)];
    return entry != 0 && kLookup.keys[entry - 1] == key ? kEntries[entry - 1].traits : 0;
}
