#include "engine/TextBlocks.h"

#include <algorithm>
#include <iterator>

#include "engine/ElementTraits.h"
#include "engine/WordString.h"

namespace {

// The tags that end a run of text.
constexpr std::uint16_t kBreak = kElementBlock | kElementBreaksText;

// Flags an element passes to everything inside it.
enum OpenFlag : std::uint8_t {
    kInFurniture = 1,
    kInHidden = 2,
    kInForm = 4,
    kInHeading = 8,
};

// An element whose class or id names boilerplate is taken as such only when
// it holds at most this share of the page's words: some pages wrap
// everything in one whose class happens to name an advert or a subscription.
constexpr double kBoilerplateShare = 0.4;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// Whether a class or id names a part of the page around an article rather
// than the article: comments, sharing buttons, related stories, captions...
bool NamesBoilerplate(std::string_view value) {
    static const std::string_view kWords[] = {"comment", "share", "social", "related", "newsletter", "promo",
                                              "sidebar", "caption", "subscribe", "advert", "recommend",
                                              "more-stories", "popular", "breadcrumb", "byline", "credit",
                                              "cookie", "consent", "disclaimer"};
    // ... unless it also names the article or the page's main content.
    static const std::string_view kContentWords[] = {"article", "body", "content", "main", "story", "entry",
                                                     "post", "text"};
    const std::string lower = ToLowerAscii(value);
    const auto has = [&](std::string_view w) { return lower.find(w) != std::string::npos; };
    return std::any_of(std::begin(kWords), std::end(kWords), has) &&
           std::none_of(std::begin(kContentWords), std::end(kContentWords), has);
}

bool ContainsWordNoCase(std::string_view value, std::string_view word) {
    const std::string lower = ToLowerAscii(value);
    for (std::size_t p = lower.find(word); p != std::string::npos; p = lower.find(word, p + 1)) {
        const bool bStart = p == 0 || IsBlank(lower[p - 1]);
        const bool bEnd = p + word.size() == lower.size() || IsBlank(lower[p + word.size()]);
        if (bStart && bEnd) return true;
    }
    return false;
}

constexpr std::size_t kMaxDepth = 512;  // deeper elements are taken as part of the one at this depth

}  // namespace

void CTextBlocks::Build(std::span<const CHtmlToken> tokens) {
    m_blocks.clear();
    m_articles.clear();
    m_bodyMarks.clear();
    m_jsonLd.clear();
    m_stack.clear();
    m_marks.clear();
    m_boilerplate.clear();
    m_boilerFirst.clear();
    m_current = CTextBlock();
    m_bPendingSpace = false;

    bool bInJsonLd = false;
    for (const CHtmlToken& t : tokens) {
        switch (t.m_nKind) {
        case TK_TEXT:
            if (!(Flags() & kInHidden)) AddText(t.Text(), t.IsInside(TK_LINK));
            continue;
        case TK_BREAK:
            if (!m_current.m_strText.empty()) m_current.m_strText += "\r\n";
            m_bPendingSpace = false;
            continue;
        case TK_SCRIPT: {
            std::string_view type;
            bInJsonLd = t.m_bIsOpen && t.GetAttribute("type", type) && ContainsWordNoCase(type, "application/ld+json");
            if (bInJsonLd) m_jsonLd.emplace_back();
            continue;
        }
        case TK_SCRIPT_TEXT:
            if (bInJsonLd) m_jsonLd.back().append(t.Text());
            continue;
        default:
            break;
        }
        if (!IsNamedTag(t) || IsAnchorTag(t)) continue;
        if (t.m_bIsOpen) {
            OpenElement(t);
        } else {
            CloseElement(t.Text());
        }
    }
    EndBlock();
    while (!m_stack.empty()) Pop();
    MarkBoilerplate();
}

void CTextBlocks::MarkBoilerplate() {
    // Words before each block, so that a range's words take no loop; the
    // ranges then mark their blocks through a running count of open ranges.
    const std::size_t n = m_blocks.size();
    std::vector<int> before(n + 1, 0);
    for (std::size_t i = 0; i < n; ++i)
        before[i + 1] = before[i] + (m_blocks[i].m_bLeftOut ? 0 : m_blocks[i].m_nWords);
    std::vector<int> open(n + 1, 0);
    for (const CMarkedRange& r : m_boilerplate) {
        const int words = before[static_cast<std::size_t>(r.m_nEnd)] - before[static_cast<std::size_t>(r.m_nFirst)];
        if (words > kBoilerplateShare * before[n]) continue;
        ++open[static_cast<std::size_t>(r.m_nFirst)];
        --open[static_cast<std::size_t>(r.m_nEnd)];
    }
    int depth = 0;
    for (std::size_t i = 0; i < n; ++i) {
        depth += open[i];
        m_blocks[i].m_bBoilerplate = depth > 0;
    }
}

void CTextBlocks::OpenElement(const CHtmlToken& tag) {
    const std::string_view name = tag.Text();
    const std::uint16_t traits = ElementTraitsOf(name);
    if (traits & kBreak) EndBlock();
    if (traits & kElementVoid) return;
    if ((traits & kElementClosesItsLike) && !m_stack.empty() && m_stack.back().m_strName == name) Pop();
    if (m_stack.size() >= kMaxDepth) return;

    std::uint8_t flags = Flags();
    if (traits & kElementFurniture) flags |= kInFurniture;
    if (traits & kElementHidden) flags |= kInHidden;
    if (traits & kElementForm) flags |= kInForm;
    if (traits & kElementHeading) flags |= kInHeading;
    int mark = -1;
    int boiler = -1;
    if (tag.GetAttributeCount() > 0) {
        std::string_view value;
        if (tag.GetAttribute("hidden", value)) flags |= kInHidden;
        if (!(traits & kElementPage) && ((tag.GetAttribute("class", value) && NamesBoilerplate(value)) ||
                                     (tag.GetAttribute("id", value) && NamesBoilerplate(value)))) {
            boiler = static_cast<int>(m_boilerFirst.size());
            m_boilerFirst.push_back(static_cast<int>(m_blocks.size()));
        }
        if (tag.GetAttribute("itemprop", value) && ContainsWordNoCase(value, "articlebody")) {
            EndBlock();
            mark = static_cast<int>(m_marks.size());
            m_marks.push_back(Mark{false, static_cast<int>(m_blocks.size())});
        }
    }
    if ((traits & kElementArticle) && mark < 0) {
        mark = static_cast<int>(m_marks.size());
        m_marks.push_back(Mark{true, static_cast<int>(m_blocks.size())});
    }
    if (boiler >= 0) EndBlock();
    m_stack.push_back(Open{name, traits, flags, mark, boiler});
}

void CTextBlocks::CloseElement(std::string_view name) {
    // The innermost open element of that name closes, with all opened inside
    // it; a closing tag with nothing of its name open is passed over.
    if (ElementTraitsOf(name) & kBreak) EndBlock();
    for (std::size_t k = m_stack.size(); k-- > 0;) {
        if (m_stack[k].m_strName != name) continue;
        while (m_stack.size() > k) Pop();
        return;
    }
}

void CTextBlocks::Pop() {
    const Open open = m_stack.back();
    if (open.m_nMark >= 0) {
        EndBlock();
        const Mark& mark = m_marks[static_cast<std::size_t>(open.m_nMark)];
        CMarkedRange range{mark.m_nFirst, static_cast<int>(m_blocks.size())};
        (mark.m_bArticle ? m_articles : m_bodyMarks).push_back(range);
    }
    if (open.m_nBoiler >= 0) {
        EndBlock();
        m_boilerplate.push_back(CMarkedRange{m_boilerFirst[static_cast<std::size_t>(open.m_nBoiler)],
                                             static_cast<int>(m_blocks.size())});
    }
    m_stack.pop_back();
}

void CTextBlocks::AddText(std::string_view text, bool bLinked) {
    const std::size_t before = m_current.m_strText.size();
    for (char c : text) {
        if (IsBlank(c)) {
            m_bPendingSpace = true;
            continue;
        }
        if (m_bPendingSpace && !m_current.m_strText.empty()) {
            const char last = m_current.m_strText.back();
            if (last != '\n') m_current.m_strText += ' ';
        }
        m_bPendingSpace = false;
        m_current.m_strText += c;
    }
    if (m_current.m_strText.size() == before) return;
    if (before == 0) {
        const std::uint8_t flags = Flags();
        m_current.m_bLeftOut = (flags & kInFurniture) != 0;
        m_current.m_bInForm = (flags & kInForm) != 0;
        m_current.m_bHeading = (flags & kInHeading) != 0;
    }
    if (bLinked) {
        CWordString added(std::string_view(m_current.m_strText).substr(before));
        m_current.m_nLinkWords += added.CountWords(0);
    }
}

void CTextBlocks::EndBlock() {
    m_bPendingSpace = false;
    std::string& text = m_current.m_strText;
    while (!text.empty() && IsBlank(text.back())) text.pop_back();
    if (!text.empty()) {
        m_current.m_nWords = CWordString(text).CountWords(0);
        if (m_current.m_nLinkWords > m_current.m_nWords) m_current.m_nLinkWords = m_current.m_nWords;
        m_blocks.push_back(std::move(m_current));
    }
    m_current = CTextBlock();
}
