#include "app/FetchWatchdog.h"

#include "net/HttpFetcher.h"

bool AbortOverdueFetch(CHttpFetcher& fetcher, std::time_t now) {
    const std::time_t start = fetcher.GetStartTime();
    if (start == 0 || std::difftime(now, start) <= FETCH_LIMIT_SECONDS) return false;
    fetcher.AbortRequest();
    return true;
}
