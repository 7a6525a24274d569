// The values the core hands its front ends about stories: one story as the
// story windows show it, and the news a front end takes after a wake-up
// (new stories, pages whose read failed, problems with files).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/FileProblem.h"
#include "app/SourceHealth.h"
#include "store/Story.h"

// Identifies a story: the key of the source whose story file holds it and
// its headline.
struct StoryKey {
    std::string source;
    std::string headline;
    bool operator==(const StoryKey&) const = default;
};

struct StoryItem {
    StoryKey key;
    std::string sourceName;   // display name: "Name (Category)" or "Custom: " and the URL
    std::string url;          // the article's address
    std::string description;  // may be empty
    std::string keywords;     // the keyword group that matched; may be empty
    std::int32_t tFound = 0;  // seconds since 1970-01-01 UTC
    int state = STORY_PENDING;
    const std::string& Headline() const { return key.headline; }
};

// What happened since a front end last asked.
struct CoreNews {
    std::vector<StoryItem> stories;        // each new story once, in archive order
    std::vector<PageHealth> failedPages;   // page reads that failed
    std::vector<FileProblem> problems;
    bool Empty() const { return stories.empty() && failedPages.empty() && problems.empty(); }
};

// A field of a tab-separated output line: printable text only (tabs, CR and
// LF become spaces, other control characters are dropped).
std::string OutputField(const std::string& text);
// A stored keyword group ("+stock_market+crash-football") as the user typed
// it: the INCLUDE words, then the EXCLUDE words after "not", phrases with
// their blanks ("stock market, crash, not football").
std::string KeywordsAsTyped(const std::string& stored);

// One line for a story: headline, URL, source display name and keyword
// group, separated by tabs. No line end.
std::string FormatStoryLine(const StoryItem& story);

// The most characters of a headline the windows and notices show.
constexpr std::size_t SHOWN_HEADLINE_MAX = 300;
// A headline as the windows and notices show it (the story keeps all of
// it): longer than SHOWN_HEADLINE_MAX characters, cut there with "…"; with
// bidirectional control characters, isolated (FSI ... PDI, its own
// isolates closed and a stray PDI left out), so that they reorder nothing
// outside it.
std::string ShownHeadline(const std::string& headline);
