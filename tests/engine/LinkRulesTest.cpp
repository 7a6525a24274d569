// The word and href rules that decide whether a link text names a story.
#include <gtest/gtest.h>

#include "engine/PageScanner.h"

namespace {

struct TextCase {
    const char* text;
    int expected;
    const char* why;
};

int Words(const char* text) { return CWordString(text).CountWords(0); }

TEST(LinkRules, IsDateText) {
    const TextCase cases[] = {
        {"Monday", 1, "a weekday alone"},
        {"Jan 5", 1, "month and day"},
        {"Sun sets record", 0, "no digit and more than one word"},
        {"Stocks slide Monday 2003", 1, "four words with a digit and a weekday"},
        {"Talks resume Monday 12 May", 0, "five words are never a date"},
        {"Report 2003", 0, "digits without a day or month name"},
        {"Marchers 2 blocks", 1, "'mar' inside a word counts (plain substring)"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(CPageScanner::IsDateText(c.text, Words(c.text)), c.expected) << c.text << ": " << c.why;
}

TEST(LinkRules, IsClockTimeAllCapsNavigationPhoto) {
    const TextCase clock[] = {
        {"10:45 AM", 1, "hours, colon, two digits, then a blank"},
        {"10:456", 0, "three digits after the colon"},
        {"10:4", 0, "one digit after the colon"},
        {":45", 0, "no digit before the colon"},
        {"Flight 10:45", 0, "must begin with the digits"},
    };
    for (const TextCase& c : clock) EXPECT_EQ(CPageScanner::IsClockTime(c.text), c.expected) << c.text << ": " << c.why;

    const TextCase caps[] = {
        {"OFFICIAL STATEMENT", 1, "no lower-case letter"},
        {"G8 SUMMIT 2003", 1, "digits do not matter"},
        {"NASA launches probe", 0, "a lower-case letter"},
        {"2003 - 2004", 0, "no letter at all"},
    };
    for (const TextCase& c : caps) EXPECT_EQ(CPageScanner::IsAllCaps(c.text), c.expected) << c.text << ": " << c.why;

    const TextCase nav[] = {
        {"More", 0, "one word holding 'more'"},
        {"Site Search", 0, "two words holding 'search'"},
        {"More rain expected", 1, "three words may hold 'more'"},
        {"Download the new app", 0, "up to five words holding 'download'"},
        {"Why you should not download pirated films", 1, "six words are kept"},
    };
    for (const TextCase& c : nav)
        EXPECT_EQ(CPageScanner::IsNavigationText(c.text, Words(c.text)), c.expected) << c.text << ": " << c.why;

    const TextCase photo[] = {
        {"Photo by Smith", 1, "three words beginning with 'photo'"},
        {"PHOTOS: Smith", 1, "case does not matter"},
        {"Photographers win top award", 0, "four words"},
        {"A photo essay", 0, "must begin with it"},
    };
    for (const TextCase& c : photo)
        EXPECT_EQ(CPageScanner::IsPhotoCaption(c.text), c.expected) << c.text << ": " << c.why;
}

struct SectionCase {
    const char* text;
    CFontSize font;
    int expected;
    const char* why;
};

TEST(LinkRules, IsSectionLink) {
    const CFontSize plain{3, 0, 0, 0};
    const SectionCase cases[] = {
        {"Top Stories", plain, 1, "'topstor' once spaces are removed"},
        {"Full Coverage", plain, 1, "'fullcoverage'"},
        {"Previous", plain, 0, "paging words are no sections"},
        {"Business", plain, 1, "a word of the section list"},
        {"World News", plain, 1, "'news'"},
        {"AP", plain, 1, "agency name, case-sensitive"},
        {"Salon.com", plain, 1, "one word with '.com'"},
        {"|", plain, 1, "a single character"},
        {"Photo", plain, 0, "a one-word photo caption"},
        {"Rebels seize the northern town", plain, 0, "five words without two list words"},
        {"More Daily Business News today", plain, 1, "four or five words need two list words"},
        {"Business travel grows this summer", plain, 0, "only one list word in five words"},
        {"The six words are too many", plain, 0, "more than five words"},
        {"Top Stories", CFontSize{1, 0, 1, 0}, 0, "a plus font is never a section"},
        {"Top Stories", CFontSize{4, 0, 0, 0}, 0, "an absolute size of 4 or more is a headline"},
        {"Top Stories", CFontSize{4, 1, 0, 0}, 1, "size -4 is small"},
        {"Cross-Section", plain, 1, "'-' is removed before 'section' is looked for"},
    };
    for (const SectionCase& c : cases)
        EXPECT_EQ(CPageScanner::IsSectionLink(c.text, c.font, Words(c.text)), c.expected) << c.text << ": " << c.why;
}

struct HrefCase {
    const char* href;
    int expected;
    const char* why;
};

TEST(LinkRules, IsAcceptableHref) {
    const char* page = "http://news.test/index.html";
    const HrefCase cases[] = {
        {"http://news.test/story/1.html", 1, "an ordinary story"},
        {"HTTP://NEWS.TEST/INDEX.HTML", 0, "the page itself, in any case"},
        {"mailto:desk@news.test", 0, "mail address"},
        {"/cgi-bin/search?q=x", 0, "cgi and search"},
        {"/search/results.html", 1, "search without cgi"},
        {"/cgi-bin/story?id=4", 1, "cgi without a service word"},
        {"http://marketplace.test/", 0, "'marketpl'"},
        {"/ads/banner.html", 1, "'/ads' followed by '/'"},
        {"/ads.html", 0, "'/ads' followed by '.'"},
        {"/ads7/x.html", 0, "'/ads' followed by a digit"},
        {"/x/ads", 1, "'/ads' at the very end"},
        {"/go?redir=http://x", 0, "'redir' followed by '='"},
        {"/ad/123", 1, "'/ad' followed by '/'"},
        {"/rd.asp?u=1", 0, "'/rd' followed by '.'"},
        {"/readers/letters.html", 1, "'/rd' does not occur in '/re'"},
        {"/shopping.html", 0, "'shopping' followed by '.'"},
        {"/ads/x/ads.html", 1, "only the first occurrence of a pattern is tested"},
    };
    for (const HrefCase& c : cases)
        EXPECT_EQ(CPageScanner::IsAcceptableHrefText(c.href, page), c.expected) << c.href << ": " << c.why;
}

struct ResolveCase {
    const char* href;
    const char* page;
    const char* url;
    const char* why;
};

TEST(LinkRules, ResolveHref) {
    const ResolveCase cases[] = {
        {"b.html", "http://host/a/index.html", "http://host/a/b.html", "relative to the page's directory"},
        {"/c.html", "http://host/a/index.html", "http://host/c.html", "relative to the host"},
        {"b.html", "http://host", "http://host/b.html", "a page without a path"},
        {"HTTP://other/x.html", "http://host/a/", "HTTP://other/x.html", "absolute hrefs are copied"},
        {"httpdocs/x.html", "http://host/a/", "httpdocs/x.html", "anything beginning with 'http' counts as absolute"},
        {"../up.html#top", "http://host/a/b/", "http://host/a/b/../up.html#top", "no normalisation"},
        {"//cdn.test/s.html", "http://host/a/", "http://cdn.test/s.html", "protocol-relative takes the page's scheme"},
        {"//cdn.test/s.html", "https://host/a/", "https://cdn.test/s.html", "an https page gives https"},
        {"", "http://host/a/", "", "an empty href leads nowhere"},
    };
    for (const ResolveCase& c : cases)
        EXPECT_EQ(CPageScanner::ResolveHref(c.href, c.page), c.url) << c.href << " on " << c.page << ": " << c.why;
}

}  // namespace
