// Whole pages through the probe and real passes, and end to end: the
// scanning cycle reads a generated news site from a loopback server with
// real settings, catalogue and story archive; the tests check what the
// story files hold, which messages reach the main window and which article
// pages were requested.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include <unicode/unistr.h>

#include "common/Messages.h"
#include "engine/StoryLinks.h"
#include "net/FetchPool.h"
#include "net/HttpFetcher.h"
#include "support/NewsSite.h"
#include "support/TestHttpServer.h"
#include "tests/engine/EngineTestUtil.h"

namespace {

TEST(StoryLinks, PagesGiveTheirStoryLinks) {
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
        {R"(<ul><li><a href="s/1.html">Flood waters rise in the valley</a><li><a href="s/2.html">Flood waters rise in the valley</a>
<li><a href="s/3.html">Army brings sandbags to town</a></ul>)",
         {"Army brings sandbags to town", "Flood waters rise in the valley"}, "a repeated headline is one story"},
        {R"(<ul><li><a href="s/1.html">Flood waters rise in the valley</a><li><a href="s/2.html">Army brings sandbags to town</a>
<li><a href="s/3.html">Bakers strike over flour prices</a><li><a href="s/4.html">Keeper saves three penalties</a>
<li><a href="s/5.html">Talks resume in the capital</a><li><a href="s/6.html">Rebels seize the northern town</a>
<li><a href="s/7.html">Ferry service halted by fog</a><li><a href="s/8.html">Museum opens its new wing</a>
<li><a href="s/9.html">Council votes on the bridge</a><li><a href="s/10.html">Flood waters rise in the valley</a></ul>)",
         {"Army brings sandbags to town", "Bakers strike over flour prices", "Council votes on the bridge",
          "Ferry service halted by fog", "Flood waters rise in the valley", "Keeper saves three penalties",
          "Museum opens its new wing", "Rebels seize the northern town", "Talks resume in the capital"},
         "a headline repeated after eight others is still one story"},
        {R"(<ul><li><a href="s/1.html">Storm hits coast tonight</a><li><a href="s/2.html">Storm hist coast tonight</a></ul>)",
         {"Storm hist coast tonight", "Storm hits coast tonight"},
         "two headlines with one story key (prefix, sum, length) are two stories"},
    };
    for (const auto& c : cases) {
        Strings got;
        for (const StoryCandidate& link : LinksOf(std::string("<html><body>") + c.body + "</body></html>",
                                                  "http://news.test/case/", false))
            got.push_back(link.headline);
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, c.headlines) << c.body << ": " << c.why;
    }
}

// Takes what the real pass hands over; skips (as known) the headlines in
// known, which then get no target worked out.
class CTakingSink : public CStoryLinkSink {
public:
    void OnStoryLink(StoryCandidate& link, CLinkTarget& target) override {
        if (std::count(known.begin(), known.end(), link.headline)) return;
        taken.push_back(target.Resolve(link) ? link.headline + " -> " + link.url : link.headline + " (dropped)");
    }
    Strings known, taken;
};

// The "link before" of the previous-target rule moves only for links whose
// target is worked out, and it is carried from one page to the next.
TEST(StoryLinks, OnlyResolvedTargetsCountAsTheLinkBefore) {
    CHtmlParser page;
    ParseInto(page, R"(<ul><li><a href="/a.html">Flood waters rise in the valley</a> <a href="/a.html">Residents flee the rising water</a>
<li><a href="/b.html">Another story entirely here</a></ul>)");
    {
        CTakingSink all;
        std::string lastTarget;
        WalkStoryLinks(page, "http://news.test/", all, lastTarget, nullptr, false);
        EXPECT_EQ(all.taken, (Strings{"Flood waters rise in the valley -> http://news.test/a.html",
                                      "Residents flee the rising water (dropped)",
                                      "Another story entirely here -> http://news.test/b.html"}));
        EXPECT_EQ(lastTarget, "http://news.test/b.html");
    }
    {
        CTakingSink someKnown;
        someKnown.known = {"Flood waters rise in the valley"};
        std::string lastTarget;
        WalkStoryLinks(page, "http://news.test/", someKnown, lastTarget, nullptr, false);
        EXPECT_EQ(someKnown.taken, (Strings{"Residents flee the rising water -> http://news.test/a.html",
                                            "Another story entirely here -> http://news.test/b.html"}))
            << "a known story does not make the link after it a repeat";
    }
    {
        CTakingSink carried;
        std::string lastTarget = "http://news.test/a.html";  // where the previous page's last story led
        WalkStoryLinks(page, "http://news.test/", carried, lastTarget, nullptr, false);
        EXPECT_EQ(carried.taken.front(), "Flood waters rise in the valley (dropped)");
    }
}

// The walk stops at once when scanning is switched off.
TEST(StoryLinks, TheWalkStopsWhenTheActiveFlagDrops) {
    CHtmlParser page;
    ParseInto(page, R"(<ul><li><a href="/a.html">Flood waters rise in the valley</a>
<li><a href="/b.html">Another story entirely here</a></ul>)");
    struct CStoppingSink : CStoryLinkSink {
        void OnStoryLink(StoryCandidate& link, CLinkTarget&) override {
            seen.push_back(link.headline);
            active.store(0);
        }
        std::atomic<int> active{1};
        Strings seen;
    } sink;
    std::string lastTarget;
    WalkStoryLinks(page, "http://news.test/", sink, lastTarget, &sink.active);
    EXPECT_EQ(sink.seen, Strings{"Flood waters rise in the valley"});
}



// The market page's rows: item link, item number, seller number (the same on
// every row, so not taken for an item number), price.
TEST(StoryLinks, PriceListingRowsBecomeCodedItems) {
    CNewsSite site;
    CHtmlParser page;
    ParseInto(page, site.MarketPage());
    CTakingSink sink;
    std::string lastTarget;
    EXPECT_EQ(WalkStoryLinks(page, "http://shop.test/market.html", sink, lastTarget).listingRows, 11)
        << "the probe turned into the real pass after 11 rows";
    const std::vector<StoryCandidate> links = FindStoryLinks(page, "http://shop.test/market.html");
    ASSERT_EQ(links.size(), site.Listings().size());
    for (std::size_t i = 0; i < links.size(); ++i) {
        const SiteListing& l = site.Listings()[i];
        EXPECT_EQ(links[i].headline, l.code + ": " + l.title);
        EXPECT_EQ(links[i].itemCode, l.code);
        EXPECT_EQ(links[i].price, l.price);
        EXPECT_EQ(links[i].description, l.price);
        EXPECT_EQ(links[i].url, "http://shop.test" + l.path);
    }
}


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

    CNewsWatch& Watch() {
        if (!watch) {
            watch = std::make_unique<CNewsWatch>(home.settings, home.catalogue, home.archive, home.window);
            watch->Fetchers().SetTimeoutsForTesting(ShortTimeouts());
            watch->LoadStartSettings();
        }
        return *watch;
    }
    // One forced scan, as "Scan now" runs it, on this thread.
    void Scan() { Watch().RunForcedScan(); }

    // Pages that cannot be read or are not HTML, as the newest custom URLs
    // (so first in the page list): too large, binary, stalled, on a server
    // that is gone, and not a web address at all.
    void AddBrokenPages() {
        std::string oversize = "<html><body><ul>";
        while (oversize.size() < MAX_PAGE_BYTES)
            oversize += "<li><a href=\"/big.html\">Oversize page story about inflation today</a></li>";
        server.SetPage("/oversize.html", oversize + "</ul></body></html>");
        std::string garbage;
        for (unsigned i = 0, seed = 12345; i < 20000; ++i) {
            seed = seed * 1103515245u + 12345u;
            garbage.push_back(static_cast<char>((seed >> 16) & 0xFF));
            if (i % 97 == 0) garbage += "<a href=\"";
            if (i % 89 == 0) garbage += "</a></td><tr>&#9999999;<";
        }
        server.SetPage("/garbage.html", garbage, "application/octet-stream");
        server.SetResponse("/stall.html", {.stallBeforeHeaders = true});
        for (const std::string& url : {server.Url("/oversize.html"), server.Url("/garbage.html"),
                                       CTestHttpServer().Url("/index.html"), server.Url("/stall.html"),
                                       std::string("notawebaddress")})
            home.settings.AddUrl(url);
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
struct ModeCase { const char* name; int titleContainsKeyword, checkOnlyTitle; Strings newHeadlines, articlesRead; };

class EndToEndModeTest : public EndToEndTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(EndToEndModeTest, StoresEveryStoryAnnouncesMatchesAndReadsArticlesByMode) {
    const ModeCase& c = GetParam();
    AddKeywordGroups();
    home.settings.SetFlag(SETTING_TITLE_CONTAINS_KEYWORD, c.titleContainsKeyword);
    home.settings.SetFlag(SETTING_CHECK_ONLY_TITLE, c.checkOnlyTitle);
    const std::string frontUrl = server.Url(CNewsSite::FRONT_PAGE);
    home.settings.AddUrl(frontUrl);
    AddBrokenPages();  // passed over: they do not stop the cycle
    home.LoadArchive();
    // The pages are read side by side: limits that a loaded machine (or a
    // sanitizer build) keeps also while the large page is being received.
    FetchTimeouts side = ShortTimeouts();
    side.connectMs = side.sendMs = side.receiveMs = 3000;
    Watch().Fetchers().SetTimeoutsForTesting(side);
    Scan();
    for (const char* path : {"/stall.html", "/garbage.html", "/oversize.html", CNewsSite::FRONT_PAGE})
        EXPECT_EQ(server.RequestCount(path), 1) << path;

    // Every story link is recorded once with its absolute URL, description
    // and the page as its source; the site's other links are not.
    auto fromFrontPage = [&] {
        const auto all = home.Stories();
        return std::count_if(all.begin(), all.end(),
                             [&](const CStory& s) { return s.GetSource() == "Custom: " + frontUrl; });
    };
    EXPECT_EQ(fromFrontPage(), static_cast<long>(site.Stories().size()));
    for (const SiteStory& s : site.Stories()) {
        auto stored = FindStory(home.archive, s.headline);
        ASSERT_TRUE(stored) << s.headline;
        EXPECT_EQ(stored->GetUrl(), server.Url(s.path));
        EXPECT_EQ(stored->GetDescription(), s.description);
        EXPECT_EQ(stored->GetSource(), "Custom: " + frontUrl);
        const bool bRead = std::count(c.articlesRead.begin(), c.articlesRead.end(), s.headline) > 0;
        EXPECT_EQ(server.RequestCount(s.path), bRead ? 1 : 0) << s.headline;
    }

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
    EXPECT_EQ(watch->GetPendingPageCount(), 0);

    // A second scan finds every headline known: no article is read again and
    // nothing more is announced.
    const int articles = ArticleRequests();
    Scan();
    EXPECT_EQ(server.RequestCount(CNewsSite::FRONT_PAGE), 2);
    EXPECT_EQ(ArticleRequests(), articles);
    EXPECT_EQ(home.window.Count(WM_NEW_STORIES), static_cast<int>(c.newHeadlines.size()));
    EXPECT_EQ(fromFrontPage(), static_cast<long>(site.Stories().size()));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, EndToEndModeTest,
    ::testing::Values(ModeCase{"QuickScan", 1, 1, {kInflation, kStockUp}, {}},
                      ModeCase{"Standard", 1, 0, {kInflation, kStockUp, kRiver}, {kStockFootball, kRiver}},
                      ModeCase{"Extensive", 0, 0, {kInflation, kStockUp, kRiver, kTrial},
                               {kStockUp, kStockFootball, kRiver, kTrial, kBridge}}),
    [](const auto& info) { return std::string(info.param.name); });

// Counts the requests a loopback server is answering at once. Front pages
// wait at a gate that the test opens; page 0 also waits until page 3 has been
// answered, so that the pages come back out of their order.
struct GatedSites {
    std::mutex mutex;
    std::condition_variable cv;
    std::map<const CTestHttpServer*, int> running, most;
    int total = 0, mostTotal = 0;
    bool bOpen = false, bPage3Done = false;

    CTestHttpServer::Handler Page(const CTestHttpServer* server, std::string body, int index, bool bGated) {
        return [this, server, body = std::move(body), index, bGated](const TestHttpRequest&) {
            std::unique_lock<std::mutex> lock(mutex);
            most[server] = std::max(most[server], ++running[server]);
            mostTotal = std::max(mostTotal, ++total);
            cv.notify_all();
            const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            if (bGated) cv.wait_until(lock, limit, [&] { return bOpen; });
            if (index == 0) cv.wait_until(lock, limit, [&] { return bPage3Done; });
            if (index == 3) bPage3Done = true;
            --running[server];
            --total;
            cv.notify_all();
            return TestHttpResponse{.body = body};
        };
    }
    bool WaitForRunning(const CTestHttpServer* server, int n) {
        std::unique_lock<std::mutex> lock(mutex);
        return cv.wait_for(lock, std::chrono::seconds(20), [&] { return running[server] >= n; });
    }
    void Open() {
        std::lock_guard<std::mutex> lock(mutex);
        bOpen = true;
        cv.notify_all();
    }
};

class CRecordedNews : public CNewStorySink {
public:
    void OnNewStory(const CStory& story, const std::string&) override { headlines.push_back(story.GetHeadline()); }
    Strings headlines;
};

// A forced scan reads ahead while it scans: at most four requests to one
// host and eight in all run at once, and the stories are still tested,
// stored and announced in the order of the pages and of their links, though
// the pages and the article pages come back in another order. "Stop
// Scanning" during the pass ends every request in flight at once (stalled
// ones, which would otherwise last the whole receive time-out); no further
// page is read, and the thread stays off until switched on again.
TEST_F(EndToEndTest, AnOverlappedPassKeepsItsOrderAndBoundsAndStopsAtOnce) {
    home.settings.SetFlag(SETTING_TITLE_CONTAINS_KEYWORD, 0);
    home.settings.SetFlag(SETTING_CHECK_ONLY_TITLE, 0);  // Extensive: every article is read
    home.settings.AddKeyword("+flood");
    home.settings.AddKeyword("+mill");  // only in some articles
    CTestHttpServer other;
    GatedSites gates;
    CNewsSource* source = home.catalogue.AddSource("Two Hosts", 1);
    ASSERT_NE(source, nullptr);
    Strings expected;
    for (int page = 0; page < 12; ++page) {
        // Pages 0-7 on one host, 8-11 on the other.
        CTestHttpServer& host = page < 8 ? server : other;
        std::string body = "<html><body><ul>";
        for (int story = 0; story < 3; ++story) {
            const std::string path = "/a" + std::to_string(page) + "-" + std::to_string(story) + ".html";
            const std::string headline = (story == 0 ? "Flood warning for district " : "Council meets in district ") +
                                         std::to_string(page) + " item " + std::to_string(story);
            body += "<li><a href=\"" + path + "\">" + headline + "</a>";
            const bool bMill = story == 1 && page % 2 == 0;
            host.SetHandler(path, gates.Page(&host,
                                             "<html><body><article><p>" +
                                                 std::string(bMill ? "The old mill by the river" : "The town hall") +
                                                 " was the place of the meeting on Monday.</p></article></body></html>",
                                             -1, false));
            if (story == 0 || bMill) expected.push_back(headline);
        }
        const std::string path = "/front" + std::to_string(page) + ".html";
        host.SetHandler(path, gates.Page(&host, body + "</ul></body></html>", page, true));
        ASSERT_TRUE(source->AddCategory(host.Url(path), 1, page + 1, "Section " + std::to_string(page)));
    }
    CRecordedNews news;
    Watch().SetNewStorySink(news);
    home.LoadArchive();

    auto scan = std::async(std::launch::async, [this] { Scan(); });
    EXPECT_TRUE(gates.WaitForRunning(&server, CFetchPool::MAX_PER_HOST));
    gates.Open();
    scan.wait();
    EXPECT_EQ(gates.most[&server], CFetchPool::MAX_PER_HOST);
    EXPECT_LE(gates.most[&other], CFetchPool::MAX_PER_HOST);
    EXPECT_LE(gates.mostTotal, CFetchPool::MAX_IN_FLIGHT);
    EXPECT_EQ(news.headlines, expected);
    EXPECT_EQ(home.Stories().size(), 36u) << "every story tested and stored";

    // Stop during a pass: every page stalls; the requests in flight end at
    // once, the pages read ahead go back to the list.
    server.ClearLog();
    other.ClearLog();
    const TestHttpResponse stall{.body = site.FrontPage(server.Url("")), .stallBeforeHeaders = true};
    for (int page = 0; page < 12; ++page) {
        CTestHttpServer& host = page < 8 ? server : other;
        host.SetResponse("/front" + std::to_string(page) + ".html", stall);
    }
    FetchTimeouts patient = ShortTimeouts();
    patient.receiveMs = 60000;
    Watch().Fetchers().SetTimeoutsForTesting(patient);
    scan = std::async(std::launch::async, [this] { Scan(); });
    ASSERT_TRUE(server.WaitForStalls(CFetchPool::MAX_PER_HOST, 10000));
    watch->Deactivate();  // as the main window does, from another thread
    const bool ended = scan.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    bool bAllEnded = false;
    for (int i = 0; i < 500 && !bAllEnded; ++i) {
        bAllEnded = watch->GetFetchStartTime() == 0;
        if (!bAllEnded) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    server.ReleaseStalls();
    other.ReleaseStalls();
    scan.wait();
    EXPECT_TRUE(ended) << "the stalled fetch was not aborted";
    EXPECT_TRUE(bAllEnded) << "a request read ahead still ran";
    EXPECT_EQ(server.RequestCount(), CFetchPool::MAX_PER_HOST);
    EXPECT_EQ(watch->IsActive(), 0);
    // Only the page being waited for, if any yet, is dropped.
    EXPECT_GE(watch->GetPendingPageCount(), 11);
    EXPECT_LE(watch->GetPendingPageCount(), 12);
    watch->ClearPendingWork();
    EXPECT_EQ(watch->GetPendingPageCount(), 0);

    watch->Activate();
    for (int page = 0; page < 12; ++page) {
        CTestHttpServer& host = page < 8 ? server : other;
        host.SetPage("/front" + std::to_string(page) + ".html",
                     "<html><body><ul><li><a href=\"/b" + std::to_string(page) + ".html\">Flood returns to district " +
                         std::to_string(page) +
                         " again</a></ul></body></html>");
    }
    Scan();
    EXPECT_EQ(server.RequestCount(), CFetchPool::MAX_PER_HOST + 8 * 2) << "every page is read once scanning is on again";
    EXPECT_EQ(home.StateOf("Flood returns to district 11 again"), STORY_NEW);
}


// Catalogue pages are stored under their source and shown with the
// category; listing rows become item stories. A source no longer selected
// loses the pending stories of its file but keeps its announced ones; a
// category dropped from a source that stays selected changes nothing.
TEST_F(EndToEndTest, CatalogueSourcesListingsAndDeselection) {
    home.settings.AddKeyword("+inflation");
    home.settings.AddKeyword("+oak+desk");
    home.settings.AddUrl(server.Url(CNewsSite::MARKET_PAGE));
    CNewsSource* source = home.catalogue.AddSource("Riverside Courier", 1);
    ASSERT_NE(source, nullptr);
    source->AddCategory(server.Url(CNewsSite::FRONT_PAGE), 1, 1, "Front Page");
    source->AddCategory(server.Url("/quiet.html"), 1, 2, "Quiet");
    server.SetPage("/quiet.html", "<html><body><p>Nothing today.</p></body></html>");
    home.LoadArchive();
    Scan();

    EXPECT_EQ(home.archive.GetFileCount(), 2);
    EXPECT_EQ(SortedHeadlines(home.archive, STORY_NEW), (Strings{kOakDesk, kInflation}));
    EXPECT_EQ(FindStory(home.archive, kInflation).value_or(CStory()).GetSource(), "Riverside Courier (Front Page)");
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

    // A source whose file keeps nothing loses it; chosen again, it gets a new one.
    server.SetPage("/ferry.html", "<html><body><ul><li><a href=\"/2024/ferry.html\">Harbour ferry timetable "
                                  "changes in the spring</a></ul></body></html>");
    CNewsSource* gazette = home.catalogue.AddSource("Harbour Gazette", 1);
    ASSERT_NE(gazette, nullptr);
    gazette->AddCategory(server.Url("/ferry.html"), 1, 1, "Ferries");
    Scan();
    ASSERT_NE(home.archive.FindFile("Harbour Gazette"), nullptr);
    gazette->SetEnabled(0);
    Scan();
    EXPECT_EQ(home.archive.FindFile("Harbour Gazette"), nullptr);
    gazette->SetEnabled(1);
    Scan();
    EXPECT_EQ(home.StateOf("Harbour ferry timetable changes in the spring"), STORY_PENDING);
    EXPECT_NE(home.archive.FindFile("Harbour Gazette"), nullptr);
}

// A story is recorded only once its keyword test really ran: while its
// article page answers with an error it stays unknown, and the next pass
// tests it again.
TEST_F(EndToEndTest, AStoryWhoseArticleCannotBeReadIsTestedAgainLater) {
    const SiteStory& river = site.Stories()[3];
    ASSERT_EQ(river.headline, kRiver);
    server.SetResponse(river.path, {.status = 503, .body = "busy"});
    home.settings.SetFlag(SETTING_TITLE_CONTAINS_KEYWORD, 0);
    home.settings.SetFlag(SETTING_CHECK_ONLY_TITLE, 0);
    home.settings.AddKeyword("+mill");  // only in the article
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

// A page in a legacy encoding is read as the server declares it: its
// stories are stored and matched in UTF-8; control characters in web text
// never reach a story file.
TEST_F(EndToEndTest, ALegacyEncodedPageGivesUtf8Stories) {
    const std::string headline = "Москва готовится к большому празднику на площади";
    const std::string description = "Гости увидят салют и концерт «Весна» в субботу.";
    const std::string utf8 = "<html><body><ul><li><a href=\"/ru/1.html\">" + headline + "</a> " + description +
                             "</ul></body></html>";
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(utf8);
    std::string cp1251(static_cast<std::size_t>(text.extract(0, text.length(), nullptr, "windows-1251")), '\0');
    text.extract(0, text.length(), cp1251.data(), "windows-1251");
    ASSERT_EQ(cp1251.find("\xD0"), std::string::npos) << "not UTF-8 any more";
    server.SetResponse("/ru.html", {.body = cp1251, .headers = {{"Content-Type", "text/html; charset=windows-1251"}}});
    server.SetPage("/odd.html", "<html><body><ul><li><a href=\"/2024/x.html\">Strange \x1b]0;owned\x07 inflation "
                                "figures appear</a> Analysts \x1b[2Jcleared the\tscreen today.</ul></body></html>");
    home.settings.AddKeyword("+МОСКВА");
    home.settings.AddUrl(server.Url("/ru.html"));
    home.settings.AddUrl(server.Url("/odd.html"));
    home.LoadArchive();
    Scan();
    const std::optional<CStory> odd = FindStory(home.archive, "Strange ]0;owned inflation figures appear");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->GetDescription(), "Analysts [2Jcleared the screen today.");
    const std::optional<CStory> story = FindStory(home.archive, headline);
    ASSERT_TRUE(story);
    EXPECT_EQ(story->GetState(), STORY_NEW);
    EXPECT_EQ(story->GetDescription(), description);
}


}  // namespace
