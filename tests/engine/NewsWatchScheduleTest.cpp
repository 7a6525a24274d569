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
using Params = std::vector<std::intptr_t>;

// A scanning thread with a poll period, a keyword group when asked and n
// custom pages, whose reads are logged with their virtual second; it runs
// until `limit` virtual seconds.
struct ScheduleRun {
    ScheduleRun(int period, bool bKeyword, int pages, int limit) {
        home.settings.SetPollPeriod(period);
        if (bKeyword) home.settings.AddKeyword("+zebra");
        AddPages(pages);
        watch = std::make_unique<CSimClockWatch>(home, limit);
    }
    void AddPages(int n) {
        for (int i = 0; i < n; ++i) {
            const std::string path = "/p" + std::to_string(i) + ".html";
            server.SetHandler(path, [this](const TestHttpRequest&) {
                std::lock_guard<std::mutex> lock(mutex);
                times.push_back(watch->now.load());
                return TestHttpResponse{
                    .body = "<html><body><ul><li><a href=\"/s.html\">A quiet day on the allotments again</a></ul>"};
            });
            home.settings.AddUrl(server.Url(path));
        }
    }
    Ints FetchTimes() {
        std::lock_guard<std::mutex> lock(mutex);
        return times;
    }
    // The lParam of every message of that kind the main window got.
    Params Sent(unsigned message) {
        Params out;
        for (const RecordedMessage& m : home.window.Messages())
            if (m.message == message) out.push_back(m.lParam);
        return out;
    }

    WatchHome home;
    CTestHttpServer server;
    std::unique_ptr<CSimClockWatch> watch;
    std::mutex mutex;
    Ints times;
};

// The forced scan at the start reads every page at second 0; the wake after
// it counts as the period's first second, so the first scheduled cycle
// begins 9 seconds later, each later one a full period after the one
// before, its pages spread period / pages apart. Scan now reads the pages
// left at once and restarts the period.
TEST(NewsWatchSchedule, PagesAreReadAtTheirTimes) {
    const struct {
        int period, pages, limit, scanNowAt;
        Ints times;
        Params started;   // lParam of WM_SCAN_STARTED: 1 at a cycle's start, 0 before each further page
        Params finished;  // lParam of WM_SCAN_FINISHED: the cycle's pages left
    } cases[] = {
        {10, 3, 28, -1, {0, 0, 0, 9, 12, 15, 19, 22, 25}, {1, 1, 0, 0, 1, 0, 0}, {0, 2, 1, 0, 2, 1, 0}},
        // The cycle begun at 9 had read two pages; the third (due at 15) is read with the others at 13.
        {10, 3, 27, 13, {0, 0, 0, 9, 12, 13, 13, 13, 22, 25}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scanNowAt < 0 ? "scheduled cycles" : "scan now");
        ScheduleRun run(c.period, true, c.pages, c.limit);
        if (c.scanNowAt >= 0) run.watch->At(c.scanNowAt, [&run] { run.watch->TriggerScan(); });
        ASSERT_TRUE(run.watch->Run());
        EXPECT_EQ(run.FetchTimes(), c.times);
        if (!c.started.empty()) {
            EXPECT_EQ(run.Sent(WM_SCAN_STARTED), c.started);
            EXPECT_EQ(run.Sent(WM_SCAN_FINISHED), c.finished);
        }
        EXPECT_EQ(run.watch->FirstScanStarted(), 1);
    }
}

// While the thread may not scan (disabled, off line or held) nothing is
// read, but the period keeps counting: disabled or off line from second 5
// to 45, every 10-second wait counts 10 seconds (6 at second 5, 56 at 46,
// 60 at 59), so the cycle comes at 59 and not 40 seconds later. A scan
// requested meanwhile (the start-up scan) stays pending without the thread
// seeing it again and again, and runs once allowed.
TEST(NewsWatchSchedule, NothingIsReadWhileOffOrHeldButThePeriodRunsAndNothingSpins) {
    const struct {
        const char* name;
        char kind;    // 'd' Deactivate, 'o' off line, 'h' Hold
        int off, on;  // seconds; off -1: from the start
        int period, pages, limit;
        Ints times;
    } cases[] = {
        {"disabled", 'd', 5, 45, 60, 1, 100, {0, 59}},
        {"off line", 'o', 5, 45, 60, 1, 100, {0, 59}},
        {"disabled at the start", 'd', -1, 50, 600, 1, 100, {50}},
        {"held at the start", 'h', -1, 5, 600, 2, 20, {5, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScheduleRun run(c.period, true, c.pages, c.limit);
        CSimClockWatch& watch = *run.watch;
        auto set = [&watch, kind = c.kind](bool on) {
            if (kind == 'd') on ? watch.Activate() : watch.Deactivate();
            if (kind == 'o') watch.SetConnected(on);
            if (kind == 'h') on ? watch.Release() : watch.Hold();
        };
        if (c.off < 0) set(false);
        else watch.At(c.off, [set] { set(false); });
        watch.At(c.on, [set] { set(true); });
        ASSERT_TRUE(watch.Run()) << "the thread did not end: it kept seeing a pending event";
        EXPECT_EQ(run.FetchTimes(), c.times);
        EXPECT_LT(watch.waits.load(), 200);
    }
}

// Missing keywords or pages: the main window is asked once (synchronously,
// lParam 0 both missing, 1 keywords, 2 pages), nothing is fetched, every
// cycle still ends with WM_SCAN_FINISHED, and the first scan has not
// started; once the set-up is complete the next period boundary scans. Only
// the first check of the run asks: keywords deleted later stop the scans
// without asking again.
TEST(NewsWatchSchedule, IncompleteSetupIsAskedForOnceAndNothingIsFetched) {
    for (const std::intptr_t missing : {0, 1, 2}) {
        SCOPED_TRACE(missing);
        const bool bKeyword = missing == 2, bPage = missing == 1;
        ScheduleRun run(10, bKeyword, bPage ? 1 : 0, 35);
        int firstScanStarted = -1;
        run.watch->At(25, [&] {
            firstScanStarted = run.watch->FirstScanStarted();
            if (!bKeyword) run.home.settings.AddKeyword("+zebra");
            if (!bPage) run.AddPages(1);
        });
        ASSERT_TRUE(run.watch->Run());
        EXPECT_EQ(run.Sent(WM_NEED_SETUP), Params{missing});
        const auto messages = run.home.window.Messages();
        EXPECT_TRUE(std::all_of(messages.begin(), messages.end(),
                                [](const RecordedMessage& m) { return m.message != WM_NEED_SETUP || m.sent; }))
            << "sent, not posted";
        EXPECT_EQ(firstScanStarted, 0);
        // Checks at 0, 9 and 19 found the set-up incomplete; the one at 29 scans.
        EXPECT_EQ(run.FetchTimes(), (Ints{29}));
        EXPECT_EQ(run.Sent(WM_SCAN_STARTED), Params{1});
        EXPECT_EQ(run.home.window.Count(WM_SCAN_FINISHED), 4);
    }

    ScheduleRun later(10, true, 1, 25);
    later.watch->At(5, [&] { later.home.settings.ClearKeywords(); });
    ASSERT_TRUE(later.watch->Run());
    EXPECT_EQ(later.home.window.Count(WM_NEED_SETUP), 0);
    EXPECT_EQ(later.FetchTimes(), (Ints{0}));
}

// With Ignore_Initial_Stories, stories found by the start-up scan and by the
// first scheduled cycle are stored hidden, without URL or description, and
// never announced; the flag drops when that cycle ends, and a story that
// appears later is announced.
TEST(NewsWatchSchedule, IgnoreInitialStoriesHidesUntilTheFirstScheduledCycleEnds) {
    ScheduleRun run(10, false, 0, 25);
    WatchHome& home = run.home;
    CNewsSite site;
    site.Serve(run.server);
    home.settings.SetFlag(SETTING_IGNORE_INITIAL_STORIES, 1);
    home.settings.AddUrl(run.server.Url(CNewsSite::FRONT_PAGE));
    home.settings.AddKeyword("+inflation");
    home.LoadArchive();
    auto addStory = [&](const std::string& headline, const std::string& path) {
        site.AddStory({path, headline, "Shoppers said prices in the market hall kept rising this month.",
                       "Traders reported that prices kept rising."});
        site.Serve(run.server);
    };
    int flagAfterStart = -1;
    run.watch->At(5, [&] {
        flagAfterStart = run.watch->GetFirstScanFlag();
        addStory("Inflation worries return to the market hall stalls", "/story/7.html");
    });
    run.watch->At(12, [&] { addStory("Inflation eases for the first time this winter season", "/story/8.html"); });
    ASSERT_TRUE(run.watch->Run());

    EXPECT_EQ(flagAfterStart, 1) << "the start-up scan does not clear the first-scan flag";
    EXPECT_EQ(run.watch->GetFirstScanFlag(), 0);
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
