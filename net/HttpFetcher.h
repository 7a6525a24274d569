// CHttpFetcher: reads one web page with an HTTP GET and hands back its body.
// One request per call, no cache, compressed transfers, fixed time-outs, an
// optional proxy with up to three authentication attempts, and a hard size
// limit. A failed fetch says why it failed. AbortRequest may be called from
// another thread and makes a blocked fetch return at once.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "common/PageLimits.h"
#include "net/UrlParts.h"

class CAddressFence;

// Why a fetch gave no page.
enum class FetchFailure {
    None,
    BadUrl,        // not an http or https URL
    Dns,           // the server's or the proxy's name did not resolve
    NoConnection,  // no connection could be made, or it broke off
    Tls,           // the secure connection could not be set up
    TimedOut,
    HttpStatus,    // the final response's status was not 2xx (see httpStatus)
    TooLarge,      // the page reached MAX_PAGE_BYTES
    Empty,         // the response had no body
    BadResponse,   // a response that cannot be read (e.g. broken compression)
    Aborted,       // AbortRequest ended the fetch
    NotHtml,       // the server said the page is an image, a program, ... (set by the tokenizer)
    LocalAddress,  // the fetch led to a local address that its fence keeps out
};

// The failure in a few words ("DNS", "HTTP status 503", ...).
std::string FetchFailureText(FetchFailure failure, int httpStatus);
// Whether the failure came from the network or the web server (it may go
// away by itself), rather than from what the page is.
bool IsTransientFetchFailure(FetchFailure failure);

// What a fetch brought back.
struct FetchResult {
    std::string body;         // the page as received, decompressed; empty on failure
    std::string contentType;  // the final response's Content-Type, "" when it had none
    FetchFailure failure = FetchFailure::None;
    int httpStatus = 0;       // the final response's status, 0 when none came
};

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
    // Returns 1 with the body of a 2xx response of 1 to MAX_PAGE_BYTES - 1
    // bytes, or 0 with an empty body and the failure set. With a fence, every
    // address connected must pass it (net/AddressFence.h).
    int FetchUrl(const CUrlParts& url, const char* proxy, const char* user, const char* password,
                 FetchResult& result, CAddressFence* fence = nullptr);

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
