// CKeywordPreview: while a keyword group is being edited, which stories of
// the last 48 hours in the archive it would have matched (by headline and
// description, as a scan matches them). The archive is read on a worker
// thread of its own, under the archive's lock, so the window never waits
// for it; the newest request wins and its result is handed to a callback.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/SettingsTypes.h"

class CStoryArchive;

// A story as the preview needs it: headline, case-folded texts, time found.
struct PreviewStory {
    std::string headline;
    std::string foldedHeadline;
    std::string foldedDescription;
    std::int32_t found = 0;
};

// The stories of the archive found at `since` or later, every state but the
// superseded records, newest first; one story per headline. Takes the
// archive's lock.
std::vector<PreviewStory> CollectRecentStories(CStoryArchive& archive, std::time_t since);

// Which of the stories the stored group text matches; up to maxHeadlines
// headlines, in the order of the stories.
KeywordPreviewResult MatchRecentStories(const std::vector<PreviewStory>& stories, const std::string& keywordText,
                                        std::size_t maxHeadlines);

class CKeywordPreview {
public:
    using Deliver = std::function<void(const KeywordPreviewResult&)>;
    using Clock = std::function<std::time_t()>;

    // deliver runs on the worker thread: it must only hand the result over
    // to the window's own thread.
    CKeywordPreview(CStoryArchive& archive, Deliver deliver);
    // Waits for the worker to end (it ends between two steps).
    ~CKeywordPreview();
    CKeywordPreview(const CKeywordPreview&) = delete;
    CKeywordPreview& operator=(const CKeywordPreview&) = delete;

    // Asks for the result of a group (stored text form). The archive is read
    // again when the last reading is older than a minute.
    void Request(const std::string& keywordText);
    void SetClock(Clock clock);

    static constexpr std::size_t MAX_HEADLINES = 3;

private:
    void Run();

    CStoryArchive& m_archive;
    Deliver m_deliver;
    Clock m_clock;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_bStop = false;
    bool m_bPending = false;
    bool m_bFirstRead = true;
    std::string m_strRequest;
    std::thread m_worker;
};
