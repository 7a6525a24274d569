// The fetch watchdog's rule: a page request that has run longer than
// FETCH_LIMIT_SECONDS is aborted. The application core applies it to the
// scanning thread's fetchers, each request on its own; the page commands to
// their own fetcher.
#pragma once

#include <ctime>

class CFetchPool;
class CHttpFetcher;

constexpr double FETCH_LIMIT_SECONDS = 50.0;

// Aborts fetcher's request when it began more than FETCH_LIMIT_SECONDS
// before now. True when it aborted one.
bool AbortOverdueFetch(CHttpFetcher& fetcher, std::time_t now);
// The same for every fetcher of pool. True when it aborted any.
bool AbortOverdueFetches(CFetchPool& pool, std::time_t now);
