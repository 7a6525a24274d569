// CHttpFetcher: reads one web page with an HTTP GET and hands back its body.
// One request per call, no cache, compressed transfers, fixed time-outs, an
// optional proxy with up to three authentication attempts, and a hard size
// limit; a request may carry the validators of an earlier answer and then
// accepts a 304. A failed fetch says why it failed. AbortRequest may be
// called from another thread and makes a blocked fetch return at once.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "common/PageLimits.h"
#include "net/AddressFence.h"
#include "net/UrlParts.h"


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

// The validators of a page's last answer: its ETag and Last-Modified
// header values as sent, "" for none.
struct HttpValidators {
    std::string etag;
    std::string lastModified;

    bool Empty() const { return etag.empty() && lastModified.empty(); }
};

// What a fetch brought back.
struct FetchResult {
    std::string body;         // the page as received, decompressed; empty on failure
    std::string contentType;  // the final response's Content-Type, "" when it had none
    FetchFailure failure = FetchFailure::None;
    int httpStatus = 0;       // the final response's status, 0 when none came
    // A conditional request answered 304: a successful read without a body.
    bool notModified = false;
    HttpValidators validators;  // of the final response
    // With a fence: the kind of the first address connected (Public when none was).
    AddressKind addressKind = AddressKind::Public;
};

// What one request adds to the fetcher's fixed settings.
struct FetchOptions {
    // Sent as If-None-Match and If-Modified-Since when not empty; a 304
    // answer is then a success with notModified set.
    HttpValidators conditions;
    // Ends the request as AbortRequest does once *pAbortEpoch differs from
    // abortEpoch (a pool of fetchers aborts all its requests with one store).
    const std::atomic<unsigned>* pAbortEpoch = nullptr;
    unsigned abortEpoch = 0;
    // When set, every address connected must pass it (net/AddressFence.h);
    // it must outlive the request.
    CAddressFence* fence = nullptr;
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
    // bytes, or 0 with an empty body and the failure set.
    int FetchUrl(const CUrlParts& url, const char* proxy, const char* user, const char* password,
                 FetchResult& result);
    // The same with the request's own options.
    int FetchUrl(const CUrlParts& url, const char* proxy, const char* user, const char* password,
                 FetchResult& result, const FetchOptions& options);

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
