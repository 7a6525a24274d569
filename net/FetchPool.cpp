#include "net/FetchPool.h"

#include <algorithm>

CFetchPool::CFetchPool(int workers, int perHost) : m_nPerHost(std::max(1, perHost)) {
    for (int i = 0; i < std::max(1, workers); ++i) m_fetchers.push_back(std::make_unique<CHttpFetcher>());
}

CFetchPool::~CFetchPool() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStopping = true;
    }
    AbortAll();
    m_workCv.notify_all();
    for (std::thread& worker : m_workers) worker.join();
}

void CFetchPool::StartWorkersLocked() {
    if (!m_workers.empty()) return;
    for (int i = 0; i < FetcherCount(); ++i) m_workers.emplace_back([this, i] { WorkerLoop(i); });
}

CFetchPool::Ticket CFetchPool::Start(Request request) {
    Job job;
    job.url.Set(request.url);  // an unparsable address fails the fetch as BadUrl
    job.host = job.url.m_strServer + ":" + std::to_string(job.url.m_nPort);
    job.request = std::move(request);
    Ticket ticket = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        StartWorkersLocked();
        ticket = job.ticket = m_nNextTicket++;
        job.epoch = m_nEpoch.load();
        m_pending.insert(ticket);
        m_queue.push_back(std::move(job));
    }
    m_workCv.notify_one();
    return ticket;
}

FetchResult CFetchPool::Take(Ticket ticket) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_pending.count(ticket) == 0 && m_done.count(ticket) == 0) {
        FetchResult none;
        none.failure = FetchFailure::Aborted;
        return none;
    }
    m_doneCv.wait(lock, [&] { return m_done.count(ticket) != 0; });
    auto it = m_done.find(ticket);
    FetchResult result = std::move(it->second);
    m_done.erase(it);
    return result;
}

void CFetchPool::Drop(Ticket ticket) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pending.erase(ticket);
    m_done.erase(ticket);
    m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(), [&](const Job& j) { return j.ticket == ticket; }),
                  m_queue.end());
}

void CFetchPool::AbortAll() {
    // Queued jobs see the new epoch when they are taken; running ones see it
    // at their next look and are woken to look at once.
    m_nEpoch.fetch_add(1);
    for (auto& fetcher : m_fetchers) fetcher->AbortRequest();
}

void CFetchPool::SetTimeoutsForTesting(const FetchTimeouts& timeouts) {
    for (auto& fetcher : m_fetchers) fetcher->SetTimeoutsForTesting(timeouts);
}

bool CFetchPool::TakeRunnable(Job& job) {
    for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
        const auto running = m_running.find(it->host);
        if (running != m_running.end() && running->second >= m_nPerHost) continue;
        job = std::move(*it);
        m_queue.erase(it);
        return true;
    }
    return false;
}

void CFetchPool::WorkerLoop(int index) {
    CHttpFetcher& fetcher = *m_fetchers[static_cast<std::size_t>(index)];
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        Job job;
        m_workCv.wait(lock, [&] { return m_bStopping || TakeRunnable(job); });
        if (m_bStopping) return;
        ++m_running[job.host];
        lock.unlock();

        FetchResult result;
        if (job.epoch != m_nEpoch.load()) {
            result.failure = FetchFailure::Aborted;
        } else {
            FetchOptions options;
            options.conditions = job.request.conditions;
            options.pAbortEpoch = &m_nEpoch;
            options.abortEpoch = job.epoch;
            const Request& r = job.request;
            std::optional<CAddressFence> fence;
            if (r.configured) fence = CAddressFence::Configured();
            else if (r.ledFrom) fence = CAddressFence::LedFrom(*r.ledFrom);
            if (fence) options.fence = &*fence;
            fetcher.FetchUrl(job.url, r.proxy.empty() ? nullptr : r.proxy.c_str(), r.user.c_str(),
                             r.password.c_str(), result, options);
        }

        lock.lock();
        if (--m_running[job.host] == 0) m_running.erase(job.host);
        if (m_pending.erase(job.ticket) != 0) m_done.emplace(job.ticket, std::move(result));
        m_doneCv.notify_all();
        m_workCv.notify_all();  // the host has room again
    }
}
