// CFetchPool: reads several web pages at once. Requests are queued and run
// on a few worker threads, each with a fetcher of its own, at most
// MAX_IN_FLIGHT at a time and at most MAX_PER_HOST per host (host name and
// port); the caller collects each result by its ticket, in any order.
// AbortAll ends every request in flight and every queued one at once.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "net/HttpFetcher.h"
#include "net/UrlParts.h"

class CFetchPool {
public:
    static constexpr int MAX_IN_FLIGHT = 8;
    static constexpr int MAX_PER_HOST = 4;
    using Ticket = std::uint64_t;  // 0 is no ticket

    // One request: the page and how to reach it.
    struct Request {
        std::string url;       // a full http or https address
        std::string proxy;     // "host:port", "" for a direct connection
        std::string user;      // proxy credentials, "" for none
        std::string password;
        HttpValidators conditions;
        // Where the request may connect (net/AddressFence.h): a page the
        // user configured, or a link on a page of the kind ledFrom names;
        // unfenced when neither.
        bool configured = false;
        std::optional<AddressKind> ledFrom;
    };

    explicit CFetchPool(int workers = MAX_IN_FLIGHT, int perHost = MAX_PER_HOST);
    ~CFetchPool();
    CFetchPool(const CFetchPool&) = delete;
    CFetchPool& operator=(const CFetchPool&) = delete;

    // Queues a request; it starts as soon as a worker and its host allow.
    Ticket Start(Request request);
    // Waits for the request's end and hands back its result (as
    // CHttpFetcher::FetchUrl fills it); the ticket is then spent.
    FetchResult Take(Ticket ticket);
    // Forgets a request whose result is no longer wanted (a running one
    // finishes unseen).
    void Drop(Ticket ticket);

    // Ends every running and queued request (their results say Aborted);
    // requests started afterwards run normally. Safe from any thread.
    void AbortAll();

    // The workers' fetchers, for the fetch watchdog and for tests.
    int FetcherCount() const { return static_cast<int>(m_fetchers.size()); }
    CHttpFetcher& FetcherAt(int i) { return *m_fetchers[static_cast<std::size_t>(i)]; }
    // Replaces every fetcher's time limits (for tests). Call while idle.
    void SetTimeoutsForTesting(const FetchTimeouts& timeouts);

private:
    struct Job {
        Ticket ticket = 0;
        Request request;
        CUrlParts url;
        std::string host;  // "name:port", the per-host bound's key
        unsigned epoch = 0;
    };

    void WorkerLoop(int index);
    // The first queued job whose host has room, moved out of the queue;
    // false when none may start. Called under m_mutex.
    bool TakeRunnable(Job& job);
    void StartWorkersLocked();

    const int m_nPerHost;
    std::vector<std::unique_ptr<CHttpFetcher>> m_fetchers;
    std::vector<std::thread> m_workers;  // started with the first request

    std::atomic<unsigned> m_nEpoch{0};
    mutable std::mutex m_mutex;  // guards everything below
    std::condition_variable m_workCv;  // a job was queued, a host freed, or stop
    std::condition_variable m_doneCv;  // a job finished
    bool m_bStopping = false;
    Ticket m_nNextTicket = 1;
    std::deque<Job> m_queue;
    std::map<std::string, int> m_running;  // requests in flight per host
    std::set<Ticket> m_pending;            // queued or running, not dropped
    std::map<Ticket, FetchResult> m_done;  // finished, not taken yet
};
