// Keyword matching of a new story: its headline, its description and, by
// scan mode, the text of its article page, which is read through the
// recorder's page reader.
#include <ctime>

#include "engine/ArticleText.h"
#include "engine/NewStorySink.h"
#include "engine/PageReader.h"
#include "engine/StoryRecorder.h"
#include "engine/UnicodeText.h"
#include "net/UrlParts.h"
#include "store/Story.h"
#include "store/StoryArchive.h"

bool CStoryRecorder::NeedsArticle(const CStory& story) const {
    // The groups in MatchKeywords' order: the article is read at the first
    // group that needs it, unless an earlier one matched without it.
    if (m_nCheckOnlyTitle == 1) return false;
    const std::string headline = FoldCase(story.GetHeadline());
    const std::string description = FoldCase(story.GetDescription());
    for (const CKeywordGroup& group : m_groups) {
        if (group.MatchesStory(headline, description)) return false;
        if (m_nTitleContainsKeyword == 1 && !group.HasIncludeIn(headline)) continue;
        return true;
    }
    return false;
}

int CStoryRecorder::MatchKeywords(CStory& story, PendingTest* pTest) {
    // A story is recorded only once it was really tested: not when scanning
    // was switched off meanwhile, nor when its article page could not be
    // read. A later pass then meets it as new and tests it again.
    if (!Active()) {
        ++m_nUntested;
        return 0;
    }
    m_strArticleText.clear();
    m_bArticleFetchFailed = false;
    bool bArticleRead = false;
    std::string article;  // the article text, case-folded once
    int found = 0;
    const std::string headline = FoldCase(story.GetHeadline());
    const std::string description = FoldCase(story.GetDescription());
    for (const CKeywordGroup& group : m_groups) {
        story.SetKeywords(group.GetKeywordText());
        if (group.MatchesStory(headline, description)) {
            found = 1;
            break;
        }
        if (m_nCheckOnlyTitle == 1) continue;  // QuickScan: headline and description only
        // Standard reads the article only when the headline names one of the
        // group's include words; Extensive reads it for every group.
        if (m_nTitleContainsKeyword == 1 && !group.HasIncludeIn(headline)) continue;
        if (!bArticleRead) {
            m_strArticleText = ReadArticleText(story, pTest);
            article = FoldCase(m_strArticleText);
            bArticleRead = true;  // one fetch per story, whatever it gave
        }
        if (!article.empty() && group.Matches(article)) {
            found = 1;
            break;
        }
    }
    if (!found) {
        if (m_bArticleFetchFailed || !Active()) {
            ++m_nUntested;
            return 0;
        }
        story.SetKeywords(std::string());
        CStoryArchiveGuard lock(m_archive);
        m_archive.Open("r+b");
        m_archive.Add(story, false);
        m_archive.Close();
        return 0;
    }

    story.SetTimeFound(static_cast<std::int32_t>(std::time(nullptr)));
    story.SetState(STORY_NEW);
    m_pNewStories->OnStoryBecomingNew(story, m_strSourceKey);
    {
        CStoryArchiveGuard lock(m_archive);
        m_archive.Open("r+b");
        m_archive.Add(story, true);
        m_archive.Close();
    }
    m_pNewStories->OnNewStory(story, m_strSourceKey);
    return 1;
}

std::string CStoryRecorder::RetryKey(const CStory& story) const {
    return m_strSourceKey + '\n' + story.GetHeadline();
}

std::string CStoryRecorder::ArticleUrl(const CStory& story, bool& bReadable) {
    CUrlParts parts;
    parts.Set(story.GetUrl());
    CUrlParts full;
    bReadable = !parts.m_strUrl.empty() && full.Set(parts.m_strUrl);
    return parts.m_strUrl;
}

std::string CStoryRecorder::ReadArticleText(const CStory& story, PendingTest* pTest) {
    bool bReadable = false;
    const std::string url = ArticleUrl(story, bReadable);
    const std::string retryKey = RetryKey(story);
    bool bFetched = false;
    bool bRead = false;
    if (!bReadable) {
        m_articlePage.ReleasePage();
    } else if (m_retries.FailedThisCycle(retryKey)) {
        // It failed on another page of the source in this cycle: it waits
        // for the next cycle rather than being read again.
        m_articlePage.ReleasePage();
        m_bArticleFetchFailed = true;
    } else {
        PageReadOutcome outcome;
        if (pTest && pTest->bStarted) {
            pTest->bStarted = false;
            bRead = m_articles.FinishRead(pTest->read, url, m_pageKind, m_articlePage, outcome);
        } else {
            ++m_nArticleFetches;
            bRead = m_articles.ReadPage(url, m_pageKind, m_articlePage, outcome);
        }
        bFetched = true;
        m_nArticleFailure = outcome.failure;
        m_nArticleStatus = outcome.httpStatus;
    }
    m_articlePage.ParsePage();  // without a page: drops the tokens of an earlier article
    if (bRead) {
        m_retries.Forget(retryKey);
        return ExtractArticleText(m_articlePage.Tokens(), story.GetHeadline());
    }
    // A read cut off by switching scanning off is no answer at all.
    if (!bFetched || !Active()) return std::string();
    if (m_nArticleFailure != FetchFailure::NotHtml) ++m_nArticleFailures;
    // Only a failure of the network or the web server may go away by itself,
    // and only for a while; any other answer is final.
    if (IsArticleFailureForNow(m_nArticleFailure, m_nArticleStatus))
        m_bArticleFetchFailed = !m_retries.FailedForNow(retryKey);
    else
        m_retries.Forget(retryKey);
    return std::string();
}
