// The scanning thread's schedule on a simulated clock: when each page is
// read, what "Scan now" does to the period, the period running on while
// scanning is off or held, the set-up request, and the first-scan flag.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "common/Messages.h"
#include "support/NewsSite.h"
#include "support/TestHttpServer.h"
#include "tests/engine/EngineTestUtil.h"

namespace {

using Ints = std::vector<int>;

class NewsWatchScheduleTest : public ::testing::Test {
protected:
    void SetUp() override { g_bFirstScanStarted.store(0); }

    // Poll period, a keyword group when asked, n custom pages and the
    // thread that runs until `limit` virtual seconds.
    void Prepare(int period, bool bKeyword, int pages, int limit) {
        home.settings.SetPollPeriod(period);
        if (bKeyword) home.settings.AddKeyword("+zebra");
        AddPages(pages);
        watch = std::make_unique<CSimClockWatch>(home, limit);
    }

    // Each page fetch is logged with the page and the virtual second.
    void AddPages(int n) {
        for (int i = 0; i < n; ++i) {
            const std::string path = "/p" + std::to_string(i) + ".html";
            server.SetHandler(path, [this, i](const TestHttpRequest&) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_pages.push_back(i);
                m_times.push_back(watch->now.load());
                TestHttpResponse r;
                r.body = "<html><body><ul><li><a href=\"/s.html\">A quiet day on the allotments again</a></ul>";
                return r;
            });
            home.settings.AddUrl(server.Url(path));
        }
    }
    Ints FetchTimes() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_times;
    }
    std::vector<std::intptr_t> StartedParams() {
        std::vector<std::intptr_t> out;
        for (const RecordedMessage& m : home.window.Messages())
            if (m.message == WM_SCAN_STARTED) out.push_back(m.lParam);
        return out;
    }

    WatchHome home;
    CTestHttpServer server;
    std::unique_ptr<CSimClockWatch> watch;
    std::mutex m_mutex;
    Ints m_pages, m_times;
};

// The forced scan at the start reads every page at second 0; the wake after
// it counts as the period's first second, so the first scheduled cycle
// begins 9 seconds later, each later one a full period after the one
// before, its pages spread period / pages apart. Scan now reads the pages
// left at once and restarts the period.
struct ScheduleCase {
    const char* name;
    int period, pages, limit, scanNowAt;
    Ints times;
    std::vector<std::intptr_t> started;  // lParam of WM_SCAN_STARTED; empty: not checked
};

class ScheduleTest : public NewsWatchScheduleTest, public ::testing::WithParamInterface<ScheduleCase> {};

TEST_P(ScheduleTest, PagesAreReadAtTheirTimes) {
    const ScheduleCase& c = GetParam();
    Prepare(c.period, true, c.pages, c.limit);
    if (c.scanNowAt >= 0) watch->At(c.scanNowAt, [this] { watch->TriggerScan(); });
    ASSERT_TRUE(watch->Run());
    EXPECT_EQ(FetchTimes(), c.times);
    if (c.scanNowAt < 0) {  // every cycle reads each page once, in the same order
        for (std::size_t i = c.pages; i < m_pages.size(); ++i) EXPECT_EQ(m_pages[i], m_pages[i % c.pages]) << i;
    }
    if (!c.started.empty()) {
        EXPECT_EQ(StartedParams(), c.started) << "1 at a cycle's start, 0 before each further page";
        EXPECT_EQ(home.window.Count(WM_SCAN_FINISHED), static_cast<int>(c.started.size()));
    }
    EXPECT_EQ(g_bFirstScanStarted.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScheduleTest,
    ::testing::Values(ScheduleCase{"ThreePagesTenSeconds", 10, 3, 28, -1, {0, 0, 0, 9, 12, 15, 19, 22, 25},
                                   {1, 1, 0, 0, 1, 0, 0}},
                      ScheduleCase{"FivePagesTenMinutes", 600, 5, 1300, -1,
                                   {0, 0, 0, 0, 0, 599, 719, 839, 959, 1079, 1199}, {}},
                      // The cycle begun at 9 had read two pages; the third
                      // (due at 15) is read with the others at 13.
                      ScheduleCase{"ScanNowRestartsThePeriod", 10, 3, 27, 13, {0, 0, 0, 9, 12, 13, 13, 13, 22, 25}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// While the thread may not scan (disabled, off line or held) nothing is
// read, but the period keeps counting: disabled or off line from second 5
// to 45, every 10-second wait counts 10 seconds (6 at second 5, 56 at 46,
// 60 at 59), so the cycle comes at 59 and not 40 seconds later. A scan
// requested meanwhile (the start-up scan) stays pending without the thread
// seeing it again and again, and runs once allowed.
struct OffCase {
    const char* name;
    char kind;    // 'd' Deactivate, 'o' off line, 'h' Hold
    int off, on;  // seconds; off -1: from the start
    int period, pages, limit;
    Ints times;
};

class NewsWatchOffTest : public NewsWatchScheduleTest, public ::testing::WithParamInterface<OffCase> {};

TEST_P(NewsWatchOffTest, NothingIsReadButThePeriodRunsAndNothingSpins) {
    const OffCase& c = GetParam();
    Prepare(c.period, true, c.pages, c.limit);
    auto set = [this, kind = c.kind](bool on) {
        if (kind == 'd') on ? watch->Activate() : watch->Deactivate();
        if (kind == 'o') watch->SetConnected(on);
        if (kind == 'h') on ? watch->Release() : watch->Hold();
    };
    if (c.off < 0) set(false);
    else watch->At(c.off, [set] { set(false); });
    watch->At(c.on, [set] { set(true); });
    ASSERT_TRUE(watch->Run()) << "the thread did not end: it kept seeing a pending event";
    EXPECT_EQ(FetchTimes(), c.times);
    EXPECT_LT(watch->waits.load(), 200);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NewsWatchOffTest,
    ::testing::Values(OffCase{"Disabled", 'd', 5, 45, 60, 1, 100, {0, 59}},
                      OffCase{"Offline", 'o', 5, 45, 60, 1, 100, {0, 59}},
                      OffCase{"DisabledAtTheStart", 'd', -1, 50, 600, 1, 100, {50}},
                      OffCase{"HeldAtTheStart", 'h', -1, 5, 600, 2, 20, {5, 5}}),
    [](const auto& info) { return std::string(info.param.name); });

// Missing keywords or pages: the main window is asked once (synchronously),
// nothing is fetched, every cycle still ends with WM_SCAN_FINISHED, and the
// first scan has not started; once the set-up is complete the next period
// boundary scans.
struct SetupCase {
    const char* name;
    bool bKeyword, bPage;
    std::intptr_t lParam;
};

class NewsWatchSetupTest : public NewsWatchScheduleTest, public ::testing::WithParamInterface<SetupCase> {};

TEST_P(NewsWatchSetupTest, AsksOnceAndFetchesNothingUntilComplete) {
    const SetupCase c = GetParam();
    Prepare(10, c.bKeyword, c.bPage ? 1 : 0, 35);
    int firstScanStarted = -1;
    watch->At(25, [&] {
        firstScanStarted = g_bFirstScanStarted.load();
        if (!c.bKeyword) home.settings.AddKeyword("+zebra");
        if (!c.bPage) AddPages(1);
    });
    ASSERT_TRUE(watch->Run());

    std::vector<RecordedMessage> setup;
    for (const RecordedMessage& m : home.window.Messages())
        if (m.message == WM_NEED_SETUP) setup.push_back(m);
    ASSERT_EQ(setup.size(), 1u);
    EXPECT_TRUE(setup[0].sent) << "sent, not posted";
    EXPECT_EQ(setup[0].lParam, c.lParam);
    EXPECT_EQ(firstScanStarted, 0);
    // Checks at 0, 9 and 19 found the set-up incomplete; the one at 29 scans.
    EXPECT_EQ(FetchTimes(), (Ints{29}));
    EXPECT_EQ(StartedParams(), (std::vector<std::intptr_t>{1}));
    EXPECT_EQ(home.window.Count(WM_SCAN_FINISHED), 4);
}

INSTANTIATE_TEST_SUITE_P(Cases, NewsWatchSetupTest,
                         ::testing::Values(SetupCase{"NoKeywords", false, true, 1}, SetupCase{"NoPages", true, false, 2},
                                           SetupCase{"Nothing", false, false, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// Only the first check of the run asks: keywords deleted later stop the
// scans without asking again.
TEST_F(NewsWatchScheduleTest, SetupEmptiedLaterIsNotAskedFor) {
    Prepare(10, true, 1, 25);
    watch->At(5, [this] { home.settings.ClearKeywords(); });
    ASSERT_TRUE(watch->Run());
    EXPECT_EQ(home.window.Count(WM_NEED_SETUP), 0);
    EXPECT_EQ(FetchTimes(), (Ints{0}));
}

// With Ignore_Initial_Stories, stories found by the start-up scan and by the
// first scheduled cycle are stored hidden, without URL or description, and
// never announced; the flag drops when that cycle ends, and a story that
// appears later is announced.
TEST_F(NewsWatchScheduleTest, IgnoreInitialStoriesHidesUntilTheFirstScheduledCycleEnds) {
    CNewsSite site;
    site.Serve(server);
    home.settings.SetFlag(SETTING_IGNORE_INITIAL_STORIES, 1);
    home.settings.AddUrl(server.Url(CNewsSite::FRONT_PAGE));
    home.settings.AddKeyword("+inflation");
    home.LoadArchive();
    Prepare(10, false, 0, 25);
    auto addStory = [this, &site](const std::string& headline, const std::string& path) {
        site.AddStory({path, headline, "Shoppers said prices in the market hall kept rising this month.",
                       "Traders reported that prices kept rising."});
        site.Serve(server);
    };
    int flagAfterStart = -1;
    watch->At(5, [&] {
        flagAfterStart = watch->GetFirstScanFlag();
        addStory("Inflation worries return to the market hall stalls", "/story/7.html");
    });
    watch->At(12, [&] { addStory("Inflation eases for the first time this winter season", "/story/8.html"); });
    ASSERT_TRUE(watch->Run());

    EXPECT_EQ(flagAfterStart, 1) << "the start-up scan does not clear the first-scan flag";
    EXPECT_EQ(watch->GetFirstScanFlag(), 0);
    EXPECT_EQ(home.StateOf("Central bank warns inflation may stay high"), STORY_HIDDEN);
    EXPECT_EQ(home.StateOf("Inflation worries return to the market hall stalls"), STORY_HIDDEN)
        << "found by the first scheduled cycle";
    EXPECT_EQ(home.StateOf("Inflation eases for the first time this winter season"), STORY_NEW);
    EXPECT_EQ(home.window.Count(WM_NEW_STORIES), 1);
    EXPECT_EQ(home.Stories().size(), site.Stories().size());
    for (const CStory& s : home.Stories()) {
        if (s.GetState() != STORY_HIDDEN) continue;
        EXPECT_EQ(s.GetUrl(), "") << s.GetHeadline();
        EXPECT_EQ(s.GetDescription(), "") << s.GetHeadline();
    }
}

}  // namespace
