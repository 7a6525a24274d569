#include "engine/ListingRules.h"

#include <charconv>

#include "engine/WordString.h"

int ParsePrice(std::string_view word, float& price) {
    price = -1.0f;
    std::size_t i = 0;
    while (i < word.size() && CWordString::IsBlank(word[i])) ++i;
    bool bDollar = false, bPoint = false;
    int nIntDigits = 0, nFracDigits = 0;
    std::string digits;  // the word without its commas
    for (; i < word.size() && !CWordString::IsBlank(word[i]); ++i) {
        char c = word[i];
        if (c == '$') {
            bDollar = true;
        } else if (c == ',') {
            continue;
        } else if (c == '.') {
            bPoint = true;
        } else if (IsAsciiDigit(c)) {
            if (bPoint) ++nFracDigits; else ++nIntDigits;
        } else {
            return 0;
        }
        digits += c;
    }
    if (nIntDigits == 0) return 0;
    // The value is read from the first digit on, as "%f" would read it.
    std::size_t first = digits.find_first_of("0123456789");
    float value = 0.0f;
    auto [end, ec] = std::from_chars(digits.data() + first, digits.data() + digits.size(), value);
    (void)end;
    if (ec != std::errc() || value < 0.0f) return 0;
    price = value;
    if (bDollar) return 3;
    if (bPoint && nFracDigits == 2) return 2;
    return 1;
}

int FindItemNumber(std::string_view url, std::string& itemCode) {
    std::string lower = ToLowerAscii(url);
    std::size_t slash = lower.rfind('\\');
    std::string_view tail(lower);
    if (slash != std::string::npos) tail.remove_prefix(slash + 1);
    static constexpr std::string_view kMarkers[] = {"id=", "itm=", "item=", "lotno=", "id_"};
    for (std::string_view marker : kMarkers) {
        std::size_t pos = tail.find(marker);
        if (pos == std::string_view::npos) continue;
        std::size_t start = pos + marker.size();
        std::size_t end = start;
        while (end < tail.size() && IsAsciiDigit(tail[end])) ++end;
        if (end == start) return 0;
        itemCode.assign(tail.substr(start, end - start));
        return 1;
    }
    return 0;
}
