// The story links of a news page: which links of a parsed page are stories
// (or price listing rows), each with its headline, target and description.
// A probe pass over the page comes first (it counts stories and listing
// rows and decides how the page is read), then the real pass hands each
// story link, in page order, to a sink. The rules know nothing of where the
// stories go.
#pragma once

#include <atomic>
#include <string>
#include <vector>

class CHtmlParser;

// One story link of a page.
struct StoryCandidate {
    std::string headline;     // the link text; control characters removed
    // The headline as the link shows it, when the filter cleaned it (of a
    // rank number, a trailing arrow); a story may be stored under that form.
    std::string rawHeadline;
    std::string url;          // the absolute target ("" until worked out)
    std::string description;  // the text after the link, or a listing row's price
    // Price listing rows: the item code, the item's own text and the price
    // ("$12.50"); the headline is then "code: text". Empty for other links.
    std::string itemCode;
    std::string itemText;
    std::string price;
    // In a walk without the story filter: the name of the filter's rule that
    // drops the link ("same story" for a repeat of a story kept), or null.
    const char* dropRule = nullptr;

    bool IsListing() const { return !price.empty(); }
};

// Works out the target of the story link being handed to a sink.
class CLinkTarget {
public:
    // Fills in link.url and link.description; false when the link leads
    // nowhere or to the same page as the story link before it (the second
    // of two links in a row to one page is passed over; a third counts
    // again). Each call moves that "link before", so it is made only for a
    // link that is going to be kept; a listing row comes with its target.
    virtual bool Resolve(StoryCandidate& link) = 0;

protected:
    ~CLinkTarget() = default;
};

// Receives the story links of the real pass.
class CStoryLinkSink {
public:
    virtual ~CStoryLinkSink() = default;
    virtual void OnStoryLink(StoryCandidate& link, CLinkTarget& target) = 0;
};

// What the last walk over a page saw.
struct StoryLinkCounts {
    int probeStories = 0;  // story links of more than two words the probe counted
    int listingRows = 0;   // listing rows the probe counted
};

// Walks the links of a parsed page (its address pageUrl) and hands the story
// links to sink. lastTarget is the target of the story link before the page
// (the scanning thread carries it from page to page); it is left at the
// page's last. The walk stops early when *pActive (if given) is not 1.
// bFiltered: the story filter drops what is plainly no story after the
// rules (off only to look at the rules' own output).
StoryLinkCounts WalkStoryLinks(const CHtmlParser& page, const std::string& pageUrl, CStoryLinkSink& sink,
                               std::string& lastTarget, const std::atomic<int>* pActive = nullptr,
                               bool bFiltered = true);

// The story links of a parsed page, with their targets, as the scanning
// thread would record them on its first visit: a link whose headline repeats
// one taken before on the page is the same story and is passed over.
std::vector<StoryCandidate> FindStoryLinks(const CHtmlParser& page, const std::string& pageUrl, bool bFiltered = true);
