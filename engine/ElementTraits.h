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

// A tag with a name: not text, a comment or a declaration.
inline bool IsNamedTag(const CHtmlToken& t) {
    switch (t.m_nKind) {
    case TK_TEXT:
    case TK_TITLE_TEXT:
    case TK_SCRIPT_TEXT:
    case TK_STYLE_TEXT:
    case TK_FIELD_TEXT:
    case TK_COMMENT:
        return false;
    default:
        return !t.Text().empty();
    }
}

// An "a" tag of any of the four anchor kinds.
inline bool IsAnchorTag(const CHtmlToken& t) {
    return t.m_nKind == TK_LINK || t.m_nKind == TK_ANCHOR_NAME || t.m_nKind == TK_ANCHOR_LOCAL ||
           t.m_nKind == TK_ANCHOR_SCRIPT;
}
