#include "store/StoryFileName.h"

#include <cstdint>
#include <cstdio>

std::size_t StoryStemStart(std::string_view key) {
    if (key.find("Custom:") == std::string_view::npos) return 0;
    const bool bWww = key.find("www.") != std::string_view::npos;
    std::size_t pos = key.find("http:");
    std::size_t schemeLen = 7;  // "http://"
    // A secure page skips its longer scheme the same way.
    if (const std::size_t secure = key.find("https:"); secure < pos) {
        pos = secure;
        schemeLen = 8;
    }
    if (pos == std::string_view::npos) return 0;
    const std::size_t start = pos + schemeLen + (bWww ? 4 : 0);
    return start <= key.size() ? start : key.size();
}

std::string RawStoryFileStem(std::string_view key) {
    std::uint32_t sum = 0;
    for (char c : key) sum += static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
    sum &= 0xFFFF;
    const unsigned length = static_cast<unsigned>(key.size() & 0xFFFF);

    std::string_view part = key.substr(StoryStemStart(key), 8);
    // "%0.8s" stops at a terminating zero.
    if (std::size_t z = part.find('\0'); z != std::string_view::npos) part = part.substr(0, z);

    char hex[9];
    std::snprintf(hex, sizeof hex, "%04x%04x", static_cast<unsigned>(sum), length);
    std::string stem(part);
    stem.append(hex);
    return stem;
}

std::string SafeFileNameChars(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                        c == '-' || c == '_';
        if (!ok) c = '_';
    }
    return out;
}

std::string StoryFileStem(std::string_view key) { return SafeFileNameChars(RawStoryFileStem(key)); }

std::string SecondStoryFileStem(std::string_view key) {
    std::uint64_t h = 14695981039346656037ull;
    for (char c : key) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return StoryFileStem(key) + "-" + hex;
}
