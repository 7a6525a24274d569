// The recorder's part of each story link: the archive look-up by headline
// within the page's source, and the candidate a new link becomes: stored
// hidden at once during an ignored first scan, else given its target and
// description as pending and handed to the keyword test, which stores it
// once the test is done.
#include "engine/StoryRecorder.h"

#include <ctime>

#include "engine/NewStorySink.h"
#include "store/Story.h"
#include "store/StoryArchive.h"

CStoryRecorder::CStoryRecorder(CStoryArchive& archive, CPageReader& articles, CNewStorySink& newStories)
    : m_archive(archive), m_articles(articles), m_pNewStories(&newStories) {}

void CStoryRecorder::BeginPage(const std::string& pageUrl, AddressKind pageKind) {
    m_strPageUrl = pageUrl;
    m_pageKind = pageKind;
    m_bSourceKeyValid = false;  // the catalogue may have changed since the last page
    m_nStoryLinks = 0;
    m_nNewStories = 0;
    m_nArticleFailures = 0;
    m_nUntested = 0;
}

void CStoryRecorder::OnStoryLink(StoryCandidate& link, CLinkTarget& target) {
    CStory story;
    story.SetHeadline(link.headline);
    story.SetSource(m_strPageUrl);
    if (!m_bSourceKeyValid) {
        // Every link of a page has the page's source key; look it up once.
        m_strSourceKey = story.GetSourceName(false, m_pCatalogue);
        m_bSourceKeyValid = true;
    }

    // Newness is decided by headline within the page's source. A story of
    // that headline still waiting for its test may yet be stored: the
    // waiting tests finish first, so that the look-up sees what it would
    // have seen had each story been tested at once.
    ++m_nStoryLinks;
    if (HeadlineWaiting(link)) FinishTests();
    int ok = 0;
    {
        CStoryArchiveGuard lock(m_archive);
        m_archive.Open("r+b");
        // A story kept before under the headline as the link shows it (with
        // a rank number or an arrow the filter now cleans off) is known too.
        const bool bKnown = m_archive.FindByHeadline(link.headline, m_strSourceKey) ||
                            (!link.rawHeadline.empty() && m_archive.FindByHeadline(link.rawHeadline, m_strSourceKey));
        if (!bKnown) {
            ++m_nNewStories;
            ok = AddCandidate(story, link, target);
        }
        m_archive.Close();
    }
    if (ok) QueueTest(story);
}

bool CStoryRecorder::HeadlineWaiting(const StoryCandidate& link) const {
    for (const PendingTest& test : m_tests) {
        const std::string& headline = test.story.GetHeadline();
        if (headline == link.headline || (!link.rawHeadline.empty() && headline == link.rawHeadline)) return true;
    }
    return false;
}

void CStoryRecorder::QueueTest(CStory& story) {
    // The article read starts now when the reader can read ahead; a story
    // without one waits only behind stories that wait already.
    CPageReader::ReadHandle read = 0;
    if (NeedsArticle(story) && Active() && !m_retries.FailedThisCycle(RetryKey(story))) {
        bool bReadable = false;
        const std::string url = ArticleUrl(story, bReadable);
        if (bReadable) read = m_articles.StartRead(url, m_pageKind);
    }
    if (read == 0 && m_tests.empty()) {
        MatchKeywords(story);
        return;
    }
    PendingTest& test = m_tests.emplace_back();
    test.story = std::move(story);
    if (read != 0) {
        ++m_nArticleFetches;
        test.read = read;
        test.bStarted = true;
    }
    while (m_tests.size() > TESTS_AHEAD) FinishOneTest();
}

void CStoryRecorder::FinishOneTest() {
    PendingTest test = std::move(m_tests.front());
    m_tests.pop_front();
    MatchKeywords(test.story, &test);
    if (test.bStarted) m_articles.DropRead(test.read);  // the test ended before it needed the page
}

void CStoryRecorder::FinishTests() {
    while (!m_tests.empty()) FinishOneTest();
}

int CStoryRecorder::AddCandidate(CStory& story, StoryCandidate& link, CLinkTarget& target) {
    story.SetTimeFound(static_cast<std::int32_t>(std::time(nullptr)));
    if (m_nFirstScan == 1 && m_nIgnoreInitialStories == 1) {
        // Known from now on, never announced.
        story.SetState(STORY_HIDDEN);
        m_archive.Add(story, false);
        return 0;
    }
    if (!link.IsListing() && !target.Resolve(link)) return 0;
    story.SetUrl(link.url);
    story.SetDescription(link.description);
    story.SetState(STORY_PENDING);
    return 1;
}
