// Keyword matching in the three scan modes, with article pages served by a
// loopback HTTP server.
#include <gtest/gtest.h>

#include "common/Messages.h"
#include "support/TestHttpServer.h"
#include "tests/engine/ScanTestUtil.h"

namespace {

std::string Article(const std::string& headline, const std::string& middle) {
    return "<html><head><title>" + headline + "</title></head><body><h1>" + headline +
           "</h1><p>By a staff writer<p>The council met on Tuesday evening to hear from residents, and after "
           "a long debate the members agreed on a plan that " +
           middle +
           " and will shape the town for many years to come, officials said after the meeting ended late."
           "<p>Comments { closed }</body></html>";
}

const char* const kPage = R"(<html><body><ul>
<li><a href="/a1.html">Mayor opens the new bridge</a>
<li><a href="/a2.html">Council debates the harbour plan</a>
<li><a href="/a3.html">Weather turns cold this weekend</a>
</ul></body></html>)";

class ScanModeTest : public ScanFixture {
protected:
    void SetUp() override {
        server.SetPage("/a1.html", Article("Mayor opens the new bridge", "opens the bridge and sets a toll for drivers"));
        server.SetPage("/a2.html", Article("Council debates the harbour plan", "adds a new ferry to the island"));
        server.SetPage("/a3.html", Article("Weather turns cold this weekend", "changes nothing at all for anyone"));
        scanner.SetKeywordGroups({CKeywordGroup("+bridge+toll"), CKeywordGroup("+ferry")});
    }

    int StateOf(const std::string& headline) {
        auto stories = Stories();
        const StoredStory* s = Find(stories, headline);
        return s ? s->state : -1;
    }

    CTestHttpServer server;
};

TEST_F(ScanModeTest, QuickScanNeverFetchesAnArticle) {
    scanner.SetCycleOptions(1, 1);
    Scan(kPage, server.Url("/news.html"));
    EXPECT_EQ(server.RequestCount(), 0);
    EXPECT_EQ(Stories().size(), 3u);
    EXPECT_EQ(StateOf("Mayor opens the new bridge"), STORY_PENDING) << "'toll' is only in the article";
    EXPECT_EQ(window.Count(WM_NEW_STORIES), 0);
}

TEST_F(ScanModeTest, StandardReadsTheArticleOnlyForAHeadlineWithAnIncludeWord) {
    scanner.SetCycleOptions(1, 0);
    Scan(kPage, server.Url("/news.html"));
    EXPECT_EQ(server.RequestCount("/a1.html"), 1) << "the headline names 'bridge' of the first group";
    EXPECT_EQ(server.RequestCount("/a2.html"), 0) << "no include word of any group in the headline";
    EXPECT_EQ(server.RequestCount("/a3.html"), 0);
    EXPECT_EQ(StateOf("Mayor opens the new bridge"), STORY_NEW);
    EXPECT_EQ(StateOf("Council debates the harbour plan"), STORY_PENDING);
    EXPECT_EQ(window.Count(WM_NEW_STORIES), 1);
    auto stories = Stories();
    EXPECT_EQ(Find(stories, "Mayor opens the new bridge")->keywords, "+bridge+toll");
}

TEST_F(ScanModeTest, ExtensiveReadsEveryArticleOnceAndKeepsWalkingThePage) {
    scanner.SetCycleOptions(0, 0);
    Scan(kPage, server.Url("/news.html"));
    // One fetch per story, however many groups are tested against it; the
    // page walk goes on after each fetch.
    EXPECT_EQ(server.RequestCount("/a1.html"), 1);
    EXPECT_EQ(server.RequestCount("/a2.html"), 1);
    EXPECT_EQ(server.RequestCount("/a3.html"), 1);
    EXPECT_EQ(scanner.GetArticleFetchCount(), 3);
    EXPECT_EQ(Stories().size(), 3u);
    EXPECT_EQ(StateOf("Mayor opens the new bridge"), STORY_NEW);
    EXPECT_EQ(StateOf("Council debates the harbour plan"), STORY_NEW) << "'ferry' of the second group in the article";
    EXPECT_EQ(StateOf("Weather turns cold this weekend"), STORY_PENDING);
    auto stories = Stories();
    EXPECT_EQ(Find(stories, "Council debates the harbour plan")->keywords, "+ferry");
    EXPECT_EQ(window.Count(WM_NEW_STORIES), 2);
}

TEST_F(ScanModeTest, ExtensiveFetchesAFailingArticleOnlyOnce) {
    scanner.SetCycleOptions(0, 0);
    Scan(R"(<html><body><ul><li><a href="/missing.html">Snow closes the mountain roads</a></ul></body></html>)",
         server.Url("/news.html"));
    EXPECT_EQ(server.RequestCount("/missing.html"), 1) << "a 404 gives no text, and is not asked again for group two";
    EXPECT_EQ(StateOf("Snow closes the mountain roads"), STORY_PENDING);
}

TEST_F(ScanModeTest, HeadlineMatchNeedsNoArticle) {
    scanner.SetCycleOptions(0, 0);
    scanner.SetKeywordGroups({CKeywordGroup("+weather")});
    Scan(kPage, server.Url("/news.html"));
    EXPECT_EQ(server.RequestCount("/a3.html"), 0) << "the headline matched: no article read";
    EXPECT_EQ(StateOf("Weather turns cold this weekend"), STORY_NEW);
}

TEST_F(ScanModeTest, ArticleIsFetchedThroughTheProxy) {
    server.EnableProxy("scan", "secret");
    settings.SetFlag(SETTING_USE_PROXY, 1);
    settings.SetProxyServerName("127.0.0.1");
    settings.SetProxyPort(server.Port());
    settings.SetProxyUserName("scan");
    settings.SetProxyPassword("secret");
    scanner.SetCycleOptions(1, 0);
    Scan(kPage, "http://news.invalid/news.html");
    // The page names an unreachable host; only the proxy makes it reachable.
    ASSERT_GE(server.RequestCount(), 1);
    bool bProxied = false;
    for (const TestHttpRequest& r : server.Requests())
        if (r.absoluteForm && r.target == "http://news.invalid/a1.html" && r.HasHeader("Proxy-Authorization"))
            bProxied = true;
    EXPECT_TRUE(bProxied);
    EXPECT_EQ(StateOf("Mayor opens the new bridge"), STORY_NEW);
}

TEST_F(ScanModeTest, ExcludeWordInTheDescriptionVetoesAHeadlineMatch) {
    scanner.SetCycleOptions(1, 1);
    scanner.SetKeywordGroups({CKeywordGroup("+bridge-toll")});
    Scan(R"(<html><body><ul>
<li><a href="/b1.html">Mayor opens the new bridge</a> Drivers must pay a toll from today onwards.
<li><a href="/b2.html">Second bridge opens downstream</a> Crossing stays free for all drivers.
<li><a href="/b3.html">Third bridge planned upriver</a>
</ul></body></html>)",
         server.Url("/news.html"));
    EXPECT_EQ(StateOf("Mayor opens the new bridge"), STORY_PENDING) << "'toll' in the description";
    EXPECT_EQ(StateOf("Second bridge opens downstream"), STORY_PENDING)
        << "a group with an exclude word needs the description to match too";
    EXPECT_EQ(StateOf("Third bridge planned upriver"), STORY_NEW) << "no description: the headline decides";
}

}  // namespace
