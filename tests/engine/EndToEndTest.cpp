// End to end: the scanning cycle reads a generated news site from a loopback
// server with real settings, catalogue and story archive, and the tests check
// what the story files hold, which messages reach the main window and which
// article pages were requested.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/Messages.h"
#include "support/NewsSite.h"
#include "support/TestHttpServer.h"
#include "tests/engine/NewsWatchTestUtil.h"

namespace {

const char* const kInflation = "Central bank warns inflation may stay high";
const char* const kStockUp = "Stock market climbs as tech shares rebound";
const char* const kStockFootball = "Stock market dips after football club sale collapses";
const char* const kRiver = "River levels climb after a week of heavy rain";
const char* const kTrial = "Scientists report progress in a new treatment trial";
const char* const kBridge = "Harbour bridge repairs will close two lanes";

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_bFirstScanStarted.store(0);
        site.Serve(server);
    }

    // Include terms, an exclude term and a phrase; see the site's stories.
    // The cycle reads the groups newest first, so "+inflation" is tried first.
    void AddKeywordGroups() {
        for (const char* group : {"+vaccine", "+river+flood", "+stock market-football", "+inflation"})
            ASSERT_TRUE(home.settings.AddKeyword(group));
    }

    // One forced scan, as "Scan now" runs it, on this thread.
    void Scan() {
        if (!watch) {
            watch = std::make_unique<CNewsWatch>(home.settings, home.catalogue, home.archive, home.window);
            watch->Fetcher().SetTimeoutsForTesting(ShortTimeouts());
            watch->LoadStartSettings();
        }
        watch->RunForcedScan();
    }

    const CStory* Find(const std::vector<CStory>& stories, const std::string& headline) {
        for (const CStory& s : stories)
            if (s.GetHeadline() == headline) return &s;
        return nullptr;
    }

    std::vector<std::string> NewHeadlines() {
        std::vector<std::string> out;
        for (const CStory& s : home.Stories())
            if (s.GetState() == STORY_NEW) out.push_back(s.GetHeadline());
        std::sort(out.begin(), out.end());
        return out;
    }

    // "http://127.0.0.1:PORT", for links written absolute.
    std::string Base() const {
        const std::string url = server.Url("");
        return url.substr(0, url.size() - 1);
    }

    int ArticleRequests() {
        int n = 0;
        for (const SiteStory& s : site.Stories()) n += server.RequestCount(s.path);
        return n;
    }

    WatchHome home;
    CTestHttpServer server;
    CNewsSite site;
    std::unique_ptr<CNewsWatch> watch;
};

// The three scan modes on the same site: which stories become new and which
// article pages are read. QuickScan reads none; Standard only those of
// stories whose headline holds an include word of a group that did not
// match (the football story for "stock market", the river story for
// "river"); Extensive every story not already matched by the first group,
// once however many groups it tries.
struct ModeCase {
    const char* name;
    int titleContainsKeyword;
    int checkOnlyTitle;
    std::vector<std::string> newHeadlines;
    std::vector<std::string> articlesRead;
};

class EndToEndModeTest : public EndToEndTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(EndToEndModeTest, StoresEveryStoryAnnouncesMatchesAndReadsArticlesByMode) {
    const ModeCase& c = GetParam();
    AddKeywordGroups();
    home.SetMode(c.titleContainsKeyword, c.checkOnlyTitle);
    const std::string frontUrl = server.Url(CNewsSite::FRONT_PAGE);
    home.settings.AddUrl(frontUrl);
    home.LoadArchive();
    Scan();

    // Every story link of the page is recorded once, new or pending, with
    // its absolute URL, its description and the page as its source.
    const std::vector<CStory> stories = home.Stories();
    EXPECT_EQ(stories.size(), site.Stories().size());
    for (const SiteStory& s : site.Stories()) {
        const CStory* stored = Find(stories, s.headline);
        ASSERT_NE(stored, nullptr) << s.headline;
        EXPECT_EQ(stored->GetUrl(), server.Url(s.path));
        EXPECT_EQ(stored->GetDescription(), s.description);
        EXPECT_EQ(stored->GetSource(), "Custom: " + frontUrl);
    }
    for (const auto& [text, reason] : site.NonStoryLinks())
        EXPECT_EQ(Find(stories, text), nullptr) << "'" << text << "' is " << reason;

    std::vector<std::string> expected = c.newHeadlines;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(NewHeadlines(), expected);
    for (const SiteStory& s : site.Stories()) {
        const bool bRead = std::find(c.articlesRead.begin(), c.articlesRead.end(), s.headline) != c.articlesRead.end();
        EXPECT_EQ(server.RequestCount(s.path), bRead ? 1 : 0) << s.headline;
    }

    // A new story carries the group that matched it.
    const std::pair<const char*, const char*> groups[] = {
        {kInflation, "+inflation"}, {kStockUp, "+stock_market-football"}, {kRiver, "+river+flood"}, {kTrial, "+vaccine"}};
    for (const auto& [headline, group] : groups) {
        const CStory* s = Find(stories, headline);
        if (s && s->GetState() == STORY_NEW) {
            EXPECT_EQ(s->GetKeywords(), group) << headline;
        }
    }

    EXPECT_EQ(home.window.Count(WM_NEW_STORIES), static_cast<int>(c.newHeadlines.size()));
    EXPECT_EQ(home.window.Count(WM_SCAN_STARTED), 1);
    EXPECT_EQ(home.window.Count(WM_SCAN_FINISHED), 1);

    // A second scan finds every headline known: no article is read again and
    // nothing more is announced.
    const int articles = ArticleRequests();
    Scan();
    EXPECT_EQ(server.RequestCount(CNewsSite::FRONT_PAGE), 2);
    EXPECT_EQ(ArticleRequests(), articles);
    EXPECT_EQ(home.window.Count(WM_NEW_STORIES), static_cast<int>(c.newHeadlines.size()));
    EXPECT_EQ(home.Stories().size(), site.Stories().size());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, EndToEndModeTest,
    ::testing::Values(ModeCase{"QuickScan", 1, 1, {kInflation, kStockUp}, {}},
                      ModeCase{"Standard", 1, 0, {kInflation, kStockUp, kRiver}, {kStockFootball, kRiver}},
                      ModeCase{"Extensive", 0, 0, {kInflation, kStockUp, kRiver, kTrial},
                               {kStockUp, kStockFootball, kRiver, kTrial, kBridge}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EndToEndTest, CataloguePagesAreStoredUnderTheSourceAndShownWithTheCategory) {
    home.settings.AddKeyword("+inflation");
    CNewsSource* source = home.catalogue.AddSource("Riverside Courier", 1);
    ASSERT_NE(source, nullptr);
    source->AddCategory(server.Url(CNewsSite::FRONT_PAGE), 1, 1, "Front Page");
    home.LoadArchive();
    Scan();

    ASSERT_NE(home.archive.FindFile("Riverside Courier"), nullptr);
    EXPECT_EQ(home.archive.GetFileCount(), 1);
    const std::vector<CStory> stories = home.Stories();
    const CStory* s = Find(stories, kInflation);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetState(), STORY_NEW);
    EXPECT_EQ(s->GetSource(), "Riverside Courier (Front Page)");
}

TEST_F(EndToEndTest, PriceListingRowsBecomeItemStories) {
    home.settings.AddKeyword("+desk");
    home.settings.AddUrl(server.Url(CNewsSite::MARKET_PAGE));
    home.LoadArchive();
    Scan();

    const std::vector<CStory> stories = home.Stories();
    ASSERT_EQ(stories.size(), site.Listings().size());
    for (const SiteListing& l : site.Listings()) {
        const CStory* s = Find(stories, l.code + ": " + l.title);
        ASSERT_NE(s, nullptr) << l.title;
        EXPECT_EQ(s->GetDescription(), l.price);
        EXPECT_EQ(s->GetUrl(), server.Url(l.path));
    }
    EXPECT_EQ(NewHeadlines(), (std::vector<std::string>{"48213: Oak writing desk with drawers"}));
    EXPECT_EQ(home.window.Count(WM_NEW_STORIES), 1);
}

TEST_F(EndToEndTest, IgnoreInitialStoriesStoresTheStartUpScanHidden) {
    AddKeywordGroups();
    home.settings.SetFlag(SETTING_IGNORE_INITIAL_STORIES, 1);
    home.settings.AddUrl(server.Url(CNewsSite::FRONT_PAGE));
    home.LoadArchive();
    Scan();

    const std::vector<CStory> stories = home.Stories();
    EXPECT_EQ(stories.size(), site.Stories().size());
    for (const CStory& s : stories) {
        EXPECT_EQ(s.GetState(), STORY_HIDDEN) << s.GetHeadline();
        EXPECT_EQ(s.GetUrl(), "") << "a hidden start-up story is stored without its URL";
        EXPECT_EQ(s.GetDescription(), "");
    }
    EXPECT_EQ(home.window.Count(WM_NEW_STORIES), 0);
    EXPECT_EQ(ArticleRequests(), 0);
    EXPECT_EQ(watch->GetFirstScanFlag(), 1) << "only a scheduled cycle clears it";
}

// Pages that cannot be read, or are not HTML, are passed over: the cycle goes
// on with the next page. The broken pages are the newest custom URLs, so
// they come first in the page list.
TEST_F(EndToEndTest, BrokenPagesDoNotStopTheCycle) {
    home.settings.AddKeyword("+inflation");
    home.settings.AddUrl(server.Url(CNewsSite::FRONT_PAGE));

    std::string oversize = "<html><body><ul>";
    while (oversize.size() < 200000)
        oversize += "<li><a href=\"/big.html\">Oversize page story about inflation today</a></li>";
    oversize += "</ul></body></html>";
    server.SetPage("/oversize.html", oversize);
    home.settings.AddUrl(server.Url("/oversize.html"));

    std::string garbage;
    unsigned seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>((seed >> 16) & 0xFF));
        if (i % 97 == 0) garbage += "<a href=\"";
        if (i % 89 == 0) garbage += "</a></td><tr>&#9999999;<";
    }
    server.SetPage("/garbage.html", garbage, "application/octet-stream");
    home.settings.AddUrl(server.Url("/garbage.html"));

    std::string vanished;
    {
        CTestHttpServer gone;
        vanished = gone.Url("/index.html");
    }
    home.settings.AddUrl(vanished);

    TestHttpResponse stall;
    stall.stallBeforeHeaders = true;
    server.SetResponse("/stall.html", stall);
    home.settings.AddUrl(server.Url("/stall.html"));
    home.settings.AddUrl("notawebaddress");
    home.LoadArchive();

    Scan();

    EXPECT_EQ(server.RequestCount("/stall.html"), 1);
    EXPECT_EQ(server.RequestCount("/garbage.html"), 1);
    EXPECT_EQ(server.RequestCount("/oversize.html"), 1);
    EXPECT_EQ(server.RequestCount(CNewsSite::FRONT_PAGE), 1) << "the last page is still read";
    EXPECT_EQ(home.StateOf(kInflation), STORY_NEW);
    EXPECT_EQ(home.StateOf("Oversize page story about inflation today"), -1) << "an oversize page is not scanned";
    EXPECT_EQ(home.window.Count(WM_NEW_STORIES), 1);
    EXPECT_EQ(home.window.Count(WM_SCAN_FINISHED), 1);
    EXPECT_EQ(watch->GetPendingPageCount(), 0);
    server.ReleaseStalls();
}

// "Stop Scanning" during a forced scan: the page in progress ends and no
// further page is read, and the thread stays switched off until it is
// switched on again.
TEST_F(EndToEndTest, DeactivateDuringAForcedScanStopsThePageLoop) {
    home.settings.AddKeyword("+inflation");
    for (int i = 0; i < 3; ++i) {
        const std::string path = "/p" + std::to_string(i) + ".html";
        server.SetHandler(path, [this](const TestHttpRequest&) {
            watch->Deactivate();  // as the main window does, from another thread
            TestHttpResponse r;
            r.body = site.FrontPage(Base());
            return r;
        });
        home.settings.AddUrl(server.Url(path));
    }
    home.LoadArchive();
    Scan();

    EXPECT_EQ(server.RequestCount(), 1);
    EXPECT_EQ(watch->IsActive(), 0);
    EXPECT_EQ(watch->GetPendingPageCount(), 2);
    EXPECT_EQ(home.Stories().size(), 0u) << "the page read while stopping is not scanned";
    watch->ClearPendingWork();
    EXPECT_EQ(watch->GetPendingPageCount(), 0);

    watch->Activate();
    server.ClearPages();
    for (int i = 0; i < 3; ++i) server.SetPage("/p" + std::to_string(i) + ".html", site.FrontPage(Base()));
    Scan();
    EXPECT_EQ(server.RequestCount(), 4) << "every page is read once scanning is on again";
    EXPECT_EQ(home.StateOf(kInflation), STORY_NEW);
}

// A source that is no longer selected loses the pending stories of its file
// (so that its file does not keep growing with stories nobody will see),
// while its announced stories stay. A category dropped from a source that
// stays selected changes nothing: its stories share the source's file.
TEST_F(EndToEndTest, DeselectedSourceLosesItsPendingStoriesButKeepsNewOnes) {
    home.settings.AddKeyword("+inflation");
    home.settings.AddUrl(server.Url(CNewsSite::MARKET_PAGE));  // keeps pages configured throughout
    CNewsSource* source = home.catalogue.AddSource("Riverside Courier", 1);
    ASSERT_NE(source, nullptr);
    source->AddCategory(server.Url(CNewsSite::FRONT_PAGE), 1, 1, "Front Page");
    source->AddCategory(server.Url("/quiet.html"), 1, 2, "Quiet");
    server.SetPage("/quiet.html", "<html><body><p>Nothing today.</p></body></html>");
    home.LoadArchive();
    Scan();
    ASSERT_EQ(home.StateOf(kInflation), STORY_NEW);
    ASSERT_EQ(home.StateOf(kBridge), STORY_PENDING);

    source->SetSelected(1, 0);
    Scan();
    EXPECT_EQ(home.StateOf(kBridge), STORY_PENDING) << "the source is still selected";

    source->SetEnabled(0);
    Scan();
    EXPECT_EQ(home.StateOf(kBridge), -1);
    EXPECT_EQ(home.StateOf(kInflation), STORY_NEW);
    EXPECT_NE(home.archive.FindFile("Riverside Courier"), nullptr) << "the file still holds a new story";
    EXPECT_EQ(home.StateOf("48213: Oak writing desk with drawers"), STORY_PENDING) << "other sources are untouched";
}

}  // namespace
