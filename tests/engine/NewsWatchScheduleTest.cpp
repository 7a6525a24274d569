// The scanning thread's schedule on a simulated clock: when each page is
// read, what "Scan now" does to the period, the period running on while
// scanning is off, the set-up request, and the first-scan flag.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "common/Messages.h"
#include "support/NewsSite.h"
#include "support/TestHttpServer.h"
#include "tests/engine/NewsWatchTestUtil.h"

namespace {

const char* const kPlainPage =
    "<html><body><ul><li><a href=\"/s.html\">A quiet day on the allotments again</a></li></ul></body></html>";

class NewsWatchScheduleTest : public ::testing::Test {
protected:
    void SetUp() override { g_bFirstScanStarted.store(0); }

    void MakeWatch(int limitSeconds) { watch = std::make_unique<CSimClockWatch>(home, limitSeconds); }

    // n pages, configured as custom URLs; each fetch is logged with the
    // virtual second it happened at.
    void AddPages(int n) {
        for (int i = 0; i < n; ++i) {
            const std::string path = "/p" + std::to_string(i) + ".html";
            server.SetHandler(path, [this, i](const TestHttpRequest&) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_fetches.push_back({i, watch->now.load()});
                TestHttpResponse r;
                r.body = kPlainPage;
                return r;
            });
            home.settings.AddUrl(server.Url(path));
        }
    }

    std::vector<int> FetchTimes() {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<int> out;
        for (const auto& f : m_fetches) out.push_back(f.second);
        return out;
    }
    std::vector<int> FetchedPages() {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<int> out;
        for (const auto& f : m_fetches) out.push_back(f.first);
        return out;
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

private:
    std::mutex m_mutex;
    std::vector<std::pair<int, int>> m_fetches;  // page, second
};

// The forced scan at the start reads every page at second 0. The wake that
// follows it counts as the first second of the period, so the first
// scheduled cycle begins 9 virtual seconds later; every later one a full
// period after the one before.
TEST_F(NewsWatchScheduleTest, TenSecondPeriodSpreadsThreePagesThreeSecondsApart) {
    home.settings.SetPollPeriod(10);
    home.settings.AddKeyword("+zebra");
    AddPages(3);
    MakeWatch(28);
    ASSERT_TRUE(watch->Run());

    EXPECT_EQ(FetchTimes(), (std::vector<int>{0, 0, 0, 9, 12, 15, 19, 22, 25}));
    // Every cycle reads each page once, in the same order.
    const std::vector<int> pages = FetchedPages();
    ASSERT_EQ(pages.size(), 9u);
    for (int c = 1; c < 3; ++c)
        for (int k = 0; k < 3; ++k) EXPECT_EQ(pages[3 * c + k], pages[k]);
    // lParam 1 at a cycle's start, 0 before each further page.
    EXPECT_EQ(StartedParams(), (std::vector<std::intptr_t>{1, 1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(home.window.Count(WM_SCAN_FINISHED), 7);
    EXPECT_EQ(g_bFirstScanStarted.load(), 1);
}

TEST_F(NewsWatchScheduleTest, FivePagesOverSixHundredSecondsAreTwoMinutesApart) {
    home.settings.SetPollPeriod(600);
    home.settings.AddKeyword("+zebra");
    AddPages(5);
    MakeWatch(1300);
    ASSERT_TRUE(watch->Run());
    EXPECT_EQ(FetchTimes(), (std::vector<int>{0, 0, 0, 0, 0, 599, 719, 839, 959, 1079, 1199}));
}

TEST_F(NewsWatchScheduleTest, OnePageIsReadEveryPeriod) {
    home.settings.SetPollPeriod(10);
    home.settings.AddKeyword("+zebra");
    AddPages(1);
    MakeWatch(40);
    ASSERT_TRUE(watch->Run());
    EXPECT_EQ(FetchTimes(), (std::vector<int>{0, 9, 19, 29, 39}));
}

TEST_F(NewsWatchScheduleTest, ScanNowReadsEveryPageAtOnceAndRestartsThePeriod) {
    home.settings.SetPollPeriod(10);
    home.settings.AddKeyword("+zebra");
    AddPages(3);
    MakeWatch(27);
    watch->At(13, [this] { watch->TriggerScan(); });
    ASSERT_TRUE(watch->Run());
    // The cycle begun at 9 had read two pages; the third (due at 15) is read
    // with the others at 13, and the period counts again from there.
    EXPECT_EQ(FetchTimes(), (std::vector<int>{0, 0, 0, 9, 12, 13, 13, 13, 22, 25}));
}

// While scanning is off (disabled, or the machine off line) nothing is read,
// but every 10-second wait still counts 10 seconds, so the next cycle comes
// at the boundary the period reaches meanwhile rather than a period after
// scanning resumed.
class NewsWatchOffTest : public NewsWatchScheduleTest, public ::testing::WithParamInterface<bool> {};

TEST_P(NewsWatchOffTest, PeriodKeepsRunningWhileNothingIsRead) {
    const bool bOffline = GetParam();
    home.settings.SetPollPeriod(60);
    home.settings.AddKeyword("+zebra");
    AddPages(1);
    MakeWatch(100);
    watch->At(5, [&] { bOffline ? watch->SetConnected(false) : watch->Deactivate(); });
    watch->At(45, [&] { bOffline ? watch->SetConnected(true) : watch->Activate(); });
    ASSERT_TRUE(watch->Run());
    // Counted: 6 at second 5, +10 for each of the waits ending at 6, 16, 26,
    // 36 and 46 (56 at second 46), then one per wait: 60 at second 59. Had
    // the count stood still while scanning was off, the cycle would come 40
    // seconds later.
    EXPECT_EQ(FetchTimes(), (std::vector<int>{0, 59}));
}

INSTANTIATE_TEST_SUITE_P(DisabledOrOffline, NewsWatchOffTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Offline" : "Disabled"; });

// An event that is set while the thread may not act on it (switched off, or
// held) stays set; the thread lets the time pass instead of seeing the
// event again and again without waiting.
TEST_F(NewsWatchScheduleTest, PendingScanWaitsWithoutSpinningWhileDisabled) {
    home.settings.SetPollPeriod(600);
    home.settings.AddKeyword("+zebra");
    AddPages(1);
    MakeWatch(100);
    watch->Deactivate();
    watch->At(50, [this] { watch->Activate(); });
    ASSERT_TRUE(watch->Run()) << "the thread did not end: it kept seeing the pending scan";
    EXPECT_EQ(FetchTimes(), (std::vector<int>{50})) << "the start-up scan runs once scanning is on";
    EXPECT_LT(watch->waits.load(), 200);
    EXPECT_EQ(home.window.Count(WM_SCAN_STARTED), 1);
}

TEST_F(NewsWatchScheduleTest, PendingScanWaitsWithoutSpinningWhileHeld) {
    home.settings.SetPollPeriod(600);
    home.settings.AddKeyword("+zebra");
    AddPages(2);
    MakeWatch(20);
    watch->Hold();
    watch->At(5, [this] { watch->Release(); });
    ASSERT_TRUE(watch->Run()) << "the thread did not end: it kept seeing the held event";
    EXPECT_EQ(FetchTimes(), (std::vector<int>{5, 5}));
    EXPECT_LT(watch->waits.load(), 100);
}

// Missing keywords or pages: the main window is asked once (synchronously),
// nothing is fetched, every cycle still ends with WM_SCAN_FINISHED; once
// the set-up is complete the next period boundary scans.
struct SetupCase {
    const char* name;
    bool bKeyword;
    bool bPage;
    std::intptr_t lParam;
};

class NewsWatchSetupTest : public NewsWatchScheduleTest, public ::testing::WithParamInterface<SetupCase> {};

TEST_P(NewsWatchSetupTest, AsksOnceAndFetchesNothingUntilComplete) {
    const SetupCase c = GetParam();
    home.settings.SetPollPeriod(10);
    if (c.bKeyword) home.settings.AddKeyword("+zebra");
    if (c.bPage) AddPages(1);
    MakeWatch(35);
    watch->At(25, [this, c] {
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
    // Checks at 0, 9 and 19 found the set-up incomplete; the one at 29 scans.
    EXPECT_EQ(FetchTimes(), (std::vector<int>{29}));
    EXPECT_EQ(StartedParams(), (std::vector<std::intptr_t>{1}));
    EXPECT_EQ(home.window.Count(WM_SCAN_FINISHED), 4);
}

INSTANTIATE_TEST_SUITE_P(Cases, NewsWatchSetupTest,
                         ::testing::Values(SetupCase{"NoKeywords", false, true, 1},
                                           SetupCase{"NoPages", true, false, 2},
                                           SetupCase{"Nothing", false, false, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NewsWatchScheduleTest, NoFirstScanStartedWhileSetupIsMissing) {
    home.settings.SetPollPeriod(10);
    AddPages(1);
    MakeWatch(15);
    ASSERT_TRUE(watch->Run());
    EXPECT_EQ(g_bFirstScanStarted.load(), 0);
    EXPECT_EQ(server.RequestCount(), 0);
}

// With Ignore_Initial_Stories, stories found by the start-up scan and by
// the first scheduled cycle are stored hidden and never announced; the
// first-scan flag drops when that cycle ends, and a story that appears
// later is announced.
TEST_F(NewsWatchScheduleTest, IgnoreInitialStoriesHidesUntilTheFirstScheduledCycleEnds) {
    CNewsSite site;
    site.Serve(server);
    home.settings.SetPollPeriod(10);
    home.settings.AddKeyword("+inflation");
    home.settings.SetFlag(SETTING_IGNORE_INITIAL_STORIES, 1);
    home.settings.AddUrl(server.Url(CNewsSite::FRONT_PAGE));
    home.LoadArchive();
    MakeWatch(25);

    auto addStory = [this, &site](const std::string& headline, const std::string& path) {
        SiteStory s;
        s.path = path;
        s.headline = headline;
        s.description = "Shoppers said prices in the market hall kept rising this month.";
        s.paragraphs = {"Traders reported that prices kept rising."};
        site.AddStory(s);
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
}

}  // namespace
