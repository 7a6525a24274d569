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

}  // namespace

const HtmlTagEntry* FindTagEntry(std::string_view lowerName) {
    if (lowerName.empty() || lowerName.size() > 8) return nullptr;
    const std::uint64_t key = PackName(lowerName);
    for (std::size_t i = 0; i < kTagCount; ++i)
        if (kTagKeys[i] == key) return &g_htmlTagTable[i];
    return nullptr;
}
