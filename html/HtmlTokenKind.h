// HtmlTokenKind: the kinds of token the HTML tokenizer makes, and the table
// that maps the tag names it knows to their kind. The numbers are fixed: the
// page rules compare them and keep them in 64-bit context sets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

enum HtmlTokenKind : int {
    TK_OTHER = 0,            // a tag name the table does not know
    TK_ANY = 1,              // never made; matches every token in searches
    TK_TEXT = 2,             // text run outside title, script, style, input and option
    TK_BOLD = 3,             // "b", "strong"
    TK_ITALIC = 4,           // "i", "em", "cite"
    TK_BREAK = 5,            // "br"
    TK_FONT = 6,             // "font"
    TK_PARAGRAPH = 7,        // "p", "div"
    TK_HTML = 8,             // "html"
    TK_HEAD = 9,             // "head"
    TK_BODY = 10,            // "body"
    TK_LINK = 11,            // "a" with an href that is neither local nor javascript
    TK_TABLE = 12,           // "table"
    TK_ROW = 13,             // "tr"
    TK_CELL = 14,            // "td"
    TK_TITLE = 15,           // "title"
    TK_TITLE_TEXT = 16,      // text inside title
    TK_COMMENT = 17,         // "<!-- ... -->" or any other "<!...>" declaration
    TK_SCRIPT = 18,          // "script"
    TK_SCRIPT_TEXT = 19,     // text or comment inside script
    TK_STYLE = 20,           // "style"
    TK_STYLE_TEXT = 21,      // text or comment inside style
    TK_ANCHOR_NAME = 22,     // "a" without href
    TK_IMAGE = 23,           // "img"
    TK_META = 24,            // "meta"
    TK_LIST = 25,            // "ul", "ol"
    TK_LIST_ITEM = 26,       // "li"
    TK_ANCHOR_LOCAL = 27,    // "a" whose href begins with '#'
    TK_RULE = 28,            // "hr"
    TK_CENTER = 29,          // "center"
    TK_FORM = 30,            // "form"
    TK_INPUT = 31,           // "input"
    TK_OPTION = 32,          // "option"
    TK_FIELD_TEXT = 33,      // text after an input or option
    TK_ANCHOR_SCRIPT = 34,   // "a" whose href begins with "javascript"
    TK_FRAMESET = 35,        // "frameset"
    TK_FRAME = 36,           // "frame"
};

constexpr int HTML_TOKEN_KIND_COUNT = 37;

// One entry of the tag table: a lower-case tag name and the kind it makes.
struct HtmlTagEntry {
    std::string_view name;
    HtmlTokenKind kind;
};

// The known tag names, in the order they are tested ("a" is refined further
// by its href). Names are compared exactly, after lower-casing.
inline constexpr HtmlTagEntry g_htmlTagTable[] = {
    {"a", TK_LINK},          {"b", TK_BOLD},        {"strong", TK_BOLD},   {"i", TK_ITALIC},
    {"em", TK_ITALIC},       {"cite", TK_ITALIC},   {"br", TK_BREAK},      {"font", TK_FONT},
    {"p", TK_PARAGRAPH},     {"div", TK_PARAGRAPH}, {"html", TK_HTML},     {"head", TK_HEAD},
    {"body", TK_BODY},       {"table", TK_TABLE},   {"td", TK_CELL},       {"tr", TK_ROW},
    {"title", TK_TITLE},     {"script", TK_SCRIPT}, {"style", TK_STYLE},   {"meta", TK_META},
    {"img", TK_IMAGE},       {"ul", TK_LIST},       {"ol", TK_LIST},       {"li", TK_LIST_ITEM},
    {"hr", TK_RULE},         {"center", TK_CENTER}, {"form", TK_FORM},     {"input", TK_INPUT},
    {"option", TK_OPTION},   {"frameset", TK_FRAMESET}, {"frame", TK_FRAME},
};

// True for the kinds that never enter the open-element stack.
constexpr bool IsStandaloneKind(int kind) {
    switch (kind) {
    case TK_OTHER: case TK_TEXT: case TK_BREAK: case TK_FONT: case TK_PARAGRAPH:
    case TK_TITLE_TEXT: case TK_COMMENT: case TK_SCRIPT_TEXT: case TK_STYLE_TEXT:
    case TK_IMAGE: case TK_META: case TK_RULE: case TK_INPUT: case TK_OPTION:
    case TK_FIELD_TEXT: case TK_FRAME:
        return true;
    default:
        return false;
    }
}

// The table entry of a lower-case tag name, null when the table does not know it.
const HtmlTagEntry* FindTagEntry(std::string_view lowerName);

// The tag table as a perfect hash of the names packed into integers (byte i
// of the name in bits 8i to 8i+7): the top kHtmlTagSlotBits bits of
// key * multiplier give each name a slot of its own, which holds the
// name's index in the table + 1 (0: no name).
constexpr int kHtmlTagSlotBits = 7;
constexpr std::size_t kHtmlTagKeyCount = 32;
struct HtmlTagLookup {
    std::uint64_t multiplier;
    std::array<std::uint8_t, (1 << kHtmlTagSlotBits)> slots;
    std::array<std::uint64_t, kHtmlTagKeyCount> keys;
};
extern const HtmlTagLookup g_htmlTagLookup;

// The same for a name of 1 to 8 bytes packed into an integer, the bits
// above the name clear.
inline const HtmlTagEntry* FindTagEntryByKey(std::uint64_t key) {
    const std::uint8_t entry = g_htmlTagLookup.slots[(key * g_htmlTagLookup.multiplier) >> (64 - kHtmlTagSlotBits)];
    if (entry == 0 || g_htmlTagLookup.keys[entry - 1] != key) return nullptr;
    return &g_htmlTagTable[entry - 1];
}

// The kind of a lower-case tag name, TK_OTHER when the table does not know it.
inline HtmlTokenKind ClassifyTagName(std::string_view lowerName) {
    const HtmlTagEntry* entry = FindTagEntry(lowerName);
    return entry ? entry->kind : TK_OTHER;
}
