#include "engine/UnicodeText.h"

#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include "engine/WordString.h"

char32_t CodePointAt(std::string_view text, std::size_t i, std::size_t& length) {
    const unsigned char first = static_cast<unsigned char>(text[i]);
    if (first < 0x80) {
        length = 1;
        return first;
    }
    std::int32_t offset = static_cast<std::int32_t>(i);
    UChar32 c = 0;
    U8_NEXT(reinterpret_cast<const std::uint8_t*>(text.data()), offset, static_cast<std::int32_t>(text.size()), c);
    length = static_cast<std::size_t>(offset) - i;
    return c < 0 ? U'\uFFFD' : static_cast<char32_t>(c);
}

bool IsWordCodePoint(char32_t c) {
    if (c < 0x80) return IsAsciiAlnum(static_cast<char>(c));
    return u_isalnum(static_cast<UChar32>(c)) || (U_GET_GC_MASK(static_cast<UChar32>(c)) & U_GC_M_MASK) != 0;
}

bool IsUpperCodePoint(char32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z';
    return u_isUUppercase(static_cast<UChar32>(c));
}

bool IsLowerCodePoint(char32_t c) {
    if (c < 0x80) return c >= 'a' && c <= 'z';
    return u_isULowercase(static_cast<UChar32>(c));
}

bool IsLetterCodePoint(char32_t c) {
    if (c < 0x80) return IsAsciiLetter(static_cast<char>(c));
    return u_isalpha(static_cast<UChar32>(c));
}

bool IsUnspacedScriptCodePoint(char32_t c) {
    if (c < 0x2E80) {
        // Below the CJK blocks only the South-East Asian scripts qualify.
        if (c < 0x0E00 || c > 0x1AFF) return false;
    }
    UErrorCode status = U_ZERO_ERROR;
    switch (uscript_getScript(static_cast<UChar32>(c), &status)) {
    case USCRIPT_HAN:
    case USCRIPT_HIRAGANA:
    case USCRIPT_KATAKANA:
    case USCRIPT_THAI:
    case USCRIPT_LAO:
    case USCRIPT_KHMER:
    case USCRIPT_MYANMAR:
    case USCRIPT_TIBETAN:
        return true;
    default:
        return false;
    }
}

bool IsWordCharAt(std::string_view text, std::size_t i, std::size_t& length) {
    return IsWordCodePoint(CodePointAt(text, i, length));
}

bool IsWordCharBefore(std::string_view text, std::size_t end) {
    if (end == 0) return false;
    std::size_t start = end - 1;
    // Back to the lead byte (at most three continuation bytes).
    while (start > 0 && end - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
    std::size_t length = 0;
    const char32_t c = CodePointAt(text, start, length);
    return start + length == end && IsWordCodePoint(c);
}

std::string FoldCase(std::string_view text) {
    bool bAscii = true;
    for (char c : text) bAscii = bAscii && static_cast<unsigned char>(c) < 0x80;
    if (bAscii) return ToLowerAscii(text);
    std::string out;
    icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())))
        .foldCase()
        .toUTF8String(out);
    return out;
}

bool HasRunningTextLetter(std::string_view text) {
    for (std::size_t i = 0, length = 0; i < text.size(); i += length) {
        const char32_t c = CodePointAt(text, i, length);
        if (IsLowerCodePoint(c)) return true;
        if (c >= 0x80 && IsLetterCodePoint(c) && !IsUpperCodePoint(c) && !u_istitle(static_cast<UChar32>(c)))
            return true;
    }
    return false;
}

bool MayHoldUnspacedScript(std::string_view text) {
    // The scripts IsUnspacedScriptCodePoint names lie from U+0E00 on, where
    // UTF-8 takes three bytes or more; U+2000 to U+2E7F (general
    // punctuation, arrows, ...: lead byte 0xE2, second byte below 0xBA) hold
    // none of them.
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0xE0) continue;
        if (c != 0xE2 || i + 1 >= text.size() || static_cast<unsigned char>(text[i + 1]) >= 0xBA) return true;
    }
    return false;
}

bool HasUnspacedScript(std::string_view text) {
    if (!MayHoldUnspacedScript(text)) return false;
    for (std::size_t i = 0, length = 0; i < text.size(); i += length)
        if (IsUnspacedScriptCodePoint(CodePointAt(text, i, length))) return true;
    return false;
}
