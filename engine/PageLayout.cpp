#include "engine/PageLayout.h"

#include <algorithm>

#include "engine/WordString.h"

namespace {

// What the layout needs to know of a tag name, looked up once per tag.
enum TagTrait : std::uint16_t {
    kVoid = 1,           // never has content, so never stays open
    kBlock = 2,          // makes a block of its own
    kHeadingTag = 4,     // h1-h6
    kClosesItsLike = 8,  // pages often leave its closing tag out: a new one closes the one open around it
    kListTag = 16,       // ul, ol, dl
    kNavTag = 32,        // nav
    kPageEdge = 64,      // header, footer: the page's banner or footer outside sectioning elements
    kSectioningTag = 128,  // article, aside, main, nav, section
};

std::uint16_t TraitsOf(std::string_view name) {
    // Looked up for every tag of the page: by length first, then by name.
    auto is = [&](std::initializer_list<std::string_view> names) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    switch (name.size()) {
    case 1:
        if (name == "p") return kBlock | kClosesItsLike;
        return 0;
    case 2:
        if (name[0] == 'h' && name[1] >= '1' && name[1] <= '6') return kBlock | kHeadingTag;
        if (name == "li" || name == "dt" || name == "dd" || name == "tr" || name == "td" || name == "th")
            return kBlock | kClosesItsLike;
        if (name == "ul" || name == "ol" || name == "dl") return kBlock | kListTag;
        if (name == "br" || name == "hr") return kVoid;
        return 0;
    case 3:
        if (name == "div") return kBlock;
        if (name == "nav") return kBlock | kNavTag | kSectioningTag;
        if (name == "img" || name == "wbr" || name == "col") return kVoid;
        return 0;
    case 4:
        if (name == "main") return kBlock | kSectioningTag;
        if (name == "form" || name == "body") return kBlock;
        if (name == "meta" || name == "link" || name == "area" || name == "base") return kVoid;
        return 0;
    case 5:
        if (name == "aside") return kBlock | kSectioningTag;
        if (name == "table") return kBlock;
        if (name == "input" || name == "embed" || name == "param" || name == "track" || name == "frame")
            return kVoid;
        return 0;
    case 6:
        if (name == "header" || name == "footer") return kBlock | kPageEdge;
        if (name == "figure" || name == "center") return kBlock;
        if (name == "source" || name == "keygen") return kVoid;
        if (name == "option") return kClosesItsLike;
        return 0;
    case 7:
        if (name == "article" || name == "section") return kBlock | kSectioningTag;
        if (name == "address") return kBlock;
        return 0;
    default:
        return is({"blockquote", "figcaption"}) ? kBlock : 0;
    }
}

bool IsChromeRole(std::string_view role) {
    return role == "navigation" || role == "banner" || role == "contentinfo" || role == "search";
}

// Tokens that are tags with a name (not text, comments or declarations).
bool IsTag(const CHtmlToken& t) {
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

bool IsAnchor(const CHtmlToken& t) {
    return t.m_nKind == TK_LINK || t.m_nKind == TK_ANCHOR_NAME || t.m_nKind == TK_ANCHOR_LOCAL ||
           t.m_nKind == TK_ANCHOR_SCRIPT;
}

constexpr std::size_t kMaxDepth = 512;  // deeper elements are taken as part of the one at this depth

}  // namespace

void CPageLayout::Build(std::span<const CHtmlToken> tokens) {
    const std::size_t n = tokens.size();
    m_flags.assign(n, 0);
    m_heading.assign(n, -1);
    m_block.assign(n, 0);
    m_plainBefore.assign(n, 0);
    m_blockWords.assign(1, 0);  // block 0: the page outside any block
    m_headings.clear();
    m_headingEnds.clear();
    m_stack.clear();

    for (std::size_t k = 0; k < n; ++k) {
        const CHtmlToken& t = tokens[k];
        const int i = static_cast<int>(k);
        if (IsTag(t) && !IsAnchor(t)) {
            if (t.m_bIsOpen) {
                OpenElement(t, i);
            } else {
                CloseElement(t.Text(), i);
            }
        }
        const Open* top = m_stack.empty() ? nullptr : &m_stack.back();
        m_flags[k] = top ? top->m_flags : 0;
        m_heading[k] = top ? top->m_nHeading : -1;
        m_block[k] = top ? top->m_nBlock : 0;
        const std::size_t block = static_cast<std::size_t>(m_block[k]);
        m_plainBefore[k] = m_blockWords[block];
        if (t.m_nKind != TK_TEXT) continue;
        const bool bInLink = t.IsInside(TK_LINK);
        if (m_heading[k] >= 0) {
            Heading& h = m_headings[static_cast<std::size_t>(m_heading[k])];
            if (bInLink) {
                h.m_bLinked = true;
            } else {
                h.m_strText.append(t.Text());
            }
        }
        if (!bInLink) m_blockWords[block] += CWordString::CountWordsIn(t.Text(), 0, kRunWordLimit);
    }
    // Headings left open end with the page.
    for (const Open& open : m_stack)
        if (open.m_nHeading >= 0 && m_headings[static_cast<std::size_t>(open.m_nHeading)].m_nEnd < 0)
            CloseHeading(open.m_nHeading, static_cast<int>(n));
    m_stack.clear();
    for (Heading& h : m_headings) {
        CWordString text(std::move(h.m_strText));
        text.Trim();
        h.m_strText = std::move(text);
    }
}

void CPageLayout::OpenElement(const CHtmlToken& tag, int i) {
    const std::string_view name = tag.Text();
    const std::uint16_t traits = TraitsOf(name);
    if (traits & kVoid) return;
    if ((traits & kClosesItsLike) && !m_stack.empty() && m_stack.back().m_strName == name) CloseElement(name, i);
    if (m_stack.size() >= kMaxDepth) return;

    Open open{name, 0, -1, 0};
    if (!m_stack.empty()) open = Open{name, m_stack.back().m_nBlock, m_stack.back().m_nHeading, m_stack.back().m_flags};
    if (traits & kBlock) {
        open.m_nBlock = static_cast<int>(m_blockWords.size());
        m_blockWords.push_back(0);
    }
    if ((traits & kHeadingTag) && open.m_nHeading < 0) {
        open.m_nHeading = static_cast<int>(m_headings.size());
        m_headings.emplace_back();
    }
    if (traits & kListTag) open.m_flags |= kList;
    // A header or footer is the page's banner or footer only outside the
    // sectioning elements; inside an article it is the article's own.
    if ((traits & kNavTag) || ((traits & kPageEdge) && !(open.m_flags & kSectioning))) open.m_flags |= kChrome;
    if (traits & kSectioningTag) open.m_flags |= kSectioning;
    std::string_view role;
    if (tag.GetAttributeCount() > 0 && tag.GetAttribute("role", role) && IsChromeRole(role)) open.m_flags |= kChrome;
    m_stack.push_back(open);
}

void CPageLayout::CloseElement(std::string_view name, int i) {
    // The innermost open element of that name closes, with all opened inside
    // it; a closing tag with nothing of its name open is passed over.
    for (std::size_t k = m_stack.size(); k-- > 0;) {
        if (m_stack[k].m_strName != name) continue;
        for (std::size_t j = m_stack.size(); j-- > k;) {
            const int heading = m_stack[j].m_nHeading;
            const bool bOwnHeading = heading >= 0 && (j == 0 || m_stack[j - 1].m_nHeading != heading);
            if (bOwnHeading) CloseHeading(heading, i);
        }
        m_stack.resize(k);
        return;
    }
}

void CPageLayout::CloseHeading(int heading, int i) {
    Heading& h = m_headings[static_cast<std::size_t>(heading)];
    if (h.m_nEnd >= 0) return;
    h.m_nEnd = i;
    m_headingEnds.push_back(heading);
}

int CPageLayout::UnlinkedHeadingBefore(int i) const {
    // Headings end in page order, so the last one ended before i is found
    // by a binary search over their ends.
    auto it = std::partition_point(m_headingEnds.begin(), m_headingEnds.end(), [&](int heading) {
        return m_headings[static_cast<std::size_t>(heading)].m_nEnd < i;
    });
    if (it == m_headingEnds.begin()) return -1;
    const int heading = *(it - 1);
    const Heading& h = m_headings[static_cast<std::size_t>(heading)];
    return h.m_bLinked || h.m_strText.empty() ? -1 : heading;
}
