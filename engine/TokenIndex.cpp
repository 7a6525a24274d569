#include "engine/TokenIndex.h"

#include <algorithm>
#include <string_view>

#include "engine/WordString.h"

namespace {

// The index in positions of the last one below c; -1 when there is none.
int LastBelow(const std::vector<int>& positions, int c) {
    return static_cast<int>(std::lower_bound(positions.begin(), positions.end(), c) - positions.begin()) - 1;
}

// The index in positions of the first one at i or after; size() when none.
int FirstFrom(const std::vector<int>& positions, int i) {
    return static_cast<int>(std::lower_bound(positions.begin(), positions.end(), i) - positions.begin());
}

CFontSize FontOf(const CHtmlToken& t) {
    const CFontSize* f = t.GetFont();
    return f ? *f : CFontSize{};
}

// 1 for text that counts as text before a link, 0 for a lone printable
// character, -1 for blank text.
int PlainTextCount(std::string_view s) {
    while (!s.empty() && CWordString::IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && CWordString::IsBlank(s.back())) s.remove_suffix(1);
    if (s.empty()) return -1;
    const unsigned char c = static_cast<unsigned char>(s[0]);
    return s.size() == 1 && c >= 0x20 && c <= 0x7F ? 0 : 1;
}

}  // namespace

void CTokenIndex::Build(std::span<const CHtmlToken> tokens, std::uint64_t generation) {
    m_texts.clear();
    m_plainTexts.clear();
    m_plainCounts.clear();
    m_links.clear();
    m_linkOpen.clear();
    m_openLinks.clear();
    m_textsAndRows.clear();
    m_linkTexts.clear();
    const int n = static_cast<int>(tokens.size());
    // Room for what a page usually holds (about one token in four is text,
    // one in eight a link tag), so that most pages never move these lists.
    const std::size_t quarter = tokens.size() / 4, eighth = tokens.size() / 8;
    m_texts.reserve(quarter);
    m_textsAndRows.reserve(quarter);
    m_plainTexts.reserve(eighth);
    m_plainCounts.reserve(eighth);
    m_linkTexts.reserve(eighth);
    m_links.reserve(eighth);
    m_linkOpen.reserve(eighth);
    m_openLinks.reserve(eighth);
    for (int i = 0; i < n; ++i) {
        const CHtmlToken& t = tokens[static_cast<std::size_t>(i)];
        if (t.m_nKind == TK_TEXT) {
            m_texts.push_back(i);
            m_textsAndRows.push_back(i);
            if (t.IsInside(TK_LINK)) {
                m_linkTexts.push_back({i, i + 1, i});
            } else if (int count = PlainTextCount(t.Text()); count >= 0) {
                m_plainTexts.push_back(i);
                m_plainCounts.push_back(static_cast<std::uint8_t>(count));
            }
        } else if (t.m_nKind == TK_ROW) {
            m_textsAndRows.push_back(i);
        } else if (t.m_nKind == TK_LINK) {
            m_links.push_back(i);
            m_linkOpen.push_back(t.m_bIsOpen ? 1 : 0);
            if (t.m_bIsOpen) m_openLinks.push_back(i);
        }
    }

    // Blocks of link texts standing side by side, from the last one back.
    for (std::size_t k = m_linkTexts.size(); k-- > 0;) {
        LinkText& lt = m_linkTexts[k];
        if (k + 1 < m_linkTexts.size() && m_linkTexts[k + 1].m_nPos == lt.m_nPos + 1)
            lt.m_nBlockEnd = m_linkTexts[k + 1].m_nBlockEnd;
    }

    // Same-font runs: a link text inside a run already walked ends where it
    // ends, so every token is stepped over once.
    int runFrom = -1, runLast = -1;
    for (LinkText& lt : m_linkTexts) {
        if (lt.m_nPos < runFrom || lt.m_nPos > runLast) {
            runFrom = runLast = lt.m_nPos;
            while (runLast + 1 < n) {
                const CHtmlToken& next = tokens[static_cast<std::size_t>(runLast + 1)];
                if (next.m_nKind != TK_TEXT ||
                    !FontOf(next).SameSize(FontOf(tokens[static_cast<std::size_t>(runLast)])))
                    break;
                ++runLast;
            }
        }
        lt.m_nRunLast = runLast;
    }

    m_nTokens = n;
    m_nGeneration = generation;
    m_bBuilt = true;
}

int CTokenIndex::PlainTextBefore(int c) const {
    const int own = LastBelow(m_texts, c);
    if (own < 0) return 0;
    const int plain = LastBelow(m_plainTexts, m_texts[static_cast<std::size_t>(own)]);
    return plain < 0 ? 0 : m_plainCounts[static_cast<std::size_t>(plain)];
}

int CTokenIndex::OpenLinkBefore(int c) const {
    const int k = LastBelow(m_openLinks, c);
    return k < 0 ? -1 : m_openLinks[static_cast<std::size_t>(k)];
}

int CTokenIndex::AnchorBefore(int c) const {
    const int k = LastBelow(m_links, c);
    if (k < 0) return -1;
    // A closing tag is passed over once; the link tag before it is taken
    // whatever it is.
    if (m_linkOpen[static_cast<std::size_t>(k)]) return m_links[static_cast<std::size_t>(k)];
    return k > 0 ? m_links[static_cast<std::size_t>(k - 1)] : -1;
}

int CTokenIndex::TextOrRowBefore(int i) const {
    const int k = LastBelow(m_textsAndRows, i);
    return k < 0 ? -1 : m_textsAndRows[static_cast<std::size_t>(k)];
}

int CTokenIndex::TextOrRowFrom(int i) const {
    const int k = FirstFrom(m_textsAndRows, i);
    return k < static_cast<int>(m_textsAndRows.size()) ? m_textsAndRows[static_cast<std::size_t>(k)] : m_nTokens;
}

int CTokenIndex::TextOrRowNumberFrom(int i) const { return FirstFrom(m_textsAndRows, i); }

int CTokenIndex::LinkTextFrom(int i) const {
    auto it = std::lower_bound(m_linkTexts.begin(), m_linkTexts.end(), i,
                               [](const LinkText& lt, int pos) { return lt.m_nPos < pos; });
    return static_cast<int>(it - m_linkTexts.begin());
}

int CTokenIndex::PastLinkText(int i) const {
    if (i >= m_nTokens) return m_nTokens;
    const int k = LinkTextFrom(i);
    if (k == LinkTextCount() || LinkTextAt(k) != i) return i;
    return m_linkTexts[static_cast<std::size_t>(k)].m_nBlockEnd;
}
