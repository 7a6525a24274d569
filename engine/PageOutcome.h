// PageOutcome: what became of one page the scanning thread set out to read,
// for whoever keeps the sources' health: read with so many story links (so
// many of them new, so many of their article pages not read), or the reason
// it was not.
#pragma once

#include <string>

#include "net/HttpFetcher.h"

struct PageOutcome {
    std::string url;
    FetchFailure failure = FetchFailure::None;  // None: read
    int httpStatus = 0;
    int nStoryLinks = 0;
    int nNewStories = 0;
    int nArticleFailures = 0;  // article pages of its new stories that could not be read
    // Read with a 304: the page did not change since its last read and was
    // not scanned again.
    bool bNotModified = false;
    // The validators to send with the page's next request; empty when the
    // next read must be a full one (a failed read, or stories of the page
    // left for a later pass).
    HttpValidators validators;
};

class CPageOutcomeSink {
public:
    virtual ~CPageOutcomeSink() = default;
    // Called on the scanning thread after every page it read or failed to
    // read (not for a page left when scanning was switched off).
    virtual void OnPageOutcome(const PageOutcome& outcome) = 0;
    // Called on the scanning thread when a pass ends (as WM_SCAN_FINISHED
    // is posted), with the pages of the cycle still to be read: 0 when the
    // cycle's last page has been read.
    virtual void OnPassFinished(int pagesLeft) { (void)pagesLeft; }
    // The validators the page's last outcome kept; its next request carries
    // them. Called on the scanning thread.
    virtual HttpValidators ValidatorsOf(const std::string&) { return {}; }
};
