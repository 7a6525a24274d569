// The page walk: the probe and real passes over a page's links, the cursor
// the rules share, and the handling of one link.
#include "engine/StoryLinkWalk.h"

#include <set>
#include <string>

#include "common/PrintableText.h"
#include "engine/LinkRules.h"

CStoryLinkWalk::CStoryLinkWalk(const CHtmlParser& page, const std::string& pageUrl, std::string& lastTarget)
    : m_page(page), m_tokens(page.Tokens()), m_strPageUrl(pageUrl), m_strLastUrl(lastTarget) {
    m_index.Build(m_tokens, page.GetGeneration());
    m_itemBounds.assign(static_cast<std::size_t>(m_index.LinkTextCount()), kItemBoundUnknown);
}

CFontSize CStoryLinkWalk::FontOf(const CHtmlToken* t) {
    const CFontSize* f = t ? t->GetFont() : nullptr;
    return f ? *f : CFontSize{};
}

bool CStoryLinkWalk::FindNext(int kind, const CHtmlToken*& out) {
    out = nullptr;
    const std::int64_t count = static_cast<std::int64_t>(m_tokens.size());
    if (count == 0) return false;
    for (std::int64_t i = m_nCursor < 0 ? 0 : m_nCursor + 1; i < count; ++i) {
        if (kind == TK_ANY || m_tokens[static_cast<std::size_t>(i)].m_nKind == kind) {
            m_nCursor = i;
            out = &m_tokens[static_cast<std::size_t>(i)];
            return true;
        }
    }
    m_nCursor = count - 1;  // the cursor rests on the last token
    return false;
}

int CStoryLinkWalk::IndexOf(const CHtmlToken* t) const { return static_cast<int>(t - m_tokens.data()); }

const CHtmlToken* CStoryLinkWalk::NextLinkText(int inLinkOnly) {
    const CHtmlToken* t = nullptr;
    while (FindNext(TK_TEXT, t)) {
        if (!inLinkOnly || t->IsInside(TK_LINK)) return t;
    }
    return nullptr;
}

void CStoryLinkWalk::AppendSameFont(CWordString& text, const CFontSize& font) {
    int i = CursorIndex();
    if (i < 0) return;
    const CHtmlToken* next = nullptr;
    while (static_cast<std::size_t>(i) + 1 < m_tokens.size()) {
        const CHtmlToken& following = m_tokens[i + 1];
        FindNext(TK_ANY, next);  // the cursor steps onto it in any case
        ++i;
        if (following.m_nKind != TK_TEXT || !FontOf(&following).SameSize(font)) return;
        text.append(following.Text());
    }
}

StoryLinkCounts CStoryLinkWalk::Run(CStoryLinkSink& sink, const std::atomic<int>* pActive) {
    m_pSink = &sink;
    m_pActive = pActive;
    // The probe records nothing, so the links it looks at must not count as
    // "the link before" of the real pass: the real pass starts from the
    // value before the probe.
    m_strLastUrlBeforeProbe = m_strLastUrl;
    Pass(1);
    if (m_nProbe == 1) {
        m_strLastUrl = m_strLastUrlBeforeProbe;
        Pass(0);
    }
    m_pSink = nullptr;
    return {m_nProbeStories, m_nListingRows};
}

void CStoryLinkWalk::Pass(int mode) {
    m_nProbe = mode;
    m_nProbeStories = 0;
    m_nListingRows = 0;
    m_tally.Clear();
    ClearCursor();

    const CHtmlToken* t = NextLinkText(1);
    while (t && Active()) {
        CWordString text(t->Text());
        if (!text.empty()) {
            CFontSize font = FontOf(t);
            AppendSameFont(text, font);
            text.Trim();
            int w = text.CountWords(0);
            int s = IsSectionLink(text, font, w);
            if (s == 0 || (m_nProbe == 0 && m_nListingRows >= 2)) {
                HandleLink(t, text);
            } else {
                const CHtmlToken* next = FollowSection(font, t->IsInside(TK_BOLD), t);
                if (!next) break;
                if (next->IsInside(TK_LINK) && next->m_bIsOpen && !next->Text().empty()) {
                    CWordString nextText(next->Text());
                    AppendSameFont(nextText, FontOf(next));
                    nextText.Trim();
                    HandleLink(next, nextText);
                }
            }
        }
        if (m_nProbe == 1 && m_nProbeStories > 10) {
            // Enough stories seen: this is a news page. Walk it again for real.
            m_nProbe = 0;
            m_strLastUrl = m_strLastUrlBeforeProbe;
            m_tally.Prune();
            ClearCursor();
        }
        t = NextLinkText(1);
    }
    m_tally.Clear();
}

void CStoryLinkWalk::HandleLink(const CHtmlToken* t, CWordString text) {
    int accepted = 0;
    StoryCandidate row;
    if (m_nProbe != 0 || m_nListingRows > 2) accepted = DetectListingRow(t, text, row);
    if (accepted != 1) {
        if (!(IsStoryLinkText(t, text) == 1 && m_nListingRows < 3)) return;
    }
    if (accepted == 1 && m_nProbe != 0) ++m_nListingRows;

    if (m_nProbe != 0) {
        // The probe only counts.
        if (text.CountWords(1) > 2) ++m_nProbeStories;
        return;
    }
    if (!m_pSink) return;

    // Web text is stored without control characters.
    StoryCandidate link;
    link.headline = StripControlCharacters(text);
    if (accepted == 1) {
        link.url = StripControlCharacters(row.url);
        link.description = StripControlCharacters(row.description);
        link.itemCode = row.itemCode;
        link.itemText = row.itemText;
        link.price = row.price;
    }
    m_pLink = t;
    m_pSink->OnStoryLink(link, *this);
    m_pLink = nullptr;
}

bool CStoryLinkWalk::Resolve(StoryCandidate& link) {
    if (!m_pLink) return false;
    std::string url, description;
    if (!BuildTarget(m_pLink, url, description)) return false;
    link.url = StripControlCharacters(url);
    link.description = StripControlCharacters(description);
    return true;
}

StoryLinkCounts WalkStoryLinks(const CHtmlParser& page, const std::string& pageUrl, CStoryLinkSink& sink,
                               std::string& lastTarget, const std::atomic<int>* pActive) {
    CStoryLinkWalk walk(page, pageUrl, lastTarget);
    return walk.Run(sink, pActive);
}

namespace {

// Keeps every story link once, judged by its headline as a story file
// judges newness (two headlines sharing a key are two stories).
class CFirstVisit : public CStoryLinkSink {
public:
    void OnStoryLink(StoryCandidate& link, CLinkTarget& target) override {
        if (m_taken.count(link.headline)) return;
        if (!link.IsListing() && !target.Resolve(link)) return;
        m_taken.insert(link.headline);
        m_links.push_back(std::move(link));
    }
    std::vector<StoryCandidate> m_links;

private:
    std::set<std::string> m_taken;
};

}  // namespace

std::vector<StoryCandidate> FindStoryLinks(const CHtmlParser& page, const std::string& pageUrl) {
    CFirstVisit firstVisit;
    std::string lastTarget;
    WalkStoryLinks(page, pageUrl, firstVisit, lastTarget);
    return std::move(firstVisit.m_links);
}
