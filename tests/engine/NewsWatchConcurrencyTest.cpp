// The scanning thread on the real clock while another thread drives it the
// way the main window and the configuration pages do: Scan now, Stop
// Scanning, Disable/Enable, the fetch watchdog, the hold around settings and
// catalogue edits, the story list reading the archive and the maintenance
// timer. Meant to run under ThreadSanitizer as well.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "common/Messages.h"
#include "common/RecursiveLock.h"
#include "support/NewsSite.h"
#include "support/TestHttpServer.h"
#include "tests/engine/NewsWatchTestUtil.h"

namespace {

// The real thread, on a machine that counts as on line.
class COnlineWatch : public CNewsWatch {
public:
    explicit COnlineWatch(WatchHome& home) : CNewsWatch(home.settings, home.catalogue, home.archive, home.window) {}
    ~COnlineWatch() override {
        Deactivate();
        StopAndWait();
    }

protected:
    bool IsConnected() override { return true; }
};

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

TEST(NewsWatchConcurrencyTest, MainWindowAndPagesDriveTheRunningThread) {
    WatchHome home;
    CTestHttpServer server;
    CNewsSite site;
    site.Serve(server);
    // A page whose body stalls half-way, so that fetches are often in
    // progress when the other thread aborts them.
    TestHttpResponse slow;
    slow.body = site.FrontPage("http://127.0.0.1");
    slow.stallAfterBodyBytes = 200;
    server.SetResponse("/slow.html", slow);

    home.settings.AddKeyword("+inflation");
    home.settings.AddKeyword("+vaccine");
    home.SetMode(0, 0);  // Extensive: article pages are fetched too
    home.settings.AddUrl(server.Url("/slow.html"));
    home.settings.AddUrl(server.Url(CNewsSite::MARKET_PAGE));
    CNewsSource* source = home.catalogue.AddSource("Riverside Courier", 1);
    ASSERT_NE(source, nullptr);
    source->AddCategory(server.Url(CNewsSite::FRONT_PAGE), 1, 1, "Front Page");
    home.LoadArchive();

    auto watch = std::make_unique<COnlineWatch>(home);
    watch->Fetcher().SetTimeoutsForTesting(ShortTimeouts());
    ASSERT_TRUE(watch->CreateThread());

    int visibleSeen = 0;
    for (int i = 0; i < 400; ++i) {
        switch (i % 10) {
        case 0:  // Scan now
            watch->Activate();
            watch->TriggerScan();
            break;
        case 1:  // the Keywords page edits the groups under the hold
            watch->Hold();
            if (i % 40 == 1) {
                home.settings.ClearKeywords();
                home.settings.AddKeyword("+inflation");
            } else {
                home.settings.AddKeyword("+word" + std::to_string(i));
            }
            watch->Release();
            break;
        case 2:  // the News Sources page switches a category
        {
            watch->Hold();
            CRecursiveLockGuard lock(home.catalogue);
            source->SetSelected(1, (i / 10) % 2 == 0 ? 0 : 1);
            watch->Release();
            break;
        }
        case 3:  // Stop Scanning
            watch->Deactivate();
            break;
        case 4:  // the fetch watchdog
            if (watch->GetFetchStartTime() != 0) watch->AbortRequest();
            break;
        case 5:  // the resume timer after Stop Scanning
            watch->ClearPendingWork();
            watch->Activate();
            break;
        case 6:  // the story list fills itself
        {
            CStoryArchiveGuard lock(home.archive);
            if (home.archive.Open("r+b") == 0) {
                while (home.archive.FindNextVisible()) {
                    auto story = home.archive.GetCurrentStory();
                    visibleSeen += story ? 1 : 0;
                }
                home.archive.Close();
            }
            break;
        }
        case 7:  // the maintenance timer
            home.archive.Maintain(false, nullptr);
            break;
        case 8:  // Disable, then Enable
            watch->Deactivate();
            (void)watch->IsActive();
            (void)g_bFirstScanStarted.load();
            (void)watch->GetPendingPageCount();
            watch->Activate();
            break;
        default:
            server.ReleaseStalls();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }

    // Left alone and switched on, the thread completes a forced scan.
    watch->Activate();
    server.ReleaseStalls();
    const int finished = home.window.Count(WM_SCAN_FINISHED);
    watch->TriggerScan();
    EXPECT_TRUE(WaitFor([&] { return home.window.Count(WM_SCAN_FINISHED) > finished; }, 20000));
    EXPECT_GT(home.window.Count(WM_SCAN_STARTED), 0);
    EXPECT_GT(server.RequestCount(CNewsSite::FRONT_PAGE) + server.RequestCount("/slow.html"), 0);

    // Exit as the main window does it: switch off (aborting the fetch), then
    // stop and wait.
    const auto start = std::chrono::steady_clock::now();
    watch->Deactivate();
    watch->StopAndWait();
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    std::printf("scanning thread stopped after %lld ms; %d visible stories read by the list\n",
                static_cast<long long>(ms), visibleSeen);
    watch.reset();
    EXPECT_GT(home.Stories().size(), 0u);
}

}  // namespace
