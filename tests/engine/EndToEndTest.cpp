// End to end: the scanning cycle reads a generated news site from a loopback
// server with real settings, catalogue and story archive; the tests check
// what the story files hold, which messages reach the main window and which
// article pages were requested.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/Messages.h"
#include "net/HttpFetcher.h"
#include "support/NewsSite.h"
#include "support/TestHttpServer.h"
#include "tests/engine/EngineTestUtil.h"

namespace {

const char* const kInflation = "Central bank warns inflation may stay high";
const char* const kStockUp = "Stock market climbs as tech shares rebound";
const char* const kStockFootball = "Stock market dips after football club sale collapses";
const char* const kRiver = "River levels climb after a week of heavy rain";
const char* const kTrial = "Scientists report progress in a new treatment trial";
const char* const kBridge = "Harbour bridge repairs will close two lanes";
const char* const kOakDesk = "48213: Oak writing desk with drawers";

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        site.Serve(server);
    }

    // Include terms, an exclude term and a phrase. The cycle reads the
    // groups newest first, so "+inflation" is tried first.
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

// The three scan modes on the same site. QuickScan reads no article;
// Standard only those of stories whose headline holds an include word of a
// group that did not match it; Extensive every story not matched by its
// headline, once however many groups it tries.
struct ModeCase {
    const char* name;
    int titleContainsKeyword, checkOnlyTitle;
    Strings newHeadlines, articlesRead;
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

    // Every story link is recorded once with its absolute URL, description
    // and the page as its source; the site's other links are not.
    EXPECT_EQ(home.Stories().size(), site.Stories().size());
    for (const SiteStory& s : site.Stories()) {
        auto stored = FindStory(home.archive, s.headline);
        ASSERT_TRUE(stored) << s.headline;
        EXPECT_EQ(stored->GetUrl(), server.Url(s.path));
        EXPECT_EQ(stored->GetDescription(), s.description);
        EXPECT_EQ(stored->GetSource(), "Custom: " + frontUrl);
        const bool bRead = std::count(c.articlesRead.begin(), c.articlesRead.end(), s.headline) > 0;
        EXPECT_EQ(server.RequestCount(s.path), bRead ? 1 : 0) << s.headline;
    }
    for (const auto& [text, reason] : site.NonStoryLinks())
        EXPECT_FALSE(FindStory(home.archive, text)) << "'" << text << "' is " << reason;

    Strings expected = c.newHeadlines;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SortedHeadlines(home.archive, STORY_NEW), expected);
    // A new story carries the group that matched it.
    for (auto [headline, group] : {std::pair{kInflation, "+inflation"}, {kStockUp, "+stock_market-football"},
                                   {kRiver, "+river+flood"}, {kTrial, "+vaccine"}}) {
        auto s = FindStory(home.archive, headline);
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

// Pages that cannot be read, or are not HTML, are passed over. They are the
// newest custom URLs, so they come first in the page list.
TEST_F(EndToEndTest, BrokenPagesDoNotStopTheCycle) {
    home.settings.AddKeyword("+inflation");
    home.settings.AddUrl(server.Url(CNewsSite::FRONT_PAGE));
    std::string oversize = "<html><body><ul>";
    while (oversize.size() < MAX_FETCH_BUFFER + 72000)
        oversize += "<li><a href=\"/big.html\">Oversize page story about inflation today</a></li>";
    server.SetPage("/oversize.html", oversize + "</ul></body></html>");
    std::string garbage;
    unsigned seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>((seed >> 16) & 0xFF));
        if (i % 97 == 0) garbage += "<a href=\"";
        if (i % 89 == 0) garbage += "</a></td><tr>&#9999999;<";
    }
    server.SetPage("/garbage.html", garbage, "application/octet-stream");
    TestHttpResponse stall;
    stall.stallBeforeHeaders = true;
    server.SetResponse("/stall.html", stall);
    std::string vanished = CTestHttpServer().Url("/index.html");
    for (const std::string& url : {server.Url("/oversize.html"), server.Url("/garbage.html"), vanished,
                                   server.Url("/stall.html"), std::string("notawebaddress")})
        home.settings.AddUrl(url);
    home.LoadArchive();
    Scan();

    for (const char* path : {"/stall.html", "/garbage.html", "/oversize.html", CNewsSite::FRONT_PAGE})
        EXPECT_EQ(server.RequestCount(path), 1) << path;
    EXPECT_EQ(home.StateOf(kInflation), STORY_NEW) << "the last page is still scanned";
    EXPECT_EQ(home.StateOf("Oversize page story about inflation today"), -1) << "an oversize page is not scanned";
    EXPECT_EQ(home.window.Count(WM_NEW_STORIES), 1);
    EXPECT_EQ(home.window.Count(WM_SCAN_FINISHED), 1);
    EXPECT_EQ(watch->GetPendingPageCount(), 0);
    server.ReleaseStalls();
}

// "Stop Scanning" during a forced scan: the page in progress ends, no
// further page is read, and the thread stays off until switched on again.
TEST_F(EndToEndTest, DeactivateDuringAForcedScanStopsThePageLoop) {
    home.settings.AddKeyword("+inflation");
    const std::string base = server.Url("").substr(0, server.Url("").size() - 1);
    for (int i = 0; i < 3; ++i) {
        const std::string path = "/p" + std::to_string(i) + ".html";
        server.SetHandler(path, [this, base](const TestHttpRequest&) {
            watch->Deactivate();  // as the main window does, from another thread
            TestHttpResponse r;
            r.body = site.FrontPage(base);
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
    for (int i = 0; i < 3; ++i) server.SetPage("/p" + std::to_string(i) + ".html", site.FrontPage(base));
    Scan();
    EXPECT_EQ(server.RequestCount(), 4) << "every page is read once scanning is on again";
    EXPECT_EQ(home.StateOf(kInflation), STORY_NEW);
}

// Catalogue pages are stored under their source and shown with the
// category; listing rows become item stories. A source no longer selected
// loses the pending stories of its file but keeps its announced ones; a
// category dropped from a source that stays selected changes nothing.
TEST_F(EndToEndTest, CatalogueSourcesListingsAndDeselection) {
    home.settings.AddKeyword("+inflation");
    home.settings.AddKeyword("+desk");
    home.settings.AddUrl(server.Url(CNewsSite::MARKET_PAGE));
    CNewsSource* source = home.catalogue.AddSource("Riverside Courier", 1);
    ASSERT_NE(source, nullptr);
    source->AddCategory(server.Url(CNewsSite::FRONT_PAGE), 1, 1, "Front Page");
    source->AddCategory(server.Url("/quiet.html"), 1, 2, "Quiet");
    server.SetPage("/quiet.html", "<html><body><p>Nothing today.</p></body></html>");
    home.LoadArchive();
    Scan();

    EXPECT_EQ(home.archive.GetFileCount(), 2);
    auto inflation = FindStory(home.archive, kInflation);
    ASSERT_TRUE(inflation);
    EXPECT_EQ(inflation->GetState(), STORY_NEW);
    EXPECT_EQ(inflation->GetSource(), "Riverside Courier (Front Page)");
    for (const SiteListing& l : site.Listings()) {
        auto s = FindStory(home.archive, l.code + ": " + l.title);
        ASSERT_TRUE(s) << l.title;
        EXPECT_EQ(s->GetDescription(), l.price);
        EXPECT_EQ(s->GetUrl(), server.Url(l.path));
    }
    EXPECT_EQ(SortedHeadlines(home.archive, STORY_NEW), (Strings{kOakDesk, kInflation}));
    ASSERT_EQ(home.StateOf(kBridge), STORY_PENDING);

    source->SetSelected(1, 0);
    Scan();
    EXPECT_EQ(home.StateOf(kBridge), STORY_PENDING) << "the source is still selected";
    source->SetEnabled(0);
    Scan();
    EXPECT_EQ(home.StateOf(kBridge), -1);
    EXPECT_EQ(home.StateOf(kInflation), STORY_NEW);
    EXPECT_NE(home.archive.FindFile("Riverside Courier"), nullptr) << "the file still holds a new story";
    EXPECT_EQ(home.StateOf(kOakDesk), STORY_NEW) << "other sources are untouched";
}

}  // namespace

namespace {

// A story is recorded only once its keyword test really ran: while its
// article page answers with an error it stays unknown, and the next pass
// tests it again.
TEST_F(EndToEndTest, AStoryWhoseArticleCannotBeReadIsTestedAgainLater) {
    const SiteStory* river = site.FindStory(kRiver);
    ASSERT_NE(river, nullptr);
    server.SetResponse(river->path, 503, "busy");
    home.SetMode(0, 0);
    home.settings.AddKeyword("+sandbags");  // only in the article
    home.settings.AddUrl(server.Url(CNewsSite::FRONT_PAGE));
    home.LoadArchive();

    Scan();
    EXPECT_EQ(home.StateOf(kRiver), -1);
    EXPECT_EQ(home.Stories().size(), site.Stories().size() - 1) << "the others were tested and recorded";
    EXPECT_EQ(home.window.Count(WM_NEW_STORIES), 0);

    site.Serve(server);
    Scan();
    EXPECT_EQ(home.StateOf(kRiver), STORY_NEW);
    EXPECT_EQ(home.window.Count(WM_NEW_STORIES), 1);
    EXPECT_EQ(server.RequestCount(site.Stories().front().path), 1) << "tested stories are not fetched again";
}

// Control characters in web text never reach a story file.
TEST_F(EndToEndTest, ControlCharactersAreNotRecorded) {
    server.SetPage("/odd.html", "<html><body><ul><li><a href=\"/x.html\">Strange \x1b]0;owned\x07 inflation "
                                "figures appear</a> Analysts \x1b[2Jcleared the\tscreen today.</ul></body></html>");
    home.settings.AddKeyword("+inflation");
    home.settings.AddUrl(server.Url("/odd.html"));
    home.LoadArchive();
    Scan();
    const std::vector<CStory> stories = home.Stories();
    ASSERT_EQ(stories.size(), 1u);
    EXPECT_EQ(stories[0].GetHeadline(), "Strange ]0;owned inflation figures appear");
    EXPECT_EQ(stories[0].GetDescription().find('\x1b'), std::string::npos) << stories[0].GetDescription();
    EXPECT_EQ(stories[0].GetDescription().find('\t'), std::string::npos);
}

}  // namespace
