#include "engine/PageLayout.h"

#include <algorithm>

#include "engine/ElementTraits.h"
#include "engine/WordString.h"

namespace {

bool IsChromeRole(std::string_view role) {
    return role == "navigation" || role == "banner" || role == "contentinfo" || role == "search";
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
        if (IsNamedTag(t) && !IsAnchorTag(t)) {
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
    const std::uint16_t traits = ElementTraitsOf(name);
    if (traits & kElementVoid) return;
    if ((traits & kElementClosesItsLike) && !m_stack.empty() && m_stack.back().m_strName == name) CloseElement(name, i);
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
