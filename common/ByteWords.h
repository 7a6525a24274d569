// Tests on eight bytes of text at once, read as one 64-bit word: each test
// flags the bytes that pass it in their high bit (0x80), so that a scan can
// skip a word with no flag and look closer only where one is set.
#pragma once

#include <cstdint>
#include <cstring>

namespace byte_words {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// The eight bytes at p, in memory order.
inline std::uint64_t LoadWord(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// The bytes of w equal to c. Only the first flag in memory order is sure:
// a byte after a true flag may be flagged wrongly (a borrow crosses into
// it), so the result is exact as a yes-or-no answer.
constexpr std::uint64_t FirstBytesEqual(std::uint64_t w, unsigned char c) {
    const std::uint64_t x = w ^ (kOnes * c);
    return (x - kOnes) & ~x & kHighs;
}

// The bytes of w below n (1 to 0x80): control characters and the like.
// The sum of a byte's low seven bits and 0x80 - n reaches the high bit
// exactly from n up and never carries into the next byte.
constexpr std::uint64_t BytesBelow(std::uint64_t w, unsigned char n) {
    return ~(((w & ~kHighs) + kOnes * (0x80 - n)) | w) & kHighs;
}

// The ASCII bytes of w in [from, to]; a byte with its own high bit set is
// not ASCII and never flagged.
constexpr std::uint64_t BytesInRange(std::uint64_t w, unsigned char from, unsigned char to) {
    const std::uint64_t low7 = w & ~kHighs;
    return (low7 + kOnes * (0x80 - from)) & ~(low7 + kOnes * (0x80 - to - 1)) & ~w & kHighs;
}

}  // namespace byte_words
