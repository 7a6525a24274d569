#include "common/PrintableText.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/ByteWords.h"

namespace {

using byte_words::BytesBelow;
using byte_words::FirstBytesEqual;
using byte_words::LoadWord;

// True when the byte at i of text starts a character StripControlCharacters
// removes or changes.
inline bool IsControlAt(std::string_view text, std::size_t i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) return true;
    if (c != 0xC2 || i + 1 >= text.size()) return false;
    const unsigned char next = static_cast<unsigned char>(text[i + 1]);
    return next >= 0x80 && next <= 0x9F;  // a C1 control
}

// True when text holds nothing to strip.
bool IsClean(std::string_view text) {
    const std::size_t size = text.size();
    // Blocks of bytes at a time; the last block of a text overlaps the one
    // before it instead of leaving its bytes to a loop of their own (a byte
    // looked at twice gets the same answer).
#if defined(__SSE2__)
    // Sixteen bytes at a time: a byte up to 0x1F, DEL, or 0xC2 (which also
    // leads U+00A0 to U+00BF, which stay) sends the block to the exact test.
    const auto cleanBlock = [&text](std::size_t i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(0x1F)), v);
        const __m128i suspect = _mm_or_si128(low, _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(0x7F)),
                                                               _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xC2)))));
        if (_mm_movemask_epi8(suspect) == 0) return true;
        for (std::size_t k = i; k < i + 16; ++k)
            if (IsControlAt(text, k)) return false;
        return true;
    };
    if (size >= 16) {
        for (std::size_t i = 0; i + 16 < size; i += 16)
            if (!cleanBlock(i)) return false;
        return cleanBlock(size - 16);
    }
#endif
    const auto cleanWord = [&text](std::size_t i) {
        const std::uint64_t w = LoadWord(text.data() + i);
        if (BytesBelow(w, 0x20) || FirstBytesEqual(w, 0x7F)) return false;
        // 0xC2 also leads the characters U+00A0 to U+00BF, which stay.
        if (FirstBytesEqual(w, 0xC2))
            for (std::size_t k = i; k < i + 8; ++k)
                if (IsControlAt(text, k)) return false;
        return true;
    };
    if (size >= 8) {
        for (std::size_t i = 0; i + 8 < size; i += 8)
            if (!cleanWord(i)) return false;
        return cleanWord(size - 8);
    }
    for (std::size_t i = 0; i < size; ++i)
        if (IsControlAt(text, i)) return false;
    return true;
}

}  // namespace

bool StripControlCharactersInPlace(std::string& text, bool keepLineEnds) {
    if (IsClean(text)) return false;
    text = StripControlCharacters(text, keepLineEnds);
    return true;
}

std::string StripControlCharacters(std::string_view text, bool keepLineEnds) {
    // Most text holds no control character at all: copied whole.
    if (IsClean(text)) return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n' && keepLineEnds) {
            out.push_back('\n');
        } else if (c == '\t' || c == '\r' || c == '\n') {
            out.push_back(' ');
        } else if (c < 0x20 || c == 0x7F) {
            continue;
        } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            ++i;  // a C1 control
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}
