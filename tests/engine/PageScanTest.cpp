// Whole pages through the probe and real passes into a temporary archive.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/Messages.h"
#include "tests/engine/ScanTestUtil.h"

namespace {

using Strings = std::vector<std::string>;

const char* const kNewsPage = R"(<html><head><title>World</title></head><body>
<ul>
<li><a href="/story/1.html">Senate passes the budget bill</a> Lawmakers voted late on Tuesday night.
<li><a href="/story/2.html">Monday</a>
<li><a href="/story/3.html">10:45 AM</a>
<li><a href="/story/4.html">OFFICIAL STATEMENT ISSUED</a>
<li><a href="/story/5.html">More</a>
<li><a href="http://promo.test/click/ads.html">Win a free cruise today</a>
<li><a href="/story/6.html">Photo by Smith</a>
<li><a href="mailto:desk@news.test">Write to the news desk</a>
<li><a href="http://news.test/world/index.html">Front page of this section</a>
<li><a href="b.html">Storm hits the coast hard</a>
</ul>
</body></html>)";

TEST_F(ScanFixture, ListPageKeepsStoriesAndDropsDatesNavigationAdsAndCredits) {
    Scan(kNewsPage, "http://news.test/world/index.html");
    auto stories = Stories();
    ASSERT_EQ(stories.size(), 2u) << ::testing::PrintToString(Headlines());

    const StoredStory* senate = Find(stories, "Senate passes the budget bill");
    ASSERT_NE(senate, nullptr);
    EXPECT_EQ(senate->url, "http://news.test/story/1.html") << "a rooted href takes the page's host";
    EXPECT_EQ(senate->description, "Lawmakers voted late on Tuesday night.");
    EXPECT_EQ(senate->state, STORY_PENDING) << "no keyword group: recorded, not delivered";
    EXPECT_EQ(senate->source, "Custom: http://news.test/world/index.html");

    const StoredStory* storm = Find(stories, "Storm hits the coast hard");
    ASSERT_NE(storm, nullptr);
    EXPECT_EQ(storm->url, "http://news.test/world/b.html") << "a relative href takes the page's directory";
    EXPECT_EQ(storm->description, "") << "nothing follows the last link";
    EXPECT_EQ(window.Count(WM_NEW_STORIES), 0);
}

TEST_F(ScanFixture, MatchingStoryIsDeliveredOnceAndNeverRecordedTwice) {
    scanner.SetKeywordGroups({CKeywordGroup("+budget")});
    Scan(kNewsPage, "http://news.test/world/index.html");
    auto stories = Stories();
    const StoredStory* senate = Find(stories, "Senate passes the budget bill");
    ASSERT_NE(senate, nullptr);
    EXPECT_EQ(senate->state, STORY_NEW);
    EXPECT_EQ(senate->keywords, "+budget");
    EXPECT_EQ(senate->url, "http://news.test/story/1.html");
    const StoredStory* storm = Find(stories, "Storm hits the coast hard");
    ASSERT_NE(storm, nullptr);
    EXPECT_EQ(storm->state, STORY_PENDING);
    ASSERT_EQ(window.Count(WM_NEW_STORIES), 1);
    EXPECT_EQ(window.Messages()[0].wParam, 0u);
    EXPECT_EQ(window.Messages()[0].lParam, 0);

    // The same page again: both headlines are known for this source, in any
    // state, so nothing is recorded or announced again.
    window.Clear();
    Scan(kNewsPage, "http://news.test/world/index.html");
    EXPECT_EQ(Stories().size(), 2u);
    EXPECT_EQ(window.Count(WM_NEW_STORIES), 0);

    // The same headlines on another page belong to another source.
    Scan(kNewsPage, "http://other.test/index.html");
    EXPECT_EQ(Stories().size(), 4u);
    EXPECT_EQ(window.Count(WM_NEW_STORIES), 1);
}

TEST_F(ScanFixture, IgnoredInitialStoriesAreHiddenAndStayKnown) {
    scanner.SetKeywordGroups({CKeywordGroup("+budget")});
    scanner.SetIgnoreInitialStories(1);
    scanner.SetFirstScan(1);
    Scan(kNewsPage, "http://news.test/world/index.html");
    auto stories = Stories();
    ASSERT_EQ(stories.size(), 2u);
    for (const StoredStory& s : stories) {
        EXPECT_EQ(s.state, STORY_HIDDEN) << s.headline;
        EXPECT_EQ(s.url, "") << "hidden stories are stored without URL";
        EXPECT_EQ(s.description, "");
    }
    EXPECT_EQ(window.Count(WM_NEW_STORIES), 0) << "never announced, even when a keyword matches";

    scanner.SetFirstScan(0);
    Scan(kNewsPage, "http://news.test/world/index.html");
    EXPECT_EQ(Stories().size(), 2u);
    EXPECT_EQ(window.Count(WM_NEW_STORIES), 0);

    // A story that appears after the first scan is delivered as usual.
    Scan(std::string(kNewsPage).replace(std::string(kNewsPage).find("Storm hits"), 10, "Flood hits"),
         "http://news.test/world/index.html");
    EXPECT_NE(Find(Stories(), "Flood hits the coast hard"), nullptr);
}

struct FontCase {
    const char* body;
    bool recorded;
    const char* why;
};

TEST_F(ScanFixture, FontAndBoldDecideShortLinks) {
    const FontCase cases[] = {
        {R"(<p><font size="-1"><a href="/a.html">Quake aftermath</a></font>)", false,
         "two small words, not bold, nothing before"},
        {R"(<p><b><font size="-1"><a href="/a.html">Quake aftermath</a></font></b>)", true, "the same in bold"},
        {R"(<p><font size="-1"><a href="/a.html">Quake aftermath grows</a></font>)", true, "three words in size -1"},
        {R"(<p><font size="-2"><a href="/a.html">Quake aftermath grows</a></font>)", false,
         "three words in size -2 need text before them"},
        {R"(<p>Latest reports: <font size="-1"><a href="/a.html">Quake aftermath</a></font>)", true,
         "plain text before the link"},
        {R"(<p>| <font size="-1"><a href="/a.html">Quake aftermath</a></font>)", false,
         "a lone separator character is no text before"},
        {R"(<ul><li><font size="-1"><a href="/a.html">Quake aftermath</a></font></ul>)", true,
         "a list item is a story whatever its font"},
        {R"(<p><font size="+1"><a href="/a.html">Quake aftermath</a></font>)", true, "a plus font"},
        {R"(<p><a href="/a.html">Quake aftermath</a>)", true, "the default size 3"},
    };
    int page = 0;
    for (const FontCase& c : cases) {
        // Each case is its own page (its own source) with its own link target.
        const std::string n = std::to_string(++page);
        const std::string url = "http://news.test/case" + n + ".html";
        std::string body = c.body;
        body.replace(body.find("/a.html"), 7, "/a" + n + ".html");
        Scan("<html><body>" + body + "</body></html>", url);
        bool bFound = false;
        for (const StoredStory& s : Stories()) bFound = bFound || s.source == "Custom: " + url;
        EXPECT_EQ(bFound, c.recorded) << c.body << ": " << c.why;
    }
}

TEST_F(ScanFixture, SectionHeadingsAreFollowedAndNotRecorded) {
    const char* page = R"(<html><body>
<p><a href="/world/">World News</a><br>
<a href="/w/1.html">Rebels seize the northern town</a><br>
<a href="/w/2.html">Talks resume in the capital city</a><br>
<p><a href="/politics/">Politics</a> <a href="/health/">Health</a><br>
<a href="/s/1.html">Keeper saves three penalties in final</a><br>
<p><a href="/x/3.html">Bakers strike over flour prices</a>
</body></html>)";
    Scan(page, "http://news.test/");
    Strings got = Headlines();
    std::sort(got.begin(), got.end());
    Strings want = {"Bakers strike over flour prices", "Keeper saves three penalties in final",
                    "Rebels seize the northern town", "Talks resume in the capital city"};
    EXPECT_EQ(got, want);
}

TEST_F(ScanFixture, HeadingFollowedByRunningTextEndsTheSection) {
    // The plain text after the heading ends the section at once; the heading
    // itself is then judged like any other link, and the walk goes on.
    const char* page = R"(<html><body>
<p><a href="/sports/">Sports Section</a>
<p>Our reporters cover every match of the season here.
<p><a href="/s/1.html">Keeper saves three penalties</a>
</body></html>)";
    Scan(page, "http://news.test/");
    Strings got = Headlines();
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (Strings{"Keeper saves three penalties", "Sports Section"}));
    auto stories = Stories();
    const StoredStory* keeper = Find(stories, "Keeper saves three penalties");
    ASSERT_NE(keeper, nullptr);
    EXPECT_EQ(keeper->url, "http://news.test/s/1.html");
}

TEST_F(ScanFixture, AdjacentLinksToOneTargetMakeOneStory) {
    const char* page = R"(<html><body><ul>
<li><a href="/s/1.html">Flood waters rise in the valley</a> <a href="/s/1.html">Residents flee the rising water</a> <a href="/s/1.html">Army brings sandbags to town</a>
<li><a href="/s/2.html">Another story entirely here</a>
</ul></body></html>)";
    Scan(page, "http://news.test/");
    Strings got = Headlines();
    std::sort(got.begin(), got.end());
    // The second link to the same target is dropped; the third counts again.
    EXPECT_EQ(got, (Strings{"Another story entirely here", "Army brings sandbags to town",
                            "Flood waters rise in the valley"}));
}

TEST_F(ScanFixture, DescriptionSkipsPhotoCreditsAndDropsOneWord) {
    const char* page = R"(<html><body>
<p><a href="/s/1.html">Volcano erupts near the coast</a><br><b>Photo by Smith</b><br>Ash covers nearby villages.
<p><a href="/s/2.html">Markets close higher on Friday</a> Up.
<p><a href="/s/3.html">Teachers vote to end the strike</a> <b>Bold text ends it</b> never reached.
</body></html>)";
    Scan(page, "http://news.test/");
    auto stories = Stories();
    ASSERT_EQ(stories.size(), 3u);
    EXPECT_EQ(Find(stories, "Volcano erupts near the coast")->description, "Ash covers nearby villages.")
        << "a photo credit that is no description text is passed over";
    EXPECT_EQ(Find(stories, "Markets close higher on Friday")->description, "") << "one word is no description";
    EXPECT_EQ(Find(stories, "Teachers vote to end the strike")->description, "") << "bold text stops it at once";
}

TEST_F(ScanFixture, SingleStoryPageIsRecordedOnTheFirstScan) {
    // The probe pass looks at the same link before the real pass; that must
    // not make the real pass take it for a repeat of itself.
    Scan(R"(<html><body><p><a href="/only.html">Only story on this page today</a></body></html>)",
         "http://news.test/");
    EXPECT_EQ(Headlines(), Strings{"Only story on this page today"});
}

// A listing page of twelve rows: item link, item code, seller number, price.
std::string ListingPage() {
    static const char* const names[] = {"Oak desk with drawers", "Pine chair set", "Walnut bookcase tall",
                                        "Maple side table", "Cherry dresser wide", "Birch shelf unit",
                                        "Teak garden bench", "Ash coffee table", "Elm dining chairs",
                                        "Beech wardrobe large", "Cedar chest antique", "Rosewood cabinet"};
    std::string page = "<html><body><table>\n";
    for (int i = 0; i < 12; ++i) {
        char row[400];
        std::snprintf(row, sizeof row,
                      "<tr><td><a href=\"/item?id=%d\">%s</a></td><td>%d</td><td>7777777</td><td>$%d.50</td></tr>\n",
                      i + 1, names[i], 12345 + i, 10 + i);
        page += row;
    }
    page += "</table></body></html>";
    return page;
}

TEST_F(ScanFixture, PriceListingRowsBecomeCodedItems) {
    Scan(ListingPage(), "http://shop.test/list.html");
    EXPECT_EQ(scanner.GetListingRows(), 11) << "the probe turned into the real pass after 11 rows";
    auto stories = Stories();
    ASSERT_EQ(stories.size(), 12u) << ::testing::PrintToString(Headlines());
    const StoredStory* oak = Find(stories, "12345: Oak desk with drawers");
    ASSERT_NE(oak, nullptr) << "the seller number repeats on every row and is no item code: "
                            << ::testing::PrintToString(Headlines());
    EXPECT_EQ(oak->description, "$10.50");
    EXPECT_EQ(oak->url, "http://shop.test/item?id=1");
    EXPECT_NE(Find(stories, "12356: Rosewood cabinet"), nullptr);
}

}  // namespace
