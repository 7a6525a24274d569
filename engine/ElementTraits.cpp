#include "engine/ElementTraits.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstring>

#include "html/HtmlTokenKind.h"
#include "html/PackedNameHash.h"

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

// Names of up to eight bytes are looked up in a perfect hash of their packed
// form; a slot holds the name's index in kEntries + 1 (0: no name).
constexpr std::size_t kLongest = 10;
constexpr int kSlotBits = 9;
constexpr std::size_t kEntryCount = std::size(kEntries);

struct Lookup {
    std::array<std::uint8_t, (1 << kSlotBits)> slots{};
    std::array<std::uint64_t, kEntryCount> keys{};  // 0 for a longer name
};

constexpr std::array<std::uint64_t, kEntryCount> MakeKeys() {
    std::array<std::uint64_t, kEntryCount> keys{};
    for (std::size_t i = 0; i < kEntryCount; ++i)
        if (kEntries[i].name.size() <= kPackedNameBytes) keys[i] = PackName(kEntries[i].name);
    return keys;
}

constexpr std::array<std::uint64_t, kEntryCount> kKeys = MakeKeys();
constexpr std::uint64_t kMultiplier = FindPackedMultiplier<kSlotBits>(kKeys);

constexpr Lookup MakeLookup() {
    Lookup l;
    l.keys = kKeys;
    for (std::size_t i = 0; i < kEntryCount; ++i)
        if (kKeys[i] != 0) l.slots[PackedSlot<kSlotBits>(kKeys[i], kMultiplier)] = static_cast<std::uint8_t>(i + 1);
    return l;
}

static_assert(kEntryCount < 256);
constexpr Lookup kLookup = MakeLookup();

constexpr std::uint16_t TraitsOfName(std::string_view name) {
    for (const Entry& e : kEntries)
        if (e.name == name) return e.traits;
    return 0;
}

// Per token kind: the traits that all the tokenizer's names of that kind
// share; -1 where they differ (p and div), for the kinds of no name and for
// TK_OTHER, whose names are looked up one by one.
constexpr std::array<std::int32_t, HTML_TOKEN_KIND_COUNT> MakeKindTraits() {
    constexpr std::int32_t kUnseen = -2;
    std::array<std::int32_t, HTML_TOKEN_KIND_COUNT> byKind{};
    byKind.fill(kUnseen);
    for (const HtmlTagEntry& tag : g_htmlTagTable) {
        std::int32_t& traits = byKind[static_cast<std::size_t>(tag.kind)];
        const std::int32_t own = TraitsOfName(tag.name);
        traits = traits == kUnseen || traits == own ? own : -1;
    }
    for (std::int32_t& traits : byKind)
        if (traits == kUnseen) traits = -1;
    byKind[TK_OTHER] = -1;
    return byKind;
}

constexpr std::array<std::int32_t, HTML_TOKEN_KIND_COUNT> kKindTraits = MakeKindTraits();
static_assert(kKindTraits[TK_PARAGRAPH] < 0 && kKindTraits[TK_LIST] == (kElementBlock | kElementList));

}  // namespace

std::uint16_t ElementTraitsOf(std::string_view name) {
    if (name.empty() || name.size() > kLongest) return 0;
    if (name.size() > kPackedNameBytes) {
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
    const std::uint8_t entry = kLookup.slots[PackedSlot<kSlotBits>(key, kMultiplier)];
    return entry != 0 && kLookup.keys[entry - 1] == key ? kEntries[entry - 1].traits : 0;
}

std::uint16_t ElementTraitsOfTag(const CHtmlToken& tag) {
    const int kind = tag.m_nKind;
    if (kind >= 0 && kind < HTML_TOKEN_KIND_COUNT && kKindTraits[static_cast<std::size_t>(kind)] >= 0)
        return static_cast<std::uint16_t>(kKindTraits[static_cast<std::size_t>(kind)]);
    return ElementTraitsOf(tag.Text());
}
