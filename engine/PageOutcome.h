// PageOutcome: what became of one page the scanning thread set out to read,
// for whoever keeps the sources' health: read with so many story links (and
// so many of them new), or the reason it was not.
#pragma once

#include <string>

#include "net/HttpFetcher.h"

struct PageOutcome {
    std::string url;
    FetchFailure failure = FetchFailure::None;  // None: read
    int httpStatus = 0;
    int nStoryLinks = 0;
    int nNewStories = 0;
};

class CPageOutcomeSink {
public:
    virtual ~CPageOutcomeSink() = default;
    // Called on the scanning thread after every page it read or failed to
    // read (not for a page left when scanning was switched off).
    virtual void OnPageOutcome(const PageOutcome& outcome) = 0;
};
