// The scanning thread on the real clock while another thread drives it the
// way the main window and the configuration pages do. Meant to run under
// ThreadSanitizer as well.
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
#include "tests/engine/EngineTestUtil.h"

namespace {

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
    for (int i = 0; i < 400; ++i) {
        switch (i % 10) {
        case 0:  // Scan now
            watch->Activate();
            watch->TriggerScan();
            break;
        case 1:  // the Keywords page edits the groups under the hold
            watch->Hold();
            if (i % 40 == 1) home.settings.ClearKeywords();
            home.settings.AddKeyword(i % 40 == 1 ? std::string("+inflation") : "+word" + std::to_string(i));
            watch->Release();
            break;
        case 2: {  // the News Sources page switches a category
            watch->Hold();
            CRecursiveLockGuard lock(home.catalogue);
            source->SetSelected(1, (i / 10) % 2);
            watch->Release();
            break;
        }
        case 3:  // Stop Scanning, then the resume timer
            watch->Deactivate();
            break;
        case 4:  // the fetch watchdog
            if (watch->GetFetchStartTime() != 0) watch->AbortRequest();
            break;
        case 5:
            watch->ClearPendingWork();
            watch->Activate();
            break;
        case 6: {  // the story list fills itself
            CStoryArchiveGuard lock(home.archive);
            if (home.archive.Open("r+b") == 0) {
                while (home.archive.FindNextVisible()) (void)home.archive.GetCurrentStory();
                home.archive.Close();
            }
            break;
        }
        case 7:  // the maintenance timer
            home.archive.Maintain(false, nullptr);
            break;
        case 8:  // the status bar
            (void)watch->IsActive();
            (void)watch->GetPendingPageCount();
            break;
        default:
            server.ReleaseStalls();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }

    // Left alone and switched on, the thread completes a forced scan.
    watch->Activate();
    server.ReleaseStalls();
    const int finished = home.window.Count(WM_SCAN_FINISHED);
    watch->TriggerScan();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (home.window.Count(WM_SCAN_FINISHED) == finished && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GT(home.window.Count(WM_SCAN_FINISHED), finished);
    EXPECT_GT(server.RequestCount(CNewsSite::FRONT_PAGE) + server.RequestCount("/slow.html"), 0);

    // Exit as the main window does it: switch off (aborting the fetch), then
    // stop and wait.
    const auto start = std::chrono::steady_clock::now();
    watch->Deactivate();
    watch->StopAndWait();
    std::printf("scanning thread stopped after %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - start).count()));
    watch.reset();
    EXPECT_GT(home.Stories().size(), 0u);
}

}  // namespace
