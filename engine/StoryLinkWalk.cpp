// The page walk: the probe and real passes over a page's links, the cursor
// the rules share, and the handling of one link.
#include "engine/StoryLinkWalk.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/PrintableText.h"
#include "engine/LinkRules.h"
#include "engine/PositionTable.h"

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

int CStoryLinkWalk::WordsOf(const CWordString& text) {
    if (m_nCountedWords >= 0 && text.size() == m_strCounted.size() &&
        std::char_traits<char>::compare(text.data(), m_strCounted.data(), text.size()) == 0)
        return m_nCountedWords;
    m_nCountedWords = text.CountWords(0, kLinkWordLimit);
    m_strCounted.assign(text);
    return m_nCountedWords;
}

int CStoryLinkWalk::IndexOf(const CHtmlToken* t) const { return static_cast<int>(t - m_tokens.data()); }

const CHtmlToken* CStoryLinkWalk::NextLinkText(int inLinkOnly) {
    if (inLinkOnly) {
        // The index lists the link texts in page order, so the next one is
        // found without a walk over the tokens between: mostly the one after
        // the last found, else by a binary search.
        if (m_tokens.empty()) return nullptr;
        const int count = m_index.LinkTextCount();
        const std::int64_t from = m_nCursor + 1;
        int k = m_nNextLinkText;
        const bool bHint = k <= count && (k == count || m_index.LinkTextAt(k) >= from) &&
                           (k == 0 || m_index.LinkTextAt(k - 1) < from);
        if (!bHint) k = m_index.LinkTextFrom(static_cast<int>(from));
        if (k == count) {
            m_nCursor = static_cast<std::int64_t>(m_tokens.size()) - 1;  // where FindNext leaves it
            return nullptr;
        }
        m_nNextLinkText = k + 1;
        m_nCursor = m_index.LinkTextAt(k);
        return &m_tokens[static_cast<std::size_t>(m_nCursor)];
    }
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
    // Every link the real pass takes is a link text of the page.
    m_taken.reserve(static_cast<std::size_t>(m_index.LinkTextCount()));
    Pass(1);
    if (m_nProbe == 1) {
        m_strLastUrl = m_strLastUrlBeforeProbe;
        Pass(0);
    }
    Deliver();
    m_pSink = nullptr;
    return {m_nProbeStories, m_nListingRows};
}

void CStoryLinkWalk::Pass(int mode) {
    m_nProbe = mode;
    m_nProbeStories = 0;
    m_nListingRows = 0;
    m_headingsTaken.clear();
    m_tally.Clear();
    ClearCursor();

    const CHtmlToken* t = NextLinkText(1);
    while (t && Active()) {
        CWordString& text = m_strLinkText;
        text.assign(t->Text());
        if (!text.empty()) {
            CFontSize font = FontOf(t);
            AppendSameFont(text, font);
            text.Trim();
            int s = SectionVerdictOf(t, text, font);
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
            m_headingsTaken.clear();
            m_tally.Prune();
            ClearCursor();
        }
        t = NextLinkText(1);
    }
    m_tally.Clear();
}

void CStoryLinkWalk::HandleLink(const CHtmlToken* t, CWordString& text) {
    const bool bGeneric = IsGenericLinkText(text);
    const bool bHeadingText = bGeneric && TakeHeadingText(t, text);
    int accepted = 0;
    // A listing row's fields, made only where a row is looked for.
    std::optional<StoryCandidate> row;
    if (m_nProbe != 0 || m_nListingRows > 2) accepted = DetectListingRow(t, text, row.emplace());
    if (accepted != 1) {
        // The probe counts only texts of three words or more (below), so
        // for a shorter one the text rules could change nothing.
        if (m_nProbe != 0 && text.CountWords(1, 3) <= 2) return;
        if (!(m_nListingRows < 3 && IsStoryLinkText(t, text) == 1)) return;
    }
    if (accepted == 1 && m_nProbe != 0) ++m_nListingRows;

    if (m_nProbe != 0) {
        // The probe only counts.
        if (text.CountWords(1, 3) > 2) ++m_nProbeStories;
        return;
    }
    if (!m_pSink) return;

    // What the rules found of the text, for the filter (a listing row's
    // text is its own).
    int words = -1;
    signed char generic = -1;
    if (accepted != 1) {
        words = WordsOf(text);
        if (!bHeadingText) generic = bGeneric ? 1 : 0;
    }

    // Made in place in the list. Web text is stored without control
    // characters.
    TakenLink& taken = m_taken.emplace_back();
    taken.nText = IndexOf(t);
    taken.nCursor = SaveCursor();
    taken.bHeadingText = bHeadingText;
    taken.nWords = words;
    taken.nGeneric = generic;
    taken.nHrefAnchor = m_nHrefAnchor;
    taken.href = m_strHrefAtAnchor;
    StoryCandidate& link = taken.link;
    // A copy made at its length rather than the text moved out: the
    // buffer the pass reads link texts into keeps its room for the next.
    link.headline = std::string(text);
    if (StripControlCharactersInPlace(link.headline)) taken.nWords = taken.nGeneric = -1;
    if (accepted == 1) {
        link.url = StripControlCharacters(row->url);
        link.description = StripControlCharacters(row->description);
        link.itemCode = row->itemCode;
        link.itemText = row->itemText;
        link.price = row->price;
    }
}

const CPageLayout& CStoryLinkWalk::Layout() {
    if (!m_bLayoutBuilt) {
        m_layout.Build(m_tokens);
        m_bLayoutBuilt = true;
    }
    return m_layout;
}

bool CStoryLinkWalk::TakeHeadingText(const CHtmlToken* t, CWordString& text) {
    const int heading = Layout().UnlinkedHeadingBefore(IndexOf(t));
    if (heading < 0) return false;
    // Each heading names one story: a second link after it ("comments")
    // does not take it again.
    for (int taken : m_headingsTaken)
        if (taken == heading) return false;
    m_headingsTaken.push_back(heading);
    text = CWordString(m_layout.HeadingText(heading));
    return true;
}

void CStoryLinkWalk::Deliver() {
    std::vector<FilterLink> links;
    links.reserve(m_taken.size());
    for (TakenLink& taken : m_taken) {
        FilterLink& link = links.emplace_back();  // made in place: it is large
        link.pLink = &taken.link;
        link.nText = taken.nText;
        link.nAnchor = m_index.AnchorBefore(static_cast<int>(taken.nCursor));
        link.bHeadingText = taken.bHeadingText;
        link.nJudgedWords = taken.nWords;
        link.nJudgedGeneric = taken.nGeneric;
        if (taken.link.IsListing()) link.url = taken.link.url;
    }
    const FilterPage page{Layout(), m_tokens, m_strPageUrl};
    FilterByHeadline(links, page);
    // The targets of the links the headline rules leave, one after another
    // in one string: only the targets handed on get a string of their own.
    // Each is noted by where it ends first (the string moves as it grows);
    // kNotResolved marks a link whose target is left to BuildTarget.
    constexpr std::size_t kNotResolved = std::string::npos;
    std::string targets;
    targets.reserve(links.size() * 64);  // a guess; it grows as needed
    std::vector<std::size_t> ends(links.size(), kNotResolved);
    for (std::size_t i = 0; i < links.size(); ++i) {
        const FilterLink& link = links[i];
        if (link.pLink->dropRule || link.pLink->IsListing() || link.nAnchor < 0) continue;
        if (const TakenLink& taken = m_taken[i]; taken.nHrefAnchor == link.nAnchor)
            AppendResolvedHrefOf(taken.href, targets);
        else
            AppendResolvedUrl(&m_tokens[static_cast<std::size_t>(link.nAnchor)], targets);
        ends[i] = targets.size();
    }
    for (std::size_t i = 0, start = 0; i < links.size(); ++i) {
        if (ends[i] == kNotResolved) continue;
        links[i].url = std::string_view(targets).substr(start, ends[i] - start);
        start = ends[i];
    }
    // Without the filter every link goes on, each with the filter's verdict.
    std::vector<std::size_t> kept = FilterStoryLinks(links, page);
    if (!m_bFiltered) {
        kept.clear();
        for (std::size_t i = 0; i < links.size(); ++i) {
            StoryCandidate& link = m_taken[i].link;
            if (!link.rawHeadline.empty()) link.headline = std::move(link.rawHeadline);
            link.rawHeadline.clear();
            kept.push_back(i);
        }
    }
    for (std::size_t i : kept) {
        if (!m_pSink || !Active()) break;
        TakenLink& taken = m_taken[i];
        m_pLink = &m_tokens[static_cast<std::size_t>(taken.nText)];
        if (ends[i] != kNotResolved) {
            m_nDeliveredAnchor = links[i].nAnchor;
            m_strDeliveredUrl = links[i].url;
        }
        RestoreCursor(taken.nCursor);
        m_pSink->OnStoryLink(taken.link, *this);
        m_pLink = nullptr;
        m_nDeliveredAnchor = -1;
        m_strDeliveredUrl = std::string_view();
    }
    m_taken.clear();
}

bool CStoryLinkWalk::Resolve(StoryCandidate& link) {
    if (!m_pLink) return false;
    std::string url, description;
    if (!BuildTarget(m_pLink, url, description)) return false;
    link.url = std::move(url);
    StripControlCharactersInPlace(link.url);
    link.description = std::move(description);
    StripControlCharactersInPlace(link.description);
    return true;
}

StoryLinkCounts WalkStoryLinks(const CHtmlParser& page, const std::string& pageUrl, CStoryLinkSink& sink,
                               std::string& lastTarget, const std::atomic<int>* pActive, bool bFiltered) {
    CStoryLinkWalk walk(page, pageUrl, lastTarget);
    walk.SetFiltered(bFiltered);
    return walk.Run(sink, pActive);
}

namespace {

// Keeps every story link once, judged by its headline as a story file
// judges newness (two headlines sharing a key are two stories).
class CFirstVisit : public CStoryLinkSink {
public:
    // Room for count story links. The table of headlines grows with the
    // stories taken instead: a page has far fewer than it has link texts.
    void Reserve(std::size_t count) { m_links.reserve(count); }
    void OnStoryLink(StoryCandidate& link, CLinkTarget& target) override {
        const std::size_t hash = std::hash<std::string_view>()(link.headline);
        if (m_taken.Find(hash, [&](std::size_t at) { return m_links[at].headline == link.headline; }) >= 0) return;
        if (!link.IsListing() && !target.Resolve(link)) return;
        m_taken.Insert(hash, m_links.size());
        m_links.push_back(std::move(link));
    }
    std::vector<StoryCandidate> m_links;

private:
    // The headlines taken, by their hash: positions in m_links.
    CPositionTable m_taken;
};

}  // namespace

std::vector<StoryCandidate> FindStoryLinks(const CHtmlParser& page, const std::string& pageUrl, bool bFiltered) {
    CFirstVisit firstVisit;
    std::string lastTarget;
    CStoryLinkWalk walk(page, pageUrl, lastTarget);
    walk.SetFiltered(bFiltered);
    // Every story link is a link text of the page: room for all at once.
    firstVisit.Reserve(static_cast<std::size_t>(walk.LinkTextCount()));
    walk.Run(firstVisit, nullptr);
    return std::move(firstVisit.m_links);
}
