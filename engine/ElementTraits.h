// What the page walkers (the story filter's page layout and the article's
// text blocks) know of an element from its tag name, and which tokens are
// named tags. The tokenizer keeps no stack for most of these elements, so
// each walker keeps its own and asks here once per tag.
#pragma once

#include <cstdint>
#include <string_view>

#include "html/HtmlToken.h"

enum ElementTrait : std::uint16_t {
    kElementVoid = 1,              // never has content, so never stays open
    kElementBlock = 2,             // a block of the page's layout (paragraph, item, cell, section, ...)
    kElementBreaksText = 4,        // not a layout block but still ends a run of text (pre, button, ...)
    kElementClosesItsLike = 8,     // pages leave its closing tag out: a new one closes the one open around it
    kElementHeading = 16,          // h1-h6
    kElementList = 32,             // ul, ol, dl
    kElementNav = 64,              // nav
    kElementPageEdge = 128,        // header, footer: the page's banner or footer outside sectioning elements
    kElementSectioning = 256,      // article, aside, main, nav, section
    kElementFurniture = 512,       // page furniture: its text is no article text
    kElementHidden = 1024,         // its text is never shown
    kElementForm = 2048,           // form
    kElementArticle = 4096,        // article
    kElementPage = 8192,           // html, body, main: the whole page or its main part
};

// The traits of a lower-case tag name (0 for a name none applies to).
std::uint16_t ElementTraitsOf(std::string_view name);
// The traits of a tag token's name. A name the tokenizer knows makes a kind
// of its own and is spelled as its table spells it, so for most kinds the
// kind alone settles the traits without a look at the name.
std::uint16_t ElementTraitsOfTag(const CHtmlToken& tag);

// The kinds as bits of one word, so that a kind is tested against a set of
// them at once (every token passes these tests in the walkers).
static_assert(HTML_TOKEN_KIND_COUNT <= 64);
constexpr std::uint64_t KindBit(int kind) { return std::uint64_t{1} << kind; }
constexpr bool IsKindIn(int kind, std::uint64_t kinds) {
    return kind >= 0 && kind < HTML_TOKEN_KIND_COUNT && ((kinds >> kind) & 1) != 0;
}

// A tag with a name: not text, a comment or a declaration.
inline bool IsNamedTag(const CHtmlToken& t) {
    constexpr std::uint64_t kUnnamed = KindBit(TK_TEXT) | KindBit(TK_TITLE_TEXT) | KindBit(TK_SCRIPT_TEXT) |
                                       KindBit(TK_STYLE_TEXT) | KindBit(TK_FIELD_TEXT) | KindBit(TK_COMMENT);
    return !IsKindIn(t.m_nKind, kUnnamed) && !t.Text().empty();
}

// An "a" tag of any of the four anchor kinds.
inline bool IsAnchorTag(const CHtmlToken& t) {
    return IsKindIn(t.m_nKind, KindBit(TK_LINK) | KindBit(TK_ANCHOR_NAME) | KindBit(TK_ANCHOR_LOCAL) |
                                   KindBit(TK_ANCHOR_SCRIPT));
}
