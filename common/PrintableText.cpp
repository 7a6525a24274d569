#include "common/PrintableText.h"

std::string StripControlCharacters(std::string_view text, bool keepLineEnds) {
    // Most text holds no control character at all: copied whole.
    bool bClean = true;
    for (std::size_t i = 0; i < text.size() && bClean; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        bClean = c >= 0x20 && c != 0x7F && c != 0xC2;
    }
    if (bClean) return std::string(text);
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
