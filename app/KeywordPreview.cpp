#include "app/KeywordPreview.h"

#include <algorithm>
#include <set>

#include "engine/KeywordGroup.h"
#include "engine/UnicodeText.h"
#include "store/StoryArchive.h"
#include "store/StoryFile.h"

namespace {
// A reading of the archive older than this is taken again.
constexpr std::time_t kReadingLifetimeSeconds = 60;
}  // namespace

std::vector<PreviewStory> CollectRecentStories(CStoryArchive& archive, std::time_t since) {
    std::vector<PreviewStory> stories;
    {
        CStoryArchiveGuard lock(archive);
        for (int state : {STORY_PENDING, STORY_NEW, STORY_UNREAD, STORY_READ, STORY_BOOKMARKED, STORY_HIDDEN}) {
            if (archive.Open("rb") != 0) break;
            while (archive.FindNextWithState(state)) {
                std::unique_ptr<CStory> story = archive.GetCurrentStory();
                if (!story || story->GetTimeFound() < since) continue;
                stories.push_back({story->GetHeadline(), story->GetHeadline(), story->GetDescription(),
                                   story->GetTimeFound()});
            }
            archive.Close();
        }
    }
    // Folding is left until the lock is given back.
    std::stable_sort(stories.begin(), stories.end(),
                     [](const PreviewStory& a, const PreviewStory& b) { return a.found > b.found; });
    std::set<std::string> seen;
    std::vector<PreviewStory> unique;
    for (PreviewStory& s : stories) {
        if (!seen.insert(s.headline).second) continue;
        s.foldedHeadline = FoldCase(s.foldedHeadline);
        s.foldedDescription = FoldCase(s.foldedDescription);
        unique.push_back(std::move(s));
    }
    return unique;
}

KeywordPreviewResult MatchRecentStories(const std::vector<PreviewStory>& stories, const std::string& keywordText,
                                        std::size_t maxHeadlines) {
    KeywordPreviewResult result;
    result.keywordText = keywordText;
    const CKeywordGroup group(keywordText);
    for (const PreviewStory& s : stories) {
        if (!group.MatchesStory(s.foldedHeadline, s.foldedDescription)) continue;
        ++result.count;
        if (result.headlines.size() < maxHeadlines) result.headlines.push_back(s.headline);
    }
    return result;
}

CKeywordPreview::CKeywordPreview(CStoryArchive& archive, Deliver deliver)
    : m_archive(archive), m_deliver(std::move(deliver)), m_clock([] { return std::time(nullptr); }) {
    m_worker = std::thread([this] { Run(); });
}

CKeywordPreview::~CKeywordPreview() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void CKeywordPreview::Request(const std::string& keywordText) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_strRequest = keywordText;
        m_bPending = true;
    }
    m_wake.notify_all();
}

void CKeywordPreview::SetClock(Clock clock) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_clock = std::move(clock);
}

void CKeywordPreview::Run() {
    std::vector<PreviewStory> stories;
    std::time_t readAt = 0;
    for (;;) {
        std::string request;
        bool bRead = false;
        Clock clock;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_bStop || m_bPending; });
            if (m_bStop) return;
            request = m_strRequest;
            m_bPending = false;
            clock = m_clock;
            const std::time_t now = clock();
            bRead = m_bFirstRead || now - readAt >= kReadingLifetimeSeconds || now < readAt;
            m_bFirstRead = false;
        }
        if (bRead) {
            readAt = clock();
            stories = CollectRecentStories(m_archive, readAt - static_cast<std::time_t>(STORY_LIFETIME_SECONDS));
        }
        KeywordPreviewResult result = MatchRecentStories(stories, request, MAX_HEADLINES);
        {
            // A newer request makes this result useless.
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_bStop || m_bPending) continue;
        }
        m_deliver(result);
    }
}
