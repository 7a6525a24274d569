#include "html/CharRefDecoder.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

struct NamedCharRef {
    std::string_view name;   // without the ';'
    std::string_view value;  // UTF-8
    bool withSemicolon;      // a reference when written with ';'
    bool legacy;             // also a reference when written without ';'
};

#include "html/CharRefTable.inc"

inline bool IsAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Where the names of each first letter begin and end in the sorted table,
// so that a lookup searches only those.
struct NameRange {
    std::uint16_t begin = 0, end = 0;
};

constexpr std::array<NameRange, 128> MakeFirstLetterIndex() {
    std::array<NameRange, 128> index{};
    for (std::size_t i = 0; i < std::size(kNamedCharRefs); ++i) {
        NameRange& r = index[static_cast<unsigned char>(kNamedCharRefs[i].name[0])];
        if (r.end == 0) r.begin = static_cast<std::uint16_t>(i);
        r.end = static_cast<std::uint16_t>(i + 1);
    }
    return index;
}

constexpr std::array<NameRange, 128> kFirstLetterIndex = MakeFirstLetterIndex();

// name is not empty and all ASCII letters and digits.
const NamedCharRef* FindNamed(std::string_view name) {
    const NameRange range = kFirstLetterIndex[static_cast<unsigned char>(name[0])];
    const auto* first = kNamedCharRefs + range.begin;
    const auto* last = kNamedCharRefs + range.end;
    // Names are short: comparing them in line beats calling memcmp.
    const auto less = [](const NamedCharRef& r, std::string_view n) {
        const std::size_t common = std::min(r.name.size(), n.size());
        for (std::size_t i = 0; i < common; ++i)
            if (r.name[i] != n[i]) return r.name[i] < n[i];
        return r.name.size() < n.size();
    };
    const auto* it = std::lower_bound(first, last, name, less);
    return it != last && it->name == name ? it : nullptr;
}

// "&#...": decimal or, after 'x', hexadecimal digits and an optional ';'.
std::size_t DecodeNumeric(const char* amp, const char* end, char* out, std::size_t& written) {
    const char* p = amp + 2;
    const bool hex = p < end && (*p == 'x' || *p == 'X');
    if (hex) ++p;
    const char* digits = p;
    char32_t cp = 0;
    for (; p < end; ++p) {
        const int d = hex ? HexValue(*p) : (*p >= '0' && *p <= '9' ? *p - '0' : -1);
        if (d < 0) break;
        cp = std::min<char32_t>(cp * (hex ? 16 : 10) + static_cast<char32_t>(d), 0x110000);
    }
    if (p == digits) return 0;  // "&#" or "&#x" without digits is plain text
    if (p < end && *p == ';') ++p;

    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    else if (cp >= 0x80 && cp <= 0x9F)
        cp = kC1Replacements[cp - 0x80];
    std::size_t n = 0;
    U8_APPEND_UNSAFE(out, n, cp);
    written = n;
    return static_cast<std::size_t>(p - amp);
}

}  // namespace

std::size_t DecodeCharRef(const char* amp, const char* end, CharRefPlace place, char* out,
                          std::size_t& written) {
    written = 0;
    if (amp + 1 >= end) return 0;
    if (amp[1] == '#') return DecodeNumeric(amp, end, out, written);

    const char* name = amp + 1;
    // The references pages use most, spelled in full, skip the table.
    if (end - name >= 5 && name[4] == ';' && std::memcmp(name, "nbsp", 4) == 0) {
        out[0] = '\xC2';
        out[1] = '\xA0';
        written = 2;
        return 6;
    }
    if (end - name >= 4 && name[3] == ';' && std::memcmp(name, "amp", 3) == 0) {
        out[0] = '&';
        written = 1;
        return 5;
    }
    const char* p = name;
    while (p < end && IsAsciiAlnum(*p) && static_cast<std::size_t>(p - name) <= kLongestName) ++p;
    const std::size_t runLength = static_cast<std::size_t>(p - name);
    if (runLength == 0) return 0;

    // The whole name followed by ';' is the one spelling all references have;
    // failing that, the longest legacy name the run begins with.
    const NamedCharRef* ref = nullptr;
    std::size_t nameLength = 0;
    bool semicolon = false;
    if (p < end && *p == ';') {
        ref = FindNamed(std::string_view(name, runLength));
        if (ref && ref->withSemicolon) {
            nameLength = runLength;
            semicolon = true;
        } else {
            ref = nullptr;
        }
    }
    for (std::size_t n = std::min(runLength, kLongestLegacyName); !ref && n >= 2; --n) {
        ref = FindNamed(std::string_view(name, n));
        if (ref && ref->legacy)
            nameLength = n;
        else
            ref = nullptr;
    }
    if (!ref) return 0;
    const char* after = name + nameLength;
    if (!semicolon && place == CharRefPlace::Attribute && after < end && (*after == '=' || IsAsciiAlnum(*after)))
        return 0;

    std::memmove(out, ref->value.data(), ref->value.size());
    written = ref->value.size();
    return 1 + nameLength + (semicolon ? 1 : 0);
}

char* DecodeCharRefsInPlace(char* begin, char* end, CharRefPlace place) {
    char* amp = static_cast<char*>(std::memchr(begin, '&', static_cast<std::size_t>(end - begin)));
    if (!amp) return end;
    char* in = amp;
    char* out = amp;
    while (in < end) {
        // in is at an '&'.
        std::size_t written = 0;
        const std::size_t taken = DecodeCharRef(in, end, place, out, written);
        if (taken == 0) {
            *out++ = *in++;
        } else {
            in += taken;
            out += written;
        }
        // The bytes up to the next '&' move as one block.
        char* next = in < end ? static_cast<char*>(std::memchr(in, '&', static_cast<std::size_t>(end - in))) : nullptr;
        char* const stop = next ? next : end;
        if (out != in) std::memmove(out, in, static_cast<std::size_t>(stop - in));
        out += stop - in;
        in = stop;
    }
    return out;
}
