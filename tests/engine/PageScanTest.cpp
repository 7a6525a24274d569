// Whole pages through the probe and real passes into a temporary archive,
// and the article reads of the scan modes against a loopback server.
#include <gtest/gtest.h>

#include "common/Messages.h"
#include "support/NewsSite.h"
#include "support/TestHttpServer.h"
#include "tests/engine/EngineTestUtil.h"

namespace {

TEST_F(ScanFixture, PagesGiveTheirStoryLinks) {
    struct { const char* body; Strings headlines; const char* why; } const cases[] = {
        {R"(<p><font size="-1"><a href="a.html">Quake aftermath</a></font>)", {},
         "two small words, not bold, nothing before"},
        {R"(<p><b><font size="-1"><a href="a.html">Quake aftermath</a></font></b>)", {"Quake aftermath"}, "bold"},
        {R"(<p><font size="-1"><a href="a.html">Quake aftermath grows</a></font>)", {"Quake aftermath grows"},
         "three words in size -1"},
        {R"(<p><font size="-2"><a href="a.html">Quake aftermath grows</a></font>)", {},
         "three words in size -2 need text before them"},
        {R"(<p>Latest reports: <font size="-1"><a href="a.html">Quake aftermath</a></font>)", {"Quake aftermath"},
         "plain text before the link"},
        {R"(<p>| <font size="-1"><a href="a.html">Quake aftermath</a></font>)", {},
         "a lone separator character is no text before"},
        {R"(<ul><li><font size="-1"><a href="a.html">Quake aftermath</a></font></ul>)", {"Quake aftermath"},
         "a list item is a story whatever its font"},
        {R"(<p><a href="only.html">Only story on this page today</a>)", {"Only story on this page today"},
         "the probe pass's look at the only link must not make the real pass take it for a repeat"},
        {R"(<p><a href="world/">World News</a><br>
<a href="w/1.html">Rebels seize the northern town</a><br>
<a href="w/2.html">Talks resume in the capital city</a><br>
<p><a href="politics/">Politics</a> <a href="health/">Health</a><br>
<a href="s/1.html">Keeper saves three penalties in final</a><br>
<p><a href="x/3.html">Bakers strike over flour prices</a>)",
         {"Bakers strike over flour prices", "Keeper saves three penalties in final", "Rebels seize the northern town",
          "Talks resume in the capital city"},
         "section headings are followed and not recorded"},
        {R"(<p><a href="sports/">Sports Section</a><p>Our reporters cover every match of the season here.
<p><a href="s/1.html">Keeper saves three penalties</a>)",
         {"Keeper saves three penalties", "Sports Section"},
         "running text after a heading ends the section; the heading is then judged like any link"},
        {R"(<p><a href="sports/">Sports Section</a><p>Our reporters cover every match of the season here.)",
         {"Sports Section"}, "the same when no link follows the running text"},
        {R"(<ul><li><a href="s/1.html">Flood waters rise in the valley</a> <a href="s/1.html">Residents flee the rising water</a> <a href="s/1.html">Army brings sandbags to town</a>
<li><a href="s/2.html">Another story entirely here</a></ul>)",
         {"Another story entirely here", "Army brings sandbags to town", "Flood waters rise in the valley"},
         "an adjacent second link to the same target is dropped; the third counts again"},
    };
    int n = 0;
    for (const auto& c : cases) {
        // Each case is its own page (its own source); relative hrefs give each
        // its own link targets, since the last target is carried across pages.
        const std::string url = "http://news.test/case" + std::to_string(++n) + "/";
        Scan(std::string("<html><body>") + c.body + "</body></html>", url);
        Strings got;
        for (const CStory& s : ArchiveStories(archive))
            if (s.GetSource() == "Custom: " + url) got.push_back(s.GetHeadline());
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, c.headlines) << c.body << ": " << c.why;
    }
}

// The market page's rows: item link, item number, seller number (the same on
// every row, so not taken for an item number), price.
TEST_F(ScanFixture, PriceListingRowsBecomeCodedItems) {
    CNewsSite site;
    Scan(site.MarketPage(), "http://shop.test/market.html");
    EXPECT_EQ(scanner.GetListingRows(), 11) << "the probe turned into the real pass after 11 rows";
    EXPECT_EQ(ArchiveStories(archive).size(), site.Listings().size());
    for (const SiteListing& l : site.Listings()) {
        auto s = FindStory(archive, l.code + ": " + l.title);
        ASSERT_TRUE(s) << l.title << ::testing::PrintToString(SortedHeadlines(archive));
        EXPECT_EQ(s->GetDescription(), l.price);
        EXPECT_EQ(s->GetUrl(), "http://shop.test" + l.path);
    }
}

// Article reads (which stories each mode reads is checked end to end): an
// exclude word in the description vetoes a headline match, and articles go
// through the configured proxy.
TEST_F(ScanFixture, ArticleReads) {
    CTestHttpServer server;
    const std::string mayor = "Mayor opens the new bridge";
    server.SetPage("/a1.html", "<html><head><title>" + mayor + "</title></head><body><h1>" + mayor +
                                   "</h1><p>By a staff writer<p>The council met on Tuesday evening to hear from "
                                   "residents, and after a long debate the members agreed on a plan that opens the "
                                   "bridge and sets a toll for drivers and will shape the town for many years to "
                                   "come, officials said after the meeting ended late.<p>Comments { closed }");
    scanner.SetCycleOptions(1, 1);
    scanner.SetKeywordGroups({CKeywordGroup("+bridge-toll")});
    Scan(R"(<html><body><ul>
<li><a href="/b1.html">Mayor unveils the river bridge</a> Drivers must pay a toll from today onwards.
<li><a href="/b2.html">Second bridge opens downstream</a> Crossing stays free for all drivers.
<li><a href="/b3.html">Third bridge planned upriver</a>
</ul></body></html>)",
         server.Url("/news.html"));
    EXPECT_EQ(StateOf(archive, "Mayor unveils the river bridge"), STORY_PENDING) << "'toll' in the description";
    EXPECT_EQ(StateOf(archive, "Second bridge opens downstream"), STORY_PENDING)
        << "a group with an exclude word needs the description to match too";
    EXPECT_EQ(StateOf(archive, "Third bridge planned upriver"), STORY_NEW) << "no description: the headline decides";
    EXPECT_EQ(server.RequestCount(), 0) << "QuickScan reads no article";

    // The page names an unreachable host; only the proxy makes it reachable.
    server.EnableProxy("Basic YWxpY2U6czNjcmV0");
    settings.SetFlag(SETTING_USE_PROXY, 1);
    settings.SetProxyServerName("127.0.0.1");
    settings.SetProxyPort(server.Port());
    settings.SetProxyUserName("alice");
    settings.SetProxyPassword("s3cret");
    scanner.SetCycleOptions(1, 0);
    scanner.SetKeywordGroups({CKeywordGroup("+bridge+toll")});
    Scan(R"(<html><body><ul><li><a href="/a1.html">Mayor opens the new bridge</a></ul></body></html>)",
         "http://news.invalid/news.html");
    bool bProxied = false;
    for (const TestHttpRequest& r : server.Requests())
        bProxied = bProxied || (r.absoluteForm && r.target == "http://news.invalid/a1.html" &&
                                r.HasHeader("Proxy-Authorization"));
    EXPECT_TRUE(bProxied);
    EXPECT_EQ(StateOf(archive, mayor), STORY_NEW);
}

}  // namespace
