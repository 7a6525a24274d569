#include "engine/ElementTraits.h"

#include <array>
#include <vector>

namespace {

struct Entry {
    std::string_view name;
    std::uint16_t traits;
};

constexpr std::uint16_t kBlockClosing = kElementBlock | kElementClosesItsLike;

constexpr Entry kEntries[] = {
    {"br", kElementVoid}, {"img", kElementVoid}, {"input", kElementVoid}, {"meta", kElementVoid},
    {"link", kElementVoid}, {"hr", kElementVoid | kElementBreaksText}, {"wbr", kElementVoid},
    {"source", kElementVoid}, {"area", kElementVoid}, {"base", kElementVoid}, {"col", kElementVoid},
    {"embed", kElementVoid}, {"param", kElementVoid}, {"track", kElementVoid}, {"frame", kElementVoid},
    {"keygen", kElementVoid},
    {"p", kBlockClosing}, {"li", kBlockClosing}, {"dt", kBlockClosing}, {"dd", kBlockClosing},
    {"tr", kBlockClosing}, {"td", kBlockClosing}, {"th", kBlockClosing},
    {"div", kElementBlock}, {"blockquote", kElementBlock}, {"table", kElementBlock}, {"center", kElementBlock},
    {"address", kElementBlock},
    {"h1", kElementBlock | kElementHeading}, {"h2", kElementBlock | kElementHeading},
    {"h3", kElementBlock | kElementHeading}, {"h4", kElementBlock | kElementHeading},
    {"h5", kElementBlock | kElementHeading}, {"h6", kElementBlock | kElementHeading},
    {"ul", kElementBlock | kElementList}, {"ol", kElementBlock | kElementList}, {"dl", kElementBlock | kElementList},
    {"article", kElementBlock | kElementSectioning | kElementArticle},
    {"section", kElementBlock | kElementSectioning},
    {"aside", kElementBlock | kElementSectioning | kElementFurniture},
    {"nav", kElementBlock | kElementNav | kElementSectioning | kElementFurniture},
    {"main", kElementBlock | kElementSectioning | kElementPage},
    {"header", kElementBlock | kElementPageEdge},
    {"footer", kElementBlock | kElementPageEdge | kElementFurniture},
    {"figure", kElementBlock | kElementFurniture}, {"figcaption", kElementBlock | kElementFurniture},
    {"form", kElementBlock | kElementForm}, {"body", kElementBlock | kElementPage}, {"html", kElementPage},
    {"pre", kElementBreaksText}, {"caption", kElementBreaksText}, {"details", kElementBreaksText},
    {"summary", kElementBreaksText}, {"fieldset", kElementBreaksText}, {"legend", kElementBreaksText},
    {"dialog", kElementBreaksText | kElementFurniture}, {"menu", kElementBreaksText | kElementFurniture},
    {"option", kElementBreaksText | kElementClosesItsLike | kElementHidden},
    {"select", kElementBreaksText | kElementHidden}, {"textarea", kElementBreaksText | kElementHidden},
    {"button", kElementBreaksText | kElementHidden}, {"noscript", kElementBreaksText | kElementHidden},
    {"template", kElementBreaksText | kElementHidden}, {"svg", kElementHidden}, {"style", kElementHidden},
};

// The entries by the length of their name: looked up for every tag of a page.
constexpr std::size_t kLongest = 10;
const std::array<std::vector<Entry>, kLongest + 1>& ByLength() {
    static const std::array<std::vector<Entry>, kLongest + 1> table = [] {
        std::array<std::vector<Entry>, kLongest + 1> t;
        for (const Entry& e : kEntries) t[e.name.size()].push_back(e);
        return t;
    }();
    return table;
}

}  // namespace

std::uint16_t ElementTraitsOf(std::string_view name) {
    if (name.empty() || name.size() > kLongest) return 0;
    for (const Entry& e : ByLength()[name.size()])
        if (e.name == name) return e.traits;
    return 0;
}

bool IsNamedTag(const CHtmlToken& t) {
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

bool IsAnchorTag(const CHtmlToken& t) {
    return t.m_nKind == TK_LINK || t.m_nKind == TK_ANCHOR_NAME || t.m_nKind == TK_ANCHOR_LOCAL ||
           t.m_nKind == TK_ANCHOR_SCRIPT;
}
