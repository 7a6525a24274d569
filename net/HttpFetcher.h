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

constexpr std::size_t MAX_FETCH_BUFFER = 8000001;  // 8,000,000 bytes of page and the terminating NUL

// The time limits of a fetch, in milliseconds. The defaults are the ones the
// program uses; tests shorten them so that they need not wait for seconds.
struct FetchTimeouts {
    long connectMs = 2000;        // to establish a connection (name lookup and TLS included)
    int connectRetries = 2;       // further connection attempts after a failed one
    long connectBackoffMs = 1000; // pause before each further attempt
    long sendMs = 5000;           // to send the request once connected
    long receiveMs = 10000;       // longest silence while waiting for the response
};

class CHttpFetcher {
public:
    CHttpFetcher();
    ~CHttpFetcher();
    CHttpFetcher(const CHttpFetcher&) = delete;
    CHttpFetcher& operator=(const CHttpFetcher&) = delete;

    // Fetches url. proxy is "host:port" or null for a direct connection; user
    // and password are the proxy credentials (null or empty for none).
    // Returns 1 with the page in `page` (NUL bytes removed, at most
    // MAX_FETCH_BUFFER - 1 bytes), or 0 with `page` empty.
    int FetchUrl(const CUrlParts& url, const char* proxy, const char* user, const char* password,
                 std::string& page);

    // Ends the fetch in progress, if any; safe from any thread.
    void AbortRequest();

    // Seconds since 1970 when the running fetch began, 0 when idle.
    std::time_t GetStartTime() const { return m_tStart.load(std::memory_order_acquire); }

    // Replaces the time limits (for tests). Call only while no fetch runs.
    void SetTimeoutsForTesting(const FetchTimeouts& timeouts);

private:
    struct Impl;
    Impl* m_pImpl;
    std::atomic<std::time_t> m_tStart{0};
};

// Starts the web library for the process (once at start-up, before any
// fetch); false when it cannot start. StopNetworkLibrary undoes one start.
bool StartNetworkLibrary();
void StopNetworkLibrary();
