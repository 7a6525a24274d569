// --scan-once and --headless: the scanning thread's work on the application
// folder, with the fetch watchdog (and, for --headless, the archive
// maintenance) running on a timer of their own.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "app/DutyTimer.h"
#include "app/Messages.h"
#include "cli/CommandRunners.h"
#include "cli/HeadlessCore.h"
#include "cli/HeadlessTarget.h"

namespace {

// The main window of --scan-once, on the scan's own thread: hands the
// scanning thread's messages to the core, remembers the set-up request, if
// any, and reports the news as it comes, in batches: failed pages, and new
// stories in the order they were found, so that a pass over thousands of
// pages holds a batch of stories, not all of them.
class CScanOnceTarget : public CMessageTarget {
public:
    static constexpr int STORIES_PER_BATCH = 256;

    explicit CScanOnceTarget(CAppCore& core) : m_core(core) {}
    void Post(unsigned message, std::uintptr_t, std::intptr_t lParam) override {
        m_core.OnWakeUp(message, lParam);
        if (message == WM_NEW_STORIES && ++m_nUnreported >= STORIES_PER_BATCH) Report();
    }
    std::intptr_t Send(unsigned message, std::uintptr_t, std::intptr_t lParam) override {
        if (message == WM_NEED_SETUP) m_nSetup = static_cast<int>(lParam);
        return 0;
    }
    // Prints what is new: failed pages on stderr, stories on stdout
    // (announced through the core).
    void Report() {
        m_nUnreported = 0;
        const CoreNews news = m_core.TakeNewsSoFar();
        for (const PageHealth& page : news.failedPages) {
            std::fprintf(stderr, "skimbolt: %s\n", PageFailedLine(page).c_str());
            m_failed.insert(page.url);
        }
        if (news.stories.empty()) return;
        std::string text;
        for (const StoryItem& story : news.stories) text += FormatStoryLine(story) + "\n";
        m_core.AnnounceStories(news.stories, [&text] { return WriteAtOnce(stdout, text); });
    }

    CAppCore& m_core;
    int m_nSetup = -1;
    int m_nUnreported = 0;
    std::set<std::string> m_failed;  // URLs of the failed pages
};

const char* SetupText(int lParam) {
    switch (lParam) {
    case 1:
        return "no keyword groups";
    case 2:
        return "no news source or custom URL";
    default:
        return "no keyword groups and no news source or custom URL";
    }
}

// Set by the signal handler, which may run on any thread; a lock-free
// atomic is safe to store from a handler.
std::atomic<int> g_nStopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int signal) { g_nStopSignal.store(signal); }

// Catches SIGINT and SIGTERM for its lifetime, then puts the previous
// handlers back.
class CStopSignals {
public:
    CStopSignals() {
        g_nStopSignal.store(0);
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_oldInt);
        sigaction(SIGTERM, &action, &m_oldTerm);
    }
    ~CStopSignals() {
        sigaction(SIGINT, &m_oldInt, nullptr);
        sigaction(SIGTERM, &m_oldTerm, nullptr);
    }
    CStopSignals(const CStopSignals&) = delete;
    CStopSignals& operator=(const CStopSignals&) = delete;
    bool Stopped() const { return g_nStopSignal.load() != 0; }

private:
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
};

}  // namespace

int RunScanOnce(const std::string& homeOption) {
    CStderrDiagnostics diagnostics;
    CStderrMessages messages;
    CAppCore core(messages);
    if (!StartHeadlessCore(core, homeOption, true)) return EXIT_FAILED;

    CScanOnceTarget target(core);
    core.CreateScanner(target);
    // The stories an earlier run recorded as new and never announced come first.
    target.Report();
    {
        CDutyTimer timer({{CAppCore::WATCHDOG_PERIOD_MS, [&core] { core.OnFetchWatchdog(); }}});
        timer.Start();
        core.RunForcedScan();
    }
    target.Report();
    if (target.m_nSetup >= 0) {
        std::fprintf(stderr, "skimbolt: nothing to scan: %s in %s\n", SetupText(target.m_nSetup),
                     core.GetAppDir().c_str());
        return EXIT_FAILED;
    }
    // Every page failed: nothing was learnt, and a script must hear of it.
    const std::vector<std::string> pages = core.ConfiguredPages();
    const bool bAllFailed = !pages.empty() && std::all_of(pages.begin(), pages.end(), [&](const std::string& url) {
        return target.m_failed.count(url) != 0;
    });
    if (bAllFailed) {
        std::fputs("skimbolt: every page failed\n", stderr);
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

int RunHeadless(const std::string& homeOption) {
    CStderrDiagnostics diagnostics;
    CStderrMessages messages;
    CAppCore core(messages);
    if (!StartHeadlessCore(core, homeOption, true)) return EXIT_FAILED;

    CHeadlessTarget target(stdout, core);
    CStopSignals signals;
    core.CreateScanner(target);
    if (!core.StartScanningThread()) return EXIT_FAILED;
    CDutyTimer timer({{CAppCore::WATCHDOG_PERIOD_MS, [&core] { core.OnFetchWatchdog(); }},
                      {CAppCore::MAINTENANCE_PERIOD_MS, [&core] { core.OnArchiveMaintenance(); }}});
    timer.Start();
    std::fprintf(stdout, "watching (poll period %d s); stop with Ctrl+C\n",
                 static_cast<int>(core.Config().Snapshot().pollSeconds));
    std::fflush(stdout);
    // Stories an earlier run recorded as new and never announced.
    target.PrintNews(core.TakeNews());
    while (!signals.Stopped()) target.Pump(std::chrono::milliseconds(200));

    // As at the desktop program's exit: stop scanning (aborting a fetch),
    // let a set-up request go unanswered, and wait for the thread.
    timer.Stop();
    core.StopScanning();
    target.Close();
    core.Stop();
    target.Pump(std::chrono::milliseconds(0));
    std::fputs("stopped\n", stdout);
    std::fflush(stdout);
    return EXIT_OK;
}
