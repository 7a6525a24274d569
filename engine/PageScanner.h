// CPageScanner: the story-link rules of the scanning engine. It walks the
// links of one parsed news page, decides which are stories (word lists, word
// counts, letter case, fonts, surrounding text, the href) or price listing
// rows, records each new one in the story archive as pending, tests it
// against the keyword groups (headline, description and, by scan mode, the
// article text) and announces the ones that match.
// The scanning thread owns one scanner and drives it; everything here runs on
// that thread except the active flag, which other threads may clear.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/KeywordGroup.h"
#include "engine/TextTally.h"
#include "engine/TokenIndex.h"
#include "engine/WordString.h"
#include "html/HtmlParser.h"

class CMessageTarget;
class CNewsSettings;
class CSourceCatalogue;
class CStory;
class CStoryArchive;

class CPageScanner {
public:
    CPageScanner(CStoryArchive& archive, CNewsSettings& settings, CMessageTarget& mainWindow);
    ~CPageScanner();
    CPageScanner(const CPageScanner&) = delete;
    CPageScanner& operator=(const CPageScanner&) = delete;

    // The one page parser; the scanning thread fetches each page into it.
    CHtmlParser& Parser() { return m_parser; }
    // 1 = scanning enabled; a page walk stops when it drops to 0.
    std::atomic<int>& ActiveFlag() { return m_nActive; }
    // Translates page URLs into source keys; null treats every page as custom.
    void SetCatalogue(CSourceCatalogue* pCatalogue) { m_pCatalogue = pCatalogue; }

    void SetPageUrl(const std::string& url) { m_strPageUrl = url; }
    const std::string& GetPageUrl() const { return m_strPageUrl; }

    // Per-cycle inputs, set by the scanning thread.
    void SetKeywordGroups(std::vector<CKeywordGroup> groups) { m_groups = std::move(groups); }
    void SetCycleOptions(int titleContainsKeyword, int checkOnlyTitle) {
        m_nTitleContainsKeyword = titleContainsKeyword;
        m_nCheckOnlyTitle = checkOnlyTitle;
    }
    void SetIgnoreInitialStories(int flag) { m_nIgnoreInitialStories = flag; }
    void SetFirstScan(int flag) { m_nFirstScan = flag; }

    // Walks the links of the page in the parser: mode 1 is the probe pass
    // (it parses the held page first and records nothing), mode 0 the real
    // pass. The probe turns into the real pass by itself once it has seen
    // more than 10 multi-word story links.
    void ScanPage(int mode);
    // 1 when the last ScanPage(1) ended still probing: the real pass is due.
    int ProbeStillSet() const { return m_nProbe; }

    // Counters of the last walk (for the thread and for tests).
    int GetProbeStories() const { return m_nProbeStories; }
    int GetListingRows() const { return m_nListingRows; }
    // Story links the real pass found on the page, and how many of them were
    // not known yet.
    int GetStoryLinkCount() const { return m_nStoryLinks; }
    int GetNewStoryCount() const { return m_nNewStories; }
    const std::string& GetLastUrl() const { return m_strLastUrl; }
    // Article pages fetched since the scanner was made.
    int GetArticleFetchCount() const { return m_nArticleFetches; }

    // ---- The rules. They work on the parser's tokens and cursor; each one
    // that looks around a link restores the cursor before it returns, except
    // NextLinkText and AppendSameFont, which advance it. Public so that they
    // can be checked one by one.
    void HandleLink(const CHtmlToken* t, CWordString text);
    int IsStoryLinkText(const CHtmlToken* t, const CWordString& text);
    static int IsSectionLink(const CWordString& text, const CFontSize& font, int w);
    const CHtmlToken* FollowSection(CFontSize font, bool bBold, const CHtmlToken* token);
    static int IsDateText(const CWordString& text, int w);
    static int IsClockTime(const CWordString& text);
    static int IsAllCaps(const CWordString& text);
    static int IsNavigationText(const CWordString& text, int w);
    static int IsPhotoCaption(const CWordString& text);
    int IsAcceptableHref();
    // Whether href is acceptable as the target of a link on the page pageUrl.
    static int IsAcceptableHrefText(std::string_view href, std::string_view pageUrl);

    int DetectListingRow(const CHtmlToken* t, CWordString& text, std::string& url, std::string& description);

    int BuildTarget(const CHtmlToken* t, std::string& url, std::string& description);
    void ResolveUrl(const CHtmlToken* anchor, std::string& url) const;
    // The absolute form of href on the page pageUrl.
    static std::string ResolveHref(const std::string& href, const std::string& pageUrl);
    void CollectDescription(const CHtmlToken* T, std::string& description, const CFontSize& linkFont);
    static int IsDescriptionText(const CHtmlToken* T, const CFontSize& linkFont);
    const CHtmlToken* NextLinkText(int inLinkOnly);
    void AppendSameFont(CWordString& text, const CFontSize& font);
    int AddCandidate(const CHtmlToken* t, CStory& story, const CWordString& text, std::string description,
                     std::string url);

    // Tests a candidate story against the keyword groups and records it: as
    // new when one matches (and tells the main window), else as pending; not
    // at all when the test could not finish (article page unreadable,
    // scanning switched off). 1 when it matched.
    int MatchKeywords(CStory& story);
    // The article text of the story's page (fetched and cut out of it); empty
    // when the page cannot be fetched or has no recognisable article body.
    std::string ExtractArticleText(const CStory& story);
    // The article text of a page already parsed by parser.
    static std::string ExtractArticleFromTokens(const CHtmlParser& parser, const std::string& headline);
    const std::string& GetArticleText() const { return m_strArticleText; }

private:
    // A saved cursor that also remembers "no cursor".
    struct SavedCursor {
        CHtmlCursorPos pos;
        bool bHad = false;
    };
    SavedCursor SaveCursorState() const;
    void RestoreCursorState(const SavedCursor& saved);

    // The date and navigation rules on a lower-case copy made once per link.
    static int DateTextLower(std::string_view text, std::string_view lower, int w);
    static int NavigationTextLower(std::string_view lower, int w);
    static int AcceptableHrefLower(std::string_view href, std::string_view page);

    // BuildTarget; the description is gathered only when pDescription is set.
    int BuildTargetUrl(const CHtmlToken* t, std::string& url, std::string* pDescription);

    // The font of a text token ({3, 0, 0} for a token without one).
    static CFontSize FontOf(const CHtmlToken* t);
    // The index of the tokens in the parser, worked out on first use after
    // each parse.
    const CTokenIndex& Index();
    // The link text that ends a listing item when the search for it begins
    // at link text k; -1 when the page ends first.
    int ItemBoundFrom(int k);
    int IndexOf(const CHtmlToken* t) const;
    int CursorIndex() const;
    bool FetchArticlePage(const std::string& url);
    // Scores a word offered as item code of a listing row.
    int ScoreItemCode(const std::string& word) const;

    CStoryArchive& m_archive;
    CNewsSettings& m_settings;
    CMessageTarget& m_mainWindow;
    CSourceCatalogue* m_pCatalogue = nullptr;

    CHtmlParser m_parser;
    // Article pages are parsed apart, so that the tokens and cursor of the
    // page being scanned survive an article fetch in the middle of the walk.
    CHtmlParser m_articleParser;

    std::atomic<int> m_nActive{1};
    std::string m_strPageUrl;
    std::string m_strLastUrl;
    std::string m_strLastUrlBeforeProbe;  // m_strLastUrl when the probe began
    bool m_bProbeHoldsLastUrl = false;    // the real pass must restore it
    std::string m_strArticleText;
    std::string m_strSourceKey;     // source key of the page's stories
    std::string m_strSourceKeyUrl;  // the page URL it was made from
    bool m_bSourceKeyValid = false;
    std::string m_strPageUrlLower;     // m_strPageUrl in lower case,
    std::string m_strPageUrlLowerFor;  // made from this page URL
    int m_nProbe = 0;
    int m_nProbeStories = 0;
    int m_nListingRows = 0;
    int m_nStoryLinks = 0;
    int m_nNewStories = 0;
    CTextTally m_tally;
    CTokenIndex m_index;
    static constexpr int kItemBoundUnknown = -2;
    std::vector<int> m_itemBounds;  // per link text: ItemBoundFrom's answer, once known
    std::vector<int> m_itemPath;    // scratch of ItemBoundFrom

    std::vector<CKeywordGroup> m_groups;
    int m_nTitleContainsKeyword = 1;
    int m_nCheckOnlyTitle = 1;
    int m_nIgnoreInitialStories = 0;
    int m_nFirstScan = 1;
    int m_nArticleFetches = 0;
    bool m_bArticleFetchFailed = false;  // the last article page could not be read
};
