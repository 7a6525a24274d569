// CArticleRetries: the stories whose article page could not be read for now
// (no connection, a time-out, a server error). Such a story is left
// unrecorded so that a later cycle tries its article again, but only until
// it has failed in MAX_CYCLES cycles and RETRY_SECONDS have passed since its
// first failure (whichever comes last); then its test is final without the
// article text. Kept across runs in Data/retries.txt (so that a run per
// cycle, such as --scan-once from cron, is bound as well), written when a
// pass ends and at the stop; lines that cannot be read are skipped (a lost
// line costs at most a few more tries). Used on the scanning thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include "net/HttpFetcher.h"

class CArticleRetries {
public:
    static constexpr int MAX_CYCLES = 3;
    static constexpr std::int64_t RETRY_SECONDS = 3600;
    // The file name inside the data folder, its first line, and the most
    // stories it keeps.
    static constexpr const char* FILE_NAME = "retries.txt";
    static constexpr const char* FILE_HEADER = "skimbolt article retries 1";
    static constexpr std::size_t MAX_STORIES = 50000;
    // Seconds since 1970; the system clock unless replaced (tests).
    using Clock = std::function<std::int64_t()>;

    CArticleRetries();
    void SetClock(Clock clock) { m_clock = std::move(clock); }

    // Reads dataFolder's retry file, if any; Save writes there later. A file
    // of another kind at that name is reported and left alone (the
    // bookkeeping then lasts this run only).
    void Load(const std::string& dataFolder);
    // Writes the file atomically when something changed since it was read or
    // written; false when the write failed (it is tried again next time).
    bool Save();

    // A new scan cycle begins. Stories not met in the last two cycles (gone
    // from their page, or their page unread) are forgotten.
    void BeginCycle();
    // The article of the story with that key failed for now. True when its
    // bound is reached: the story is to be recorded without the article text
    // (and is forgotten here).
    bool FailedForNow(const std::string& key);
    // Whether the story's article already failed in this cycle (a story met
    // on two pages of its source is not read twice).
    bool FailedThisCycle(const std::string& key) const;
    // The story's test finished: its article was read, or failed for good.
    void Forget(const std::string& key) { m_bDirty |= m_stories.erase(key) != 0; }
    std::size_t Count() const { return m_stories.size(); }

private:
    struct Retry {
        std::int64_t tFirst = 0;   // the first failure
        int nCycles = 0;           // cycles with a failure
        std::int64_t nLastCycle = 0;
    };
    std::unordered_map<std::string, Retry> m_stories;
    std::int64_t m_nCycle = 0;
    Clock m_clock;
    std::string m_strFile;  // empty: not kept in a file
    bool m_bDirty = false;
};

// Whether a failed article read may do better later: a network failure, a
// time-out or an answer of an overloaded or failing server (5xx, 408, 429).
// Any other status (404, 410, 403, 401, ...) or a page that is not HTML, too
// large or empty is a final answer.
bool IsArticleFailureForNow(FetchFailure failure, int httpStatus);
