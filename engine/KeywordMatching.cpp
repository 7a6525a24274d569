// Keyword matching of a new story: its headline, its description and, by
// scan mode, the text of its article page, which is fetched with the
// scanning thread's fetcher.
#include <ctime>

#include "common/Messages.h"
#include "common/MessageTarget.h"
#include "common/RecursiveLock.h"
#include "config/NewsSettings.h"
#include "config/ProxySettings.h"
#include "engine/PageScanner.h"
#include "engine/UnicodeText.h"
#include "net/UrlParts.h"
#include "store/Story.h"
#include "store/StoryArchive.h"

int CPageScanner::MatchKeywords(CStory& story) {
    // A story is recorded only once it was really tested: not when scanning
    // was switched off meanwhile, nor when its article page could not be
    // read. A later pass then meets it as new and tests it again.
    if (m_nActive.load() != 1) return 0;
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
            m_strArticleText = ExtractArticleText(story);
            article = FoldCase(m_strArticleText);
            bArticleRead = true;  // one fetch per story, whatever it gave
        }
        if (!article.empty() && group.Matches(article)) {
            found = 1;
            break;
        }
    }
    if (!found) {
        if (m_bArticleFetchFailed || m_nActive.load() != 1) return 0;
        story.SetKeywords(std::string());
        CStoryArchiveGuard lock(m_archive);
        m_archive.Open("r+b");
        m_archive.Add(story, false);
        m_archive.Close();
        return 0;
    }

    story.SetTimeFound(static_cast<std::int32_t>(std::time(nullptr)));
    story.SetState(STORY_NEW);
    {
        CStoryArchiveGuard lock(m_archive);
        m_archive.Open("r+b");
        m_archive.Add(story, true);
        m_archive.Close();
    }
    m_mainWindow.Post(WM_NEW_STORIES, 0, 0);
    return 1;
}

bool CPageScanner::FetchArticlePage(const std::string& url) {
    const ProxySettings proxy = ReadProxySettings(m_settings);
    CUrlParts parts;
    if (!parts.Set(url)) {
        m_articleParser.ReleasePage();
        return false;
    }
    ++m_nArticleFetches;
    // The scanning thread's own fetcher, so that stopping the scan or the
    // fetch watchdog also ends an article fetch.
    return m_articleParser.FetchPage(m_parser.GetFetcher(), url, proxy.useProxy, proxy.server, proxy.port, proxy.user,
                                     proxy.password);
}

std::string CPageScanner::ExtractArticleText(const CStory& story) {
    CUrlParts parts;
    parts.Set(story.GetUrl());
    if (!FetchArticlePage(parts.m_strUrl)) {
        // Only a failure of the network or the web server may go away by
        // itself; a page that is too large or not HTML will not do better.
        m_bArticleFetchFailed = !parts.m_strUrl.empty() && IsTransientFetchFailure(m_articleParser.GetFailure());
        m_articleParser.ParsePage();  // drops the tokens of an earlier article
        return std::string();
    }
    m_articleParser.ParsePage();
    return ExtractArticleFromTokens(m_articleParser, story.GetHeadline());
}
