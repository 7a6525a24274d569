#include "app/FetchWatchdog.h"

#include "net/FetchPool.h"
#include "net/HttpFetcher.h"

bool AbortOverdueFetch(CHttpFetcher& fetcher, std::time_t now) {
    const std::time_t start = fetcher.GetStartTime();
    if (start == 0 || std::difftime(now, start) <= FETCH_LIMIT_SECONDS) return false;
    fetcher.AbortRequest();
    return true;
}

bool AbortOverdueFetches(CFetchPool& pool, std::time_t now) {
    bool bAborted = false;
    for (int i = 0; i < pool.FetcherCount(); ++i) bAborted = AbortOverdueFetch(pool.FetcherAt(i), now) || bAborted;
    return bAborted;
}
