// The fetch watchdog's rule: a page request that has run longer than
// FETCH_LIMIT_SECONDS is aborted. The application core applies it to the
// scanning thread's fetcher; the page commands to their own.
#pragma once

#include <ctime>

class CHttpFetcher;

constexpr double FETCH_LIMIT_SECONDS = 50.0;

// Aborts fetcher's request when it began more than FETCH_LIMIT_SECONDS
// before now. True when it aborted one.
bool AbortOverdueFetch(CHttpFetcher& fetcher, std::time_t now);
