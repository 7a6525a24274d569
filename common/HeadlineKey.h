// HeadlineKey: the compact key that orders the stories of a source file:
// the headline's first six characters, its signed-character sum and its
// length. Different headlines can share a key, so an equal key only says
// where to look: the headlines themselves decide whether two stories are one.
#pragma once

#include <cstdint>
#include <string_view>

struct HeadlineKey {
    char szPrefix[7] = {};   // up to six characters, zero-terminated and zero-filled
    std::uint16_t nSum = 0;  // sum of the characters as signed bytes, modulo 65536
    std::uint16_t nLength = 0;
};

inline HeadlineKey MakeHeadlineKey(std::string_view headline) {
    HeadlineKey key;
    for (std::size_t i = 0; i < 6 && i < headline.size() && headline[i] != '\0'; ++i) key.szPrefix[i] = headline[i];
    std::uint32_t sum = 0;
    for (char c : headline) sum += static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
    key.nSum = static_cast<std::uint16_t>(sum & 0xFFFF);
    key.nLength = static_cast<std::uint16_t>(headline.size() & 0xFFFF);
    return key;
}

// The seven prefix bytes as one number whose order is that of the bytes
// compared one by one as unsigned values (the first byte most significant).
inline std::uint64_t PrefixOrder(const char* p) {
    std::uint64_t v = 0;
    for (int i = 0; i < 7; ++i) v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}

// Orders by prefix (unsigned bytes, as a string comparison), then sum, then
// length. Because prefixes are zero-filled past their end, comparing all
// seven bytes gives the same order as comparing up to the terminator.
inline int CompareHeadlineKeys(const char* aPrefix, std::uint16_t aSum, std::uint16_t aLength, const char* bPrefix,
                               std::uint16_t bSum, std::uint16_t bLength) {
    const std::uint64_t a = PrefixOrder(aPrefix), b = PrefixOrder(bPrefix);
    if (a != b) return a < b ? -1 : 1;
    if (aSum != bSum) return aSum < bSum ? -1 : 1;
    if (aLength != bLength) return aLength < bLength ? -1 : 1;
    return 0;
}

inline int CompareHeadlineKeys(const HeadlineKey& a, const HeadlineKey& b) {
    return CompareHeadlineKeys(a.szPrefix, a.nSum, a.nLength, b.szPrefix, b.nSum, b.nLength);
}

// A 32-bit FNV-1a hash of the whole headline. Within an equal key it orders
// the headlines that share it, so that a look-up rarely meets a headline
// other than its own.
inline std::uint32_t HeadlineHash(std::string_view headline) {
    std::uint32_t h = 2166136261u;
    for (char c : headline) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    return h;
}
