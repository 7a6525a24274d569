// RunBusy: runs a piece of work that reads the web (a page check, a source
// update) on a worker thread while the window thread keeps the windows drawn
// with a busy cursor and all input blocked, and returns when it is done. A
// read that runs past the fetch limit is aborted, as the scanning thread's is.
#pragma once

#include <functional>

class CHttpFetcher;

void RunBusy(const std::function<void()>& work, CHttpFetcher& fetcher);
