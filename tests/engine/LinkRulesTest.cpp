// The word and href rules that decide whether a link text names a story.
#include <gtest/gtest.h>

#include "engine/PageScanner.h"

namespace {

int Words(const std::string& text) { return CWordString(text).CountWords(0); }

TEST(LinkRules, TextRulesTable) {
    using Rule = int (*)(const std::string&);
    const Rule date = [](const std::string& t) { return CPageScanner::IsDateText(t, Words(t)); };
    const Rule clock = [](const std::string& t) { return CPageScanner::IsClockTime(t); };
    const Rule caps = [](const std::string& t) { return CPageScanner::IsAllCaps(t); };
    const Rule nav = [](const std::string& t) { return CPageScanner::IsNavigationText(t, Words(t)); };
    const Rule photo = [](const std::string& t) { return CPageScanner::IsPhotoCaption(t); };
    struct { Rule rule; const char* text; int expected; const char* why; } const cases[] = {
        {date, "Monday", 1, "a weekday alone"},
        {date, "Sun sets record", 0, "no digit and more than one word"},
        {date, "Stocks slide Monday 2003", 1, "four words with a digit and a weekday"},
        {date, "Talks resume Monday 12 May", 0, "five words are never a date"},
        {date, "Marchers 2 blocks", 1, "'mar' inside a word counts (plain substring)"},
        {clock, "10:45 AM", 1, "hours, colon, two digits, then a blank"},
        {clock, "10:456", 0, "three digits after the colon"},
        {caps, "G8 SUMMIT 2003", 1, "no lower-case letter; digits do not matter"},
        {caps, "NASA launches probe", 0, "a lower-case letter"},
        {nav, "More", 0, "one word holding 'more'"},
        {nav, "More rain expected", 1, "three words may hold 'more'"},
        {nav, "Latest video", 0, "two words holding 'video'"},
        {nav, "Download the new app", 0, "up to five words holding 'download'"},
        {nav, "Why you should not download pirated films", 1, "six words are kept"},
        {photo, "PHOTOS: Smith", 1, "up to three words beginning with 'photo', any case"},
        {photo, "Photographers win top award", 0, "four words"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.rule(c.text), c.expected) << c.text << ": " << c.why;
}

TEST(LinkRules, IsSectionLink) {
    const CFontSize plain{3, 0, 0, 0};
    struct { const char* text; CFontSize font; int expected; const char* why; } const cases[] = {
        {"Top Stories", plain, 1, "'topstor' once spaces are removed"},
        {"Previous", plain, 0, "paging words are no sections"},
        {"Business", plain, 1, "a word of the section list"},
        {"AP", plain, 1, "agency name, case-sensitive"},
        {"Photo", plain, 0, "a one-word photo caption"},
        {"More Daily Business News today", plain, 1, "four or five words need two list words"},
        {"Business travel grows this summer", plain, 0, "only one list word in five words"},
        {"The six words are too many", plain, 0, "more than five words"},
        {"Top Stories", CFontSize{1, 0, 1, 0}, 0, "a plus font is never a section"},
        {"Top Stories", CFontSize{4, 0, 0, 0}, 0, "an absolute size of 4 or more is a headline"},
        {"Cross-Section", plain, 1, "'-' is removed before 'section' is looked for"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CPageScanner::IsSectionLink(c.text, c.font, Words(c.text)), c.expected) << c.text << ": " << c.why;
}

TEST(LinkRules, IsAcceptableHref) {
    struct { const char* href; int expected; const char* why; } const cases[] = {
        {"http://news.test/story/1.html", 1, "an ordinary story"},
        {"mailto:desk@news.test", 0, "mail address"},
        {"/cgi-bin/search?q=x", 0, "cgi and search"},
        {"http://marketplace.test/", 0, "'marketpl'"},
        {"/ads/banner.html", 1, "'/ads' followed by '/'"},
        {"/ads.html", 0, "'/ads' followed by '.'"},
        {"/go?redir=http://x", 0, "'redir' followed by '='"},
        {"/rd.asp?u=1", 0, "'/rd' followed by '.'"},
        {"/ads/x/ads.html", 1, "only the first occurrence of a pattern is tested"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CPageScanner::IsAcceptableHrefText(c.href, "http://news.test/index.html"), c.expected)
            << c.href << ": " << c.why;
}

TEST(LinkRules, ResolveHref) {
    struct { const char *href, *page, *url, *why; } const cases[] = {
        {"b.html", "http://host/a/index.html", "http://host/a/b.html", "relative to the page's directory"},
        {"/c.html", "http://host/a/index.html", "http://host/c.html", "relative to the host"},
        {"HTTP://other/x.html", "http://host/a/", "HTTP://other/x.html", "absolute hrefs are copied"},
        {"../up.html#top", "http://host/a/b/", "http://host/a/b/../up.html#top", "no normalisation"},
        {"//cdn.test/s.html", "https://host/a/", "https://cdn.test/s.html", "an https page gives https"},
        {"", "http://host/a/", "", "an empty href leads nowhere"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CPageScanner::ResolveHref(c.href, c.page), c.url) << c.href << " on " << c.page << ": " << c.why;
}

}  // namespace
