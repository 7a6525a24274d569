#include "engine/PageLayout.h"

#include <algorithm>

#include "engine/ElementTraits.h"
#include "engine/WordString.h"

namespace {

bool IsChromeRole(std::string_view role) {
    return role == "navigation" || role == "banner" || role == "contentinfo" || role == "search";
}

// The tag's role attribute ("" without one), found as GetAttribute finds
// it: the last one written, its name in any case. Most attributes are ruled
// out by the length of their name.
std::string_view RoleOf(const CHtmlToken& tag) {
    for (int k = 0; k < tag.GetAttributeCount(); ++k) {
        const CHtmlAttribute& attribute = tag.GetAttributeAt(k);
        const std::string_view name = attribute.m_strName;
        if (name.size() == 4 && std::ranges::equal(name, std::string_view("role"), [](char a, char b) {
                return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
            }))
            return attribute.m_strValue;
    }
    return {};
}

// Tag names compared as the tokenizer hands them out: a known name points at
// its table's one spelling, so equal known names are mostly settled by their
// address without comparing bytes.
bool SameTagName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (a.data() == b.data() || a == b);
}

constexpr std::size_t kMaxDepth = 512;  // deeper elements are taken as part of the one at this depth

}  // namespace

void CPageLayout::Build(std::span<const CHtmlToken> tokens) {
    const std::size_t n = tokens.size();
    // Only text tokens get a place, so the others are left unwritten.
    m_places = std::make_unique_for_overwrite<Place[]>(n);
    m_blockWords.assign(1, 0);  // block 0: the page outside any block
    m_headings.clear();
    m_headingEnds.clear();
    m_stack.clear();

    for (std::size_t k = 0; k < n; ++k) {
        const CHtmlToken& t = tokens[k];
        if (t.m_nKind != TK_TEXT) {
            if (IsNamedTag(t) && !IsAnchorTag(t)) {
                if (t.m_bIsOpen) {
                    // A void element (img, br, ...) never stays open.
                    if (const std::uint16_t traits = ElementTraitsOfTag(t); !(traits & kElementVoid))
                        OpenElement(t, traits, static_cast<int>(k));
                } else {
                    CloseElement(t.Text(), static_cast<int>(k));
                }
            }
            continue;
        }
        Place& place = m_places[k];
        if (m_stack.empty()) {
            place = Place{0, -1, 0, 0};
        } else {
            const Open& top = m_stack.back();
            place = Place{top.m_nBlock, top.m_nHeading, 0, top.m_flags};
        }
        int& blockWords = m_blockWords[static_cast<std::size_t>(place.m_nBlock)];
        place.m_nPlainBefore = blockWords;
        const bool bInLink = t.IsInside(TK_LINK);
        if (place.m_nHeading >= 0) {
            Heading& h = m_headings[static_cast<std::size_t>(place.m_nHeading)];
            if (bInLink) {
                h.m_bLinked = true;
            } else {
                h.m_strText.append(t.Text());
            }
        }
        if (!bInLink && blockWords < kWordLimit)
            blockWords += CWordString::CountWordsIn(t.Text(), 0, kWordLimit - blockWords);
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

void CPageLayout::OpenElement(const CHtmlToken& tag, std::uint16_t traits, int i) {
    const std::string_view name = tag.Text();
    if ((traits & kElementClosesItsLike) && !m_stack.empty() && SameTagName(m_stack.back().m_strName, name)) CloseElement(name, i);
    if (m_stack.size() >= kMaxDepth) return;

    Open open{name, 0, -1, 0};
    if (!m_stack.empty()) open = Open{name, m_stack.back().m_nBlock, m_stack.back().m_nHeading, m_stack.back().m_flags};
    if (traits & kElementBlock) {
        open.m_nBlock = static_cast<int>(m_blockWords.size());
        m_blockWords.push_back(0);
    }
    if ((traits & kElementHeading) && open.m_nHeading < 0) {
        open.m_nHeading = static_cast<int>(m_headings.size());
        m_headings.emplace_back();
    }
    if (traits & kElementList) open.m_flags |= kList;
    // A header or footer is the page's banner or footer only outside the
    // sectioning elements; inside an article it is the article's own.
    if ((traits & kElementNav) || ((traits & kElementPageEdge) && !(open.m_flags & kSectioning))) open.m_flags |= kChrome;
    if (traits & kElementSectioning) open.m_flags |= kSectioning;
    if (IsChromeRole(RoleOf(tag))) open.m_flags |= kChrome;
    m_stack.push_back(open);
}

void CPageLayout::CloseElement(std::string_view name, int i) {
    // The innermost open element of that name closes, with all opened inside
    // it; a closing tag with nothing of its name open is passed over. Mostly
    // it is the innermost element of all.
    if (!m_stack.empty() && SameTagName(m_stack.back().m_strName, name)) {
        const std::size_t k = m_stack.size() - 1;
        const int heading = m_stack[k].m_nHeading;
        if (heading >= 0 && (k == 0 || m_stack[k - 1].m_nHeading != heading)) CloseHeading(heading, i);
        m_stack.pop_back();
        return;
    }
    for (std::size_t k = m_stack.size(); k-- > 0;) {
        if (!SameTagName(m_stack[k].m_strName, name)) continue;
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
