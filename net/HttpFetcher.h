// CHttpFetcher: reads one web page with an HTTP GET and hands back its body.
// One request per call, no cache, fixed time-outs, an optional proxy with up
// to three authentication attempts, and a hard size limit. AbortRequest may
// be called from another thread and makes a blocked fetch return at once.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "net/UrlParts.h"

constexpr std::size_t MAX_FETCH_BUFFER = 128001;  // 128000 bytes of page and the terminating NUL

class CHttpFetcher {
public:
    CHttpFetcher();
    ~CHttpFetcher();
    CHttpFetcher(const CHttpFetcher&) = delete;
    CHttpFetcher& operator=(const CHttpFetcher&) = delete;

    // Fetches url. proxy is "host:port" or null for a direct connection; user
    // and password are the proxy credentials (null or empty for none).
    // Returns 1 with the page in `page` (NUL bytes removed, at most 128000
    // bytes), or 0 with `page` empty.
    int FetchUrl(const CUrlParts& url, const char* proxy, const char* user, const char* password,
                 std::string& page);

    // Ends the fetch in progress, if any; safe from any thread.
    void AbortRequest();

    // Seconds since 1970 when the running fetch began, 0 when idle.
    std::time_t GetStartTime() const { return m_tStart.load(std::memory_order_acquire); }

private:
    struct Impl;
    Impl* m_pImpl;
    std::atomic<std::time_t> m_tStart{0};
};
