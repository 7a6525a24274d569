#include "engine/ArticleRetries.h"

#include <ctime>

CArticleRetries::CArticleRetries() : m_clock([] { return static_cast<std::int64_t>(std::time(nullptr)); }) {}

void CArticleRetries::BeginCycle() {
    ++m_nCycle;
    for (auto it = m_stories.begin(); it != m_stories.end();) {
        if (it->second.nLastCycle < m_nCycle - 2)
            it = m_stories.erase(it);
        else
            ++it;
    }
}

bool CArticleRetries::FailedForNow(const std::string& key) {
    const std::int64_t now = m_clock();
    const auto [it, bFirst] = m_stories.try_emplace(key);
    Retry& retry = it->second;
    if (bFirst) retry.tFirst = now;
    if (bFirst || retry.nLastCycle != m_nCycle) {
        ++retry.nCycles;
        retry.nLastCycle = m_nCycle;
    }
    if (retry.nCycles < MAX_CYCLES || now - retry.tFirst < RETRY_SECONDS) return false;
    m_stories.erase(it);
    return true;
}

bool CArticleRetries::FailedThisCycle(const std::string& key) const {
    const auto it = m_stories.find(key);
    return it != m_stories.end() && it->second.nLastCycle == m_nCycle;
}

bool IsArticleFailureForNow(FetchFailure failure, int httpStatus) {
    switch (failure) {
    case FetchFailure::Dns:
    case FetchFailure::NoConnection:
    case FetchFailure::Tls:
    case FetchFailure::TimedOut:
    case FetchFailure::BadResponse:
    case FetchFailure::Aborted:
        return true;
    case FetchFailure::HttpStatus:
        return httpStatus >= 500 || httpStatus == 408 || httpStatus == 429 || httpStatus == 0;
    default:
        return false;
    }
}
