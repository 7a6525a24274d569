// CStoryRecorder: what becomes of the story links of a scanned page. Each
// link whose headline its source does not know yet is tested against the
// keyword groups (headline, description and, by scan mode, the article text
// of the story's page) and stored: as new when a group matches (and
// reported), else as pending; during an ignored first scan it is stored
// hidden without a test. A story whose test could not finish (its article
// page unreadable for now, scanning switched off) is not stored, so that a
// later pass meets it as new again; an article that keeps failing is given
// up after a bound (CArticleRetries) and the story stored without its text.
// Article pages are read ahead while the page's later links are looked at;
// the stories are still tested, stored and reported one by one in page order.
// The scanning thread owns one recorder; it runs on that thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "engine/ArticleRetries.h"
#include "engine/KeywordGroup.h"
#include "engine/StoryLinks.h"
#include "html/HtmlParser.h"
#include "net/AddressFence.h"
#include "engine/PageReader.h"
#include "net/HttpFetcher.h"
#include "store/Story.h"

class CNewStorySink;
class CSourceCatalogue;
class CStoryArchive;

class CStoryRecorder : public CStoryLinkSink {
public:
    // Article pages are read through articles; new stories go to newStories.
    CStoryRecorder(CStoryArchive& archive, CPageReader& articles, CNewStorySink& newStories);

    // Translates page URLs into source keys; null treats every page as custom.
    void SetCatalogue(CSourceCatalogue* pCatalogue) { m_pCatalogue = pCatalogue; }
    // The flag that stops the recording when it is not 1 (null: never).
    void SetActiveFlag(const std::atomic<int>* pActive) { m_pActive = pActive; }
    void SetNewStorySink(CNewStorySink& newStories) { m_pNewStories = &newStories; }

    // Per-cycle inputs, set by the scanning thread.
    void SetKeywordGroups(std::vector<CKeywordGroup> groups) { m_groups = std::move(groups); }
    void SetCycleOptions(int titleContainsKeyword, int checkOnlyTitle) {
        m_nTitleContainsKeyword = titleContainsKeyword;
        m_nCheckOnlyTitle = checkOnlyTitle;
    }
    void SetIgnoreInitialStories(int flag) { m_nIgnoreInitialStories = flag; }
    void SetFirstScan(int flag) { m_nFirstScan = flag; }
    // A scan cycle begins: the bound on article retries counts cycles.
    void BeginCycle() { m_retries.BeginCycle(); }
    // The clock of that bound (seconds since 1970); tests replace it.
    void SetRetryClock(CArticleRetries::Clock clock) { m_retries.SetClock(std::move(clock)); }
    // The bound's bookkeeping: read from the data folder, written back there.
    void LoadRetries(const std::string& dataFolder) { m_retries.Load(dataFolder); }
    bool SaveRetries() { return m_retries.Save(); }

    // Starts the links of the page at pageUrl, read from an address of
    // kind pageKind: the article pages it leads to may be there too.
    void BeginPage(const std::string& pageUrl, AddressKind pageKind = AddressKind::Public);
    void OnStoryLink(StoryCandidate& link, CLinkTarget& target) override;
    // Finishes the tests still waiting for their article pages; call after
    // the page's last link, before the counts are read.
    void EndPage() { FinishTests(); }

    // Story links of the page so far, and how many of them were not known yet.
    int GetStoryLinkCount() const { return m_nStoryLinks; }
    int GetNewStoryCount() const { return m_nNewStories; }
    // Article pages of the page's stories that could not be read (a page that
    // is no HTML, such as a picture, does not count).
    int GetArticleFailureCount() const { return m_nArticleFailures; }
    // Stories of the page left unrecorded for a later pass (article page
    // unreadable for now, scanning switched off).
    int GetUntestedCount() const { return m_nUntested; }
    // Article pages read since the recorder was made, and the text of the last.
    int GetArticleFetchCount() const { return m_nArticleFetches; }
    const std::string& GetArticleText() const { return m_strArticleText; }

    // Stories whose tests may wait for their article pages at once.
    static constexpr std::size_t TESTS_AHEAD = 16;

private:
    // A new story waiting for its keyword test, with its article read when
    // the test will need it.
    struct PendingTest {
        CStory story;
        bool bStarted = false;  // read is an article read begun ahead
        CPageReader::ReadHandle read = 0;
    };

    bool Active() const { return !m_pActive || m_pActive->load() == 1; }
    // Tests the story now, or queues it behind the waiting tests (starting
    // its article read when the test will need the article).
    void QueueTest(CStory& story);
    // Whether the keyword test of story reads its article page.
    bool NeedsArticle(const CStory& story) const;
    void FinishOneTest();
    void FinishTests();
    // Whether a waiting test's story has the link's headline.
    bool HeadlineWaiting(const StoryCandidate& link) const;
    // Gives a story not known yet its time and target; 1 when it is to be
    // tested, 0 when it was stored hidden or leads nowhere.
    int AddCandidate(CStory& story, StoryCandidate& link, CLinkTarget& target);
    // Tests the story against the keyword groups and stores it; 1 when it
    // matched. pTest: the queued test, whose article read may be under way.
    int MatchKeywords(CStory& story, PendingTest* pTest = nullptr);
    // The article text of the story's page; empty when the page cannot be
    // read or has no recognisable article body.
    std::string ReadArticleText(const CStory& story, PendingTest* pTest);
    // The address the article of story is read from; "" when it has none
    // that can be read (bReadable false).
    static std::string ArticleUrl(const CStory& story, bool& bReadable);
    // The key under which the story's article failures are counted.
    std::string RetryKey(const CStory& story) const;

    CStoryArchive& m_archive;
    CPageReader& m_articles;
    CNewStorySink* m_pNewStories;
    CSourceCatalogue* m_pCatalogue = nullptr;
    const std::atomic<int>* m_pActive = nullptr;

    // Article pages are parsed apart from the page being scanned.
    CHtmlParser m_articlePage;
    AddressKind m_pageKind = AddressKind::Public;
    FetchFailure m_nArticleFailure = FetchFailure::None;  // why the last article read failed
    int m_nArticleStatus = 0;            // and the HTTP status it had
    bool m_bArticleFetchFailed = false;  // the last article page could not be read, for now
    CArticleRetries m_retries;
    std::string m_strArticleText;
    int m_nArticleFetches = 0;

    std::string m_strPageUrl;
    std::string m_strSourceKey;  // source key of the page's stories
    bool m_bSourceKeyValid = false;
    int m_nStoryLinks = 0;
    int m_nNewStories = 0;
    int m_nArticleFailures = 0;
    int m_nUntested = 0;
    std::deque<PendingTest> m_tests;  // in page order

    std::vector<CKeywordGroup> m_groups;
    int m_nTitleContainsKeyword = 1;
    int m_nCheckOnlyTitle = 1;
    int m_nIgnoreInitialStories = 0;
    int m_nFirstScan = 1;
};
