// The story filter: after the link rules have taken a page's story links, it
// drops what is plainly no story, each kind by a small rule of its own, and
// keeps one link per story. The rules read the link's headline, its target
// and where it stands on the page; they know no site.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/PageLayout.h"
#include "engine/StoryLinks.h"
#include "engine/StoryUrl.h"
#include "html/HtmlToken.h"

// One link the rules took, as the filter sees it.
// How far the words of a link text are counted: the link rules and the
// filter compare a count with numbers up to 6 only, so a text of seven words
// or more needs no further counting.
inline constexpr int kLinkWordLimit = 7;

struct FilterLink {
    StoryCandidate* pLink = nullptr;  // headline (cleaned by the filter) and the rest
    int nText = 0;             // the link's first text token
    int nAnchor = -1;          // its opening tag
    // Its absolute target, for the links FilterByHeadline leaves (the caller
    // keeps the text).
    std::string_view url;
    bool bHeadingText = false; // the headline is the heading's before the link
    // What the walk found of the headline as it judged the link, when it
    // knows (-1 otherwise): its words, counted as nWords counts them, and
    // whether it is a generic link text. The filter drops them when it
    // cleans the headline.
    int nJudgedWords = -1;
    signed char nJudgedGeneric = -1;

    // Worked out by the filter before its rules read them, valid while they
    // judge the link (a later link reuses the buffers).
    int nWords = 0;              // words of the headline, counted up to kLinkWordLimit
    UrlPieces pieces;            // the target's parts, views into url
    // The target in lower case (host, segments and query are views into
    // it): url itself when it has no capitals, as most have not, else
    // lowerUrl, a lower-case copy.
    std::string_view lower;
    std::string lowerUrl;
    std::string_view host;       // the target's host, lower case
    std::vector<std::string_view> segments;  // its path segments, lower case
    std::string_view query;      // its query, lower case
    bool bPathDigit = false;     // a digit somewhere in the path
    std::uint32_t nSegmentLetters = 0;  // the letters (a-z) its segments begin with, one bit each
};

// Where the rules look: the page's layout and tokens.
struct FilterPage {
    const CPageLayout& layout;
    std::span<const CHtmlToken> tokens;
    std::string_view pageUrl;
};

// A rule that drops one kind of link that is no story.
struct StoryFilterRule {
    const char* name;
    bool (*drops)(const FilterLink& link, const FilterPage& page);
};
std::span<const StoryFilterRule> StoryFilterRules();

// Cleans a headline of what the page puts around it: a rank number in a
// text of its own before it, arrows and bullets after it. Returns it unchanged
// when there is nothing to clean.
std::string CleanHeadline(const FilterLink& link, const FilterPage& page);

// Applies the filter to the links of one page (in page order), in two
// steps, so that a caller works out the targets (url) only of the links the
// first step leaves (those with no dropRule; a listing row comes with its
// own). FilterByHeadline cleans the headlines and applies the rules that
// read only the headline and where the link stands. FilterStoryLinks then
// applies the rules that read the target and keeps one link per story (per
// normalised target). It returns the positions of the links kept, in page
// order; each dropped link's dropRule names why.
void FilterByHeadline(std::vector<FilterLink>& links, const FilterPage& page);
std::vector<std::size_t> FilterStoryLinks(std::vector<FilterLink>& links, const FilterPage& page);
