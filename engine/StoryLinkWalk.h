// CStoryLinkWalk: one walk over the links of a parsed page, the work behind
// WalkStoryLinks. It keeps its own cursor over the page's tokens; each rule
// that looks around a link puts the cursor back before it returns, except
// NextLinkText and AppendSameFont, which advance it. The rules are public so
// that they can be checked one by one.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/PageLayout.h"
#include "engine/StoryFilter.h"
#include "engine/StoryLinks.h"
#include "engine/TextTally.h"
#include "engine/TokenIndex.h"
#include "engine/WordString.h"
#include "html/HtmlParser.h"

// A page's address cut once for the hrefs resolved against it.
struct HrefBase {
    std::string_view page;
    std::size_t nRootEnd = 0;    // the end of its scheme and host: "/x" follows them
    // The end of its folder, after the last '/': "x" follows it (npos for an
    // address without a path: "x" follows the host and a '/').
    std::size_t nFolderEnd = 0;
    bool bHttps = false;  // "//x" takes the scheme https
};
HrefBase CutHrefBase(std::string_view pageUrl);

class CStoryLinkWalk : private CLinkTarget {
public:
    // lastTarget: see WalkStoryLinks; it must outlive the walk.
    CStoryLinkWalk(const CHtmlParser& page, const std::string& pageUrl, std::string& lastTarget);

    // Whether the story filter judges the links the rules took (it does by
    // default); without it the sink gets the rules' own output.
    void SetFiltered(bool bFiltered) { m_bFiltered = bFiltered; }

    // The probe pass, then the real pass when the probe did not turn into
    // one by itself (it does once it has seen more than 10 story links of
    // more than two words).
    StoryLinkCounts Run(CStoryLinkSink& sink, const std::atomic<int>* pActive);
    // The link texts of the page: no walk hands on more story links.
    int LinkTextCount() const { return m_index.LinkTextCount(); }

    // ---- The rules.
    // text: the link's text, which the rule may change or take.
    void HandleLink(const CHtmlToken* t, CWordString& text);
    int IsStoryLinkText(const CHtmlToken* t, const CWordString& text);
    const CHtmlToken* FollowSection(CFontSize font, bool bBold, const CHtmlToken* token);
    // IsSectionLink on the text of the link text t, as Pass reads it (t's
    // text with the same-font run after it, trimmed) in t's font; judged once
    // per token, since both passes and FollowSection read the same text there.
    int SectionVerdictOf(const CHtmlToken* t, const CWordString& text, const CFontSize& font);
    int IsAcceptableHrefAtCursor();
    // A price listing row: 1 with text turned into "code: text" and item.s
    // target, price (as description) and item fields set.
    int DetectListingRow(const CHtmlToken* t, CWordString& text, StoryCandidate& item);
    int BuildTarget(const CHtmlToken* t, std::string& url, std::string& description);
    // Appends the absolute target of the link anchor to url.
    void AppendResolvedUrl(const CHtmlToken* anchor, std::string& url) const;
    // The same for an anchor whose href is at hand.
    void AppendResolvedHrefOf(std::string_view href, std::string& url) const;
    void CollectDescription(const CHtmlToken* T, std::string& description, const CFontSize& linkFont);
    static int IsDescriptionText(const CHtmlToken* T, const CFontSize& linkFont);
    const CHtmlToken* NextLinkText(int inLinkOnly);
    void AppendSameFont(CWordString& text, const CFontSize& font);

private:
    bool Resolve(StoryCandidate& link) override;

    // mode 1: the probe pass, which only counts; 0: the real pass.
    void Pass(int mode);
    // Hands the story links the real pass took to the sink, those the filter
    // keeps when it is on.
    void Deliver();
    // A link whose text says nothing of its story ("permalink", "read
    // more"; the caller has found it generic) takes the text of the
    // unlinked heading before it: true with text replaced, false when
    // there is none.
    bool TakeHeadingText(const CHtmlToken* t, CWordString& text);
    const CPageLayout& Layout();
    bool Active() const { return !m_pActive || m_pActive->load() == 1; }

    // The cursor: an index into the tokens, -1 for none.
    bool FindNext(int kind, const CHtmlToken*& out);
    std::int64_t SaveCursor() const { return m_nCursor; }
    void RestoreCursor(std::int64_t saved) { m_nCursor = saved; }
    void ClearCursor() { m_nCursor = -1; }
    int CursorIndex() const { return static_cast<int>(m_nCursor); }
    int IndexOf(const CHtmlToken* t) const;

    // text.CountWords(0), counted up to kLinkWordLimit: the rules compare a
    // link text's word count with numbers up to 6 only. A text counted just
    // before (the rules look at one link text several times) is not counted
    // again.
    int WordsOf(const CWordString& text);

    // The font of a text token ({3, 0, 0} for a token without one).
    static CFontSize FontOf(const CHtmlToken* t);
    // BuildTarget; the description is gathered only when pDescription is set.
    int BuildTargetUrl(const CHtmlToken* t, std::string& url, std::string* pDescription);
    // The link text that ends a listing item when the search for it begins
    // at link text k; -1 when the page ends first.
    int ItemBoundFrom(int k);
    // False when no cell a listing row of the link at linkIndex could have
    // holds a digit, so that the row can name no price.
    bool RowMayHavePrice(int linkIndex, const CHtmlToken* before, int row) const;
    // Scores a word offered as item code of a listing row.
    int ScoreItemCode(const std::string& word) const;

    const CHtmlParser& m_page;
    std::span<const CHtmlToken> m_tokens;
    const std::string m_strPageUrl;
    // Worked out once per walk, on first use: the page URL in lower case,
    // and the URL relative links lead from (the page's, or its <base>).
    std::string m_strPageUrlLower;
    bool m_bPageUrlLowered = false;
    mutable std::string m_strLinkBase;
    mutable HrefBase m_linkBase;  // m_strLinkBase cut
    mutable bool m_bLinkBaseResolved = false;
    std::string& m_strLastUrl;
    std::string m_strLastUrlBeforeProbe;  // the probe works on a copy; the real pass starts from this
    std::int64_t m_nCursor = -1;
    // The number of the link text NextLinkText(1) found last, plus one: where
    // the search for the next one starts when the cursor has not moved
    // back since.
    int m_nNextLinkText = 0;
    CTokenIndex m_index;

    CStoryLinkSink* m_pSink = nullptr;
    const std::atomic<int>* m_pActive = nullptr;
    const CHtmlToken* m_pLink = nullptr;  // the link being handed to the sink
    // Its anchor and the URL Deliver resolved from it, while it is handed on
    // (BuildTarget takes the URL the first time it is asked).
    int m_nDeliveredAnchor = -1;
    std::string_view m_strDeliveredUrl;
    bool m_bFiltered = true;
    // The story links of the real pass, kept until the page has been walked.
    struct TakenLink {
        StoryCandidate link;
        int nText;              // the link's text token
        std::int64_t nCursor;   // the cursor after its text run
        bool bHeadingText;      // the headline is the heading's before the link
        // Words and genericness of the headline as the rules judged it
        // (-1: not known for the headline as stored).
        int nWords;
        signed char nGeneric;
        // The anchor whose href the rules read while judging the link, and
        // that href: Deliver needs no second look-up when it is the link's.
        int nHrefAnchor;
        std::string_view href;
    };
    std::vector<TakenLink> m_taken;
    CPageLayout m_layout;
    bool m_bLayoutBuilt = false;
    std::vector<int> m_headingsTaken;  // headings whose text a link took

    int m_nProbe = 0;
    int m_nProbeStories = 0;
    int m_nListingRows = 0;
    CTextTally m_tally;
    static constexpr int kItemBoundUnknown = -2;
    std::vector<int> m_itemBounds;  // per link text: ItemBoundFrom's answer, once known
    std::vector<int> m_itemPath;    // scratch of ItemBoundFrom
    std::string m_strCounted;       // the text WordsOf counted last
    int m_nCountedWords = -1;       // its words; -1 before the first
    // Scratch texts, kept for their room: the link text a pass reads, a
    // piece of description and the description gathered.
    CWordString m_strLinkText;
    CWordString m_strPiece;
    CWordString m_strCollected;
    // Per token: IsAcceptableHref's verdict on the href of the link anchor
    // there, once known (-1 before).
    std::vector<signed char> m_hrefVerdicts;
    // Per link text token: SectionVerdictOf's answer (-1: not asked yet).
    std::vector<signed char> m_sectionVerdicts;
    // The href judged last and its verdict: a picture and its headline
    // often link one target from two anchors in a row.
    std::string m_strLastHref;
    signed char m_nLastHrefVerdict = -1;
    // The anchor IsAcceptableHrefAtCursor read the href of last (-1 before
    // the first), and that href, a view into the page's tokens.
    int m_nHrefAnchor = -1;
    std::string_view m_strHrefAtAnchor;
};
